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

    mainPanel = named(new QWidget(this), "Frame3");
    gradeGroupCombo = named(new QComboBox(mainPanel), "Combo1");
    classCombo = named(new QComboBox(mainPanel), "Combo2");
    evaluationCombo = named(new QComboBox(mainPanel), "Combo4");
    for (QComboBox *box : {gradeGroupCombo, classCombo, evaluationCombo}) {
        box->setEditable(true);
        fitDropDown(box);
    }
    // Room for the longest evaluation name beside the drop-down arrow.
    evaluationCombo->setMinimumWidth(evaluationCombo->fontMetrics().horizontalAdvance(QStringLiteral("初二十二班05-06上学年操行评定"))
                            + 3 * evaluationCombo->fontMetrics().height());
    studentNumberBox = named(new QLineEdit(mainPanel), "Text1");
    studentNameBox = named(new QLineEdit(mainPanel), "Text2");
    for (QLineEdit *box : {studentNumberBox, studentNameBox})
        box->setReadOnly(true);
    studentData = named(new DataControl(mainPanel), "Data3");
    studentData->setCaption(QStringLiteral("评定内容"));
    evaluationBox = named(new LimitedTextBox(kEvaluationLength, mainPanel), "Text3");
    evaluationBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    saveButton = named(new QPushButton(QStringLiteral("保存(&S)"), mainPanel), "Command6");
    createButton = named(new QPushButton(QStringLiteral("创建评定(&H)"), mainPanel), "Command4");
    signInButton = named(new QPushButton(mainPanel), "Command10");
    printButton = named(new QPushButton(QStringLiteral("打印(&P)"), mainPanel), "Command2");
    openPhrasesButton = named(new QPushButton(QStringLiteral("打开模板(&T)"), mainPanel), "Command7");
    closeButton = named(new QPushButton(QStringLiteral("关闭(&C)"), mainPanel), "cmdClose");

    gridHeading = named(new QLabel(kHeading, this), "Label3");
    gridHeading->setAlignment(Qt::AlignCenter);
    gridHeading->setFont(cjkFont(QStringLiteral("黑体"), 12, true));

    studentGrid = named(new FlexGrid(this), "Grid1");
    studentGrid->setRows(1);
    studentGrid->setFixedRows(1);

    creationPanel = named(new QFrame(this), "creationPanel");
    creationPanel->setFrameShape(QFrame::StyledPanel);
    newEvaluationBox = named(new QLineEdit(creationPanel), "Text5");
    newEvaluationBox->setReadOnly(true);
    newColumnBox = named(new QLineEdit(creationPanel), "Text6");
    newColumnBox->hide();
    confirmCreateButton = named(new QPushButton(QStringLiteral("创建评定(&M)"), creationPanel), "Command1");
    cancelCreateButton = named(new QPushButton(QStringLiteral("取消创建(&X)"), creationPanel), "Command5");

    // The phrase panel locks the rest of the window while a phrase is added or edited.
    phrasesFrame = new PhrasePanel([this]() -> db::Connection & { return connection(); }, {mainPanel, signInButton, confirmCreateButton, printButton}, this);
    closePhrasesButton = named(new QPushButton(QStringLiteral("关闭模板(&T)"), this), "Command3");

    // Selection and editing on the left.
    QGridLayout *choices = captionedGrid(mainPanel, {{QStringLiteral("选择年级组:"), gradeGroupCombo},
                                                  {QStringLiteral("选择  班级:"), classCombo},
                                                  {QStringLiteral("原有的操行评定:"), evaluationCombo},
                                                  {QStringLiteral("学号"), studentNumberBox},
                                                  {QStringLiteral("姓名"), studentNameBox}});
    choices->setColumnStretch(1, 1);
    auto *buttons = new QGridLayout;
    buttons->addWidget(saveButton, 0, 0);
    buttons->addWidget(createButton, 0, 1);
    buttons->addWidget(signInButton, 1, 0, 1, 2);
    buttons->addWidget(printButton, 2, 0);
    buttons->addWidget(openPhrasesButton, 2, 1);
    buttons->addWidget(closeButton, 3, 0, 1, 2);
    auto *left = new QVBoxLayout(mainPanel);
    left->setContentsMargins(0, 0, 0, 0);
    left->addLayout(choices);
    left->addWidget(studentData);
    left->addWidget(new QLabel(QStringLiteral("（用此移动学生名单）"), mainPanel), 0, Qt::AlignCenter);
    left->addWidget(new QLabel(QStringLiteral("  评 定 内 容"), mainPanel));
    left->addWidget(evaluationBox, 1);
    left->addLayout(buttons);

    // The student grid, or a panel over it, on the right.
    auto *creation = new QVBoxLayout(creationPanel);
    creation->addWidget(new QLabel(QStringLiteral("您可以创建新评定了"), creationPanel));
    creation->addWidget(new QLabel(QStringLiteral("新评定的名称是："), creationPanel));
    creation->addWidget(newEvaluationBox);
    creation->addWidget(newColumnBox);
    creation->addLayout(buttonRow({confirmCreateButton, cancelCreateButton}));
    creation->addStretch();
    m_phrasePage = new QWidget(this);
    auto *phrase = new QVBoxLayout(m_phrasePage);
    phrase->setContentsMargins(0, 0, 0, 0);
    phrase->addWidget(phrasesFrame, 1);
    phrase->addWidget(closePhrasesButton, 0, Qt::AlignRight);
    m_lower = new QStackedWidget(this);
    m_lower->addWidget(studentGrid);
    m_lower->addWidget(creationPanel);
    m_lower->addWidget(m_phrasePage);

    auto *body = new QHBoxLayout;
    body->addWidget(mainPanel);
    body->addWidget(m_lower, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(gridHeading);
    layout->addLayout(body, 1);

    m_context = new ClassContext({.gradeGroup = gradeGroupCombo,
                                  .klass = classCombo,
                                  .toggle = signInButton,
                                  .editors = {phrasesFrame, createButton},
                                  .checks = ClassContext::Checks::Conduct},
                                 *this, this);
    m_context->setLeaveCheck([this] { return settleEvaluation(); });
    phrasesFrame->editor()->setSignIn(m_context->toggle());
    ReportDataError(*studentData, this);
    connect(m_context, &ClassContext::gradeGroupChosen, this, &ConductWindow::gradeGroupChosen);
    connect(m_context, &ClassContext::classChosen, this, &ConductWindow::classChosen);
    connect(evaluationCombo, &QComboBox::activated, this, &ConductWindow::evaluationChosen);
    connect(studentData, &DataControl::Validate, this, [this](int, int *) {
        if (!settleEvaluation())
            studentData->cancelMove();
    });
    connect(studentData, &DataControl::Reposition, this, &ConductWindow::ShowStudentEvaluation);
    connect(createButton, &QPushButton::clicked, this, &ConductWindow::ProposeEvaluationColumn);
    connect(cancelCreateButton, &QPushButton::clicked, this, [this] {
        m_creationShown = false;
        showPanels();
    });
    connect(confirmCreateButton, &QPushButton::clicked, this, &ConductWindow::CreateEvaluationColumn);
    connect(saveButton, &QPushButton::clicked, this, &ConductWindow::SaveEvaluation);
    connect(phrasesFrame, &PhrasePanel::phraseClicked, this, &ConductWindow::AppendPhrase);
    connect(printButton, &QPushButton::clicked, this, &ConductWindow::PrintEvaluations);
    connect(openPhrasesButton, &QPushButton::clicked, this, &ConductWindow::OpenPhrasePanel);
    connect(closePhrasesButton, &QPushButton::clicked, this, &ConductWindow::ClosePhrasePanel);
    connect(closeButton, &QPushButton::clicked, this, [this] { CloseWindow(this); });
}

