#pragma once
// 打印通知书 (AdmissionNoticeWindow), caption "打印入学通知书": the page for
// printing admission notices. It shows the preview page Picture1, headed
// "录取通知书", scrolled by VScroll1, and the settings panel Frame1 with the
// background picture chooser. Printing, the student list and the paper sizes
// have nothing behind them yet; the page says "正在编程中……". No database.
//
// Geometry in twips: the page is 11265 x 19800 at (120, 120); the scroll bar
// stands at the right edge from the top, 269 wide and 6855 high; the button
// bar Picture2 lies across the bottom, 1095 high. The scroll range runs from
// -50 to the page's height less the scroll bar's plus 100 (13045). In a window
// too low for the design the scroll bar ends under the button bar's top and
// the range follows its height, so the page's bottom stays reachable.
#include "kit/window_base.h"
#include "widgets/file_chooser.h"

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace tessaly {

class AdmissionNoticeWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit AdmissionNoticeWindow(WindowHost &host, QWidget *parent = nullptr);

    QSize sizeHint() const override;

    // The preview page.
    QFrame *Picture1 = nullptr;
    QLabel *Label3 = nullptr;          // 录取通知书
    QLineEdit *Text3 = nullptr;        // 正在编程中……
    QScrollBar *VScroll1 = nullptr;
    // The button bar.
    QFrame *Picture2 = nullptr;
    QPushButton *Command4 = nullptr;   // 设置: shows the panel
    QPushButton *Command2 = nullptr;   // 打印: nothing yet
    QPushButton *Command5 = nullptr;   // 关闭
    QLabel *Label4 = nullptr;
    // The settings panel.
    QFrame *Frame1 = nullptr;
    QLabel *Label15 = nullptr;         // 通知书设置
    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;        // the chosen background picture
    QPushButton *Command1 = nullptr;   // 浏览: chooses the picture
    QLabel *Label2 = nullptr;
    QLineEdit *Text2 = nullptr;        // the student list: nothing fills it yet
    QPushButton *Command3 = nullptr;   // 浏览: nothing yet
    QLabel *lb = nullptr;
    QRadioButton *Option1 = nullptr;   // 32Ｋ纸
    QRadioButton *Option2 = nullptr;   // 16Ｋ纸
    QPushButton *Command6 = nullptr;   // 确定: hides the panel
    QPushButton *Command12 = nullptr;  // 取消: hides the panel
    CommonDialog CommonDialog1;

    // The page's top in twips, from the top of the window's inner area.
    int pageTopTwips() const;

public slots:
    void Form_Load() override;
    void Command4_Click();
    void Command6_Click();
    void Command12_Click();
    void Command1_Click();
    void VScroll1_Change();
    void VScroll1_Scroll();
    void Command5_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // The button bar across the bottom, the scroll bar at the right edge above
    // it, and the scroll range for the scroll bar's height.
    void placeBars();
};

} // namespace tessaly
