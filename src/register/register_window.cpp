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

    m_toggle = new SignInToggle(SignInToggle::Kind::HeadTeacher, signInButton, m_host, databasePath(), this);
    m_toggle->setChoices(gradeGroupCombo, classCombo);
    m_toggle->setAccount([this] {
        const ClassEntry e = chosenClass();
        return Account{e.headTeacher, e.password, e.id};
    });
    connect(m_toggle, &SignInToggle::stateShown, this, &RegisterWindow::showSignInState);

    m_editor = new CellEditor(registerGrid, reg::registerCellEditorConfig([this] { return headTeacherSignedIn(); }));
    cellEditorBox = m_editor->lineEdit();
    // After the editor's own handler: a click that opened the editor makes its
    // row the one a deletion acts on.
    connect(registerGrid, &FlexGrid::Click, this, [this] {
        if (m_editor->isOpen())
            m_editRowValid = true;
    });
    connect(m_editor, &CellEditor::cellWritten, this, &RegisterWindow::rowEdited);


    connect(gradeGroupCombo, &QComboBox::activated, this, &RegisterWindow::gradeGroupChosen);
    connect(classCombo, &QComboBox::activated, this, &RegisterWindow::classChosen);
    m_choice = std::make_unique<ClassChoice>(
        ClassChoice::Steps{.gradeGroup = gradeGroupCombo, .klass = classCombo, .classes = ClassVariant::Full}, *this, this);
    connect(sourceClassCombo, &QComboBox::activated, this, &RegisterWindow::sourceClassChosen);
    connect(addStudentButton, &QPushButton::clicked, this, &RegisterWindow::addStudentClicked);
    connect(deleteStudentButton, &QPushButton::clicked, this, &RegisterWindow::deleteStudentClicked);
    connect(saveButton, &QPushButton::clicked, this, &RegisterWindow::saveClicked);
    connect(transferButton, &QPushButton::clicked, this, &RegisterWindow::transferClicked);
    connect(queueStudentButton, &QPushButton::clicked, this, &RegisterWindow::queueStudentClicked);
    connect(saveTransferButton, &QPushButton::clicked, this, &RegisterWindow::saveTransferClicked);
    connect(closeTransferButton, &QPushButton::clicked, this, &RegisterWindow::closeTransferClicked);
    connect(closeButton, &QPushButton::clicked, this, &RegisterWindow::closeClicked);
    connect(importButton, &QPushButton::clicked, this, &RegisterWindow::importClicked);
    connect(cancelImportButton, &QPushButton::clicked, this, &RegisterWindow::cancelImportClicked);
    connect(browseButton, &QPushButton::clicked, this, &RegisterWindow::browseClicked);
    connect(sheetCombo, &QComboBox::activated, this, &RegisterWindow::sheetChosen);
    connect(sheetHeaderList, &QListWidget::itemClicked, this, &RegisterWindow::sheetHeaderChosen);
    connect(sheetHeaderList, &QListWidget::itemActivated, this, &RegisterWindow::sheetHeaderChosen);
    for (int i = 0; i < 2; ++i)
        connect(importModeOptions[i], &QRadioButton::clicked, this, [this, i] { importModeChosen(i); });
    connect(startImportButton, &QPushButton::clicked, this, &RegisterWindow::startImportClicked);
    connect(closeReportButton, &QPushButton::clicked, this, &RegisterWindow::closeReportClicked);
    connect(exportButton, &QPushButton::clicked, this, &RegisterWindow::exportClicked);

    updateEditButtons();
}

RegisterWindow::~RegisterWindow() = default;

QSize RegisterWindow::sizeHint() const
{
    return {1000, 620};
}

