#include "records/conduct_window.h"

#include "kit/form_layout.h"
#include "kit/save_report.h"
#include "kit/text_box.h"
#include "kit/unsaved_changes.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "widgets/data_control.h"
#include "widgets/flex_grid.h"
#include "widgets/fonts.h"
#include "widgets/messages.h"
#include "records/evaluation_columns.h"
#include "records/head_teacher_documents.h"
#include "records/phrase_panel.h"
#include "school/class_members.h"
#include "school/teacher_title.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace tessaly {

using namespace records;

namespace {

const QString kHeading = QStringLiteral("=========班 主 任 进 行 操 行 评 定========");
const QString kStudentHeader = QStringLiteral("^编号|^学 籍 号|^ 姓  名 |^性别|^民族");
const QString kEvaluationHeader =
    QStringLiteral("^编号|^学 籍 号|^ 姓  名 |.              评         定        内         容                .");
const QString kCrLf = QStringLiteral("\r\n");

} // namespace

ConductWindow::ConductWindow(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host)
{
    setObjectName(QString::fromUtf16(kConductWindow));
    setWindowTitle(QString::fromUtf16(kConductWindow));

    Frame3 = named(new QWidget(this), "Frame3");
    Combo1 = named(new QComboBox(Frame3), "Combo1");
    Combo2 = named(new QComboBox(Frame3), "Combo2");
    Combo4 = named(new QComboBox(Frame3), "Combo4");
    for (QComboBox *box : {Combo1, Combo2, Combo4}) {
        box->setEditable(true);
        fitDropDown(box);
    }
    // Room for the longest evaluation name beside the drop-down arrow.
    Combo4->setMinimumWidth(Combo4->fontMetrics().horizontalAdvance(QStringLiteral("初二十二班05-06上学年操行评定"))
                            + 3 * Combo4->fontMetrics().height());
    Text1 = named(new QLineEdit(Frame3), "Text1");
    Text2 = named(new QLineEdit(Frame3), "Text2");
    for (QLineEdit *box : {Text1, Text2})
        box->setReadOnly(true);
    Data3 = named(new DataControl(Frame3), "Data3");
    Data3->setCaption(QStringLiteral("评定内容"));
    Text3 = named(new LimitedTextBox(kEvaluationLength, Frame3), "Text3");
    Text3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Command6 = named(new QPushButton(QStringLiteral("保存(&S)"), Frame3), "Command6");
    Command4 = named(new QPushButton(QStringLiteral("创建评定(&H)"), Frame3), "Command4");
    Command10 = named(new QPushButton(Frame3), "Command10");
    Command2 = named(new QPushButton(QStringLiteral("打印(&P)"), Frame3), "Command2");
    Command7 = named(new QPushButton(QStringLiteral("打开模板(&T)"), Frame3), "Command7");
    cmdClose = named(new QPushButton(QStringLiteral("关闭(&C)"), Frame3), "cmdClose");

    Label3 = named(new QLabel(kHeading, this), "Label3");
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setFont(cjkFont(QStringLiteral("黑体"), 12, true));

    Grid1 = named(new FlexGrid(this), "Grid1");
    Grid1->setRows(1);
    Grid1->setFixedRows(1);

    creationPanel = named(new QFrame(this), "creationPanel");
    creationPanel->setFrameShape(QFrame::StyledPanel);
    Text5 = named(new QLineEdit(creationPanel), "Text5");
    Text5->setReadOnly(true);
    Text6 = named(new QLineEdit(creationPanel), "Text6");
    Text6->hide();
    Command1 = named(new QPushButton(QStringLiteral("创建评定(&M)"), creationPanel), "Command1");
    Command5 = named(new QPushButton(QStringLiteral("取消创建(&X)"), creationPanel), "Command5");

    // The phrase panel locks the rest of the window while a phrase is added or edited.
    Frame1 = new PhrasePanel([this]() -> db::Connection & { return connection(); }, {Frame3, Command10, Command1, Command2}, this);
    Command3 = named(new QPushButton(QStringLiteral("关闭模板(&T)"), this), "Command3");

    // Selection and editing on the left.
    QGridLayout *choices = captionedGrid(Frame3, {{QStringLiteral("选择年级组:"), Combo1},
                                                  {QStringLiteral("选择  班级:"), Combo2},
                                                  {QStringLiteral("原有的操行评定:"), Combo4},
                                                  {QStringLiteral("学号"), Text1},
                                                  {QStringLiteral("姓名"), Text2}});
    choices->setColumnStretch(1, 1);
    auto *buttons = new QGridLayout;
    buttons->addWidget(Command6, 0, 0);
    buttons->addWidget(Command4, 0, 1);
    buttons->addWidget(Command10, 1, 0, 1, 2);
    buttons->addWidget(Command2, 2, 0);
    buttons->addWidget(Command7, 2, 1);
    buttons->addWidget(cmdClose, 3, 0, 1, 2);
    auto *left = new QVBoxLayout(Frame3);
    left->setContentsMargins(0, 0, 0, 0);
    left->addLayout(choices);
    left->addWidget(Data3);
    left->addWidget(new QLabel(QStringLiteral("（用此移动学生名单）"), Frame3), 0, Qt::AlignCenter);
    left->addWidget(new QLabel(QStringLiteral("  评 定 内 容"), Frame3));
    left->addWidget(Text3, 1);
    left->addLayout(buttons);

    // The student grid, or a panel over it, on the right.
    auto *creation = new QVBoxLayout(creationPanel);
    creation->addWidget(new QLabel(QStringLiteral("您可以创建新评定了"), creationPanel));
    creation->addWidget(new QLabel(QStringLiteral("新评定的名称是："), creationPanel));
    creation->addWidget(Text5);
    creation->addWidget(Text6);
    creation->addLayout(buttonRow({Command1, Command5}));
    creation->addStretch();
    m_phrasePage = new QWidget(this);
    auto *phrase = new QVBoxLayout(m_phrasePage);
    phrase->setContentsMargins(0, 0, 0, 0);
    phrase->addWidget(Frame1, 1);
    phrase->addWidget(Command3, 0, Qt::AlignRight);
    m_lower = new QStackedWidget(this);
    m_lower->addWidget(Grid1);
    m_lower->addWidget(creationPanel);
    m_lower->addWidget(m_phrasePage);

    auto *body = new QHBoxLayout;
    body->addWidget(Frame3);
    body->addWidget(m_lower, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label3);
    layout->addLayout(body, 1);

    m_context = new ClassContext({.gradeGroup = Combo1,
                                  .klass = Combo2,
                                  .toggle = Command10,
                                  .editors = {Frame1, Command4},
                                  .checks = ClassContext::Checks::Conduct},
                                 *this, this);
    m_context->setLeaveCheck([this] { return settleEvaluation(); });
    Frame1->editor()->setSignIn(m_context->toggle());
    ReportDataError(*Data3, this);
    connect(m_context, &ClassContext::gradeGroupChosen, this, &ConductWindow::gradeGroupChosen);
    connect(m_context, &ClassContext::classChosen, this, &ConductWindow::classChosen);
    connect(Combo4, &QComboBox::activated, this, &ConductWindow::Combo4_Click);
    connect(Data3, &DataControl::Validate, this, [this](int, int *) {
        if (!settleEvaluation())
            Data3->cancelMove();
    });
    connect(Data3, &DataControl::Reposition, this, &ConductWindow::ShowStudentEvaluation);
    connect(Command4, &QPushButton::clicked, this, &ConductWindow::ProposeEvaluationColumn);
    connect(Command5, &QPushButton::clicked, this, [this] {
        m_creationShown = false;
        showPanels();
    });
    connect(Command1, &QPushButton::clicked, this, &ConductWindow::CreateEvaluationColumn);
    connect(Command6, &QPushButton::clicked, this, &ConductWindow::SaveEvaluation);
    connect(Frame1, &PhrasePanel::phraseClicked, this, &ConductWindow::AppendPhrase);
    connect(Command2, &QPushButton::clicked, this, &ConductWindow::PrintEvaluations);
    connect(Command7, &QPushButton::clicked, this, &ConductWindow::OpenPhrasePanel);
    connect(Command3, &QPushButton::clicked, this, &ConductWindow::ClosePhrasePanel);
    connect(cmdClose, &QPushButton::clicked, this, [this] { CloseWindow(this); });
}

