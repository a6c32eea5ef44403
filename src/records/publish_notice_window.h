#pragma once
// 发布信息 (PublishNoticeWindow): anyone may publish a notice into 信息. The
// four boxes are tested in order (title, unit, time, content); a notice is
// added only when all hold text, and "发布成功！" is shown only once the row is
// stored. 查看信息 closes this window and opens the viewer. A notice typed and
// not published is asked about before the window closes, whatever closes it:
// Yes publishes it (a refusal keeps the window), No drops it, Cancel stays.
#include "kit/window_base.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessaly {

class PublishNoticeWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit PublishNoticeWindow(WindowHost &host, QWidget *parent = nullptr);

    QLabel *headingLabel = nullptr;            // heading
    QLineEdit *titleBox = nullptr;          // 发布题目
    QLineEdit *unitBox = nullptr;          // 发布单位
    QLineEdit *timeBox = nullptr;          // 发布时间, today offered
    QPlainTextEdit *contentBox = nullptr;     // 发布内容
    QPushButton *viewButton = nullptr;     // 查看信息
    QPushButton *publishButton = nullptr;     // 发  布
    QPushButton *closeButton = nullptr;     // 关  闭

public slots:
    void Form_Load() override;
    bool mayClose() override;
    void publishClicked();
    void closeClicked();
    void viewClicked();

private:
    // Whether a title, unit or content is typed (the offered time alone is no notice).
    bool hasTypedNotice() const;
    // Publishes the four boxes; false when refused or failed (the user has been told).
    bool publish();
};

} // namespace tessaly
