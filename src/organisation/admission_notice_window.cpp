#include "organisation/admission_notice_window.h"

#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "widgets/fonts.h"
#include "widgets/units.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace tessaly {

namespace {

// Design geometry in twips.
constexpr int kPageLeft = 120;
constexpr int kPageTop = 120;
constexpr int kPageWidth = 11265;
constexpr int kPageHeight = 19800;
constexpr int kScrollWidth = 269;
constexpr int kScrollHeight = 6855;
constexpr int kBarTop = 6840;
constexpr int kBarHeight = 1095;
constexpr int kInnerWidth = 11700;
constexpr QRect kPanel(3480, 1920, 4455, 2895);

// The application's window colour instead of the dark one of the window.
void ownWindowColour(QWidget *w)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    w->setPalette(p);
}

} // namespace

AdmissionNoticeWindow::AdmissionNoticeWindow(WindowHost &host, QWidget *parent)
    : QWidget(parent), FormWindow(host)
{
    setObjectName(QString::fromUtf16(kAdmissionNoticeWindow));
    setWindowTitle(QStringLiteral("打印入学通知书"));
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, QColor(0x40, 0x40, 0x40));
    setPalette(dark);

    // The page.
    noticePanel = named(new QFrame(this), "Picture1");
    noticePanel->setAutoFillBackground(true);
    QPalette white = noticePanel->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    noticePanel->setPalette(white);
    noticePanel->setGeometry(twipsRect(kPageLeft, kPageTop, kPageWidth, kPageHeight));
    noticeHeading = named(new QLabel(QStringLiteral("录取通知书"), noticePanel), "Label3");
    noticeHeading->setFont(cjkFont(QStringLiteral("隶书"), 48));
    noticeHeading->setAlignment(Qt::AlignCenter);
    noticeHeading->setGeometry(twipsRect(0, 600, kPageWidth, 1400));
    noticeText = named(new QLineEdit(QStringLiteral("正在编程中……"), noticePanel), "Text3");
    noticeText->setAlignment(Qt::AlignCenter);
    noticeText->setFrame(false);
    noticeText->setGeometry(twipsRect(3600, 2400, 4065, 420));

    noticeScroll = named(new QScrollBar(Qt::Vertical, this), "VScroll1");
    noticeScroll->setSingleStep(300);
    noticeScroll->setPageStep(3000);
    ownWindowColour(noticeScroll);

    // The button bar.
    buttonPanel = named(new QFrame(this), "Picture2");
    buttonPanel->setAutoFillBackground(true);
    ownWindowColour(buttonPanel);
    buttonPanel->setFrameShape(QFrame::Panel);
    buttonPanel->setFrameShadow(QFrame::Raised);
    settingsButton = named(new QPushButton(QStringLiteral("设置"), buttonPanel), "Command4");
    printButton = named(new QPushButton(QStringLiteral("打印"), buttonPanel), "Command2");
    closeButton = named(new QPushButton(QStringLiteral("关闭"), buttonPanel), "Command5");
    printHeading = named(new QLabel(QStringLiteral("打印录取通知书"), buttonPanel), "Label4");
    printHeading->setAlignment(Qt::AlignCenter);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch(1);
    for (QPushButton *b : {settingsButton, printButton, closeButton}) {
        b->setMinimumWidth(twipsToPixels(1200));
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    auto *bar = new QVBoxLayout(buttonPanel);
    bar->setContentsMargins(8, 6, 8, 4);
    bar->setSpacing(2);
    bar->addLayout(buttons);
    bar->addWidget(printHeading);

    // The settings panel.
    settingsFrame = named(new QFrame(this), "Frame1");
    settingsFrame->setFrameShape(QFrame::Panel);
    settingsFrame->setFrameShadow(QFrame::Raised);
    settingsFrame->setAutoFillBackground(true);
    ownWindowColour(settingsFrame);
    settingsHeading = named(new QLabel(QStringLiteral("通知书设置"), settingsFrame), "Label15");
    settingsHeading->setFont(cjkFont(QStringLiteral("黑体"), 11));
    settingsHeading->setAutoFillBackground(true);
    QPalette strip = settingsHeading->palette();
    strip.setColor(QPalette::Window, QColor(0x00, 0x00, 0x80));
    strip.setColor(QPalette::WindowText, Qt::white);
    settingsHeading->setPalette(strip);
    settingsHeading->setContentsMargins(6, 3, 6, 3);
    pictureLabel = named(new QLabel(QStringLiteral("选择背景图片"), settingsFrame), "Label1");
    pictureBox = named(new QLineEdit(settingsFrame), "Text1");
    browsePictureButton = named(new QPushButton(QStringLiteral("浏览"), settingsFrame), "Command1");
    studentListLabel = named(new QLabel(QStringLiteral("选择学生名单"), settingsFrame), "Label2");
    studentListBox = named(new QLineEdit(settingsFrame), "Text2");
    browseStudentListButton = named(new QPushButton(QStringLiteral("浏览"), settingsFrame), "Command3");
    paperSizeLabel = named(new QLabel(QStringLiteral("通知书大小"), settingsFrame), "lb");
    paper32kOption = named(new QRadioButton(QStringLiteral("32Ｋ纸"), settingsFrame), "Option1");
    paper16kOption = named(new QRadioButton(QStringLiteral("16Ｋ纸"), settingsFrame), "Option2");
    confirmSettingsButton = named(new QPushButton(QStringLiteral("确定"), settingsFrame), "Command6");
    cancelSettingsButton = named(new QPushButton(QStringLiteral("取消"), settingsFrame), "Command12");
    for (QPushButton *b : {browsePictureButton, browseStudentListButton})
        b->setFixedWidth(twipsToPixels(700));

    auto *panel = new QVBoxLayout(settingsFrame);
    panel->setContentsMargins(2, 2, 2, 10);
    panel->setSpacing(8);
    panel->addWidget(settingsHeading);
    auto *rows = new QGridLayout;
    rows->setContentsMargins(10, 2, 10, 0);
    rows->setHorizontalSpacing(6);
    rows->setVerticalSpacing(8);
    rows->addWidget(pictureLabel, 0, 0);
    rows->addWidget(pictureBox, 0, 1);
    rows->addWidget(browsePictureButton, 0, 2);
    rows->addWidget(studentListLabel, 1, 0);
    rows->addWidget(studentListBox, 1, 1);
    rows->addWidget(browseStudentListButton, 1, 2);
    rows->addWidget(paperSizeLabel, 2, 0);
    auto *options = new QHBoxLayout;
    options->addWidget(paper32kOption);
    options->addWidget(paper16kOption);
    options->addStretch(1);
    rows->addLayout(options, 2, 1, 1, 2);
    rows->setColumnStretch(1, 1);
    panel->addLayout(rows);
    panel->addStretch(1);
    auto *panelButtons = new QHBoxLayout;
    panelButtons->addStretch(1);
    panelButtons->addWidget(confirmSettingsButton);
    panelButtons->addWidget(cancelSettingsButton);
    panelButtons->addStretch(1);
    panel->addLayout(panelButtons);
    const QRect design = twipsRect(kPanel.x(), kPanel.y(), kPanel.width(), kPanel.height());
    settingsFrame->setGeometry(QRect(design.topLeft(), design.size().expandedTo(settingsFrame->sizeHint())));
    settingsFrame->hide();

    connect(settingsButton, &QPushButton::clicked, this, &AdmissionNoticeWindow::settingsClicked);
    connect(confirmSettingsButton, &QPushButton::clicked, this, &AdmissionNoticeWindow::confirmSettingsClicked);
    connect(cancelSettingsButton, &QPushButton::clicked, this, &AdmissionNoticeWindow::cancelSettingsClicked);
    connect(browsePictureButton, &QPushButton::clicked, this, &AdmissionNoticeWindow::browsePictureClicked);
    connect(closeButton, &QPushButton::clicked, this, &AdmissionNoticeWindow::closeClicked);
    connect(noticeScroll, &QScrollBar::valueChanged, this, &AdmissionNoticeWindow::noticeScrolled);
    connect(noticeScroll, &QScrollBar::sliderMoved, this, &AdmissionNoticeWindow::noticeScrolling);
}

