#include "register/register_window.h"

#include "kit/window_steps.h"
#include "platform/data_control.h"
#include "platform/flex_grid.h"
#include "platform/messages.h"
#include "platform/units.h"
#include "kit/cell_editor.h"
#include "register/register_grid.h"
#include "register/register_save.h"
#include "kit/sign_in_toggle.h"

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

QPushButton *button(const QString &name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QLabel *label(const QString &name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}


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
    connect(m_editor, &CellEditor::cellWritten, this, [this](int row, int) { fitColumns(row, row); });

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
    Label4 = label(QStringLiteral("Label4"), kTitle, this);
    QFont titleFont = Label4->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    Label4->setFont(titleFont);
    Label4->setAlignment(Qt::AlignCenter);

    // Class choice.
    Frame2 = new QGroupBox(QStringLiteral("选择班级"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Combo1 = new QComboBox(Frame2);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo2 = new QComboBox(Frame2);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Label6 = label(QStringLiteral("Label6"), QStringLiteral("操作选择"), Frame2);
    Label6->setAlignment(Qt::AlignCenter);
    auto *choice = new QVBoxLayout(Frame2);
    choice->addWidget(new QLabel(QStringLiteral("选择年级组:"), Frame2));
    choice->addWidget(Combo1);
    choice->addWidget(new QLabel(QStringLiteral("选择班级:"), Frame2));
    choice->addWidget(Combo2);
    choice->addSpacing(6);
    choice->addWidget(Label6);

    Command10 = button(QStringLiteral("Command10"), QString(), this);

    // Edit buttons.
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("学生转班(&I)"), Frame1);
    Command11 = button(QStringLiteral("Command11"), QStringLiteral("导入数据(&I)"), Frame1);
    Command7 = button(QStringLiteral("Command7"), QStringLiteral("添加学生(&A)"), Frame1);
    Command6 = button(QStringLiteral("Command6"), QStringLiteral("删除学生(&D)"), Frame1);
    Command4 = button(QStringLiteral("Command4"), QStringLiteral("保存修改(&S)"), Frame1);
    // The Excel import and export are not part of this window yet: their buttons
    // stay disabled so nothing pretends to work.
    Command11->setEnabled(false);
    auto *edit = new QVBoxLayout(Frame1);
    for (QPushButton *b : {Command1, Command11, Command7, Command6, Command4})
        edit->addWidget(b);

    Command12 = button(QStringLiteral("Command12"), QStringLiteral("导出数据或打印(&P)"), this);
    Command12->setEnabled(false);
    cmdClose = button(QStringLiteral("cmdClose"), QStringLiteral("关闭窗体(&C)"), this);

    // The register grid.
    Grid1 = new FlexGrid(this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setRows(1);
    Grid1->setFixedRows(1);
    Grid1->setFixedCols(2);
    Grid1->setFormatString(reg::kRegisterGridFormat);
    Grid1->setColWidth(reg::kColId, 0);
    Grid1->setColWidth(reg::kColRowState, 0);
    for (int c = 0; c < reg::kRegisterGridCols; ++c)
        m_formatWidths << Grid1->ColWidth(c);

    List4 = new QListWidget(this);
    List4->setObjectName(QStringLiteral("List4"));
    List4->hide();

    // Class-transfer panel.
    Frame3 = new QGroupBox(QStringLiteral("=====学生转班操作====="), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setAlignment(Qt::AlignHCenter);
    Combo3 = new QComboBox(Frame3);
    Combo3->setObjectName(QStringLiteral("Combo3"));
    List1 = new QListWidget(Frame3);
    List1->setObjectName(QStringLiteral("List1"));
    List2 = new QListWidget(Frame3);
    List2->setObjectName(QStringLiteral("List2"));
    // Room for a handful of names; the grid above keeps the rest of the height.
    for (QListWidget *list : {List1, List2})
        list->setFixedHeight(list->fontMetrics().height() * 6);
    Command16 = button(QStringLiteral("Command16"), QStringLiteral("导入>"), Frame3);
    Command13 = button(QStringLiteral("Command13"), QStringLiteral("保存转入"), Frame3);
    Command3 = button(QStringLiteral("Command3"), QStringLiteral("退出转班"), Frame3);
    Label19 = label(QStringLiteral("Label19"), QString(), Frame3);
    Label19->hide();
    Data3 = new DataControl(Frame3);
    Data3->setObjectName(QStringLiteral("Data3"));
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

    Label5 = label(QStringLiteral("Label5"), QString(), this);

    Data1 = new DataControl(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    Data1->hide();
    Data2 = new DataControl(this);
    Data2->setObjectName(QStringLiteral("Data2"));
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

    FillGradeGroupCombo(*Data2, session(), Combo1, GradeGroupVariant::Common,
                                      this);
    Combo2->clear();
    Combo3->clear();
    m_classes = {};
    m_classIndex = -1;
    clearGrid();
    Label5->setText(kStartStatus);
    updateEditButtons();
}

void RegisterWindow::Combo1_Click()
{
    FillClassCombo(*Data2, session(), Combo1->currentText(), Combo2,
                                 ClassVariant::Full, m_classes, this);
    Combo3->clear();
    for (int i = 0; i < Combo2->count(); ++i)
        Combo3->addItem(Combo2->itemText(i));
    Combo3->setCurrentIndex(-1);
    clearGrid();
    Label4->setText(Combo1->currentText() + Combo2->currentText());
    // No class is chosen now: nothing may be edited until one is.
    m_classIndex = -1;
    updateEditButtons();
}

void RegisterWindow::Combo2_Click()
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
    Grid1->setUpdatesEnabled(false);
    Grid1->setRows(1 + int(records.size()));
    for (int i = 0; i < records.size(); ++i) {
        const reg::GridRow row = reg::loadedRow(records[i], m_identity.classCode, i + 1);
        const int r = i + 1;
        for (int c = 0; c < reg::kRegisterGridCols; ++c)
            Grid1->setTextMatrix(r, c, row[c]);
        Grid1->setRowHeight(r, reg::kLoadedRowHeight);
        if (!row[reg::kColStudentNumber].isEmpty())
            List4->addItem(row[reg::kColStudentNumber]);
    }
    fitColumns(1, Grid1->Rows() - 1);
    Grid1->setUpdatesEnabled(true);
    m_editor->clearPendingEdit();
}

void RegisterWindow::fitColumns(int fromRow, int toRow)
{
    // The format string sizes the columns to their headers; a longer text (an
    // 8-digit number, a phone number, an address) widens its column so that
    // nothing is cut off.
    const QFontMetrics fm(Grid1->font());
    const int margin = 2 * fm.horizontalAdvance(QLatin1Char(' ')) + 8;
    for (int c = 0; c <= reg::kColRemarks; ++c) {
        int widest = 0;
        for (int r = fromRow; r <= toRow; ++r)
            widest = std::max(widest, fm.horizontalAdvance(Grid1->TextMatrix(r, c)));
        if (widest == 0)
            continue;
        const int twips = pixelsToTwips(widest + margin);
        if (twips > Grid1->ColWidth(c))
            Grid1->setColWidth(c, twips);
    }
}

void RegisterWindow::clearGrid()
{
    m_editor->cancel();
    Grid1->setRows(1);
    for (int c = 0; c < m_formatWidths.size(); ++c)
        Grid1->setColWidth(c, m_formatWidths[c]);
    List4->clear();
    m_editRowValid = false;
}

void RegisterWindow::appendRow(const reg::GridRow &row, int heightTwips)
{
    const int r = Grid1->Rows();
    Grid1->setRows(r + 1);
    for (int c = 0; c < reg::kRegisterGridCols && c < row.size(); ++c)
        Grid1->setTextMatrix(r, c, row[c]);
    if (heightTwips >= 0)
        Grid1->setRowHeight(r, heightTwips);
}

void RegisterWindow::cmdClose_Click()
{
    // Inside the main window the frame goes too.
    CloseWindow(this);
}

ClassEntry RegisterWindow::chosenClass() const
{
    return m_classIndex >= 0 ? m_classes.at(m_classIndex) : ClassEntry{};
}

QList<reg::GridRow> RegisterWindow::gridRows() const
{
    QList<reg::GridRow> rows;
    for (int r = 1; r < Grid1->Rows(); ++r) {
        reg::GridRow row;
        for (int c = 0; c < reg::kRegisterGridCols; ++c)
            row << Grid1->TextMatrix(r, c);
        rows << row;
    }
    return rows;
}

QStringList RegisterWindow::takenNumbers() const
{
    QStringList taken;
    for (int i = 0; i < List4->count(); ++i)
        taken << List4->item(i)->text();
    return taken;
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
    const std::optional<QString> number = reg::firstFreeSeat(m_identity.classCode, takenNumbers());
    if (!number) {
        showNotice(this, reg::kSeatsFullMessage, kTitleHintDots);
        return;
    }
    appendRow(reg::newStudentRow(*number), -1);
    fitColumns(Grid1->Rows() - 1, Grid1->Rows() - 1);
    List4->addItem(*number);
    Grid1->scrollToBottom();
}

void RegisterWindow::Command6_Click()
{
    m_editor->CloseCellEditor();
    const int r = m_editor->editRow();
    // Only a visible student row of this fill that is not deleted yet: a second
    // deletion must not free its number again.
    const bool isStudentRow = m_editRowValid && r >= 1 && r < Grid1->Rows() && Grid1->RowHeight(r) != 0
                              && Grid1->TextMatrix(r, reg::kColRowState) != reg::kRowDeleted;
    if (!isStudentRow) {
        showNotice(this, kDeleteHint, kTitleHintDots);
        return;
    }
    const QString question = QStringLiteral("你真的要删除(") + Grid1->TextMatrix(r, reg::kColNumber)
                             + QStringLiteral("号 ") + Grid1->TextMatrix(r, reg::kColName)
                             + QStringLiteral(")同学的学籍吗?");
    if (!askYesNo(this, question, kTitleHintDots)) {
        showNotice(this, kDeleteHint, kTitleHintDots);
        return;
    }
    const QString number = Grid1->TextMatrix(r, reg::kColStudentNumber);
    Grid1->setTextMatrix(r, reg::kColRowState, reg::kRowDeleted);
    Grid1->setRowHeight(r, 0);
    if (!number.isEmpty()) {
        const QList<QListWidgetItem *> found = List4->findItems(number, Qt::MatchExactly);
        if (!found.isEmpty())
            delete List4->takeItem(List4->row(found.first()));
    }
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
    m_editor->CloseCellEditor();
    if (m_classIndex < 0 || !m_identity.isValid())
        return false;
    db::Connection &c = storeConnection();
    reg::RegisterSaveOutcome outcome;
    if (c.ok())
        outcome = reg::SaveRegister(c, m_identity.sectionTable, m_identity.classCode, gridRows());
    else
        outcome.error = c.error();
    if (!outcome.ok) {
        reportSaveFailure(this, QStringLiteral("学籍没有保存："), outcome.error, kTitleHintDots,
                          QStringLiteral("\r表格中的修改都还保留着，请稍后再点击<保存修改>。"));
        return false;
    }
    Combo2_Click();   // the stored class, with the new rows' IDs and every state empty
    if (!outcome.vanished.isEmpty()) {
        QStringList names;
        for (const reg::GridRow &row : outcome.vanished)
            names << row[reg::kColStudentNumber] + QLatin1Char(' ') + row[reg::kColName];
        showNotice(this,
                   QStringLiteral("下列学生已不在本班(可能已被别的电脑删除或转班)，对他们的修改没有保存：\r")
                       + names.join(QLatin1Char('\r')),
                   kTitleHintDots);
    }
    return true;
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
        outcome = reg::SaveClassTransfer(c, m_identity.sectionTable, m_identity.classCode, queue, takenNumbers());
    else
        outcome.error = c.error();
    if (!outcome.ok) {
        reportSaveFailure(this, QStringLiteral("转班没有完成，没有学生转入本班："), outcome.error, kTitleHintDots);
        return;
    }
    for (const QString &number : outcome.numbers)
        List4->addItem(number);
    List1->clear();
    List2->clear();
    closePanel(Frame3);
    Combo2_Click();   // the class as stored, the transferred students under their new numbers
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