void ConductWindow::Form_Load()
{
    SetWindowSize(this, 8130, 6389);
    CentreOnMainWindow(this, host().hostWidget(), 600);
    m_context->load();
    setStudentHeader();
    showPanels();
    // The hidden panel lists 学习方面.
    Frame1->selectCategory(1);
}

bool ConductWindow::mayClose()
{
    return Frame1->editor()->settle() && settleEvaluation();
}

bool ConductWindow::hasUnsavedEvaluation() const
{
    return boxText(Text3) != m_shownText;
}

bool ConductWindow::settleEvaluation()
{
    if (!hasUnsavedEvaluation())
        return true;
    const QString question = (Text2->text().isEmpty() ? QString() : Text2->text() + QStringLiteral("的"))
                             + QStringLiteral("评定内容还没有保存，要先保存吗?");
    if (!settleUnsavedChanges(this, question, [this] { return SaveEvaluation(); }))
        return false;
    setBoxText(Text3, m_shownText);
    return true;
}

bool ConductWindow::isCreationPanelShown() const
{
    return m_lower->currentWidget() == creationPanel;
}

bool ConductWindow::isPhrasePanelShown() const
{
    return m_lower->currentWidget() == m_phrasePage;
}

void ConductWindow::showPanels()
{
    m_lower->setCurrentWidget(m_creationShown ? static_cast<QWidget *>(creationPanel)
                              : m_phraseShown ? m_phrasePage
                                              : static_cast<QWidget *>(Grid1));
    Command3->setVisible(m_phraseShown);
}

