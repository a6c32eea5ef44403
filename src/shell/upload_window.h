#pragma once
// 数据上传 (caption "本机修改数据上传"): writes the rows queued in the local
// database's 上传表 into the database openpath names (the server copy), then
// empties the queue. Modal.
#include "kit/window_base.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tessaly {

class UploadWindow : public QDialog, public FormWindow {
    Q_OBJECT
public:
    explicit UploadWindow(WindowHost &host, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;          // the queue's count when the window opened
    QPushButton *Command1 = nullptr;   // 上传数据
    QPushButton *Command2 = nullptr;   // 退出上传
    QProgressBar *ProgressBar1 = nullptr;

public slots:
    void Form_Load() override;
    void Command1_Click();   // UploadLocalChanges
    void Command2_Click();
};

} // namespace tessaly
