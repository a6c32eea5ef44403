#pragma once
// The comparison charts of 成绩对比分析, as chart frames (widgets/chart_surface.h),
// drawn from the filled statistics grid (subject_statistics.h):
//   class chart        one frame per subject: each class's average against the
//                      subject's group average ("组平均分")
//   teacher chart      one frame per subject: each teacher's participant-weighted
//                      average against the subject average ("科平均分")
//   whole-class chart  one frame: each class over all subjects against the plain
//                      mean of the classes ("组平均线")
// Up to ten frames; each frame holds its own element arrays, indexed by the
// point m (1 .. 30): Line3 tick, Label3 marker, Line4 connector, Label5 name
// (m ≤ 7 only); and Line5 reference line, Label100 reference caption, Label50
// axis caption, Text2 explanation.
#include "grade_analysis/subject_statistics.h"
#include "widgets/chart_surface.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessaly::grades {

inline constexpr int kChartFrames = 10;
inline constexpr int kChartPoints = 30;
inline constexpr int kNamedPoints = 7;
inline constexpr int kReferenceY = 1200;   // the reference line, twips in the frame

// A statistics row as the charts read it: teacher, participants and the
// average as the grid shows it ("0.00" read back), none without participants;
// the class chart's marker tooltip.
struct ChartRow {
    QString teacher;
    int participants = 0;
    std::optional<float> average;
    QString details;   // 平均分, 参考人数, 最高分, 最低分, 及格率 as the grid shows them
};
ChartRow chartRowOf(const ClassStatisticsRow &row);

// What the charts are drawn from: the selected subjects and class items in list
// order, and the rows without separators (subject s, class k at s × n + k).
struct ComparisonData {
    QStringList subjects;
    QStringList classItems;   // 名称, a blank, 其它
    QList<ChartRow> rows;
    const ChartRow &row(int subject, int classIndex) const
    {
        return rows.at(subject * classItems.size() + classIndex);
    }
};
// The data of a fill (its class rows in order; separators skipped).
ComparisonData comparisonDataOf(const QStringList &subjects, const QStringList &classItems,
                                const StatisticsFill &fill);

// A value rounded as "0.00" shows it and read back.
float roundedTwo(float value);

// Sum of participants × average over the rows with an average, divided by their
// participants, rounded; the product sum (0) when no row has participants.
float groupAverage(const QList<ChartRow> &rows);

// Twips per score point: 200 / (best − reference) rounded, or best itself when
// best is 0 or equals the reference.
float chartScale(float best, float reference);

// x of point m (1 .. P) in twips: 360 + (m − 1) × 3480 / (P − 1); 360 for P = 1.
int pointX(int m, int points);

// Frame d (0 .. 9) as laid out: caption empty, its place in the sheet (two
// columns, five rows), the plot area, axes, arrows, axis captions, reference
// line, explanation box; no point shown.
chart::ChartFrame designComparisonChart(int d);

// The charts draw into frames[0 .. charts − 1] and return how many they drew;
// the caller shows those and hides the rest. Each drawn frame has its points
// from 1 to P set and the slots after P hidden.
int drawClassComparison(QList<chart::ChartFrame *> frames, const ComparisonData &data);
int drawTeacherComparison(QList<chart::ChartFrame *> frames, const ComparisonData &data);
// One chart in frames[0], centred in a sheet `sheetWidth` twips wide, at top 2000.
int drawWholeClassComparison(QList<chart::ChartFrame *> frames, const ComparisonData &data, int sheetWidth);

} // namespace tessaly::grades
