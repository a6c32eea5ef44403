#include "shell/connection_failure_dialog.h"

#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "shell/dialog_layout.h"
#include "shell/school_name.h"
#include "shell/server_location.h"

#include <QLabel>
#include <QPushButton>

namespace tessaly {

ConnectionFailureDialog::ConnectionFailureDialog(WindowHost &host, QWidget *parent)
    : QDialog(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("与服务器的连接"));
    setWindowTitle(QStringLiteral("与服务器的连接错误……"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    messageLabel = named(new QLabel(QStringLiteral("系统无法与服务器连接，可能的原因有：\n"
                                             "１、服务器已经关闭。\n"
                                             "２、本机不能通过局域网与服务器连接。\n"
                                             "３、数据库文件所在服务器上的路径不正确。\n"
                                             "你可以使用本机数据，或与管理员联系。"),
                              this),
                   "Label1");
    messageLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    serverPathButton = named(new QPushButton(QStringLiteral("设置服务器路径"), this), "Command1");
    localDatabaseButton = named(new QPushButton(QStringLiteral("使用本机数据库"), this), "Command2");
    quitButton = named(new QPushButton(QStringLiteral("退出系统(&C)"), this), "Command4");

    layOutDialog(this, {messageLabel}, {serverPathButton, localDatabaseButton, quitButton});

    connect(serverPathButton, &QPushButton::clicked, this, &ConnectionFailureDialog::serverPathClicked);
    connect(localDatabaseButton, &QPushButton::clicked, this, &ConnectionFailureDialog::localDatabaseClicked);
    connect(quitButton, &QPushButton::clicked, this, &ConnectionFailureDialog::quitClicked);
}

void ConnectionFailureDialog::serverPathClicked()
{
    // This dialog goes first; a caller that showed it modally gets control back
    // only once the server settings are closed.
    WindowHost &host = m_host;
    CloseWindow(this);
    host.showModal(kServerSettingsWindow);
}

void ConnectionFailureDialog::localDatabaseClicked()
{
    UseLocalDatabase(m_host);
    m_host.setSchoolName(readSchoolName(session().programFolder));
    CloseWindow(this);
}

void ConnectionFailureDialog::quitClicked()
{
    m_host.quitProgram();
}

} // namespace tessaly
