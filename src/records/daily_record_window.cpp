#include "records/daily_record_window.h"

#include "kit/window_names.h"
#include "widgets/messages.h"
#include "school/teacher_title.h"

#include <QComboBox>
#include <QListWidget>

namespace tessaly {

using namespace records;

DailyRecordWindow::DailyRecordWindow(WindowHost &host, QWidget *parent)
    : RecordWindow(host, parent,
                   {.name = kDailyRecordWindow,
                    .caption = QStringLiteral("班主任日常工作记录"),
                    .widthTwips = 9465,
                    .heightTwips = 6105,
                    .gradeLabel = QStringLiteral("选择年级组:"),
                    .classLabel = QStringLiteral("选择 班 级:"),
                    .thirdLabel = QStringLiteral("选择班主任:"),
                    .listHeading = QStringLiteral("原有工作记录:"),
                    .recordLabel = QStringLiteral("班主任工作记录"),
                    .heading = QStringLiteral("======班主任编写日常工作记录======"),
                    .note = QStringLiteral("本工作记录意在帮助班主任记录日常工作有价值、有意义的内容，便于您科学、"
                                           "高效的管理班级、朔造学生，也便于同事间互相学习、交流、研究，"
                                           "有利于校领导对您的班主任工作进行了解与指导。"),
                    .hint = QStringLiteral("　　如果您是班主任，需要编辑或添加记录，请您首先选择年级组、班级。"
                                           "然后登陆，才可进行各种操作。"),
                    .kind = DocumentKind::DailyRecord,
                    .classHeadingWord = QString(),
                    .addingWord = QStringLiteral("工作日记--"),
                    .shownWord = QStringLiteral("日记--"),
                    .emptyText = QStringLiteral("请填加新的工作记录后再保存"),
                    .printTitle = QStringLiteral("日常工作记录")})
{
}

bool DailyRecordWindow::addRefused()
{
    // The editor stays usable across a change of grade group; a record is only
    // ever stored for the class shown.
    if (classShown())
        return false;
    showNotice(this, QStringLiteral("请至少选择一个班级。"), kTitleHintDots);
    return true;
}

QString DailyRecordWindow::newRecordSubject() const
{
    return classCombo->currentText();
}

void DailyRecordWindow::showDuplicate(const QString &displayName)
{
    showNotice(this, QStringLiteral("尊敬的") + school::withTeacherTitle(personCombo->currentText()) + QStringLiteral(",您要添加的（") + displayName
                         + QStringLiteral("）已经存在了,直接选中它进行“修改记录”即可。"));
}

bool DailyRecordWindow::confirmAdd(const QString &displayName)
{
    return askYesNo(this,
                    QStringLiteral("尊敬的") + school::withTeacherTitle(personCombo->currentText()) + QStringLiteral(",您确实要新创建一个名称为（")
                        + displayName + QStringLiteral("）的日常工作记录吗?"),
                    kTitleHintDots);
}

QString DailyRecordWindow::printedHeadTeacher() const
{
    return personCombo->currentText();
}

void DailyRecordWindow::classChosen()
{
    loadRecords();
}

void DailyRecordWindow::signInShown(bool signedIn, ClassContext::Shown when)
{
    if (when == ClassContext::Shown::ClassStep) {
        if (signedIn)
            showStatus(QStringLiteral("已经登陆"), QStringLiteral("　　可以编写日常工作记录了。"));
        else
            showStatus(QStringLiteral("没有登陆"), QStringLiteral("　　还不可以进行工作记录编辑。"));
        return;
    }
    if (signedIn)
        showStatus(QStringLiteral("已经登陆"), QStringLiteral("　　可以进行本班日常工作记录编写了。"));
    else
        showStatus(QStringLiteral("退出了登陆"), QStringLiteral("　　不可以进行日常工作记录编写了。"));
    recordList->clearSelection();
}

} // namespace tessaly
