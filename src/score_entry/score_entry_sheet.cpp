#include "score_entry/score_entry_sheet.h"

#include "school/exam_registry.h"
#include "score_entry/score_input.h"
#include "workbook/format.h"

#include <algorithm>

namespace tessaly::score {

namespace {

constexpr float kDefaultFullMark = 100.0f;

bool unsaved(const school::ScoreRow &row)
{
    return row.state == kUnsavedRow;
}

} // namespace

void ScoreEntrySheet::loadStudents(QList<school::ScoreRow> rows)
{
    clear();
    m_rows = std::move(rows);
}

void ScoreEntrySheet::openExam(const QString &column, QList<school::ScoreRow> rows)
{
    clear();
    m_exam = column;
    m_rows = std::move(rows);
    setFullMark(kDefaultFullMark);
}

void ScoreEntrySheet::clear()
{
    m_exam.clear();
    m_rows.clear();
    m_locked = false;
}

void ScoreEntrySheet::setFullMark(float mark)
{
    m_fullMark = mark;
    m_fullMarkText = formatSingle(mark);
}

bool ScoreEntrySheet::setFullMark(const QString &typed)
{
    const std::optional<float> mark = school::parseFullMark(typed);
    if (!mark)
        return false;
    m_fullMark = *mark;
    m_fullMarkText = typed.trimmed();
    return true;
}

bool ScoreEntrySheet::isAboveFullMark(const QString &scoreText) const
{
    return score::isAboveFullMark(scoreText, m_fullMarkText);
}

bool ScoreEntrySheet::anyScore() const
{
    return std::any_of(m_rows.cbegin(), m_rows.cend(), [](const school::ScoreRow &r) { return r.score.has_value(); });
}

bool ScoreEntrySheet::mayEnter(int row) const
{
    return !m_locked && row >= 0 && row < m_rows.size();
}

void ScoreEntrySheet::mark(int row)
{
    m_rows[row].state = kUnsavedRow;
}

ScoreEntrySheet::Entry ScoreEntrySheet::enter(int row, std::optional<double> score)
{
    if (!mayEnter(row) || score::isAboveFullMark(score, m_fullMarkText))
        return Entry::Refused;
    m_rows[row].score = score;
    mark(row);
    return Entry::Entered;
}

ScoreEntrySheet::Entry ScoreEntrySheet::type(int row, const QString &text)
{
    if (!mayEnter(row) || isAboveFullMark(text))
        return Entry::Refused;
    const QString shown = school::shownScoreText(scoreValue(text));
    if (shown == school::shownScoreText(m_rows[row].score))
        return Entry::Unchanged;
    m_rows[row].score = scoreValue(shown);
    mark(row);
    return Entry::Entered;
}

bool ScoreEntrySheet::isUnsaved(int row) const
{
    return row >= 0 && row < m_rows.size() && unsaved(m_rows[row]);
}

bool ScoreEntrySheet::hasUnsaved() const
{
    return std::any_of(m_rows.cbegin(), m_rows.cend(), unsaved);
}

QList<school::ScoreRow> ScoreEntrySheet::rowsToSave() const
{
    QList<school::ScoreRow> rows;
    std::copy_if(m_rows.cbegin(), m_rows.cend(), std::back_inserter(rows), unsaved);
    return rows;
}

void ScoreEntrySheet::applySave(const ScoreSaveOutcome &outcome)
{
    if (!outcome.ok)
        return;
    for (school::ScoreRow &row : m_rows) {
        if (!unsaved(row))
            continue;
        // A score entered as it showed when read keeps the value read (the save
        // wrote that one back).
        if (school::storedScore(row.loaded) != school::shownScore(row.score))
            row.loaded = row.score ? QVariant(*row.score) : QVariant(QMetaType(QMetaType::Double));
        row.state.clear();
    }
}

EntryStatistics ScoreEntrySheet::recount()
{
    const EntryStatistics s = entryStatistics(m_rows, m_fullMark);
    if (s.participants == 0)
        return s;
    for (int i = 0; i < m_rows.size(); ++i)
        m_rows[i].rank = s.ranks[i] == 0 ? QString() : QString::number(s.ranks[i]);
    return s;
}

} // namespace tessaly::score
