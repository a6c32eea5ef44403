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

    QLabel *Label1 = nullptr;
    QPushButton *Command1 = nullptr;   // 设置服务器路径
    QPushButton *Command2 = nullptr;   // 使用本机数据库
    QPushButton *Command4 = nullptr;   // 退出系统(&C)

public slots:
    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
};

} // namespace tessaly
