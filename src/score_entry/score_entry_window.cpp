#include "score_entry/score_entry_window.h"

#include "kit/form_layout.h"
#include "kit/cell_editor.h"
#include "kit/save_report.h"
#include "kit/selection.h"
#include "kit/database_unavailable.h"
#include "kit/exam_locks.h"
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

    m_toggle = new SignInToggle(SignInToggle::Kind::Teacher, Command2, m_host, databasePath(), this);
    m_toggle->setChoices(Combo1, Combo2, Combo3);
    m_toggle->setAccount([this] {
        const score::SubjectEntry e = chosenSubject();
        return Account{e.teacher, e.password, e.id};
    });
    connect(m_toggle, &SignInToggle::stateShown, this, &ScoreEntryWindow::showSignInState);


    connect(Combo1, &QComboBox::activated, this, &ScoreEntryWindow::Combo1_Click);
    connect(Combo2, &QComboBox::activated, this, &ScoreEntryWindow::Combo2_Click);
    connect(Combo3, &QComboBox::activated, this, &ScoreEntryWindow::Combo3_Click);
    connect(Combo5, &QComboBox::activated, this, &ScoreEntryWindow::Combo5_Click);
    m_choice = std::make_unique<ClassChoice>(
        ClassChoice::Steps{.gradeGroup = Combo1, .klass = Combo2, .subject = Combo3, .classes = ClassVariant::WithPassword},
        *this, this);
    connect(Text9, &QLineEdit::editingFinished, this, &ScoreEntryWindow::Text9_Validate);
    connect(Command1, &QPushButton::clicked, this, &ScoreEntryWindow::Command1_Click);
    connect(Command19, &QPushButton::clicked, this, &ScoreEntryWindow::Command19_Click);
    connect(Option1, &QRadioButton::clicked, this, &ScoreEntryWindow::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &ScoreEntryWindow::Option2_Click);
    connect(Option3, &QRadioButton::clicked, this, &ScoreEntryWindow::Option3_Click);
    connect(Command3, &QPushButton::clicked, this, &ScoreEntryWindow::Command3_Click);
    connect(Command7, &QPushButton::clicked, this, &ScoreEntryWindow::Command7_Click);

    connect(Text2, &QLineEdit::textChanged, this, &ScoreEntryWindow::Text2_Change);
    connect(Text3, &QLineEdit::textChanged, this, &ScoreEntryWindow::Text3_Change);
    connect(Text4, &QLineEdit::textChanged, this, &ScoreEntryWindow::Text4_Change);
    connect(Text5, &QLineEdit::textChanged, this, &ScoreEntryWindow::Text5_Change);
    for (QLineEdit *box : {Text2, Text3, Text4, Text5})
        box->installEventFilter(this);
    connect(Option4, &QRadioButton::clicked, this, &ScoreEntryWindow::Option4_Click);
    connect(Option5, &QRadioButton::clicked, this, &ScoreEntryWindow::Option5_Click);
    connect(Command4, &QPushButton::clicked, this, &ScoreEntryWindow::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &ScoreEntryWindow::Command5_Click);
    connect(Command8, &QPushButton::clicked, this, &ScoreEntryWindow::Command8_Click);

    // The cell editor on the score column: Up, Down and Enter move from student to
    // student past hidden rows; after a move the next loss of focus leaves the
    // editor where it is until a key is typed.
    CellEditorConfig editor;
    editor.firstColumn = score::kColScore;
    editor.lastColumn = score::kColScore;
    editor.mayEdit = [this] {
        return m_toggle->isSignedIn() && m_choice->subjectIndex() >= 0 && !m_rows.isEmpty() && !m_examLocked;
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
    editor.refuses = [this](int, const QString &text) { return score::isAboveFullMark(text, Text9->text()); };
    editor.refused = [this](int) { tellAboveFullMark(); };
    editor.commitText = [](int, const QString &text) {
        return score::shownScoreText(score::scoreValue(text));
    };
    editor.moveKeys = CellEditorConfig::MoveUp | CellEditorConfig::MoveDown;
    editor.enterMovesDown = true;
    editor.moveSkipsHiddenRows = true;
    editor.skipWriteBackAfterMove = true;
    editor.scrollClearsSkip = true;
    editor.rowStateColumn = score::kColRowState;
    editor.changedState = QStringLiteral("1");
    m_editor = new CellEditor(Grid1, std::move(editor));
    m_editor->setSkipNextWriteBack(true);
    Text1 = m_editor->lineEdit();
    Text1->setValidator(new RuleValidator(score::isScoreText, Text1));
    Text1->installEventFilter(this);   // after the editor's own filter, so it sees keys first
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
    Label4 = label(kTitle, this, "Label4");
    QFont titleFont = Label4->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    Label4->setFont(titleFont);
    Label4->setAlignment(Qt::AlignCenter);

    // Selection.
    Frame2 = named(new QGroupBox(QStringLiteral("选择班级"), this), "Frame2");
    Combo1 = named(new QComboBox(Frame2), "Combo1");
    Combo2 = named(new QComboBox(Frame2), "Combo2");
    Combo3 = named(new QComboBox(Frame2), "Combo3");
    Combo5 = named(new QComboBox(Frame2), "Combo5");
    Combo5->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo5->setMinimumContentsLength(12);
    auto *choice = new QFormLayout(Frame2);
    choice->addRow(label(QStringLiteral("选择年级组："), Frame2), Combo1);
    choice->addRow(label(QStringLiteral("选 择班 级："), Frame2), Combo2);
    choice->addRow(label(QStringLiteral("选 择学 科："), Frame2), Combo3);
    choice->addRow(label(QStringLiteral("已有的考试："), Frame2), Combo5);
    choice->addRow(label(QStringLiteral("需要登分请："), Frame2), label(QStringLiteral("选择班级、学科、考试、登陆"), Frame2));
    choice->addRow(label(QStringLiteral("请先登陆才能进行成绩录入"), Frame2));

    Command2 = named(new QPushButton(this), "Command2");

    // Entry frame.
    Frame1 = named(new QGroupBox(QStringLiteral("任课教师录入成绩"), this), "Frame1");
    Command1 = named(new QPushButton(QStringLiteral("创建新的考试(&K)"), Frame1), "Command1");
    Command4 = named(new QPushButton(QStringLiteral("成绩统计(&E)"), Frame1), "Command4");
    Text9 = named(new QLineEdit(Frame1), "Text9");
    buildEntryControls();

    // Exam creation panel.
    Frame6 = named(new QGroupBox(QStringLiteral("创建新的考试"), this), "Frame6");
    Option1 = named(new QRadioButton(QStringLiteral("期中"), Frame6), "Option1");
    Option2 = named(new QRadioButton(QStringLiteral("期末"), Frame6), "Option2");
    Option3 = named(new QRadioButton(QStringLiteral("测验"), Frame6), "Option3");
    Text7 = named(new QLineEdit(Frame6), "Text7");
    Text7->setEnabled(false);
    lblLabels17 = label(QString(), Frame6, "lblLabels17");
    Text8 = named(new QLineEdit(Frame6), "Text8");
    Text6 = named(new QLineEdit(Frame6), "Text6");
    Text6->hide();
    Command3 = named(new QPushButton(QStringLiteral("保存新考(&C)"), Frame6), "Command3");
    Command3->setEnabled(false);
    Command19 = named(new QPushButton(QStringLiteral("取消"), Frame6), "Command19");
    auto *note = label(kCreationNote, Frame6);
    note->setWordWrap(true);
    auto *kinds = new QHBoxLayout;
    kinds->addWidget(label(QStringLiteral("新考类别："), Frame6));
    kinds->addWidget(Option1);
    kinds->addWidget(Option2);
    kinds->addWidget(Option3);
    kinds->addStretch();
    auto *name = new QHBoxLayout;
    name->addWidget(Text7, 1);
    name->addWidget(lblLabels17);
    name->addWidget(label(QStringLiteral("满分:"), Frame6));
    name->addWidget(Text8);
    Text8->setMaximumWidth(Text8->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
    QHBoxLayout *buttons = buttonRow({Command3, Command19});
    auto *creation = new QVBoxLayout(Frame6);
    creation->addLayout(kinds);
    creation->addLayout(name);
    creation->addWidget(note);
    creation->addLayout(buttons);
    Frame6->hide();

    // The score grid.
    Label7 = label(kGridCaption, this, "Label7");
    Label7->setAlignment(Qt::AlignCenter);
    Grid1 = named(new FlexGrid(this), "Grid1");
    Grid1->setRows(1);
    Grid1->setFixedRows(1);
    Grid1->setFixedCols(1);
    Grid1->setFormatString(score::kLoadHeader);
    Grid1->setColWidth(score::kColId, 0);
    Grid1->setColWidth(score::kColRowState, 0);

    Command8 = named(new QPushButton(QStringLiteral("保存成绩(&S)"), this), "Command8");
    Command8->setEnabled(false);
    Option5 = named(new QRadioButton(QStringLiteral("显示全部学生"), this), "Option5");
    Option4 = named(new QRadioButton(QStringLiteral("只显示未输分者"), this), "Option4");
    auto *view = new QButtonGroup(this);   // one choice, whatever other options the window holds
    view->addButton(Option5);
    view->addButton(Option4);
    Option5->setChecked(true);
    Command7 = named(new QPushButton(QStringLiteral("关    闭(&P)"), this), "Command7");
    Label5 = label(QString(), this, "Label5");


    auto *left = new QVBoxLayout;
    left->addWidget(Frame2);
    left->addWidget(Command2);
    left->addStretch();

    auto *below = new QHBoxLayout;
    below->addWidget(Option5);
    below->addWidget(Option4);
    below->addStretch();
    below->addWidget(Command8);
    below->addWidget(Command7);

    auto *right = new QVBoxLayout;
    right->addWidget(Label7);
    right->addWidget(Grid1, 1);
    right->addWidget(Frame6);
    right->addLayout(below);

    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);

    // The entry frame runs across the window below the grid, its ways of entry side by side.
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label4);
    layout->addLayout(body, 1);
    layout->addWidget(Frame1);
    layout->addWidget(Label5);
}

