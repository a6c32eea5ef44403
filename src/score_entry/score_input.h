#pragma once
// The key rules of score entry: which characters the score, seat-number and
// mixed boxes take, which key sound each plays, and the checks on what they hold.
// Widget-free; the score-entry window applies them.
#include "school/score_sheet.h"

#include <QChar>
#include <QList>
#include <QString>
#include <optional>

namespace tessaly::score {

// Key sounds: 0 … 9 the digit, then these.
inline constexpr int kSoundPoint = 10;
inline constexpr int kSoundSlash = 11;   // the slash of the mixed box, Enter in the seat-number box
inline constexpr int kSoundError = 12;
inline constexpr int kNoSound = -1;

inline constexpr QChar kBackspace = QChar(8);

// A typed character: the character to insert (null: dropped) and the sound to play.
struct KeyOutcome {
    QChar accepted;
    int sound = kNoSound;
};

// Score box and cell editor: digits, one "." (not first; "。" counts as "."),
// Backspace.
KeyOutcome ScoreKeyFilter(QChar key, const QString &text);
// Seat-number box: digits and Backspace.
KeyOutcome seatKey(QChar key);
// Mixed box ("23/79"): digits, one "/" (not first), one "." after the score's
// first digit, Backspace.
KeyOutcome mixedKey(QChar key, const QString &text);

// Whether a score box may hold the text: empty, or digits with at most one "."
// after the first digit ("79", "79.", "79.5").
bool isScoreText(const QString &text);
// Whether a mixed box may hold the text: seat digits, optionally a "/" and a
// score text after it.
bool isMixedText(const QString &text);

// The score of a score text; none for an empty or malformed text.
std::optional<double> scoreValue(const QString &text);

// Whether the score is above the full mark, both compared as numbers in single
// precision (100.5 is above 100). A full mark that is no number refuses nothing.
bool isAboveFullMark(const std::optional<double> &score, const QString &fullMark);
// The same of a score text (scoreValue).
bool isAboveFullMark(const QString &score, const QString &fullMark);

// The seat number of a row: characters 7 and 8 of its shown ID.
QString seatOf(const school::ScoreRow &row);
// The largest seat number present among the rows (0 for none).
int largestSeat(const QList<school::ScoreRow> &rows);

// Whether a seat number being typed into the mixed box is beyond the largest
// seat: its number is greater than the number made of as many leading digits of
// the largest seat as it has ("5" against 45 is beyond, "05" is not).
bool seatBeyondClass(const QString &seat, int largest);

// A confirmed mixed entry: the seat part written with at least two digits and
// the score read back as a number ("5/079" gives "05" and 79).
struct MixedEntry {
    QString seat;
    double score = 0;
};
std::optional<MixedEntry> parseMixedEntry(const QString &text);

// The first row whose shown ID ends with the seat part, or -1.
int rowOfSeat(const QList<school::ScoreRow> &rows, const QString &seat);

} // namespace tessaly::score
