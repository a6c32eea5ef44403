#include "shell/password_admin_window.h"

#include "kit/selection.h"
#include "kit/database_unavailable.h"
#include "kit/window_steps.h"
#include "widgets/data_control.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "widgets/units.h"
#include "kit/cell_editor.h"
#include "kit/sign_in_toggle.h"
#include "kit/unsaved_changes.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tessaly {

namespace {

const QString kNotSignedIn = QStringLiteral("请管理员先登陆,才能查看和修改。");


// The password cell editor: the last column only, no movement keys, the
// password rule checked at every change the administrator makes. Opening a cell
// checks nothing: a stored password of up to 8 characters from the sign-in
// dialog's change is shown as it is, not cut short by merely looking at it.
CellEditorConfig passwordEditorConfig(QWidget *window)
{
    CellEditorConfig c;
    c.firstColumn = -1;
    c.lastColumn = -1;
    c.moveKeys = CellEditorConfig::MoveNone;
    c.writeUnchanged = true;
    c.commitOnScroll = false;
    c.textCheck = [window](int, QString &text) { cutToPasswordRule(window, text); };
    return c;
}

} // namespace

PasswordAdminWindow::PasswordAdminWindow(WindowHost &host, QWidget *parent)
    : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("系统安全密码设置"));
    setWindowTitle(QStringLiteral("系统安全密码设置"));

    // The list: title, grid, note.
    listFrame = named(new QGroupBox(this), "Frame2");
    listHeading = named(new QLabel(QStringLiteral("相关操作人员密码列表"), listFrame), "Label2");
    listHeading->setAlignment(Qt::AlignCenter);
    passwordGrid = named(new FlexGrid(listFrame), "Grid1");
    captionLabels[0] = named(new QLabel(QStringLiteral("注意:密码是小于6位半角(或3位全角)字符"), listFrame), "Label1");
    cellEditorBox = named(new QLineEdit(listFrame), "Text1");
    auto *listLayout = new QVBoxLayout(listFrame);
    listLayout->setContentsMargins(6, 4, 6, 4);
    listLayout->setSpacing(3);
    listLayout->addWidget(listHeading);
    listLayout->addWidget(passwordGrid, 1);
    listLayout->addWidget(captionLabels[0]);

    // The choices and the save button.
    choiceFrame = named(new QGroupBox(this), "Frame1");
    choiceHeading = named(new QLabel(QStringLiteral("查看与修改密码"), choiceFrame), "Label3");
    choiceHeading->setAlignment(Qt::AlignCenter);
    captionLabels[5] = named(new QLabel(QStringLiteral("选择类别"), choiceFrame), "Label1");
    categoryCombo = named(new QComboBox(choiceFrame), "Combo2");
    categoryCombo->addItems({QStringLiteral("管理员"), QStringLiteral("班主任"), QStringLiteral("任课教师")});
    categoryCombo->setCurrentIndex(-1);
    fitDropDown(categoryCombo);
    captionLabels[4] = named(new QLabel(QStringLiteral("选择范围"), choiceFrame), "Label1");
    gradeGroupCombo = named(new QComboBox(choiceFrame), "Combo1");
    saveButton = named(new QPushButton(QStringLiteral("保存设定密码(&K)"), choiceFrame), "Command5");
    auto *choiceLayout = new QGridLayout(choiceFrame);
    choiceLayout->setContentsMargins(6, 4, 6, 6);
    choiceLayout->setVerticalSpacing(6);
    choiceLayout->addWidget(choiceHeading, 0, 0, 1, 2);
    choiceLayout->addWidget(captionLabels[5], 1, 0);
    choiceLayout->addWidget(categoryCombo, 1, 1);
    choiceLayout->addWidget(captionLabels[4], 2, 0);
    choiceLayout->addWidget(gradeGroupCombo, 2, 1);
    choiceLayout->setRowStretch(3, 1);
    choiceLayout->addWidget(saveButton, 4, 0, 1, 2);
    choiceLayout->setColumnStretch(1, 1);

    signInButton = named(new QPushButton(this), "Command1");
    closeButton = named(new QPushButton(QStringLiteral("退出密码设置(&E)"), this), "Command8");

    auto *right = new QVBoxLayout;
    right->addWidget(choiceFrame, 1);
    right->addWidget(signInButton);
    right->addWidget(closeButton);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(listFrame, 1);
    layout->addLayout(right);

    passwordGrid->setFormatString(kPasswordGridFormatAtLoad);
    passwordGrid->setRows(1);
    m_editor = new CellEditor(passwordGrid, passwordEditorConfig(this), cellEditorBox);
    connect(m_editor, &CellEditor::cellWritten, this,
            [this](int row, int col) { passwordGrid->widenColumnsToText(col, col, row, row); });

    m_toggle = new SignInToggle(SignInToggle::Kind::Admin, signInButton, host, this);
    m_toggle->setEditors({choiceFrame, listFrame, saveButton});
    listFrame->setEnabled(true);   // open, with nothing to edit until a sign-in
    connect(m_toggle, &SignInToggle::stateShown, this, [this](bool signedIn) {
        if (!signedIn)
            cutGrid();
    });
    m_toggle->setBeforeSignOut([this] { return settleUnsaved(); });   // the sign-out cuts the list

    connect(categoryCombo, &QComboBox::activated, this, &PasswordAdminWindow::categoryChosen);
    connect(gradeGroupCombo, &QComboBox::activated, this, &PasswordAdminWindow::gradeGroupChosen);
    connect(saveButton, &QPushButton::clicked, this, &PasswordAdminWindow::saveClicked);
    connect(closeButton, &QPushButton::clicked, this, &PasswordAdminWindow::closeClicked);
}