void ConductWindow::setStudentHeader()
{
    Grid1->setRows(1);
    Grid1->setFormatString(kStudentHeader);
}

void ConductWindow::gradeGroupChosen()
{
    Combo4->clear();
    m_columns.clear();
    m_column = -1;
    m_students.clear();
    Data3->Close();
    Label3->setText(kHeading);
    setStudentHeader();
    ShowStudentEvaluation();
}

void ConductWindow::classChosen()
{
    Label3->setText(kHeading);
    reloadClass();
    ShowStudentEvaluation();
}

void ConductWindow::reloadClass()
{
    loadStudents();
    setStudentHeader();
    LoadClassGrid();
    ListEvaluationColumns();
}

// The class's students go into the navigator Data3, which the user moves through.
QVector<QVector<QVariant>> ConductWindow::openClassMembers()
{
    const reg::ClassIdentity &identity = m_context->identity();
    const reg::Statement members = reg::classMembersQuery(identity.sectionTable, identity.classCode, {});
    Data3->setDatabaseName(databasePath());
    if (!members.isValid()) {
        Data3->Close();
        return {};
    }
    Data3->setRecordSource(members.sql, members.params);
    return Data3->Refresh() ? Data3->rows() : QVector<QVector<QVariant>>{};
}

void ConductWindow::loadStudents()
{
    m_students.clear();
    Combo4->clear();
    m_columns.clear();
    const QVector<QVector<QVariant>> rows = openClassMembers();
    const QStringList fields = Data3->hasRecordset() ? Data3->FieldNames() : QStringList();
    const int id = fields.indexOf(QStringLiteral("ID"));
    const int number = fields.indexOf(QStringLiteral("学籍号"));
    const int name = fields.indexOf(QStringLiteral("姓名"));
    const int sex = fields.indexOf(QStringLiteral("性别"));
    const int nation = fields.indexOf(QStringLiteral("民族"));
    const QStringList evaluations = classEvaluationColumns(fields, m_context->identity().classCode);
    for (const QVector<QVariant> &r : rows) {
        Student s;
        s.id = r.value(id).toLongLong();
        s.number = r.value(number).toString();
        s.name = r.value(name).toString();
        s.sex = r.value(sex).toString();
        s.nation = r.value(nation).toString();
        for (const QString &column : evaluations)
            s.texts.insert(column, r.value(fields.indexOf(column)).toString());
        m_students << s;
    }
    m_columns = evaluations;
}

