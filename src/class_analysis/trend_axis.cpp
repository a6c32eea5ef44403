#include "class_analysis/trend_axis.h"

#include "platform/messages.h"

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

} // namespace tessaly::analysis
