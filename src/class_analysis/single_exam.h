#pragma once
// One exam of one subject in one class: the students with their scores as
// rows, their ranks, score levels, ten-point bands and the summary text.
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace tessaly::analysis {

// The score grid: one header row, six columns, the last hidden.
enum SingleExamColumn {
    kColNumber = 0,    // 号: "01", "02", … in the grid's order
    kColShownId = 1,   // 学籍号: the shown ID
    kColName = 2,      // 姓名
    kColScore = 3,     // 分数
    kColRank = 4,      // 名次
    kColRankKey = 5,   // ID: the rank-order key (hidden)
    kSingleExamCols = 6,
};
inline const QString kSingleExamHeader = QStringLiteral("^号|^学 籍 号|^ 姓  名 |^分 数|^名次|ID");
inline constexpr int kRankColWidth = 380;    // twips
// The other shown columns, so the grid fits its place beside the charts.
inline constexpr int kSingleExamColWidths[] = {300, 900, 720, 450, kRankColWidth, 0};
inline constexpr int kExamRowHeight = 210;   // twips

struct ExamRow {
    int number = 0;               // 号: the row's place at the last analysis
    QString shownId;
    QString name;
    std::optional<float> score;   // none: no score (a stored 0 is a score)
    QString rank;                 // empty without a score
    QString rankKey;              // empty until the rank order was asked for
};

// The grid texts of a row.
QStringList examRowTexts(const ExamRow &row);

// The full mark typed into the box: a number F with 1 <= F < 155 (at most 15
// ten-point bands); anything else gives none.
std::optional<float> parseFullMarkBox(const QString &text);

// The number of ten-point bands of a full mark: CInt(CInt(F) / 10), at least 1
// and at most 15 (10 for 100, 15 for 150).
int bandCountOf(float fullMark);

// The band (1 .. bands) of a score: the first k with s < 10 k. A score at or
// above the top band's upper bound (a full mark of 100 or 150) is counted in the
// top band, and a negative score in band 1, so every score has a band.
int bandOf(float score, int bands);

struct ExamStatistics {
    float fullMark = 100;
    float excellentLine = 85;   // 0.85 of the full mark
    int bands = 10;        // bands in use
    int students = 0;      // N: every row
    int participants = 0;  // n: rows with a score
    float sum = 0;
    float average = 0;     // sum / n, 0 without participants
    // Exclusive levels: 优秀 (>= 0.85 F), 良好 (>= 0.75 F), 合格 (>= 0.6 F), 较差.
    std::array<int, 4> levels{};
    std::array<int, 16> band{};   // band[1 .. 15]
    int passed() const { return levels[0] + levels[1] + levels[2]; }
};

// Numbers the rows in their order (1, 2, …), counts them and writes each scored
// row's class rank (RankInClass) into it; a row without a score gets no rank.
ExamStatistics analyseExam(QList<ExamRow> &rows, float fullMark);

// The exam summary text: totals, rates and the bands. `fullMarkText` is the
// full mark as the box shows it.
QString examSummaryText(const ExamStatistics &stats, const QString &fullMarkText);

// Row orders. By ID: the shown ID, as text ignoring case (after loading) or as
// the grid's generic order (numbers by value, before other texts). By rank: the
// rank key becomes the rank or "90000" without one, so unscored rows come last;
// rows equal in the key keep their order.
void sortByShownIdText(QList<ExamRow> &rows);
void sortByShownIdGeneric(QList<ExamRow> &rows);
void sortByRank(QList<ExamRow> &rows);

// The numbers of scores greater and smaller than the row's score.
struct Standing {
    int above = 0;
    int below = 0;
};
Standing standingOf(const ExamRow &row, const QList<ExamRow> &rows);

} // namespace tessaly::analysis
