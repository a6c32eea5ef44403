#pragma once
// The statistics grid of a grade group: one exam, one row per subject and
// class (teacher, class size, participants, average, pass and excellent counts
// and rates, highest and lowest score, six fixed score bands, top-10/20/30
// averages), a blank row after each subject. Widget-free; every value bound.
//
// A window that shows the grid:
//
//   grades::StatisticsRequest request;
//   request.gradeGroup = u"初一年级组"_s;               // 任课 rows are matched on it
//   request.sectionTable = u"初中"_s;
//   request.cohortYear = 2025;                         // class code = year + class number
//   request.subjects = {{u"语文"_s, u"Z25S语文250915"_s}, …};   // selected, in list order
//   request.classes = {u"一班"_s, u"十一班"_s};          // selected class names, in list order
//   db::Connection c(openpath);
//   const grades::StatisticsFill fill = grades::fillStatistics(c, request, progress);
//   if (fill.error.isSet())  → kDataErrorPrefix + fill.error.text, stop
//   grid rows 1 .. fill.rows.size(): statisticsRowTexts(*row), or all blank for nullopt
//   if (fill.anyEmptyRow)    → kEmptyRowsNote under "说明……"
//
// Row r of subject s (from 0) and class c (from 1) is s × (C + 1) + c, C the
// number of classes; rows (C + 1) × (s + 1) are the blank separators.
#include "db/database.h"
#include "school/class_code.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

class QFont;

namespace tessaly::grades {

// The grid's columns.
enum StatisticsColumn {
    kStatSubject = 0,        // 学科
    kStatClass = 1,          // 班级
    kStatTeacher = 2,        // 教师姓名
    kStatStudents = 3,       // 班总人数
    kStatParticipants = 4,   // 参试人数
    kStatAverage = 5,        // 班级平均分数 "0.00"
    kStatStandard = 6,       // 标准分数: always blank
    kStatPassCount = 7,      // 及格人数
    kStatPassRate = 8,       // 及格率％ "0.0"
    kStatExcellentCount = 9, // 优秀人数
    kStatExcellentRate = 10, // 优秀率％ "0.0"
    kStatHighest = 11,       // 班内最高分数 "0.0"
    kStatLowest = 12,        // 班内最低分数 "0.0"
    kStatFirstBand = 13,     // 0 │59, 60│79, 80│89, 90│99, 100│119, 120│150
    kStatFirstTop = 19,      // 前10名, 前20名, 前30名平均分 "0.00"
    kStatisticsCols = 22,
};
inline constexpr int kBandCount = 6;
inline constexpr std::array<int, 3> kTopCounts{10, 20, 30};

// The header as the comparison window shows it; the score report centres the
// two rate columns ("^及格率％", "^优秀率％").
inline const QString kStatisticsHeader = QStringLiteral(
    "^学科|^班级|^教师姓名|^班总人数|^参试人数|>班级平均分数|>标准分数|^及格人数|>及格率％|^优秀人数|>优秀率％|"
    ">班内最高分数|>班内最低分数|^0 │59|^60│79|^80│89|^90│99|^100│119|^120│150|>前10名平均分|>前20名平均分|"
    ">前30名平均分");
// Column widths in twips, and the header row's height.
inline constexpr std::array<int, kStatisticsCols> kStatisticsColWidths{
    450, 450, 820, 300, 300, 630, 450, 300, 500, 300, 500, 630, 630, 350, 350, 350, 350, 350, 350, 630, 630, 630};
inline constexpr int kStatisticsHeaderHeight = 900;

// The width in twips, at least `twips`, at which `header` fits the header row,
// drawn bold in the grid's font and wrapped at word boundaries (the designed
// widths are for a narrower font).
int fittedHeaderWidth(const QFont &gridFont, const QString &header, int twips);

// Messages of a fill.
inline const QString kNoExamChosen = QStringLiteral("请选择考试名称。");
inline const QString kNoSubjectChosen = QStringLiteral("请选择考试科目后,才能显示。");
inline const QString kNoClassChosen = QStringLiteral("请选择分析班级后,才能显示。");
inline const QString kEmptyRowsNote = QStringLiteral("显示空内容的行,是因为本科本班没有成绩。");
inline const QString kEmptyRowsTitle = QStringLiteral("说明……");

// The first check of a fill that fails, in the order exam, subjects, classes;
// empty when the fill may run. The score report words the class check its own way.
QString missingChoice(bool examChosen, int selectedSubjects, int selectedClasses,
                      const QString &noClassText = kNoClassChosen);

// The statistics of one class in one exam column.
struct ClassStatisticsRow {
    QString subject;
    QString className;
    QString teacher;             // empty when no 任课 row names one
    bool hasRecords = false;     // false: the class has no student row at all
    int students = 0;            // student rows of the class
    int participants = 0;        // rows with a score (0 is a score)
    float sum = 0;               // of the scores, single precision, highest first
    float fullMark = 100;        // the class's full mark in the exam (school::examFullMark)
    int passCount = 0;           // at or above fullMark × 3/5
    int excellentCount = 0;      // at or above fullMark × 4/5
    float highest = 0;           // meaningful with participants
    float lowest = 0;
    std::array<int, kBandCount> bands{};   // ≤59, ≤79, ≤89, ≤99, ≤119, above
    // Sum of the 10, 20, 30 highest scores / 10, 20, 30; none with fewer participants.
    std::array<std::optional<float>, 3> topAverages{};

