#include "score_entry/score_entry_window.h"

#include "kit/save_report.h"
#include "kit/sign_in_toggle.h"
#include "kit/window_steps.h"
#include "platform/data_control.h"
#include "platform/database.h"
#include "platform/flex_grid.h"
#include "platform/messages.h"
#include "score_entry/exam_columns.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessaly {

namespace {

const QString kTitle = QStringLiteral("任 课 教 师 录 入 成 绩");
const QString kGridCaption = QStringLiteral("显示学生成绩");
const QString kStartStatus = QStringLiteral("提示：请选择年级组、班级，并且班主任登陆后，才可修改学籍。");
const QString kNoScores = QStringLiteral("本次考试还没添写过任何人的成绩。");
const QString kQuizNameMessage = QStringLiteral("请添写3个字以内的考试名称,否则无法创建。");
const QString kCreationNote = QStringLiteral(
    "    注意：在创建新的考试前，请一定先查看<已有的考试>，不要创建名称不同，实为同一次考试的新考名称。");

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

    m_toggle = new SignInToggle(SignInToggle::Kind::Teacher, Command2, m_host, this);
    m_toggle->setChoices(Combo1, Combo2, Combo3);
    m_toggle->setAccount([this] {
        const score::SubjectEntry e = chosenSubject();
        return Account{e.teacher, e.password, e.id};
    });
    connect(m_toggle, &SignInToggle::stateShown, this, &ScoreEntryWindow::showSignInState);

    ReportDataError(*Data1, this);
    ShowRecordPosition(*Data1, PositionText::Students);
    ReportDataError(*Data2, this);

    connect(Combo1, &QComboBox::activated, this, &ScoreEntryWindow::Combo1_Click);
    connect(Combo2, &QComboBox::activated, this, &ScoreEntryWindow::Combo2_Click);
    connect(Combo3, &QComboBox::activated, this, &ScoreEntryWindow::Combo3_Click);
    connect(Combo5, &QComboBox::activated, this, &ScoreEntryWindow::Combo5_Click);
    connect(Text9, &QLineEdit::editingFinished, this, &ScoreEntryWindow::Text9_Validate);
    connect(Command1, &QPushButton::clicked, this, &ScoreEntryWindow::Command1_Click);
    connect(Command19, &QPushButton::clicked, this, &ScoreEntryWindow::Command19_Click);
    connect(Option1, &QRadioButton::clicked, this, &ScoreEntryWindow::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &ScoreEntryWindow::Option2_Click);
    connect(Option3, &QRadioButton::clicked, this, &ScoreEntryWindow::Option3_Click);
    connect(Command3, &QPushButton::clicked, this, &ScoreEntryWindow::Command3_Click);
    connect(Command7, &QPushButton::clicked, this, &ScoreEntryWindow::Command7_Click);

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
    // The statistics are not part of this window yet: the button stays disabled
    // so nothing pretends to work.
    Command4->setEnabled(false);
    auto *entry = new QGridLayout(Frame1);
    entry->addWidget(Command1, 0, 0, 1, 2);
    entry->addWidget(Command4, 1, 0, 1, 2);
    entry->addWidget(label(QStringLiteral("满分:"), Frame1), 2, 0);
    entry->addWidget(Text9, 2, 1);

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
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command3);
    buttons->addWidget(Command19);
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
    Option4 = named(new QRadioButton(QStringLiteral("只显示末输分者"), this), "Option4");
    Option5->setEnabled(false);
    Option4->setEnabled(false);
    Command7 = named(new QPushButton(QStringLiteral("关    闭(&P)"), this), "Command7");
    Label5 = label(QString(), this, "Label5");

    Data1 = named(new DataControl(this), "Data1");
    Data1->hide();
    Data2 = named(new DataControl(this), "Data2");
    Data2->hide();

    auto *left = new QVBoxLayout;
    left->addWidget(Frame2);
    left->addWidget(Command2);
    left->addWidget(Frame1);
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

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label4);
    layout->addLayout(body, 1);
    layout->addWidget(Label5);
}

// ---- Selection -------------------------------------------------------------

void ScoreEntryWindow::Form_Load()
{
    MoveToTopLeft(this);
    FillGradeGroupCombo(*Data2, session(), Combo1, GradeGroupVariant::Common, this);
    Combo2->clear();
    Combo3->clear();
    Combo5->clear();
    clearGrid(score::kLoadHeader);
    Label5->setText(kStartStatus);
}

void ScoreEntryWindow::Combo1_Click()
{
    FillClassCombo(*Data2, session(), Combo1->currentText(), Combo2, ClassVariant::WithPassword, m_classes, this);
    Combo3->clear();
    Combo5->clear();
    m_subjects = {};
    m_exams.clear();
    m_classIndex = -1;
    m_subjectIndex = -1;
    Data2->Close();
    clearGrid(score::kLoadHeader);
    Data2->setCaption(QString());
    Label4->setText(Combo1->currentText() + Combo2->currentText());
    updateEntryFrame();
}