QVector<qint64> PasswordAdminWindow::listedIds() const
{
    QVector<qint64> ids;
    for (const PasswordRow &row : m_listed)
        ids << row.id;
    return ids;
}

void PasswordAdminWindow::Form_Load()
{
    SetWindowSize(this, 6750, 4260);
    CentreOnMainWindow(this, m_host.hostWidget(), 400);
    if (!databaseAvailable(*this, this))
        return;

    LoadAdminAccount(connection(), this);
    FillGradeGroupCombo(connection(), gradeGroupCombo, GradeGroupVariant::PasswordSetup, this);

    passwordGrid->setFormatString(kPasswordGridFormatAtLoad);
    passwordGrid->setRows(1);
    m_listed.clear();

    if (m_toggle->ownAccountSignedIn())
        m_toggle->showState();
}

void PasswordAdminWindow::signInClicked()
{
    m_toggle->click();
}

bool PasswordAdminWindow::refusedWhileSignedOut()
{
    if (m_toggle->isSignedIn())
        return false;
    showNotice(this, kNotSignedIn);
    return true;
}

void PasswordAdminWindow::categoryChosen()
{
    if (refusedWhileSignedOut())
        return;
    if (categoryCombo->currentIndex() == 0 && !settleUnsaved()) {
        restoreShownChoice();
        return;
    }
    gradeGroupCombo->setEnabled(true);
    if (categoryCombo->currentIndex() != 0)
        return;   // head teachers and teachers wait for a grade group
    showList(PasswordCategory::Admin, QString());
    listHeading->setText(QStringLiteral("管理员密码列表"));
    gradeGroupCombo->setEnabled(false);
}

void PasswordAdminWindow::gradeGroupChosen()
{
    if (refusedWhileSignedOut())
        return;
    const QString gradeGroup = gradeGroupCombo->currentText().trimmed();
    if (gradeGroup.isEmpty()) {
        showNotice(this, QStringLiteral("请先选择年级组,才能查看和修改。"));
        return;
    }
    if ((categoryCombo->currentIndex() == 1 || categoryCombo->currentIndex() == 2) && !settleUnsaved()) {
        restoreShownChoice();
        return;
    }
    switch (categoryCombo->currentIndex()) {
    case 1:
        showList(PasswordCategory::HeadTeachers, gradeGroup);
        listHeading->setText(gradeGroupCombo->currentText() + QStringLiteral("班主任密码列表"));
        break;
    case 2:
        showList(PasswordCategory::Teachers, gradeGroup);
        listHeading->setText(gradeGroupCombo->currentText() + QStringLiteral("任课教师密码列表"));
        break;
    default:
        break;   // no category chosen: nothing to list
    }
}

void PasswordAdminWindow::restoreShownChoice()
{
    const QSignalBlocker blockCategory(categoryCombo);
    const QSignalBlocker blockGradeGroup(gradeGroupCombo);
    categoryCombo->setCurrentIndex(m_shownCategory);
    gradeGroupCombo->setCurrentIndex(gradeGroupCombo->findText(m_shownGradeGroup));
}

