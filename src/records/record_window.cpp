#include "records/record_window.h"

#include "kit/save_report.h"
#include "kit/text_box.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "widgets/data_control.h"
#include "db/database.h"
#include "widgets/fonts.h"
#include "widgets/messages.h"
#include "records/record_lists.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

using namespace records;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

RecordWindow::RecordWindow(WindowHost &host, QWidget *parent, const Texts &texts)
    : QWidget(parent), FormWindow(host), m_texts(texts)
{
    setObjectName(QString::fromUtf16(texts.name));
    setWindowTitle(texts.caption);

    choiceFrame = named(new QGroupBox(this), "Frame1");
    gradeGroupCombo = named(new QComboBox(choiceFrame), "Combo1");
    classCombo = named(new QComboBox(choiceFrame), "Combo2");
    personCombo = named(new QComboBox(choiceFrame), "Combo3");
    for (QComboBox *box : {gradeGroupCombo, classCombo, personCombo}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);   // a typed text makes no choice
        fitDropDown(box);
    }
    listCaption = named(new QLabel(texts.listHeading, choiceFrame), "lblLabels1");
    recordList = named(new QListWidget(choiceFrame), "List1");
    recordList->setSelectionMode(QAbstractItemView::SingleSelection);
    signInButton = named(new QPushButton(choiceFrame), "Command10");
    printButton = named(new QPushButton(QStringLiteral("打印(&P)"), choiceFrame), "Command2");
    closeButton = named(new QPushButton(QStringLiteral("关闭(&C)"), choiceFrame), "cmdClose");

    editorFrame = named(new QGroupBox(this), "Frame2");
    recordTitle = named(new QLabel(texts.recordLabel, editorFrame), "Label1");
    recordTitle->setWordWrap(true);
    recordBox = named(new QPlainTextEdit(editorFrame), "Text1");
    recordBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    addButton = named(new QPushButton(QStringLiteral("添加记录(&A)"), editorFrame), "CmdAdd");
    editButton = named(new QPushButton(QStringLiteral("修改记录(&E)"), editorFrame), "Cmdedit");
    deleteButton = named(new QPushButton(QStringLiteral("删除记录(&D)"), editorFrame), "cmdDelete");
    updateButton = named(new QPushButton(editorFrame), "cmdUpdate");
    refreshButton = named(new QPushButton(editorFrame), "cmdRefresh");
    editorFrame->setEnabled(false);

    headingLabel = named(new QLabel(texts.heading, this), "Label2");
    headingLabel->setAlignment(Qt::AlignCenter);
    headingLabel->setFont(cjkFont(QStringLiteral("黑体"), 12, true));
    usageNote = named(new QLabel(QStringLiteral("记录使用说明:") + texts.note, this), "Label4");
    usageNote->setWordWrap(true);

    auto *editorButtons = new QGridLayout;
    editorButtons->addWidget(addButton, 0, 0);
    editorButtons->addWidget(editButton, 0, 1);
    editorButtons->addWidget(deleteButton, 0, 2);
    editorButtons->addWidget(updateButton, 1, 0);
    editorButtons->addWidget(refreshButton, 1, 1);
    auto *left = new QVBoxLayout(editorFrame);
    left->addWidget(recordTitle);
    left->addWidget(recordBox, 1);
    left->addLayout(editorButtons);

    auto *choices = new QGridLayout;
    choices->addWidget(new QLabel(texts.gradeLabel, choiceFrame), 0, 0);
    choices->addWidget(gradeGroupCombo, 0, 1);
    choices->addWidget(new QLabel(texts.classLabel, choiceFrame), 1, 0);
    choices->addWidget(classCombo, 1, 1);
    choices->addWidget(new QLabel(texts.thirdLabel, choiceFrame), 2, 0);
    choices->addWidget(personCombo, 2, 1);
    choices->setColumnStretch(1, 1);
    auto *selectionButtons = new QHBoxLayout;
    selectionButtons->addWidget(printButton);
    selectionButtons->addWidget(closeButton);
    auto *right = new QVBoxLayout(choiceFrame);
    right->addLayout(choices);
    right->addWidget(listCaption);
    right->addWidget(recordList, 1);
    right->addWidget(signInButton);
    right->addLayout(selectionButtons);

    auto *body = new QHBoxLayout;
    body->addWidget(editorFrame, 3);
    body->addWidget(choiceFrame, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(headingLabel);
    layout->addLayout(body, 1);
    layout->addWidget(usageNote);

    m_context = new ClassContext({.gradeGroup = gradeGroupCombo,
                                  .klass = classCombo,
                                  .headTeachers = texts.kind == DocumentKind::DailyRecord ? personCombo : nullptr,
                                  .toggle = signInButton,
                                  .editors = {editorFrame},
                                  .checks = ClassContext::Checks::EitherClassOrTeacher},
                                 *this, this);

    m_editor = new TwoModeEditor(
        [this]() -> db::Connection & { return connection(); },
        {.buttons = {addButton, editButton, updateButton, refreshButton, deleteButton},
         .editor = recordBox,
         .quoteLength = 20,
         .messages = {.editWithoutRow = QStringLiteral("请选择要修改的记录内容"),
                      .deleteWithoutRow = QStringLiteral("请选择要删除的记录"),
                      .emptyText = texts.emptyText,
                      .editWithoutChoice = QStringLiteral("没有选择要修改的记录，请从右侧选择记录内容。"),
                      .deleteWithoutChoice = QStringLiteral("没有选择要删除的记录，请从右侧选择记录内容。"),
                      .unsaved = QStringLiteral("记录内容还没有保存，要先保存吗?")},
         .locked = {choiceFrame}},
        this);
    m_editor->setSteps({
        .current = [this] { return chosenRow(); },
        .hasChoice = [this] { return !recordList->selectedItems().isEmpty(); },
        .mayAdd = [this] { return prepareRecord(); },
        .newRow = [this](const QString &) -> std::optional<NewDocument> { return NewDocument{m_newKind, m_newName}; },
        .reload = [this](const TwoModeEditor::Leave &how) { editorLeft(how); },
    });
    m_editor->setSignIn(m_context->toggle());

    connect(m_context, &ClassContext::gradeGroupChosen, this, [this] {
        m_listed.clear();
        recordList->clear();
        recordTitle->setText(m_context->gradeGroup());
        gradeGroupChosen();
    });
    connect(m_context, &ClassContext::classChosen, this, [this] { classChosen(); });
    // The status goes into the record box: never over a record being typed.
    connect(m_context, &ClassContext::signInShown, this, [this](bool signedIn, ClassContext::Shown when) {
        if (!m_editor->inMode())
            signInShown(signedIn, when);
    });
    connect(recordList, &QListWidget::itemSelectionChanged, this, &RecordWindow::recordChosen);
    connect(recordList, &QListWidget::itemClicked, this, &RecordWindow::recordChosen);
    connect(printButton, &QPushButton::clicked, this, &RecordWindow::printClicked);
    connect(closeButton, &QPushButton::clicked, this, [this] { CloseWindow(this); });
}

