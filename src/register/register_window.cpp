#include "register/register_window.h"

#include "kit/window_steps.h"
#include "kit/database_unavailable.h"
#include "platform/data_control.h"
#include "platform/flex_grid.h"
#include "platform/messages.h"
#include "platform/units.h"
#include "kit/cell_editor.h"
#include "register/register_grid.h"
#include "register/register_save.h"
#include "kit/sign_in_toggle.h"
#include "kit/unsaved_changes.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tessaly {

namespace {

const QString kWindowCaption = QStringLiteral("学生学籍管理");
const QString kTitle = QStringLiteral("学  籍  管  理");
const QString kStartStatus = QStringLiteral("提示：请班主任选择年级组、班级，并且登陆后，才有权管理本班学籍。");
const QString kChosenSignedOutCaption = QStringLiteral("请班主任 登陆(&K)");
const QString kDeleteHint =
    QStringLiteral("如果你真的要删除学生学籍，请先点击表格内的学生姓名，然后再点击<删除学生>按钮。");
const QString kTransferNote = QStringLiteral(
    "说明: 学籍管理可通过删除与添加的方式改变，但这样学生以前的数据(学籍与成绩)就会丢失，通过这种方式管理学籍，"
    "班主任就可获得转班学生的以前情况。这种功能在分班时很有用。    （注：为保数据安全，本程序只设计导入，无导出功能）");

// Item data of the transfer lists.
constexpr int kRoleId = Qt::UserRole;
constexpr int kRoleSourceCode = Qt::UserRole + 1;
constexpr int kRoleText = Qt::UserRole + 2;

} // namespace

RegisterWindow::RegisterWindow(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("学籍管理"));
    setWindowTitle(kWindowCaption);
    buildControls();

    m_toggle = new SignInToggle(SignInToggle::Kind::HeadTeacher, Command10, m_host, this);
    m_toggle->setChoices(Combo1, Combo2);
    m_toggle->setAccount([this] {
        const ClassEntry e = chosenClass();
        return Account{e.headTeacher, e.password, e.id};
    });
    connect(m_toggle, &SignInToggle::stateShown, this, &RegisterWindow::showSignInState);

    m_editor = new CellEditor(Grid1, reg::registerCellEditorConfig([this] { return headTeacherSignedIn(); }));
    Text1 = m_editor->lineEdit();
    // After the editor's own handler: a click that opened the editor makes its
    // row the one a deletion acts on.
    connect(Grid1, &FlexGrid::Click, this, [this] {
        if (m_editor->isOpen())
            m_editRowValid = true;
    });
    connect(m_editor, &CellEditor::cellWritten, this, &RegisterWindow::rowEdited);

    ReportDataError(*Data1, this);
    ShowRecordPosition(*Data1, PositionText::Register);
    ReportDataError(*Data2, this);
    ReportDataError(*Data3, this);

    connect(Combo1, &QComboBox::activated, this, &RegisterWindow::Combo1_Click);
    connect(Combo2, &QComboBox::activated, this, &RegisterWindow::Combo2_Click);
    connect(Combo3, &QComboBox::activated, this, &RegisterWindow::Combo3_Click);
    connect(Command7, &QPushButton::clicked, this, &RegisterWindow::Command7_Click);
    connect(Command6, &QPushButton::clicked, this, &RegisterWindow::Command6_Click);
    connect(Command4, &QPushButton::clicked, this, &RegisterWindow::Command4_Click);
    connect(Command1, &QPushButton::clicked, this, &RegisterWindow::Command1_Click);
    connect(Command16, &QPushButton::clicked, this, &RegisterWindow::Command16_Click);
    connect(Command13, &QPushButton::clicked, this, &RegisterWindow::Command13_Click);
    connect(Command3, &QPushButton::clicked, this, &RegisterWindow::Command3_Click);
    connect(cmdClose, &QPushButton::clicked, this, &RegisterWindow::cmdClose_Click);

    updateEditButtons();
}

