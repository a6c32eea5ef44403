#pragma once
// 关于 (AboutWindow), caption "关于 Tessaly": the program's title, version and
// purpose, and "系统信息(&S)..." starting the system-information program
// (system_information.h) or saying it is not available. Reads no database.
#include "kit/window_base.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace tessaly {

class AboutWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit AboutWindow(WindowHost &host, QWidget *parent = nullptr);

    QLabel *iconLabel = nullptr;
    QLabel *titleLabel = nullptr;
    QLabel *versionLabel = nullptr;
    QLabel *descriptionLabel = nullptr;
    QPushButton *okButton = nullptr;        // 确    定(&T)
    QPushButton *systemInfoButton = nullptr;  // 系统信息(&S)...


public slots:
    void Form_Load() override;
    void systemInfoClicked();
    void okClicked();
    // The registry's system-information program, or the message when there is none.
    void StartSysInfo();
};

} // namespace tessaly
