#pragma once
// 数据上传 (caption "本机修改数据上传"): merges the changes queued in the local
// database's 上传表 into the database openpath names (the server copy), then
// lists the conflicts for the user to decide. Modal.
#include "kit/window_base.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tessaly {

class UploadConflictWindow;
struct UploadOutcome;

class UploadWindow : public QDialog, public FormWindow {
    Q_OBJECT
public:
    explicit UploadWindow(WindowHost &host, QWidget *parent = nullptr);

    QLabel *noteLabel = nullptr;
    QLabel *queueCountLabel = nullptr;          // the queue's count when the window opened
    QPushButton *startButton = nullptr;   // 上传数据
    QPushButton *closeButton = nullptr;   // 退出上传
    QProgressBar *progressBar = nullptr;
    // The conflicts of the last upload, while that list is open.
    QPointer<UploadConflictWindow> conflictWindow;

public slots:
    void Form_Load() override;
    void startClicked();   // UploadLocalChanges
    void closeClicked();

private:
    // One message: what the upload added, changed, skipped and left as conflicts, or why it failed.
    void report(const UploadOutcome &r);
};

} // namespace tessaly
