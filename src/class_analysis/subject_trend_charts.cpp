#include "class_analysis/subject_trend_charts.h"

#include "widgets/chart_parts.h"
#include "class_analysis/trend_axis.h"
#include "workbook/format.h"

namespace tessaly::analysis {

using namespace chart;

namespace {

const QString kLabel1 = QStringLiteral("Label1");
const QString kLine5 = QStringLiteral("Line5");
const QString kLine6 = QStringLiteral("Line6");

constexpr int kFirstX = 360;         // x of point 0
constexpr int kDesignStep = 120;     // the points as designed, before the first drawing
constexpr int kClassBase = 65;       // the class chart's point k is element 65 + k
constexpr int kClassSlots = 1;       // its number labels: Label4 1 .. 12
constexpr int kStudentSlots = 16;    // the student chart's: Label4 16 .. 27
constexpr int kSlots = 12;
constexpr int kMarkerSize = 105;

// A caption whose characters stand one above the other.
LabelElement &vertical(ChartFrame &f, int index, const QString &caption, int left, int top)
{
    LabelElement &l = chartText(f, kLabel7, index, caption, left, top, 210, 240 * int(caption.size()));
    l.fore = kBlue;
    return l;
}

// The rectangle behind the plot, from x 300, 7815 wide.
ShapeElement &plotBack(ChartFrame &f, int index, int top, int height, QRgb fill)
{
    ShapeElement &back = f.shape(kShape1, index);
    back.kind = ShapeElement::Kind::Rectangle;
    back.left = 300;
    back.top = top;
    back.width = 7815;
    back.height = height;
    back.fill = back.border = fill;
    return back;
}

// The explanation below the plot, in a bordered box.
void explanation(ChartFrame &f, int index, const QString &text, int top, int height)
{
    LabelElement &note = chartText(f, kLabel7, index, text, 120, top, 8175, height);
    note.opaque = true;
    note.border = true;
}

// The fixed parts of both charts: y axis x 240 from 480 to 2040, x axis y 2040
// from 240 to 8160, their arrows and titles, the number "1" under point 0 and
// the blue dotted average line at y 1200.
void frameAxes(ChartFrame &f, int axisItem, int oneItem, int averageItem)
{
    LineElement &y = f.line(kLine1, axisItem);
    y = {240, 480, 240, 2040};
    y.width = 2;
    LineElement &x = f.line(kLine2, axisItem);
    x = {240, 2040, 8160, 2040};
    x.width = 2;
    LabelElement &up = chartText(f, kLabel7, 2, QStringLiteral("↑"), 150, 330, 180);
    up.bold = true;
    up.alignment = Qt::AlignHCenter;
    LabelElement &right = chartText(f, kLabel6, 0, QStringLiteral("→"), 8040, 1920, 240);
    right.bold = true;
    chartText(f, kLabel7, 5, QStringLiteral("分数"), 360, 240, 600);
    LabelElement &title = chartText(f, kLabel7, 0, QStringLiteral("考试次数"), 7600, 2075, 720);
    title.pointSize = kSmallPoints;   // clear of the number under the last point
    title.wordWrap = false;
    LabelElement &one = chartText(f, kLabel7, oneItem, QStringLiteral("1"), 240, 2040, 255, 255);
    one.alignment = Qt::AlignHCenter;
    one.pointSize = kSmallPoints;
    LineElement &average = f.line(kLine22, averageItem);
    average = {240, 1200, 8160, 1200, kBlue};
    average.dotted = true;
}

// Tick `index` at x, as point k's.
void tick(ChartFrame &f, int index, int x, int k)
{
    LineElement &t = f.line(kLine3, index);
    t = {x, 0, x, 0};
    setTickExtent(t, k);
}

// The number labels as designed: "5", "10", … "60" under every fifth point.
void designNumbers(ChartFrame &f, int firstSlot)
{
    for (int i = 1; i <= kSlots; ++i) {
        LabelElement &l = chartText(f, kLabel4, firstSlot + i - 1, QString::number(5 * i), 720 + 600 * (i - 1), 2040,
                                    255, 150);
        l.alignment = Qt::AlignHCenter;
        l.pointSize = kSmallPoints;
        l.wordWrap = false;
    }
}

// The exam numbers of `count` points at step h: slots hidden, then set afresh.
void placeNumbers(ChartFrame &f, int firstSlot, int count, int h)
{
    for (int i = 0; i < kSlots; ++i)
        f.label(kLabel4, firstSlot + i).visible = false;
    int slot = firstSlot;
    for (const AxisLabel &a : thinAxisLabels(count)) {
        LabelElement &l = f.label(kLabel4, slot++);
        l.caption = QString::number(a.number);
        l.left = kFirstX + a.point * h - 120;
        l.visible = true;
    }
}

LabelElement &marker(ChartFrame &f, int index)
{
    LabelElement &m = f.label(kLabel1, index);
    m.width = m.height = kMarkerSize;
    m.back = kRed;
    m.opaque = true;
    m.pointer = true;
    return m;
}

LabelElement &tag(ChartFrame &f, int index, const QString &caption, QRgb back, QRgb fore)
{
    LabelElement &t = chartText(f, kLabel7, index, caption, 0, 0, 570, 210);
    t.back = back;
    t.fore = fore;
    t.opaque = true;
    t.pointSize = kSmallPoints;
    t.alignment = Qt::AlignCenter;
    t.wordWrap = false;
    t.z = 1;
    return t;
}

// The tags' places before the first drawing and after one without a point.
constexpr QPoint kRankTagRest(7485, 960);
constexpr QPoint kScoreTagRest(7480, 1270);

void tagsAtRest(ChartFrame &f)
{
    LabelElement &rank = f.label(kLabel7, 12);
    rank.left = kRankTagRest.x();
    rank.top = kRankTagRest.y();
    LabelElement &score = f.label(kLabel7, 15);
    score.left = kScoreTagRest.x();
    score.top = kScoreTagRest.y();
}

} // namespace

// ---- Design-time frames ----------------------------------------------------------

ChartFrame designClassTrendChart()
{
    ChartFrame f(QStringLiteral("总体成绩发展趋势图"), 120, 480, 8415, 3135);
    plotBack(f, 1, 435, 1635, kWhite);
    frameAxes(f, 0, 3, 1);
    vertical(f, 4, QStringLiteral("平均线"), 30, 960);
    LabelElement &average = chartText(f, kLabel7, 1, QStringLiteral("平均分"), 7920, 1320, 480, 200);
    average.fore = kBlue;
    average.pointSize = kSmallPoints;
    average.wordWrap = false;
    LabelElement &note = chartText(f, QStringLiteral("Label8"), 0, kFullMarksDifferNote, 1200, 240, 4800, 200);
    note.fore = kRed;
    note.pointSize = kSmallPoints;
    note.wordWrap = false;
    note.visible = false;
    explanation(f, 6,
                QStringLiteral("上图说明：\n    1、上图中黑色曲线是多次成绩变化曲线，将鼠标指针放在每个结点上面，"
                               "会显示本次考试的详细情况（如本次考试的平均分、参考人数）。你可以了解全部学生发展的变化趋势。"),
                2250, 810);
    for (int i = 0; i < kTrendPoints; ++i) {
        const int x = kFirstX + kDesignStep * i;
        const int index = kClassBase + i;
        LabelElement &m = marker(f, index);
        m.left = x;
        m.top = 1155;
        m.toolTip = QStringLiteral("还没分析内容");
        tick(f, index, x, i);
        if (i > 0)
            f.line(kLine4, index - 1) = {x - kDesignStep, 1200, x, 1200};
    }
    designNumbers(f, kClassSlots);
    return f;
}

ChartFrame designStudentTrendChart()
{
    ChartFrame f(QStringLiteral("           成绩发展趋势图"), 120, 3720, 8415, 3615);
    plotBack(f, 0, 420, 1650, bgr(0xE0E0E0)).hatched = true;
    frameAxes(f, 2, 7, 0);
    vertical(f, 4, QStringLiteral("平均分"), 30, 840);
    LineElement &top = f.line(kLine6, 0);
    top = {240, 410, 8160, 410};
    top.dotted = true;
    LabelElement &name = chartText(f, kLabel7, 11, QStringLiteral("显示学生名"), 120, 0, 1275);
    name.fore = kRed;
    name.wordWrap = false;
    tag(f, 12, QStringLiteral("名次线"), kRed, bgr(0x00FFFF));
    tag(f, 15, QStringLiteral("分数线"), kBlack, kWhite);
    tagsAtRest(f);
    explanation(f, 8,
                QStringLiteral("上图说明：\n    1、上图中红色曲线是本生的名次曲线，将鼠标指针放在每个结点上面，"
                               "会显示本次考试的平均分、参考人数及本生的得分和名次。\n"
                               "    2、黑色曲线是本生的分数曲线；蓝色虚线是平均分线。"),
                2300, 1230);
    for (int k = 0; k < kTrendPoints; ++k) {
        const int x = kFirstX + kDesignStep * k;
        LabelElement &rank = marker(f, k);
        rank.left = x - 50;
        rank.visible = false;
        ShapeElement &score = f.shape(kShape2, k);
        score.width = score.height = kMarkerSize;
        score.fill = score.border = kBlack;
        score.left = x - 30;
        score.visible = false;
        tick(f, k, x, k);
        LineElement &scoreSegment = f.line(kLine4, k);
        scoreSegment.visible = false;
        if (k < kTrendPoints - 1) {
            LineElement &rankSegment = f.line(kLine5, k);
            rankSegment.colour = kRed;
            rankSegment.visible = false;
        }
    }
    designNumbers(f, kStudentSlots);
    return f;
}

// ---- Drawing -----------------------------------------------------------------------

void drawClassTrend(ChartFrame &f, const ScoreMatrix &matrix, const QList<int> &chosen, const QStringList &examNames,
                    const QList<float> &fullMarks)
{
    const int z = int(chosen.size());
    const int u = 15;
    const int h = trendStep(z);
    placeNumbers(f, kClassSlots, z, h);
    bool shares = false;
    for (const int exam : chosen)
        shares = shares || fullMarks.value(exam, 100) != fullMarks.value(chosen.value(0), 100);
    f.label(QStringLiteral("Label8"), 0).visible = shares;
    for (int k = 0; k < z; ++k) {
        const int exam = chosen[k];
        const float a = matrix.average(exam);
        const float full = fullMarks.value(exam, 100);
        const float height = shares && full > 0 ? a * 100.0f / full : a;
        const int x = kFirstX + k * h;
        LabelElement &m = f.label(kLabel1, kClassBase + k);
        m.top = roundEven(2010.0f - float(u) * height);
        m.left = x - 50;
        m.visible = true;
        m.toolTip = examNames.value(exam) + QStringLiteral(" 平均分(") + FormatFixed(a, 2) + QStringLiteral(") ")
                    + QString::number(matrix.participants(exam)) + QStringLiteral("人参考");
        if (shares)
            m.toolTip += QStringLiteral(" 满分%1 占满分%2%").arg(formatSingle(full), FormatFixed(height, 1));
        if (k == 0)
            continue;   // tick 65 stays at x 360
        LineElement &t = f.line(kLine3, kClassBase + k);
        t.x1 = t.x2 = x;
        t.visible = true;
        LineElement &segment = f.line(kLine4, kClassBase + k - 1);
        segment.x1 = x - h;
        segment.x2 = x;
        segment.y1 = f.label(kLabel1, kClassBase + k - 1).top + 50;
        segment.y2 = m.top + 50;
        segment.visible = true;
    }
    for (int j = z; j < kTrendPoints; ++j) {
        f.line(kLine3, kClassBase + j).visible = false;
        f.label(kLabel1, kClassBase + j).visible = false;
        f.line(kLine4, kClassBase + j - 1).visible = false;
    }
}

void drawStudentTrend(ChartFrame &f, const ScoreMatrix &matrix, int student, const QString &itemText,
                      const QList<int> &chosen, const QStringList &examNames)
{
    QList<StudentTrendPoint> points;
    for (const int exam : chosen) {
        StudentTrendPoint &point = points.emplace_back();
        const float s = matrix.score(student, exam);
        if (s == kNoScore)
            continue;
        const float a = matrix.average(exam);
        const int p = matrix.participants(exam);
        const int r = matrix.rankOf(student, exam);
        const int u = roundEven(1560.0 / p);
        point.drawn = true;
        point.rankTop = 1960 - (p - r + 1) * u;
        // A class average of 0 (everybody scored 0): the score equals the
        // average, so its marker stands on the average line.
        point.valueTop = a > 0 ? roundEven(1990.0f - s * 860.0f / a) : 1130;
        point.toolTip = examNames.value(exam) + QStringLiteral(":平均分(") + FormatFixed(a, 2) + QStringLiteral(") ")
                        + QString::number(p) + QStringLiteral("人参考 本生得分(") + formatSingle(s)
                        + QStringLiteral(") 排第(") + QString::number(r) + QStringLiteral(")名");
    }
    drawStudentCurves(f, nameOfStudentItem(itemText), points, kRankTagRest, kScoreTagRest);
}

} // namespace tessaly::analysis
