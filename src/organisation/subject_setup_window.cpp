#include "organisation/subject_setup_window.h"

#include "school/fixed_lists.h"
#include "kit/database_unavailable.h"
#include "school/school_tables.h"
#include "kit/window_steps.h"
#include "kit/save_report.h"
#include "school/office_reads.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "widgets/units.h"
#include "kit/cell_editor.h"
#include "kit/sign_in_toggle.h"
#include "kit/unsaved_changes.h"
#include "organisation/organisation_save.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tessaly {

using namespace organisation;

namespace {

const QString kGridFormat = QStringLiteral("^序号|^年级组名称|^班级名称|^科目名称|^任课教师名|MM");
const QString kSeparator = QStringLiteral("#*#");

// The teacher cell editor: column 4 only, Up and Down move it, every loss of
// focus writes the text back.
CellEditorConfig teacherEditorConfig()
{
    CellEditorConfig c;
    c.firstColumn = SubjectSetupWindow::kColTeacher;
    c.lastColumn = SubjectSetupWindow::kColTeacher;
    c.moveKeys = CellEditorConfig::MoveUp | CellEditorConfig::MoveDown;
    c.writeUnchanged = true;
    c.commitOnScroll = true;
    return c;
}

} // namespace

const QString SubjectSetupWindow::kClipboardFormat = QStringLiteral("application/x-tessaly-teacher-names");