void RegisterWindow::buildControls()
{
    titleLabel = named(new QLabel(kTitle, this), "Label4");
    QFont titleFont = titleLabel->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    titleLabel->setFont(titleFont);
    titleLabel->setAlignment(Qt::AlignCenter);

    // Class choice.
    choiceFrame = named(new QGroupBox(QStringLiteral("选择班级"), this), "Frame2");
    gradeGroupCombo = named(new QComboBox(choiceFrame), "Combo1");
    classCombo = named(new QComboBox(choiceFrame), "Combo2");
    operationsLabel = named(new QLabel(QStringLiteral("操作选择"), choiceFrame), "Label6");
    operationsLabel->setAlignment(Qt::AlignCenter);
    auto *choice = new QVBoxLayout(choiceFrame);
    choice->addWidget(new QLabel(QStringLiteral("选择年级组:"), choiceFrame));
    choice->addWidget(gradeGroupCombo);
    choice->addWidget(new QLabel(QStringLiteral("选择班级:"), choiceFrame));
    choice->addWidget(classCombo);
    choice->addSpacing(6);
    choice->addWidget(operationsLabel);

    signInButton = named(new QPushButton(QString(), this), "Command10");

    // Edit buttons.
    editFrame = named(new QGroupBox(this), "Frame1");
    transferButton = named(new QPushButton(QStringLiteral("学生转班(&I)"), editFrame), "Command1");
    importButton = named(new QPushButton(QStringLiteral("导入数据(&I)"), editFrame), "Command11");
    addStudentButton = named(new QPushButton(QStringLiteral("添加学生(&A)"), editFrame), "Command7");
    deleteStudentButton = named(new QPushButton(QStringLiteral("删除学生(&D)"), editFrame), "Command6");
    saveButton = named(new QPushButton(QStringLiteral("保存修改(&S)"), editFrame), "Command4");
    auto *edit = new QVBoxLayout(editFrame);
    for (QPushButton *b : {transferButton, importButton, addStudentButton, deleteStudentButton, saveButton})
        edit->addWidget(b);

    exportButton = named(new QPushButton(QStringLiteral("导出数据或打印(&P)"), this), "Command12");
    closeButton = named(new QPushButton(QStringLiteral("关闭窗体(&C)"), this), "cmdClose");

    // The register grid.
    registerGrid = named(new FlexGrid(this), "Grid1");
    registerGrid->setRows(1);
    registerGrid->setFixedRows(1);
    registerGrid->setFixedCols(2);
    registerGrid->setFormatString(reg::kRegisterGridFormat);
    registerGrid->setColWidth(reg::kColId, 0);
    registerGrid->setColWidth(reg::kColRowState, 0);
    for (int c = 0; c < reg::kRegisterGridCols; ++c)
        m_formatWidths << registerGrid->ColWidth(c);

    usedNumbersList = named(new QListWidget(this), "List4");
    usedNumbersList->hide();

    // Class-transfer panel.
    transferFrame = named(new QGroupBox(QStringLiteral("=====学生转班操作====="), this), "Frame3");
    transferFrame->setAlignment(Qt::AlignHCenter);
    sourceClassCombo = named(new QComboBox(transferFrame), "Combo3");
    fitDropDown(sourceClassCombo);
    sourceStudentList = named(new QListWidget(transferFrame), "List1");
    transferQueueList = named(new QListWidget(transferFrame), "List2");
    // Room for a handful of names; the grid above keeps the rest of the height.
    for (QListWidget *list : {sourceStudentList, transferQueueList})
        list->setFixedHeight(list->fontMetrics().height() * 6);
    queueStudentButton = named(new QPushButton(QStringLiteral("导入>"), transferFrame), "Command16");
    saveTransferButton = named(new QPushButton(QStringLiteral("保存转入"), transferFrame), "Command13");
    closeTransferButton = named(new QPushButton(QStringLiteral("退出转班"), transferFrame), "Command3");
    classCodeLabel = named(new QLabel(QString(), transferFrame), "Label19");
    classCodeLabel->hide();
    auto *note = new QLabel(kTransferNote, transferFrame);
    note->setWordWrap(true);
    // Each box under its label: the queue on the left, the source class and its
    // students on the right.
    auto *transfer = new QGridLayout(transferFrame);
    transfer->addWidget(new QLabel(QStringLiteral("选择转入班级"), transferFrame), 0, 1);
    transfer->addWidget(sourceClassCombo, 1, 1);
    transfer->addWidget(new QLabel(QStringLiteral("本班学生列表"), transferFrame), 2, 0);
    transfer->addWidget(transferQueueList, 3, 0);
    transfer->addWidget(new QLabel(QStringLiteral("转入班级学生名单"), transferFrame), 2, 1);
    transfer->addWidget(sourceStudentList, 3, 1);
    auto *queueButtons = new QHBoxLayout;
    queueButtons->addWidget(queueStudentButton);
    queueButtons->addStretch();
    queueButtons->addWidget(saveTransferButton);
    queueButtons->addWidget(closeTransferButton);
    transfer->addLayout(queueButtons, 4, 1);
    transfer->addWidget(note, 5, 0, 1, 2);
    transfer->setColumnStretch(0, 1);
    transfer->setColumnStretch(1, 1);
    transferFrame->hide();

    statusLabel = named(new QLabel(QString(), this), "Label5");


    auto *left = new QVBoxLayout;
    left->addWidget(choiceFrame);
    left->addWidget(signInButton);
    left->addWidget(editFrame);
    left->addWidget(exportButton);
    left->addStretch();
    left->addWidget(closeButton);

    buildImportPanels(this);

    // The grid, with the panels below it: the transfer panel and the import
    // panels. A panel shows only while it is open (openPanel).
    auto *right = new QVBoxLayout;
    right->addWidget(registerGrid, 1);
    right->addWidget(transferFrame);
    right->addWidget(importFrame);
    right->addWidget(importReportFrame);

    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titleLabel);
    layout->addLayout(body, 1);
    layout->addWidget(statusLabel);
}

