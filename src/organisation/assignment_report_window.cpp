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

    Label1 = named(new QLabel(design.heading, this), "Label1");
    Label1->setFont(cjkFont(QStringLiteral("黑体"), 16, design.boldHeading));
    Label1->setAlignment(Qt::AlignCenter);
    Text1 = named(new QPlainTextEdit(this), "Text1");
    Text1->setFont(cjkFont(QStringLiteral("宋体"), 11));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Command1 = named(new QPushButton(QStringLiteral("打印(&P)"), this), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("关闭(&C)"), this), "Command2");

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->addWidget(Label1);
    layout->addWidget(Text1, 1);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &AssignmentReportWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &AssignmentReportWindow::Command2_Click);
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
    setBoxText(Text1, report.text);
}

void AssignmentReportWindow::Command1_Click()
{
    host().handToPrintPage(m_design.printPrefix + boxText(Text1));
}

void AssignmentReportWindow::Command2_Click()
{
    CloseWindow(this);
}

} // namespace tessaly