void RecordWindow::Form_Load()
{
    SetWindowSize(this, m_texts.widthTwips, m_texts.heightTwips);
    CentreOnMainWindow(this, host().hostWidget(), 400);
    // A database that cannot be opened ends the opening; an unreachable
    // folder (a server that is off) offers the server connection first.
    {
        db::Connection &c = connection();
        if (!c.ok()) {
            const bool unreachable = c.error().number == db::kErrPathNotFound;
            c.close();
            if (unreachable)
                host().showModal(kConnectionFailureDialog);
            return;
        }
    }
    m_context->load();
    setBoxText(recordBox, QStringLiteral("提示：") + kCrLf + m_texts.hint);
}

bool RecordWindow::mayClose()
{
    return m_editor->settle();
}

std::optional<Document> RecordWindow::chosenRow() const
{
    const QList<QListWidgetItem *> chosen = recordList->selectedItems();
    if (chosen.size() != 1)
        return std::nullopt;
    const int k = recordList->row(chosen.first());
    return k >= 0 && k < m_listed.size() ? std::optional(m_listed[k]) : std::nullopt;
}

bool RecordWindow::classShown() const
{
    const int index = classCombo->currentIndex();
    return m_context->hasClass() && index >= 0 && classCombo->currentText() == classCombo->itemText(index);
}

