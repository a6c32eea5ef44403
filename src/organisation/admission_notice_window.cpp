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
    Picture1 = named(new QFrame(this), "Picture1");
    Picture1->setAutoFillBackground(true);
    QPalette white = Picture1->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    Picture1->setPalette(white);
    Picture1->setGeometry(twipsRect(kPageLeft, kPageTop, kPageWidth, kPageHeight));
    Label3 = named(new QLabel(QStringLiteral("录取通知书"), Picture1), "Label3");
    Label3->setFont(cjkFont(QStringLiteral("隶书"), 48));
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setGeometry(twipsRect(0, 600, kPageWidth, 1400));
    Text3 = named(new QLineEdit(QStringLiteral("正在编程中……"), Picture1), "Text3");
    Text3->setAlignment(Qt::AlignCenter);
    Text3->setFrame(false);
    Text3->setGeometry(twipsRect(3600, 2400, 4065, 420));

    VScroll1 = named(new QScrollBar(Qt::Vertical, this), "VScroll1");
    VScroll1->setSingleStep(300);
    VScroll1->setPageStep(3000);
    ownWindowColour(VScroll1);

    // The button bar.
    Picture2 = named(new QFrame(this), "Picture2");
    Picture2->setAutoFillBackground(true);
    ownWindowColour(Picture2);
    Picture2->setFrameShape(QFrame::Panel);
    Picture2->setFrameShadow(QFrame::Raised);
    Command4 = named(new QPushButton(QStringLiteral("设置"), Picture2), "Command4");
    Command2 = named(new QPushButton(QStringLiteral("打印"), Picture2), "Command2");
    Command5 = named(new QPushButton(QStringLiteral("关闭"), Picture2), "Command5");
    Label4 = named(new QLabel(QStringLiteral("打印录取通知书"), Picture2), "Label4");
    Label4->setAlignment(Qt::AlignCenter);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch(1);
    for (QPushButton *b : {Command4, Command2, Command5}) {
        b->setMinimumWidth(twipsToPixels(1200));
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    auto *bar = new QVBoxLayout(Picture2);
    bar->setContentsMargins(8, 6, 8, 4);
    bar->setSpacing(2);
    bar->addLayout(buttons);
    bar->addWidget(Label4);

    // The settings panel.
    Frame1 = named(new QFrame(this), "Frame1");
    Frame1->setFrameShape(QFrame::Panel);
    Frame1->setFrameShadow(QFrame::Raised);
    Frame1->setAutoFillBackground(true);
    ownWindowColour(Frame1);
    Label15 = named(new QLabel(QStringLiteral("通知书设置"), Frame1), "Label15");
    Label15->setFont(cjkFont(QStringLiteral("黑体"), 11));
    Label15->setAutoFillBackground(true);
    QPalette strip = Label15->palette();
    strip.setColor(QPalette::Window, QColor(0x00, 0x00, 0x80));
    strip.setColor(QPalette::WindowText, Qt::white);
    Label15->setPalette(strip);
    Label15->setContentsMargins(6, 3, 6, 3);
    Label1 = named(new QLabel(QStringLiteral("选择背景图片"), Frame1), "Label1");
    Text1 = named(new QLineEdit(Frame1), "Text1");
    Command1 = named(new QPushButton(QStringLiteral("浏览"), Frame1), "Command1");
    Label2 = named(new QLabel(QStringLiteral("选择学生名单"), Frame1), "Label2");
    Text2 = named(new QLineEdit(Frame1), "Text2");
    Command3 = named(new QPushButton(QStringLiteral("浏览"), Frame1), "Command3");
    lb = named(new QLabel(QStringLiteral("通知书大小"), Frame1), "lb");
    Option1 = named(new QRadioButton(QStringLiteral("32Ｋ纸"), Frame1), "Option1");
    Option2 = named(new QRadioButton(QStringLiteral("16Ｋ纸"), Frame1), "Option2");
    Command6 = named(new QPushButton(QStringLiteral("确定"), Frame1), "Command6");
    Command12 = named(new QPushButton(QStringLiteral("取消"), Frame1), "Command12");
    for (QPushButton *b : {Command1, Command3})
        b->setFixedWidth(twipsToPixels(700));

    auto *panel = new QVBoxLayout(Frame1);
    panel->setContentsMargins(2, 2, 2, 10);
    panel->setSpacing(8);
    panel->addWidget(Label15);
    auto *rows = new QGridLayout;
    rows->setContentsMargins(10, 2, 10, 0);
    rows->setHorizontalSpacing(6);
    rows->setVerticalSpacing(8);
    rows->addWidget(Label1, 0, 0);
    rows->addWidget(Text1, 0, 1);
    rows->addWidget(Command1, 0, 2);
    rows->addWidget(Label2, 1, 0);
    rows->addWidget(Text2, 1, 1);
    rows->addWidget(Command3, 1, 2);
    rows->addWidget(lb, 2, 0);
    auto *options = new QHBoxLayout;
    options->addWidget(Option1);
    options->addWidget(Option2);
    options->addStretch(1);
    rows->addLayout(options, 2, 1, 1, 2);
    rows->setColumnStretch(1, 1);
    panel->addLayout(rows);
    panel->addStretch(1);
    auto *panelButtons = new QHBoxLayout;
    panelButtons->addStretch(1);
    panelButtons->addWidget(Command6);
    panelButtons->addWidget(Command12);
    panelButtons->addStretch(1);
    panel->addLayout(panelButtons);
    const QRect design = twipsRect(kPanel.x(), kPanel.y(), kPanel.width(), kPanel.height());
    Frame1->setGeometry(QRect(design.topLeft(), design.size().expandedTo(Frame1->sizeHint())));
    Frame1->hide();

    connect(Command4, &QPushButton::clicked, this, &AdmissionNoticeWindow::Command4_Click);
    connect(Command6, &QPushButton::clicked, this, &AdmissionNoticeWindow::Command6_Click);
    connect(Command12, &QPushButton::clicked, this, &AdmissionNoticeWindow::Command12_Click);
    connect(Command1, &QPushButton::clicked, this, &AdmissionNoticeWindow::Command1_Click);
    connect(Command5, &QPushButton::clicked, this, &AdmissionNoticeWindow::Command5_Click);
    connect(VScroll1, &QScrollBar::valueChanged, this, &AdmissionNoticeWindow::VScroll1_Change);
    connect(VScroll1, &QScrollBar::sliderMoved, this, &AdmissionNoticeWindow::VScroll1_Scroll);
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
    Picture2->setGeometry(0, barTop, width(), height() - barTop);
    const int scrollWidth = twipsToPixels(kScrollWidth);
    // As designed, the scroll bar reaches 15 twips under the button bar.
    const int scrollHeight = std::min(twipsToPixels(kScrollHeight), barTop + twipsToPixels(kScrollHeight - kBarTop));
    VScroll1->setGeometry(width() - scrollWidth, 0, scrollWidth, scrollHeight);
    // The scroll range: the page's height less the scroll bar's, plus 100.
    VScroll1->setRange(-50, kPageHeight - pixelsToTwips(VScroll1->height()) + 100);
}