RegisterWindow::~RegisterWindow() = default;

QSize RegisterWindow::sizeHint() const
{
    return {1000, 620};
}

void RegisterWindow::buildControls()
{
    Label4 = named(new QLabel(kTitle, this), "Label4");
    QFont titleFont = Label4->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    Label4->setFont(titleFont);
    Label4->setAlignment(Qt::AlignCenter);

    // Class choice.
    Frame2 = named(new QGroupBox(QStringLiteral("选择班级"), this), "Frame2");
    Combo1 = named(new QComboBox(Frame2), "Combo1");
    Combo2 = named(new QComboBox(Frame2), "Combo2");
    Label6 = named(new QLabel(QStringLiteral("操作选择"), Frame2), "Label6");
    Label6->setAlignment(Qt::AlignCenter);
    auto *choice = new QVBoxLayout(Frame2);
    choice->addWidget(new QLabel(QStringLiteral("选择年级组:"), Frame2));
    choice->addWidget(Combo1);
    choice->addWidget(new QLabel(QStringLiteral("选择班级:"), Frame2));
    choice->addWidget(Combo2);
    choice->addSpacing(6);
    choice->addWidget(Label6);

    Command10 = named(new QPushButton(QString(), this), "Command10");

    // Edit buttons.
    Frame1 = named(new QGroupBox(this), "Frame1");
    Command1 = named(new QPushButton(QStringLiteral("学生转班(&I)"), Frame1), "Command1");
    Command11 = named(new QPushButton(QStringLiteral("导入数据(&I)"), Frame1), "Command11");
    Command7 = named(new QPushButton(QStringLiteral("添加学生(&A)"), Frame1), "Command7");
    Command6 = named(new QPushButton(QStringLiteral("删除学生(&D)"), Frame1), "Command6");
    Command4 = named(new QPushButton(QStringLiteral("保存修改(&S)"), Frame1), "Command4");
    // The Excel import and export are not part of this window yet: their buttons
    // stay disabled so nothing pretends to work.
    Command11->setEnabled(false);
    auto *edit = new QVBoxLayout(Frame1);
    for (QPushButton *b : {Command1, Command11, Command7, Command6, Command4})
        edit->addWidget(b);

    Command12 = named(new QPushButton(QStringLiteral("导出数据或打印(&P)"), this), "Command12");
    Command12->setEnabled(false);
    cmdClose = named(new QPushButton(QStringLiteral("关闭窗体(&C)"), this), "cmdClose");

    // The register grid.
    Grid1 = named(new FlexGrid(this), "Grid1");
    Grid1->setRows(1);
    Grid1->setFixedRows(1);
    Grid1->setFixedCols(2);
    Grid1->setFormatString(reg::kRegisterGridFormat);
    Grid1->setColWidth(reg::kColId, 0);
    Grid1->setColWidth(reg::kColRowState, 0);
    for (int c = 0; c < reg::kRegisterGridCols; ++c)
        m_formatWidths << Grid1->ColWidth(c);

    List4 = named(new QListWidget(this), "List4");
    List4->hide();

    // Class-transfer panel.
    Frame3 = named(new QGroupBox(QStringLiteral("=====学生转班操作====="), this), "Frame3");
    Frame3->setAlignment(Qt::AlignHCenter);
    Combo3 = named(new QComboBox(Frame3), "Combo3");
    fitDropDown(Combo3);
    List1 = named(new QListWidget(Frame3), "List1");
    List2 = named(new QListWidget(Frame3), "List2");
    // Room for a handful of names; the grid above keeps the rest of the height.
    for (QListWidget *list : {List1, List2})
        list->setFixedHeight(list->fontMetrics().height() * 6);
    Command16 = named(new QPushButton(QStringLiteral("导入>"), Frame3), "Command16");
    Command13 = named(new QPushButton(QStringLiteral("保存转入"), Frame3), "Command13");
    Command3 = named(new QPushButton(QStringLiteral("退出转班"), Frame3), "Command3");
    Label19 = named(new QLabel(QString(), Frame3), "Label19");
    Label19->hide();
    Data3 = named(new DataControl(Frame3), "Data3");
    Data3->hide();
    auto *note = new QLabel(kTransferNote, Frame3);
    note->setWordWrap(true);
    // Each box under its label: the queue on the left, the source class and its
    // students on the right.
    auto *transfer = new QGridLayout(Frame3);
    transfer->addWidget(new QLabel(QStringLiteral("选择转入班级"), Frame3), 0, 1);
    transfer->addWidget(Combo3, 1, 1);
    transfer->addWidget(new QLabel(QStringLiteral("本班学生列表"), Frame3), 2, 0);
    transfer->addWidget(List2, 3, 0);
    transfer->addWidget(new QLabel(QStringLiteral("转入班级学生名单"), Frame3), 2, 1);
    transfer->addWidget(List1, 3, 1);
    auto *queueButtons = new QHBoxLayout;
    queueButtons->addWidget(Command16);
    queueButtons->addStretch();
    queueButtons->addWidget(Command13);
    queueButtons->addWidget(Command3);
    transfer->addLayout(queueButtons, 4, 1);
    transfer->addWidget(note, 5, 0, 1, 2);
    transfer->setColumnStretch(0, 1);
    transfer->setColumnStretch(1, 1);
    Frame3->hide();

    Label5 = named(new QLabel(QString(), this), "Label5");

    Data1 = named(new DataControl(this), "Data1");
    Data1->hide();
    Data2 = named(new DataControl(this), "Data2");
    Data2->hide();

    auto *left = new QVBoxLayout;
    left->addWidget(Frame2);
    left->addWidget(Command10);
    left->addWidget(Frame1);
    left->addWidget(Command12);
    left->addStretch();
    left->addWidget(cmdClose);

    // The grid, with the panels below it: the transfer panel, and later the
    // import panels. A panel shows only while it is open (openPanel).
    auto *right = new QVBoxLayout;
    right->addWidget(Grid1, 1);
    right->addWidget(Frame3);

    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label4);
    layout->addLayout(body, 1);
    layout->addWidget(Label5);
}

