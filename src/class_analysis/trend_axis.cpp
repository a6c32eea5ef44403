#include "class_analysis/trend_axis.h"

#include "widgets/chart_parts.h"

#include "widgets/messages.h"

#include <cstdlib>

namespace tessaly::analysis {

bool confirmStudentTrendCount(QWidget *parent, int exams)
{
    if (exams == 0) {
        showNotice(parent, kNoExamChosen, kTitleHintDots);
        return false;
    }
    if (exams > kMaxTrendExams) {
        showNotice(parent, kTooManyExams, kTitleHintDots);
        return false;
    }
    return exams > 1 || askYesNo(parent, kOneExamQuestion, kTitleHintDots);
}

int trendStep(int points)
{
    return points > 1 ? chart::roundEven(7080.0 / (points - 1)) : 0;
}

void setTickExtent(chart::LineElement &tick, int k)
{
    if (k % 5 == 4) {
        tick.y1 = 1920;
        tick.y2 = 2040;
    } else if (k <= 3 || k == 15) {
        tick.y1 = 1970;
        tick.y2 = 2040;
    } else {
        tick.y1 = 1965;
        tick.y2 = 2035;
    }
}

QList<AxisLabel> thinAxisLabels(int pointCount)
{
    QList<AxisLabel> labels;
    if (pointCount <= 12) {
        for (int k = 1; k < pointCount; ++k)
            labels.append({k, k + 1});
        return labels;
    }
    const int interval = pointCount <= 20 ? 2 : 5;
    // The counter starts so that the first label falls on number 3 or 5.
    int counter = interval == 2 ? 0 : 1;
    for (int k = 1; k < pointCount; ++k) {
        if (++counter == interval) {
            labels.append({k, k + 1});
            counter = 0;
        }
    }
    return labels;
}

void drawStudentCurves(chart::ChartFrame &f, const QString &name, const QList<StudentTrendPoint> &points,
                       QPoint rankTagRest, QPoint valueTagRest)
{
    const QString rankMarkers = QStringLiteral("Label1");
    const QString rankSegments = QStringLiteral("Line5");   // 0 .. 63, ending at point k + 1
    constexpr int kFirstX = 360;
    constexpr int kNameCaption = 11, kRankTag = 12, kValueTag = 15;   // Label7
    constexpr int kFirstNumber = 16, kNumbers = 12;                   // Label4
    const auto placeTag = [&f](int index, QPoint at) {
        chart::LabelElement &tag = f.label(chart::kLabel7, index);
        tag.left = at.x();
        tag.top = at.y();
    };

    const int n = int(std::min<qsizetype>(points.size(), kTrendPoints));
    const int step = trendStep(n);
    f.label(chart::kLabel7, kNameCaption).caption = name;

    bool drawn = false;   // a point drawn before the current one
    int previousX = 0, previousRankY = 0, previousValueY = 0;
    for (int k = 0; k < n; ++k) {
        const StudentTrendPoint &p = points[k];
        const int x = kFirstX + k * step;
        chart::LineElement &tick = f.line(chart::kLine3, k);
        tick.x1 = tick.x2 = x;
        tick.visible = true;
        tick.width = 1;
        chart::LabelElement &rank = f.label(rankMarkers, k);
        chart::ShapeElement &value = f.shape(chart::kShape2, k);
        // The segments ending at point k + 1 are set when that point is drawn.
        f.line(chart::kLine4, k).visible = false;
        if (k < kTrendPoints - 1)
            f.line(rankSegments, k).visible = false;
        if (!p.drawn) {
            rank.visible = false;
            value.visible = false;
            continue;
        }
        rank.top = p.rankTop;
        rank.left = x - 50;
        rank.visible = true;
        rank.toolTip = p.toolTip;
        value.top = p.valueTop;
        value.left = x - 30;
        value.visible = true;
        const int rankY = p.rankTop + 30;
        const int valueY = p.valueTop + 30;
        if (drawn) {
            f.line(chart::kLine4, k - 1) = {previousX, previousValueY, x, valueY};
            f.line(rankSegments, k - 1) = {previousX, previousRankY, x, rankY, chart::kRed};
        }
        placeTag(kRankTag, {x + 60, p.rankTop - 60});
        placeTag(kValueTag, {x + 60, p.valueTop - 60});
        tick.width = 2;
        drawn = true;
        previousX = x;
        previousRankY = rankY;
        previousValueY = valueY;
    }
    if (!drawn) {
        // The tags go back instead of labelling another student's curve.
        placeTag(kRankTag, rankTagRest);
        placeTag(kValueTag, valueTagRest);
    } else {
        // Where the curves end close together, the value tag stands beside the rank
        // tag, below it (above it near the frame's foot), instead of covering it.
        const chart::LabelElement &rankTag = f.label(chart::kLabel7, kRankTag);
        chart::LabelElement &valueTag = f.label(chart::kLabel7, kValueTag);
        constexpr int kGap = 30;
        constexpr int kTitleStrip = 300;   // the frame's caption
        if (std::abs(valueTag.top - rankTag.top) < rankTag.height + kGap) {
            const int below = rankTag.top + rankTag.height + kGap;
            const int above = rankTag.top - valueTag.height - kGap;
            const bool fitsBelow = below + valueTag.height <= f.height - kGap;
            valueTag.top = (valueTag.top >= rankTag.top && fitsBelow) || above < kTitleStrip ? below : above;
        }
    }

    for (int i = 0; i < kNumbers; ++i)
        f.label(chart::kLabel4, kFirstNumber + i).visible = false;
    int slot = kFirstNumber;
    for (const AxisLabel &a : thinAxisLabels(n)) {
        chart::LabelElement &l = f.label(chart::kLabel4, slot++);
        l.caption = QString::number(a.number);
        l.left = kFirstX + a.point * step - 120;
        l.visible = true;
    }

    for (int j = n; j < kTrendPoints; ++j) {
        f.line(chart::kLine3, j).visible = false;
        f.label(rankMarkers, j).visible = false;
        f.shape(chart::kShape2, j).visible = false;
        if (j > 0) {
            f.line(chart::kLine4, j - 1).visible = false;
            f.line(rankSegments, j - 1).visible = false;
        }
    }
}

} // namespace tessaly::analysis
