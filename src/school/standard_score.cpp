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
    const QString zero = QStringLiteral("0.00");
    if (!std::isfinite(stdDev) || FormatFixed(std::fabs(stdDev), 2) == zero)
        return zero;
    return FormatFixed(double((score - average) / stdDev), 2);
}

} // namespace tessaly::grades