void RegisterWindow::Form_Load()
{
    // The top left corner of the main window's client area, within its size.
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        if (QMdiArea *area = sub->mdiArea()) {
            const QSize room = area->viewport()->size();
            if (room.width() > 200 && room.height() > 200)
                sub->resize(sub->size().boundedTo(room));
        }
        sub->move(0, 0);
    } else if (isWindow()) {
        move(0, 0);
    }

    if (databaseAvailable(host(), this))
        FillGradeGroupCombo(*Data2, session(), Combo1, GradeGroupVariant::Common, this);
    Combo2->clear();
    Combo3->clear();
    m_classes = {};
    m_gradeGroup.clear();
    m_classIndex = -1;
    clearGrid();
    Label5->setText(kStartStatus);
    updateEditButtons();
}

void RegisterWindow::Combo1_Click()
{
    if (!settleUnsaved()) {
        // The changes stay: so does the grade group they belong to.
        const QSignalBlocker block(Combo1);
        Combo1->setCurrentIndex(Combo1->findText(m_gradeGroup));
        return;
    }
    m_gradeGroup = Combo1->currentText();
    FillClassCombo(*Data2, session(), Combo1->currentText(), Combo2,
                                 ClassVariant::Full, m_classes, this);
    Combo3->clear();
    for (int i = 0; i < Combo2->count(); ++i)
        Combo3->addItem(Combo2->itemText(i));
    Combo3->setCurrentIndex(-1);
    clearGrid();
    Label4->setText(Combo1->currentText() + Combo2->currentText());
    // No class is chosen now: the window shows nobody signed in, as at the start,
    // and nothing may be edited until a class is chosen. The session keeps its
    // sign-in for that choice.
    m_classIndex = -1;
    Command10->setText(SignInToggle::signedOutCaption(SignInToggle::Kind::HeadTeacher));
    Label5->setText(kStartStatus);
    updateEditButtons();
}