void ConductWindow::Form_Load()
{
    SetWindowSize(this, 8130, 6389);
    CentreOnMainWindow(this, host().hostWidget(), 600);
    m_context->load();
    setStudentHeader();
    showPanels();
    // The hidden panel lists 学习方面.
    phrasesFrame->selectCategory(1);
}

bool ConductWindow::mayClose()
{
    return phrasesFrame->editor()->settle() && settleEvaluation();
}

bool ConductWindow::hasUnsavedEvaluation() const
{
    return boxText(evaluationBox) != m_shownText;
}

bool ConductWindow::settleEvaluation()
{
    if (!hasUnsavedEvaluation())
        return true;
    const QString question = (studentNameBox->text().isEmpty() ? QString() : studentNameBox->text() + QStringLiteral("的"))
                             + QStringLiteral("评定内容还没有保存，要先保存吗?");
    if (!settleUnsavedChanges(this, question, [this] { return SaveEvaluation(); }))
        return false;
    setBoxText(evaluationBox, m_shownText);
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
                                              : static_cast<QWidget *>(studentGrid));
    closePhrasesButton->setVisible(m_phraseShown);
}

void ConductWindow::setStudentHeader()
{
    studentGrid->setRows(1);
    studentGrid->setFormatString(kStudentHeader);
}