void AdmissionNoticeWindow::Form_Load()
{
    MoveToTopLeft(this, Arrangement::OnResize);
    placeBars();
}

int AdmissionNoticeWindow::pageTopTwips() const
{
    return pixelsToTwips(Picture1->y());
}

void AdmissionNoticeWindow::Command4_Click()
{
    Frame1->show();
    Frame1->raise();
}

void AdmissionNoticeWindow::Command6_Click()
{
    Frame1->hide();
}

void AdmissionNoticeWindow::Command12_Click()
{
    Frame1->hide();
}

void AdmissionNoticeWindow::Command1_Click()
{
    CommonDialog1.DialogTitle = QStringLiteral("打开");
    CommonDialog1.CancelError = false;
    CommonDialog1.Filter = QStringLiteral(
        "bmp文件 (*.bmp)|*.bmp|jpg文件 (*.jpg)|*.jpg|jpeg文件 (*.jpeg)|*.jpeg|gif文件 (*.gif)|*.gif");
    CommonDialog1.ShowOpen(this);
    if (!CommonDialog1.FileName.isEmpty())
        Text1->setText(CommonDialog1.FileName);
}

void AdmissionNoticeWindow::VScroll1_Change()
{
    Picture1->move(Picture1->x(), twipsToPixels(-VScroll1->value()));
}

void AdmissionNoticeWindow::VScroll1_Scroll()
{
    VScroll1_Change();
}

void AdmissionNoticeWindow::Command5_Click()
{
    CloseWindow(this);
}

} // namespace tessaly
