#include "score_entry/score_save.h"

#include "db/row_update.h"

#include <QStringList>

namespace tessaly::score {

ScoreSaveOutcome SaveScores(db::Connection &c, const QString &sectionTable, const QString &examColumn,
                            const QList<school::ScoreRow> &rows)
{
    ScoreSaveOutcome outcome;
    if (!db::isValidIdentifier(sectionTable) || !db::isValidIdentifier(examColumn)) {
        c.fail(db::kErrSql, QStringLiteral("无效的考试名称"));
        outcome.error = c.error();
        return outcome;
    }
    const QString sql = QStringLiteral("UPDATE %1 SET %2 = ? WHERE \"ID\" = ?")
                            .arg(db::quoteIdentifier(sectionTable), db::quoteIdentifier(examColumn));
    int saved = 0;
    QStringList gone;
    outcome.ok = c.transaction([&] {
        saved = 0;
        gone.clear();
        QStringList changed;
        for (const school::ScoreRow &row : rows) {
            if (row.state != kUnsavedRow)
                continue;
            QVariant score = row.score ? QVariant(*row.score) : QVariant(QMetaType(QMetaType::Double));
            if (!row.loaded.isValid()) {
                // Nothing read to compare with: written whatever is stored.
                if (!c.exec(sql, {score, row.id}))
                    return false;
                if (c.rowsAffected() > 0)
                    ++saved;
                else
                    gone << row.name;
                continue;
            }
            // A score entered as it shows when read keeps the stored value exactly.
            if (school::storedScore(row.loaded) == school::shownScore(row.score))
                score = row.loaded;
            switch (db::updateChangedFields(c, sectionTable, QStringLiteral("ID"), row.id,
                                            {{examColumn, row.loaded, score}})) {
            case db::RowUpdate::Failed:
                return false;
            case db::RowUpdate::Gone:
                gone << row.name;
                break;
            case db::RowUpdate::Conflict:
                changed << row.name;
                break;
            case db::RowUpdate::Updated:
                ++saved;
                break;
            }
        }
        if (!changed.isEmpty())
            return c.fail(db::kErrRowChanged,
                          db::rowChangedMessage(
                              QStringLiteral("学生(%1)的这次成绩").arg(changed.join(QStringLiteral("、"))),
                              QStringLiteral("您录入的成绩"), QStringLiteral("重新打开这次考试读出最新成绩")));
        return true;
    });
    if (outcome.ok) {
        outcome.saved = saved;
        outcome.gone = gone;
    } else {
        outcome.error = c.error();
    }
    return outcome;
}

} // namespace tessaly::score
