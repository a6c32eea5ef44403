#include "maintenance/data_maintenance_window.h"

#include "kit/database_unavailable.h"
#include "kit/selection.h"
#include "kit/sign_in_toggle.h"
#include "kit/window_steps.h"
#include "platform/data_control.h"
#include "platform/messages.h"

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

    Label6[1] = named(new QLabel(QStringLiteral("取消任课教师对某些考试的再次修改权利"), this), "Label6");
    List1 = named(new QListWidget(this), "List1");
    List1->addItem(QStringLiteral("无数据库内容!"));
    Label1[0] = named(new QLabel(QStringLiteral(
                          "　　当考试成绩添写完成，并确认无误后，管理员即可锁定本次考试，即使有权修改的教师，也无法修改，"
                          "来保证数据的安全与可靠性。打勾选中者即为取消了修改权。"),
                      this),
                      "Label1");
    Label1[0]->setWordWrap(true);
    Command3 = named(new QPushButton(this), "Command3");
    Command1 = named(new QPushButton(QStringLiteral("确定(&S)"), this), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("取消(&C)"), this), "Command2");
    Label6[0] = named(new QLabel(QStringLiteral("备份服务器数据库操作"), this), "Label6");
    Label1[1] = named(new QLabel(QStringLiteral("现存备份数据库"), this), "Label1");
    File1 = named(new QListWidget(this), "File1");
    Command4 = named(new QPushButton(QStringLiteral("备份现在数据库(&B)"), this), "Command4");
    Command5 = named(new QPushButton(QStringLiteral("删除选中数据库(&B)"), this), "Command5");
    Command6 = named(new QPushButton(QStringLiteral("使用选中数据库(&B)"), this), "Command6");
    Data1 = named(new DataControl(this), "Data1");
    Data1->hide();

    auto *examButtons = new QHBoxLayout;
    examButtons->addWidget(Command3);
    examButtons->addWidget(Command1);
    examButtons->addWidget(Command2);
    auto *exams = new QVBoxLayout;
    exams->addWidget(Label6[1]);
    exams->addWidget(List1, 1);
    exams->addWidget(Label1[0]);
    exams->addLayout(examButtons);
    auto *backup = new QVBoxLayout;
    backup->addWidget(Label6[0]);
    backup->addWidget(Label1[1]);
    backup->addWidget(File1, 1);
    backup->addWidget(Command4);
    backup->addWidget(Command5);
    backup->addWidget(Command6);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(10);
    layout->addLayout(exams, 3);
    layout->addLayout(backup, 2);

    ReportDataError(*Data1, this);
    // Wide enough for either caption of the toggle.
    Command3->setText(SignInToggle::signedInCaption(SignInToggle::Kind::Admin));
    Command3->setMinimumWidth(Command3->sizeHint().width());
    m_toggle = new SignInToggle(SignInToggle::Kind::Admin, Command3, host, this);
    m_toggle->setEditors({Command1, Command4, Command5, Command6});
    m_toggle->setDataControl(Data1);

    connect(Command1, &QPushButton::clicked, this, &DataMaintenanceWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &DataMaintenanceWindow::Command2_Click);
}

void DataMaintenanceWindow::Form_Load()
{
    SetWindowSize(this, 6045, 4425);
    CentreOnMainWindow(this, m_host.hostWidget(), 800);

    Session &s = session();
    if (!isNetworkMode(s.openpath)) {
        showNotice(this, QStringLiteral("你现在还没有连接网络服务器,不能进行系统数据安全维护。"), kTitleHintDots);
        Command3->setEnabled(false);
        return;
    }
    if (!databaseAvailable(m_host, this))
        return;

    // The server's data folder and its database files.
    const QDir folder = QFileInfo(db::resolvePath(s.openpath)).absoluteDir();
    File1->addItems(folder.entryList({QStringLiteral("*.mdb")}, QDir::Files, QDir::Name));

    Data1->setDatabaseName(s.openpath);
    LoadAdminAccount(*Data1, s, this);
    m_exams = Data1->hasRecordset() ? BuildLockableExamList(Data1->connection()) : QVector<LockableExam>();
    List1->clear();
    for (const LockableExam &exam : m_exams) {
        auto *item = new QListWidgetItem(exam.shown, List1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    if (s.isSignedIn())
        m_toggle->showState();
}

void DataMaintenanceWindow::Command1_Click()
{
    showNotice(this,
               QStringLiteral("锁定考试的功能还没有提供：所选的考试没有被锁定，任课教师仍然可以修改这些考试的成绩。"),
               kTitleHintDots);
}

void DataMaintenanceWindow::Command2_Click()
{
    CloseWindow(this);
}

} // namespace tessaly