void ScoreEntryWindow::buildEntryControls()
{
    Label3_1 = label(QStringLiteral("录入学生成绩"), Frame1, "Label3_1");
    Text3 = named(new QLineEdit(Frame1), "Text3");
    Text2 = named(new QLineEdit(Frame1), "Text2");
    Text4 = named(new QLineEdit(Frame1), "Text4");
    Text5 = named(new QLineEdit(Frame1), "Text5");
    Text2->setValidator(new RuleValidator(isDigits, Text2));
    Text4->setValidator(new RuleValidator(score::isScoreText, Text4));
    Text5->setValidator(new RuleValidator(score::isMixedText, Text5));
    auto wrapped = [this](const QString &text) {
        QLabel *l = label(text, Frame1);
        l->setWordWrap(true);
        return l;
    };

    auto *exam = new QGridLayout;
    exam->addWidget(Label3_1, 0, 0, 1, 2, Qt::AlignHCenter);
    exam->addWidget(Command1, 1, 0, 1, 2);
    exam->addWidget(Command4, 2, 0, 1, 2);
    exam->addWidget(label(QStringLiteral("满分:"), Frame1), 3, 0);
    exam->addWidget(Text9, 3, 1);
    exam->setRowStretch(4, 1);

    auto *separate = new QGridLayout;
    separate->addWidget(label(QStringLiteral("分别输入方式:"), Frame1), 0, 0, 1, 2);
    separate->addWidget(label(QStringLiteral("输入  姓名:"), Frame1), 1, 0);
    separate->addWidget(Text3, 1, 1);
    separate->addWidget(label(QStringLiteral("输入学籍号:"), Frame1), 2, 0);
    separate->addWidget(Text2, 2, 1);
    separate->addWidget(label(QStringLiteral("输入  分数:"), Frame1), 3, 0);
    separate->addWidget(Text4, 3, 1);
    separate->addWidget(wrapped(QStringLiteral("(只输入学号后两位 输入完成后回车)")), 4, 0, 1, 2);

    auto *mixed = new QVBoxLayout;
    mixed->addWidget(label(QStringLiteral("混合输入方式:"), Frame1));
    mixed->addWidget(Text5);
    mixed->addWidget(wrapped(QStringLiteral("(学号后两位+/+分数 如(23号学生得了79分,可输入23/79)回车输入)")));
    mixed->addWidget(label(QStringLiteral("点击左表直接输入方式:"), Frame1));
    mixed->addWidget(label(QStringLiteral("可使用↑、↓与回车键移动"), Frame1));
    mixed->addStretch();

    auto *ways = new QHBoxLayout;
    ways->addLayout(exam);
    ways->addSpacing(12);
    ways->addLayout(separate, 1);
    ways->addSpacing(12);
    ways->addLayout(mixed, 1);
    auto *entry = new QVBoxLayout(Frame1);
    entry->addLayout(ways);

    // The statistics panel.
    Picture1 = named(new QFrame(this), "Picture1");
    Picture1->setFrameShape(QFrame::Box);
    Picture1->setAutoFillBackground(true);
    QPalette white = Picture1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Picture1->setPalette(white);
    Label3_0 = label(QString(), Picture1, "Label3_0");
    Label3_0->setFont(cjkFont(QStringLiteral("宋体"), 12));
    Command5 = named(new QPushButton(QStringLiteral("关闭(&C)"), Picture1), "Command5");
    auto *panel = new QVBoxLayout(Picture1);
    panel->addWidget(Label3_0);
    panel->addWidget(Command5, 0, Qt::AlignRight);
    Picture1->hide();
}