void RegisterWindow::Combo2_Click()
{
    if (!settleUnsaved()) {
        const QSignalBlocker block(Combo2);
        Combo2->setCurrentIndex(m_classIndex);
        return;
    }
    ChooseClass();
}

void RegisterWindow::ChooseClass()
{
    const int index = Combo2->currentIndex();
    if (index < 0 || index >= m_classes.size())
        return;
    Session &s = session();
    const ClassEntry entry = m_classes.at(index);
    s.username = entry.headTeacher;
    s.userpas = entry.password;
    s.id = entry.id;
    m_classIndex = index;

    m_identity = reg::ResolveClassCode(Combo1->currentText(), Combo2->currentText(), s.today());
    const reg::Statement members = reg::classMembersQuery(m_identity.sectionTable, m_identity.classCode);
    Data1->setDatabaseName(s.openpath);
    if (members.isValid()) {
        Data1->setRecordSource(members.sql, members.params);
        Data1->Refresh();
    } else {
        // A name outside the fixed lists has no class code: the class lists nobody.
        Data1->Close();
        Data1->setCaption(recordPositionText(PositionText::Register, 0, 0));
    }
    Label19->setText(m_identity.classCode);
    FillRegisterGrid();
    Label4->setText(Combo1->currentText() + Combo2->currentText() + QStringLiteral("(") + entry.actualName
                    + QStringLiteral(")学籍表       班主任:") + entry.headTeacher);

    m_choosing = true;
    m_toggle->showState();
    m_choosing = false;
    if (!m_toggle->isSignedIn())
        Command10->setText(kChosenSignedOutCaption);
}

void RegisterWindow::FillRegisterGrid()
{
    m_editor->cancel();
    List2->clear();
    markQueued();
    clearGrid();
    if (!Data1->hasRecordset() || Data1->RecordCount() == 0)
        return;

    const auto &records = Data1->rows();
    for (int i = 0; i < records.size(); ++i)
        m_rows << reg::loadedRow(records[i], m_identity.classCode, i + 1);
    Grid1->setUpdatesEnabled(false);
    Grid1->setRows(1 + int(m_rows.size()));
    for (int i = 0; i < m_rows.size(); ++i) {
        showRow(i);
        Grid1->setRowHeight(i + 1, reg::kLoadedRowHeight);
    }
    fitColumns(1, Grid1->Rows() - 1);
    Grid1->setUpdatesEnabled(true);
    showTakenNumbers();
    m_editor->clearPendingEdit();
}

void RegisterWindow::fitColumns(int fromRow, int toRow)
{
    // The format string sizes the columns to their headers; a longer text (an
    // 8-digit number, a phone number, an address) widens its column.
    Grid1->widenColumnsToText(0, reg::kColRemarks, fromRow, toRow);
}

void RegisterWindow::clearGrid()
{
    m_editor->cancel();
    m_rows.clear();
    Grid1->setRows(1);
    for (int c = 0; c < m_formatWidths.size(); ++c)
        Grid1->setColWidth(c, m_formatWidths[c]);
    showTakenNumbers();
    m_editRowValid = false;
}

void RegisterWindow::showRow(int i)
{
    const QStringList cells = m_rows.at(i).cells();
    for (int c = 0; c < reg::kRegisterGridCols; ++c)
        Grid1->setTextMatrix(i + 1, c, cells[c]);
}

void RegisterWindow::appendGridRow(int heightTwips)
{
    const int r = Grid1->Rows();
    Grid1->setRows(r + 1);
    showRow(r - 1);
    if (heightTwips >= 0)
        Grid1->setRowHeight(r, heightTwips);
    fitColumns(r, r);
}

void RegisterWindow::showTakenNumbers()
{
    List4->clear();
    List4->addItems(reg::takenNumbers(m_rows));
}

