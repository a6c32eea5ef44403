#pragma once
// 下载服务器数据 (caption "下载服务器数据"): copies the server database named by
// PATH.DLL over the local database. Modeless.
#include "kit/window_base.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace tessaly {

class DownloadWindow : public QDialog, public FormWindow {
    Q_OBJECT
public:
    explicit DownloadWindow(WindowHost &host, QWidget *parent = nullptr);

    QLabel *noteLabel = nullptr;
    QPushButton *startButton = nullptr;   // 下载数据
    QPushButton *closeButton = nullptr;   // 取消下载

public slots:
    void startClicked();   // DownloadServerDatabase
    void closeClicked();
};

} // namespace tessaly
