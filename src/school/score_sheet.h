#pragma once
// The score sheet of one class: the students in seat order with their scores
// in one exam, as plain rows. The score grid shows them; entry and saving work
// on them.
#include "school/class_code.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

namespace tessaly::db {
class Connection;
class EngineRow;
}

namespace tessaly::school {

// The score grid: one header row, eight columns, the last two hidden.
enum ScoreGridColumn {
    kColNumber = 0,      // 编号: "01", "02", …
    kColShownId = 1,     // 学籍号: the shown ID
    kColName = 2,        // 姓名
    kColSex = 3,         // 性别
    kColScore = 4,       // the score in the open exam
    kColRank = 5,        // 班级名次
    kColId = 6,          // ID of the student's row (hidden)
    kColRowState = 7,    // row state (hidden): "" as loaded, "1" entered or changed
    kScoreGridCols = 8,
};

// The header before an exam is open, and once one is.
inline const QString kLoadHeader =
    QStringLiteral("^ 编 号 |^ 学 籍 号 |^  姓   名  |^ 性别 |> 学科成绩 |^ 班级名次|　ID |保存");
QString examHeader(const QString &subject);

// Height of a filled row, in twips.
inline constexpr int kFilledRowHeight = 210;

struct ScoreRow {
    qint64 id = 0;                 // ID of the student's row
    QString studentNumber;         // 学籍号 as stored
    QString shownId;               // as the 学籍号 column shows it
    QString name;                  // 姓名
    QString sex;                   // 性别
    std::optional<double> score;   // the stored or entered score (storedValue); none when there is none.
                                   // Shown and compared in single precision (formatSingle).
    QVariant loaded;               // the exam column exactly as read (invalid: not read)
    QString rank;                  // 班级名次, filled by the statistics
    QString state;                 // row state
};

// The class's students, in 学籍号 (seat) order: ID, 学籍号, 姓名, 性别, 民族,
// followed by the exam column when one is given. Invalid for an invalid table,
// class code or column name.
Statement scoreSheetQuery(const QString &sectionTable, const QString &classCode,
                               const QString &examColumn = QString());

// A stored score: a number, or none for null, an empty text or anything else.
std::optional<float> storedScore(const QVariant &value);
// The same of a column read straight from the engine.
std::optional<float> storedScore(const db::EngineRow &row, int column);

// The rows of the query's records; scores are read when the query named an exam column.
QList<ScoreRow> scoreRowsFrom(const QVector<QVector<QVariant>> &records, const QString &classCode,
                              bool withScores);

// A stored score at full precision: a number, or a text that reads as one
// (blanks around it allowed); none for null, an empty text or anything else.
std::optional<double> storedValue(const QVariant &value);
std::optional<double> storedValue(const db::EngineRow &row, int column);

// One student's 学籍号, 姓名 and scores in chosen exam columns (storedValue).
struct StudentScores {
    QString studentNumber;
    QString name;
    QVector<std::optional<double>> scores;   // in the order of the columns asked for
};

// The class's students in 学籍号 (seat) order with their scores in `examColumns`,
// reading those columns only. Empty for an invalid table, class code or column;
// nullopt when the database refused (c.error()).
std::optional<QVector<StudentScores>> readClassScores(db::Connection &c, const QString &sectionTable,
                                                      const QString &classCode, const QStringList &examColumns);

// The class's sheet (scoreSheetQuery) read on the connection: no rows for an
// invalid class; nullopt when the read failed (c.error()).
std::optional<QList<ScoreRow>> readScoreSheet(db::Connection &c, const QString &sectionTable,
                                              const QString &classCode, const QString &examColumn);

// The texts of one grid row for a sheet row at position `number` (from 1).
QStringList gridTexts(const ScoreRow &row, int number);

// The scores of the rows, in order, in single precision as shown.
QList<std::optional<float>> scoresOf(const QList<ScoreRow> &rows);

// A score as the grid shows and compares it: in single precision.
inline std::optional<float> shownScore(const std::optional<double> &score)
{
    return score ? std::optional<float>(float(*score)) : std::nullopt;
}
// Its text in the grid: empty for none.
QString shownScoreText(const std::optional<double> &score);

} // namespace tessaly::school
