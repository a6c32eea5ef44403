#pragma once
// 班主任分工 (HeadTeacherListWindow): per grade group, each class with its actual
// name and head teacher (BuildHeadTeacherReport). Printing hands the print page
// seven blanks followed by the box's text, so only the title line is shifted.
#include "organisation/assignment_report_window.h"

namespace tessaly {

class HeadTeacherListWindow : public AssignmentReportWindow {
    Q_OBJECT
public:
    explicit HeadTeacherListWindow(WindowHost &host, QWidget *parent = nullptr);
};

} // namespace tessaly
