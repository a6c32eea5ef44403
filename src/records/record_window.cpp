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

    Frame1 = named(new QGroupBox(this), "Frame1");
    Combo1 = named(new QComboBox(Frame1), "Combo1");
    Combo2 = named(new QComboBox(Frame1), "Combo2");
    Combo3 = named(new QComboBox(Frame1), "Combo3");
    for (QComboBox *box : {Combo1, Combo2, Combo3}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);   // a typed text makes no choice
        fitDropDown(box);
    }
    lblLabels1 = named(new QLabel(texts.listHeading, Frame1), "lblLabels1");
    List1 = named(new QListWidget(Frame1), "List1");
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    Command10 = named(new QPushButton(Frame1), "Command10");
    Command2 = named(new QPushButton(QStringLiteral("打印(&P)"), Frame1), "Command2");
    cmdClose = named(new QPushButton(QStringLiteral("关闭(&C)"), Frame1), "cmdClose");

    Frame2 = named(new QGroupBox(this), "Frame2");
    Label1 = named(new QLabel(texts.recordLabel, Frame2), "Label1");
    Label1->setWordWrap(true);
    Text1 = named(new QPlainTextEdit(Frame2), "Text1");
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    CmdAdd = named(new QPushButton(QStringLiteral("添加记录(&A)"), Frame2), "CmdAdd");
    Cmdedit = named(new QPushButton(QStringLiteral("修改记录(&E)"), Frame2), "Cmdedit");
    cmdDelete = named(new QPushButton(QStringLiteral("删除记录(&D)"), Frame2), "cmdDelete");
    cmdUpdate = named(new QPushButton(Frame2), "cmdUpdate");
    cmdRefresh = named(new QPushButton(Frame2), "cmdRefresh");
    Frame2->setEnabled(false);

    Label2 = named(new QLabel(texts.heading, this), "Label2");
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setFont(cjkFont(QStringLiteral("黑体"), 12, true));
    Label4 = named(new QLabel(QStringLiteral("记录使用说明:") + texts.note, this), "Label4");
    Label4->setWordWrap(true);

    auto *editorButtons = new QGridLayout;
    editorButtons->addWidget(CmdAdd, 0, 0);
    editorButtons->addWidget(Cmdedit, 0, 1);
    editorButtons->addWidget(cmdDelete, 0, 2);
    editorButtons->addWidget(cmdUpdate, 1, 0);
    editorButtons->addWidget(cmdRefresh, 1, 1);
    auto *left = new QVBoxLayout(Frame2);
    left->addWidget(Label1);
    left->addWidget(Text1, 1);
    left->addLayout(editorButtons);

    auto *choices = new QGridLayout;
    choices->addWidget(new QLabel(texts.gradeLabel, Frame1), 0, 0);
    choices->addWidget(Combo1, 0, 1);
    choices->addWidget(new QLabel(texts.classLabel, Frame1), 1, 0);
    choices->addWidget(Combo2, 1, 1);
    choices->addWidget(new QLabel(texts.thirdLabel, Frame1), 2, 0);
    choices->addWidget(Combo3, 2, 1);
    choices->setColumnStretch(1, 1);
    auto *selectionButtons = new QHBoxLayout;
    selectionButtons->addWidget(Command2);
    selectionButtons->addWidget(cmdClose);
    auto *right = new QVBoxLayout(Frame1);
    right->addLayout(choices);
    right->addWidget(lblLabels1);
    right->addWidget(List1, 1);
    right->addWidget(Command10);
    right->addLayout(selectionButtons);

    auto *body = new QHBoxLayout;
    body->addWidget(Frame2, 3);
    body->addWidget(Frame1, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addLayout(body, 1);
    layout->addWidget(Label4);

    m_context = new ClassContext({.gradeGroup = Combo1,
                                  .klass = Combo2,
                                  .headTeachers = texts.kind == DocumentKind::DailyRecord ? Combo3 : nullptr,
                                  .toggle = Command10,
                                  .editors = {Frame2},
                                  .checks = ClassContext::Checks::EitherClassOrTeacher},
                                 *this, this);

    m_editor = new TwoModeEditor(
        [this]() -> db::Connection & { return connection(); },
        {.buttons = {CmdAdd, Cmdedit, cmdUpdate, cmdRefresh, cmdDelete},
         .editor = Text1,
         .quoteLength = 20,
         .messages = {.editWithoutRow = QStringLiteral("请选择要修改的记录内容"),
                      .deleteWithoutRow = QStringLiteral("请选择要删除的记录"),
                      .emptyText = texts.emptyText,
                      .editWithoutChoice = QStringLiteral("没有选择要修改的记录，请从右侧选择记录内容。"),
                      .deleteWithoutChoice = QStringLiteral("没有选择要删除的记录，请从右侧选择记录内容。"),
                      .unsaved = QStringLiteral("记录内容还没有保存，要先保存吗?")},
         .locked = {Frame1}},
        this);
    m_editor->setSteps({
        .current = [this] { return chosenRow(); },
        .hasChoice = [this] { return !List1->selectedItems().isEmpty(); },
        .mayAdd = [this] { return prepareRecord(); },
        .newRow = [this](const QString &) -> std::optional<NewDocument> { return NewDocument{m_newKind, m_newName}; },
        .reload = [this](const TwoModeEditor::Leave &how) { editorLeft(how); },
    });
    m_editor->setSignIn(m_context->toggle());

    connect(m_context, &ClassContext::gradeGroupChosen, this, [this] {
        m_listed.clear();
        List1->clear();
        Label1->setText(m_context->gradeGroup());
        gradeGroupChosen();
    });
    connect(m_context, &ClassContext::classChosen, this, [this] { classChosen(); });
    // The status goes into the record box: never over a record being typed.
    connect(m_context, &ClassContext::signInShown, this, [this](bool signedIn, ClassContext::Shown when) {
        if (!m_editor->inMode())
            signInShown(signedIn, when);
    });
    connect(List1, &QListWidget::itemSelectionChanged, this, &RecordWindow::List1_Click);
    connect(List1, &QListWidget::itemClicked, this, &RecordWindow::List1_Click);
    connect(Command2, &QPushButton::clicked, this, &RecordWindow::Command2_Click);
    connect(cmdClose, &QPushButton::clicked, this, [this] { CloseWindow(this); });
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
    setBoxText(Text1, QStringLiteral("提示：") + kCrLf + m_texts.hint);
}

