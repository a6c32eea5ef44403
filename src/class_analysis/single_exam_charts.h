#pragma once
// The four charts of 单科成绩分析, as chart frames (widgets/chart_surface.h):
//   Frame3 本试各分数段分布图   the band chart
//   Frame4 总体级别分布图       the level distribution chart
//   Frame1 单生分析图           the single-student chart
//   Frame5 每生成绩总体分布图   the per-student score chart
// design*() gives a frame as the window shows it before the first analysis;
// draw*() moves, sizes, colours, captions, shows and hides its elements.
#include "class_analysis/single_exam.h"
#include "widgets/chart_surface.h"

namespace tessaly::analysis {

chart::ChartFrame designBandChart();
chart::ChartFrame designLevelChart();
chart::ChartFrame designSingleStudentChart();
chart::ChartFrame designScoreCurveChart();

// Bars Label2 0..3 with their captions Label3 0..3.
void drawLevelChart(chart::ChartFrame &frame, const ExamStatistics &stats);

// Bars Label4 1..bands with their captions Label8 0..bands-1; the rest hidden.
// `tipHead` starts every bar's tooltip: subject, exam, grade and class.
void drawBandChart(chart::ChartFrame &frame, const ExamStatistics &stats, const QString &tipHead);

// Markers Shape2, ticks Line3 and segments Line4, one position per row in the
// rows' order; the average line Line22. The arrays are as long as the class
// needs, and the frame's width follows scoreCurveWidth().
void drawScoreCurve(chart::ChartFrame &frame, const QList<ExamRow> &rows, const ExamStatistics &stats);

// The per-student chart's layout for N student rows: narrow below 66 rows,
// wide from 66, and wider still when the class runs past the wide frame.
struct CurveLayout {
    int frameWidth;   // twips
    int gridHeight;   // twips
    int buttonsTop;   // twips
};
CurveLayout scoreCurveLayout(int students);

// The single-student chart: reset, the fixed bars and the pass and average
// bars; then, with a student, that student's standing and score bars.
void drawSingleStudentChart(chart::ChartFrame &frame, const ExamStatistics &stats, const QList<ExamRow> &rows,
                            const ExamRow *student);

} // namespace tessaly::analysis