void ConductWindow::fillStudentRows()
{
    Grid1->setRows(1 + int(m_students.size()));
    const QString code = m_context->identity().classCode;
    for (int i = 0; i < m_students.size(); ++i) {
        Grid1->setTextMatrix(i + 1, 0, QString::number(i + 1));
        Grid1->setTextMatrix(i + 1, 1, reg::shownId(code, m_students[i].number));
        Grid1->setTextMatrix(i + 1, 2, m_students[i].name);
    }
}

void ConductWindow::LoadClassGrid()
{
    fillStudentRows();
    for (int i = 0; i < m_students.size(); ++i) {
        Grid1->setTextMatrix(i + 1, 3, m_students[i].sex);
        Grid1->setTextMatrix(i + 1, 4, m_students[i].nation);
    }
}

void ConductWindow::ListEvaluationColumns()
{
    m_column = -1;
    Combo4->clear();
    for (const QString &column : m_columns)
        Combo4->addItem(evaluationDisplayName(column, m_context->gradeGroup(), m_context->className()));
    Combo4->setCurrentIndex(-1);
}

QString ConductWindow::chosenColumn() const
{
    return m_column >= 0 && m_column < m_columns.size() ? m_columns[m_column] : QString();
}

int ConductWindow::currentStudent() const
{
    const int k = Data3->AbsolutePosition();
    return k >= 0 && k < m_students.size() ? k : -1;
}

void ConductWindow::Combo4_Click()
{
    const int index = Combo4->currentIndex();
    if (index < 0)
        return;
    if (!settleEvaluation()) {
        Combo4->setCurrentIndex(m_column);
        return;
    }
    m_column = index;
    Label3->setText(Combo4->currentText());
    LoadEvaluationGrid();
    Data3->MoveFirst();
    ShowStudentEvaluation();
}

void ConductWindow::LoadEvaluationGrid()
{
    const QString column = chosenColumn();
    if (column.isEmpty() || m_students.isEmpty())
        return;
    Grid1->setFormatString(kEvaluationHeader);
    fillStudentRows();
    for (int i = 0; i < m_students.size(); ++i)
        Grid1->setTextMatrix(i + 1, 3, m_students[i].texts.value(column));
}

void ConductWindow::ShowStudentEvaluation()
{
    ShowRecordPosition(*Data3, PositionText::Students);
    const int k = currentStudent();
    Text1->setText(k >= 0 ? m_students[k].number : QString());
    Text2->setText(k >= 0 ? m_students[k].name : QString());
    const QString column = chosenColumn();
    setBoxText(Text3, k >= 0 && !column.isEmpty() ? m_students[k].texts.value(column) : QString());
    m_shownText = boxText(Text3);
}

void ConductWindow::ProposeEvaluationColumn()
{
    const QDate today = session().today();
    Text6->setText(evaluationColumnName(today));
    Text5->setText(evaluationDisplayName(Text6->text(), m_context->gradeGroup(), m_context->className()));
    m_creationShown = true;
    showPanels();
}

