#include "class_analysis/development_trend_chart.h"

#include "widgets/chart_parts.h"
#include "class_analysis/trend_axis.h"

namespace tessaly::analysis {

using namespace chart;

namespace {

const QString kRankMarker = QStringLiteral("Label1");   // 0 .. 64
const QString kTotalMarker = QStringLiteral("Shape2");  // 0 .. 64
const QString kTick = QStringLiteral("Line3");          // 0 .. 64
const QString kRankSegment = QStringLiteral("Line5");   // 0 .. 63, ending at point k + 1
const QString kTotalSegment = QStringLiteral("Line4");  // 0 .. 64, ending at point k + 1
const QString kNumber = QStringLiteral("Label4");       // 16 .. 27
const QString kLabel3 = QStringLiteral("Label3");
const QString kLabel5 = QStringLiteral("Label5");
constexpr int kNameCaption = 11;   // Label7
constexpr int kRankTag = 12;       // Label7 "名次线"
constexpr int kTotalTag = 15;      // Label7 "分数线"
// The tags' places before the first drawing.
constexpr int kRankTagLeft = 7485, kRankTagTop = 960;
constexpr int kTotalTagLeft = 7485, kTotalTagTop = 1250;
constexpr int kFirstNumber = 16;
constexpr int kLastNumber = 27;

constexpr int kFirstX = 360;
constexpr int kMarkerSize = 105;

LabelElement &tag(ChartFrame &f, int index, const QString &caption, int left, int top, QRgb back, QRgb fore)
{
    LabelElement &l = chartText(f, kLabel7, index, caption, left, top, 570, 210);
    l.opaque = true;
    l.back = back;
    l.fore = fore;
    l.alignment = Qt::AlignCenter;
    l.z = 1;
    return l;
}

double number(const QString &cell)
{
    return cell.trimmed().toDouble();
}

} // namespace

int rankMarkerTop(double participants, double rank)
{
    const int unit = participants > 0 ? roundEven(1560.0 / participants) : 0;
    return roundEven(1960 - (participants - rank) * unit);
}

int totalMarkerTop(double total, double average)
{
    // All totals 0 give an average of 0: such a total equals the average.
    if (average == 0)
        return 1130;
    return roundEven(1990 - total * 860 / average);
}

ChartFrame designDevelopmentChart()
{
    ChartFrame f(QStringLiteral("           成绩发展趋势图"), 0, 0, 8520, 2880);

    hatchedBack(f, 300, 440, 7935, 1650);

    LineElement &yAxis = f.line(QStringLiteral("Line1"), 2);
    yAxis = {240, 480, 240, 2040};
    yAxis.width = 2;
    LineElement &xAxis = f.line(QStringLiteral("Line2"), 2);
    xAxis = {240, 2040, 8280, 2040};
    xAxis.width = 2;
    LabelElement &up = chartText(f, kLabel6, 1, QStringLiteral("↑"), 150, 330, 180);
    up.bold = true;
    up.alignment = Qt::AlignHCenter;
    chartText(f, kLabel6, 0, QStringLiteral("→"), 8160, 1920, 240).bold = true;
    chartText(f, kLabel7, 10, QStringLiteral("考试次数"), 7680, 2085, 840).wordWrap = false;
    chartText(f, kLabel7, 7, QStringLiteral("1"), 240, 2040, 255, 255).alignment = Qt::AlignHCenter;

    LineElement &average = f.line(QStringLiteral("Line22"), 0);
    average = {240, 1200, 8160, 1200, kBlue};
    average.dotted = true;
    // Three ideographs in a narrow label stand one above the other.
    LabelElement &averageCaption = chartText(f, kLabel7, 8, QStringLiteral("平均分"), 30, 930, 210, 600);
    averageCaption.fore = kBlue;
    LineElement &top = f.line(QStringLiteral("Line6"), 0);
    top = {240, 410, 8160, 410};
    top.dotted = true;

    LabelElement &name = chartText(f, kLabel7, kNameCaption, QString(), 2160, 75, 1275);
    name.fore = kRed;
    name.alignment = Qt::AlignRight;
    name.wordWrap = false;
    chartText(f, kLabel3, 1, QStringLiteral("同学各次考试变化趋势图"), 3600, 75, 2880).wordWrap = false;
    tag(f, kRankTag, QStringLiteral("名次线"), kRankTagLeft, kRankTagTop, kRed, bgr(0x00FFFF));
    tag(f, kTotalTag, QStringLiteral("分数线"), kTotalTagLeft, kTotalTagTop, kBlack, kWhite);
    chartText(f, kLabel5, 0,
         QStringLiteral("说明：红色曲线是本生的名次线，鼠标停在节点上可看到该次考试的总分平均、参考人数、"
                        "本生总分和名次；黑色曲线是本生的总分线；蓝色虚线是平均分线。"),
         240, 2320, 8040, 480);

    for (int k = 0; k < kTrendPoints; ++k) {
        LabelElement &rank = f.label(kRankMarker, k);
        rank.width = rank.height = kMarkerSize;
        rank.opaque = true;
        rank.back = kRed;
        rank.pointer = true;
        rank.z = 1;
        rank.visible = false;
        ShapeElement &total = f.shape(kTotalMarker, k);
        total.kind = ShapeElement::Kind::Circle;
        total.width = total.height = kMarkerSize;
        total.fill = kBlack;
        total.border = kBlack;
        total.visible = false;
        LineElement &tick = f.line(kTick, k);
        tick.x1 = tick.x2 = kFirstX;
        setTickExtent(tick, k);
        tick.visible = k == 0;
        LineElement &totalSegment = f.line(kTotalSegment, k);
        totalSegment.visible = false;
        if (k < kTrendPoints - 1) {
            LineElement &rankSegment = f.line(kRankSegment, k);
            rankSegment.colour = kRed;
            rankSegment.visible = false;
        }
    }
    for (int i = kFirstNumber; i <= kLastNumber; ++i) {
        LabelElement &n = chartText(f, kNumber, i, QString(), 0, 2040, 255, 150);
        n.alignment = Qt::AlignHCenter;
        n.visible = false;
    }
    return f;
}

void drawDevelopmentTrend(ChartFrame &f, const QString &name, const QList<TrendPointCells> &points)
{
    QList<StudentTrendPoint> curves;
    for (const TrendPointCells &p : points) {
        StudentTrendPoint &point = curves.emplace_back();
        if (p.rank.isEmpty())
            continue;
        point.drawn = true;
        point.rankTop = rankMarkerTop(number(p.participants), number(p.rank));
        point.valueTop = totalMarkerTop(number(p.total), number(p.average));
        point.toolTip = p.exam + QStringLiteral(":总分平均(") + p.average + QStringLiteral(") ") + p.participants
                        + QStringLiteral("人参考 本生总分(") + p.total + QStringLiteral(") 排第(") + p.rank
                        + QStringLiteral(")名");
    }
    drawStudentCurves(f, name, curves, {kRankTagLeft, kRankTagTop}, {kTotalTagLeft, kTotalTagTop});
}

} // namespace tessaly::analysis