QSize AdmissionNoticeWindow::sizeHint() const
{
    return twipsRect(0, 0, kInnerWidth, kBarTop + kBarHeight).size();
}

void AdmissionNoticeWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeBars();
}

void AdmissionNoticeWindow::placeBars()
{
    const int barTop = std::max(0, height() - twipsToPixels(kBarHeight));
    buttonPanel->setGeometry(0, barTop, width(), height() - barTop);
    const int scrollWidth = twipsToPixels(kScrollWidth);
    // As designed, the scroll bar reaches 15 twips under the button bar.
    const int scrollHeight = std::min(twipsToPixels(kScrollHeight), barTop + twipsToPixels(kScrollHeight - kBarTop));
    noticeScroll->setGeometry(width() - scrollWidth, 0, scrollWidth, scrollHeight);
    // The scroll range: the page's height less the scroll bar's, plus 100.
    noticeScroll->setRange(-50, kPageHeight - pixelsToTwips(noticeScroll->height()) + 100);
}

void AdmissionNoticeWindow::Form_Load()
{
    MoveToTopLeft(this, Arrangement::OnResize);
    placeBars();
}

int AdmissionNoticeWindow::pageTopTwips() const
{
    return pixelsToTwips(noticePanel->y());
}

void AdmissionNoticeWindow::settingsClicked()
{
    settingsFrame->show();
    settingsFrame->raise();
}

void AdmissionNoticeWindow::confirmSettingsClicked()
{
    settingsFrame->hide();
}

void AdmissionNoticeWindow::cancelSettingsClicked()
{
    settingsFrame->hide();
}

void AdmissionNoticeWindow::browsePictureClicked()
{
    CommonDialog1.DialogTitle = QStringLiteral("打开");
    CommonDialog1.CancelError = false;
    CommonDialog1.Filter = QStringLiteral(
        "bmp文件 (*.bmp)|*.bmp|jpg文件 (*.jpg)|*.jpg|jpeg文件 (*.jpeg)|*.jpeg|gif文件 (*.gif)|*.gif");
    CommonDialog1.ShowOpen(this);
    if (!CommonDialog1.FileName.isEmpty())
        pictureBox->setText(CommonDialog1.FileName);
}

void AdmissionNoticeWindow::noticeScrolled()
{
    noticePanel->move(noticePanel->x(), twipsToPixels(-noticeScroll->value()));
}

void AdmissionNoticeWindow::noticeScrolling()
{
    noticeScrolled();
}

void AdmissionNoticeWindow::closeClicked()
{
    CloseWindow(this);
}

} // namespace tessaly
