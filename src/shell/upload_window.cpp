#include "shell/upload_window.h"

#include "kit/save_report.h"
#include "kit/window_steps.h"
#include "shell/dialog_layout.h"
#include "platform/messages.h"
#include "shell/server_transfer.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace tessaly {

UploadWindow::UploadWindow(WindowHost &host, QWidget *parent)
    : QDialog(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("数据上传"));
    setWindowTitle(QStringLiteral("本机修改数据上传"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Label1 = named(new QLabel(QStringLiteral(
                       "　　网络不正常时，无法连接服务器数据库，你只有使用本机数据库，这时你对数据的操作(添加、修改或者删除)"
                       "只能记录在本机数据库中。当网络正常时，你就可以使用本功能，把你对数据库的修改，上传到服务器数据库中，"
                       "达到您各种操作的目的，否则你的操作只能在本机中看到，其它网络机器不能看见。"),
                   this),
                   "Label1");
    Label1->setWordWrap(true);
    Label1->setFixedWidth(420);
    Label2 = named(new QLabel(this), "Label2");
    ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
    ProgressBar1->setValue(0);
    Command1 = named(new QPushButton(QStringLiteral("上传数据"), this), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("退出上传"), this), "Command2");

    layOutDialog(this, {Label1, Label2, ProgressBar1}, {Command1, Command2});

    connect(Command1, &QPushButton::clicked, this, &UploadWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &UploadWindow::Command2_Click);
}

void UploadWindow::Form_Load()
{
    // Always the local database, whatever openpath names.
    db::Connection local(session().programFile(QStringLiteral("data.mdb")));
    const int n = local.ok() ? queuedRowCount(local) : -1;
    if (n < 0) {
        showNotice(this, kDataErrorPrefix + local.error().text);
        Command1->setEnabled(false);
        return;
    }
    if (n == 0) {
        Label2->setText(QStringLiteral("　　本机没有需要上的数据,无需上传。"));
        Command1->setEnabled(false);
        return;
    }
    Label2->setText(QStringLiteral("　　需要上传到服务器的本机数据共  %1 条").arg(n));
    ProgressBar1->setRange(0, n);
}

void UploadWindow::Command1_Click()
{
    const UploadOutcome r = UploadLocalChanges(session().programFile(QStringLiteral("data.mdb")), session().openpath,
                                               [this](int done, int total) {
                                                   ProgressBar1->setRange(0, total);
                                                   ProgressBar1->setValue(done);
                                               });
    const QString locked = r.lockedKept > 0
                               ? QStringLiteral("\r有%1个学生在管理员锁定的考试中的成绩没有上传，服务器保留了原来的成绩。").arg(r.lockedKept)
                               : QString();
    if (r.ok) {
        ProgressBar1->setValue(ProgressBar1->maximum());
        if (!locked.isEmpty())
            showNotice(this, locked.mid(1), kTitleHint);
        return;
    }
    if (!r.failed.isEmpty() && !r.serverUpdated) {
        constexpr int kNamed = 10;   // rows named in the message
        QStringList lines;
        for (qsizetype i = 0; i < r.failed.size() && i < kNamed; ++i) {
            const UploadFailure &f = r.failed[i];
            lines << QStringLiteral("表“%1”ID为%2的记录：%3").arg(f.table, f.id.toString(), f.text);
        }
        if (r.failed.size() > kNamed)
            lines << QStringLiteral("……");
        QString text = QStringLiteral("有%1条记录没有上传，仍留在上传表中，可以以后再上传：\r").arg(r.failed.size())
                       + lines.join(QLatin1Char('\r'));
        if (r.uploaded > 0)
            text += QStringLiteral("\r其余%1条记录已经上传。").arg(r.uploaded);
        showNotice(this, text + locked, kTitleHint);
        return;
    }
    if (r.serverUpdated)
        reportSaveFailure(this, QStringLiteral("本机数据已经上传到服务器，但上传表没能清空："), r.error, kTitleHint);
    else if (r.uploaded > 0)
        reportSaveFailure(this, QStringLiteral("已经上传了%1条记录，其余的没有上传，仍留在上传表中：").arg(r.uploaded), r.error,
                          kTitleHint);
    else
        reportSaveFailure(this, QStringLiteral("本机数据没有上传，上传表保持不变："), r.error, kTitleHint);
}

void UploadWindow::Command2_Click()
{
    CloseWindow(this);
}

} // namespace tessaly
