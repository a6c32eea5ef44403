#include "organisation/class_setup_window.h"

#include "school/fixed_lists.h"
#include "kit/database_unavailable.h"
#include "school/school_tables.h"
#include "kit/selection.h"
#include "kit/window_steps.h"
#include "widgets/data_control.h"
#include "db/database.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "widgets/units.h"
#include "kit/cell_editor.h"
#include "kit/sign_in_toggle.h"
#include "kit/unsaved_changes.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace tessaly {

using namespace organisation;

namespace {

const QString kGridFormat = QStringLiteral("^序号|^班名称|^班 实 际 名|^班 主 任|MM");
constexpr int kColNumber = 0;
constexpr int kColName = 1;
constexpr int kColActualName = 2;
constexpr int kColHeadTeacher = 3;
constexpr int kColPassword = 4;


QLabel *indexed(QLabel *label, const char *name, int index)
{
    label->setObjectName(QString::fromLatin1(name));
    label->setProperty("Index", index);
    return label;
}


// The question on leaving unsaved changes: about the grade group's classes when
// they were added or removed, else about the classes whose entries changed.
QString unsavedChangesQuestion(const QString &gradeGroup, const QVector<ClassRow> &saved, const QVector<ClassRow> &rows)
{
    QStringList changed;
    bool sameClasses = saved.size() == rows.size();
    for (qsizetype i = 0; sameClasses && i < rows.size(); ++i) {
        sameClasses = rows[i].name == saved[i].name;
        if (sameClasses && rows[i] != saved[i])
            changed << rows[i].name;
    }
    if (!sameClasses || changed.isEmpty())
        return QStringLiteral("请问?是否将%1的班级保存为现在设置的%2个班？").arg(gradeGroup).arg(rows.size());
    return QStringLiteral("请问?是否保存对%1的班级(%2)所做的修改？").arg(gradeGroup, changed.join(QStringLiteral("、")));
}

} // namespace

CellEditorConfig classCellEditorConfig()
{
    CellEditorConfig c;
    c.firstColumn = kColActualName;
    c.lastColumn = kColHeadTeacher;
    c.moveKeys = CellEditorConfig::MoveUp | CellEditorConfig::MoveDown;
    c.commitOnScroll = true;
    c.writeUnchanged = true;
    c.rowStateColumn = CellEditorConfig::kNoRowState;
    return c;
}

