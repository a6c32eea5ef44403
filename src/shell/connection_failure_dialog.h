#pragma once
// 与服务器的连接 (caption "与服务器的连接错误……"): offered when the server
// database cannot be opened. Set the server path again, go back to the local
// database, or end the program.
#include "kit/window_base.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace tessaly {

class ConnectionFailureDialog : public QDialog, public FormWindow {
    Q_OBJECT
public:
    explicit ConnectionFailureDialog(WindowHost &host, QWidget *parent = nullptr);

    QLabel *messageLabel = nullptr;
    QPushButton *serverPathButton = nullptr;   // 设置服务器路径
    QPushButton *localDatabaseButton = nullptr;   // 使用本机数据库
    QPushButton *quitButton = nullptr;   // 退出系统(&C)

public slots:
    void serverPathClicked();
    void localDatabaseClicked();
    void quitClicked();
};

} // namespace tessaly
