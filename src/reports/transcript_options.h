#pragma once
// The transcript's options, widget-free: which columns each box shows, the width
// scale, the sort keys of the row orders and the top-N filters.
//
// Transcript grid columns: 0 学号, 1 姓名, 2 总分, 3 sort key (never shown),
// 4 班内名次, 5 年级名次; subject k (from 1): 4k+2 原分, 4k+3 标分, 4k+4 班名, 4k+5 组名.
#include <QList>
#include <QString>

#include <optional>

namespace tessaly::reports {

inline constexpr int kSortKeyColumn = 3;
inline constexpr int kOptionBoxes = 6;

// The label of the three summary rows in column 0, and their sort key.
inline const QString kSummaryRowLabel = QStringLiteral(" 全部参  考学生");
inline const QString kSummarySortKey = QStringLiteral("40000000");
inline const QString kEmptySortKey = QStringLiteral("30000000");

// The columns of a column box (0 总分, 1 组名, 2 班名, 3 标分, 4 班内名次,
// 5 年级名次) for `subjects` subjects, and their width when ticked.
struct BoxColumns {
    QList<int> columns;
    int width = 0;
};
BoxColumns columnsOfBox(int box, int subjects);

// The width scale: 缩小 0.8, 正常 1, 放大 1.2 of the designed widths.
enum class Zoom { Smaller = 0, Normal = 1, Larger = 2 };
struct ZoomStep {
    double factor = 1;   // applied to the current widths
    QString scale;       // the scale now in force
};
// From the scale in force ("1", "0.8" or "1.2") to the chosen one; the factor is
// the ratio with 15 significant digits.
ZoomStep zoomStep(const QString &currentScale, Zoom chosen);
// A width times the factor, to the nearest whole twip, halves to the even one.
int scaledWidth(int width, double factor);
// The grid's font width in points for each zoom (4.1, 4.5, 5.0), and the scale of
// the grid's font size that shows it (1 for 正常).
double zoomFontWidth(Zoom zoom);
double zoomFontScale(Zoom zoom);

// A row's sort key from the text of the source column: summary rows last, rows
// without a value after those with one.
QString sortKeyOf(const QString &source, bool summaryRow);

// A top-N count: a whole number from 1 to 32767, blanks around it allowed.
std::optional<int> topCount(const QString &text);
// Whether a row with this rank stays shown under a top-N filter: an empty rank
// is beyond every N; ties at N stay.
bool keptByTopCount(const QString &rank, int n);

inline const QString kClassCountMissing = QStringLiteral("请输入要打印数目。");
inline const QString kGradeCountMissing = QStringLiteral("请输入要打印的学生数目。");
inline const QString kCountInvalid = QStringLiteral("打印数目应是1至32767之间的整数。");

} // namespace tessaly::reports
