#include "grade_analysis/comparison_charts.h"

#include "widgets/chart_parts.h"
#include "workbook/format.h"

namespace tessaly::grades {

using namespace chart;

namespace {

const QString kLabel3 = QStringLiteral("Label3");
const QString kLabel5 = QStringLiteral("Label5");
const QString kLabel50 = QStringLiteral("Label50");
const QString kLabel100 = QStringLiteral("Label100");
const QString kText2 = QStringLiteral("Text2");
const QString kLine5 = QStringLiteral("Line5");

constexpr int kFrameWidth = 4695;
constexpr int kFrameHeight = 3135;
constexpr QRgb kSilver = bgr(0xC0C0C0);

const QString kExplanation = QStringLiteral(
    "    上图中黑色曲线是每个班级本科平均分对比曲线，将鼠标指针放在每个结点上，会显示本班的更详细情况（如本次考试的平均分、"
    "参考人数、最高分、最低分、及格率等）。");

void placeFrame(ChartFrame &f, int d)
{
    f.left = d % 2 == 0 ? 840 : 5760;
    f.top = 1680 + 3360 * (d / 2);
}

// The chart's common settings: caption, axis caption, explanation box.
void startChart(ChartFrame &f, const QString &caption, const QString &axis)
{
    f.caption = caption;
    f.label(kLabel50, 0).caption = axis;
    LabelElement &box = f.label(kText2, 0);
    box.top = 2350;
    box.height = 730;
}

void setReference(ChartFrame &f, const QString &caption, float value)
{
    LineElement &line = f.line(kLine5, 0);
    line.y1 = line.y2 = kReferenceY;
    f.label(kLabel100, 0).caption = caption + formatSingle(value);
}

struct Point {
    std::optional<float> value;   // none: no marker
    QString name;
    QString tip;                  // tooltip prefix, followed by the value
    QString details;              // or the whole tooltip
};

// Places points 1 .. P of a chart around the reference value and hides the slots after them.
void placePoints(ChartFrame &f, const QList<Point> &points, float reference, float scale, int nameWidth)
{
    const int count = int(points.size());
    float prevX = 0, prevY = 0;
    for (int m = 1; m <= count && m <= kChartPoints; ++m) {
        const Point &p = points[m - 1];
        const int x = pointX(m, count);
        LineElement &tick = f.line(kLine3, m);
        tick.visible = true;
        tick.x1 = tick.x2 = x;
        tick.width = 3;
        LabelElement &marker = f.label(kLabel3, m);
        LineElement &link = f.line(kLine4, m);
        if (p.value) {
            marker.visible = true;
            marker.left = x - 50;
            marker.top = roundEven(1150 - double((*p.value - reference) * scale));
            marker.toolTip = p.tip.isEmpty() ? p.details : p.tip + formatSingle(*p.value);
            const float y = float(marker.top + 50);
            link.visible = prevX != 0 && prevY != 0;
            if (link.visible) {
                link.x1 = roundEven(prevX);
                link.y1 = roundEven(prevY);
                link.x2 = x;
                link.y2 = marker.top + 50;
            }
            prevX = float(x);
            prevY = y;
        } else {
            marker.visible = false;
            link.visible = false;
        }
        if (m <= kNamedPoints) {
            LabelElement &name = f.label(kLabel5, m);
            name.visible = true;
            name.caption = p.name;
            name.width = nameWidth;
            name.top = 2080;
            name.height = 170;
            name.left = x - nameWidth / 2;
        }
    }
    for (int m = count + 1; m <= kChartPoints; ++m) {
        f.label(kLabel3, m).visible = false;
        f.line(kLine3, m).visible = false;
        f.line(kLine4, m).visible = false;
        if (m <= kNamedPoints)
            f.label(kLabel5, m).visible = false;
    }
}

float bestOf(const QList<Point> &points)
{
    float best = 0;
    for (const Point &p : points) {
        if (p.value && *p.value > best)
            best = *p.value;
    }
    return best;
}

// Participant-weighted average of the rows, rounded; none without participants.
std::optional<float> weightedAverage(const QList<const ChartRow *> &rows)
{
    float sum = 0;
    int count = 0;
    for (const ChartRow *r : rows) {
        if (!r->average)
            continue;
        sum += *r->average * float(r->participants);
        count += r->participants;
    }
    if (count == 0)
        return std::nullopt;
    return roundedTwo(sum / float(count));
}

QList<ChartRow> blockOf(const ComparisonData &data, int subject)
{
    return data.rows.mid(subject * data.classItems.size(), data.classItems.size());
}

} // namespace

ChartRow chartRowOf(const ClassStatisticsRow &row)
{
    ChartRow c;
    c.teacher = row.teacher;
    c.participants = row.participants;
    if (const std::optional<float> average = row.average())
        c.average = formatScore(*average, 2).toFloat();
    const QStringList t = statisticsRowTexts(row);
    if (c.average) {
        c.details = QStringLiteral("平均分:%1 参考人数:%2 最高分:%3 最低分:%4 及格率:%5%")
                        .arg(t[kStatAverage], t[kStatParticipants], t[kStatHighest], t[kStatLowest], t[kStatPassRate]);
    }
    return c;
}

ComparisonData comparisonDataOf(const QStringList &subjects, const QStringList &classItems, const StatisticsFill &fill)
{
    ComparisonData data{subjects, classItems, {}};
    for (const std::optional<ClassStatisticsRow> &row : fill.rows) {
        if (row)
            data.rows.append(chartRowOf(*row));
    }
    return data;
}

float roundedTwo(float value)
{
    return formatScore(value, 2).toFloat();
}

float groupAverage(const QList<ChartRow> &rows)
{
    float sum = 0;
    int count = 0;
    for (const ChartRow &r : rows) {
        if (!r.average)
            continue;
        sum += *r.average * float(r.participants);
        count += r.participants;
    }
    return count == 0 ? sum : roundedTwo(sum / float(count));
}

float chartScale(float best, float reference)
{
    if (best != 0 && best != reference)
        return roundedTwo(200 / (best - reference));
    return best;
}

int pointX(int m, int points)
{
    if (points <= 1)
        return 360;
    return roundEven(360 + double(m - 1) * 3480 / (points - 1));
}

ChartFrame designComparisonChart(int d)
{
    ChartFrame f(QString(), 0, 0, kFrameWidth, kFrameHeight);
    placeFrame(f, d);
    ShapeElement &plot = f.shape(kShape1, 0);
    plot.kind = ShapeElement::Kind::Rectangle;
    plot.left = 300;
    plot.top = 435;
    plot.width = 3855;
    plot.height = 1635;
    plot.fill = plot.border = kSilver;
    LineElement &yAxis = f.line(kLine1, 0);
    yAxis = {240, 480, 240, 2040};
    yAxis.width = 2;
    LineElement &xAxis = f.line(kLine2, 0);
    xAxis = {240, 2040, 4200, 2040};
    xAxis.width = 2;
    chartText(f, kLabel7, 0, QStringLiteral("↑"), 145, 360, 200, 240).bold = true;
    chartText(f, kLabel6, 0, QStringLiteral("→"), 4080, 1920, 240, 240).bold = true;
    chartText(f, kLabel7, 1, QStringLiteral("分数"), 360, 240, 600, 240);
    LabelElement &yTitle = chartText(f, kLabel7, 2, QStringLiteral("年级组平均分"), 30, 720, 210, 1260);
    yTitle.fore = kBlue;
    yTitle.pointSize = 7.5;
    yTitle.lineHeight = 200;

    LineElement &reference = f.line(kLine5, 0);
    reference = {240, kReferenceY, 4560, kReferenceY};
    reference.colour = kBlue;
    // The reference caption ends short of the frame's border; the axis caption stands
    // above the x axis and ends where its arrow begins.
    LabelElement &refCaption = chartText(f, kLabel100, 0, QString(), 3870, 1320, 735, 375);
    refCaption.fore = kBlue;
    refCaption.z = 1;
    LabelElement &axisCaption = chartText(f, kLabel50, 0, QString(), 3240, 1740, 780, 255);
    axisCaption.alignment = Qt::AlignRight;
    axisCaption.wordWrap = false;
    LabelElement &box = chartText(f, kText2, 0, kExplanation, 120, 2350, 4455, 730);
    box.opaque = true;
    box.border = true;
    box.back = kWhite;
    box.pointSize = 7.5;

    for (int m = 1; m <= kChartPoints; ++m) {
        LineElement &tick = f.line(kLine3, m);
        tick = {360, 1970, 360, 2040};
        tick.width = 3;
        tick.visible = false;
        LabelElement &marker = f.label(kLabel3, m);
        marker.left = 310;
        marker.width = marker.height = 105;
        marker.back = kRed;
        marker.opaque = true;
        marker.z = 2;
        marker.visible = false;
        LineElement &link = f.line(kLine4, m);
        link.z = 1;
        link.visible = false;
        if (m <= kNamedPoints) {
            LabelElement &name = chartText(f, kLabel5, m, QString(), 135, 2080, 450, 170);
            name.pointSize = 7.5;
            name.alignment = Qt::AlignHCenter;
            name.wordWrap = false;
            name.visible = false;
        }
    }
    return f;
}

int drawClassComparison(QList<ChartFrame *> frames, const ComparisonData &data)
{
    int d = 0;
    for (; d < data.subjects.size() && d < kChartFrames && d < frames.size(); ++d) {
        ChartFrame &f = *frames[d];
        placeFrame(f, d);
        startChart(f, QStringLiteral("各班(") + data.subjects[d] + QStringLiteral(")成绩对比分析图"),
                   QStringLiteral("班级"));
        const QList<ChartRow> block = blockOf(data, d);
        QList<Point> points;
        for (int k = 0; k < block.size(); ++k)
            points.append({block[k].average, data.classItems[k], {}, block[k].details});
        const float average = groupAverage(block);
        setReference(f, QStringLiteral("组平均分"), average);
        placePoints(f, points, average, chartScale(bestOf(points), average), 450);
    }
    return d;
}

int drawTeacherComparison(QList<ChartFrame *> frames, const ComparisonData &data)
{
    int d = 0;
    for (; d < data.subjects.size() && d < kChartFrames && d < frames.size(); ++d) {
        ChartFrame &f = *frames[d];
        placeFrame(f, d);
        startChart(f, QStringLiteral("学科(") + data.subjects[d] + QStringLiteral(")任课教师成绩对比分析图"),
                   QStringLiteral("任课教师"));
        const QList<ChartRow> block = blockOf(data, d);
        QStringList teachers;
        for (const ChartRow &r : block) {
            if (!r.teacher.isEmpty() && !teachers.contains(r.teacher))
                teachers.append(r.teacher);
        }
        QList<Point> points;
        for (const QString &teacher : teachers) {
            QList<const ChartRow *> taught;
            for (const ChartRow &r : block) {
                if (r.teacher == teacher)
                    taught.append(&r);
            }
            const std::optional<float> value = weightedAverage(taught);
            points.append({value && *value != 0 ? value : std::nullopt, teacher, QStringLiteral("所教全部学生平均分:"), {}});
        }
        const float average = groupAverage(block);
        setReference(f, QStringLiteral("科平均分"), average);
        placePoints(f, points, average, chartScale(bestOf(points), average), 550);
    }
    return d;
}

int drawWholeClassComparison(QList<ChartFrame *> frames, const ComparisonData &data, int sheetWidth)
{
    if (frames.isEmpty() || data.classItems.isEmpty())
        return 0;
    ChartFrame &f = *frames[0];
    f.caption = QStringLiteral("各班(整体)成绩对比分析图");
    f.left = (sheetWidth - f.width) / 2;
    f.top = 2000;
    f.label(kLabel50, 0).caption = QStringLiteral("班级");

    QList<Point> points;
    float total = 0;
    for (int k = 0; k < data.classItems.size(); ++k) {
        QList<const ChartRow *> ofClass;
        for (int s = 0; s < data.subjects.size(); ++s)
            ofClass.append(&data.row(s, k));
        const float value = weightedAverage(ofClass).value_or(0);
        total += value;
        points.append({value != 0 ? std::optional<float>(value) : std::nullopt, data.classItems[k],
                       QStringLiteral("本班整体平均分:"), {}});
    }
    const float line = total / float(data.classItems.size());
    setReference(f, QStringLiteral("组平均线"), line);
    placePoints(f, points, line, chartScale(bestOf(points), line), 450);
    return 1;
}

} // namespace tessaly::grades