// ---- Selection -------------------------------------------------------------

void ScoreEntryWindow::Form_Load()
{
    MoveToTopLeft(this);
    if (databaseAvailable(*this, this))
        m_choice->loadGradeGroups();
    Combo2->clear();
    Combo3->clear();
    Combo5->clear();
    clearGrid(score::kLoadHeader);
    Label5->setText(kStartStatus);
}

void ScoreEntryWindow::Combo1_Click()
{
    if (!settleUnsavedScores()) {
        // The scores stay: so does the grade group they belong to.
        const QSignalBlocker block(Combo1);
        Combo1->setCurrentIndex(Combo1->findText(m_gradeGroup));
        return;
    }
    m_gradeGroup = Combo1->currentText();
    m_choice->chooseGradeGroup();
    Combo5->clear();
    m_exams.clear();
    clearGrid(score::kLoadHeader);
    Label4->setText(Combo1->currentText() + Combo2->currentText());
    Label7->setText(kGridCaption);
    updateEntryFrame();
}

void ScoreEntryWindow::Combo2_Click()
{
    const int index = Combo2->currentIndex();
    if (index < 0 || index >= m_choice->classes().size())
        return;
    if (!settleUnsavedScores()) {
        const QSignalBlocker block(Combo2);
        Combo2->setCurrentIndex(m_choice->classIndex());
        return;
    }
    m_choice->chooseClass(index);
    Combo5->clear();
    m_exams.clear();
    setTitle(classTitle() + QStringLiteral("成绩 班主任:") + chosenClass().headTeacher);
    clearGrid(score::kLoadHeader);
    updateEntryFrame();
}

