#pragma once
// A large generated school for benchmarks: every grade group of the fixed list with
// 8 to 10 classes, head teachers and teaching assignments, thousands of students with
// proper student numbers, and 9 subjects x 14 exams per section table (or more, see
// examColumns) with a score for every student. Deterministic: the same options give
// the same database.
#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>

namespace tessaly::bench {

struct LargeSchoolOptions {
    int students = 5000;                  // spread evenly over the classes, at most 99 a class
    // Exam columns per section table: at least the 126 standard ones (9 subjects x
    // 14 exams); more are added as further quizzes, subject by subject.
    int examColumns = 0;
    int classesPerGroup = 0;              // 1 to 30; 0: 8 to 10, varying by grade group
    QStringList sections;                 // section tables whose grade groups are made; empty: all three
    QDate reference = QDate(2025, 10, 15);   // "today" for cohort years and exam dates
    quint32 seed = 20251015;
};

struct LargeSchoolSummary {
    int gradeGroups = 0;
    int classes = 0;
    int teachings = 0;
    int students = 0;
    QMap<QString, int> examColumns;        // section table -> exam columns added
};

// Writes folder/data.mdb (the folder is created when missing). Refuses an existing file.
bool makeLargeSchool(const QString &folder, const LargeSchoolOptions &options,
                     LargeSchoolSummary *summary = nullptr, QString *error = nullptr);

// The database a benchmark runs on: the file named by TESSALY_BENCH_DB (copied into
// `folder` first when `copy`, for a benchmark that changes it), or else a school made
// with `options` in folder/school. Empty, with *error set, when there is none.
QString benchSchool(const QString &folder, const LargeSchoolOptions &options, bool copy, QString *error);

} // namespace tessaly::bench
