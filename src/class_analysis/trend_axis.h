#pragma once
// What the trend charts share: the exam-count checks, the x step, the ticks'
// extents, the exam numbers under the x axis and a student's two curves.
#include "widgets/chart_surface.h"

#include <QList>
#include <QPoint>
#include <QString>

class QWidget;

namespace tessaly::analysis {

// Markers, ticks and segments per exam: points 0 .. kTrendPoints - 1.
inline constexpr int kTrendPoints = 65;
// At most this many exams are drawn.
inline constexpr int kMaxTrendExams = 60;

// The checks before a trend chart is drawn ("提示……").
inline const QString kNoExamChosen = QStringLiteral("你还没有在(已有的考试)中选出哪些考试需要分析。");
inline const QString kTooManyExams = QStringLiteral("本程序最大分析次数不能超过60次考试。");
inline const QString kOneExamRefused =
    QStringLiteral("只有一次考试进行分析，是看不出什么结果的，所以无法分析。");
inline const QString kOneExamQuestion = QStringLiteral("只选择一次考试进行分析，是看不出什么结果的。继续吗？");
inline const QString kNoStudentChosen = QStringLiteral("你还没有选出需要分析的学生名字。");

// The checks of the exam count before a student's trend is drawn: none, or
// more than kMaxTrendExams, is refused; one is drawn only when the user agrees.
// False when the chart is not to be drawn.
bool confirmStudentTrendCount(QWidget *parent, int exams);

// The x step between the points of Z exams: 7080 / (Z - 1), halves to even
// (442 for 17 exams), so the last point stands at or near x 7440; 0 for one.
int trendStep(int points);

// The fixed extent of the tick of point k: every fifth (k = 4, 9, …) from y
// 1920 to 2040, the first four and the sixteenth from 1970 to 2040, all
// others from 1965 to 2035.
void setTickExtent(chart::LineElement &tick, int k);

// One number label: the point it stands under and the number it shows.
struct AxisLabel {
    int point = 0;    // k, 1 .. Z-1 (point 0 has a fixed "1" of its own)
    int number = 0;   // k + 1
};

// The labels of Z points, in slot order. Up to 12 points every point from 1 is
// numbered; from 13 to 20 every second (3, 5, 7, …); from 21 every fifth
// (5, 10, 15, …), so at most 12 labels for 60 points.
QList<AxisLabel> thinAxisLabels(int pointCount);

// One exam of a student's curves: drawn only with a value, at the rank
// marker's and the value marker's Top; the rank marker's tooltip.
struct StudentTrendPoint {
    bool drawn = false;
    int rankTop = 0;
    int valueTop = 0;
    QString toolTip;
};

// A student's curves over 1 to kMaxTrendExams points at the x step of their
// count: the name caption Label7 11; per point the tick Line3 (thick when
// drawn), the rank marker Label1 and the value marker Shape2; the segments
// Line5 (rank) and Line4 (value) joining consecutive drawn points, so a point
// without a value is bridged; the curve tags Label7 12 and 15 beside the last
// drawn point, or at their places of rest when none is drawn; the exam numbers
// Label4 16 .. 27. The elements past the last point are hidden.
void drawStudentCurves(chart::ChartFrame &frame, const QString &name, const QList<StudentTrendPoint> &points,
                       QPoint rankTagRest, QPoint valueTagRest);

} // namespace tessaly::analysis
