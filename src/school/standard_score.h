#pragma once
// Standard scores of a subject, for the weak-subject analysis and the transcripts.
#include <QString>

namespace tessaly::school {

// Population standard deviation of n scores from their sum and sum of squares,
// sqrt(n·Q − S²) / n; a radicand a hair below 0 from rounding counts as 0, and
// no scores give 0.
double populationStdDev(int n, double sum, double sumOfSquares);

// (score − average) / deviation in single precision, written "0.00". A deviation
// that shows as "0.00" (one participant, equal scores) gives "0.00", never a
// division by zero.
QString standardScoreText(float score, float average, float stdDev);
// The value standardScoreText shows, as a number (what its text reads back as).
double standardScoreValue(float score, float average, float stdDev);

} // namespace tessaly::school