void RegisterWindow::rowEdited(int gridRow, int col)
{
    const int i = gridRow - 1;
    if (i < 0 || i >= m_rows.size())
        return;
    // The editor wrote its text into the cell: the row takes it, and the grid
    // shows the row's state as the row has it.
    if (reg::editField(m_rows[i], col, Grid1->TextMatrix(gridRow, col)))
        Grid1->setTextMatrix(gridRow, reg::kColRowState, reg::rowStateText(m_rows[i].state));
    fitColumns(gridRow, gridRow);
}

void RegisterWindow::cmdClose_Click()
{
    // Inside the main window the frame goes too; closing asks about unsaved changes.
    CloseWindow(this);
}

void RegisterWindow::closeEvent(QCloseEvent *event)
{
    if (!settleUnsaved()) {
        event->ignore();
        return;
    }
    event->accept();
}

ClassEntry RegisterWindow::chosenClass() const
{
    return m_classIndex >= 0 ? m_classes.at(m_classIndex) : ClassEntry{};
}

bool RegisterWindow::hasUnsavedChanges() const
{
    return reg::hasRegisterChanges(m_rows);
}

bool RegisterWindow::headTeacherSignedIn() const
{
    const Session &s = session();
    const QString head = chosenClass().headTeacher;
    // The chosen class's own head teacher, not whatever account another window
    // left in username: a teacher signed in elsewhere never edits this register.
    // While a panel is open the grid is only a view: the panel's work reloads it.
    return m_classIndex >= 0 && m_identity.isValid() && !head.isEmpty() && s.denglu == head && !m_openPanel;
}

void RegisterWindow::updateEditButtons()
{
    Frame1->setEnabled(m_toggle && m_toggle->isSignedIn() && m_classIndex >= 0 && m_identity.isValid()
                       && !m_openPanel);
}

void RegisterWindow::showSignInState(bool signedIn)
{
    const QString head = chosenClass().headTeacher;
    if (m_choosing)
        Label5->setText(signedIn ? QStringLiteral("班主任(%1)已经登陆，可以修改学籍内容。").arg(head)
                                 : QStringLiteral("班主任(%1)没有登陆，还不可以修改学籍内容。").arg(head));
    else
        Label5->setText(signedIn ? QStringLiteral("班主任(%1)登陆成功，可以修改学籍内容。").arg(head)
                                 : QStringLiteral("班主任(%1)退出了登陆，不可以修改学籍内容了。").arg(head));
    updateEditButtons();
}

// ---- Editing and save ------------------------------------------------------

void RegisterWindow::Command7_Click()
{
    m_editor->CloseCellEditor();
    if (!m_identity.isValid())
        return;
    if (!reg::addStudent(m_rows, m_identity.classCode)) {
        showNotice(this, reg::kSeatsFullMessage, kTitleHintDots);
        return;
    }
    appendGridRow(-1);   // a new row keeps the grid's default height
    showTakenNumbers();
    Grid1->scrollToBottom();
}

void RegisterWindow::Command6_Click()
{
    m_editor->CloseCellEditor();
    const int i = m_editor->editRow() - 1;
    // Only a student row of this fill that is not deleted yet: a second deletion
    // must not free its number again.
    if (!m_editRowValid || i < 0 || i >= m_rows.size() || m_rows[i].isDeleted()) {
        showNotice(this, kDeleteHint, kTitleHintDots);
        return;
    }
    const QString question =
        QStringLiteral("你真的要删除(%1号 %2)同学的学籍吗?").arg(m_rows[i].number).arg(m_rows[i].name());
    if (!askYesNo(this, question, kTitleHintDots)) {
        showNotice(this, kDeleteHint, kTitleHintDots);
        return;
    }
    reg::deleteStudent(m_rows, i);
    showRow(i);
    Grid1->setRowHeight(i + 1, 0);   // hidden, but kept until the grid is filled again
    showTakenNumbers();
}

void RegisterWindow::Command4_Click()
{
    SaveRegister();
}

db::Connection &RegisterWindow::storeConnection()
{
    const QString path = session().openpath;
    if (!m_store.ok() || m_store.path() != path || !m_store.isCurrentFile())
        m_store.open(path);
    return m_store;
}