void RegisterWindow::Form_Load()
{
    MoveToTopLeft(this);

    if (databaseAvailable(*this, this))
        m_choice->loadGradeGroups();
    classCombo->clear();
    sourceClassCombo->clear();
    m_gradeGroup.clear();
    m_sheet.clear();
    clearGrid();
    statusLabel->setText(kStartStatus);
    updateEditButtons();
}

void RegisterWindow::gradeGroupChosen()
{
    if (!settleUnsaved()) {
        // The changes stay: so does the grade group they belong to.
        const QSignalBlocker block(gradeGroupCombo);
        gradeGroupCombo->setCurrentIndex(gradeGroupCombo->findText(m_gradeGroup));
        return;
    }
    m_gradeGroup = gradeGroupCombo->currentText();
    m_choice->chooseGradeGroup();
    sourceClassCombo->clear();
    for (int i = 0; i < classCombo->count(); ++i)
        sourceClassCombo->addItem(classCombo->itemText(i));
    sourceClassCombo->setCurrentIndex(-1);
    m_sheet.clear();
    clearGrid();
    titleLabel->setText(gradeGroupCombo->currentText() + classCombo->currentText());
    // No class is chosen now: the window shows nobody signed in, as at the start,
    // and nothing may be edited until a class is chosen. The session keeps its
    // sign-in for that choice.
    signInButton->setText(SignInToggle::signedOutCaption(SignInToggle::Kind::HeadTeacher));
    statusLabel->setText(kStartStatus);
    updateEditButtons();
}

void RegisterWindow::classChosen()
{
    if (!settleUnsaved()) {
        const QSignalBlocker block(classCombo);
        classCombo->setCurrentIndex(m_choice->classIndex());
        return;
    }
    ChooseClass();
}

void RegisterWindow::ChooseClass()
{
    if (!m_choice->chooseClass(classCombo->currentIndex()))
        return;
    const ClassEntry entry = m_choice->classEntry();
    const school::ClassIdentity identity =
        school::ResolveClassCode(gradeGroupCombo->currentText(), classCombo->currentText(), session().today());
    // A name outside the fixed lists has no class code: the class lists nobody.
    const std::optional<QList<reg::RegisterRow>> stored = reg::readRegisterRows(connection(), identity);
    if (!stored)
        reportReadFailure(this, connection().error());
    m_sheet.load(identity, stored.value_or(QList<reg::RegisterRow>()));
    classCodeLabel->setText(identity.classCode);
    FillRegisterGrid();
    titleLabel->setText(gradeGroupCombo->currentText() + classCombo->currentText() + QStringLiteral("(") + entry.actualName
                    + QStringLiteral(")学籍表       班主任:") + entry.headTeacher);

    m_choosing = true;
    m_toggle->showState();
    m_choosing = false;
    if (!m_toggle->isSignedIn())
        signInButton->setText(kChosenSignedOutCaption);
}

void RegisterWindow::FillRegisterGrid()
{
    m_editor->cancel();
    transferQueueList->clear();
    markQueued();
    clearGrid();
    if (m_sheet.size() == 0)
        return;

    registerGrid->setUpdatesEnabled(false);
    registerGrid->setRows(1 + m_sheet.size());
    for (int i = 0; i < m_sheet.size(); ++i) {
        showRow(i);
        registerGrid->setRowHeight(i + 1, reg::kLoadedRowHeight);
    }
    fitColumns(1, registerGrid->Rows() - 1);
    registerGrid->setUpdatesEnabled(true);
    showTakenNumbers();
    m_editor->clearPendingEdit();
}

void RegisterWindow::fitColumns(int fromRow, int toRow)
{
    // The format string sizes the columns to their headers; a longer text (an
    // 8-digit number, a phone number, an address) widens its column.
    registerGrid->widenColumnsToText(0, reg::kColRemarks, fromRow, toRow);
}