bool RecordWindow::mayClose()
{
    return m_editor->settle();
}

std::optional<Document> RecordWindow::chosenRow() const
{
    const QList<QListWidgetItem *> chosen = List1->selectedItems();
    if (chosen.size() != 1)
        return std::nullopt;
    const int k = List1->row(chosen.first());
    return k >= 0 && k < m_listed.size() ? std::optional(m_listed[k]) : std::nullopt;
}

bool RecordWindow::classShown() const
{
    const int index = Combo2->currentIndex();
    return m_context->hasClass() && index >= 0 && Combo2->currentText() == Combo2->itemText(index);
}

QString RecordWindow::classHeading() const
{
    return m_context->gradeGroup() + m_context->className() + QLatin1Char('(') + m_context->entry().actualName
           + QLatin1Char(')') + m_texts.classHeadingWord + QStringLiteral("  班主任:") + m_context->headTeacher();
}

void RecordWindow::loadRecords()
{
    m_listed.clear();
    List1->clear();
    if (m_context->hasClass()) {
        Label1->setText(classHeading());
        if (const auto rows = readDocuments(connection(), m_texts.kind, m_context->identity().classCode))
            m_listed = listedRecords(*rows, m_context->gradeGroup(), listedSubject());
        else
            reportReadFailure(this, connection().error());
        for (const Document &d : m_listed)
            List1->addItem(d.displayName);
        List1->setCurrentRow(-1);
    }
    listFilled();
}

void RecordWindow::List1_Click()
{
    const std::optional<Document> row = chosenRow();
    if (!row)
        return;
    setBoxText(Text1, row->text);
    Label1->setText(row->displayName + m_texts.shownWord + m_context->headTeacher());
}

void RecordWindow::chooseRow(std::optional<qint64> id)
{
    for (int k = 0; id && k < m_listed.size(); ++k) {
        if (m_listed[k].id == *id) {
            List1->setCurrentRow(k);
            List1_Click();
            return;
        }
    }
    List1->clearSelection();
}

void RecordWindow::showStatus(const QString &state, const QString &line)
{
    setBoxText(Text1, QStringLiteral("班主任(") + m_context->headTeacher() + QLatin1Char(')') + state + kCrLf + line);
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
    Label1->setText(m_newName + m_texts.addingWord + m_context->headTeacher());
    return true;
}

void RecordWindow::editorLeft(const TwoModeEditor::Leave &how)
{
    loadRecords();
    if (how.removed || (how.mode == TwoModeEditor::Mode::Adding && !how.saved)) {
        Text1->clear();
        return;
    }
    chooseRow(how.row);
    // The row being edited is gone (deleted elsewhere): nothing of it stays shown.
    if (how.mode == TwoModeEditor::Mode::Editing && !chosenRow())
        Text1->clear();
}

void RecordWindow::Command2_Click()
{
    host().handToPrintPage(classPrintText(Combo1->currentText(), Combo2->currentText(), m_texts.printTitle,
                                          printedHeadTeacher(), boxText(Text1)));
}

} // namespace tessaly
