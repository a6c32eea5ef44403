#pragma once
// 学校名称设置: asks for the school name and writes it to XM.DLL.
// Modal at start-up when the name is empty, modeless from the file menu.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessaly {

class MainWindow;

class SchoolNameWindow : public QDialog {
    Q_OBJECT
public:
    explicit SchoolNameWindow(MainWindow &main, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QPushButton *Command1 = nullptr;   // 确定: save
    QPushButton *Command2 = nullptr;   // 取  消

public slots:
    void Form_Load();
    void Command1_Click();
    void Command2_Click();

private:
    MainWindow &m_main;
};

} // namespace tessaly
