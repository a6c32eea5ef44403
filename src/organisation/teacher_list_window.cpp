#include "organisation/teacher_list_window.h"

#include "kit/window_names.h"

namespace tessaly {

TeacherListWindow::TeacherListWindow(WindowHost &host, QWidget *parent)
    : AssignmentReportWindow(host, parent,
                             {QStringLiteral("任课教师分工"), QStringLiteral("任课教师分工表"), true,
                              organisation::BuildTeacherReport, QString()})
{
    setObjectName(QString::fromUtf16(kTeacherListWindow));
}

} // namespace tessaly
