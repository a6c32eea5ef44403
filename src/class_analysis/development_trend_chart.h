#pragma once
// The development trend chart of 学生发展趋势 (Frame5 成绩发展趋势图): one
// student's class rank (red squares, Label1) and exam total (black circles,
// Shape2) across the ticked exams, each total drawn against the exam's class
// average. The figures are the totals grid's cell texts, as the grid shows them.
#include "class_analysis/trend_axis.h"
#include "widgets/chart_surface.h"

#include <QList>
#include <QString>

namespace tessaly::analysis {

// One ticked exam of the clicked student: the exam's display name and the
// grid's texts of the participants, the student's rank and total, and the
// class average. An empty rank means no total: the point is not drawn.
struct TrendPointCells {
    QString exam;
    QString participants;
    QString rank;
    QString total;
    QString average;
};

// The frame as the window shows it before a student is drawn.
chart::ChartFrame designDevelopmentChart();

// Draws 1 to kMaxTrendExams points (the caller checks the count): the name
// caption, the markers with the rank markers' tooltips, the segments joining
// consecutive drawn points, the ticks and the thinned exam numbers; the
// elements past the last point are hidden.
void drawDevelopmentTrend(chart::ChartFrame &frame, const QString &name, const QList<TrendPointCells> &points);

// Where a point's markers stand for participants P, rank R, total T and class
// average A: Top of the rank marker (1960 − (P − R)·u, u = 1560 / P rounded
// half to even) and of the total marker (1990 − T·860 / A; on the average
// line, 1130, when the average is 0).
int rankMarkerTop(double participants, double rank);
int totalMarkerTop(double total, double average);

} // namespace tessaly::analysis
