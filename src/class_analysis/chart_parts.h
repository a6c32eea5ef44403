#pragma once
// Parts the class-analysis charts are designed with.
#include "platform/chart_surface.h"

namespace tessaly::analysis {

// A label member with its caption and place (twips).
inline chart::LabelElement &text(chart::ChartFrame &f, const QString &array, int index, const QString &caption,
                                 int left, int top, int width, int height = 240)
{
    chart::LabelElement &l = f.label(array, index);
    l.caption = caption;
    l.left = left;
    l.top = top;
    l.width = width;
    l.height = height;
    return l;
}

// The grey rectangle hatched in white behind a plot: Shape1 item 0.
inline chart::ShapeElement &hatchedBack(chart::ChartFrame &f, int left, int top, int width, int height)
{
    chart::ShapeElement &back = f.shape(QStringLiteral("Shape1"), 0);
    back.kind = chart::ShapeElement::Kind::Rectangle;
    back.left = left;
    back.top = top;
    back.width = width;
    back.height = height;
    back.fill = chart::bgr(0xE0E0E0);
    back.border = chart::bgr(0xE0E0E0);
    back.hatched = true;
    return back;
}

} // namespace tessaly::analysis
