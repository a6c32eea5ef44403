#include "school/standard_score.h"

#include "workbook/format.h"

#include <cmath>
#include <optional>

namespace tessaly::school {

double populationStdDev(int n, double sum, double sumOfSquares)
{
    if (n <= 0)
        return 0;
    const double radicand = n * sumOfSquares - sum * sum;
    return radicand <= 0 ? 0 : std::sqrt(radicand) / n;
}

namespace {

// The standard score before rounding; none where a deviation shown as 0.00 gives 0.00.
std::optional<double> standardScore(float score, float average, float stdDev)
{
    if (!std::isfinite(stdDev) || roundedFixed(std::fabs(stdDev), 2) == 0)
        return std::nullopt;
    return double((score - average) / stdDev);
}

} // namespace

QString standardScoreText(float score, float average, float stdDev)
{
    const std::optional<double> z = standardScore(score, average, stdDev);
    return z ? FormatFixed(*z, 2) : QStringLiteral("0.00");
}

double standardScoreValue(float score, float average, float stdDev)
{
    const std::optional<double> z = standardScore(score, average, stdDev);
    return z ? roundedFixed(*z, 2) : 0.0;
}

} // namespace tessaly::school
