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

    Label1 = named(new QLabel(QStringLiteral("系统无法与服务器连接，可能的原因有：\n"
                                             "１、服务器已经关闭。\n"
                                             "２、本机不能通过局域网与服务器连接。\n"
                                             "３、数据库文件所在服务器上的路径不正确。\n"
                                             "你可以使用本机数据，或与管理员联系。"),
                              this),
                   "Label1");
    Label1->setTextInteractionFlags(Qt::NoTextInteraction);
    Command1 = named(new QPushButton(QStringLiteral("设置服务器路径"), this), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("使用本机数据库"), this), "Command2");
    Command4 = named(new QPushButton(QStringLiteral("退出系统(&C)"), this), "Command4");

    layOutDialog(this, {Label1}, {Command1, Command2, Command4});

    connect(Command1, &QPushButton::clicked, this, &ConnectionFailureDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &ConnectionFailureDialog::Command2_Click);
    connect(Command4, &QPushButton::clicked, this, &ConnectionFailureDialog::Command4_Click);
}

void ConnectionFailureDialog::Command1_Click()
{
    // This dialog goes first; a caller that showed it modally gets control back
    // only once the server settings are closed.
    WindowHost &host = m_host;
    CloseWindow(this);
    host.showModal(kServerSettingsWindow);
}

void ConnectionFailureDialog::Command2_Click()
{
    UseLocalDatabase(m_host);
    m_host.setSchoolName(readSchoolName(session().programFolder));
    CloseWindow(this);
}

void ConnectionFailureDialog::Command4_Click()
{
    m_host.quitProgram();
}

} // namespace tessaly
