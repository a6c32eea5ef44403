#pragma once
// What the score-entry window works on, free of widgets: the open exam and its
// full mark, the class's rows with their stored and entered scores, their class
// ranks and which of them are unsaved. The window shows the sheet in its grid
// and sends every entry here; what is refused, saved and counted is decided here.
#include "score_entry/entry_statistics.h"
#include "score_entry/score_save.h"
#include "school/score_sheet.h"

#include <QList>
#include <QString>
#include <optional>

namespace tessaly::score {

class ScoreEntrySheet {
public:
    // What an entry did to its row.
    enum class Entry {
        Entered,     // the row holds the score and is unsaved
        Unchanged,   // the row already showed the score: it stays as it was
        Refused,     // above the full mark, a locked exam or no such row: nothing changed
    };

    // The class's students before an exam is open: rows without scores. The full
    // mark stays what it was.
    void loadStudents(QList<school::ScoreRow> rows);
    // The rows of an exam column as read, none of them unsaved. Its full mark is
    // 100 until setFullMark gives the exam's own.
    void openExam(const QString &column, QList<school::ScoreRow> rows);
    // No exam and no rows; the full mark stays.
    void clear();

    // The open exam's column; empty while none is open.
    const QString &exam() const { return m_exam; }
    bool hasExam() const { return !m_exam.isEmpty(); }
    // A locked exam is shown, never changed: every entry is refused.
    void setLocked(bool locked) { m_locked = locked; }
    bool isLocked() const { return m_locked; }

    // The full mark as shown: the text accepted last (empty before any exam) and
    // its value (0 before any exam), which the statistics count against.
    const QString &fullMarkText() const { return m_fullMarkText; }
    float fullMark() const { return m_fullMark; }
    // The exam's full mark (examFullMark), written as formatSingle writes it.
    void setFullMark(float mark);
    // A full mark typed by the teacher: taken when parseFullMark accepts it
    // (blanks around it dropped), otherwise the full mark stays; true when taken.
    bool setFullMark(const QString &typed);
    // Whether a score (its text as typed) is above the full mark (isAboveFullMark).
    bool isAboveFullMark(const QString &scoreText) const;

    const QList<school::ScoreRow> &rows() const { return m_rows; }
    bool anyScore() const;

    // A confirmed entry (the name, seat-number and mixed boxes, after the teacher's
    // Yes): the row takes the score and is unsaved, even when it showed that score.
    Entry enter(int row, std::optional<double> score);
    // A score typed over the row's cell (the grid): the score as the grid shows it
    // (shownScoreText), none for an empty text. A row that already showed it is
    // left as it was, saved or not.
    Entry type(int row, const QString &text);

    bool isUnsaved(int row) const;
    bool hasUnsaved() const;
    // The unsaved rows, for SaveScores.
    QList<school::ScoreRow> rowsToSave() const;
    // After a save of rowsToSave(): once it succeeded, every row saved holds what
    // is stored now, for the next save's comparison, and none is unsaved. A failed
    // save changes nothing.
    void applySave(const ScoreSaveOutcome &outcome);

    // Counts the scores against the full mark. When any row has a score, every
    // row takes its class rank (none for a row without a score).
    EntryStatistics recount();

private:
    bool mayEnter(int row) const;
    void mark(int row);

    QString m_exam;
    QList<school::ScoreRow> m_rows;
    QString m_fullMarkText;
    float m_fullMark = 0;
    bool m_locked = false;
};

} // namespace tessaly::score
