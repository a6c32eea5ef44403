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
        captionLabels.append(named(new QLabel(t, this), "Label1"));

    titleLabel = named(new QLabel(QStringLiteral("学科与任课教师设置"), this), "Label3");
    QFont titleFont = titleLabel->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    titleLabel->setFont(titleFont);
    gradeGroupCombo = named(new QComboBox(this), "Combo1");
    gradeGroupCombo->setPlaceholderText(QStringLiteral("选年级组"));
    gradeGroupCombo->setMinimumContentsLength(6);
    classCombo = named(new QComboBox(this), "Combo2");
    classCombo->setPlaceholderText(QStringLiteral("选年年级"));
    classCombo->setMinimumContentsLength(5);
    fitDropDown(classCombo);   // filled here, not by FillClassCombo
    signInButton = named(new QPushButton(this), "Command9");

    // The grid with its heading, note, copy and paste.
    teacherFrame = named(new QGroupBox(this), "Frame1");
    gridHeading = named(new QLabel(QStringLiteral("已存在的任课教师"), teacherFrame), "Label2");
    gridHeading->setAlignment(Qt::AlignCenter);
    teacherGrid = named(new FlexGrid(teacherFrame), "Grid1");
    cellEditorBox = named(new QLineEdit(teacherFrame), "Text1");
    captionLabels[0]->setParent(teacherFrame);
    captionLabels[0]->setWordWrap(true);
    copyTeacherButton = named(new QPushButton(QStringLiteral("复制教师名"), teacherFrame), "Command1");
    pasteTeacherButton = named(new QPushButton(QStringLiteral("粘贴教师名"), teacherFrame), "Command5");
    pasteTeacherButton->setEnabled(false);
    auto *copyPaste = new QHBoxLayout;
    copyPaste->addWidget(copyTeacherButton);
    copyPaste->addWidget(pasteTeacherButton);
    copyPaste->addStretch();
    auto *frameLayout = new QVBoxLayout(teacherFrame);
    frameLayout->setContentsMargins(6, 4, 6, 6);
    frameLayout->setSpacing(4);
    frameLayout->addWidget(gridHeading);
    frameLayout->addWidget(teacherGrid, 1);
    frameLayout->addWidget(captionLabels[0]);
    frameLayout->addLayout(copyPaste);

    // The subjects.
    subjectList = named(new QListWidget(this), "List1");
    for (const QString &subject : school::subjectNames()) {
        auto *item = new QListWidgetItem(subject, subjectList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    subjectList->setEnabled(false);
    newSubjectBox = named(new QLineEdit(this), "Text3");
    addSubjectButton = named(new QPushButton(QStringLiteral("加入学科"), this), "Command3");
    addSubjectButton->setEnabled(false);
    saveButton = named(new QPushButton(QStringLiteral("保 存(&S)"), this), "Command4");
    saveButton->setEnabled(false);
    closeButton = named(new QPushButton(QStringLiteral("关 闭(&C)"), this), "Command2");
    captionLabels[5]->setAlignment(Qt::AlignCenter);

    auto *choices = new QHBoxLayout;
    choices->addWidget(captionLabels[2]);
    choices->addWidget(gradeGroupCombo);
    choices->addSpacing(8);
    choices->addWidget(captionLabels[1]);
    choices->addWidget(classCombo);
    choices->addStretch();
    choices->addWidget(signInButton);

    auto *addRow = new QHBoxLayout;
    addRow->addWidget(newSubjectBox, 1);
    addRow->addWidget(addSubjectButton);
    auto *count = new QGridLayout;   // the count sits in the blanks of "(共有　　　学科)"
    count->addWidget(captionLabels[4], 0, 0, Qt::AlignCenter);
    count->addWidget(captionLabels[5], 0, 0, Qt::AlignCenter);
    auto *subjects = new QVBoxLayout;
    subjects->addWidget(captionLabels[3]);
    subjects->addWidget(subjectList, 1);
    subjects->addLayout(addRow);
    subjects->addLayout(count);
    subjects->addWidget(saveButton);
    subjects->addWidget(closeButton);

    auto *body = new QHBoxLayout;
    body->addWidget(teacherFrame, 1);
    body->addLayout(subjects);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(titleLabel, 0, Qt::AlignHCenter);
    layout->addLayout(choices);
    layout->addLayout(body, 1);
    subjectList->setFixedWidth(addSubjectButton->sizeHint().width() * 2);

    setGridFormat();
    m_editor = new CellEditor(teacherGrid, teacherEditorConfig(), cellEditorBox);
    connect(m_editor, &CellEditor::cellWritten, this,
            [this](int row, int col) { teacherGrid->widenColumnsToText(col, col, row, row); });

    m_toggle = new SignInToggle(SignInToggle::Kind::Admin, signInButton, host, databasePath(), this);
    m_toggle->setEditors({teacherFrame, subjectList, addSubjectButton, saveButton});
    signInButton->setText(QStringLiteral("管理员登陆(&K)"));   // until the first sign-out

    connect(gradeGroupCombo, &QComboBox::activated, this, &SubjectSetupWindow::gradeGroupChosen);
    connect(classCombo, &QComboBox::activated, this, &SubjectSetupWindow::classChosen);
    connect(subjectList, &QListWidget::itemChanged, this, &SubjectSetupWindow::subjectClicked);
    connect(addSubjectButton, &QPushButton::clicked, this, &SubjectSetupWindow::addSubjectClicked);
    connect(copyTeacherButton, &QPushButton::clicked, this, &SubjectSetupWindow::copyTeacherClicked);
    connect(pasteTeacherButton, &QPushButton::clicked, this, &SubjectSetupWindow::pasteTeacherClicked);
    connect(saveButton, &QPushButton::clicked, this, &SubjectSetupWindow::saveClicked);
    connect(closeButton, &QPushButton::clicked, this, &SubjectSetupWindow::closeClicked);
}

void SubjectSetupWindow::Form_Load()
{
    SetWindowSize(this, 8385, 5775);
    CentreOnMainWindow(this, m_host.hostWidget(), 400);
    if (!databaseAvailable(*this, this))
        return;

    LoadAdminAccount(connection(), this);
    FillGradeGroupCombo(connection(), gradeGroupCombo, GradeGroupVariant::ClassSetup, this);

    setGridFormat();
    captionLabels[5]->setText(QStringLiteral("0"));

    if (m_toggle->ownAccountSignedIn()) {
        m_toggle->showState();
        addSubjectButton->setEnabled(false);   // until a class is chosen or the toggle is used
    }
}

void SubjectSetupWindow::setGridFormat()
{
    teacherGrid->setRows(1);
    teacherGrid->setFormatString(kGridFormat);   // the columns at their header widths again
    teacherGrid->setColWidth(kColPassword, 0);
}

int SubjectSetupWindow::dataRows() const
{
    return teacherGrid->Rows() - 1;
}

void SubjectSetupWindow::setRowCount(int rows)
{
    m_editor->cancel();
    teacherGrid->setRows(1 + rows);
    for (int r = 1; r <= rows; ++r) {
        for (int c = 0; c < kCols; ++c)
            teacherGrid->setTextMatrix(r, c, QString());
    }
}

QListWidgetItem *SubjectSetupWindow::subjectItem(const QString &subject) const
{
    for (int i = 0; i < subjectList->count(); ++i) {
        if (subjectList->item(i)->text() == subject)
            return subjectList->item(i);
    }
    return nullptr;
}

void SubjectSetupWindow::tickByProgram(QListWidgetItem *item, bool ticked)
{
    m_programTick = true;
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    m_programTick = false;
}

void SubjectSetupWindow::gradeGroupChosen()
{
    if (!settleUnsaved()) {
        restoreShownChoice();
        return;
    }
    const QString gradeGroup = gradeGroupCombo->currentText().trimmed();
    const auto classes = school::classesOfGradeGroup(connection(), gradeGroup);
    if (!classes)
        reportReadFailure(this, connection().error());
    else if (classes->isEmpty())
        showNotice(this, QStringLiteral("目前还没有班级，不能添加任课教师，请先进行班级设置。"));

    classCombo->clear();
    classCombo->setPlaceholderText(QString());
    m_classes.entries.clear();
    QStringList names;
    for (const tessaly::school::ClassRow &row : classes.value_or(QVector<tessaly::school::ClassRow>())) {
        names << row.name;
        m_classes.entries.append(ClassEntry{row.actualName, row.headTeacher, {}, {}});
    }
    classCombo->addItems(names);
    classCombo->setCurrentIndex(-1);

    FillTeacherGrid({gradeGroup, QString()});
    gridHeading->setText(gradeGroupCombo->currentText() + QStringLiteral("全部任课教师"));
}

void SubjectSetupWindow::classChosen()
{
    if (!settleUnsaved()) {
        restoreShownChoice();
        return;
    }
    if (m_toggle->isSignedIn()) {
        subjectList->setEnabled(true);
        addSubjectButton->setEnabled(true);
        saveButton->setEnabled(true);
    }
    FillTeacherGrid({gradeGroupCombo->currentText().trimmed(), classCombo->currentText().trimmed()});

    const ClassEntry entry = m_classes.at(classCombo->currentIndex());
    gridHeading->setText(gradeGroupCombo->currentText().left(2) + classCombo->currentText() + QStringLiteral("(") + entry.actualName
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
    for (int i = 0; i < subjectList->count(); ++i)
        tickByProgram(subjectList->item(i), false);
    captionLabels[5]->setText(QStringLiteral("0"));
    m_saved.clear();
    m_shown = {gradeGroupCombo->currentText().trimmed(), classCombo->currentText().trimmed()};
    m_shownGradeGroup = gradeGroupCombo->currentIndex();
    m_shownClass = classCombo->currentIndex();

    if (records.isEmpty())
        return;
    const QString gradeGroup = gradeGroupCombo->currentText();
    int n = 0;
    teacherGrid->setUpdatesEnabled(false);
    setRowCount(int(records.size()));
    for (int k = 0; k < records.size(); ++k) {
        const TeachingAssignment &row = records[k].assignment;
        const int r = k + 1;
        teacherGrid->setTextMatrix(r, kColNumber, QString::number(r));
        teacherGrid->setTextMatrix(r, kColGradeGroup, gradeGroup);
        const QString name = row.subject;
        if (!name.isEmpty()) {
            QListWidgetItem *item = subjectItem(name);
            if (!item) {
                m_programTick = true;
                item = new QListWidgetItem(name, subjectList);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
                m_programTick = false;
            }
            tickByProgram(item, true);
            ++n;
        }
        teacherGrid->setTextMatrix(r, kColClass, row.className);
        teacherGrid->setTextMatrix(r, kColSubject, name);
        teacherGrid->setTextMatrix(r, kColTeacher, row.teacher);
        teacherGrid->setTextMatrix(r, kColPassword, row.password);
    }
    widenColumns();
    teacherGrid->setUpdatesEnabled(true);
    captionLabels[5]->setText(QString::number(n));
    m_saved = gridAssignments();
}

void SubjectSetupWindow::subjectClicked(QListWidgetItem *item)
{
    if (m_programTick || !item)
        return;
    subjectList->setCurrentItem(item);
    RebuildTeacherGrid();
}

void SubjectSetupWindow::RebuildTeacherGrid()
{
    if (classCombo->currentText().isEmpty())
        return;   // no class chosen
    struct Kept {
        QString subject, teacher, password;
    };
    QVector<Kept> kept;
    for (int i = 0; i < subjectList->count(); ++i) {
        const QListWidgetItem *item = subjectList->item(i);
        if (item->checkState() != Qt::Checked)
            continue;
        Kept k{item->text(), QString(), QString()};
        for (int r = 1; r < teacherGrid->Rows(); ++r) {
            if (teacherGrid->TextMatrix(r, kColSubject) == item->text()) {
                k.teacher = teacherGrid->TextMatrix(r, kColTeacher);
                k.password = teacherGrid->TextMatrix(r, kColPassword);
                break;
            }
        }
        kept.append(k);
    }
    m_editor->CloseCellEditor();
    setRowCount(int(kept.size()));
    for (int k = 0; k < kept.size(); ++k) {
        const int r = k + 1;
        teacherGrid->setTextMatrix(r, kColNumber, QString::number(r));
        teacherGrid->setTextMatrix(r, kColGradeGroup, gradeGroupCombo->currentText());
        teacherGrid->setTextMatrix(r, kColClass, classCombo->currentText());
        teacherGrid->setTextMatrix(r, kColSubject, kept[k].subject);
        teacherGrid->setTextMatrix(r, kColTeacher, kept[k].teacher);
        teacherGrid->setTextMatrix(r, kColPassword, kept[k].password);
    }
    widenColumns();
    captionLabels[5]->setText(QString::number(kept.size()));
}

void SubjectSetupWindow::addSubjectClicked()
{
    AddSubject();
}

void SubjectSetupWindow::AddSubject()
{
    const QString subject = newSubjectBox->text().trimmed();
    if (subject.isEmpty())
        return;
    QListWidgetItem *item = subjectItem(subject);
    if (!item) {
        m_programTick = true;
        item = new QListWidgetItem(subject, subjectList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        m_programTick = false;
    }
    subjectList->scrollToItem(item);
    if (item->checkState() != Qt::Checked)
        item->setCheckState(Qt::Checked);   // the user's tick: the grid gets the subject's row
    else
        subjectList->setCurrentItem(item);
}

void SubjectSetupWindow::copyTeacherClicked()
{
    CopyTeacherNames();
}

void SubjectSetupWindow::CopyTeacherNames()
{
    m_editor->CloseCellEditor();
    QString text;
    for (int r = 1; r < teacherGrid->Rows(); ++r)
        text += kSeparator + teacherGrid->TextMatrix(r, kColTeacher);
    auto *mime = new QMimeData;
    mime->setText(text);
    mime->setData(kClipboardFormat, text.toUtf8());
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setMimeData(mime);
    pasteTeacherButton->setEnabled(true);
}

void SubjectSetupWindow::pasteTeacherClicked()
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
    for (int r = 1; r < teacherGrid->Rows() && !anyTeacher; ++r)
        anyTeacher = !teacherGrid->TextMatrix(r, kColTeacher).isEmpty();
    if (anyTeacher && !askYesNo(this, QStringLiteral("你真的要把所有任课教师姓名都更换为复制内容吗？")))
        return;
    const QStringList names = text.mid(kSeparator.size()).split(kSeparator);
    for (int j = 0; j < names.size() && j + 1 < teacherGrid->Rows(); ++j)
        teacherGrid->setTextMatrix(j + 1, kColTeacher, names[j]);
    widenColumns();
}

void SubjectSetupWindow::widenColumns()
{
    teacherGrid->widenColumnsToText(kColGradeGroup, kColTeacher, 1, teacherGrid->Rows() - 1);
}

void SubjectSetupWindow::saveClicked()
{
    SaveTeachingAssignments();
}

QVector<TeachingAssignment> SubjectSetupWindow::gridAssignments() const
{
    QVector<TeachingAssignment> rows;
    for (int r = 1; r < teacherGrid->Rows(); ++r) {
        rows.append({teacherGrid->TextMatrix(r, kColGradeGroup).trimmed(), teacherGrid->TextMatrix(r, kColClass),
                     teacherGrid->TextMatrix(r, kColSubject), teacherGrid->TextMatrix(r, kColTeacher),
                     teacherGrid->TextMatrix(r, kColPassword)});
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
    const QSignalBlocker blockGradeGroup(gradeGroupCombo);
    const QSignalBlocker blockClass(classCombo);
    gradeGroupCombo->setCurrentIndex(m_shownGradeGroup);
    classCombo->setCurrentIndex(m_shownClass);
}

void SubjectSetupWindow::closeClicked()
{
    CloseWindow(this);   // the close asks about unsaved changes
}

bool SubjectSetupWindow::mayClose()
{
    return settleUnsaved();
}

} // namespace tessaly
