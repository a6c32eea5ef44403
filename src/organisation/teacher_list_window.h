#pragma once
// 任课教师分工 (TeacherListWindow): per grade group and class, each subject
// teacher with the subject taught (BuildTeacherReport). Printing hands the print
// page the box's text unchanged.
#include "organisation/assignment_report_window.h"

namespace tessaly {

class TeacherListWindow : public AssignmentReportWindow {
    Q_OBJECT
public:
    explicit TeacherListWindow(WindowHost &host, QWidget *parent = nullptr);
};

} // namespace tessaly
