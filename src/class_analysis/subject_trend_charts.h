#pragma once
// The two charts of 单科多次成绩横向分析, as chart frames (widgets/chart_surface.h):
//   Frame3 总体成绩发展趋势图   the class average over the chosen exams
//   Frame5 成绩发展趋势图       one student's ranks and scores over them
// design*() gives a frame as the window shows it before the first drawing;
// draw*() moves, shows, hides, captions and sets the tooltips of its elements.
// `chosen` holds the exam list's indices of the ticked exams, top to bottom,
// and `examNames` the list's texts; matrix column c belongs to list entry c - 1.
#include "class_analysis/subject_trend.h"
#include "class_analysis/trend_axis.h"
#include "widgets/chart_surface.h"

namespace tessaly::analysis {

chart::ChartFrame designClassTrendChart();
chart::ChartFrame designStudentTrendChart();

// Nodes Label1 65.., segments Line4 65.., ticks Line3 65.. and the number
// labels Label4 1..12; the elements beyond the chosen exams are hidden.
// Expects 2 to 60 chosen exams. `fullMarks` holds each exam's full mark (as the
// matrix's columns); when the chosen exams' full marks differ, each average is
// drawn as its share of the full mark (a score of 100 %: 100 points high) and the
// note Label8 0 says so; otherwise the averages as they are, the note hidden.
void drawClassTrend(chart::ChartFrame &frame, const ScoreMatrix &matrix, const QList<int> &chosen,
                    const QStringList &examNames, const QList<float> &fullMarks = {});

// The note of a class trend drawn as shares of differing full marks.
inline const QString kFullMarksDifferNote =
    QStringLiteral("各次考试满分不同，曲线画的是平均分占满分的百分比");

// Rank markers Label1, score markers Shape2, ticks Line3, rank segments Line5,
// score segments Line4 and the number labels Label4 16..27 of the student
// (0-based matrix student) whose box entry is `itemText`. Exams without the
// student's score get a thin tick and no markers; the curves bridge them.
// Expects 1 to 60 chosen exams.
void drawStudentTrend(chart::ChartFrame &frame, const ScoreMatrix &matrix, int student, const QString &itemText,
                      const QList<int> &chosen, const QStringList &examNames);

} // namespace tessaly::analysis
