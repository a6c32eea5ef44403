#pragma once
// 上传冲突 (caption "上传冲突"): the fields this computer and another both
// changed since the last download or upload, each with the server's value and
// this computer's; the user keeps the server's or writes this computer's, for
// each or for all. Until decided the changes stay queued.
#include "shell/server_transfer.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace tessaly {

class UploadConflictWindow : public QDialog {
    Q_OBJECT
public:
    // decide applies the decisions (and uploads again); it returns the
    // conflicts that are left, which the window then shows (none: it closes).
    using Decide = std::function<QList<UploadConflict>(const QList<ConflictDecision> &)>;
    UploadConflictWindow(const QList<UploadConflict> &conflicts, Decide decide, QWidget *parent = nullptr);

    void setConflicts(const QList<UploadConflict> &conflicts);
    // The column of the table where a checked box writes this computer's value.
    static constexpr int kUseLocalColumn = 4;

    QLabel *summaryLabel = nullptr;
    QTableWidget *conflictGrid = nullptr;
    QPushButton *keepServerAllButton = nullptr;    // 全部保留服务器的值
    QPushButton *useLocalAllButton = nullptr;   // 全部用本机的值
    QPushButton *confirmButton = nullptr;   // 确定
    QPushButton *laterButton = nullptr;   // 以后再定

public slots:
    void setAll(bool useLocal);
    void applyDecisions();

private:
    QList<UploadConflict> m_conflicts;
    Decide m_decide;
};

// A value as the conflict list shows it.
QString conflictValueText(const QVariant &value);

} // namespace tessaly
