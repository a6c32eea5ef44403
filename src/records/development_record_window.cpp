#include "records/development_record_window.h"

#include "kit/selection.h"
#include "kit/window_names.h"
#include "widgets/data_control.h"
#include "widgets/messages.h"
#include "records/record_lists.h"
#include "school/class_members.h"
#include "school/teacher_title.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>

namespace tessaly {

using namespace records;

namespace {

const QString kListHeading = QStringLiteral("原有的发展记录:");

} // namespace

DevelopmentRecordWindow::DevelopmentRecordWindow(WindowHost &host, QWidget *parent)
    : RecordWindow(host, parent,
                   {.name = kDevelopmentRecordWindow,
                    .caption = QStringLiteral("学生健康发展记录"),
                    .widthTwips = 8985,
                    .heightTwips = 6165,
                    .gradeLabel = QStringLiteral("选年级组:"),
                    .classLabel = QStringLiteral("选择班级:"),
                    .thirdLabel = QStringLiteral("选择学生:"),
                    .listHeading = kListHeading,
                    .recordLabel = QStringLiteral("学生发展记录"),
                    .heading = QStringLiteral("======班主任编写发展记录======"),
                    .note = QStringLiteral("本记录意在帮助班主任随时记录学生的点滴成绩或问题，掌握学生健康发展轨迹，"
                                           "与学校领导、任课教师共享学生发展信息。实现“皮格马利翁效应”。"),
                    .hint = QStringLiteral("　　请选择年级组、班级，并且班主任登陆后，才可进行编辑。"),
                    .kind = DocumentKind::DevelopmentRecord,
                    .classHeadingWord = QStringLiteral("记录"),
                    .addingWord = QStringLiteral("行为记录--"),
                    .shownWord = QStringLiteral("行为记录--"),
                    .emptyText = QStringLiteral("请填写新的行为记录后再保存"),
                    .printTitle = QStringLiteral("学生行为记录")})
{
    connect(personCombo, &QComboBox::activated, this, &DevelopmentRecordWindow::personChosen);
}

void DevelopmentRecordWindow::LoadRecordList(int mode)
{
    m_mode = mode;
    loadRecords();
}

QString DevelopmentRecordWindow::listedSubject() const
{
    return m_mode == 1 ? personCombo->currentText() : QString();
}

void DevelopmentRecordWindow::listFilled()
{
    const int n = int(listedRows().size());
    listCaption->setText(m_mode == 1 ? studentRecordCountText(personCombo->currentText(), n) : classRecordCountText(n));
}

void DevelopmentRecordWindow::personChosen()
{
    const int index = personCombo->currentIndex();
    if (index < 0)
        return;
    LoadRecordList(index == 0 ? 0 : 1);
    recordBox->clear();
}

bool DevelopmentRecordWindow::addRefused()
{
    const int index = personCombo->currentIndex();
    const QString shown = personCombo->currentText();
    // A student chosen from the class's list, not the whole class nor a typed name.
    if (classShown() && index > 0 && shown == personCombo->itemText(index) && shown != kWholeClassEntry)
        return false;
    showNotice(this, QStringLiteral("只有选择一个学生个人名单，才能为其添加记录。"), kTitleHintDots);
    return true;
}

QString DevelopmentRecordWindow::newRecordSubject() const
{
    return personCombo->currentText();
}

void DevelopmentRecordWindow::showDuplicate(const QString &displayName)
{
    showNotice(this,
               QStringLiteral("尊敬的(") + context()->headTeacher() + QStringLiteral(")")
                   + school::teacherTitleAfter(context()->headTeacher()) + QStringLiteral(",您要添加的（") + displayName
                   + QStringLiteral("）已存在了,直接选中进行“修改记录”即可。"),
               kTitleHintDots);
}

bool DevelopmentRecordWindow::confirmAdd(const QString &)
{
    return askYesNo(this,
                    QStringLiteral("尊敬的(") + context()->headTeacher() + QStringLiteral(")")
                        + school::teacherTitleAfter(context()->headTeacher()) + QStringLiteral(",您确实要为(")
                        + personCombo->currentText() + QStringLiteral(")同学新添加一个行为记录吗?"),
                    kTitleHintDots);
}

QString DevelopmentRecordWindow::printedHeadTeacher() const
{
    return context()->headTeacher();
}

void DevelopmentRecordWindow::gradeGroupChosen()
{
    personCombo->clear();
    m_mode = 0;
    listCaption->setText(kListHeading);
    recordBox->clear();
}

void DevelopmentRecordWindow::classChosen()
{
    personCombo->clear();
    personCombo->addItem(kWholeClassEntry);
    const school::MemberRows students =
        loadClassMembers(connection(), context()->identity(), {QStringLiteral("姓名")}, this);
    for (const QVector<QVariant> &s : students.rows)
        personCombo->addItem(s.value(0).toString());
    personCombo->setCurrentIndex(0);
    LoadRecordList(0);
    recordBox->clear();
}

void DevelopmentRecordWindow::signInShown(bool signedIn, ClassContext::Shown when)
{
    if (when != ClassContext::Shown::Toggle)
        return;
    if (signedIn)
        showStatus(QStringLiteral("已经登陆"), QStringLiteral("　　可以为本班学生编写发展记录了。"));
    else
        showStatus(QStringLiteral("退出了登陆"), QStringLiteral("　　不可以编写学生发展记录了。"));
    recordList->clearSelection();
}

} // namespace tessaly
