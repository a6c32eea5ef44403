#include "class_analysis/chart_parts.h"

namespace tessaly::analysis {

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

} // namespace tessaly::analysis
