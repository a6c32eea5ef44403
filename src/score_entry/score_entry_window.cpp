#include "score_entry/score_entry_window.h"

#include "kit/form_layout.h"
#include "kit/cell_editor.h"
#include "kit/save_report.h"
#include "kit/selection.h"
#include "kit/database_unavailable.h"
#include "school/exam_locks.h"
#include "kit/sign_in_toggle.h"
#include "kit/unsaved_changes.h"
#include "kit/window_steps.h"
#include "widgets/data_control.h"
#include "db/database.h"
#include "widgets/flex_grid.h"
#include "widgets/fonts.h"
#include "workbook/format.h"
#include "os/key_sound.h"
#include "widgets/messages.h"
#include "score_entry/entry_statistics.h"
#include "score_entry/score_save.h"
#include "school/exam_columns.h"
#include "score_entry/score_input.h"
#include "school/teacher_title.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QValidator>
#include <functional>

namespace tessaly {

namespace {

const QString kTitle = QStringLiteral("任 课 教 师 录 入 成 绩");
const QString kGridCaption = QStringLiteral("显示学生成绩");
const QString kStartStatus = QStringLiteral("提示：请选择年级组、班级和学科，并且任课教师登陆后，才可录入成绩。");
const QString kNoScores = QStringLiteral("本次考试还没添写过任何人的成绩。");
const QString kCreationNote = QStringLiteral(
    "    注意：在创建新的考试前，请一定先查看<已有的考试>，不要创建名称不同，实为同一次考试的新考名称。");

const QString kNoStatistics = QStringLiteral("学生成绩还没有添入,请添入后再进行分析");
const QString kAboveFullMark = QStringLiteral("你输入的分比满分还多呢");
const QString kSeatTooLarge = QStringLiteral("你的学籍中,不可能有这么大的学号");

// Row heights in twips: shown by a search or a store, and unscored rows while
// only those are shown.
constexpr int kShownRowHeight = 225;
constexpr int kUnscoredRowHeight = 255;

// Refuses any text (typed, pasted or committed by an input method) the rule does
// not allow; the window's own setText() is not checked.
class RuleValidator : public QValidator {
public:
    RuleValidator(std::function<bool(const QString &)> rule, QObject *parent)
        : QValidator(parent), m_rule(std::move(rule))
    {
    }
    State validate(QString &input, int &) const override { return m_rule(input) ? Acceptable : Invalid; }

private:
    std::function<bool(const QString &)> m_rule;
};

bool isEnter(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

bool isDigits(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QLabel *label(const QString &text, QWidget *parent, const char *name = nullptr)
{
    auto *l = new QLabel(text, parent);
    if (name)
        l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

ScoreEntryWindow::ScoreEntryWindow(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("任课教师录入成绩"));
    setWindowTitle(QStringLiteral("任课教师录入成绩"));
    buildControls();

    m_toggle = new SignInToggle(SignInToggle::Kind::Teacher, signInButton, m_host, databasePath(), this);
    m_toggle->setChoices(gradeGroupCombo, classCombo, subjectCombo);
    m_toggle->setAccount([this] {
        const SubjectEntry e = chosenSubject();
        return Account{e.teacher, e.password, e.id};
    });
    connect(m_toggle, &SignInToggle::stateShown, this, &ScoreEntryWindow::showSignInState);


    connect(gradeGroupCombo, &QComboBox::activated, this, &ScoreEntryWindow::gradeGroupChosen);
    connect(classCombo, &QComboBox::activated, this, &ScoreEntryWindow::classChosen);
    connect(subjectCombo, &QComboBox::activated, this, &ScoreEntryWindow::subjectChosen);
    connect(examCombo, &QComboBox::activated, this, &ScoreEntryWindow::examChosen);
    m_choice = std::make_unique<ClassChoice>(
        ClassChoice::Steps{.gradeGroup = gradeGroupCombo, .klass = classCombo, .subject = subjectCombo, .classes = ClassVariant::WithPassword},
        *this, this);
    connect(fullMarkBox, &QLineEdit::editingFinished, this, &ScoreEntryWindow::fullMarkEdited);
    connect(newExamButton, &QPushButton::clicked, this, &ScoreEntryWindow::newExamClicked);
    connect(cancelExamButton, &QPushButton::clicked, this, &ScoreEntryWindow::cancelNewExamClicked);
    connect(midTermOption, &QRadioButton::clicked, this, &ScoreEntryWindow::midTermChosen);
    connect(finalOption, &QRadioButton::clicked, this, &ScoreEntryWindow::finalChosen);
    connect(quizOption, &QRadioButton::clicked, this, &ScoreEntryWindow::quizChosen);
    connect(createExamButton, &QPushButton::clicked, this, &ScoreEntryWindow::createExamClicked);
    connect(closeButton, &QPushButton::clicked, this, &ScoreEntryWindow::closeClicked);

    connect(seatBox, &QLineEdit::textChanged, this, &ScoreEntryWindow::seatBoxChanged);
    connect(nameBox, &QLineEdit::textChanged, this, &ScoreEntryWindow::nameBoxChanged);
    connect(scoreBox, &QLineEdit::textChanged, this, &ScoreEntryWindow::scoreBoxChanged);
    connect(mixedBox, &QLineEdit::textChanged, this, &ScoreEntryWindow::mixedBoxChanged);
    for (QLineEdit *box : {seatBox, nameBox, scoreBox, mixedBox})
        box->installEventFilter(this);
    connect(showUnscoredOption, &QRadioButton::clicked, this, &ScoreEntryWindow::showUnscoredChosen);
    connect(showAllOption, &QRadioButton::clicked, this, &ScoreEntryWindow::showAllChosen);
    connect(statisticsButton, &QPushButton::clicked, this, &ScoreEntryWindow::statisticsClicked);
    connect(closeStatisticsButton, &QPushButton::clicked, this, &ScoreEntryWindow::closeStatisticsClicked);
    connect(saveButton, &QPushButton::clicked, this, &ScoreEntryWindow::saveClicked);

    // The cell editor on the score column: Up, Down and Enter move from student to
    // student past hidden rows; after a move the next loss of focus leaves the
    // editor where it is until a key is typed.
    CellEditorConfig editor;
    editor.firstColumn = school::kColScore;
    editor.lastColumn = school::kColScore;
    editor.mayEdit = [this] {
        return m_toggle->isSignedIn() && m_choice->subjectIndex() >= 0 && !m_sheet.rows().isEmpty()
               && !m_sheet.isLocked();
    };
    editor.keyRule = [this](int, QChar key, QString &text) {
        const score::KeyOutcome r = score::ScoreKeyFilter(key, text);
        const bool droppedPoint = r.accepted.isNull() && (key == u'.' || key == QChar(0x3002));
        if (!droppedPoint)
            m_editor->setSkipNextWriteBack(false);
        PlayKeySound(r.sound);
        return r.accepted;
    };
    // A score above the full mark is refused and said so: the cell's score stays,
    // selected, and no part of the typed one is kept.
    editor.refuses = [this](int, const QString &text) { return m_sheet.isAboveFullMark(text); };
    editor.refused = [this](int) { tellAboveFullMark(); };
    editor.commitText = [](int, const QString &text) {
        return school::shownScoreText(score::scoreValue(text));
    };
    editor.moveKeys = CellEditorConfig::MoveUp | CellEditorConfig::MoveDown;
    editor.enterMovesDown = true;
    editor.moveSkipsHiddenRows = true;
    editor.skipWriteBackAfterMove = true;
    editor.scrollClearsSkip = true;
    // Every write-back goes to the sheet, which tells whether the row changed.
    editor.writeUnchanged = true;
    m_editor = new CellEditor(scoreGrid, std::move(editor));
    m_editor->setSkipNextWriteBack(true);
    cellEditorBox = m_editor->lineEdit();
    cellEditorBox->setValidator(new RuleValidator(score::isScoreText, cellEditorBox));
    cellEditorBox->installEventFilter(this);   // after the editor's own filter, so it sees keys first
    connect(m_editor, &CellEditor::cellWritten, this, [this](int row, int) { rowWritten(row); });

    updateEntryFrame();
}

ScoreEntryWindow::~ScoreEntryWindow() = default;

QSize ScoreEntryWindow::sizeHint() const
{
    return {900, 640};
}

void ScoreEntryWindow::buildControls()
{
    titleLabel = label(kTitle, this, "Label4");
    QFont titleFont = titleLabel->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    titleLabel->setFont(titleFont);
    titleLabel->setAlignment(Qt::AlignCenter);

    // Selection.
    choiceFrame = named(new QGroupBox(QStringLiteral("选择班级"), this), "Frame2");
    gradeGroupCombo = named(new QComboBox(choiceFrame), "Combo1");
    classCombo = named(new QComboBox(choiceFrame), "Combo2");
    subjectCombo = named(new QComboBox(choiceFrame), "Combo3");
    examCombo = named(new QComboBox(choiceFrame), "Combo5");
    examCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    examCombo->setMinimumContentsLength(12);
    auto *choice = new QFormLayout(choiceFrame);
    choice->addRow(label(QStringLiteral("选择年级组："), choiceFrame), gradeGroupCombo);
    choice->addRow(label(QStringLiteral("选 择班 级："), choiceFrame), classCombo);
    choice->addRow(label(QStringLiteral("选 择学 科："), choiceFrame), subjectCombo);
    choice->addRow(label(QStringLiteral("已有的考试："), choiceFrame), examCombo);
    choice->addRow(label(QStringLiteral("需要登分请："), choiceFrame), label(QStringLiteral("选择班级、学科、考试、登陆"), choiceFrame));
    choice->addRow(label(QStringLiteral("请先登陆才能进行成绩录入"), choiceFrame));

    signInButton = named(new QPushButton(this), "Command2");

    // Entry frame.
    entryFrame = named(new QGroupBox(QStringLiteral("任课教师录入成绩"), this), "Frame1");
    newExamButton = named(new QPushButton(QStringLiteral("创建新的考试(&K)"), entryFrame), "Command1");
    statisticsButton = named(new QPushButton(QStringLiteral("成绩统计(&E)"), entryFrame), "Command4");
    fullMarkBox = named(new QLineEdit(entryFrame), "Text9");
    buildEntryControls();

    // Exam creation panel.
    newExamFrame = named(new QGroupBox(QStringLiteral("创建新的考试"), this), "Frame6");
    midTermOption = named(new QRadioButton(QStringLiteral("期中"), newExamFrame), "Option1");
    finalOption = named(new QRadioButton(QStringLiteral("期末"), newExamFrame), "Option2");
    quizOption = named(new QRadioButton(QStringLiteral("测验"), newExamFrame), "Option3");
    examNameBox = named(new QLineEdit(newExamFrame), "Text7");
    examNameBox->setEnabled(false);
    quizSubjectLabel = label(QString(), newExamFrame, "lblLabels17");
    newFullMarkBox = named(new QLineEdit(newExamFrame), "Text8");
    columnNameBox = named(new QLineEdit(newExamFrame), "Text6");
    columnNameBox->hide();
    createExamButton = named(new QPushButton(QStringLiteral("保存新考(&C)"), newExamFrame), "Command3");
    createExamButton->setEnabled(false);
    cancelExamButton = named(new QPushButton(QStringLiteral("取消"), newExamFrame), "Command19");
    auto *note = label(kCreationNote, newExamFrame);
    note->setWordWrap(true);
    auto *kinds = new QHBoxLayout;
    kinds->addWidget(label(QStringLiteral("新考类别："), newExamFrame));
    kinds->addWidget(midTermOption);
    kinds->addWidget(finalOption);
    kinds->addWidget(quizOption);
    kinds->addStretch();
    auto *name = new QHBoxLayout;
    name->addWidget(examNameBox, 1);
    name->addWidget(quizSubjectLabel);
    name->addWidget(label(QStringLiteral("满分:"), newExamFrame));
    name->addWidget(newFullMarkBox);
    newFullMarkBox->setMaximumWidth(newFullMarkBox->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
    QHBoxLayout *buttons = buttonRow({createExamButton, cancelExamButton});
    auto *creation = new QVBoxLayout(newExamFrame);
    creation->addLayout(kinds);
    creation->addLayout(name);
    creation->addWidget(note);
    creation->addLayout(buttons);
    newExamFrame->hide();

    // The score grid.
    gridCaption = label(kGridCaption, this, "Label7");
    gridCaption->setAlignment(Qt::AlignCenter);
    scoreGrid = named(new FlexGrid(this), "Grid1");
    scoreGrid->setRows(1);
    scoreGrid->setFixedRows(1);
    scoreGrid->setFixedCols(1);
    scoreGrid->setFormatString(school::kLoadHeader);
    scoreGrid->setColWidth(school::kColId, 0);
    scoreGrid->setColWidth(school::kColRowState, 0);

    saveButton = named(new QPushButton(QStringLiteral("保存成绩(&S)"), this), "Command8");
    saveButton->setEnabled(false);
    showAllOption = named(new QRadioButton(QStringLiteral("显示全部学生"), this), "Option5");
    showUnscoredOption = named(new QRadioButton(QStringLiteral("只显示未输分者"), this), "Option4");
    auto *view = new QButtonGroup(this);   // one choice, whatever other options the window holds
    view->addButton(showAllOption);
    view->addButton(showUnscoredOption);
    showAllOption->setChecked(true);
    closeButton = named(new QPushButton(QStringLiteral("关    闭(&P)"), this), "Command7");
    statusLabel = label(QString(), this, "Label5");


    auto *left = new QVBoxLayout;
    left->addWidget(choiceFrame);
    left->addWidget(signInButton);
    left->addStretch();

    auto *below = new QHBoxLayout;
    below->addWidget(showAllOption);
    below->addWidget(showUnscoredOption);
    below->addStretch();
    below->addWidget(saveButton);
    below->addWidget(closeButton);

    auto *right = new QVBoxLayout;
    right->addWidget(gridCaption);
    right->addWidget(scoreGrid, 1);
    right->addWidget(newExamFrame);
    right->addLayout(below);

    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);

    // The entry frame runs across the window below the grid, its ways of entry side by side.
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titleLabel);
    layout->addLayout(body, 1);
    layout->addWidget(entryFrame);
    layout->addWidget(statusLabel);
}

void ScoreEntryWindow::buildEntryControls()
{
    entryCaption = label(QStringLiteral("录入学生成绩"), entryFrame, "Label3_1");
    nameBox = named(new QLineEdit(entryFrame), "Text3");
    seatBox = named(new QLineEdit(entryFrame), "Text2");
    scoreBox = named(new QLineEdit(entryFrame), "Text4");
    mixedBox = named(new QLineEdit(entryFrame), "Text5");
    seatBox->setValidator(new RuleValidator(isDigits, seatBox));
    scoreBox->setValidator(new RuleValidator(score::isScoreText, scoreBox));
    mixedBox->setValidator(new RuleValidator(score::isMixedText, mixedBox));
    auto wrapped = [this](const QString &text) {
        QLabel *l = label(text, entryFrame);
        l->setWordWrap(true);
        return l;
    };

    auto *exam = new QGridLayout;
    exam->addWidget(entryCaption, 0, 0, 1, 2, Qt::AlignHCenter);
    exam->addWidget(newExamButton, 1, 0, 1, 2);
    exam->addWidget(statisticsButton, 2, 0, 1, 2);
    exam->addWidget(label(QStringLiteral("满分:"), entryFrame), 3, 0);
    exam->addWidget(fullMarkBox, 3, 1);
    exam->setRowStretch(4, 1);

    auto *separate = new QGridLayout;
    separate->addWidget(label(QStringLiteral("分别输入方式:"), entryFrame), 0, 0, 1, 2);
    separate->addWidget(label(QStringLiteral("输入  姓名:"), entryFrame), 1, 0);
    separate->addWidget(nameBox, 1, 1);
    separate->addWidget(label(QStringLiteral("输入学籍号:"), entryFrame), 2, 0);
    separate->addWidget(seatBox, 2, 1);
    separate->addWidget(label(QStringLiteral("输入  分数:"), entryFrame), 3, 0);
    separate->addWidget(scoreBox, 3, 1);
    separate->addWidget(wrapped(QStringLiteral("(只输入学号后两位 输入完成后回车)")), 4, 0, 1, 2);

    auto *mixed = new QVBoxLayout;
    mixed->addWidget(label(QStringLiteral("混合输入方式:"), entryFrame));
    mixed->addWidget(mixedBox);
    mixed->addWidget(wrapped(QStringLiteral("(学号后两位+/+分数 如(23号学生得了79分,可输入23/79)回车输入)")));
    mixed->addWidget(label(QStringLiteral("点击左表直接输入方式:"), entryFrame));
    mixed->addWidget(label(QStringLiteral("可使用↑、↓与回车键移动"), entryFrame));
    mixed->addStretch();

    auto *ways = new QHBoxLayout;
    ways->addLayout(exam);
    ways->addSpacing(12);
    ways->addLayout(separate, 1);
    ways->addSpacing(12);
    ways->addLayout(mixed, 1);
    auto *entry = new QVBoxLayout(entryFrame);
    entry->addLayout(ways);

    // The statistics panel.
    statisticsPanel = named(new QFrame(this), "Picture1");
    statisticsPanel->setFrameShape(QFrame::Box);
    statisticsPanel->setAutoFillBackground(true);
    QPalette white = statisticsPanel->palette();
    white.setColor(QPalette::Window, Qt::white);
    statisticsPanel->setPalette(white);
    statisticsLabel = label(QString(), statisticsPanel, "Label3_0");
    statisticsLabel->setFont(cjkFont(QStringLiteral("宋体"), 12));
    closeStatisticsButton = named(new QPushButton(QStringLiteral("关闭(&C)"), statisticsPanel), "Command5");
    auto *panel = new QVBoxLayout(statisticsPanel);
    panel->addWidget(statisticsLabel);
    panel->addWidget(closeStatisticsButton, 0, Qt::AlignRight);
    statisticsPanel->hide();
}

// ---- Selection -------------------------------------------------------------

void ScoreEntryWindow::Form_Load()
{
    MoveToTopLeft(this);
    if (databaseAvailable(*this, this))
        m_choice->loadGradeGroups();
    classCombo->clear();
    subjectCombo->clear();
    examCombo->clear();
    clearGrid(school::kLoadHeader);
    statusLabel->setText(kStartStatus);
}

void ScoreEntryWindow::gradeGroupChosen()
{
    if (!settleUnsavedScores()) {
        // The scores stay: so does the grade group they belong to.
        const QSignalBlocker block(gradeGroupCombo);
        gradeGroupCombo->setCurrentIndex(gradeGroupCombo->findText(m_gradeGroup));
        return;
    }
    m_gradeGroup = gradeGroupCombo->currentText();
    m_choice->chooseGradeGroup();
    examCombo->clear();
    m_exams.clear();
    clearGrid(school::kLoadHeader);
    titleLabel->setText(gradeGroupCombo->currentText() + classCombo->currentText());
    gridCaption->setText(kGridCaption);
    updateEntryFrame();
}

void ScoreEntryWindow::classChosen()
{
    const int index = classCombo->currentIndex();
    if (index < 0 || index >= m_choice->classes().size())
        return;
    if (!settleUnsavedScores()) {
        const QSignalBlocker block(classCombo);
        classCombo->setCurrentIndex(m_choice->classIndex());
        return;
    }
    m_choice->chooseClass(index);
    examCombo->clear();
    m_exams.clear();
    setTitle(classTitle() + QStringLiteral("成绩 班主任:") + chosenClass().headTeacher);
    clearGrid(school::kLoadHeader);
    updateEntryFrame();
}

void ScoreEntryWindow::subjectChosen()
{
    const int k = subjectCombo->currentIndex();
    if (k < 0 || k >= m_choice->subjects().size())
        return;
    if (!settleUnsavedScores()) {
        const QSignalBlocker block(subjectCombo);
        subjectCombo->setCurrentIndex(m_choice->subjectIndex());
        return;
    }
    m_choice->chooseSubject(k);
    const SubjectEntry subject = chosenSubject();
    m_identity = school::ResolveClassCode(gradeGroupCombo->currentText(), classCombo->currentText(), session().today());
    const ClassStudents loaded = OpenClassStudents(connection(), m_identity, this);
    setTitle(classTitle() + subjectCombo->currentText() + QStringLiteral("成绩 任课教师:") + subject.teacher);

    examCombo->clear();
    listExams(loaded.columns, false);
    clearGrid(school::kLoadHeader);
    m_sheet.loadStudents(loaded.students);
    FillScoreGrid();

    m_choosing = true;
    m_toggle->showState();
    m_choosing = false;
}

void ScoreEntryWindow::listExams(const QStringList &columns, bool afterCreation)
{
    const QString subject = subjectCombo->currentText();
    m_exams = school::FindExamsOfSubject(columns, subject);
    QStringList shown;
    for (const QString &exam : m_exams)
        shown << school::DecodeExamName(exam, afterCreation ? school::kCreatedExamNames : school::kScoreEntryNames,
                                       subject);
    examCombo->clear();
    examCombo->addItems(shown);
    examCombo->setCurrentIndex(-1);
}

void ScoreEntryWindow::examChosen()
{
    const int j = examCombo->currentIndex();
    if (j < 0 || j >= m_exams.size() || !m_identity.isValid())
        return;
    if (!settleUnsavedScores()) {
        const QSignalBlocker block(examCombo);
        examCombo->setCurrentIndex(openExamIndex());
        return;
    }
    const school::Statement scores = school::scoreSheetQuery(m_identity.sectionTable, m_identity.classCode, m_exams[j]);
    if (!scores.isValid())
        return;
    const std::optional<QList<school::ScoreRow>> sheet =
        school::readScoreSheet(connection(), m_identity.sectionTable, m_identity.classCode, m_exams[j]);
    if (!sheet)
        reportReadFailure(this, connection().error());
    clearGrid(school::examHeader(subjectCombo->currentText()));
    m_sheet.openExam(m_exams[j], sheet.value_or(QList<school::ScoreRow>()));
    FillScoreGrid();
    examNameBox->setText(examCombo->currentText());
    setTitle(classTitle() + examCombo->currentText() + QStringLiteral(" 任课教师:") + chosenSubject().teacher);
    // A locked exam is shown, never changed.
    m_sheet.setLocked(sheet && school::isExamLocked(connection(), m_identity.sectionTable, m_exams[j]));
    saveButton->setEnabled(m_toggle->isSignedIn() && !m_sheet.isLocked());
    updateEntryFrame();
    if (m_sheet.isLocked()) {
        statusLabel->setText(school::lockedExamText());
        showNotice(this, school::lockedExamText(), kTitleHint);
    }
}

void ScoreEntryWindow::FillScoreGrid()
{
    const QList<school::ScoreRow> &rows = m_sheet.rows();
    showFullMark();
    scoreGrid->setRows(1);
    if (rows.isEmpty())
        return;

    scoreGrid->setUpdatesEnabled(false);
    const int height = RowHeightForFont(*scoreGrid, school::kFilledRowHeight);
    scoreGrid->setRows(1 + int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const QStringList cells = school::gridTexts(rows[i], i + 1);
        for (int c = 0; c < school::kScoreGridCols; ++c)
            scoreGrid->setTextMatrix(i + 1, c, cells[c]);
        scoreGrid->setRowHeight(i + 1, height);
    }
    scoreGrid->setUpdatesEnabled(true);

    scoreGrid->scrollToTop();   // the first student shows first, whatever was shown before

    if (!m_sheet.hasExam())
        return;
    m_sheet.setFullMark(classFullMark(connection(), m_identity.sectionTable, m_sheet.exam(),
                                      gradeGroupCombo->currentText(), classCombo->currentText(),
                                      school::scoresOf(rows), this));
    showFullMark();
    if (!m_sheet.anyScore())
        showNotice(this, kNoScores, kTitleHintDots);
}

void ScoreEntryWindow::writeRow(int index)
{
    const QStringList cells = school::gridTexts(m_sheet.rows()[index], index + 1);
    for (const int c : {school::kColScore, school::kColRank, school::kColRowState})
        scoreGrid->setTextMatrix(index + 1, c, cells[c]);
}

void ScoreEntryWindow::clearGrid(const QString &header)
{
    m_editor->cancel();
    m_target = -1;
    m_sheet.clear();
    scoreGrid->setRows(1);
    scoreGrid->setFormatString(header);
    scoreGrid->setColWidth(school::kColId, 0);
    scoreGrid->setColWidth(school::kColRowState, 0);
}

void ScoreEntryWindow::showFullMark()
{
    fullMarkBox->setText(m_sheet.fullMarkText());
}

int ScoreEntryWindow::openExamIndex() const
{
    return m_sheet.hasExam() ? int(m_exams.indexOf(m_sheet.exam())) : -1;
}

void ScoreEntryWindow::fullMarkEdited()
{
    // Scores are checked against the full mark: only a sensible mark replaces it.
    m_sheet.setFullMark(fullMarkBox->text());
    showFullMark();
}

void ScoreEntryWindow::setTitle(const QString &title)
{
    titleLabel->setText(title);
    gridCaption->setText(title);
}

ClassEntry ScoreEntryWindow::chosenClass() const
{
    return m_choice->classEntry();
}

SubjectEntry ScoreEntryWindow::chosenSubject() const
{
    return m_choice->subjectEntry();
}

QString ScoreEntryWindow::classTitle() const
{
    return QStringLiteral("录入") + gradeGroupCombo->currentText().left(2) + classCombo->currentText() + QLatin1Char('(')
           + chosenClass().actualName + QLatin1Char(')');
}

// ---- Sign-in ----------------------------------------------------------------

void ScoreEntryWindow::showSignInState(bool signedIn)
{
    const QString teacher = chosenSubject().teacher;
    QString status;
    if (signedIn)
        status = QStringLiteral("任课教师(%1)已经登陆，可以输入成绩。");
    else if (m_choosing)
        status = QStringLiteral("任课教师(%1)没有登陆，还不可以输入成绩。");
    else
        status = QStringLiteral("任课教师(%1)退出了登陆，不可以再输入成绩了。");
    statusLabel->setText(status.arg(teacher));
    saveButton->setEnabled(signedIn);
    updateEntryFrame();
}

void ScoreEntryWindow::updateEntryFrame()
{
    // Signed in is not enough: the entry frame also waits for a subject of a
    // class with a class code (a new grade group or class takes it away again)
    // and stays off while the creation panel is open.
    entryFrame->setEnabled(m_toggle->isSignedIn() && m_choice->subjectIndex() >= 0 && m_identity.isValid() && !m_panelOpen);
    for (QLineEdit *box : {seatBox, nameBox, scoreBox, mixedBox, fullMarkBox})
        box->setEnabled(!m_sheet.isLocked());
    if (m_sheet.isLocked())
        saveButton->setEnabled(false);
    signInButton->setEnabled(!m_panelOpen);
}

// ---- Exam creation ----------------------------------------------------------

void ScoreEntryWindow::newExamClicked()
{
    m_panelOpen = true;
    entryFrame->hide();   // out of use while the panel is open: the panel takes its room
    newExamFrame->show();
    choiceFrame->setEnabled(false);
    updateEntryFrame();
}

void ScoreEntryWindow::cancelNewExamClicked()
{
    closePanel();
}

void ScoreEntryWindow::closePanel()
{
    m_panelOpen = false;
    newExamFrame->hide();
    entryFrame->show();
    choiceFrame->setEnabled(true);
    updateEntryFrame();
}

void ScoreEntryWindow::composeMidTermOrFinal(bool final)
{
    const school::ExamKind kind = final ? school::ExamKind::Final : school::ExamKind::MidTerm;
    const QString subject = subjectCombo->currentText();
    const QString raw = school::examColumnName(kind, subject, session().today(), QString());
    columnNameBox->setText(raw);
    examNameBox->setEnabled(false);
    examNameBox->setText(school::DecodeExamName(raw, school::kCreatedExamNames, subject));
    quizSubjectLabel->clear();
    createExamButton->setEnabled(true);
}

void ScoreEntryWindow::midTermChosen()
{
    composeMidTermOrFinal(false);
}

void ScoreEntryWindow::finalChosen()
{
    composeMidTermOrFinal(true);
}

void ScoreEntryWindow::quizChosen()
{
    columnNameBox->clear();
    examNameBox->setEnabled(true);
    examNameBox->clear();
    createExamButton->setEnabled(true);
    quizSubjectLabel->setText(subjectCombo->currentText() + QStringLiteral("测验"));
    examNameBox->setFocus();
}

bool ScoreEntryWindow::refuseNewExam(score::NewExamCheck check, const QString &column, const QString &shown)
{
    switch (check) {
    case score::NewExamCheck::Free:
        return false;
    case score::NewExamCheck::Exists:
        showNotice(this, QStringLiteral("尊敬的%1,您要添加的考试（%2）已经存在了,直接输入成绩即可。")
                             .arg(school::withTeacherTitle(chosenSubject().teacher), shown));
        examNameBox->clear();
        newFullMarkBox->clear();
        createExamButton->setEnabled(false);
        break;
    case score::NewExamCheck::TableFull:
        showNotice(this, score::tableFullMessage(m_identity.sectionTable), kTitleHint);
        break;
    case score::NewExamCheck::BadName:
        showNotice(this, QStringLiteral("“%1”不能用作考试名称,无法创建。").arg(column), kTitleHint);
        break;
    }
    return true;
}

void ScoreEntryWindow::createExamClicked()
{
    const QString subject = subjectCombo->currentText();
    const QString teacher = chosenSubject().teacher;
    QString shown = examNameBox->text();
    if (quizOption->isChecked()) {
        // The quiz name stays in examNameBox as typed; the shown name is composed apart.
        const QString quiz = examNameBox->text();
        const QString raw = school::examColumnName(school::ExamKind::Quiz, subject, session().today(), quiz);
        QString refusal = score::quizNameRefusal(quiz);
        if (refusal.isEmpty() && !db::isValidIdentifier(raw))
            refusal = score::kQuizNameMessage;
        if (!refusal.isEmpty()) {
            showNotice(this, refusal, kTitleHint);
            examNameBox->setFocus();
            return;
        }
        columnNameBox->setText(raw);
        shown = quiz + quizSubjectLabel->text();
    }
    const QString raw = columnNameBox->text();
    if (raw.isEmpty()) {
        showNotice(this, QStringLiteral("没有考试名称,无法创建。"), kTitleHint);
        return;
    }
    if (!school::parseFullMark(newFullMarkBox->text())) {
        showNotice(this, QStringLiteral("请输入本次考试满分成绩值。"), kTitleHint);
        newFullMarkBox->setFocus();
        return;
    }
    if (!m_identity.isValid()
        || !m_toggle->confirmSignedIn(QStringLiteral("任课教师(%1)没有登陆，考试没有创建。请登陆后再创建。")))
        return;

    const QString table = m_identity.sectionTable;
    // The exam is checked against the table before the teacher is asked.
    const score::CreateExamOutcome free = saveWith<score::CreateExamOutcome>(
        connection(), [&](db::Connection &c) { return score::checkNewExam(c, table, raw); });
    if (!free.ok) {
        reportSaveFailure(this, QStringLiteral("考试没有创建："), free.error, kTitleHint);
        return;
    }
    if (refuseNewExam(free.check, raw, shown))
        return;
    if (!askYesNo(this, QStringLiteral("尊敬的%1,您要添加（%2）吗?").arg(school::withTeacherTitle(teacher), shown), kTitleHintDots))
        return;
    // Scores typed for the open exam are settled before anything is created; a
    // Cancel creates nothing.
    if (!settleUnsavedScores())
        return;

    const QString fullMark = newFullMarkBox->text().trimmed();
    const score::NewExam exam{table, raw, gradeGroupCombo->currentText(), classCombo->currentText(),
                              chosenClass().headTeacher, teacher, fullMark};
    const score::CreateExamOutcome outcome = saveWith<score::CreateExamOutcome>(
        connection(), [&](db::Connection &c) { return score::CreateExam(c, exam); });
    if (!outcome.ok) {
        if (!refuseNewExam(outcome.check, raw, shown))
            reportSaveFailure(this, QStringLiteral("考试没有创建："), outcome.error, kTitleHint,
                              QStringLiteral("\r考试名册和成绩表都没有改动。"));
        return;
    }

    // The new column comes last: listing the subject's exams again ends with it.
    listExams(outcome.columns, true);
    examCombo->setCurrentIndex(examCombo->count() - 1);
    examChosen();
    // The typed full mark belongs to the new exam only.
    if (m_sheet.exam() == raw && m_sheet.setFullMark(fullMark))
        showFullMark();
    createExamButton->setEnabled(false);
    closePanel();
}

void ScoreEntryWindow::closeClicked()
{
    CloseWindow(this);
}

bool ScoreEntryWindow::mayClose()
{
    return settleUnsavedScores();
}

// ---- Score entry --------------------------------------------------------------

int ScoreEntryWindow::viewHeight(int index) const
{
    return m_sheet.rows()[index].score && showUnscoredOption->isChecked() ? 0 : kShownRowHeight;
}

void ScoreEntryWindow::showRow(int index, int twips)
{
    scoreGrid->setRowHeight(index + 1, twips == 0 ? 0 : RowHeightForFont(*scoreGrid, twips));
}

void ScoreEntryWindow::setRowHeights()
{
    scoreGrid->setUpdatesEnabled(false);
    for (int i = 0; i < m_sheet.rows().size(); ++i)
        showRow(i, viewHeight(i));
    scoreGrid->setUpdatesEnabled(true);
}

void ScoreEntryWindow::quietSet(QLineEdit *box, const QString &text)
{
    const QSignalBlocker quiet(box);
    box->setText(text);
}

void ScoreEntryWindow::clearSeatBox()
{
    // An empty box searches too: every row back at its view height.
    if (seatBox->text().isEmpty())
        seatBoxChanged();
    else
        seatBox->clear();
}

bool ScoreEntryWindow::enterScore(int index, std::optional<double> score)
{
    if (m_sheet.enter(index, score) == score::ScoreEntrySheet::Entry::Refused) {
        tellAboveFullMark();   // the boxes refuse any other entry before asking
        return false;
    }
    writeRow(index);
    return true;
}

void ScoreEntryWindow::rowWritten(int row)
{
    const int index = row - 1;
    if (index < 0 || index >= m_sheet.rows().size())
        return;
    // The editor's text is the score typed; the cell shows what the sheet made of it.
    const bool entered = m_sheet.type(index, cellEditorBox->text()) == score::ScoreEntrySheet::Entry::Entered;
    writeRow(index);
    if (entered && m_sheet.rows()[index].score && showUnscoredOption->isChecked())
        showRow(index, 0);
}

void ScoreEntryWindow::seatBoxChanged()
{
    const QString text = seatBox->text();
    int matches = 0;
    QString name;
    scoreGrid->setUpdatesEnabled(false);
    const QList<school::ScoreRow> &rows = m_sheet.rows();
    for (int i = 0; i < rows.size(); ++i) {
        const QString seat = score::seatOf(rows[i]);
        if (text.size() > 2 || !seat.startsWith(text)) {
            showRow(i, 0);
            continue;
        }
        const bool onlyUnscored = rows[i].score && showUnscoredOption->isChecked() && seat != text;
        showRow(i, onlyUnscored ? 0 : kShownRowHeight);
        if (matches++ == 0) {
            m_target = i;
            name = rows[i].name;
        }
    }
    scoreGrid->setUpdatesEnabled(true);
    if (matches == 0) {
        setRowHeights();
        seatBox->setFocus();
        if (!text.isEmpty()) {
            PlayKeySound(score::kSoundError);
            seatBox->clear();
        }
    } else if (matches == 1) {
        quietSet(nameBox, name);
        scoreBox->setFocus();
    } else if (!nameBox->text().isEmpty()) {
        quietSet(nameBox, QString());
    }
}

void ScoreEntryWindow::nameBoxChanged()
{
    const QString text = nameBox->text();
    int matches = 0;
    QString shownId;
    scoreGrid->setUpdatesEnabled(false);
    const QList<school::ScoreRow> &rows = m_sheet.rows();
    for (int i = 0; i < rows.size(); ++i) {
        const school::ScoreRow &row = rows[i];
        if (row.name.isEmpty() || !row.name.contains(text)) {
            showRow(i, 0);
            continue;
        }
        showRow(i, viewHeight(i));
        if (matches++ == 0) {
            m_target = i;
            shownId = row.shownId;
        }
    }
    scoreGrid->setUpdatesEnabled(true);
    if (matches == 0) {
        quietSet(nameBox, QString());
        nameBox->setFocus();
        setRowHeights();
    } else if (matches == 1) {
        quietSet(seatBox, shownId);
        scoreBox->setFocus();
    } else if (!seatBox->text().isEmpty()) {
        quietSet(seatBox, QString());
    }
}

void ScoreEntryWindow::scoreBoxChanged()
{
    if (!m_sheet.isAboveFullMark(scoreBox->text()))
        return;
    scoreBox->clear();
    tellAboveFullMark();
    scoreBox->setFocus();
}

void ScoreEntryWindow::tellAboveFullMark()
{
    PlayKeySound(score::kSoundError);
    showNotice(this, kAboveFullMark, kTitleHint);
}

void ScoreEntryWindow::mixedBoxChanged()
{
    const QString text = mixedBox->text();
    if (text.isEmpty()) {
        clearSeatBox();
        quietSet(nameBox, QString());
        scoreBox->clear();
        mixedBox->setFocus();
        return;
    }
    const int slash = text.indexOf(u'/');
    if (slash >= 0) {
        const QString score = text.mid(slash + 1);
        if (!score.isEmpty() && m_sheet.isAboveFullMark(score)) {
            tellAboveFullMark();
            mixedBox->setText(text.left(slash + 1));
        } else {
            scoreBox->setText(score.left(3));
        }
        mixedBox->end(false);
        mixedBox->setFocus();
        return;
    }
    if (score::seatBeyondClass(text, score::largestSeat(m_sheet.rows()))) {
        PlayKeySound(score::kSoundError);
        showNotice(this, kSeatTooLarge, kTitleHint);
        mixedBox->clear();
        return;
    }
    seatBox->setText(text);
    mixedBox->end(false);
    mixedBox->setFocus();
}

void ScoreEntryWindow::seatBoxEntered()
{
    if (seatBox->text().size() == 1)
        seatBox->setText(QLatin1Char('0') + seatBox->text());
    PlayKeySound(score::kSoundSlash);
    scoreBox->setFocus();
}

void ScoreEntryWindow::scoreBoxEntered()
{
    if (scoreBox->text().isEmpty()) {
        nameBox->setFocus();
        return;
    }
    if (seatBox->text().isEmpty() || nameBox->text().isEmpty() || m_target < 0 || m_target >= m_sheet.rows().size())
        return;
    const std::optional<double> score = score::scoreValue(scoreBox->text());
    if (!score)
        return;
    const QString question = QStringLiteral("(%1)得分(%2)对吗?").arg(nameBox->text(), scoreBox->text());
    if (!askYesNo(this, question, kTitleHint) || !enterScore(m_target, score))
        return;
    seatBox->clear();
    quietSet(nameBox, QString());
    scoreBox->clear();
    nameBox->setFocus();
}

void ScoreEntryWindow::mixedBoxEntered()
{
    if (scoreBox->text().isEmpty() || mixedBox->text().isEmpty())
        return;
    const std::optional<score::MixedEntry> entry = score::parseMixedEntry(mixedBox->text());
    if (!entry)
        return;   // no seat/score pair: nothing to store
    const int index = score::rowOfSeat(m_sheet.rows(), entry->seat);
    if (index < 0) {
        mixedBox->clear();
        mixedBox->setFocus();
        return;
    }
    const QString question =
        QStringLiteral("(%1)得分(%2)对吗?").arg(m_sheet.rows()[index].name, formatSingle(float(entry->score)));
    if (!askYesNo(this, question, kTitleHint) || !enterScore(index, entry->score))
        return;
    if (showUnscoredOption->isChecked())
        showRow(index, 0);
    mixedBox->clear();
    mixedBox->setFocus();
}

bool ScoreEntryWindow::boxKey(QLineEdit *box, QKeyEvent *event)
{
    if (isEnter(event)) {
        if (box == nameBox)
            seatBox->setFocus();
        else if (box == seatBox)
            seatBoxEntered();
        else if (box == scoreBox)
            scoreBoxEntered();
        else if (box == mixedBox)
            mixedBoxEntered();
        return true;
    }
    if (box == nameBox)
        return false;   // names are typed as they are, without a sound
    const QChar typed = typedCharacter(event);
    if (typed.isNull())
        return false;   // caret keys, Delete, shortcuts: the box's own
    const score::KeyOutcome r = box == seatBox ? score::seatKey(typed)
                              : box == scoreBox ? score::ScoreKeyFilter(typed, box->text())
                                             : score::mixedKey(typed, box->text());
    if (r.accepted.isNull())
        return true;
    PlayKeySound(r.sound);
    if (r.accepted == typed)
        return false;
    box->insert(QString(r.accepted));   // "。" typed as "."
    return true;
}

bool ScoreEntryWindow::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (!box)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (box == cellEditorBox) {
            if (isEnter(key))
                m_editor->setSkipNextWriteBack(false);   // Enter is typed too
            return false;
        }
        return boxKey(box, key);
    }
    if (event->type() == QEvent::InputMethod && (box == scoreBox || box == mixedBox)) {
        // A full-width full stop from an input method is a point as well; the
        // box's validator refuses whatever else is no score.
        auto *im = static_cast<QInputMethodEvent *>(event);
        if (im->commitString().contains(QChar(0x3002))) {
            QString commit = im->commitString();
            commit.replace(QChar(0x3002), u'.');
            QInputMethodEvent mapped(im->preeditString(), im->attributes());
            mapped.setCommitString(commit, im->replacementStart(), im->replacementLength());
            box->removeEventFilter(this);
            QCoreApplication::sendEvent(box, &mapped);
            box->installEventFilter(this);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ScoreEntryWindow::showUnscoredChosen()
{
    if (m_editor->isOpen() && !m_editor->skipNextWriteBack())
        m_editor->CommitCellEdit();
    scoreGrid->setUpdatesEnabled(false);
    for (int i = 0; i < m_sheet.rows().size(); ++i)
        showRow(i, m_sheet.rows()[i].score ? 0 : kUnscoredRowHeight);
    scoreGrid->setUpdatesEnabled(true);
}

void ScoreEntryWindow::showAllChosen()
{
    if (m_editor->isOpen() && !m_editor->skipNextWriteBack())
        m_editor->CommitCellEdit();
    scoreGrid->setUpdatesEnabled(false);
    for (int i = 0; i < m_sheet.rows().size(); ++i)
        showRow(i, kShownRowHeight);
    scoreGrid->setUpdatesEnabled(true);
}

// ---- Statistics and saving ------------------------------------------------------

void ScoreEntryWindow::statisticsClicked()
{
    const score::EntryStatistics s = m_sheet.recount();
    if (s.participants == 0) {
        showNotice(this, kNoStatistics, kTitleHintDots);
        return;
    }
    for (int i = 0; i < m_sheet.rows().size(); ++i)
        writeRow(i);
    statisticsLabel->setText(score::statisticsPanelText(s, m_sheet.fullMarkText()));
    // The panel lies over the middle of the grid.
    statisticsPanel->adjustSize();
    const QPoint centre = scoreGrid->mapTo(this, scoreGrid->rect().center());
    statisticsPanel->move(centre - QPoint(statisticsPanel->width() / 2, statisticsPanel->height() / 2));
    statisticsPanel->raise();
    statisticsPanel->show();
}

void ScoreEntryWindow::closeStatisticsClicked()
{
    statisticsPanel->hide();
}

bool ScoreEntryWindow::settleUnsavedScores()
{
    m_editor->CloseCellEditor();
    if (!m_sheet.hasUnsaved())
        return true;
    return settleUnsavedChanges(this, QStringLiteral("录入的成绩还没有保存，要先保存吗?"), [this] { return SaveScores(); });
}

bool ScoreEntryWindow::SaveScores()
{
    m_editor->CloseCellEditor();
    if (!m_toggle->confirmSignedIn())
        return false;
    if (!m_sheet.hasExam()) {
        showNotice(this, QStringLiteral("还没有打开或创建考试，成绩没有保存。请先选择已有的考试或创建新的考试。"), kTitleHint);
        return false;
    }
    const QString column = m_sheet.exam();
    const score::ScoreSaveOutcome outcome =
        saveWith<score::ScoreSaveOutcome>(connection(), [&](db::Connection &c) {
            if (school::isExamLocked(c, m_identity.sectionTable, column)) {
                score::ScoreSaveOutcome locked;
                locked.error = {db::kErrSql, school::lockedExamText()};
                return locked;
            }
            return score::SaveScores(c, m_identity.sectionTable, column, m_sheet.rowsToSave());
        });
    if (!outcome.ok) {
        reportSaveFailure(this, QStringLiteral("成绩没有保存："), outcome.error, kTitleHint,
                          QStringLiteral("\r录入的成绩还在表中，没有写入任何成绩。"));
        return false;
    }
    m_sheet.applySave(outcome);
    for (int i = 0; i < m_sheet.rows().size(); ++i)
        writeRow(i);
    QString report = QStringLiteral("已经保存了%1个学生的成绩。").arg(outcome.saved);
    if (!outcome.gone.isEmpty())
        report += QStringLiteral("\r%1的学籍已不在(可能已在别的电脑上删除),成绩没有保存。")
                      .arg(outcome.gone.join(QStringLiteral("、")));
    showNotice(this, report, kTitleHint);
    return true;
}

void ScoreEntryWindow::saveClicked()
{
    SaveScores();
}

} // namespace tessaly