void RegisterWindow::clearGrid()
{
    m_editor->cancel();
    registerGrid->setRows(1);
    for (int c = 0; c < m_formatWidths.size(); ++c)
        registerGrid->setColWidth(c, m_formatWidths[c]);
    showTakenNumbers();
    m_editRowValid = false;
}

void RegisterWindow::showRow(int i)
{
    const QStringList cells = m_sheet.row(i).cells();
    for (int c = 0; c < reg::kRegisterGridCols; ++c)
        registerGrid->setTextMatrix(i + 1, c, cells[c]);
}

void RegisterWindow::appendGridRow(int heightTwips)
{
    const int r = registerGrid->Rows();
    registerGrid->setRows(r + 1);
    showRow(r - 1);
    if (heightTwips >= 0)
        registerGrid->setRowHeight(r, heightTwips);
    fitColumns(r, r);
}

void RegisterWindow::showTakenNumbers()
{
    usedNumbersList->clear();
    usedNumbersList->addItems(m_sheet.takenNumbers());
}

void RegisterWindow::rowEdited(int gridRow, int col)
{
    const int i = gridRow - 1;
    if (i < 0 || i >= m_sheet.size())
        return;
    // The text the editor has just written is the edit: the sheet takes it, and
    // the row is shown again as the sheet has it, its state included.
    m_sheet.edit(i, col, registerGrid->TextMatrix(gridRow, col));
    showRow(i);
    fitColumns(gridRow, gridRow);
}

void RegisterWindow::closeClicked()
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
    return m_sheet.hasUnsaved();
}

bool RegisterWindow::headTeacherSignedIn() const
{
    const Session &s = session();
    const QString head = chosenClass().headTeacher;
    // The chosen class's own head teacher: a teacher signed in elsewhere never
    // edits this register.
    // While a panel is open the grid is only a view: the panel's work reloads it.
    return m_choice->classIndex() >= 0 && m_sheet.identity().isValid() && !head.isEmpty() && s.denglu == head && !m_openPanel;
}

void RegisterWindow::updateEditButtons()
{
    editFrame->setEnabled(m_toggle && m_toggle->isSignedIn() && m_choice->classIndex() >= 0
                       && m_sheet.identity().isValid() && !m_openPanel);
    exportButton->setEnabled(!m_openPanel);
}

void RegisterWindow::showSignInState(bool signedIn)
{
    const QString head = chosenClass().headTeacher;
    if (m_choosing)
        statusLabel->setText(signedIn ? QStringLiteral("班主任(%1)已经登陆，可以修改学籍内容。").arg(head)
                                 : QStringLiteral("班主任(%1)没有登陆，还不可以修改学籍内容。").arg(head));
    else
        statusLabel->setText(signedIn ? QStringLiteral("班主任(%1)登陆成功，可以修改学籍内容。").arg(head)
                                 : QStringLiteral("班主任(%1)退出了登陆，不可以修改学籍内容了。").arg(head));
    updateEditButtons();
}

// ---- Editing and save ------------------------------------------------------

void RegisterWindow::addStudentClicked()
{
    m_editor->CloseCellEditor();
    if (!m_sheet.identity().isValid())
        return;
    if (!m_sheet.addStudent()) {
        showNotice(this, school::kSeatsFullMessage, kTitleHintDots);
        return;
    }
    appendGridRow(-1);   // a new row keeps the grid's default height
    showTakenNumbers();
    registerGrid->scrollToBottom();
}

void RegisterWindow::deleteStudentClicked()
{
    m_editor->CloseCellEditor();
    const int i = m_editor->editRow() - 1;
    // Only a student row of this fill that is not deleted yet: a second deletion
    // must not free its number again.
    if (!m_editRowValid || !m_sheet.isShown(i)) {
        showNotice(this, kDeleteHint, kTitleHintDots);
        return;
    }
    const QString question =
        QStringLiteral("你真的要删除(%1号 %2)同学的学籍吗?").arg(m_sheet.row(i).number).arg(m_sheet.row(i).name());
    if (!askYesNo(this, question, kTitleHintDots)) {
        showNotice(this, kDeleteHint, kTitleHintDots);
        return;
    }
    m_sheet.deleteStudent(i);
    showRow(i);
    registerGrid->setRowHeight(i + 1, 0);   // hidden, but kept until the grid is filled again
    showTakenNumbers();
}

