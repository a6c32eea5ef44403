#include "shell/server_settings_window.h"

#include "kit/window_steps.h"
#include "shell/dialog_layout.h"
#include "widgets/messages.h"
#include "os/share_paths.h"
#include "shell/server_location.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tessaly {

namespace {
const QString kPathRefused = QStringLiteral("您输入的网络路径不正确,无法连接网络服务器数据库。\r\r     请重新设置路径,或与管理员联系。");
} // namespace

ServerSettingsWindow::ServerSettingsWindow(WindowHost &host, QWidget *parent)
    : QDialog(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("服务器设置"));
    setWindowTitle(QStringLiteral("连接服务器设置"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // The example is a path the connection test accepts: the installer in the
    // folder the database path is derived from.
    Label1 = named(new QLabel(QStringLiteral(
                                  "　　首先需要输入网络服务器地址（如果您不明白请跟管理员联系），网络服务器地址写法如：\\\\server\\%1\\setup.exe "
                                  "其中server是服务器网络标识的计算机名，‘%1’是服务器中安装文件所在文件夹，setup.exe "
                                  "是安装文件。你可以通过网上邻居查找setup.exe 所在网络位置。")
                                  .arg(kInstallerFolder),
                              this),
                   "Label1");
    Label1->setWordWrap(true);
    Label1->setFixedWidth(420);
    Label2 = named(new QLabel(QStringLiteral("服务器上的文件路径："), this), "Label2");
    Text1 = named(new QLineEdit(this), "Text1");
    Command1 = named(new QPushButton(QStringLiteral("浏览"), this), "Command1");
    Command5 = named(new QPushButton(QStringLiteral("测试服务器连接"), this), "Command5");
    Command4 = named(new QPushButton(QStringLiteral("使用本地数据库"), this), "Command4");
    Command3 = named(new QPushButton(QStringLiteral("退出"), this), "Command3");
    Command5->setDefault(true);

    auto *path = new QHBoxLayout;
    path->addWidget(Text1, 1);
    path->addWidget(Command1);
    layOutDialog(this, {Label1, Label2, path}, {Command5, Command4, Command3});

    connect(Command1, &QPushButton::clicked, this, &ServerSettingsWindow::Command1_Click);
    connect(Command5, &QPushButton::clicked, this, &ServerSettingsWindow::Command5_Click);
    connect(Command4, &QPushButton::clicked, this, &ServerSettingsWindow::Command4_Click);
    connect(Command3, &QPushButton::clicked, this, &ServerSettingsWindow::Command3_Click);
}

void ServerSettingsWindow::Form_Load()
{
    Text1->setText(readServerInstallerPath(session().programFolder).value_or(QString()));
}

void ServerSettingsWindow::Command1_Click()
{
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("打开"), shareMountRoot(),
                                                        QStringLiteral("所有文件 (*.*)"));
    if (!chosen.isEmpty())
        Text1->setText(unmapSharePath(chosen));
}

void ServerSettingsWindow::Command5_Click()
{
    const QString installer = Text1->text();
    const std::optional<QString> serverPath = ServerDatabasePath(installer);
    if (!serverPath || testServerDatabase(*serverPath).isSet()) {
        showNotice(this, kPathRefused, kTitleHint);
        return;
    }
    if (!askYesNo(this, QStringLiteral("恭喜！您输入的路径与服务器数据连接正确，是否保存本路径？"), kTitleHint)) {
        showNotice(this, QStringLiteral("现在继续使用本机数据库。"));
        return;
    }
    if (!saveServerInstallerPath(session().programFolder, installer)) {
        showNotice(this, kPathRefused, kTitleHint);
        return;
    }
    m_host.switchOffMenuItem(QStringLiteral("LJFWQ"));
    session().openpath = *serverPath;
    CloseWindow(this);
}

void ServerSettingsWindow::Command4_Click()
{
    UseLocalDatabase(m_host);
    CloseWindow(this);
}

void ServerSettingsWindow::Command3_Click()
{
    if (testServerDatabase(session().openpath).isSet()) {
        m_host.quitProgram();
        return;
    }
    CloseWindow(this);
}

} // namespace tessaly
