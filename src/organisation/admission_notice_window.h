#pragma once
// 打印通知书 (AdmissionNoticeWindow), caption "打印入学通知书": the page for
// printing admission notices. It shows the preview page noticePanel, headed
// "录取通知书", scrolled by noticeScroll, and the settings panel settingsFrame with the
// background picture chooser. Printing, the student list and the paper sizes
// have nothing behind them yet; the page says "正在编程中……". No database.
//
// Geometry in twips: the page is 11265 x 19800 at (120, 120); the scroll bar
// stands at the right edge from the top, 269 wide and 6855 high; the button
// bar buttonPanel lies across the bottom, 1095 high. The scroll range runs from
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
    QFrame *noticePanel = nullptr;
    QLabel *noticeHeading = nullptr;          // 录取通知书
    QLineEdit *noticeText = nullptr;        // 正在编程中……
    QScrollBar *noticeScroll = nullptr;
    // The button bar.
    QFrame *buttonPanel = nullptr;
    QPushButton *settingsButton = nullptr;   // 设置: shows the panel
    QPushButton *printButton = nullptr;   // 打印: nothing yet
    QPushButton *closeButton = nullptr;   // 关闭
    QLabel *printHeading = nullptr;
    // The settings panel.
    QFrame *settingsFrame = nullptr;
    QLabel *settingsHeading = nullptr;         // 通知书设置
    QLabel *pictureLabel = nullptr;
    QLineEdit *pictureBox = nullptr;        // the chosen background picture
    QPushButton *browsePictureButton = nullptr;   // 浏览: chooses the picture
    QLabel *studentListLabel = nullptr;
    QLineEdit *studentListBox = nullptr;        // the student list: nothing fills it yet
    QPushButton *browseStudentListButton = nullptr;   // 浏览: nothing yet
    QLabel *paperSizeLabel = nullptr;
    QRadioButton *paper32kOption = nullptr;   // 32Ｋ纸
    QRadioButton *paper16kOption = nullptr;   // 16Ｋ纸
    QPushButton *confirmSettingsButton = nullptr;   // 确定: hides the panel
    QPushButton *cancelSettingsButton = nullptr;  // 取消: hides the panel
    CommonDialog CommonDialog1;

    // The page's top in twips, from the top of the window's inner area.
    int pageTopTwips() const;

public slots:
    void Form_Load() override;
    void settingsClicked();
    void confirmSettingsClicked();
    void cancelSettingsClicked();
    void browsePictureClicked();
    void noticeScrolled();
    void noticeScrolling();
    void closeClicked();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // The button bar across the bottom, the scroll bar at the right edge above
    // it, and the scroll range for the scroll bar's height.
    void placeBars();
};

} // namespace tessaly