void ScoreEntryWindow::Combo3_Click()
{
    const int k = Combo3->currentIndex();
    if (k < 0 || k >= m_choice->subjects().size())
        return;
    if (!settleUnsavedScores()) {
        const QSignalBlocker block(Combo3);
        Combo3->setCurrentIndex(m_choice->subjectIndex());
        return;
    }
    m_choice->chooseSubject(k);
    const score::SubjectEntry subject = chosenSubject();
    m_identity = reg::ResolveClassCode(Combo1->currentText(), Combo2->currentText(), session().today());
    const score::ClassStudents loaded = score::OpenClassStudents(connection(), m_identity, this);
    setTitle(classTitle() + Combo3->currentText() + QStringLiteral("成绩 任课教师:") + subject.teacher);

    Combo5->clear();
    listExams(loaded.columns, false);
    clearGrid(score::kLoadHeader);
    FillScoreGrid(loaded.students);

    m_choosing = true;
    m_toggle->showState();
    m_choosing = false;
}

void ScoreEntryWindow::listExams(const QStringList &columns, bool afterCreation)
{
    const QString subject = Combo3->currentText();
    m_exams = score::FindExamsOfSubject(columns, subject);
    QStringList shown;
    for (const QString &exam : m_exams)
        shown << score::DecodeExamName(exam, afterCreation ? score::kCreatedExamNames : score::kScoreEntryNames,
                                       subject);
    Combo5->clear();
    Combo5->addItems(shown);
    Combo5->setCurrentIndex(-1);
}

void ScoreEntryWindow::Combo5_Click()
{
    const int j = Combo5->currentIndex();
    if (j < 0 || j >= m_exams.size() || !m_identity.isValid())
        return;
    if (!settleUnsavedScores()) {
        const QSignalBlocker block(Combo5);
        Combo5->setCurrentIndex(m_openExam);
        return;
    }
    setFullMark(QStringLiteral("100"));
    const reg::Statement scores = score::scoreSheetQuery(m_identity.sectionTable, m_identity.classCode, m_exams[j]);
    if (!scores.isValid())
        return;
    const std::optional<QList<score::ScoreRow>> sheet =
        score::readScoreSheet(connection(), m_identity.sectionTable, m_identity.classCode, m_exams[j]);
    if (!sheet)
        reportReadFailure(this, connection().error());
    clearGrid(score::examHeader(Combo3->currentText()));
    m_openExam = j;
    FillScoreGrid(sheet.value_or(QList<score::ScoreRow>()));
    Text7->setText(Combo5->currentText());
    setTitle(classTitle() + Combo5->currentText() + QStringLiteral(" 任课教师:") + chosenSubject().teacher);
    // A locked exam is shown, never changed.
    m_examLocked = sheet && isExamLocked(connection(), m_identity.sectionTable, m_exams[j]);
    Command8->setEnabled(m_toggle->isSignedIn() && !m_examLocked);
    updateEntryFrame();
    if (m_examLocked) {
        Label5->setText(lockedExamText());
        showNotice(this, lockedExamText(), kTitleHint);
    }
}

void ScoreEntryWindow::FillScoreGrid(const QList<score::ScoreRow> &rows)
{
    Grid1->setRows(1);
    m_rows = rows;
    if (m_rows.isEmpty())
        return;
    const bool examOpen = Combo5->currentIndex() >= 0;

    Grid1->setUpdatesEnabled(false);
    const int height = RowHeightForFont(*Grid1, score::kFilledRowHeight);
    Grid1->setRows(1 + int(m_rows.size()));
    for (int i = 0; i < m_rows.size(); ++i) {
        const QStringList cells = score::gridTexts(m_rows[i], i + 1);
        for (int c = 0; c < score::kScoreGridCols; ++c)
            Grid1->setTextMatrix(i + 1, c, cells[c]);
        Grid1->setRowHeight(i + 1, height);
    }
    Grid1->setUpdatesEnabled(true);

    Grid1->scrollToTop();   // the first student shows first, whatever was shown before

    if (!examOpen || m_openExam < 0 || m_openExam >= m_exams.size())
        return;
    const QList<std::optional<float>> scores = score::scoresOf(m_rows);
    setFullMark(formatSingle(classFullMark(connection(), m_identity.sectionTable, m_exams[m_openExam],
                                           Combo1->currentText(), Combo2->currentText(), scores, this)));
    const bool anyScore = std::any_of(scores.cbegin(), scores.cend(), [](const auto &s) { return s.has_value(); });
    if (!anyScore)
        showNotice(this, kNoScores, kTitleHintDots);
}

