#pragma once
// The entry statistics of one class in one exam.
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
EntryStatistics entryStatistics(const QList<school::ScoreRow> &rows, float fullMark);

// The panel's thirteen lines, joined by CR LF; fullMarkText as the full-mark box shows it.
QString statisticsPanelText(const EntryStatistics &s, const QString &fullMarkText);

} // namespace tessaly::score