    std::optional<float> average() const;   // sum / participants; none without participants
};

// Counts one class's scores (none = empty cell) against the full mark.
// `hasRecords` is true whenever any row is given; subject, class name and
// teacher are left to the caller.
ClassStatisticsRow classStatistics(const QList<std::optional<float>> &scores, float fullMark);

// The 22 cell texts of a row: without records only subject, class and teacher;
// without participants also the class size, "0" participants and "0" bands.
QStringList statisticsRowTexts(const ClassStatisticsRow &row);

// A single-precision value with fixed decimals, halves away from zero on the
// value as it shows (59.45f → "59.5").
QString formatScore(float value, int decimals);

struct StatisticsSubject {
    QString name;         // as listed: 语文, or a quiz's name and subject
    QString examColumn;   // the exam column of the section table
};

// The class name of a class item (名称, one blank, 其它): the item up to its first blank.
QString classNameOfItem(const QString &classItem);

struct StatisticsRequest {
    QString gradeGroup;    // 对应内容 of the 任课 rows
    QString sectionTable;  // 小学, 初中 or 高中
    int cohortYear = 0;
    QList<StatisticsSubject> subjects;
    QStringList classes;   // class names (名称)
};

struct StatisticsFill {
    // Grid rows from row 1: a class row, or none for a blank separator.
    QList<std::optional<ClassStatisticsRow>> rows;
    bool anyEmptyRow = false;   // a class without any student row was met
    db::Error error;            // set: a query failed and the fill stopped; rows are partial
};

// Called before each subject's rows are built: its position (from 0) and name.
using StatisticsProgress = std::function<void(int subjectIndex, const QString &subject)>;

// Fills the grid's rows for the request. Reads the grade group's 任课 rows once,
// each class's scores in all requested subjects with one query, and the stored
// full marks of the requested exams once (each class counted against its own),
// so a fill costs 2 + C queries. A class name outside the fixed class list, or a request
// whose section table or exam column is not a valid name, has no students.
// A connection that could not be opened is the fill's error.
StatisticsFill fillStatistics(db::Connection &c, const StatisticsRequest &request,
                              const StatisticsProgress &progress = {});
// The progress caption while a subject's rows are built.
QString statisticsProgressText(const QString &subject);

// The queries of a fill. Teaching rows: 名称 (teacher), 其它 (class name) and
// 其次 (subject) of the grade group's 任课 rows, in 教导处 order. Class scores:
// the exam columns of every student row of the class (classMembersQuery);
// invalid for an invalid table, class code or column name.
school::Statement teachingRowsQuery(const QString &gradeGroup);
school::Statement classScoresQuery(const QString &sectionTable, const QString &classCode,
                                const QStringList &examColumns);

} // namespace tessaly::grades