bool RegisterWindow::SaveRegister()
{
    QList<reg::RegisterRow> vanished;
    if (!writeRegister(vanished))
        return false;
    ChooseClass();   // the stored class, with the new rows' IDs and every state empty
    reportVanished(vanished);
    return true;
}

bool RegisterWindow::writeRegister(QList<reg::RegisterRow> &vanished)
{
    m_editor->CloseCellEditor();
    if (m_classIndex < 0 || !m_identity.isValid())
        return false;
    if (const QString unnamed = reg::missingNameMessage(m_rows); !unnamed.isEmpty()) {
        showNotice(this, unnamed, kTitleHintDots);
        return false;
    }
    db::Connection &c = storeConnection();
    reg::RegisterSaveOutcome outcome;
    if (c.ok())
        outcome = reg::SaveRegister(c, m_identity.sectionTable, m_identity.classCode, m_rows);
    else
        outcome.error = c.error();
    if (!outcome.ok) {
        reportSaveFailure(this, QStringLiteral("学籍没有保存："), outcome.error, kTitleHintDots,
                          QStringLiteral("\r表格中的修改都还保留着，请稍后再点击<保存修改>。"));
        return false;
    }
    vanished = outcome.vanished;
    return true;
}

void RegisterWindow::reportVanished(const QList<reg::RegisterRow> &vanished)
{
    if (vanished.isEmpty())
        return;
    QStringList names;
    for (const reg::RegisterRow &row : vanished)
        names << row.studentNumber() + QLatin1Char(' ') + row.name();
    showNotice(this,
               QStringLiteral("下列学生已不在本班(可能已被别的电脑删除或转班)，对他们的修改没有保存：\r")
                   + names.join(QLatin1Char('\r')),
               kTitleHintDots);
}

bool RegisterWindow::settleUnsaved()
{
    m_editor->CloseCellEditor();
    if (!hasUnsavedChanges())
        return true;
    const QString question = QStringLiteral("%1%2学籍表的修改还没有保存，要先保存吗?")
                                 .arg(m_gradeGroup, Combo2->itemText(m_classIndex));
    return settleUnsavedChanges(this, question, [this] {
        QList<reg::RegisterRow> vanished;
        if (!writeRegister(vanished))
            return false;   // refused and reported: the changes stay, and so does the class
        reportVanished(vanished);
        return true;
    });
}

// ---- Class transfer ----------------------------------------------------------

void RegisterWindow::openPanel(QWidget *panel)
{
    m_editor->CloseCellEditor();
    m_openPanel = panel;
    panel->show();
    Frame2->setEnabled(false);
    Command10->setEnabled(false);
    updateEditButtons();
}

void RegisterWindow::closePanel(QWidget *panel)
{
    panel->hide();
    if (m_openPanel == panel)
        m_openPanel = nullptr;
    Frame2->setEnabled(true);
    Command10->setEnabled(true);
    updateEditButtons();
}

void RegisterWindow::Command1_Click()
{
    // The register's changes go to the table first; a failed save keeps the panel shut.
    if (!SaveRegister())
        return;
    openPanel(Frame3);
}

void RegisterWindow::Combo3_Click()
{
    if (Combo3->currentIndex() < 0)
        return;
    if (Combo3->currentText() == Combo2->currentText()) {
        showNotice(this, QStringLiteral("同一个班级不能导入学生。"), kTitleHintDots);
        return;
    }
    const reg::ClassIdentity source =
        reg::ResolveClassCode(Combo1->currentText(), Combo3->currentText(), session().today());
    if (source.isValid() && source.classCode == m_identity.classCode) {
        showNotice(this, QStringLiteral("同一个班级不能导入学生。"), kTitleHintDots);
        return;
    }
    List1->clear();
    const reg::Statement q = reg::classMembersQuery(source.sectionTable, source.classCode,
                                                    {QStringLiteral("ID"), QStringLiteral("学籍号"),
                                                     QStringLiteral("姓名")});
    if (!q.isValid())
        return;   // a name outside the fixed lists: nobody to list
    Data3->setDatabaseName(session().openpath);
    Data3->setRecordSource(q.sql, q.params);
    if (!Data3->Refresh())
        return;
    for (const auto &record : Data3->rows()) {
        const qint64 id = record.value(0).toLongLong();
        const QString text = reg::transferEntryText(id, record.value(2).isNull() ? QString() : record.value(2).toString());
        auto *item = new QListWidgetItem(text, List1);
        item->setData(kRoleId, id);
        item->setData(kRoleSourceCode, source.classCode);
        item->setData(kRoleText, text);
    }
    Data3->Close();
    markQueued();
}