void RegisterWindow::saveClicked()
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
    const school::ClassIdentity &identity = m_sheet.identity();
    if (m_choice->classIndex() < 0 || !identity.isValid())
        return false;
    if (!m_toggle->confirmSignedIn())
        return false;
    if (const QString unnamed = m_sheet.missingName(); !unnamed.isEmpty()) {
        showNotice(this, unnamed, kTitleHintDots);
        return false;
    }
    const reg::RegisterSaveOutcome outcome =
        saveWith<reg::RegisterSaveOutcome>(connection(), [&](db::Connection &c) {
            return reg::SaveRegister(c, identity.sectionTable, identity.classCode, m_sheet.rowsToSave());
        });
    m_sheet.applySaveOutcome(outcome);
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
                                 .arg(m_gradeGroup, classCombo->itemText(m_choice->classIndex()));
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
    registerGrid->setVisible(panel != importFrame);   // the import panel takes the grid's place
    choiceFrame->setEnabled(false);
    signInButton->setEnabled(false);
    updateEditButtons();
}

void RegisterWindow::closePanel(QWidget *panel)
{
    panel->hide();
    registerGrid->show();
    if (m_openPanel == panel)
        m_openPanel = nullptr;
    choiceFrame->setEnabled(true);
    signInButton->setEnabled(true);
    updateEditButtons();
}

void RegisterWindow::transferClicked()
{
    // The register's changes go to the table first; a failed save keeps the panel shut.
    if (!SaveRegister())
        return;
    openPanel(transferFrame);
}

void RegisterWindow::sourceClassChosen()
{
    if (sourceClassCombo->currentIndex() < 0)
        return;
    if (sourceClassCombo->currentText() == classCombo->currentText()) {
        showNotice(this, QStringLiteral("同一个班级不能导入学生。"), kTitleHintDots);
        return;
    }
    const school::ClassIdentity source =
        school::ResolveClassCode(gradeGroupCombo->currentText(), sourceClassCombo->currentText(), session().today());
    if (source.isValid() && source.classCode == m_sheet.identity().classCode) {
        showNotice(this, QStringLiteral("同一个班级不能导入学生。"), kTitleHintDots);
        return;
    }
    sourceStudentList->clear();
    const std::optional<QList<reg::TransferEntry>> students =
        reg::readTransferSources(connection(), source.sectionTable, source.classCode);
    if (!students) {
        reportReadFailure(this, connection().error());
        return;
    }
    for (const reg::TransferEntry &student : *students) {
        auto *item = new QListWidgetItem(student.text, sourceStudentList);
        item->setData(kRoleId, student.id);
        item->setData(kRoleSourceCode, student.sourceCode);
        item->setData(kRoleText, student.text);
    }
    markQueued();
}

QList<reg::TransferEntry> RegisterWindow::transferQueue() const
{
    QList<reg::TransferEntry> queue;
    for (int i = 0; i < transferQueueList->count(); ++i) {
        const QListWidgetItem *item = transferQueueList->item(i);
        queue << reg::TransferEntry{item->data(kRoleId).toLongLong(), item->data(kRoleSourceCode).toString(),
                                    item->data(kRoleText).toString()};
    }
    return queue;
}

void RegisterWindow::markQueued()
{
    const QList<reg::TransferEntry> queue = transferQueue();
    for (int i = 0; i < sourceStudentList->count(); ++i) {
        QListWidgetItem *item = sourceStudentList->item(i);
        const QString text = item->data(kRoleText).toString();
        item->setText(reg::isQueued(queue, item->data(kRoleId).toLongLong()) ? text + reg::kQueuedMark : text);
    }
}

void RegisterWindow::queueStudentClicked()
{
    QListWidgetItem *item = sourceStudentList->currentItem();
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
                  QStringLiteral("确实要把") + sourceClassCombo->currentText() + QStringLiteral("的") + text
                      + QStringLiteral("导入本班吗?"),
                  kTitleHintDots))
        return;
    auto *queued = new QListWidgetItem(text, transferQueueList);
    queued->setData(kRoleId, id);
    queued->setData(kRoleSourceCode, item->data(kRoleSourceCode));
    queued->setData(kRoleText, text);
    markQueued();
}

void RegisterWindow::saveTransferClicked()
{
    const QList<reg::TransferEntry> queue = transferQueue();
    if (queue.isEmpty()
        || !m_toggle->confirmSignedIn(QStringLiteral("班主任(%1)没有登陆，没有学生转入本班。请登陆后再保存转入。")))
        return;
    const reg::TransferOutcome outcome = saveWith<reg::TransferOutcome>(connection(), [&](db::Connection &c) {
        return reg::SaveClassTransfer(c, m_sheet.identity().sectionTable, m_sheet.identity().classCode, queue,
                                      m_sheet.takenNumbers());
    });
    if (!outcome.ok) {
        reportSaveFailure(this, QStringLiteral("转班没有完成，没有学生转入本班："), outcome.error, kTitleHintDots);
        return;
    }
    sourceStudentList->clear();
    transferQueueList->clear();
    closePanel(transferFrame);
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

void RegisterWindow::closeTransferClicked()
{
    closePanel(transferFrame);
}

} // namespace tessaly