void ScoreEntryWindow::Combo2_Click()
{
    const int index = Combo2->currentIndex();
    if (index < 0 || index >= m_classes.size())
        return;
    m_classIndex = index;
    score::FillSubjectCombo(*Data2, session(), Combo1->currentText(), Combo2->currentText(), Combo3, m_subjects,
                            this);
    Combo5->clear();
    m_exams.clear();
    m_subjectIndex = -1;
    const ClassEntry c = chosenClass();
    const QString title = classTitle() + QStringLiteral("成绩 班主任:") + c.headTeacher;
    Label4->setText(title);
    Label7->setText(title);
    clearGrid(score::kLoadHeader);
    updateEntryFrame();
}

void ScoreEntryWindow::Combo3_Click()
{
    const int k = Combo3->currentIndex();
    if (k < 0 || k >= m_subjects.size())
        return;
    m_subjectIndex = k;
    Session &s = session();
    const score::SubjectEntry subject = chosenSubject();
    s.username = subject.teacher;
    s.userpas = subject.password;
    s.id = subject.id;

    m_identity = reg::ResolveClassCode(Combo1->currentText(), Combo2->currentText(), s.today());
    const QStringList columns = score::OpenClassStudents(*Data1, s.openpath, m_identity);
    Label4->setText(classTitle() + Combo3->currentText() + QStringLiteral("成绩 任课教师:") + subject.teacher);

    Combo5->clear();
    listExams(columns, false);
    clearGrid(score::kLoadHeader);
    FillScoreGrid();

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
    setFullMark(QStringLiteral("100"));
    const reg::Statement scores = score::scoreSheetQuery(m_identity.sectionTable, m_identity.classCode, m_exams[j]);
    if (!scores.isValid())
        return;
    Data1->setDatabaseName(session().openpath);
    Data1->setRecordSource(scores.sql, scores.params);
    Data1->Refresh();
    clearGrid(score::examHeader(Combo3->currentText()));
    FillScoreGrid();
    Text7->setText(Combo5->currentText());
    Label4->setText(classTitle() + Combo5->currentText() + QStringLiteral(" 任课教师:") + chosenSubject().teacher);
}

void ScoreEntryWindow::FillScoreGrid()
{
    Grid1->setRows(1);
    m_rows.clear();
    if (!Data1->hasRecordset() || Data1->RecordCount() == 0)
        return;
    const bool examOpen = Combo5->currentIndex() >= 0;
    m_rows = score::scoreRowsFrom(Data1->rows(), m_identity.classCode, examOpen);

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

    if (!examOpen)
        return;
    const QList<std::optional<float>> scores = score::scoresOf(m_rows);
    if (score::FullMarkOf(scores) > 100)
        setFullMark(QStringLiteral("150"));
    const bool anyScore = std::any_of(scores.cbegin(), scores.cend(), [](const auto &s) { return s.has_value(); });
    if (!anyScore)
        showNotice(this, kNoScores, kTitleHintDots);
}

void ScoreEntryWindow::clearGrid(const QString &header)
{
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

ClassEntry ScoreEntryWindow::chosenClass() const
{
    return m_classes.at(m_classIndex);
}

score::SubjectEntry ScoreEntryWindow::chosenSubject() const
{
    return m_subjects.at(m_subjectIndex);
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
    updateEntryFrame();
}

void ScoreEntryWindow::updateEntryFrame()
{
    // Signed in is not enough: the entry frame also waits for a subject of a
    // class with a class code (a new grade group or class takes it away again)
    // and stays off while the creation panel is open.
    Frame1->setEnabled(m_toggle->isSignedIn() && m_subjectIndex >= 0 && m_identity.isValid() && !m_panelOpen);
    Command2->setEnabled(!m_panelOpen);
}

// ---- Exam creation ----------------------------------------------------------

void ScoreEntryWindow::Command1_Click()
{
    m_panelOpen = true;
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
        showNotice(this, QStringLiteral("尊敬的%1老师,您要添加的考试（%2）已经存在了,直接输入成绩即可。")
                             .arg(chosenSubject().teacher, shown));
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
        if (!score::isValidQuizName(quiz) || !db::isValidIdentifier(raw)) {
            showNotice(this, kQuizNameMessage, kTitleHint);
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
    if (!m_identity.isValid())
        return;

    db::Connection c(session().openpath);
    if (!c.ok()) {
        reportSaveFailure(this, QStringLiteral("考试没有创建："), c.error(), kTitleHint);
        return;
    }
    const QString table = m_identity.sectionTable;
    if (refuseNewExam(score::checkNewExam(db::tableColumns(c, table), db::columnLimit(c), raw), raw, shown))
        return;
    if (!askYesNo(this, QStringLiteral("尊敬的%1老师,您要添加（%2）吗?").arg(teacher, shown), kTitleHintDots))
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
    listExams(db::tableColumns(c, table), true);
    c.close();
    Combo5->setCurrentIndex(Combo5->count() - 1);
    Combo5_Click();
    setFullMark(fullMark);
    const QString title = classTitle() + Combo5->currentText() + QStringLiteral(" 任课教师:") + teacher;
    Label4->setText(title);
    Label7->setText(title);
    Command3->setEnabled(false);
    closePanel();
}

void ScoreEntryWindow::Command7_Click()
{
    CloseWindow(this);
}

} // namespace tessaly
