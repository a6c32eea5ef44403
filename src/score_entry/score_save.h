#pragma once
// The save of entered scores into an exam column.
#include "kit/save_report.h"
#include "school/score_sheet.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly::score {

// The row state of a row whose score was entered or changed and not yet saved.
inline const QString kUnsavedRow = QStringLiteral("1");

struct ScoreSaveOutcome : SaveOutcome {
    int saved = 0;        // rows written
    QStringList gone;     // names of marked rows whose student row no longer exists
};

// Writes every row marked kUnsavedRow into the exam column of its student's row (an
// empty score as NULL), in one transaction: all rows or none. A student row
// deleted meanwhile (by another computer) is not counted as saved; its name goes
// to `gone`. A row read with its score is written only while the stored score is
// still the one read; one changed meanwhile fails the whole save, naming the
// student. The table and column names are checked; an invalid one writes nothing.
ScoreSaveOutcome SaveScores(db::Connection &c, const QString &sectionTable, const QString &examColumn,
                            const QList<school::ScoreRow> &rows);

} // namespace tessaly::score