QString RecordWindow::classHeading() const
{
    return m_context->gradeGroup() + m_context->className() + QLatin1Char('(') + m_context->entry().actualName
           + QLatin1Char(')') + m_texts.classHeadingWord + QStringLiteral("  班主任:") + m_context->headTeacher();
}

void RecordWindow::loadRecords()
{
    m_listed.clear();
    recordList->clear();
    if (m_context->hasClass()) {
        recordTitle->setText(classHeading());
        if (const auto rows = readDocuments(connection(), m_texts.kind, m_context->identity().classCode))
            m_listed = listedRecords(*rows, m_context->gradeGroup(), listedSubject());
        else
            reportReadFailure(this, connection().error());
        for (const Document &d : m_listed)
            recordList->addItem(d.displayName);
        recordList->setCurrentRow(-1);
    }
    listFilled();
}

void RecordWindow::recordChosen()
{
    const std::optional<Document> row = chosenRow();
    if (!row)
        return;
    setBoxText(recordBox, row->text);
    recordTitle->setText(row->displayName + m_texts.shownWord + m_context->headTeacher());
}

void RecordWindow::chooseRow(std::optional<qint64> id)
{
    for (int k = 0; id && k < m_listed.size(); ++k) {
        if (m_listed[k].id == *id) {
            recordList->setCurrentRow(k);
            recordChosen();
            return;
        }
    }
    recordList->clearSelection();
}

void RecordWindow::showStatus(const QString &state, const QString &line)
{
    setBoxText(recordBox, QStringLiteral("班主任(") + m_context->headTeacher() + QLatin1Char(')') + state + kCrLf + line);
}

bool RecordWindow::prepareRecord()
{
    if (addRefused())
        return false;
    const QString code = m_context->identity().classCode;
    m_newKind = m_texts.kind == DocumentKind::DevelopmentRecord ? developmentRecordKind(code) : dailyRecordKind(code);
    m_newName = recordName(dateParts(session().today()), m_context->gradeGroup(), newRecordSubject());
    // The duplicate test reads the class's rows as they are stored now.
    const auto rows = readDocuments(connection(), m_texts.kind, code);
    if (!rows) {
        reportReadFailure(this, connection().error());
        return false;
    }
    for (const Document &d : *rows) {
        if (d.kind == m_newKind && d.displayName == m_newName) {
            showDuplicate(m_newName);
            chooseRow(d.id);
            return false;
        }
    }
    if (!confirmAdd(m_newName))
        return false;
    recordTitle->setText(m_newName + m_texts.addingWord + m_context->headTeacher());
    return true;
}

void RecordWindow::editorLeft(const TwoModeEditor::Leave &how)
{
    loadRecords();
    if (how.removed || (how.mode == TwoModeEditor::Mode::Adding && !how.saved)) {
        recordBox->clear();
        return;
    }
    chooseRow(how.row);
    // The row being edited is gone (deleted elsewhere): nothing of it stays shown.
    if (how.mode == TwoModeEditor::Mode::Editing && !chosenRow())
        recordBox->clear();
}

void RecordWindow::printClicked()
{
    host().handToPrintPage(classPrintText(gradeGroupCombo->currentText(), classCombo->currentText(), m_texts.printTitle,
                                          printedHeadTeacher(), boxText(recordBox)));
}

} // namespace tessaly
