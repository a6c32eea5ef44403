#include "widgets/chart_parts.h"

namespace tessaly::chart {

chart::LabelElement &chartText(chart::ChartFrame &f, const QString &array, int index, const QString &caption,
                               int left, int top, int width, int height)
{
    chart::LabelElement &l = f.label(array, index);
    l.caption = caption;
    l.left = left;
    l.top = top;
    l.width = width;
    l.height = height;
    return l;
}

chart::ShapeElement &hatchedBack(chart::ChartFrame &f, int left, int top, int width, int height)
{
    chart::ShapeElement &back = f.shape(kShape1, 0);
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

} // namespace tessaly::chart