void ScoreEntryWindow::clearGrid(const QString &header)
{
    m_editor->cancel();
    m_target = -1;
    m_openExam = -1;
    m_examLocked = false;
    Grid1->setRows(1);
    Grid1->setFormatString(header);
    Grid1->setColWidth(score::kColId, 0);
    Grid1->setColWidth(score::kColRowState, 0);
    m_rows.clear();
}

void ScoreEntryWindow::setFullMark(const QString &text)
{
    m_fullMark = text;
    Text9->setText(text);
}

void ScoreEntryWindow::Text9_Validate()
{
    // Scores are checked against the full mark: only a sensible mark replaces it.
    if (score::parseFullMark(Text9->text()))
        m_fullMark = Text9->text().trimmed();
    Text9->setText(m_fullMark);
}

void ScoreEntryWindow::setTitle(const QString &title)
{
    Label4->setText(title);
    Label7->setText(title);
}

ClassEntry ScoreEntryWindow::chosenClass() const
{
    return m_choice->classEntry();
}

score::SubjectEntry ScoreEntryWindow::chosenSubject() const
{
    return m_choice->subjectEntry();
}

QString ScoreEntryWindow::classTitle() const
{
    return QStringLiteral("录入") + Combo1->currentText().left(2) + Combo2->currentText() + QLatin1Char('(')
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
    Label5->setText(status.arg(teacher));
    Command8->setEnabled(signedIn);
    updateEntryFrame();
}

void ScoreEntryWindow::updateEntryFrame()
{
    // Signed in is not enough: the entry frame also waits for a subject of a
    // class with a class code (a new grade group or class takes it away again)
    // and stays off while the creation panel is open.
    Frame1->setEnabled(m_toggle->isSignedIn() && m_choice->subjectIndex() >= 0 && m_identity.isValid() && !m_panelOpen);
    for (QLineEdit *box : {Text2, Text3, Text4, Text5, Text9})
        box->setEnabled(!m_examLocked);
    if (m_examLocked)
        Command8->setEnabled(false);
    Command2->setEnabled(!m_panelOpen);
}

// ---- Exam creation ----------------------------------------------------------

void ScoreEntryWindow::Command1_Click()
{
    m_panelOpen = true;
    Frame1->hide();   // out of use while the panel is open: the panel takes its room
    Frame6->show();
    Frame2->setEnabled(false);
    updateEntryFrame();
}

void ScoreEntryWindow::Command19_Click()
{
    closePanel();
}

void ScoreEntryWindow::closePanel()
{
    m_panelOpen = false;
    Frame6->hide();
    Frame1->show();
    Frame2->setEnabled(true);
    updateEntryFrame();
}

void ScoreEntryWindow::composeMidTermOrFinal(bool final)
{
    const score::ExamKind kind = final ? score::ExamKind::Final : score::ExamKind::MidTerm;
    const QString subject = Combo3->currentText();
    const QString raw = score::examColumnName(kind, subject, session().today(), QString());
    Text6->setText(raw);
    Text7->setEnabled(false);
    Text7->setText(score::DecodeExamName(raw, score::kCreatedExamNames, subject));
    lblLabels17->clear();
    Command3->setEnabled(true);
}

void ScoreEntryWindow::Option1_Click()
{
    composeMidTermOrFinal(false);
}

void ScoreEntryWindow::Option2_Click()
{
    composeMidTermOrFinal(true);
}

void ScoreEntryWindow::Option3_Click()
{
    Text6->clear();
    Text7->setEnabled(true);
    Text7->clear();
    Command3->setEnabled(true);
    lblLabels17->setText(Combo3->currentText() + QStringLiteral("测验"));
    Text7->setFocus();
}

