#pragma once
// The entry statistics of one class in one exam, and the save of entered scores.
#include "kit/save_report.h"
#include "school/score_sheet.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly::score {

// Cumulative levels: an excellent score also counts as good and as a pass.
struct EntryStatistics {
    int participants = 0;
    int excellent = 0;   // >= excellentLine, 0.9 of the full mark
    float excellentLine = 0;
    int good = 0;        // >= 0.85
    int pass = 0;        // >= 0.6
    float total = 0;
    QList<int> ranks;    // per row, 0 for a row without a score
};

// Counts and ranks the rows' scores (hidden rows too) against the full mark.
EntryStatistics entryStatistics(const QList<ScoreRow> &rows, float fullMark);

// The panel's thirteen lines, joined by CR LF; fullMarkText as the full-mark box shows it.
QString statisticsPanelText(const EntryStatistics &s, const QString &fullMarkText);

struct ScoreSaveOutcome : SaveOutcome {
    int saved = 0;        // rows written
    QStringList gone;     // names of marked rows whose student row no longer exists
};

// Writes every row marked "1" into the exam column of its student's row (an
// empty score as NULL), in one transaction: all rows or none. A student row
// deleted meanwhile (by another computer) is not counted as saved; its name goes
// to `gone`. A row read with its score is written only while the stored score is
// still the one read; one changed meanwhile fails the whole save, naming the
// student. The table and column names are checked; an invalid one writes nothing.
ScoreSaveOutcome SaveScores(db::Connection &c, const QString &sectionTable, const QString &examColumn,
                            const QList<ScoreRow> &rows);

} // namespace tessaly::score