ClassSetupWindow::ClassSetupWindow(WindowHost &host, QWidget *parent)
    : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("班级设置"));
    setWindowTitle(QStringLiteral("班级设置"));

    signInButton = named(new QPushButton(this), "Command9");

    setupFrame = named(new QGroupBox(QStringLiteral("进行班级设置"), this), "Frame1");
    headingLabels[4] = indexed(new QLabel(QStringLiteral("进行班级设置"), setupFrame), "Label3", 4);
    QFont heading = headingLabels[4]->font();
    heading.setBold(true);
    headingLabels[4]->setFont(heading);
    countLabels[2] = indexed(new QLabel(QStringLiteral("选年级组"), setupFrame), "Label1", 2);
    gradeGroupCombo = named(new QComboBox(setupFrame), "Combo1");
    gradeGroupCombo->setPlaceholderText(QStringLiteral("选年级组"));
    gradeGroupCombo->setMinimumContentsLength(6);
    countLabels[1] = indexed(new QLabel(QStringLiteral("已有班级"), setupFrame), "Label1", 1);
    classList = named(new QListWidget(setupFrame), "List1");
    for (const QString &name : school::classNames()) {
        auto *item = new QListWidgetItem(name, classList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    // "已有班级　　个" with the number laid into its gap.
    countLabels[0] = indexed(new QLabel(QStringLiteral("已有班级　　个"), setupFrame), "Label1", 0);
    countLabels[3] = indexed(new QLabel(QStringLiteral("0"), countLabels[0]), "Label1", 3);
    countLabels[3]->setAlignment(Qt::AlignCenter);
    {
        const QFontMetrics fm(countLabels[0]->font());
        auto *gap = new QHBoxLayout(countLabels[0]);
        gap->setContentsMargins(fm.horizontalAdvance(QStringLiteral("已有班级")), 0, 0, 0);
        gap->setSpacing(0);
        countLabels[3]->setFixedWidth(fm.horizontalAdvance(QStringLiteral("　　")));
        gap->addWidget(countLabels[3]);
        gap->addStretch(1);
    }
    saveButton = named(new QPushButton(QStringLiteral("保存(&S)"), setupFrame), "Command1");

    auto *left = new QGridLayout(setupFrame);
    left->setContentsMargins(8, 4, 8, 8);
    left->addWidget(headingLabels[4], 0, 0, 1, 2);
    left->addWidget(countLabels[2], 1, 0);
    left->addWidget(gradeGroupCombo, 1, 1);
    left->addWidget(countLabels[1], 2, 0, Qt::AlignTop);
    left->addWidget(classList, 2, 1);
    left->addWidget(countLabels[0], 3, 0, 1, 2);
    left->addWidget(saveButton, 4, 0, 1, 2);
    left->setRowStretch(2, 1);

    gridFrame = named(new QFrame(this), "Frame2");
    gridFrame->setFrameShape(QFrame::StyledPanel);
    headingLabels[0] = indexed(new QLabel(QStringLiteral("现有班级列表"), gridFrame), "Label3", 0);
    classGrid = named(new FlexGrid(gridFrame), "Grid1");
    countLabels[4] = indexed(new QLabel(QStringLiteral("　　班级设定完成后,请点击上面的相应表格填写班主任名等。"), gridFrame),
                        "Label1", 4);
    countLabels[4]->setWordWrap(true);
    auto *right = new QVBoxLayout(gridFrame);
    right->setContentsMargins(8, 6, 8, 6);
    right->addWidget(headingLabels[0]);
    right->addWidget(classGrid, 1);
    right->addWidget(countLabels[4]);
    cellEditorBox = named(new QLineEdit(gridFrame), "Text1");
    m_editor = new CellEditor(classGrid, classCellEditorConfig(), cellEditorBox);
    connect(m_editor, &CellEditor::cellWritten, this,
            [this](int row, int col) { classGrid->widenColumnsToText(col, col, row, row); });

    closeButton = named(new QPushButton(QStringLiteral("退出(&E)"), this), "Command8");

    auto *top = new QHBoxLayout;
    top->addWidget(signInButton);
    top->addStretch(1);
    top->addWidget(closeButton);
    auto *body = new QHBoxLayout;
    body->addWidget(setupFrame, 2);
    body->addWidget(gridFrame, 3);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(top);
    layout->addLayout(body, 1);

    setGridFormat();

    m_toggle = new SignInToggle(SignInToggle::Kind::Admin, signInButton, host, databasePath(), this);
    m_toggle->setEditors({setupFrame});
    signInButton->setText(QStringLiteral("教导处管理员 登陆(&K)"));   // until the first sign-out

    connect(gradeGroupCombo, &QComboBox::activated, this, &ClassSetupWindow::gradeGroupChosen);
    connect(classList, &QListWidget::itemChanged, this, &ClassSetupWindow::classClicked);
    connect(saveButton, &QPushButton::clicked, this, &ClassSetupWindow::saveClicked);
    connect(closeButton, &QPushButton::clicked, this, &ClassSetupWindow::closeClicked);
}

void ClassSetupWindow::setGridFormat()
{
    classGrid->setRows(1);   // the header row alone
    classGrid->setFormatString(kGridFormat);
    classGrid->setColWidth(kColPassword, 0);
}

void ClassSetupWindow::Form_Load()
{
    SetWindowSize(this, 6780, 4605);
    CentreOnMainWindow(this, m_host.hostWidget(), 400);
    if (!databaseAvailable(*this, this))
        return;

    LoadAdminAccount(connection(), this);
    FillGradeGroupCombo(connection(), gradeGroupCombo, GradeGroupVariant::ClassSetup, this);
    gradeGroupCombo->setCurrentIndex(-1);   // shows "选年级组"

    setGridFormat();
    countLabels[3]->setText(QStringLiteral("0"));
    if (m_toggle->ownAccountSignedIn())
        m_toggle->showState();
}

void ClassSetupWindow::gradeGroupChosen()
{
    const QString chosen = gradeGroupCombo->currentText().trimmed();
    if (!settleUnsaved()) {
        // The changes stay: so does the grade group they belong to.
        const QSignalBlocker block(gradeGroupCombo);
        gradeGroupCombo->setCurrentIndex(gradeGroupCombo->findText(m_gradeGroup));
        return;
    }
    m_editor->cancel();

    const std::optional<QVector<ClassRow>> stored = readClasses(connection(), chosen);
    if (!stored)
        reportReadFailure(this, connection().error());
    setGridFormat();
    FillClassGrid(stored.value_or(QVector<ClassRow>()));
    headingLabels[0]->setText(gradeGroupCombo->currentText() + QStringLiteral("全部班级列表"));
    m_gradeGroup = chosen;
}

void ClassSetupWindow::setTicks(const QStringList &names, int *counted)
{
    const QSignalBlocker block(classList);
    int n = 0;
    for (int i = 0; i < classList->count(); ++i)
        classList->item(i)->setCheckState(Qt::Unchecked);
    for (const QString &name : names) {
        if (name.isEmpty())
            continue;
        for (int i = 0; i < classList->count(); ++i) {
            if (classList->item(i)->text() == name) {
                classList->item(i)->setCheckState(Qt::Checked);
                ++n;
            }
        }
    }
    if (counted)
        *counted = n;
}

void ClassSetupWindow::FillClassGrid(const QVector<ClassRow> &rows)
{
    QStringList names;
    for (const ClassRow &row : rows)
        names << row.name;
    int n = 0;
    setTicks(names, &n);
    showRows(rows);
    m_saved = rows;
    countLabels[3]->setText(QString::number(n));
}

void ClassSetupWindow::showRows(const QVector<ClassRow> &rows)
{
    classGrid->setUpdatesEnabled(false);
    classGrid->setRows(1);
    classGrid->setRows(1 + int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const int r = i + 1;
        classGrid->setTextMatrix(r, kColNumber, QString::number(r));
        classGrid->setTextMatrix(r, kColName, rows[i].name);
        classGrid->setTextMatrix(r, kColActualName, rows[i].actualName);
        classGrid->setTextMatrix(r, kColHeadTeacher, rows[i].headTeacher);
        classGrid->setTextMatrix(r, kColPassword, rows[i].password);
    }
    classGrid->widenColumnsToText(kColName, kColHeadTeacher, 1, classGrid->Rows() - 1);
    classGrid->setUpdatesEnabled(true);
}

QVector<ClassRow> ClassSetupWindow::gridRows() const
{
    QVector<ClassRow> rows;
    for (int r = classGrid->FixedRows(); r < classGrid->Rows(); ++r)
        rows.append(ClassRow{classGrid->TextMatrix(r, kColName), classGrid->TextMatrix(r, kColActualName),
                             classGrid->TextMatrix(r, kColHeadTeacher), classGrid->TextMatrix(r, kColPassword)});
    return rows;
}

void ClassSetupWindow::classClicked(QListWidgetItem *item)
{
    if (!item)
        return;
    RebuildClassGrid();
}

void ClassSetupWindow::RebuildClassGrid()
{
    if (m_gradeGroup.isEmpty())
        return;   // no grade group chosen yet
    m_editor->CloseCellEditor();
    const QVector<ClassRow> current = gridRows();
    QVector<ClassRow> rows;
    for (int i = 0; i < classList->count(); ++i) {
        if (classList->item(i)->checkState() != Qt::Checked)
            continue;
        const QString name = classList->item(i)->text();
        const auto found = std::find_if(current.begin(), current.end(), [&](const ClassRow &r) { return r.name == name; });
        rows.append(found != current.end() ? *found : ClassRow{name, {}, {}, {}});
    }
    showRows(rows);
    countLabels[3]->setText(QString::number(rows.size()));
}

bool ClassSetupWindow::hasUnsavedChanges() const
{
    return gridRows() != m_saved;
}

bool ClassSetupWindow::saveClasses(const QString &gradeGroup)
{
    m_editor->CloseCellEditor();
    Session &s = session();
    if (!adminSignedIn(s)) {
        showNotice(this, QStringLiteral("请管理员先登陆,才能查看和修改。"));
        m_toggle->showState();
        return false;
    }
    const QVector<ClassRow> rows = gridRows();
    if (rows.isEmpty()) {
        showNotice(this, QStringLiteral("没有任何班级,无法保存。"));
        return false;
    }
    const SaveResult result = saveWith<SaveResult>(connection(), [&](db::Connection &c) {
        return SaveClasses(c, gradeGroup, m_saved, rows, [this](const QString &q) { return askYesNo(this, q); });
    });
    if (!result.ok) {
        if (!result.cancelled)
            reportSaveFailure(this, QStringLiteral("%1的班级没有保存:").arg(gradeGroup), result.error);
        return false;
    }
    m_saved = rows;
    showNotice(this, QStringLiteral("您设置的%1所有班级,已经保存。").arg(gradeGroup));
    return true;
}

void ClassSetupWindow::saveClicked()
{
    saveClasses(m_gradeGroup);   // before a grade group is chosen the grid has no class to save
}

bool ClassSetupWindow::settleUnsaved()
{
    m_editor->CloseCellEditor();
    if (!hasUnsavedChanges())
        return true;
    const QString question = unsavedChangesQuestion(m_gradeGroup, m_saved, gridRows());
    return settleUnsavedChanges(this, question, [this] { return saveClasses(m_gradeGroup); },
                                UnsavedButtons::YesNo);
}

void ClassSetupWindow::closeClicked()
{
    CloseWindow(this);   // the close asks about unsaved changes
}

bool ClassSetupWindow::mayClose()
{
    return settleUnsaved();
}

} // namespace tessaly
