#include "maintenance/data_maintenance_window.h"

#include "kit/database_unavailable.h"
#include "school/exam_locks.h"
#include "kit/save_report.h"
#include "kit/selection.h"
#include "kit/sign_in_toggle.h"
#include "kit/window_steps.h"
#include "widgets/messages.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

DataMaintenanceWindow::DataMaintenanceWindow(WindowHost &host, QWidget *parent)
    : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("系统数据安全维护"));
    setWindowTitle(QStringLiteral("管理员维护系统数据安全"));

    titleLabels[1] = named(new QLabel(QStringLiteral("取消任课教师对某些考试的再次修改权利"), this), "Label6");
    examList = named(new QListWidget(this), "List1");
    examList->addItem(QStringLiteral("无数据库内容!"));
    noteLabels[0] = named(new QLabel(QStringLiteral(
                          "　　当考试成绩添写完成，并确认无误后，管理员即可锁定本次考试，即使有权修改的教师，也无法修改，"
                          "来保证数据的安全与可靠性。打勾选中者即为取消了修改权。"),
                      this),
                      "Label1");
    noteLabels[0]->setWordWrap(true);
    signInButton = named(new QPushButton(this), "Command3");
    saveLocksButton = named(new QPushButton(QStringLiteral("确定(&S)"), this), "Command1");
    closeButton = named(new QPushButton(QStringLiteral("取消(&C)"), this), "Command2");
    titleLabels[0] = named(new QLabel(QStringLiteral("备份服务器数据库操作"), this), "Label6");
    noteLabels[1] = named(new QLabel(QStringLiteral("现存备份数据库"), this), "Label1");
    backupList = named(new QListWidget(this), "File1");
    backUpButton = named(new QPushButton(QStringLiteral("备份现在数据库(&B)"), this), "Command4");
    deleteBackupButton = named(new QPushButton(QStringLiteral("删除选中数据库(&B)"), this), "Command5");
    useBackupButton = named(new QPushButton(QStringLiteral("使用选中数据库(&B)"), this), "Command6");

    auto *examButtons = new QHBoxLayout;
    examButtons->addWidget(signInButton);
    examButtons->addWidget(saveLocksButton);
    examButtons->addWidget(closeButton);
    auto *exams = new QVBoxLayout;
    exams->addWidget(titleLabels[1]);
    exams->addWidget(examList, 1);
    exams->addWidget(noteLabels[0]);
    exams->addLayout(examButtons);
    auto *backup = new QVBoxLayout;
    backup->addWidget(titleLabels[0]);
    backup->addWidget(noteLabels[1]);
    backup->addWidget(backupList, 1);
    backup->addWidget(backUpButton);
    backup->addWidget(deleteBackupButton);
    backup->addWidget(useBackupButton);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(10);
    layout->addLayout(exams, 3);
    layout->addLayout(backup, 2);

    // Wide enough for either caption of the toggle.
    signInButton->setText(SignInToggle::signedInCaption(SignInToggle::Kind::Admin));
    signInButton->setMinimumWidth(signInButton->sizeHint().width());
    m_toggle = new SignInToggle(SignInToggle::Kind::Admin, signInButton, host, this);
    m_toggle->setEditors({saveLocksButton, backUpButton, deleteBackupButton, useBackupButton});

    connect(saveLocksButton, &QPushButton::clicked, this, &DataMaintenanceWindow::saveLocksClicked);
    connect(closeButton, &QPushButton::clicked, this, &DataMaintenanceWindow::closeClicked);
    connect(backUpButton, &QPushButton::clicked, this, &DataMaintenanceWindow::backUpClicked);
    connect(deleteBackupButton, &QPushButton::clicked, this, &DataMaintenanceWindow::deleteBackupClicked);
    connect(useBackupButton, &QPushButton::clicked, this, &DataMaintenanceWindow::useBackupClicked);
}

void DataMaintenanceWindow::Form_Load()
{
    SetWindowSize(this, 6045, 4425);
    CentreOnMainWindow(this, m_host.hostWidget(), 800);

    Session &s = session();
    if (!isNetworkMode(s.openpath)) {
        showNotice(this, QStringLiteral("你现在还没有连接网络服务器,不能进行系统数据安全维护。"), kTitleHintDots);
        signInButton->setEnabled(false);
        return;
    }
    if (!databaseAvailable(*this, this))
        return;

    listFiles();

    if (LoadAdminAccount(connection(), this) != AdminAccount::ReadFailed)
        listExams(connection());
    else
        examList->clear();
    if (m_toggle->ownAccountSignedIn())
        m_toggle->showState();
}

