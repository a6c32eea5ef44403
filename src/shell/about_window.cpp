#include "shell/about_window.h"

#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "os/app_version.h"
#include "widgets/fonts.h"
#include "widgets/messages.h"
#include "os/registry.h"
#include "shell/system_information.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

namespace {

// The product picture: a rising score curve on a blue tile.
QPixmap productPicture()
{
    const int size = 48;
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x1f, 0x4e, 0x8c), 1.5));
    p.setBrush(QColor(0xe3, 0xee, 0xfa));
    p.drawRoundedRect(QRectF(1.5, 1.5, size - 3, size - 3), 7, 7);
    p.setPen(QPen(QColor(0x9a, 0xb4, 0xd4), 1));
    for (int y = 14; y < size - 6; y += 9)
        p.drawLine(QPointF(8, y), QPointF(size - 8, y));
    QPainterPath curve(QPointF(9, 37));
    curve.cubicTo(QPointF(18, 34), QPointF(22, 24), QPointF(28, 26));
    curve.cubicTo(QPointF(33, 28), QPointF(35, 14), QPointF(40, 10));
    p.setPen(QPen(QColor(0xc6, 0x28, 0x28), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc6, 0x28, 0x28));
    p.drawEllipse(QPointF(40, 10), 3, 3);
    return pm;
}

} // namespace

AboutWindow::AboutWindow(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host)
{
    setObjectName(QString::fromUtf16(kAboutWindow));

    iconLabel = named(new QLabel(this), "picIcon");
    iconLabel->setPixmap(productPicture());
    iconLabel->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    titleLabel = named(new QLabel(this), "lblTitle");
    titleLabel->setFont(cjkFont(QStringLiteral("隶书"), 20, true));
    titleLabel->setAlignment(Qt::AlignCenter);
    QPalette blue = titleLabel->palette();
    blue.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xff));
    titleLabel->setPalette(blue);

    versionLabel = named(new QLabel(this), "lblVersion");
    descriptionLabel = named(new QLabel(QStringLiteral(
                                          "    软件开发意图:《Tessaly》适合小学、初中、高中教师研究和分析每个"
                                          "学生每科成绩的发展变化及发展趋势，科学掌握学生成长过程，因材施教。"),
                                      this),
                           "lblDescription");
    descriptionLabel->setWordWrap(true);
    descriptionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    okButton = named(new QPushButton(QStringLiteral("确    定(&T)"), this), "CmOK");
    okButton->setDefault(true);
    systemInfoButton = named(new QPushButton(QStringLiteral("系统信息(&S)..."), this), "cmdSysInfo");
    okButton->setMinimumWidth(systemInfoButton->sizeHint().width());

    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(okButton);
    buttons->addWidget(systemInfoButton);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(16, 16, 16, 14);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(8);
    grid->addWidget(iconLabel, 0, 0, 3, 1);
    grid->addWidget(titleLabel, 0, 1);
    grid->addWidget(versionLabel, 1, 1);
    grid->addWidget(descriptionLabel, 2, 1);
    grid->setRowStretch(2, 1);
    grid->addWidget(line, 3, 0, 1, 2);
    grid->addLayout(buttons, 4, 1, Qt::AlignRight);

    connect(okButton, &QPushButton::clicked, this, &AboutWindow::okClicked);
    connect(systemInfoButton, &QPushButton::clicked, this, &AboutWindow::systemInfoClicked);
}

void AboutWindow::Form_Load()
{
    SetWindowSize(this, 7335, 4815);
    CentreOnMainWindow(this, host().hostWidget(), 400);
    setWindowTitle(QStringLiteral("关于 ") + kProgramTitle);
    versionLabel->setText(QStringLiteral("版本 %1.%2.%3").arg(kAppMajor).arg(kAppMinor).arg(kAppRevision));
    titleLabel->setText(kProgramTitle);
}

void AboutWindow::systemInfoClicked()
{
    StartSysInfo();
}

void AboutWindow::okClicked()
{
    CloseWindow(this);
}

void AboutWindow::StartSysInfo()
{
    if (!StartSysInfoProgram(Registry(Registry::systemFile())))
        showNotice(this, SystemSummary(session().programFolder), kProgramTitle);
}

} // namespace tessaly
