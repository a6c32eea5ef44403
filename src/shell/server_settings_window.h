#pragma once
// 服务器设置 (caption "连接服务器设置"): the installer path on the server is
// entered, tested and saved, which switches openpath to the server database;
// or the program goes back to the local database.
// Modeless from the file menu and the toolbar, modal from 与服务器的连接.
#include "kit/window_base.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessaly {

class ServerSettingsWindow : public QDialog, public FormWindow {
    Q_OBJECT
public:
    explicit ServerSettingsWindow(WindowHost &host, QWidget *parent = nullptr);

    QLabel *howToLabel = nullptr;          // how to write the path
    QLabel *pathLabel = nullptr;          // "服务器上的文件路径："
    QLineEdit *pathBox = nullptr;        // the server installer path
    QPushButton *browseButton = nullptr;   // 浏览
    QPushButton *testButton = nullptr;   // 测试服务器连接
    QPushButton *useLocalButton = nullptr;   // 使用本地数据库
    QPushButton *exitButton = nullptr;   // 退出

public slots:
    void Form_Load() override;
    void browseClicked();
    void testClicked();   // TestServerConnection
    void useLocalClicked();   // UseLocalDatabase
    void exitClicked();
};

} // namespace tessaly