void ConductWindow::gradeGroupChosen()
{
    evaluationCombo->clear();
    m_columns.clear();
    m_column = -1;
    m_students.clear();
    studentData->Close();
    gridHeading->setText(kHeading);
    setStudentHeader();
    ShowStudentEvaluation();
}

void ConductWindow::classChosen()
{
    gridHeading->setText(kHeading);
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

// The class's students go into the navigator studentData, which the user moves through.
QVector<QVector<QVariant>> ConductWindow::openClassMembers()
{
    const school::ClassIdentity &identity = m_context->identity();
    const school::Statement members = school::classMembersQuery(identity.sectionTable, identity.classCode, {});
    studentData->setDatabaseName(databasePath());
    if (!members.isValid()) {
        studentData->Close();
        return {};
    }
    studentData->setRecordSource(members.sql, members.params);
    return studentData->Refresh() ? studentData->rows() : QVector<QVector<QVariant>>{};
}

void ConductWindow::loadStudents()
{
    m_students.clear();
    evaluationCombo->clear();
    m_columns.clear();
    const QVector<QVector<QVariant>> rows = openClassMembers();
    const QStringList fields = studentData->hasRecordset() ? studentData->FieldNames() : QStringList();
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
    studentGrid->setRows(1 + int(m_students.size()));
    const QString code = m_context->identity().classCode;
    for (int i = 0; i < m_students.size(); ++i) {
        studentGrid->setTextMatrix(i + 1, 0, QString::number(i + 1));
        studentGrid->setTextMatrix(i + 1, 1, school::shownId(code, m_students[i].number));
        studentGrid->setTextMatrix(i + 1, 2, m_students[i].name);
    }
}

void ConductWindow::LoadClassGrid()
{
    fillStudentRows();
    for (int i = 0; i < m_students.size(); ++i) {
        studentGrid->setTextMatrix(i + 1, 3, m_students[i].sex);
        studentGrid->setTextMatrix(i + 1, 4, m_students[i].nation);
    }
}

void ConductWindow::ListEvaluationColumns()
{
    m_column = -1;
    evaluationCombo->clear();
    for (const QString &column : m_columns)
        evaluationCombo->addItem(evaluationDisplayName(column, m_context->gradeGroup(), m_context->className()));
    evaluationCombo->setCurrentIndex(-1);
}

QString ConductWindow::chosenColumn() const
{
    return m_column >= 0 && m_column < m_columns.size() ? m_columns[m_column] : QString();
}

int ConductWindow::currentStudent() const
{
    const int k = studentData->AbsolutePosition();
    return k >= 0 && k < m_students.size() ? k : -1;
}

void ConductWindow::evaluationChosen()
{
    const int index = evaluationCombo->currentIndex();
    if (index < 0)
        return;
    if (!settleEvaluation()) {
        evaluationCombo->setCurrentIndex(m_column);
        return;
    }
    m_column = index;
    gridHeading->setText(evaluationCombo->currentText());
    LoadEvaluationGrid();
    studentData->MoveFirst();
    ShowStudentEvaluation();
}

void ConductWindow::LoadEvaluationGrid()
{
    const QString column = chosenColumn();
    if (column.isEmpty() || m_students.isEmpty())
        return;
    studentGrid->setFormatString(kEvaluationHeader);
    fillStudentRows();
    for (int i = 0; i < m_students.size(); ++i)
        studentGrid->setTextMatrix(i + 1, 3, m_students[i].texts.value(column));
}

void ConductWindow::ShowStudentEvaluation()
{
    ShowRecordPosition(*studentData, PositionText::Students);
    const int k = currentStudent();
    studentNumberBox->setText(k >= 0 ? m_students[k].number : QString());
    studentNameBox->setText(k >= 0 ? m_students[k].name : QString());
    const QString column = chosenColumn();
    setBoxText(evaluationBox, k >= 0 && !column.isEmpty() ? m_students[k].texts.value(column) : QString());
    m_shownText = boxText(evaluationBox);
}

void ConductWindow::ProposeEvaluationColumn()
{
    const QDate today = session().today();
    newColumnBox->setText(evaluationColumnName(today));
    newEvaluationBox->setText(evaluationDisplayName(newColumnBox->text(), m_context->gradeGroup(), m_context->className()));
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
    const QString column = newColumnBox->text();
    const QString teacher = m_context->headTeacher();
    const QString duplicate = QStringLiteral("尊敬的") + school::withTeacherTitle(teacher) + QStringLiteral(",您要添加的评定（") + newEvaluationBox->text()
                              + QStringLiteral("）\r已经存在了,直接进行评定即可。");
    // The window's own record set lets go of the table while its columns change.
    studentData->Close();
    const CreateEvaluationOutcome r = saveWith<CreateEvaluationOutcome>(connection(), [&](db::Connection &c) {
        CreateEvaluationOutcome asked;
        asked.existing = sameHalfYear(db::tableColumns(c, table), column);
        if (asked.existing)
            return asked;
        if (!askYesNo(this,
                      QStringLiteral("尊敬的") + school::withTeacherTitle(teacher) + QStringLiteral(",您要添加\r（") + newEvaluationBox->text()
                          + QStringLiteral("）吗?"),
                      kTitleHintDots)) {
            asked.ok = true;   // declined: nothing created, nothing to report
            return asked;
        }
        return createEvaluationColumn(c, table, column);
    });
    if (r.existing)
        showNotice(this, duplicate);
    else if (!r.ok)
        reportSaveFailure(this, QStringLiteral("评定没有创建："), r.error, kTitleHint);
    reloadClass();
    if (!m_students.isEmpty() && evaluationCombo->count() > 0) {
        evaluationCombo->setCurrentIndex(evaluationCombo->count() - 1);
        evaluationChosen();
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
    if (studentNameBox->text().isEmpty() || k < 0) {
        showNotice(this, QStringLiteral("请移动学生名单，否则不知把您的评定内容记录给哪个学生。"), kTitleHint);
        return false;
    }
    const QString column = chosenColumn();
    if (column.isEmpty()) {
        showNotice(this, QStringLiteral("请选择原有评定或创建新评定，否则不知记录在那次评定上。"), kTitleHint);
        return false;
    }
    const QString text = boxText(evaluationBox);
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
    const QString shown = school::shownId(m_context->identity().classCode, m_students[k].number);
    for (int row = 1; row < studentGrid->Rows(); ++row) {
        if (studentGrid->TextMatrix(row, 1) == shown) {
            studentGrid->setTextMatrix(row, 3, text);
            break;
        }
    }
    return true;
}

void ConductWindow::AppendPhrase(const QString &phrase)
{
    evaluationBox->moveCursor(QTextCursor::End);
    evaluationBox->insertPlainText(phrase);
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
    phrasesFrame->selectCategory(0);
}

void ConductWindow::ClosePhrasePanel()
{
    // Hiding the panel ends an add or edit, so the rest of the window is usable again.
    if (!phrasesFrame->editor()->settle())
        return;
    m_phraseShown = false;
    showPanels();
}

} // namespace tessaly
