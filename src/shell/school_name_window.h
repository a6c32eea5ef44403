#pragma once
// 学校名称设置: asks for the school name and writes it to XM.DLL.
// Modal at start-up when the name is empty, modeless from the file menu.
#include "kit/window_base.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessaly {


class SchoolNameWindow : public QDialog, public FormWindow {
    Q_OBJECT
public:
    explicit SchoolNameWindow(WindowHost &host, QWidget *parent = nullptr);

    QLabel *promptLabel = nullptr;
    QLineEdit *nameBox = nullptr;
    QPushButton *okButton = nullptr;   // 确定: save
    QPushButton *cancelButton = nullptr;   // 取  消

public slots:
    void Form_Load() override;
    void okClicked();
    void cancelClicked();

private:
};

} // namespace tessaly