void ConductWindow::CreateEvaluationColumn()
{
    if (!m_context->hasClass()) {
        showNotice(this, QStringLiteral("请至少选择一个班级。"), kTitleHint);
        return;
    }
    if (!settleEvaluation())
        return;
    const QString table = m_context->identity().sectionTable;
    const QString column = Text6->text();
    const QString teacher = m_context->headTeacher();
    const QString duplicate = QStringLiteral("尊敬的") + withTeacherTitle(teacher) + QStringLiteral(",您要添加的评定（") + Text5->text()
                              + QStringLiteral("）\r已经存在了,直接进行评定即可。");
    // The window's own record set lets go of the table while its columns change.
    Data3->Close();
    {
        db::Connection &c = connection();
        if (!c.ok()) {
            reportSaveFailure(this, QStringLiteral("评定没有创建："), c.error(), kTitleHint);
        } else if (sameHalfYear(db::tableColumns(c, table), column)) {
            showNotice(this, duplicate);
        } else if (askYesNo(this,
                            QStringLiteral("尊敬的") + withTeacherTitle(teacher) + QStringLiteral(",您要添加\r（") + Text5->text()
                                + QStringLiteral("）吗?"),
                            kTitleHintDots)) {
            const CreateEvaluationOutcome r = createEvaluationColumn(c, table, column);
            if (r.existing)
                showNotice(this, duplicate);
            else if (!r.ok)
                reportSaveFailure(this, QStringLiteral("评定没有创建："), r.error, kTitleHint);
        }
    }
    reloadClass();
    if (!m_students.isEmpty() && Combo4->count() > 0) {
        Combo4->setCurrentIndex(Combo4->count() - 1);
        Combo4_Click();
    } else {
        ShowStudentEvaluation();
    }
    m_creationShown = false;
    showPanels();
}

bool ConductWindow::SaveEvaluation()
{
    if (!m_context->isSignedIn()) {
        showNotice(this, QStringLiteral("如果您是班主任，请先登陆，然后再做相应的工作。"), kTitleHint);
        return false;
    }
    const int k = currentStudent();
    if (Text2->text().isEmpty() || k < 0) {
        showNotice(this, QStringLiteral("请移动学生名单，否则不知把您的评定内容记录给哪个学生。"), kTitleHint);
        return false;
    }
    const QString column = chosenColumn();
    if (column.isEmpty()) {
        showNotice(this, QStringLiteral("请选择原有评定或创建新评定，否则不知记录在那次评定上。"), kTitleHint);
        return false;
    }
    const QString text = boxText(Text3);
    if (text.size() > kEvaluationLength) {
        showNotice(this, evaluationTooLongMessage(int(text.size())), kTitleHint);
        return false;
    }
    const QString table = m_context->identity().sectionTable;
    const SaveOutcome r = saveWith<SaveOutcome>(connection(), [&](db::Connection &c) {
        return saveEvaluation(c, table, column, {m_students[k].id, m_students[k].name, m_students[k].texts.value(column)},
                              text);
    });
    if (!r.ok) {
        reportSaveFailure(this, QStringLiteral("评定没有保存："), r.error, kTitleHint);
        return false;
    }
    m_students[k].texts.insert(column, text);
    m_shownText = text;
    const QString shown = reg::shownId(m_context->identity().classCode, m_students[k].number);
    for (int row = 1; row < Grid1->Rows(); ++row) {
        if (Grid1->TextMatrix(row, 1) == shown) {
            Grid1->setTextMatrix(row, 3, text);
            break;
        }
    }
    return true;
}

void ConductWindow::AppendPhrase(const QString &phrase)
{
    Text3->moveCursor(QTextCursor::End);
    Text3->insertPlainText(phrase);
}

void ConductWindow::PrintEvaluations()
{
    const QString column = chosenColumn();
    if (column.isEmpty() || m_students.isEmpty())
        return;
    const QString heading = gradePrefix(m_context->gradeGroup()) + m_context->className();
    QString wenben;
    for (const Student &s : m_students) {
        const QString text = s.texts.value(column);
        if (!text.isEmpty())
            wenben += heading + s.name + QStringLiteral("操行评定") + kCrLf + text + kCrLf;
    }
    host().handToPrintPage(wenben);
}

void ConductWindow::OpenPhrasePanel()
{
    m_phraseShown = true;
    showPanels();
    Frame1->selectCategory(0);
}

void ConductWindow::ClosePhrasePanel()
{
    // Hiding the panel ends an add or edit, so the rest of the window is usable again.
    if (!Frame1->editor()->settle())
        return;
    m_phraseShown = false;
    showPanels();
}

} // namespace tessaly
