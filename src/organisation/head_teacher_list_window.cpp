#include "organisation/head_teacher_list_window.h"

#include "kit/window_names.h"

namespace tessaly {

HeadTeacherListWindow::HeadTeacherListWindow(WindowHost &host, QWidget *parent)
    : AssignmentReportWindow(host, parent,
                             {QStringLiteral("班主任分工"), QStringLiteral(" 班 主 任 分 工 表"), false,
                              organisation::BuildHeadTeacherReport, QString(7, QLatin1Char(' '))})
{
    setObjectName(QString::fromUtf16(kHeadTeacherListWindow));
}

} // namespace tessaly