bool ScoreEntryWindow::refuseNewExam(score::NewExamCheck check, const QString &column, const QString &shown)
{
    switch (check) {
    case score::NewExamCheck::Free:
        return false;
    case score::NewExamCheck::Exists:
        showNotice(this, QStringLiteral("尊敬的%1,您要添加的考试（%2）已经存在了,直接输入成绩即可。")
                             .arg(withTeacherTitle(chosenSubject().teacher), shown));
        Text7->clear();
        Text8->clear();
        Command3->setEnabled(false);
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

void ScoreEntryWindow::Command3_Click()
{
    const QString subject = Combo3->currentText();
    const QString teacher = chosenSubject().teacher;
    QString shown = Text7->text();
    if (Option3->isChecked()) {
        // The quiz name stays in Text7 as typed; the shown name is composed apart.
        const QString quiz = Text7->text();
        const QString raw = score::examColumnName(score::ExamKind::Quiz, subject, session().today(), quiz);
        QString refusal = score::quizNameRefusal(quiz);
        if (refusal.isEmpty() && !db::isValidIdentifier(raw))
            refusal = score::kQuizNameMessage;
        if (!refusal.isEmpty()) {
            showNotice(this, refusal, kTitleHint);
            Text7->setFocus();
            return;
        }
        Text6->setText(raw);
        shown = quiz + lblLabels17->text();
    }
    const QString raw = Text6->text();
    if (raw.isEmpty()) {
        showNotice(this, QStringLiteral("没有考试名称,无法创建。"), kTitleHint);
        return;
    }
    if (!score::parseFullMark(Text8->text())) {
        showNotice(this, QStringLiteral("请输入本次考试满分成绩值。"), kTitleHint);
        Text8->setFocus();
        return;
    }
    if (!m_identity.isValid()
        || !m_toggle->confirmSignedIn(QStringLiteral("任课教师(%1)没有登陆，考试没有创建。请登陆后再创建。")))
        return;

    db::Connection &c = connection();
    if (!c.ok()) {
        reportSaveFailure(this, QStringLiteral("考试没有创建："), c.error(), kTitleHint);
        return;
    }
    const QString table = m_identity.sectionTable;
    if (refuseNewExam(score::checkNewExam(db::tableColumns(c, table), db::columnLimit(c), raw), raw, shown))
        return;
    if (!askYesNo(this, QStringLiteral("尊敬的%1,您要添加（%2）吗?").arg(withTeacherTitle(teacher), shown), kTitleHintDots))
        return;
    // Scores typed for the open exam are settled before anything is created; a
    // Cancel creates nothing.
    if (!settleUnsavedScores())
        return;

    const QString fullMark = Text8->text().trimmed();
    const ClassEntry klass = chosenClass();
    const score::CreateExamOutcome outcome = score::CreateExam(
        c, {table, raw, Combo1->currentText(), Combo2->currentText(), klass.headTeacher, teacher, fullMark});
    if (!outcome.ok) {
        if (!refuseNewExam(outcome.check, raw, shown))
            reportSaveFailure(this, QStringLiteral("考试没有创建："), outcome.error, kTitleHint,
                              QStringLiteral("\r考试名册和成绩表都没有改动。"));
        return;
    }

    // The new column comes last: listing the subject's exams again ends with it.
    listExams(outcome.columns, true);
    Combo5->setCurrentIndex(Combo5->count() - 1);
    Combo5_Click();
    // The typed full mark belongs to the new exam only.
    if (m_openExam == m_exams.size() - 1)
        setFullMark(fullMark);
    Command3->setEnabled(false);
    closePanel();
}

void ScoreEntryWindow::Command7_Click()
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
    return m_rows[index].score && Option4->isChecked() ? 0 : kShownRowHeight;
}

void ScoreEntryWindow::showRow(int index, int twips)
{
    Grid1->setRowHeight(index + 1, twips == 0 ? 0 : RowHeightForFont(*Grid1, twips));
}

void ScoreEntryWindow::setRowHeights()
{
    Grid1->setUpdatesEnabled(false);
    for (int i = 0; i < m_rows.size(); ++i)
        showRow(i, viewHeight(i));
    Grid1->setUpdatesEnabled(true);
}

void ScoreEntryWindow::quietSet(QLineEdit *box, const QString &text)
{
    const QSignalBlocker quiet(box);
    box->setText(text);
}

void ScoreEntryWindow::clearSeatBox()
{
    // An empty box searches too: every row back at its view height.
    if (Text2->text().isEmpty())
        Text2_Change();
    else
        Text2->clear();
}

void ScoreEntryWindow::enterScore(int index, std::optional<double> score)
{
    score::ScoreRow &row = m_rows[index];
    row.score = score;
    row.state = QStringLiteral("1");
    Grid1->setTextMatrix(index + 1, score::kColScore, score::shownScoreText(score));
    Grid1->setTextMatrix(index + 1, score::kColRowState, row.state);
}

void ScoreEntryWindow::rowWritten(int row)
{
    const int index = row - 1;
    if (index < 0 || index >= m_rows.size())
        return;
    score::ScoreRow &r = m_rows[index];
    r.score = score::scoreValue(Grid1->TextMatrix(row, score::kColScore));
    r.state = Grid1->TextMatrix(row, score::kColRowState);
    if (r.score && Option4->isChecked())
        showRow(index, 0);
}

void ScoreEntryWindow::Text2_Change()
{
    const QString text = Text2->text();
    int matches = 0;
    QString name;
    Grid1->setUpdatesEnabled(false);
    for (int i = 0; i < m_rows.size(); ++i) {
        const QString seat = score::seatOf(m_rows[i]);
        if (text.size() > 2 || !seat.startsWith(text)) {
            showRow(i, 0);
            continue;
        }
        const bool onlyUnscored = m_rows[i].score && Option4->isChecked() && seat != text;
        showRow(i, onlyUnscored ? 0 : kShownRowHeight);
        if (matches++ == 0) {
            m_target = i;
            name = m_rows[i].name;
        }
    }
    Grid1->setUpdatesEnabled(true);
    if (matches == 0) {
        setRowHeights();
        Text2->setFocus();
        if (!text.isEmpty()) {
            PlayKeySound(score::kSoundError);
            Text2->clear();
        }
    } else if (matches == 1) {
        quietSet(Text3, name);
        Text4->setFocus();
    } else if (!Text3->text().isEmpty()) {
        quietSet(Text3, QString());
    }
}

void ScoreEntryWindow::Text3_Change()
{
    const QString text = Text3->text();
    int matches = 0;
    QString shownId;
    Grid1->setUpdatesEnabled(false);
    for (int i = 0; i < m_rows.size(); ++i) {
        const score::ScoreRow &row = m_rows[i];
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
    Grid1->setUpdatesEnabled(true);
    if (matches == 0) {
        quietSet(Text3, QString());
        Text3->setFocus();
        setRowHeights();
    } else if (matches == 1) {
        quietSet(Text2, shownId);
        Text4->setFocus();
    } else if (!Text2->text().isEmpty()) {
        quietSet(Text2, QString());
    }
}

void ScoreEntryWindow::Text4_Change()
{
    if (!score::isAboveFullMark(Text4->text(), Text9->text()))
        return;
    Text4->clear();
    tellAboveFullMark();
    Text4->setFocus();
}

void ScoreEntryWindow::tellAboveFullMark()
{
    PlayKeySound(score::kSoundError);
    showNotice(this, kAboveFullMark, kTitleHint);
}

void ScoreEntryWindow::Text5_Change()
{
    const QString text = Text5->text();
    if (text.isEmpty()) {
        clearSeatBox();
        quietSet(Text3, QString());
        Text4->clear();
        Text5->setFocus();
        return;
    }
    const int slash = text.indexOf(u'/');
    if (slash >= 0) {
        const QString score = text.mid(slash + 1);
        if (!score.isEmpty() && score::isAboveFullMark(score, Text9->text())) {
            tellAboveFullMark();
            Text5->setText(text.left(slash + 1));
        } else {
            Text4->setText(score.left(3));
        }
        Text5->end(false);
        Text5->setFocus();
        return;
    }
    if (score::seatBeyondClass(text, score::largestSeat(m_rows))) {
        PlayKeySound(score::kSoundError);
        showNotice(this, kSeatTooLarge, kTitleHint);
        Text5->clear();
        return;
    }
    Text2->setText(text);
    Text5->end(false);
    Text5->setFocus();
}

void ScoreEntryWindow::Text2_Enter()
{
    if (Text2->text().size() == 1)
        Text2->setText(QLatin1Char('0') + Text2->text());
    PlayKeySound(score::kSoundSlash);
    Text4->setFocus();
}

void ScoreEntryWindow::Text4_Enter()
{
    if (Text4->text().isEmpty()) {
        Text3->setFocus();
        return;
    }
    if (Text2->text().isEmpty() || Text3->text().isEmpty() || m_target < 0 || m_target >= m_rows.size())
        return;
    const std::optional<double> score = score::scoreValue(Text4->text());
    if (!score)
        return;
    const QString question = QStringLiteral("(%1)得分(%2)对吗?").arg(Text3->text(), Text4->text());
    if (!askYesNo(this, question, kTitleHint))
        return;
    enterScore(m_target, score);
    Text2->clear();
    quietSet(Text3, QString());
    Text4->clear();
    Text3->setFocus();
}

void ScoreEntryWindow::Text5_Enter()
{
    if (Text4->text().isEmpty() || Text5->text().isEmpty())
        return;
    const std::optional<score::MixedEntry> entry = score::parseMixedEntry(Text5->text());
    if (!entry)
        return;   // no seat/score pair: nothing to store
    const int index = score::rowOfSeat(m_rows, entry->seat);
    if (index < 0) {
        Text5->clear();
        Text5->setFocus();
        return;
    }
    const QString question =
        QStringLiteral("(%1)得分(%2)对吗?").arg(m_rows[index].name, formatSingle(float(entry->score)));
    if (!askYesNo(this, question, kTitleHint))
        return;
    enterScore(index, entry->score);
    if (Option4->isChecked())
        showRow(index, 0);
    Text5->clear();
    Text5->setFocus();
}

bool ScoreEntryWindow::boxKey(QLineEdit *box, QKeyEvent *event)
{
    if (isEnter(event)) {
        if (box == Text3)
            Text2->setFocus();
        else if (box == Text2)
            Text2_Enter();
        else if (box == Text4)
            Text4_Enter();
        else if (box == Text5)
            Text5_Enter();
        return true;
    }
    if (box == Text3)
        return false;   // names are typed as they are, without a sound
    const QChar typed = typedCharacter(event);
    if (typed.isNull())
        return false;   // caret keys, Delete, shortcuts: the box's own
    const score::KeyOutcome r = box == Text2 ? score::seatKey(typed)
                              : box == Text4 ? score::ScoreKeyFilter(typed, box->text())
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
        if (box == Text1) {
            if (isEnter(key))
                m_editor->setSkipNextWriteBack(false);   // Enter is typed too
            return false;
        }
        return boxKey(box, key);
    }
    if (event->type() == QEvent::InputMethod && (box == Text4 || box == Text5)) {
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

void ScoreEntryWindow::Option4_Click()
{
    if (m_editor->isOpen() && !m_editor->skipNextWriteBack())
        m_editor->CommitCellEdit();
    Grid1->setUpdatesEnabled(false);
    for (int i = 0; i < m_rows.size(); ++i)
        showRow(i, m_rows[i].score ? 0 : kUnscoredRowHeight);
    Grid1->setUpdatesEnabled(true);
}

void ScoreEntryWindow::Option5_Click()
{
    if (m_editor->isOpen() && !m_editor->skipNextWriteBack())
        m_editor->CommitCellEdit();
    Grid1->setUpdatesEnabled(false);
    for (int i = 0; i < m_rows.size(); ++i)
        showRow(i, kShownRowHeight);
    Grid1->setUpdatesEnabled(true);
}

// ---- Statistics and saving ------------------------------------------------------

void ScoreEntryWindow::Command4_Click()
{
    const score::EntryStatistics s = score::entryStatistics(m_rows, Text9->text().toFloat());
    if (s.participants == 0) {
        showNotice(this, kNoStatistics, kTitleHintDots);
        return;
    }
    for (int i = 0; i < m_rows.size(); ++i) {
        // A row without a score has no rank, whatever an earlier count wrote.
        m_rows[i].rank = s.ranks[i] == 0 ? QString() : QString::number(s.ranks[i]);
        Grid1->setTextMatrix(i + 1, score::kColRank, m_rows[i].rank);
    }
    Label3_0->setText(score::statisticsPanelText(s, Text9->text()));
    // The panel lies over the middle of the grid.
    Picture1->adjustSize();
    const QPoint centre = Grid1->mapTo(this, Grid1->rect().center());
    Picture1->move(centre - QPoint(Picture1->width() / 2, Picture1->height() / 2));
    Picture1->raise();
    Picture1->show();
}

void ScoreEntryWindow::Command5_Click()
{
    Picture1->hide();
}

bool ScoreEntryWindow::hasUnsavedScores() const
{
    return std::any_of(m_rows.cbegin(), m_rows.cend(), [](const score::ScoreRow &r) { return !r.state.isEmpty(); });
}

bool ScoreEntryWindow::settleUnsavedScores()
{
    m_editor->CloseCellEditor();
    if (!hasUnsavedScores())
        return true;
    return settleUnsavedChanges(this, QStringLiteral("录入的成绩还没有保存，要先保存吗?"), [this] { return SaveScores(); });
}

bool ScoreEntryWindow::SaveScores()
{
    m_editor->CloseCellEditor();
    if (!m_toggle->confirmSignedIn())
        return false;
    if (m_openExam < 0 || m_openExam >= m_exams.size()) {
        showNotice(this, QStringLiteral("还没有打开或创建考试，成绩没有保存。请先选择已有的考试或创建新的考试。"), kTitleHint);
        return false;
    }
    const QString column = m_exams[m_openExam];
    const score::ScoreSaveOutcome outcome =
        saveWith<score::ScoreSaveOutcome>(connection(), [&](db::Connection &c) {
            if (isExamLocked(c, m_identity.sectionTable, column)) {
                score::ScoreSaveOutcome locked;
                locked.error = {db::kErrSql, lockedExamText()};
                return locked;
            }
            return score::SaveScores(c, m_identity.sectionTable, column, m_rows);
        });
    if (!outcome.ok) {
        reportSaveFailure(this, QStringLiteral("成绩没有保存："), outcome.error, kTitleHint,
                          QStringLiteral("\r录入的成绩还在表中，没有写入任何成绩。"));
        return false;
    }
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].state.isEmpty())
            continue;
        // What is stored now, for the next save's comparison.
        if (score::storedScore(m_rows[i].loaded) != score::shownScore(m_rows[i].score))
            m_rows[i].loaded = m_rows[i].score ? QVariant(*m_rows[i].score) : QVariant(QMetaType(QMetaType::Double));
        m_rows[i].state.clear();
        Grid1->setTextMatrix(i + 1, score::kColRowState, QString());
    }
    QString report = QStringLiteral("已经保存了%1个学生的成绩。").arg(outcome.saved);
    if (!outcome.gone.isEmpty())
        report += QStringLiteral("\r%1的学籍已不在(可能已在别的电脑上删除),成绩没有保存。")
                      .arg(outcome.gone.join(QStringLiteral("、")));
    showNotice(this, report, kTitleHint);
    return true;
}

void ScoreEntryWindow::Command8_Click()
{
    SaveScores();
}

} // namespace tessaly
