#pragma once
// One subject of one class over its exams (单科多次成绩横向分析): the students
// and the score matrix of every exam of the subject that has a score in the
// class.
#include "school/score_sheet.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

namespace tessaly::analysis {

// A missing score in the matrix.
inline constexpr float kNoScore = -1;

// The score matrix of N students and J exams, indexed as the charts read it:
// rows 1 .. N the students, row N + 1 each exam's average, row N + 2 its
// participants; column c (1 .. J) the exam of list entry c - 1. Row 0 and
// column 0 are never used. Sized to the class, so any number of students fits.
class ScoreMatrix {
public:
    ScoreMatrix() = default;
    ScoreMatrix(int students, int exams);

    int students() const { return m_students; }
    int exams() const { return m_exams; }

    float cell(int row, int column) const { return m_cells[index(row, column)]; }
    void setCell(int row, int column, float value) { m_cells[index(row, column)] = value; }

    // 0-based student and exam.
    float score(int student, int exam) const { return cell(student + 1, exam + 1); }
    float average(int exam) const { return cell(m_students + 1, exam + 1); }
    int participants(int exam) const { return int(cell(m_students + 2, exam + 1)); }

    // The class rank of the student in the exam: 1 + the number of students
    // with a strictly higher score; students without a score never count.
    int rankOf(int student, int exam) const;

private:
    int index(int row, int column) const { return row * (m_exams + 1) + column; }

    int m_students = 0;
    int m_exams = 0;
    QVector<float> m_cells;   // (N + 3) x (J + 1)
};

struct TrendStudent {
    QString shownId;
    QString name;
};

// The student box's entry: the shown ID, then a blank and the name when there
// is one, so the name starts at character 10.
QString studentItemText(const TrendStudent &student);

// The name an entry of the student box shows: its characters 10 to 14.
QString nameOfStudentItem(const QString &itemText);

struct SubjectScores {
    QList<TrendStudent> students;   // in 学籍号 order; student i is matrix row i + 1
    QStringList exams;              // raw column names; exam c - 1 is matrix column c
    ScoreMatrix matrix;
    QList<float> fullMarks;         // per exam, as `exams`; read from the database only
};

// Gathers the class's rows (in 学籍号 order; scores in the order of `exams`) into
// the matrix, each exam without any score in the class left out. A score of 0
// is a score. The average is the sum of the present scores over their number,
// in single precision.
SubjectScores gatherSubjectScores(const QStringList &exams, const QVector<school::StudentScores> &records,
                                  const QString &classCode);

// The subject's exam columns (school::FindExamsOfSubject, in column order) of the
// class's students, reading 学籍号, 姓名 and those columns only, with each exam's
// full mark for the class (its grade group and class name). Empty for an
// invalid class; nullopt when the database refused (c.error()).
std::optional<SubjectScores> readSubjectScores(db::Connection &c, const school::ClassIdentity &identity,
                                               const QString &gradeGroup, const QString &className,
                                               const QString &subject);

// The caption of the exam list: "(分析J次考试情况)".
QString examCountText(int count);

} // namespace tessaly::analysis
