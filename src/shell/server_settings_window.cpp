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
    howToLabel = named(new QLabel(QStringLiteral(
                                  "　　首先需要输入网络服务器地址（如果您不明白请跟管理员联系），网络服务器地址写法如：\\\\server\\%1\\setup.exe "
                                  "其中server是服务器网络标识的计算机名，‘%1’是服务器中安装文件所在文件夹，setup.exe "
                                  "是安装文件。你可以通过网上邻居查找setup.exe 所在网络位置。")
                                  .arg(kInstallerFolder),
                              this),
                   "Label1");
    howToLabel->setWordWrap(true);
    howToLabel->setFixedWidth(420);
    pathLabel = named(new QLabel(QStringLiteral("服务器上的文件路径："), this), "Label2");
    pathBox = named(new QLineEdit(this), "Text1");
    browseButton = named(new QPushButton(QStringLiteral("浏览"), this), "Command1");
    testButton = named(new QPushButton(QStringLiteral("测试服务器连接"), this), "Command5");
    useLocalButton = named(new QPushButton(QStringLiteral("使用本地数据库"), this), "Command4");
    exitButton = named(new QPushButton(QStringLiteral("退出"), this), "Command3");
    testButton->setDefault(true);

    auto *path = new QHBoxLayout;
    path->addWidget(pathBox, 1);
    path->addWidget(browseButton);
    layOutDialog(this, {howToLabel, pathLabel, path}, {testButton, useLocalButton, exitButton});

    connect(browseButton, &QPushButton::clicked, this, &ServerSettingsWindow::browseClicked);
    connect(testButton, &QPushButton::clicked, this, &ServerSettingsWindow::testClicked);
    connect(useLocalButton, &QPushButton::clicked, this, &ServerSettingsWindow::useLocalClicked);
    connect(exitButton, &QPushButton::clicked, this, &ServerSettingsWindow::exitClicked);
}

void ServerSettingsWindow::Form_Load()
{
    pathBox->setText(readServerInstallerPath(session().programFolder).value_or(QString()));
}

void ServerSettingsWindow::browseClicked()
{
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("打开"), shareMountRoot(),
                                                        QStringLiteral("所有文件 (*.*)"));
    if (!chosen.isEmpty())
        pathBox->setText(unmapSharePath(chosen));
}

void ServerSettingsWindow::testClicked()
{
    const QString installer = pathBox->text();
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

void ServerSettingsWindow::useLocalClicked()
{
    UseLocalDatabase(m_host);
    CloseWindow(this);
}

void ServerSettingsWindow::exitClicked()
{
    if (testServerDatabase(session().openpath).isSet()) {
        m_host.quitProgram();
        return;
    }
    CloseWindow(this);
}

} // namespace tessaly
