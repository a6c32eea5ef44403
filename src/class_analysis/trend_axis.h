#pragma once
// The exam numbers under the x axis of the trend charts.
#include <QList>

namespace tessaly::analysis {

// One number label: the point it stands under and the number it shows.
struct AxisLabel {
    int point = 0;    // k, 1 .. Z-1 (point 0 has a fixed "1" of its own)
    int number = 0;   // k + 1
};

// The labels of Z points, in slot order. Up to 12 points every point from 1 is
// numbered; from 13 to 20 every second (3, 5, 7, …); from 21 every fifth
// (5, 10, 15, …), so at most 12 labels for 60 points.
QList<AxisLabel> thinAxisLabels(int pointCount);

} // namespace tessaly::analysis
