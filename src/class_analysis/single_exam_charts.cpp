#include "class_analysis/single_exam_charts.h"

#include "widgets/chart_parts.h"
#include "workbook/format.h"

#include <algorithm>

namespace tessaly::analysis {

using namespace chart;

namespace {

const QString kLabel2 = QStringLiteral("Label2");
const QString kLabel3 = QStringLiteral("Label3");
const QString kLabel8 = QStringLiteral("Label8");
const QString kLabel9 = QStringLiteral("Label9");
const QString kLabel10 = QStringLiteral("Label10");
const QString kLabel11 = QStringLiteral("Label11");

LabelElement &bar(ChartFrame &f, const QString &array, int index, int left, int width, QRgb colour)
{
    LabelElement &l = f.label(array, index);
    l.left = left;
    l.width = width;
    l.back = colour;
    l.opaque = true;
    l.border = true;
    l.alignment = Qt::AlignHCenter;
    return l;
}

LabelElement &valueCaption(ChartFrame &f, const QString &array, int index, int left, int width)
{
    LabelElement &l = f.label(array, index);
    l.left = left;
    l.width = width;
    l.height = 400;
    l.fore = kBlue;
    l.pointSize = kSmallPoints;
    l.alignment = Qt::AlignHCenter;
    return l;
}

void setBar(LabelElement &l, int baseline, int height)
{
    l.height = height;
    l.top = baseline - height;
}

// Axes of a chart: the y axis (Line1) with its arrow, the x axis (Line2 item)
// with its arrow.
void axes(ChartFrame &f, int yTop, int yBottom, int xAxisItem, int x1, int y1, int x2, int y2)
{
    LineElement &y = f.line(kLine1, 0);
    y = {240, yTop, 240, yBottom};
    LineElement &x = f.line(kLine2, xAxisItem);
    x = {x1, y1, x2, y2};
    x.width = 2;
    LabelElement &up = chartText(f, kLabel6, 1, QStringLiteral("↑"), 150, yTop - 150, 180);
    up.bold = true;
    up.alignment = Qt::AlignHCenter;
    LabelElement &right = chartText(f, kLabel6, 0, QStringLiteral("→"), x2 - 200, y2 - 130, 240);
    right.bold = true;
}

LabelElement &yTitle(ChartFrame &f, int index, const QString &caption, int left, int top)
{
    // Two ideographs in a narrow label stand one above the other.
    return chartText(f, kLabel7, index, caption, left, top, 210, 480);
}

// The band bar captions: "00 ｜10" … "140 ｜150", "70 ｜ 80" as designed.
QString bandCaption(int k)
{
    if (k == 8)
        return QStringLiteral("70 ｜ 80");
    return QStringLiteral("%1 ｜%2").arg((k - 1) * 10, 2, 10, QLatin1Char('0')).arg(k * 10);
}

int curveX(int position) { return 360 + 120 * position; }

void curveTick(ChartFrame &f, int p)
{
    LineElement &t = f.line(kLine3, p);
    const bool fifth = p % 5 == 4;
    t = {curveX(p), fifth ? 1920 : 1965, curveX(p), fifth ? 2040 : 2035};
}

void curveMarker(ChartFrame &f, int p, int total)
{
    ShapeElement &m = f.shape(kShape2, p);
    m.kind = ShapeElement::Kind::Circle;
    m.width = m.height = p >= total - 2 ? 75 : 70;
    m.left = curveX(p) - 30;
    m.fill = kOrange;
    m.border = kOrange;
}

void axisNumber(ChartFrame &f, int i)
{
    LabelElement &l = chartText(f, kLabel4, 15 + i, QString::number(5 * i), 720 + 600 * (i - 1), 2040, 240, 200);
    l.pointSize = kSmallPoints;
    l.alignment = Qt::AlignHCenter;
}

constexpr int kDesignPositions = 90;   // markers and ticks as designed

// "place": the bar on the baseline, its title above it and its value caption
// inside its top; a low bar keeps both at fixed heights.
void place(ChartFrame &f, int barIndex, int titleIndex, int captionIndex, int height)
{
    LabelElement &b = f.label(kLabel10, barIndex);
    setBar(b, 2880, height);
    LabelElement &title = f.label(kLabel7, titleIndex);
    LabelElement &caption = f.label(kLabel7, captionIndex);
    title.top = b.top - 150;
    caption.top = b.top + 200;
    if (title.top > 2280) {
        title.top = 2280;
        caption.top = 2630;
    }
}

// A selected student without a score or rank: a zero bar, labels at fixed heights.
void placeMissing(ChartFrame &f, int barIndex, int titleIndex, int captionIndex, const QString &caption)
{
    LabelElement &b = f.label(kLabel10, barIndex);
    b.height = 0;
    b.top = 2380;
    f.label(kLabel7, titleIndex).top = 2230;
    LabelElement &c = f.label(kLabel7, captionIndex);
    c.top = 2580;
    c.caption = caption;
}

} // namespace

// ---- Design-time frames -------------------------------------------------------

ChartFrame designBandChart()
{
    ChartFrame f(QStringLiteral("本试各分数段分布图"), 120, 480, 4095, 3255);
    axes(f, 360, 2880, 0, 240, 2895, 3960, 2880);
    yTitle(f, 11, QStringLiteral("人数"), 45, 360);
    chartText(f, kLabel7, 1, QStringLiteral("0"), 120, 2880, 120);
    chartText(f, kLabel7, 14, QStringLiteral("低——→高　　　　　　分数段值"), 1320, 2955, 2700).wordWrap = false;
    chartText(f, kLabel7, 2, QStringLiteral("图例：有色框内是分数段，顶端是人数"), 480, 240, 3500).wordWrap = false;
    const int w = 243;
    for (int k = 1; k <= 15; ++k) {
        LabelElement &b = bar(f, kLabel4, k, 240 + (k - 1) * w, w + 40, kCyan);
        b.caption = bandCaption(k);
        b.pointSize = kSmallPoints;
        b.pointer = true;
        setBar(b, 2880, 400 + 120 * ((k * 7) % 12));
        LabelElement &c = valueCaption(f, kLabel8, k - 1, b.left, b.width);
        c.caption = QStringLiteral("人");
        c.height = 200;
        c.top = b.top - 200;
    }
    return f;
}

ChartFrame designLevelChart()
{
    ChartFrame f(QStringLiteral("总体级别分布图"), 4320, 480, 2295, 3255);
    axes(f, 360, 2880, 1, 240, 2895, 2160, 2880);
    yTitle(f, 12, QStringLiteral("人数"), 45, 360);
    chartText(f, kLabel7, 13, QStringLiteral("级别"), 1800, 2955, 420);
    chartText(f, kLabel7, 5, QStringLiteral("优、良、合格、差"), 240, 2955, 1560).wordWrap = false;
    const int lefts[] = {255, 720, 1200, 1680};
    const int captionLefts[] = {240, 720, 1200, 1680};
    const char16_t *names[] = {u"优秀", u"良好", u"合格", u"较差"};
    const int sample[] = {1200, 1800, 1400, 600};
    for (int k = 0; k < 4; ++k) {
        LabelElement &b = bar(f, kLabel2, k, lefts[k], 480, k < 3 ? kRed : kGreen);
        b.caption = QString::fromUtf16(names[k]);
        setBar(b, 2880, sample[k]);
        LabelElement &c = valueCaption(f, kLabel3, k, captionLefts[k], 495);
        c.caption = QStringLiteral("无");
        c.top = b.top - 400;
    }
    return f;
}

ChartFrame designSingleStudentChart()
{
    ChartFrame f(QStringLiteral("单生分析图"), 6720, 480, 1815, 4575);
    axes(f, 360, 2880, 3, 240, 2880, 1680, 2880);
    chartText(f, kLabel7, 3, QStringLiteral("0"), 120, 2880, 120);
    struct Bar {
        int item, left, width;
        QRgb colour;
        int title, caption;   // Label7 items; caption -1: none
        const char16_t *titleText;
    };
    // Bars wide enough for a value such as "90.05" at the smallest caption size;
    // a value with its unit ("99.5分") breaks before the unit.
    const Bar bars[] = {
        {4, 240, 600, kGreen, 21, -1, u"满分100"},
        {2, 240, 300, kBlue, 20, 22, u"平均"},
        {3, 540, 300, kRed, 16, 23, u"本人"},
        {1, 960, 600, kGreen, 4, -1, u"参试60人"},
        {5, 960, 300, kBlue, 25, 24, u"及格"},
        {6, 1260, 300, kRed, 27, 26, u"本人"},
    };
    for (const Bar &b : bars) {
        LabelElement &l = bar(f, kLabel10, b.item, b.left, b.width, b.colour);
        const bool fixed = b.caption < 0;
        // The full-mark and participant bars stand behind the bars drawn over them.
        const int layer = fixed ? 0 : 1;
        l.z = layer;
        setBar(l, 2880, fixed ? 2295 : 1200);
        LabelElement &t = chartText(f, kLabel7, b.title, QString::fromUtf16(b.titleText), b.left,
                                    fixed ? 240 : l.top - 150, b.width, 180);
        t.pointSize = kSmallPoints;
        t.alignment = Qt::AlignHCenter;
        t.wordWrap = false;
        t.z = layer;
        if (!fixed) {
            LabelElement &c = valueCaption(f, kLabel7, b.caption, b.left, b.width);
            c.top = l.top + 200;
            c.height = 360;
            c.fore = kWhite;
            c.z = layer;
        }
    }
    LabelElement &name = chartText(f, kLabel7, 19, QStringLiteral("显示学生名"), 480, 2955, 1200);
    name.fore = kBlue;
    // One field title a line, level with the values of Label11.
    LabelElement &block = chartText(f, kLabel10, 0,
                                    QStringLiteral("点击右侧学生名即可\n满    分：\n平 均 分：\n本人得分：\n"
                                                   "参试人数：\n上有人数：\n下有人数："),
                                    75, 3195, 1695, 1320);
    block.pointSize = kSmallPoints;
    block.lineHeight = 180;
    block.wordWrap = false;
    block.border = true;
    const char16_t *values[] = {u"100分", u"0.00分", u"00000分", u"60人", u"00000分", u"00000分"};
    for (int i = 0; i < 6; ++i) {
        LabelElement &v = chartText(f, kLabel11, i, QString::fromUtf16(values[i]), 960, 3375 + 180 * i, 780, 180);
        v.pointSize = kSmallPoints;
        v.fore = kBlue;
    }
    return f;
}

ChartFrame designScoreCurveChart()
{
    ChartFrame f(QStringLiteral("每生成绩总体分布图"), 120, 5040, 8415, 2295);
    const int xe = curveX(kDesignPositions - 1);
    hatchedBack(f, 300, 420, xe - 360, 1635);
    axes(f, 480, 2040, 2, 240, 2040, xe + 200, 2040);
    chartText(f, kLabel7, 9, QStringLiteral("分数"), 360, 240, 480);
    chartText(f, kLabel7, 7, QStringLiteral("0"), 120, 2040, 120);
    chartText(f, kLabel7, 10, QStringLiteral("学号"), xe - 100, 2070, 480);
    chartText(f, kLabel7, 28, QStringLiteral("图例：横座标轴是学号，细实线标明本生缺考。"), 3360, 170, 4800).wordWrap = false;
    LabelElement &blank = f.label(kLabel9, 0);
    blank.opaque = true;
    blank.back = kFrameBack;
    blank.top = 1965;
    blank.height = 255;
    blank.left = xe - 200;
    blank.width = std::max(0, f.width - blank.left - 120);
    blank.z = 1;   // over the axis numbers beyond the class
    for (LabelElement *over : {&f.label(kLabel6, 0), &f.label(kLabel7, 10)})
        over->z = 2;
    f.line(kLine2, 2).z = 2;
    for (int i = 1; i <= kDesignPositions / 5; ++i)
        axisNumber(f, i);
    for (int p = 0; p < kDesignPositions; ++p) {
        curveTick(f, p);
        curveMarker(f, p, kDesignPositions);
        f.shape(kShape2, p).top = 1200;
        LineElement &s = f.line(kLine4, p);
        s.colour = kOrange;
        s.visible = false;
    }
    f.hideLinesFrom(kLine4, 0);
    LineElement &average = f.line(kLine22, 0);
    average = {240, 1200, xe - 100, 1200, kBlue};
    average.dotted = true;
    LabelElement &avgTitle = chartText(f, kLabel7, 8, QStringLiteral("平均线"), 300, 1000, 600);
    avgTitle.fore = kBlue;
    avgTitle.wordWrap = false;
    LabelElement &avgCaption = chartText(f, kLabel7, 15, QStringLiteral("平均分"), xe - 200, 1050, 1200, 180);
    avgCaption.fore = kBlue;
    avgCaption.pointSize = kSmallPoints;
    avgCaption.wordWrap = false;
    avgCaption.z = 2;
    return f;
}

// ---- Drawing -------------------------------------------------------------------

void drawLevelChart(ChartFrame &f, const ExamStatistics &s)
{
    const int max = std::max(1, *std::max_element(s.levels.begin(), s.levels.end()));
    const int unit = roundEven(2000.0 / max);
    for (int k = 0; k < 4; ++k) {
        const int count = s.levels[size_t(k)];
        LabelElement &b = f.label(kLabel2, k);
        setBar(b, 2880, count * unit);
        b.visible = true;
        LabelElement &c = f.label(kLabel3, k);
        c.top = b.top - 400;
        c.caption = QStringLiteral("%1人%2%").arg(count).arg(FormatFixed(100.0 * count / s.participants, 2));
        c.visible = true;
    }
}

void drawBandChart(ChartFrame &f, const ExamStatistics &s, const QString &tipHead)
{
    const int nb = s.bands;
    const int w = roundEven(3650.0 / nb);
    int maxb = 0;
    for (int k = 1; k <= nb; ++k)
        maxb = std::max(maxb, s.band[size_t(k)]);
    if (maxb == 0)
        maxb = 200;
    const int unit = roundEven(2000.0 / maxb);
    const QString tipMiddle = QStringLiteral("总人数:%1 参考人数:%2 满分:%3 平均分:%4本分数段:")
                                  .arg(s.students)
                                  .arg(s.participants)
                                  .arg(formatSingle(s.fullMark), FormatFixed(s.average, 2));
    for (int k = 1; k <= nb; ++k) {
        const int count = s.band[size_t(k)];
        LabelElement &b = f.label(kLabel4, k);
        b.width = w + 40;
        b.left = 240 + (k - 1) * w;
        b.visible = true;
        setBar(b, 2880, count * unit);
        b.toolTip = tipHead + tipMiddle + QString::number(count) + QStringLiteral("人");
        b.back = 10.0 * k <= 0.6 * s.fullMark ? kBrightGreen : kRed;
        LabelElement &c = f.label(kLabel8, k - 1);
        c.top = b.top - 200;
        c.caption = QString::number(count) + QStringLiteral("人");
        c.left = b.left;
        c.width = b.width;
        c.visible = true;
    }
    for (int k = nb + 1; k <= 15; ++k) {
        f.label(kLabel4, k).visible = false;
        f.label(kLabel8, k - 1).visible = false;
    }
}

CurveLayout scoreCurveLayout(int students)
{
    if (students < 66)
        return {8415, 4455, 6960};
    // The x axis ends at x(N + 1) + 200, its arrow beyond it.
    const int axisEnd = curveX(students + 1) + 200;
    return {std::max(11655, axisEnd + 360), 2175, 4680};
}

void drawScoreCurve(ChartFrame &f, const QList<ExamRow> &rows, const ExamStatistics &s)
{
    const int n = int(rows.size());
    const int positions = std::max(kDesignPositions, n);
    const int unit = roundEven(1560.0 / roundEven(s.fullMark));
    f.width = scoreCurveLayout(n).frameWidth;

    const int y = roundEven(2040 - double(unit) * s.sum / s.participants);
    LineElement &average = f.line(kLine22, 0);
    average.y1 = average.y2 = y;
    f.label(kLabel7, 8).top = y - 200;
    LabelElement &avgCaption = f.label(kLabel7, 15);
    avgCaption.top = y - 150;
    avgCaption.caption = QStringLiteral("平均分") + FormatFixed(s.average, 2);

    // Arrays as long as the class: a class past the designed 90 positions gets more.
    for (int p = kDesignPositions; p < positions; ++p) {
        curveTick(f, p);
        curveMarker(f, p, positions);
        f.line(kLine4, p - 1).colour = kOrange;
    }
    for (int i = kDesignPositions / 5 + 1; i <= (positions + 4) / 5; ++i)
        axisNumber(f, i);

    bool havePrevious = false;
    QPoint previous;
    for (int j = 1; j <= n; ++j) {
        const int p = j - 1;
        ShapeElement &marker = f.shape(kShape2, p);
        LineElement &tick = f.line(kLine3, p);
        tick.visible = true;
        const std::optional<float> score = rows[p].score;
        if (score) {
            marker.top = roundEven(2010 - double(*score) * unit);
            marker.left = curveX(p) - 30;
            marker.visible = true;
            const QPoint here(curveX(p), marker.top + 30);
            if (j >= 2) {
                LineElement &segment = f.line(kLine4, p - 1);
                segment.x1 = previous.x();
                segment.y1 = previous.y();
                segment.x2 = here.x();
                segment.y2 = here.y();
                segment.visible = havePrevious;
            }
            previous = here;
            havePrevious = true;
            tick.width = 2;
        } else {
            if (j >= 2)
                f.line(kLine4, p - 1).visible = false;
            marker.visible = false;
            tick.width = 1;
        }
    }

    const int xe = curveX(n + 1);
    f.line(kLine2, 2).x2 = xe + 200;
    f.label(kLabel7, 10).left = xe - 100;
    f.label(kLabel6, 0).left = xe;
    average.x2 = xe - 100;
    f.shape(kShape1, 0).width = xe - 360;
    LabelElement &blank = f.label(kLabel9, 0);
    blank.left = xe - 200;
    blank.width = std::max(0, f.width - blank.left - 120);
    // Beside the curve's end, but inside the frame.
    avgCaption.left = std::min(xe - 200, f.width - avgCaption.width - 60);

    f.hideShapesFrom(kShape2, n);
    f.hideLinesFrom(kLine3, n);
    f.hideLinesFrom(kLine4, std::max(n - 1, 0));
}

void drawSingleStudentChart(ChartFrame &f, const ExamStatistics &s, const QList<ExamRow> &rows,
                            const ExamRow *student)
{
    const int n = std::max(s.participants, 1);
    const int ur = roundEven(2295.0 / n);
    const int us = roundEven(2295.0 / roundEven(s.fullMark));
    const QString fullMark = formatSingle(s.fullMark);

    // 1. Reset the student's bars and texts.
    for (int title : {27, 16})
        f.label(kLabel7, title).top = 2280;
    for (int caption : {26, 23}) {
        LabelElement &c = f.label(kLabel7, caption);
        c.top = 2630;
        c.caption.clear();
    }
    for (int item : {6, 3}) {
        LabelElement &b = f.label(kLabel10, item);
        b.top = 2880;
        b.height = 15;
    }
    for (int item : {2, 4, 5})
        f.label(kLabel11, item).caption = QStringLiteral("00000分");
    f.label(kLabel7, 19).caption = QStringLiteral("显示学生名");

    // 2. The fixed bars' titles and the values.
    f.label(kLabel7, 21).caption = QStringLiteral("满分") + fullMark;
    f.label(kLabel7, 4).caption = QStringLiteral("参试%1人").arg(s.participants);
    f.label(kLabel11, 0).caption = fullMark + QStringLiteral("分");
    f.label(kLabel11, 1).caption = FormatFixed(s.average, 2) + QStringLiteral("分");
    f.label(kLabel11, 3).caption = QStringLiteral("%1人").arg(s.participants);

    // 3. Passed.
    f.label(kLabel7, 24).caption = QStringLiteral("%1人").arg(s.passed());
    place(f, 5, 25, 24, s.passed() * ur);

    // 4. The student's standing.
    if (student) {
        f.label(kLabel7, 19).caption = student->name;
        if (!student->rank.isEmpty()) {
            const int rank = student->rank.toInt();
            f.label(kLabel7, 26).caption = student->rank + QStringLiteral("名");
            place(f, 6, 27, 26, (s.participants - rank) * ur);
        } else {
            placeMissing(f, 6, 27, 26, QStringLiteral("无次"));
        }
    }

    // 5. The average, as its two-decimal text; in its bar with one decimal from 100
    // on, so that it fits the bar (the info box keeps both).
    const QString average = FormatFixed(s.average, 2);
    f.label(kLabel7, 22).caption = average.size() > 5 ? FormatFixed(s.average, 1) : average;
    place(f, 2, 20, 22, roundEven(average.toDouble() * us));

    // 6. The student's score.
    if (student) {
        if (student->score) {
            const QString score = formatSingle(*student->score);
            f.label(kLabel7, 23).caption = score + QStringLiteral("分");
            f.label(kLabel11, 2).caption = score + QStringLiteral("分");
            place(f, 3, 16, 23, roundEven(double(*student->score) * us));
            const Standing standing = standingOf(*student, rows);
            f.label(kLabel11, 4).caption = QStringLiteral("%1人").arg(standing.above);
            f.label(kLabel11, 5).caption = QStringLiteral("%1人").arg(standing.below);
        } else {
            placeMissing(f, 3, 16, 23, QStringLiteral("无分"));
        }
    }
    f.line(kLine2, 3).visible = true;
}

} // namespace tessaly::analysis
