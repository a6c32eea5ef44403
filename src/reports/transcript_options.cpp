#include "reports/transcript_options.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessaly::reports {

BoxColumns columnsOfBox(int box, int subjects)
{
    BoxColumns b;
    auto perSubject = [&](int offset, int width) {
        for (int k = 1; k <= subjects; ++k)
            b.columns << 4 * k + offset;
        b.width = width;
    };
    switch (box) {
    case 0: b = {{2}, 600}; break;
    case 1: perSubject(5, 450); break;
    case 2: perSubject(4, 450); break;
    case 3: perSubject(3, 530); break;
    case 4: b = {{4}, 450}; break;
    case 5: b = {{5}, 450}; break;
    default: break;
    }
    return b;
}

ZoomStep zoomStep(const QString &currentScale, Zoom chosen)
{
    static const double kScales[] = {0.8, 1, 1.2};
    static const char *kTexts[] = {"0.8", "1", "1.2"};
    bool ok = false;
    double current = currentScale.toDouble(&ok);
    if (!ok || (current != 0.8 && current != 1 && current != 1.2))
        current = 1;
    const int i = int(chosen);
    ZoomStep step;
    step.factor = QString::number(kScales[i] / current, 'g', 15).toDouble();
    step.scale = QString::fromLatin1(kTexts[i]);
    return step;
}

int scaledWidth(int width, double factor)
{
    return int(std::nearbyint(width * factor));   // the default rounding: halves to even
}

double zoomFontWidth(Zoom zoom)
{
    static const double kWidths[] = {4.1, 4.5, 5.0};
    return kWidths[std::clamp(int(zoom), 0, 2)];
}

double zoomFontScale(Zoom zoom)
{
    return zoomFontWidth(zoom) / zoomFontWidth(Zoom::Normal);
}

QString sortKeyOf(const QString &source, bool summaryRow)
{
    if (summaryRow)
        return kSummarySortKey;
    if (source.isEmpty())
        return kEmptySortKey;
    return source;
}

std::optional<int> topCount(const QString &text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < 1 || n > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return n;
}

bool keptByTopCount(const QString &rank, int n)
{
    bool ok = false;
    const int r = rank.trimmed().toInt(&ok);
    return ok && r <= n;
}

} // namespace tessaly::reports