void DataMaintenanceWindow::listExams(db::Connection &c)
{
    m_exams = BuildLockableExamList(c);
    const QList<school::ExamLock> locks = school::lockedExams(c);
    examList->clear();
    if (c.error().isSet()) {
        reportReadFailure(this, c.error());
        return;
    }
    for (const LockableExam &exam : m_exams) {
        auto *item = new QListWidgetItem(exam.shown, examList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(locks.contains(school::ExamLock{exam.table, exam.column}) ? Qt::Checked : Qt::Unchecked);
    }
}

QString DataMaintenanceWindow::dataFolder() const
{
    return QFileInfo(db::resolvePath(m_host.session().openpath)).absolutePath();
}

void DataMaintenanceWindow::listFiles(const QString &select)
{
    backupList->clear();
    backupList->addItems(QDir(dataFolder()).entryList({QStringLiteral("*.mdb")}, QDir::Files, QDir::Name));
    const QList<QListWidgetItem *> found = select.isEmpty() ? QList<QListWidgetItem *>() : backupList->findItems(select, Qt::MatchExactly);
    if (!found.isEmpty())
        backupList->setCurrentItem(found.first());
}

QString DataMaintenanceWindow::chosenFile()
{
    if (QListWidgetItem *item = backupList->currentItem(); item && item->isSelected())
        return item->text();
    showNotice(this, QStringLiteral("请先在“现存备份数据库”中选择一个数据库。"), kTitleHintDots);
    return QString();
}

void DataMaintenanceWindow::saveLocksClicked()
{
    QList<school::ExamLock> locks;
    for (int i = 0; i < examList->count() && i < m_exams.size(); ++i) {
        if (examList->item(i)->checkState() == Qt::Checked)
            locks.append({m_exams[i].table, m_exams[i].column});
    }
    const SaveOutcome r = saveWith<SaveOutcome>(connection(), [&](db::Connection &c) {
        SaveOutcome out;
        out.ok = school::saveExamLocks(c, locks);
        out.error = c.error();
        return out;
    });
    if (!r.ok) {
        reportSaveFailure(this, QStringLiteral("考试锁定没有保存："), r.error, kTitleHintDots);
        return;
    }
    showNotice(this,
               locks.isEmpty() ? QStringLiteral("已经保存：没有锁定的考试，任课教师可以修改所有考试的成绩。")
                               : QStringLiteral("已经保存：打勾的%1项考试已经锁定，任课教师不能再修改这些考试的成绩。").arg(locks.size()),
               kTitleHintDots);
}

void DataMaintenanceWindow::backUpClicked()
{
    const QString name = db::backupFileName(dataFolder());
    db::Connection &live = connection();
    db::Error error = live.error();
    if (live.ok())
        db::backupDatabase(live, QDir(dataFolder()).filePath(name), error);
    if (error.isSet()) {
        reportSaveFailure(this, QStringLiteral("数据库没有备份："), error, kTitleHintDots);
        return;
    }
    listFiles(name);
    showNotice(this, QStringLiteral("现在的数据库已经备份为“%1”。").arg(name), kTitleHintDots);
}

void DataMaintenanceWindow::deleteBackupClicked()
{
    const QString name = chosenFile();
    if (name.isEmpty())
        return;
    const QString path = QDir(dataFolder()).filePath(name);
    if (db::isSameFile(path, session().openpath)) {
        showNotice(this, QStringLiteral("“%1”是正在使用的数据库，不能删除。").arg(name), kTitleHintDots);
        return;
    }
    if (!askYesNo(this, QStringLiteral("确实要删除数据库“%1”吗？删除后不能恢复。").arg(name), kTitleHintDots))
        return;
    QFile file(path);
    if (!file.remove()) {
        showNotice(this, QStringLiteral("数据库“%1”没有删除：%2").arg(name, file.errorString()), kTitleHintDots);
        return;
    }
    listFiles();
}

void DataMaintenanceWindow::useBackupClicked()
{
    const QString name = chosenFile();
    if (name.isEmpty())
        return;
    const Session &s = session();
    const QString path = QDir(dataFolder()).filePath(name);
    if (db::isSameFile(path, s.openpath)) {
        showNotice(this, QStringLiteral("“%1”就是正在使用的数据库。").arg(name), kTitleHintDots);
        return;
    }
    QStringList holders = m_host.windowsUsing(s.openpath);
    holders.removeAll(windowTitle());
    if (!holders.isEmpty()) {
        showNotice(this, QStringLiteral("服务器数据库正在被这些窗口使用：%1。请先关闭这些窗口。").arg(holders.join(QStringLiteral("、"))),
                   kTitleHintDots);
        return;
    }
    const QString backup = db::backupFileName(dataFolder());
    if (!askYesNo(this,
                  QStringLiteral("要用数据库“%1”替换现在的服务器数据库吗？\r现在的数据库将先备份为“%2”。").arg(name, backup),
                  kTitleHintDots))
        return;
    db::Connection copy(path);
    db::Error error = copy.error();
    if (copy.ok())
        db::copyDatabaseOver(copy, s.openpath, error, QDir(dataFolder()).filePath(backup));
    copy.close();
    if (error.isSet()) {
        reportSaveFailure(this, QStringLiteral("没有使用数据库“%1”，服务器数据库没有改变：").arg(name), error, kTitleHintDots);
        return;
    }
    listFiles(backup);
    listExams(connection());   // reopened on the file now in place
    showNotice(this, QStringLiteral("现在使用的是数据库“%1”的内容，原来的数据库已经备份为“%2”。").arg(name, backup), kTitleHintDots);
}

void DataMaintenanceWindow::closeClicked()
{
    CloseWindow(this);
}

} // namespace tessaly
