#pragma once
// What the charts of the analysis windows share: the names of the element
// arrays several charts use, a label element placed with its caption, and the
// hatched back of a plot.
#include "widgets/chart_surface.h"

namespace tessaly::chart {

inline const QString kLabel4 = QStringLiteral("Label4");
inline const QString kLabel6 = QStringLiteral("Label6");
inline const QString kLabel7 = QStringLiteral("Label7");
inline const QString kLine1 = QStringLiteral("Line1");
inline const QString kLine2 = QStringLiteral("Line2");
inline const QString kLine3 = QStringLiteral("Line3");
inline const QString kLine4 = QStringLiteral("Line4");
inline const QString kLine22 = QStringLiteral("Line22");
inline const QString kShape1 = QStringLiteral("Shape1");
inline const QString kShape2 = QStringLiteral("Shape2");

// Captions of 7.5 points: values, axis numbers.
inline constexpr qreal kSmallPoints = 7.5;

// Label `index` of `array`: caption, Left, Top, Width and Height (twips).
chart::LabelElement &chartText(chart::ChartFrame &f, const QString &array, int index, const QString &caption,
                               int left, int top, int width, int height = 240);

// The grey rectangle hatched in white behind a plot: Shape1 item 0.
chart::ShapeElement &hatchedBack(chart::ChartFrame &f, int left, int top, int width, int height);

} // namespace tessaly::chart
