#pragma once
// The weak-subject query of one class in one exam, as widget-free rules:
// the score matrix (every subject's scores, kept with their presence, and its
// average, participants and deviation), the subject-count check, the analysis
// (raw and standard cells, totals, ranks, summary rows, the weak-subject text)
// and the charts' elements: the subject-average bars and one student's
// subject bars.
//
// A missing score is not a 0: a stored 0 counts in the average, the
// participants and the deviation, a missing score in none of them.
#include "school/exam_subject_list.h"
#include "widgets/chart_surface.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace tessaly::grades {

// One subject of the matrix: the class's scores in student order and their figures.
struct SubjectScores {
    QString column;
    QString subject;
    QVector<std::optional<float>> scores;   // none: no score (a stored 0 is a score)
    float average = 0;                      // sum / participants in single precision; 0 without any
    int participants = 0;
    float stdDev = 0;                       // population deviation of the present scores
};

// The figures of a subject's scores (average, participants, deviation).
SubjectScores summariseSubject(const school::ExamSubject &subject, const QVector<std::optional<float>> &scores);

// What List1 appends to a subject: "(共3人,2人参考)", or "(共3人,没有成绩)".
QString participantText(int students, int participants);

// The subject name of a List1 item: its text up to its first "(".
QString subjectOfListItem(const QString &item);

// CheckSubjectCount: before an analysis, the key-student sheet and a student's bars.
inline constexpr int kMaxSubjects = 15;
enum class OverLimitText {
    Analysis,   // "本程序最多不能超过15科考试。"
    Student,    // "本程序最大分析次数不能超过15科考试。"
};
struct SubjectCountCheck {
    bool go = false;
    QString message;   // shown (OK, "提示……") when not empty; with go it is a Yes/No question
};
SubjectCountCheck checkSubjectCount(int count, OverLimitText overLimit);

// A standard score is weak below this, compared as shown ("-0.30" is not weak).
inline constexpr double kWeakThreshold = -0.3;
bool isWeakStandardScore(const QString &standardText);
// The same of a shown standard score's value (standardScoreValue).
bool isWeakStandardValue(double shown);

// The analysis of the selected subjects (indices into the matrix, in list order).
struct StudentCells {
    QStringList raw;        // per selected subject: "0.0", empty without a score
    QStringList standard;   // per selected subject: "0.00", empty without a score
    QString rawTotal;       // "0.0"; empty without any score
    QString standardTotal;  // "0.00"; empty without any score
    QString rawRank;        // among the raw totals as shown; empty without a total
    QString standardRank;
};
struct WeakAnalysis {
    QVector<int> selected;          // matrix indices of the selected subjects
    QStringList headers;            // their subject names
    QVector<StudentCells> students; // in student order
    QStringList averageCells;       // raw summary row: each subject's average, "0.0"
    QStringList standardSums;       // standard summary row: the sum of the shown standard cells, "0.00"
    QString statistics;             // Text1, lines ending in CR LF
};
WeakAnalysis analyseWeakSubjects(const QVector<SubjectScores> &matrix, const QVector<int> &selected,
                                 const QStringList &names);

// Class ranks of shown totals: 1 + the number of shown totals strictly greater,
// both sides read as shown; an empty total gets no rank.
QStringList ranksOfShown(const QStringList &totals);
// The same of the totals' values (none: no rank), ranked by one sort.
QStringList ranksOfValues(const QVector<std::optional<double>> &totals);

// The rank of a score among the class's present scores, both compared as shown
// with one decimal: 1 + the number strictly greater. A missing score counts as 0.
int subjectRank(const SubjectScores &subject, std::optional<float> score);

// A bar's tooltip: 三班45人 参考43人 语文平均78.25分 得85分全班第12名.
QString studentBarTip(const QString &className, int students, const SubjectScores &subject,
                      std::optional<float> score);

// Bar width of n subjects in a 3650-twip chart: 3650 / n, halves to even.
int barStep(int subjects);

// The subject-average chart (Frame3 item 0): design and the bars Label4 1..S with
// their captions Label8 0..S-1; the rest hidden.
chart::ChartFrame designAverageChart();
void drawAverageBars(chart::ChartFrame &frame, const QVector<SubjectScores> &matrix, const QVector<int> &selected,
                     const QString &className, int students);

// One student's subject chart (Frame3 item 1): design; then the name lines
// Label7 6 and 20, bars Label9 1..n and captions Label8 15..n+14.
chart::ChartFrame designStudentChart();
// The scale of a student bar: a score equal to the average reaches 970 twips;
// 0 for an average of 0.
double studentBarScale(float average);
// A bar's height, never above `room` (a tiny average cannot push it off the chart).
int studentBarHeight(double scale, float score, int room);
// The name of a student label: up to 5 characters after its first blank.
QString nameOfStudentLabel(const QString &label);
// Where one student bar stands: its bar and caption members, the chart's left
// edge and base line, and the height it may reach.
struct StudentBarPlace {
    QString barArray;
    int barIndex = 0;
    QString captionArray;
    int captionIndex = 0;
    int left = 0;       // the first bar's left edge
    int baseline = 0;
    int room = 0;
};
// Bar k (from 1) of n for the subject and the student's score (none: drawn as
// 0, captioned with "无成绩"); the caption above it shows the score, with "分"
// below 8 subjects; the tooltip is studentBarTip().
void drawStudentBar(chart::ChartFrame &frame, const StudentBarPlace &place, int k, int n, const SubjectScores &subject,
                    std::optional<float> score, const QString &className);
void drawStudentBars(chart::ChartFrame &frame, const QVector<SubjectScores> &matrix, const QVector<int> &selected,
                     int student, const QString &label, const QString &rawRank, const QString &className);

} // namespace tessaly::grades