// ---- Import and export ---------------------------------------------------------

namespace tessaly {

namespace {

const QString kNoWorkbook = QStringLiteral("请先点击<浏览>打开含有本班学生资料的Excel文件，再选择学生资料所在的表。");

} // namespace

void RegisterWindow::buildImportPanels(QWidget *parent)
{
    importFrame = named(new QGroupBox(parent), "Frame5");
    auto *title = new QLabel(QStringLiteral("导入电子表格Excel文件中学籍内容"), importFrame);
    title->setFont(cjkFont(QStringLiteral("黑体"), title->font().pointSizeF() * 1.3));
    title->setAlignment(Qt::AlignCenter);

    browseButton = named(new QPushButton(QStringLiteral("浏览"), importFrame), "Command5");
    workbookPathBox = named(new QLineEdit(importFrame), "Text4");
    workbookPathBox->setReadOnly(true);
    sheetCombo = named(new QComboBox(importFrame), "Combo4");
    fitDropDown(sheetCombo);
    sheetHeaderList = named(new QListWidget(importFrame), "List3");
    sheetHeaderList->setFixedWidth(sheetHeaderList->fontMetrics().horizontalAdvance(QStringLiteral("原毕业学校名称")) + 24);

    importModeOptions[0] = named(new QRadioButton(reg::kFreshImportCaption, importFrame), "Option1_0");
    importModeOptions[1] = named(new QRadioButton(reg::kByNameImportCaption, importFrame), "Option1_1");
    // A group of their own: the field options below importFrame are no partners of the modes,
    // and a click on the chosen mode leaves it chosen.
    auto *modeGroup = new QButtonGroup(importFrame);
    modeGroup->addButton(importModeOptions[0]);
    modeGroup->addButton(importModeOptions[1]);
    byNameNote = named(new QLabel(QStringLiteral("(根据姓名,从Excel中导入学籍资料)"), importFrame), "Label11");
    fieldHint = named(new QLabel(QStringLiteral("请先选中所需新生资料单选框内容，再点击列提供资料的相应内容。"), importFrame),
                    "Label20");
    fieldHint->setWordWrap(true);
    notesLabel = named(new QLabel(QStringList{QStringLiteral("操作说明："),
                                          QStringLiteral("导入的电子表格 （Excel） 文件必须含有学生的以下情况，才能导入。"),
                                          QStringLiteral("1、学生姓名(Excel文件中必需含有)"),
                                          QStringLiteral("2、其它选项可有可无，没有的项需要手工录入。"),
                                          QStringLiteral("3、（Excel）文件中只包括本班的学生，不能包含其它班的学生，否则会一起导入。")}
                               .join(QLatin1Char('\n')),
                           importFrame),
                   "Label9");
    notesLabel->setWordWrap(true);
    captionRowLabel = named(new QLabel(importFrame), "CaptionRowNote");
    captionRowLabel->setWordWrap(true);
    captionRowLabel->hide();
    startImportButton = named(new QPushButton(QStringLiteral("导入开始"), importFrame), "Command8");
    cancelImportButton = named(new QPushButton(QStringLiteral("取消导入"), importFrame), "Command9");

    // The field options, one group, each beside its bordered binding label.
    fieldPanel = named(new QWidget(importFrame), "Picture1");
    auto *fields = new QGridLayout(fieldPanel);
    fields->setContentsMargins(0, 0, 0, 0);
    fields->addWidget(new QLabel(QStringLiteral("所需新生资料"), fieldPanel), 0, 0, 1, 4);
    const int rowsPerColumn = reg::kImportFieldCount / 2;
    for (int f = 0; f < reg::kImportFieldCount; ++f) {
        const reg::ImportField &field = reg::importFields()[std::size_t(f)];
        auto *option = named(new QRadioButton(field.caption, fieldPanel), field.option);
        auto *label = named(new QLabel(fieldPanel), field.label);
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
    auto *panel = new QGridLayout(importFrame);
    panel->addWidget(title, 0, 0, 1, 3);
    auto *file = new QHBoxLayout;
    file->addWidget(new QLabel(QStringLiteral("①选择(Excel)文件"), importFrame));
    file->addWidget(workbookPathBox, 1);
    file->addWidget(browseButton);
    file->addSpacing(12);
    file->addWidget(new QLabel(QStringLiteral("②选择学生资料所在的表"), importFrame));
    file->addWidget(sheetCombo, 1);
    panel->addLayout(file, 1, 0, 1, 3);
    auto *modes = new QGridLayout;
    modes->addWidget(new QLabel(QStringLiteral("③导入要求"), importFrame), 0, 0);
    modes->addWidget(importModeOptions[0], 0, 1, 1, 2);
    modes->addWidget(importModeOptions[1], 1, 1);
    modes->addWidget(byNameNote, 1, 2);
    modes->setColumnStretch(2, 1);
    panel->addLayout(modes, 2, 0, 1, 3);
    panel->addWidget(new QLabel(QStringLiteral("④所需资料与(Excel)文件中的列内容对应起来"), importFrame), 3, 0, 1, 3);
    panel->addWidget(fieldPanel, 4, 0, 2, 1, Qt::AlignTop);
    panel->addWidget(new QLabel(QStringLiteral("表中列提供资料"), importFrame), 4, 1);
    panel->addWidget(sheetHeaderList, 5, 1);
    auto *notes = new QVBoxLayout;
    notes->addWidget(captionRowLabel);
    notes->addWidget(fieldHint);
    notes->addWidget(notesLabel);
    notes->addStretch();
    panel->addLayout(notes, 4, 2, 2, 1);
    panel->addLayout(buttonRow({startImportButton, cancelImportButton}), 6, 0, 1, 3);
    panel->setColumnStretch(2, 1);
    panel->setRowStretch(5, 1);
    importFrame->hide();

    // The report.
    importReportFrame = named(new QGroupBox(QStringLiteral("导入情况报告单"), parent), "Frame6");
    importReportFrame->setAlignment(Qt::AlignHCenter);
    importProgress = named(new QProgressBar(importReportFrame), "Bar1");
    importProgress->setRange(0, 1);
    importProgress->setValue(0);
    progressLabel = named(new QLabel(importReportFrame), "lb_1");
    importReportBox = named(new QPlainTextEdit(importReportFrame), "Text5");
    importReportBox->setReadOnly(true);
    importReportBox->setFixedHeight(importReportBox->fontMetrics().height() * 6);
    closeReportButton = named(new QPushButton(QStringLiteral("确定"), importReportFrame), "Command2");
    auto *report = new QGridLayout(importReportFrame);
    report->addWidget(new QLabel(QStringLiteral("进度指示……"), importReportFrame), 0, 0);
    report->addWidget(importProgress, 0, 1);
    report->addWidget(progressLabel, 1, 1);
    report->addWidget(new QLabel(QStringLiteral("工作指示"), importReportFrame), 2, 0, Qt::AlignTop);
    report->addWidget(importReportBox, 2, 1);
    report->addWidget(closeReportButton, 3, 1, Qt::AlignRight);
    report->setColumnStretch(1, 1);
    importReportFrame->hide();
}

void RegisterWindow::importClicked()
{
    openPanel(importFrame);
    m_skipModeNotice = true;
}

void RegisterWindow::cancelImportClicked()
{
    // The workbook and the bindings stay for the next opening.
    closePanel(importFrame);
}

void RegisterWindow::browseClicked()
{
    OpenImportWorkbook(this, m_book, workbookPathBox, sheetCombo);
}

void RegisterWindow::sheetChosen()
{
    const int index = sheetCombo->currentIndex();
    if (!m_book || index < 0)
        return;
    // 性别 keeps its binding: it is read from its position whatever the sheet.
    for (int f = 0; f < reg::kImportFieldCount; ++f) {
        if (f == reg::kFieldSex)
            continue;
        m_mapping[std::size_t(f)].reset();
        m_bindingLabels[std::size_t(f)]->clear();
    }
    m_mapping.captionRow = ListSheetHeaders(this, *m_book, index, sheetHeaderList, HeaderText::Trimmed,
                                            {reg::registerCaptions(), reg::nameCaptions()});
    captionRowLabel->setText(captionRowNote(m_mapping.captionRow));
    captionRowLabel->setVisible(!captionRowLabel->text().isEmpty());
    m_fieldOptions[reg::kFieldName]->setChecked(true);
    presetMode(reg::presetMode(m_sheet.shownCount()));
}

void RegisterWindow::presetMode(reg::ImportMode mode)
{
    const int index = mode == reg::ImportMode::Fresh ? 0 : 1;
    m_skipModeNotice = true;
    importModeOptions[index]->setChecked(true);
    importModeChosen(index);
}

void RegisterWindow::sheetHeaderChosen()
{
    const int position = sheetHeaderList->currentRow();
    if (position < 0)
        return;
    for (int f = 0; f < reg::kImportFieldCount; ++f) {
        if (!m_fieldOptions[std::size_t(f)]->isChecked())
            continue;
        QStringList headers;
        for (int i = 0; i < sheetHeaderList->count(); ++i)
            headers << sheetHeaderList->item(i)->text();
        ColumnBinding &binding = m_mapping[std::size_t(f)];
        if (bindColumn(binding, headers, position))
            m_bindingLabels[std::size_t(f)]->setText(binding.label);
        return;
    }
}

void RegisterWindow::importModeChosen(int)
{
    if (m_skipModeNotice) {
        m_skipModeNotice = false;
        return;
    }
    const reg::ImportMode chosen = importModeOptions[1]->isChecked() ? reg::ImportMode::ByName : reg::ImportMode::Fresh;
    const reg::ModeChoiceNotice notice =
        reg::modeChoiceNotice(chosen, m_sheet.shownCount(), gradeGroupCombo->currentText(), classCombo->currentText());
    if (!notice.text.isEmpty())
        showNotice(this, notice.text);
    if (notice.switchToFresh) {
        importModeOptions[0]->setChecked(true);
        importModeChosen(0);
    }
}

void RegisterWindow::startImportClicked()
{
    const reg::ImportMode mode = importModeOptions[1]->isChecked() ? reg::ImportMode::ByName : reg::ImportMode::Fresh;
    const int dataRows = m_book ? reg::importRowCount(*m_book, m_mapping) : 0;
    QString refusal = reg::importRefusal(mode, m_mapping, dataRows);
    if (refusal.isEmpty() && (!m_book || m_book->currentSheet() < 0))
        refusal = kNoWorkbook;
    if (refusal.isEmpty() && !importModeOptions[0]->isChecked() && !importModeOptions[1]->isChecked())
        return;
    if (!refusal.isEmpty()) {
        showNotice(this, refusal, kTitleHintDots);
        return;
    }
    m_editor->CloseCellEditor();
    importProgress->setValue(0);
    closePanel(importFrame);
    openPanel(importReportFrame);
    importReportBox->clear();

    FramePacer pacer;
    reg::ImportProgress progress;
    if (mode == reg::ImportMode::Fresh) {
        importProgress->setRange(0, dataRows + 1);
        // The count and bar are drawn during a long import, once a frame.
        progress = [&](int k, int n) {
            progressLabel->setText(QStringLiteral("总计%1人 现%2人").arg(n).arg(k));
            if (!pacer.due())
                return;
            importProgress->setValue(k);
            progressLabel->repaint();
        };
    } else {
        importProgress->setRange(0, m_sheet.shownCount() + 1);
        progress = [this](int j, int) { importProgress->setValue(j); };
    }
    const reg::ImportSummary &summary = m_sheet.applyImport(mode, *m_book, m_mapping, progress);
    showAllRows();
    importReportBox->setPlainText(reg::importReport(summary));
    importProgress->setValue(importProgress->maximum());
}

void RegisterWindow::showAllRows()
{
    registerGrid->setUpdatesEnabled(false);
    const int before = registerGrid->Rows();
    registerGrid->setRows(1 + m_sheet.size());
    for (int i = 0; i < m_sheet.size(); ++i) {
        showRow(i);
        if (!m_sheet.isShown(i))
            registerGrid->setRowHeight(i + 1, 0);
        else if (i + 1 >= before)
            registerGrid->setRowHeight(i + 1, reg::kLoadedRowHeight);
    }
    fitColumns(1, registerGrid->Rows() - 1);
    registerGrid->setUpdatesEnabled(true);
    showTakenNumbers();
}

void RegisterWindow::closeReportClicked()
{
    closePanel(importReportFrame);
    importReportBox->clear();
}

void RegisterWindow::exportClicked()
{
    m_editor->CloseCellEditor();
    const bool choiceEnabled = choiceFrame->isEnabled();
    editFrame->setEnabled(false);
    choiceFrame->setEnabled(false);
    ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
    reg::fillRegisterSheet(book, gradeGroupCombo->currentText(), classCombo->currentText(), reg::registerHeaders(),
                           m_sheet.rows());
    QString error;
    const bool handed = book.saveAndOpen(nullptr, &error);
    choiceFrame->setEnabled(choiceEnabled);
    updateEditButtons();
    if (!handed)
        showNotice(this, error, kTitleHintDots);
}

} // namespace tessaly
