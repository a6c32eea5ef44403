#include "score_entry/score_input.h"

#include <QRegularExpression>
#include <algorithm>

namespace tessaly::score {

namespace {

const QChar kPoint = QLatin1Char('.');
const QChar kSlash = QLatin1Char('/');
const QChar kFullWidthStop = QChar(0x3002);   // 。

QChar normalised(QChar key)
{
    return key == kFullWidthStop ? kPoint : key;
}

KeyOutcome digitOrBackspace(QChar key)
{
    if (key == kBackspace)
        return {key, kNoSound};
    if (key >= QLatin1Char('0') && key <= QLatin1Char('9'))
        return {key, key.digitValue()};
    return {};
}

} // namespace

KeyOutcome ScoreKeyFilter(QChar key, const QString &text)
{
    key = normalised(key);
    if (key == kPoint) {
        if (text.isEmpty() || text.contains(kPoint))
            return {};
        return {key, kSoundPoint};
    }
    return digitOrBackspace(key);
}

KeyOutcome seatKey(QChar key)
{
    return digitOrBackspace(key);
}

KeyOutcome mixedKey(QChar key, const QString &text)
{
    key = normalised(key);
    const int slash = text.indexOf(kSlash);
    if (key == kSlash) {
        if (text.isEmpty() || slash >= 0)
            return {};
        return {key, kSoundSlash};
    }
    if (key == kPoint) {
        if (slash < 0 || text.contains(kPoint) || text.endsWith(kSlash))
            return {};
        return {key, kSoundPoint};
    }
    return digitOrBackspace(key);
}

bool isScoreText(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d+(\\.\\d*)?)?$"));
    return pattern.match(text).hasMatch();
}

bool isMixedText(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d+(/(\\d+(\\.\\d*)?)?)?)?$"));
    return pattern.match(text).hasMatch();
}

std::optional<double> scoreValue(const QString &text)
{
    if (text.isEmpty() || !isScoreText(text))
        return std::nullopt;
    return school::storedValue(text);
}

bool isAboveFullMark(const std::optional<double> &score, const QString &fullMark)
{
    const std::optional<float> value = school::shownScore(score);
    bool ok = false;
    const float mark = fullMark.trimmed().toFloat(&ok);
    return value && ok && *value > mark;
}

bool isAboveFullMark(const QString &score, const QString &fullMark)
{
    return isAboveFullMark(scoreValue(score), fullMark);
}

QString seatOf(const school::ScoreRow &row)
{
    return row.shownId.mid(6, 2);
}

int largestSeat(const QList<school::ScoreRow> &rows)
{
    int largest = 0;
    for (const school::ScoreRow &row : rows)
        largest = std::max(largest, seatOf(row).toInt());
    return largest;
}

bool seatBeyondClass(const QString &seat, int largest)
{
    if (seat.isEmpty())
        return false;
    const QString limit = QString::number(largest).left(seat.size());
    return seat.toLongLong() > limit.toLongLong();
}

std::optional<MixedEntry> parseMixedEntry(const QString &text)
{
    const int slash = text.indexOf(kSlash);
    if (slash <= 0 || !isMixedText(text))
        return std::nullopt;
    const std::optional<double> score = scoreValue(text.mid(slash + 1));
    if (!score)
        return std::nullopt;
    bool ok = false;
    const int seat = text.left(slash).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return MixedEntry{QStringLiteral("%1").arg(seat, 2, 10, QLatin1Char('0')), *score};
}

int rowOfSeat(const QList<school::ScoreRow> &rows, const QString &seat)
{
    for (int i = 0; i < rows.size(); ++i)
        if (!seat.isEmpty() && rows[i].shownId.endsWith(seat))
            return i;
    return -1;
}

} // namespace tessaly::score
