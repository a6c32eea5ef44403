#include "shell/upload_window.h"

#include "kit/save_report.h"
#include "kit/window_steps.h"
#include "shell/dialog_layout.h"
#include "widgets/messages.h"
#include "shell/server_transfer.h"
#include "shell/upload_conflict_window.h"

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

    noteLabel = named(new QLabel(QStringLiteral(
                       "　　网络不正常时，无法连接服务器数据库，你只有使用本机数据库，这时你对数据的操作(添加、修改或者删除)"
                       "只能记录在本机数据库中。当网络正常时，你就可以使用本功能，把你对数据库的修改，上传到服务器数据库中，"
                       "达到您各种操作的目的，否则你的操作只能在本机中看到，其它网络机器不能看见。"),
                   this),
                   "Label1");
    noteLabel->setWordWrap(true);
    noteLabel->setFixedWidth(420);
    queueCountLabel = named(new QLabel(this), "Label2");
    progressBar = named(new QProgressBar(this), "ProgressBar1");
    progressBar->setValue(0);
    startButton = named(new QPushButton(QStringLiteral("上传数据"), this), "Command1");
    closeButton = named(new QPushButton(QStringLiteral("退出上传"), this), "Command2");

    layOutDialog(this, {noteLabel, queueCountLabel, progressBar}, {startButton, closeButton});

    connect(startButton, &QPushButton::clicked, this, &UploadWindow::startClicked);
    connect(closeButton, &QPushButton::clicked, this, &UploadWindow::closeClicked);
}

void UploadWindow::Form_Load()
{
    // Always the local database, whatever openpath names.
    db::Connection local(session().programFile(QStringLiteral("data.mdb")));
    const int n = local.ok() ? queuedRowCount(local) : -1;
    if (n < 0) {
        showNotice(this, kDataErrorPrefix + local.error().text);
        startButton->setEnabled(false);
        return;
    }
    if (n == 0) {
        queueCountLabel->setText(QStringLiteral("　　本机没有需要上的数据,无需上传。"));
        startButton->setEnabled(false);
        return;
    }
    queueCountLabel->setText(QStringLiteral("　　需要上传到服务器的本机数据共  %1 条").arg(n));
    progressBar->setRange(0, n);
}

void UploadWindow::startClicked()
{
    const QString local = session().programFile(QStringLiteral("data.mdb"));
    // The upload renumbers added rows and takes decided values into the local
    // database: no window may hold rows of it meanwhile.
    const QStringList holders = host().windowsUsing(local);
    if (!holders.isEmpty()) {
        showNotice(this, QStringLiteral("本机数据库正在被这些窗口使用：%1。请先关闭这些窗口，再上传。")
                             .arg(holders.join(QStringLiteral("、"))),
                   kTitleHint);
        return;
    }
    const UploadProgress progress = [this](int done, int total) {
        progressBar->setRange(0, total);
        progressBar->setValue(done);
    };
    UploadOutcome r = UploadLocalChanges(local, session().openpath, progress);
    if (r.needsBase && !r.error.isSet()) {
        // Never downloaded: nothing tells which values the server had when this
        // computer's work began.
        if (r.differingRows > 0
            && !askYesNoDefaultNo(this,
                                  QStringLiteral("本机数据库不是从服务器下载的，无法知道服务器上的数据后来是否被别人修改过。"
                                                 "要上传的记录中有%1条记录的%2个字段与服务器上的不同。\r"
                                                 "要用本机的数据覆盖服务器上的这些数据吗?")
                                      .arg(r.differingRows)
                                      .arg(r.differingFields),
                                  kTitleHintDots))
            return;
        r = UploadLocalChanges(local, session().openpath, progress, {.overwriteWithoutBase = true});
    }
    report(r);
    if (!r.conflicts.isEmpty() && !r.serverUpdated) {
        delete conflictWindow;
        conflictWindow = new UploadConflictWindow(r.conflicts, [this, local](const QList<ConflictDecision> &decisions) {
            const UploadOutcome decided = decideConflicts(local, session().openpath, decisions);
            report(decided);
            if (decided.error.isSet() && decided.failed.isEmpty() && !decided.serverUpdated) {
                QList<UploadConflict> pending;   // nothing decided: the same list stays
                for (const ConflictDecision &d : decisions)
                    pending << d.conflict;
                return pending;
            }
            return decided.conflicts;
        }, this);
        conflictWindow->setAttribute(Qt::WA_DeleteOnClose);
        conflictWindow->open();
    }
}

void UploadWindow::report(const UploadOutcome &r)
{
    const QString locked = r.lockedKept > 0
                               ? QStringLiteral("\r有%1个学生在管理员锁定的考试中的成绩没有上传，服务器保留了原来的成绩。").arg(r.lockedKept)
                               : QString();
    if (r.serverUpdated) {
        reportSaveFailure(this, QStringLiteral("本机数据已经上传到服务器，但本机没能记下："), r.error, kTitleHint,
                          QStringLiteral("\r可以放心再上传一次：已经上传的数据不会重复。"));
        return;
    }
    if (r.error.isSet() && r.failed.isEmpty()) {
        const QString lead = r.uploaded > 0 ? QStringLiteral("已经上传了%1条记录，其余的没有上传，仍留在上传表中：").arg(r.uploaded)
                                            : QStringLiteral("本机数据没有上传，上传表保持不变：");
        reportSaveFailure(this, lead, r.error, kTitleHint);
        return;
    }
    progressBar->setValue(progressBar->maximum());
    QString text = QStringLiteral("上传完成：服务器上新增%1条记录，修改%2条记录，%3条记录服务器上已经有了而跳过，%4处冲突留在上传表中。")
                       .arg(r.added)
                       .arg(r.changed)
                       .arg(r.alreadyThere)
                       .arg(r.conflicts.size());
    if (!r.failed.isEmpty()) {
        constexpr int kNamed = 10;   // rows named in the message
        QStringList lines;
        for (qsizetype i = 0; i < r.failed.size() && i < kNamed; ++i) {
            const UploadFailure &f = r.failed[i];
            lines << QStringLiteral("表“%1”ID为%2的记录：%3").arg(f.table, f.id.toString(), f.text);
        }
        if (r.failed.size() > kNamed)
            lines << QStringLiteral("……");
        text += QStringLiteral("\r有%1条记录没有上传，仍留在上传表中，可以以后再上传：\r").arg(r.failed.size())
                + lines.join(QLatin1Char('\r'));
    }
    showNotice(this, text + locked, kTitleHint);
}

void UploadWindow::closeClicked()
{
    CloseWindow(this);
}

} // namespace tessaly