SubjectSetupWindow::SubjectSetupWindow(WindowHost &host, QWidget *parent)
    : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("学科设置"));
    setWindowTitle(QStringLiteral("学科及任课教师设置"));

    const QStringList labelTexts = {
        QStringLiteral("　　通过右面的学科选择，来设定学科，没有的学科可以加入。班级设定完成后，请点击上面相应表格填写任课教师姓名等，最后保存。"),
        QStringLiteral("选择班级"), QStringLiteral("选年级组"), QStringLiteral("选择学科"),
        QStringLiteral("(共有　　　学科)"), QString()};
    for (const QString &t : labelTexts)
        Label1.append(named(new QLabel(t, this), "Label1"));

    Label3 = named(new QLabel(QStringLiteral("学科与任课教师设置"), this), "Label3");
    QFont titleFont = Label3->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    Label3->setFont(titleFont);
    Combo1 = named(new QComboBox(this), "Combo1");
    Combo1->setPlaceholderText(QStringLiteral("选年级组"));
    Combo1->setMinimumContentsLength(6);
    Combo2 = named(new QComboBox(this), "Combo2");
    Combo2->setPlaceholderText(QStringLiteral("选年年级"));
    Combo2->setMinimumContentsLength(5);
    fitDropDown(Combo2);   // filled here, not by FillClassCombo
    Command9 = named(new QPushButton(this), "Command9");

    // The grid with its heading, note, copy and paste.
    Frame1 = named(new QGroupBox(this), "Frame1");
    Label2 = named(new QLabel(QStringLiteral("已存在的任课教师"), Frame1), "Label2");
    Label2->setAlignment(Qt::AlignCenter);
    Grid1 = named(new FlexGrid(Frame1), "Grid1");
    Text1 = named(new QLineEdit(Frame1), "Text1");
    Label1[0]->setParent(Frame1);
    Label1[0]->setWordWrap(true);
    Command1 = named(new QPushButton(QStringLiteral("复制教师名"), Frame1), "Command1");
    Command5 = named(new QPushButton(QStringLiteral("粘贴教师名"), Frame1), "Command5");
    Command5->setEnabled(false);
    auto *copyPaste = new QHBoxLayout;
    copyPaste->addWidget(Command1);
    copyPaste->addWidget(Command5);
    copyPaste->addStretch();
    auto *frameLayout = new QVBoxLayout(Frame1);
    frameLayout->setContentsMargins(6, 4, 6, 6);
    frameLayout->setSpacing(4);
    frameLayout->addWidget(Label2);
    frameLayout->addWidget(Grid1, 1);
    frameLayout->addWidget(Label1[0]);
    frameLayout->addLayout(copyPaste);

    // The subjects.
    List1 = named(new QListWidget(this), "List1");
    for (const QString &subject : subjectNames()) {
        auto *item = new QListWidgetItem(subject, List1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    List1->setEnabled(false);
    Text3 = named(new QLineEdit(this), "Text3");
    Command3 = named(new QPushButton(QStringLiteral("加入学科"), this), "Command3");
    Command3->setEnabled(false);
    Command4 = named(new QPushButton(QStringLiteral("保 存(&S)"), this), "Command4");
    Command4->setEnabled(false);
    Command2 = named(new QPushButton(QStringLiteral("关 闭(&C)"), this), "Command2");
    Label1[5]->setAlignment(Qt::AlignCenter);

    auto *choices = new QHBoxLayout;
    choices->addWidget(Label1[2]);
    choices->addWidget(Combo1);
    choices->addSpacing(8);
    choices->addWidget(Label1[1]);
    choices->addWidget(Combo2);
    choices->addStretch();
    choices->addWidget(Command9);

    auto *addRow = new QHBoxLayout;
    addRow->addWidget(Text3, 1);
    addRow->addWidget(Command3);
    auto *count = new QGridLayout;   // the count sits in the blanks of "(共有　　　学科)"
    count->addWidget(Label1[4], 0, 0, Qt::AlignCenter);
    count->addWidget(Label1[5], 0, 0, Qt::AlignCenter);
    auto *subjects = new QVBoxLayout;
    subjects->addWidget(Label1[3]);
    subjects->addWidget(List1, 1);
    subjects->addLayout(addRow);
    subjects->addLayout(count);
    subjects->addWidget(Command4);
    subjects->addWidget(Command2);

    auto *body = new QHBoxLayout;
    body->addWidget(Frame1, 1);
    body->addLayout(subjects);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(Label3, 0, Qt::AlignHCenter);
    layout->addLayout(choices);
    layout->addLayout(body, 1);
    List1->setFixedWidth(Command3->sizeHint().width() * 2);

    setGridFormat();
    m_editor = new CellEditor(Grid1, teacherEditorConfig(), Text1);
    connect(m_editor, &CellEditor::cellWritten, this,
            [this](int row, int col) { Grid1->widenColumnsToText(col, col, row, row); });

    m_toggle = new SignInToggle(SignInToggle::Kind::Admin, Command9, host, databasePath(), this);
    m_toggle->setEditors({Frame1, List1, Command3, Command4});
    Command9->setText(QStringLiteral("管理员登陆(&K)"));   // until the first sign-out

    connect(Combo1, &QComboBox::activated, this, &SubjectSetupWindow::Combo1_Click);
    connect(Combo2, &QComboBox::activated, this, &SubjectSetupWindow::Combo2_Click);
    connect(List1, &QListWidget::itemChanged, this, &SubjectSetupWindow::List1_Click);
    connect(Command3, &QPushButton::clicked, this, &SubjectSetupWindow::Command3_Click);
    connect(Command1, &QPushButton::clicked, this, &SubjectSetupWindow::Command1_Click);
    connect(Command5, &QPushButton::clicked, this, &SubjectSetupWindow::Command5_Click);
    connect(Command4, &QPushButton::clicked, this, &SubjectSetupWindow::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &SubjectSetupWindow::Command2_Click);
}

void SubjectSetupWindow::Form_Load()
{
    SetWindowSize(this, 8385, 5775);
    CentreOnMainWindow(this, m_host.hostWidget(), 400);
    if (!databaseAvailable(*this, this))
        return;

    LoadAdminAccount(connection(), this);
    FillGradeGroupCombo(connection(), Combo1, GradeGroupVariant::ClassSetup, this);

    setGridFormat();
    Label1[5]->setText(QStringLiteral("0"));

    if (m_toggle->ownAccountSignedIn()) {
        m_toggle->showState();
        Command3->setEnabled(false);   // until a class is chosen or the toggle is used
    }
}

void SubjectSetupWindow::setGridFormat()
{
    Grid1->setRows(1);
    Grid1->setFormatString(kGridFormat);   // the columns at their header widths again
    Grid1->setColWidth(kColPassword, 0);
}

int SubjectSetupWindow::dataRows() const
{
    return Grid1->Rows() - 1;
}

void SubjectSetupWindow::setRowCount(int rows)
{
    m_editor->cancel();
    Grid1->setRows(1 + rows);
    for (int r = 1; r <= rows; ++r) {
        for (int c = 0; c < kCols; ++c)
            Grid1->setTextMatrix(r, c, QString());
    }
}

QListWidgetItem *SubjectSetupWindow::subjectItem(const QString &subject) const
{
    for (int i = 0; i < List1->count(); ++i) {
        if (List1->item(i)->text() == subject)
            return List1->item(i);
    }
    return nullptr;
}

void SubjectSetupWindow::tickByProgram(QListWidgetItem *item, bool ticked)
{
    m_programTick = true;
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    m_programTick = false;
}

void SubjectSetupWindow::Combo1_Click()
{
    if (!settleUnsaved()) {
        restoreShownChoice();
        return;
    }
    const QString gradeGroup = Combo1->currentText().trimmed();
    const auto classes = classesOfGradeGroup(connection(), gradeGroup);
    if (!classes)
        reportReadFailure(this, connection().error());
    else if (classes->isEmpty())
        showNotice(this, QStringLiteral("目前还没有班级，不能添加任课教师，请先进行班级设置。"));

    Combo2->clear();
    Combo2->setPlaceholderText(QString());
    m_classes.entries.clear();
    QStringList names;
    for (const tessaly::ClassRow &row : classes.value_or(QVector<tessaly::ClassRow>())) {
        names << row.name;
        m_classes.entries.append(ClassEntry{row.actualName, row.headTeacher, {}, {}});
    }
    Combo2->addItems(names);
    Combo2->setCurrentIndex(-1);

    FillTeacherGrid({gradeGroup, QString()});
    Label2->setText(Combo1->currentText() + QStringLiteral("全部任课教师"));
}

void SubjectSetupWindow::Combo2_Click()
{
    if (!settleUnsaved()) {
        restoreShownChoice();
        return;
    }
    if (m_toggle->isSignedIn()) {
        List1->setEnabled(true);
        Command3->setEnabled(true);
        Command4->setEnabled(true);
    }
    FillTeacherGrid({Combo1->currentText().trimmed(), Combo2->currentText().trimmed()});

    const ClassEntry entry = m_classes.at(Combo2->currentIndex());
    Label2->setText(Combo1->currentText().left(2) + Combo2->currentText() + QStringLiteral("(") + entry.actualName
                    + QStringLiteral(")任课教师 班主任") + entry.headTeacher);
}

void SubjectSetupWindow::FillTeacherGrid(const TeachingScope &scope)
{
    bool read = false;
    const QVector<StoredTeaching> records = readTeachingAssignments(connection(), scope, &read);
    if (!read)
        reportReadFailure(this, connection().error());
    setRowCount(0);
    setGridFormat();
    for (int i = 0; i < List1->count(); ++i)
        tickByProgram(List1->item(i), false);
    Label1[5]->setText(QStringLiteral("0"));
    m_saved.clear();
    m_shown = {Combo1->currentText().trimmed(), Combo2->currentText().trimmed()};
    m_shownGradeGroup = Combo1->currentIndex();
    m_shownClass = Combo2->currentIndex();

    if (records.isEmpty())
        return;
    const QString gradeGroup = Combo1->currentText();
    int n = 0;
    Grid1->setUpdatesEnabled(false);
    setRowCount(int(records.size()));
    for (int k = 0; k < records.size(); ++k) {
        const TeachingAssignment &row = records[k].assignment;
        const int r = k + 1;
        Grid1->setTextMatrix(r, kColNumber, QString::number(r));
        Grid1->setTextMatrix(r, kColGradeGroup, gradeGroup);
        const QString name = row.subject;
        if (!name.isEmpty()) {
            QListWidgetItem *item = subjectItem(name);
            if (!item) {
                m_programTick = true;
                item = new QListWidgetItem(name, List1);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
                m_programTick = false;
            }
            tickByProgram(item, true);
            ++n;
        }
        Grid1->setTextMatrix(r, kColClass, row.className);
        Grid1->setTextMatrix(r, kColSubject, name);
        Grid1->setTextMatrix(r, kColTeacher, row.teacher);
        Grid1->setTextMatrix(r, kColPassword, row.password);
    }
    widenColumns();
    Grid1->setUpdatesEnabled(true);
    Label1[5]->setText(QString::number(n));
    m_saved = gridAssignments();
}

void SubjectSetupWindow::List1_Click(QListWidgetItem *item)
{
    if (m_programTick || !item)
        return;
    List1->setCurrentItem(item);
    RebuildTeacherGrid();
}

void SubjectSetupWindow::RebuildTeacherGrid()
{
    if (Combo2->currentText().isEmpty())
        return;   // no class chosen
    struct Kept {
        QString subject, teacher, password;
    };
    QVector<Kept> kept;
    for (int i = 0; i < List1->count(); ++i) {
        const QListWidgetItem *item = List1->item(i);
        if (item->checkState() != Qt::Checked)
            continue;
        Kept k{item->text(), QString(), QString()};
        for (int r = 1; r < Grid1->Rows(); ++r) {
            if (Grid1->TextMatrix(r, kColSubject) == item->text()) {
                k.teacher = Grid1->TextMatrix(r, kColTeacher);
                k.password = Grid1->TextMatrix(r, kColPassword);
                break;
            }
        }
        kept.append(k);
    }
    m_editor->CloseCellEditor();
    setRowCount(int(kept.size()));
    for (int k = 0; k < kept.size(); ++k) {
        const int r = k + 1;
        Grid1->setTextMatrix(r, kColNumber, QString::number(r));
        Grid1->setTextMatrix(r, kColGradeGroup, Combo1->currentText());
        Grid1->setTextMatrix(r, kColClass, Combo2->currentText());
        Grid1->setTextMatrix(r, kColSubject, kept[k].subject);
        Grid1->setTextMatrix(r, kColTeacher, kept[k].teacher);
        Grid1->setTextMatrix(r, kColPassword, kept[k].password);
    }
    widenColumns();
    Label1[5]->setText(QString::number(kept.size()));
}

void SubjectSetupWindow::Command3_Click()
{
    AddSubject();
}

void SubjectSetupWindow::AddSubject()
{
    const QString subject = Text3->text().trimmed();
    if (subject.isEmpty())
        return;
    QListWidgetItem *item = subjectItem(subject);
    if (!item) {
        m_programTick = true;
        item = new QListWidgetItem(subject, List1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        m_programTick = false;
    }
    List1->scrollToItem(item);
    if (item->checkState() != Qt::Checked)
        item->setCheckState(Qt::Checked);   // the user's tick: the grid gets the subject's row
    else
        List1->setCurrentItem(item);
}

void SubjectSetupWindow::Command1_Click()
{
    CopyTeacherNames();
}

void SubjectSetupWindow::CopyTeacherNames()
{
    m_editor->CloseCellEditor();
    QString text;
    for (int r = 1; r < Grid1->Rows(); ++r)
        text += kSeparator + Grid1->TextMatrix(r, kColTeacher);
    auto *mime = new QMimeData;
    mime->setText(text);
    mime->setData(kClipboardFormat, text.toUtf8());
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setMimeData(mime);
    Command5->setEnabled(true);
}

void SubjectSetupWindow::Command5_Click()
{
    PasteTeacherNames();
}

void SubjectSetupWindow::PasteTeacherNames()
{
    // Only a text the copy button made (marked, and unchanged since) is pasted.
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    if (!mime || !mime->hasFormat(kClipboardFormat))
        return;
    const QString text = mime->text();
    if (!text.startsWith(kSeparator) || QString::fromUtf8(mime->data(kClipboardFormat)) != text)
        return;
    m_editor->CloseCellEditor();
    bool anyTeacher = false;
    for (int r = 1; r < Grid1->Rows() && !anyTeacher; ++r)
        anyTeacher = !Grid1->TextMatrix(r, kColTeacher).isEmpty();
    if (anyTeacher && !askYesNo(this, QStringLiteral("你真的要把所有任课教师姓名都更换为复制内容吗？")))
        return;
    const QStringList names = text.mid(kSeparator.size()).split(kSeparator);
    for (int j = 0; j < names.size() && j + 1 < Grid1->Rows(); ++j)
        Grid1->setTextMatrix(j + 1, kColTeacher, names[j]);
    widenColumns();
}

void SubjectSetupWindow::widenColumns()
{
    Grid1->widenColumnsToText(kColGradeGroup, kColTeacher, 1, Grid1->Rows() - 1);
}

void SubjectSetupWindow::Command4_Click()
{
    SaveTeachingAssignments();
}

QVector<TeachingAssignment> SubjectSetupWindow::gridAssignments() const
{
    QVector<TeachingAssignment> rows;
    for (int r = 1; r < Grid1->Rows(); ++r) {
        rows.append({Grid1->TextMatrix(r, kColGradeGroup).trimmed(), Grid1->TextMatrix(r, kColClass),
                     Grid1->TextMatrix(r, kColSubject), Grid1->TextMatrix(r, kColTeacher),
                     Grid1->TextMatrix(r, kColPassword)});
    }
    return rows;
}

bool SubjectSetupWindow::hasUnsavedChanges() const
{
    return gridAssignments() != m_saved;
}

bool SubjectSetupWindow::SaveTeachingAssignments()
{
    m_editor->CloseCellEditor();
    if (!adminSignedIn(session())) {
        showNotice(this, QStringLiteral("请管理员先登陆,才能查看和修改。"));
        m_toggle->showState();
        return false;
    }
    if (dataRows() <= 0) {
        showNotice(this, QStringLiteral("没有任何学科,无法保存。"));
        return false;
    }
    const TeachingScope scope = shownScope();
    const QVector<TeachingAssignment> rows = gridAssignments();
    const TeachingSaveResult result = saveWith<TeachingSaveResult>(connection(), [&](db::Connection &c) {
        return organisation::SaveTeachingAssignments(c, scope, m_saved, rows);
    });
    if (!result.ok) {
        reportSaveFailure(this, QStringLiteral("任课教师没有保存,数据没有改变："), result.error);
        return false;
    }
    m_saved = rows;
    showNotice(this, QStringLiteral("您设置的") + scope.gradeGroup + scope.className
                         + QStringLiteral("的所有任课教师,已经保存完毕。"));
    return true;
}

bool SubjectSetupWindow::settleUnsaved()
{
    m_editor->CloseCellEditor();
    if (!hasUnsavedChanges())
        return true;
    const QString question
        = QStringLiteral("请问?是否将%1%2的任课教师保存为现在的设置？").arg(m_shown.gradeGroup, m_shown.className);
    return settleUnsavedChanges(this, question, [this] { return SaveTeachingAssignments(); });
}

void SubjectSetupWindow::restoreShownChoice()
{
    const QSignalBlocker blockGradeGroup(Combo1);
    const QSignalBlocker blockClass(Combo2);
    Combo1->setCurrentIndex(m_shownGradeGroup);
    Combo2->setCurrentIndex(m_shownClass);
}

void SubjectSetupWindow::Command2_Click()
{
    CloseWindow(this);   // the close asks about unsaved changes
}

bool SubjectSetupWindow::mayClose()
{
    return settleUnsaved();
}

} // namespace tessaly