QList<reg::TransferEntry> RegisterWindow::transferQueue() const
{
    QList<reg::TransferEntry> queue;
    for (int i = 0; i < List2->count(); ++i) {
        const QListWidgetItem *item = List2->item(i);
        queue << reg::TransferEntry{item->data(kRoleId).toLongLong(), item->data(kRoleSourceCode).toString(),
                                    item->data(kRoleText).toString()};
    }
    return queue;
}

void RegisterWindow::markQueued()
{
    const QList<reg::TransferEntry> queue = transferQueue();
    for (int i = 0; i < List1->count(); ++i) {
        QListWidgetItem *item = List1->item(i);
        const QString text = item->data(kRoleText).toString();
        item->setText(reg::isQueued(queue, item->data(kRoleId).toLongLong()) ? text + reg::kQueuedMark : text);
    }
}

void RegisterWindow::Command16_Click()
{
    QListWidgetItem *item = List1->currentItem();
    if (!item || !item->isSelected()) {
        showNotice(this, QStringLiteral("请在右面选择一名要导入的学生。"), kTitleHintDots);
        return;
    }
    const qint64 id = item->data(kRoleId).toLongLong();
    const QString text = item->data(kRoleText).toString();
    if (reg::isQueued(transferQueue(), id)) {
        showNotice(this, QStringLiteral("(") + text + QStringLiteral(")已经在本班学生列表中，不能重复导入。"),
                   kTitleHintDots);
        return;
    }
    if (!askYesNo(this,
                  QStringLiteral("确实要把") + Combo3->currentText() + QStringLiteral("的") + text
                      + QStringLiteral("导入本班吗?"),
                  kTitleHintDots))
        return;
    auto *queued = new QListWidgetItem(text, List2);
    queued->setData(kRoleId, id);
    queued->setData(kRoleSourceCode, item->data(kRoleSourceCode));
    queued->setData(kRoleText, text);
    markQueued();
}

void RegisterWindow::Command13_Click()
{
    const QList<reg::TransferEntry> queue = transferQueue();
    if (queue.isEmpty())
        return;
    db::Connection &c = storeConnection();
    reg::TransferOutcome outcome;
    if (c.ok())
        outcome = reg::SaveClassTransfer(c, m_identity.sectionTable, m_identity.classCode, queue,
                                         reg::takenNumbers(m_rows));
    else
        outcome.error = c.error();
    if (!outcome.ok) {
        reportSaveFailure(this, QStringLiteral("转班没有完成，没有学生转入本班："), outcome.error, kTitleHintDots);
        return;
    }
    List1->clear();
    List2->clear();
    closePanel(Frame3);
    ChooseClass();   // the class as stored, the transferred students under their new numbers
    if (!outcome.vanished.isEmpty()) {
        QStringList names;
        for (const reg::TransferEntry &e : outcome.vanished)
            names << e.text;
        showNotice(this,
                   QStringLiteral("下列学生已不在原来的班级(可能已被别的电脑删除或转走)，没有转入本班：\r")
                       + names.join(QLatin1Char('\r')),
                   kTitleHintDots);
    }
}

void RegisterWindow::Command3_Click()
{
    closePanel(Frame3);
}

} // namespace tessaly
