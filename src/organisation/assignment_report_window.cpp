#include "organisation/assignment_report_window.h"

#include "kit/text_box.h"
#include "kit/database_unavailable.h"
#include "kit/save_report.h"
#include "kit/window_steps.h"
#include "db/database.h"
#include "widgets/fonts.h"
#include "widgets/messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

AssignmentReportWindow::AssignmentReportWindow(WindowHost &host, QWidget *parent, const Design &design)
    : QWidget(parent), FormWindow(host), m_design(design)
{
    setWindowTitle(design.caption);

    headingLabel = named(new QLabel(design.heading, this), "Label1");
    headingLabel->setFont(cjkFont(QStringLiteral("黑体"), 16, design.boldHeading));
    headingLabel->setAlignment(Qt::AlignCenter);
    reportBox = named(new QPlainTextEdit(this), "Text1");
    reportBox->setFont(cjkFont(QStringLiteral("宋体"), 11));
    reportBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reportBox->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    printButton = named(new QPushButton(QStringLiteral("打印(&P)"), this), "Command1");
    closeButton = named(new QPushButton(QStringLiteral("关闭(&C)"), this), "Command2");

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(printButton);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->addWidget(headingLabel);
    layout->addWidget(reportBox, 1);
    layout->addLayout(buttons);

    connect(printButton, &QPushButton::clicked, this, &AssignmentReportWindow::printClicked);
    connect(closeButton, &QPushButton::clicked, this, &AssignmentReportWindow::closeClicked);
}

void AssignmentReportWindow::Form_Load()
{
    SetWindowSize(this, 7575, 5355);
    CentreOnMainWindow(this, host().hostWidget(), 400);
    if (!databaseAvailable(*this, this))
        return;
    const organisation::AssignmentReport report = m_design.build(connection());
    if (!report.ok())
        reportReadFailure(this, connection().error());
    setBoxText(reportBox, report.text);
}

void AssignmentReportWindow::printClicked()
{
    host().handToPrintPage(m_design.printPrefix + boxText(reportBox));
}

void AssignmentReportWindow::closeClicked()
{
    CloseWindow(this);
}

} // namespace tessaly
