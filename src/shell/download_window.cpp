#include "shell/download_window.h"

#include "kit/window_steps.h"
#include "shell/dialog_layout.h"
#include "widgets/messages.h"
#include "shell/server_transfer.h"

#include <QLabel>
#include <QPushButton>

namespace tessaly {

DownloadWindow::DownloadWindow(WindowHost &host, QWidget *parent)
    : QDialog(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("下载服务器数据"));
    setWindowTitle(QStringLiteral("下载服务器数据"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    noteLabel = named(new QLabel(QStringLiteral(
                       "　　由于服务器上的数据常常由他人修改或添加。当网络正常时，你可以直接使用服务器数据库；"
                       "而在网络不正常时，无法连接服务器数据库，这时，你只有使用本机数据库，"
                       "所以下载服务器数据是非常必要的，从而达到使用本机数据时是最新数据内容。"),
                   this),
                   "Label1");
    noteLabel->setWordWrap(true);
    noteLabel->setFixedWidth(400);
    startButton = named(new QPushButton(QStringLiteral("下载数据"), this), "Command1");
    closeButton = named(new QPushButton(QStringLiteral("取消下载"), this), "Command2");

    layOutDialog(this, {noteLabel}, {startButton, closeButton});

    connect(startButton, &QPushButton::clicked, this, &DownloadWindow::startClicked);
    connect(closeButton, &QPushButton::clicked, this, &DownloadWindow::closeClicked);
}

void DownloadWindow::startClicked()
{
    const QString failed = QStringLiteral("\r　　数据没能下载,你本机数据库没有被更新,请以后再试。");
    const QString local = session().programFile(QStringLiteral("data.mdb"));
    // A window holding the local database would go on working on the replaced file.
    const QStringList holders = host().windowsUsing(local);
    if (!holders.isEmpty()) {
        showNotice(this, QStringLiteral("本机数据库正在被这些窗口使用：%1。请先关闭这些窗口。")
                             .arg(holders.join(QStringLiteral("、"))) + failed);
        return;
    }
    {
        db::Connection c(local);
        const int queued = c.ok() ? queuedRowCount(c) : 0;
        if (queued > 0
            && !askYesNoDefaultNo(this,
                         QStringLiteral("本机还有%1条修改没有上传到服务器，下载服务器数据后这些修改将全部丢失。\r"
                                        "要放弃这些修改，下载服务器数据吗?")
                             .arg(queued),
                         kTitleHintDots))
            return;
    }
    const DownloadOutcome r = DownloadServerDatabase(session().programFolder);
    if (r.ok)
        showNotice(this, QStringLiteral("恭喜！恭喜！\r　　服务器数据连接正确,下载数据成功。"));
    else
        showNotice(this, r.errorText + failed);
}

void DownloadWindow::closeClicked()
{
    CloseWindow(this);
}

} // namespace tessaly