void PasswordAdminWindow::showList(PasswordCategory category, const QString &gradeGroup)
{
    m_editor->cancel();
    m_category = category;
    m_shownCategory = categoryCombo->currentIndex();
    m_shownGradeGroup = gradeGroupCombo->currentText();
    passwordGrid->setFormatString(passwordGridFormat(category));
    const std::optional<QVector<PasswordRow>> rows = readPasswordRows(connection(), category, gradeGroup);
    if (!rows)
        reportReadFailure(this, connection().error());
    FillPasswordGrid(rows.value_or(QVector<PasswordRow>()));
}

void PasswordAdminWindow::FillPasswordGrid(const QVector<PasswordRow> &rows)
{
    m_editor->cancel();
    m_listed = rows;
    passwordGrid->setUpdatesEnabled(false);
    passwordGrid->setRows(1 + int(m_listed.size()));
    for (int k = 0; k < m_listed.size(); ++k) {
        const int r = k + 1;
        passwordGrid->setTextMatrix(r, 0, QString::number(r));
        const QStringList &cells = m_listed[k].cells;
        for (int c = 0; c < cells.size() && c + 1 < passwordGrid->Cols(); ++c)
            passwordGrid->setTextMatrix(r, c + 1, cells[c]);
    }
    passwordGrid->widenColumnsToText(1, passwordGrid->Cols() - 1, 1, passwordGrid->Rows() - 1);
    passwordGrid->setUpdatesEnabled(true);
}

void PasswordAdminWindow::cutGrid()
{
    m_editor->cancel();
    passwordGrid->setRows(1);
    m_listed.clear();
}

bool PasswordAdminWindow::hasUnsavedChanges() const
{
    const int passwordCol = passwordGrid->Cols() - 1;
    for (int k = 0; k < m_listed.size() && k + 1 < passwordGrid->Rows(); ++k) {
        if (!m_listed[k].cells.isEmpty() && passwordGrid->TextMatrix(k + 1, passwordCol) != m_listed[k].cells.last())
            return true;
    }
    return false;
}

bool PasswordAdminWindow::settleUnsaved()
{
    m_editor->CloseCellEditor();
    if (!hasUnsavedChanges())
        return true;
    return settleUnsavedChanges(this, QStringLiteral("%1中修改的密码还没有保存，要先保存吗?").arg(listHeading->text()),
                                [this] { return savePasswordsShown(); });
}

void PasswordAdminWindow::saveClicked()
{
    savePasswordsShown();
}

bool PasswordAdminWindow::savePasswordsShown()
{
    m_editor->CloseCellEditor();
    // Every account's password: only while the administrator is the account signed in.
    if (!m_toggle->confirmSignedIn())
        return false;
    const int passwordCol = passwordGrid->Cols() - 1;
    QVector<PasswordEdit> edits;
    QMap<qint64, QString> names;
    for (int k = 0; k < m_listed.size() && k + 1 < passwordGrid->Rows(); ++k) {
        const PasswordRow &row = m_listed[k];
        const QString typed = passwordGrid->TextMatrix(k + 1, passwordCol);
        if (row.cells.isEmpty() || typed == row.cells.last())
            continue;   // unchanged: the stored password stays as it is now
        edits.append({row.id, typed});
        names.insert(row.id, passwordGrid->TextMatrix(k + 1, passwordCol - 1));
    }
    const PasswordSaveResult result = saveWith<PasswordSaveResult>(connection(), [&](db::Connection &c) {
        return savePasswords(c, edits);
    });
    if (!result.ok) {
        reportSaveFailure(this, QStringLiteral("密码没有保存："), result.error, kTitleHintDots);
        return false;
    }
    // Settled: written, or reported below as gone (so not asked about again).
    for (int k = 0; k < m_listed.size(); ++k) {
        if (k + 1 < passwordGrid->Rows() && !m_listed[k].cells.isEmpty())
            m_listed[k].cells.last() = passwordGrid->TextMatrix(k + 1, passwordCol);
    }
    if (!result.missing.isEmpty()) {
        QStringList gone;
        for (qint64 id : result.missing)
            gone << names.value(id);
        showNotice(this,
                   QStringLiteral("以下人员已不在教导处中,其密码没有保存:\r") + gone.join(QStringLiteral("、")),
                   kTitleHintDots);
        return true;   // nothing of the grid is left to write
    }
    showNotice(this, QStringLiteral("设定的密码,已经保存。"), kTitleHintDots);
    return true;
}

void PasswordAdminWindow::closeClicked()
{
    CloseWindow(this);   // the close asks about unsaved passwords
}

bool PasswordAdminWindow::mayClose()
{
    return settleUnsaved();
}

} // namespace tessaly
