#pragma once
// The transcript of a class or of a whole grade group for one exam: every
// student's scores, total, standard scores, class and grade-group ranks, and each
// subject's average, participants and standard deviation. Widget-free: the
// window reads the students, computes here and shows the result.
#include "school/class_code.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>

namespace tessaly::db {
class Connection;
}

namespace tessaly::reports {

// A student read for the transcript, in 学籍号 order.
struct TranscriptStudent {
    QString studentNumber;                  // 学籍号
    QString name;                           // 姓名
    QVector<std::optional<float>> scores;   // one per ticked subject; none: no score
};

struct TranscriptInput {
    // The cohort year and class number of the clicked class, or the cohort year
    // alone for a grade group.
    QString classCode;
    QStringList subjects;                  // the ticked subjects, in list order
    QVector<TranscriptStudent> students;   // the class's and the comparable classes'
};

struct SubjectCells {
    QString score;       // 原分
    QString standard;    // 标分 "0.00"
    QString classRank;   // 班名
    QString gradeRank;   // 组名
};

struct TranscriptRow {
    QString shownId;     // cohort year and the last four characters of 学籍号
    QString name;
    QString total;       // empty only for a student without any score
    QString classRank;   // of the total
    QString gradeRank;
    QVector<SubjectCells> subjects;
};

// Texts of a subject's three summary rows; all empty without participants.
struct SubjectSummary {
    QString average;        // 平均分数 "0.00"
    QString participants;   // 参考人数; the 2nd, 4th … subject's with one leading blank
    QString stdDev;         // 标 准 差 "0.00"
};

struct Transcript {
    QVector<TranscriptRow> rows;   // the students of the clicked class (grade group)
    QVector<SubjectSummary> summaries;
};

// Whether a student belongs to the clicked class: characters 5 and 6 of his
// 学籍号 are the class number; on a grade group every student does.
bool inOwnClass(const QString &classCode, const QString &studentNumber);

// Where a computation stands, as the window's progress panel shows it: the
// caption, Bar1 within the pass and Bar2 over the passes. Reading: Bar1 counts
// the students (of max their count + 1). Summaries: Bar2 3. Class ranks, per value
// column (the total, then each subject): the caption names it, Bar1 the student
// row being ranked (of max the grid's rows), Bar2 4 onwards, one more after each
// column. Grade ranks of a class: Bar2 full, Bar1 counts the students again.
// Bar2's max is the subjects + 6; a grade group ends with Bar2 full.
struct TranscriptProgress {
    QString caption;
    int bar1 = 0;
    int bar1Max = 0;
    int bar2 = 0;
    int bar2Max = 0;
};
using TranscriptProgressFn = std::function<void(const TranscriptProgress &)>;

inline const QString kReadingCaption = QStringLiteral("正在读取各科分数……");
inline const QString kGradeRanksCaption = QStringLiteral("正计算各科年级组总名次……");
// "正在统计(语文)的班内名次……"
QString classRanksCaption(const QString &column);

// Ranks are one plus the number of strictly higher values (single precision), so
// ties share a rank: 95, 90, 90, 85 rank 1, 2, 2, 4. The class rank counts the
// rows of the same class number; the grade rank every row and, for a class, the
// students of the comparable classes: in a subject those with a higher score, for
// the total those whose sum over the subjects the row's student has is higher.
// `progress` is told every step.
Transcript computeTranscript(const TranscriptInput &input, const TranscriptProgressFn &progress = {});

// The students of the transcript: 学籍号, 姓名 and the exam columns of the section
// table, for the class and each comparable class (class codes), in 学籍号 order.
// A grade group's own code (four characters) adds no class. The rows are read as one
// range of the 学籍号 index, from the lowest class to the highest, keeping those of
// the classes asked for. Invalid for a bad table or column name or when no class is
// asked for.
school::Statement transcriptQuery(const QString &sectionTable, const QString &classCode,
                               const QStringList &comparableCodes, const QStringList &examColumns);

// The students of a cohort (a 4-character class code) or a class in the section
// table: 学籍号 and 姓名 in 学籍号 order.
school::Statement cohortStudentsQuery(const QString &sectionTable, const QString &classCode);

// The rows of the two queries above, read on c. An invalid query reads no
// rows; nullopt when the database refused (c.error()). A score is
// school::storedScore's: none for null, an empty text or any other text.
struct CohortStudent {
    QString studentNumber;
    QString name;
};
std::optional<QVector<CohortStudent>> readCohortStudents(db::Connection &c, const QString &sectionTable,
                                                         const QString &classCode);
std::optional<QVector<TranscriptStudent>> readTranscriptStudents(db::Connection &c, const QString &sectionTable,
                                                                 const QString &classCode,
                                                                 const QStringList &comparableCodes,
                                                                 const QStringList &examColumns);

} // namespace tessaly::reports
