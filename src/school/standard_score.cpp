#include "school/standard_score.h"

#include "platform/format.h"

#include <cmath>

namespace tessaly::grades {

double populationStdDev(int n, double sum, double sumOfSquares)
{
    if (n <= 0)
        return 0;
    const double radicand = n * sumOfSquares - sum * sum;
    return radicand <= 0 ? 0 : std::sqrt(radicand) / n;
}

QString standardScoreText(float score, float average, float stdDev)
{
    // A deviation shown as 0.00 gives no standard score.
    if (!std::isfinite(stdDev) || roundedFixed(std::fabs(stdDev), 2) == 0)
        return QStringLiteral("0.00");
    return FormatFixed(double((score - average) / stdDev), 2);
}

} // namespace tessaly::grades
