#include "register/register_window.h"

#include "kit/form_layout.h"
#include "kit/window_steps.h"
#include "kit/database_unavailable.h"
#include "widgets/data_control.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "widgets/units.h"
#include "kit/cell_editor.h"
#include "kit/frame_pacer.h"
#include "kit/import_panel.h"
#include "workbook/export_workbook.h"
#include "widgets/fonts.h"
#include "workbook/import_workbook.h"
#include "register/register_export.h"
#include "register/register_grid.h"
#include "register/register_save.h"
#include "kit/sign_in_toggle.h"
#include "kit/unsaved_changes.h"

#include <QButtonGroup>
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
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
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

    m_toggle = new SignInToggle(SignInToggle::Kind::HeadTeacher, Command10, m_host, databasePath(), this);
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


    connect(Combo1, &QComboBox::activated, this, &RegisterWindow::Combo1_Click);
    connect(Combo2, &QComboBox::activated, this, &RegisterWindow::Combo2_Click);
    m_choice = std::make_unique<ClassChoice>(
        ClassChoice::Steps{.gradeGroup = Combo1, .klass = Combo2, .classes = ClassVariant::Full}, *this, this);
    connect(Combo3, &QComboBox::activated, this, &RegisterWindow::Combo3_Click);
    connect(Command7, &QPushButton::clicked, this, &RegisterWindow::Command7_Click);
    connect(Command6, &QPushButton::clicked, this, &RegisterWindow::Command6_Click);
    connect(Command4, &QPushButton::clicked, this, &RegisterWindow::Command4_Click);
    connect(Command1, &QPushButton::clicked, this, &RegisterWindow::Command1_Click);
    connect(Command16, &QPushButton::clicked, this, &RegisterWindow::Command16_Click);
    connect(Command13, &QPushButton::clicked, this, &RegisterWindow::Command13_Click);
    connect(Command3, &QPushButton::clicked, this, &RegisterWindow::Command3_Click);
    connect(cmdClose, &QPushButton::clicked, this, &RegisterWindow::cmdClose_Click);
    connect(Command11, &QPushButton::clicked, this, &RegisterWindow::Command11_Click);
    connect(Command9, &QPushButton::clicked, this, &RegisterWindow::Command9_Click);
    connect(Command5, &QPushButton::clicked, this, &RegisterWindow::Command5_Click);
    connect(Combo4, &QComboBox::activated, this, &RegisterWindow::Combo4_Click);
    connect(List3, &QListWidget::itemClicked, this, &RegisterWindow::List3_Click);
    connect(List3, &QListWidget::itemActivated, this, &RegisterWindow::List3_Click);
    for (int i = 0; i < 2; ++i)
        connect(Option1[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
    connect(Command8, &QPushButton::clicked, this, &RegisterWindow::Command8_Click);
    connect(Command2, &QPushButton::clicked, this, &RegisterWindow::Command2_Click);
    connect(Command12, &QPushButton::clicked, this, &RegisterWindow::Command12_Click);

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
    auto *edit = new QVBoxLayout(Frame1);
    for (QPushButton *b : {Command1, Command11, Command7, Command6, Command4})
        edit->addWidget(b);

    Command12 = named(new QPushButton(QStringLiteral("导出数据或打印(&P)"), this), "Command12");
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


    auto *left = new QVBoxLayout;
    left->addWidget(Frame2);
    left->addWidget(Command10);
    left->addWidget(Frame1);
    left->addWidget(Command12);
    left->addStretch();
    left->addWidget(cmdClose);

    buildImportPanels(this);

    // The grid, with the panels below it: the transfer panel and the import
    // panels. A panel shows only while it is open (openPanel).
    auto *right = new QVBoxLayout;
    right->addWidget(Grid1, 1);
    right->addWidget(Frame3);
    right->addWidget(Frame5);
    right->addWidget(Frame6);

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
    MoveToTopLeft(this);

    if (databaseAvailable(*this, this))
        m_choice->loadGradeGroups();
    Combo2->clear();
    Combo3->clear();
    m_gradeGroup.clear();
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
    m_choice->chooseGradeGroup();
    Combo3->clear();
    for (int i = 0; i < Combo2->count(); ++i)
        Combo3->addItem(Combo2->itemText(i));
    Combo3->setCurrentIndex(-1);
    clearGrid();
    Label4->setText(Combo1->currentText() + Combo2->currentText());
    // No class is chosen now: the window shows nobody signed in, as at the start,
    // and nothing may be edited until a class is chosen. The session keeps its
    // sign-in for that choice.
    Command10->setText(SignInToggle::signedOutCaption(SignInToggle::Kind::HeadTeacher));
    Label5->setText(kStartStatus);
    updateEditButtons();
}

void RegisterWindow::Combo2_Click()
{
    if (!settleUnsaved()) {
        const QSignalBlocker block(Combo2);
        Combo2->setCurrentIndex(m_choice->classIndex());
        return;
    }
    ChooseClass();
}

void RegisterWindow::ChooseClass()
{
    if (!m_choice->chooseClass(Combo2->currentIndex()))
        return;
    const ClassEntry entry = m_choice->classEntry();
    m_identity = reg::ResolveClassCode(Combo1->currentText(), Combo2->currentText(), session().today());
    // A name outside the fixed lists has no class code: the class lists nobody.
    const std::optional<QList<reg::RegisterRow>> stored = reg::readRegisterRows(connection(), m_identity);
    if (!stored)
        reportReadFailure(this, connection().error());
    Label19->setText(m_identity.classCode);
    FillRegisterGrid(stored.value_or(QList<reg::RegisterRow>()));
    Label4->setText(Combo1->currentText() + Combo2->currentText() + QStringLiteral("(") + entry.actualName
                    + QStringLiteral(")学籍表       班主任:") + entry.headTeacher);

    m_choosing = true;
    m_toggle->showState();
    m_choosing = false;
    if (!m_toggle->isSignedIn())
        Command10->setText(kChosenSignedOutCaption);
}

void RegisterWindow::FillRegisterGrid(const QList<reg::RegisterRow> &rows)
{
    m_editor->cancel();
    List2->clear();
    markQueued();
    clearGrid();
    if (rows.isEmpty())
        return;

    m_rows = rows;
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

bool RegisterWindow::mayClose()
{
    return settleUnsaved();
}

ClassEntry RegisterWindow::chosenClass() const
{
    return m_choice->classEntry();
}

bool RegisterWindow::hasUnsavedChanges() const
{
    return reg::hasRegisterChanges(m_rows);
}

bool RegisterWindow::headTeacherSignedIn() const
{
    const Session &s = session();
    const QString head = chosenClass().headTeacher;
    // The chosen class's own head teacher: a teacher signed in elsewhere never
    // edits this register.
    // While a panel is open the grid is only a view: the panel's work reloads it.
    return m_choice->classIndex() >= 0 && m_identity.isValid() && !head.isEmpty() && s.denglu == head && !m_openPanel;
}

void RegisterWindow::updateEditButtons()
{
    Frame1->setEnabled(m_toggle && m_toggle->isSignedIn() && m_choice->classIndex() >= 0 && m_identity.isValid()
                       && !m_openPanel);
    Command12->setEnabled(!m_openPanel);
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
    if (!m_editRowValid || i < 0 || i >= m_rows.size() || !m_rows[i].isShown()) {
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
    if (m_choice->classIndex() < 0 || !m_identity.isValid())
        return false;
    if (!m_toggle->confirmSignedIn())
        return false;
    if (const QString unnamed = reg::missingNameMessage(m_rows); !unnamed.isEmpty()) {
        showNotice(this, unnamed, kTitleHintDots);
        return false;
    }
    const reg::RegisterSaveOutcome outcome =
        saveWith<reg::RegisterSaveOutcome>(connection(), [&](db::Connection &c) {
            return reg::SaveRegister(c, m_identity.sectionTable, m_identity.classCode, m_rows);
        });
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
                                 .arg(m_gradeGroup, Combo2->itemText(m_choice->classIndex()));
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
    Grid1->setVisible(panel != Frame5);   // the import panel takes the grid's place
    Frame2->setEnabled(false);
    Command10->setEnabled(false);
    updateEditButtons();
}

void RegisterWindow::closePanel(QWidget *panel)
{
    panel->hide();
    Grid1->show();
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
    const std::optional<QList<reg::TransferEntry>> students =
        reg::readTransferSources(connection(), source.sectionTable, source.classCode);
    if (!students) {
        reportReadFailure(this, connection().error());
        return;
    }
    for (const reg::TransferEntry &student : *students) {
        auto *item = new QListWidgetItem(student.text, List1);
        item->setData(kRoleId, student.id);
        item->setData(kRoleSourceCode, student.sourceCode);
        item->setData(kRoleText, student.text);
    }
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
    if (queue.isEmpty()
        || !m_toggle->confirmSignedIn(QStringLiteral("班主任(%1)没有登陆，没有学生转入本班。请登陆后再保存转入。")))
        return;
    const reg::TransferOutcome outcome = saveWith<reg::TransferOutcome>(connection(), [&](db::Connection &c) {
        return reg::SaveClassTransfer(c, m_identity.sectionTable, m_identity.classCode, queue,
                                      reg::takenNumbers(m_rows));
    });
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

// ---- Import and export ---------------------------------------------------------

namespace tessaly {

namespace {

const QString kNoWorkbook = QStringLiteral("请先点击<浏览>打开含有本班学生资料的Excel文件，再选择学生资料所在的表。");

} // namespace

void RegisterWindow::buildImportPanels(QWidget *parent)
{
    Frame5 = named(new QGroupBox(parent), "Frame5");
    auto *title = new QLabel(QStringLiteral("导入电子表格Excel文件中学籍内容"), Frame5);
    title->setFont(cjkFont(QStringLiteral("黑体"), title->font().pointSizeF() * 1.3));
    title->setAlignment(Qt::AlignCenter);

    Command5 = named(new QPushButton(QStringLiteral("浏览"), Frame5), "Command5");
    Text4 = named(new QLineEdit(Frame5), "Text4");
    Text4->setReadOnly(true);
    Combo4 = named(new QComboBox(Frame5), "Combo4");
    fitDropDown(Combo4);
    List3 = named(new QListWidget(Frame5), "List3");
    List3->setFixedWidth(List3->fontMetrics().horizontalAdvance(QStringLiteral("原毕业学校名称")) + 24);

    Option1[0] = named(new QRadioButton(reg::kFreshImportCaption, Frame5), "Option1_0");
    Option1[1] = named(new QRadioButton(reg::kByNameImportCaption, Frame5), "Option1_1");
    // A group of their own: the field options below Frame5 are no partners of the modes,
    // and a click on the chosen mode leaves it chosen.
    auto *modeGroup = new QButtonGroup(Frame5);
    modeGroup->addButton(Option1[0]);
    modeGroup->addButton(Option1[1]);
    Label11 = named(new QLabel(QStringLiteral("(根据姓名,从Excel中导入学籍资料)"), Frame5), "Label11");
    Label20 = named(new QLabel(QStringLiteral("请先选中所需新生资料单选框内容，再点击列提供资料的相应内容。"), Frame5),
                    "Label20");
    Label20->setWordWrap(true);
    Label9 = named(new QLabel(QStringList{QStringLiteral("操作说明："),
                                          QStringLiteral("导入的电子表格 （Excel） 文件必须含有学生的以下情况，才能导入。"),
                                          QStringLiteral("1、学生姓名(Excel文件中必需含有)"),
                                          QStringLiteral("2、其它选项可有可无，没有的项需要手工录入。"),
                                          QStringLiteral("3、（Excel）文件中只包括本班的学生，不能包含其它班的学生，否则会一起导入。")}
                               .join(QLatin1Char('\n')),
                           Frame5),
                   "Label9");
    Label9->setWordWrap(true);
    captionRowLabel = named(new QLabel(Frame5), "CaptionRowNote");
    captionRowLabel->setWordWrap(true);
    captionRowLabel->hide();
    Command8 = named(new QPushButton(QStringLiteral("导入开始"), Frame5), "Command8");
    Command9 = named(new QPushButton(QStringLiteral("取消导入"), Frame5), "Command9");

    // The field options, one group, each beside its bordered binding label.
    Picture1 = named(new QWidget(Frame5), "Picture1");
    auto *fields = new QGridLayout(Picture1);
    fields->setContentsMargins(0, 0, 0, 0);
    fields->addWidget(new QLabel(QStringLiteral("所需新生资料"), Picture1), 0, 0, 1, 4);
    const int rowsPerColumn = reg::kImportFieldCount / 2;
    for (int f = 0; f < reg::kImportFieldCount; ++f) {
        const reg::ImportField &field = reg::importFields()[std::size_t(f)];
        auto *option = named(new QRadioButton(field.caption, Picture1), field.option);
        auto *label = named(new QLabel(Picture1), field.label);
        label->setFrameShape(QFrame::Box);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("原毕业学校")));
        m_fieldOptions[std::size_t(f)] = option;
        m_bindingLabels[std::size_t(f)] = label;
        const int row = 1 + f % rowsPerColumn;
        const int col = 2 * (f / rowsPerColumn);
        fields->addWidget(option, row, col);
        fields->addWidget(label, row, col + 1);
    }

    // Laid out to take the grid's place while it is open.
    auto *panel = new QGridLayout(Frame5);
    panel->addWidget(title, 0, 0, 1, 3);
    auto *file = new QHBoxLayout;
    file->addWidget(new QLabel(QStringLiteral("①选择(Excel)文件"), Frame5));
    file->addWidget(Text4, 1);
    file->addWidget(Command5);
    file->addSpacing(12);
    file->addWidget(new QLabel(QStringLiteral("②选择学生资料所在的表"), Frame5));
    file->addWidget(Combo4, 1);
    panel->addLayout(file, 1, 0, 1, 3);
    auto *modes = new QGridLayout;
    modes->addWidget(new QLabel(QStringLiteral("③导入要求"), Frame5), 0, 0);
    modes->addWidget(Option1[0], 0, 1, 1, 2);
    modes->addWidget(Option1[1], 1, 1);
    modes->addWidget(Label11, 1, 2);
    modes->setColumnStretch(2, 1);
    panel->addLayout(modes, 2, 0, 1, 3);
    panel->addWidget(new QLabel(QStringLiteral("④所需资料与(Excel)文件中的列内容对应起来"), Frame5), 3, 0, 1, 3);
    panel->addWidget(Picture1, 4, 0, 2, 1, Qt::AlignTop);
    panel->addWidget(new QLabel(QStringLiteral("表中列提供资料"), Frame5), 4, 1);
    panel->addWidget(List3, 5, 1);
    auto *notes = new QVBoxLayout;
    notes->addWidget(captionRowLabel);
    notes->addWidget(Label20);
    notes->addWidget(Label9);
    notes->addStretch();
    panel->addLayout(notes, 4, 2, 2, 1);
    panel->addLayout(buttonRow({Command8, Command9}), 6, 0, 1, 3);
    panel->setColumnStretch(2, 1);
    panel->setRowStretch(5, 1);
    Frame5->hide();

    // The report.
    Frame6 = named(new QGroupBox(QStringLiteral("导入情况报告单"), parent), "Frame6");
    Frame6->setAlignment(Qt::AlignHCenter);
    Bar1 = named(new QProgressBar(Frame6), "Bar1");
    Bar1->setRange(0, 1);
    Bar1->setValue(0);
    lb1 = named(new QLabel(Frame6), "lb_1");
    Text5 = named(new QPlainTextEdit(Frame6), "Text5");
    Text5->setReadOnly(true);
    Text5->setFixedHeight(Text5->fontMetrics().height() * 6);
    Command2 = named(new QPushButton(QStringLiteral("确定"), Frame6), "Command2");
    auto *report = new QGridLayout(Frame6);
    report->addWidget(new QLabel(QStringLiteral("进度指示……"), Frame6), 0, 0);
    report->addWidget(Bar1, 0, 1);
    report->addWidget(lb1, 1, 1);
    report->addWidget(new QLabel(QStringLiteral("工作指示"), Frame6), 2, 0, Qt::AlignTop);
    report->addWidget(Text5, 2, 1);
    report->addWidget(Command2, 3, 1, Qt::AlignRight);
    report->setColumnStretch(1, 1);
    Frame6->hide();
}

int RegisterWindow::studentCount() const
{
    return reg::shownCount(m_rows);
}

void RegisterWindow::Command11_Click()
{
    openPanel(Frame5);
    m_skipModeNotice = true;
}

void RegisterWindow::Command9_Click()
{
    // The workbook and the bindings stay for the next opening.
    closePanel(Frame5);
}

void RegisterWindow::Command5_Click()
{
    OpenImportWorkbook(this, m_book, Text4, Combo4);
}

void RegisterWindow::Combo4_Click()
{
    const int index = Combo4->currentIndex();
    if (!m_book || index < 0)
        return;
    // 性别 keeps its binding: it is read from its position whatever the sheet.
    for (int f = 0; f < reg::kImportFieldCount; ++f) {
        if (f == reg::kFieldSex)
            continue;
        m_mapping[std::size_t(f)].reset();
        m_bindingLabels[std::size_t(f)]->clear();
    }
    m_mapping.captionRow = ListSheetHeaders(this, *m_book, index, List3, HeaderText::Trimmed,
                                            {reg::registerCaptions(), reg::nameCaptions()});
    captionRowLabel->setText(captionRowNote(m_mapping.captionRow));
    captionRowLabel->setVisible(!captionRowLabel->text().isEmpty());
    m_fieldOptions[reg::kFieldName]->setChecked(true);
    presetMode(reg::presetMode(studentCount()));
}

void RegisterWindow::presetMode(reg::ImportMode mode)
{
    const int index = mode == reg::ImportMode::Fresh ? 0 : 1;
    m_skipModeNotice = true;
    Option1[index]->setChecked(true);
    Option1_Click(index);
}

void RegisterWindow::List3_Click()
{
    const int position = List3->currentRow();
    if (position < 0)
        return;
    for (int f = 0; f < reg::kImportFieldCount; ++f) {
        if (!m_fieldOptions[std::size_t(f)]->isChecked())
            continue;
        QStringList headers;
        for (int i = 0; i < List3->count(); ++i)
            headers << List3->item(i)->text();
        ColumnBinding &binding = m_mapping[std::size_t(f)];
        if (bindColumn(binding, headers, position))
            m_bindingLabels[std::size_t(f)]->setText(binding.label);
        return;
    }
}

void RegisterWindow::Option1_Click(int)
{
    if (m_skipModeNotice) {
        m_skipModeNotice = false;
        return;
    }
    const reg::ImportMode chosen = Option1[1]->isChecked() ? reg::ImportMode::ByName : reg::ImportMode::Fresh;
    const reg::ModeChoiceNotice notice =
        reg::modeChoiceNotice(chosen, studentCount(), Combo1->currentText(), Combo2->currentText());
    if (!notice.text.isEmpty())
        showNotice(this, notice.text);
    if (notice.switchToFresh) {
        Option1[0]->setChecked(true);
        Option1_Click(0);
    }
}

void RegisterWindow::Command8_Click()
{
    const reg::ImportMode mode = Option1[1]->isChecked() ? reg::ImportMode::ByName : reg::ImportMode::Fresh;
    const int dataRows = m_book ? reg::importRowCount(*m_book, m_mapping) : 0;
    QString refusal = reg::importRefusal(mode, m_mapping, dataRows);
    if (refusal.isEmpty() && (!m_book || m_book->currentSheet() < 0))
        refusal = kNoWorkbook;
    if (refusal.isEmpty() && !Option1[0]->isChecked() && !Option1[1]->isChecked())
        return;
    if (!refusal.isEmpty()) {
        showNotice(this, refusal, kTitleHintDots);
        return;
    }
    m_editor->CloseCellEditor();
    Bar1->setValue(0);
    closePanel(Frame5);
    openPanel(Frame6);
    Text5->clear();

    int count = 0;
    int matched = 0;
    if (mode == reg::ImportMode::Fresh) {
        Bar1->setRange(0, dataRows + 1);
        // The count and bar are drawn during a long import, once a frame.
        FramePacer pacer;
        count = reg::freshImport(m_rows, *m_book, m_mapping, m_identity.classCode, [&](int k, int n) {
            lb1->setText(QStringLiteral("总计%1人 现%2人").arg(n).arg(k));
            if (!pacer.due())
                return;
            Bar1->setValue(k);
            lb1->repaint();
        });
    } else {
        Bar1->setRange(0, studentCount() + 1);
        count = reg::importByName(m_rows, *m_book, m_mapping, [this](int j, int) { Bar1->setValue(j); }, &matched);
    }
    showAllRows();
    Text5->setPlainText(reg::importReport(reg::summarizeImport(mode, count, matched, *m_book, m_mapping, m_rows)));
    Bar1->setValue(Bar1->maximum());
}

void RegisterWindow::showAllRows()
{
    Grid1->setUpdatesEnabled(false);
    const int before = Grid1->Rows();
    Grid1->setRows(1 + int(m_rows.size()));
    for (int i = 0; i < m_rows.size(); ++i) {
        showRow(i);
        if (!m_rows[i].isShown())
            Grid1->setRowHeight(i + 1, 0);
        else if (i + 1 >= before)
            Grid1->setRowHeight(i + 1, reg::kLoadedRowHeight);
    }
    fitColumns(1, Grid1->Rows() - 1);
    Grid1->setUpdatesEnabled(true);
    showTakenNumbers();
}

void RegisterWindow::Command2_Click()
{
    closePanel(Frame6);
    Text5->clear();
}

void RegisterWindow::Command12_Click()
{
    m_editor->CloseCellEditor();
    const bool choiceEnabled = Frame2->isEnabled();
    Frame1->setEnabled(false);
    Frame2->setEnabled(false);
    QStringList headers;
    for (int c = 0; c <= reg::kColRemarks; ++c)
        headers << Grid1->TextMatrix(0, c);
    ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
    reg::fillRegisterSheet(book, Combo1->currentText(), Combo2->currentText(), headers, m_rows);
    QString error;
    const bool handed = book.saveAndOpen(nullptr, &error);
    Frame2->setEnabled(choiceEnabled);
    updateEditButtons();
    if (!handed)
        showNotice(this, error, kTitleHintDots);
}

} // namespace tessaly
