#pragma once
// The score report of a grade group, widget-free: its grid header, the column
// boxes of its options and the two row orders. The rows themselves are the
// statistics rows of grade_analysis (fillStatistics); the zoom steps and fonts
// are the transcript's (zoomStep, scaledWidth, zoomFontScale).
//
// A report is kept as its rows' texts, row 0 the header:
//   by subject  header "学科|班级|…"; per subject one row per class, then a blank row;
//   by class    header "班级|学科|…"; per class one row per subject, then a blank row.
#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly::reports {

// The statistics header with the two rate columns centred.
QString scoreReportHeader();

// The grid's face and size at 正常: the designed widths are for a narrow face, the
// 宋体 stand-in at 7 points, where a four-character header stacks in the narrowest
// columns within the 900-twip header row and every column fits the page.
inline const QString kReportGridFace = QStringLiteral("宋体");
inline constexpr double kReportGridPoints = 7;

// A header text as the grid shows it: a line may break on either side of "│", so
// that "100│119" stacks in its narrow column. The texts themselves (the workbook's)
// stay as they are.
QString wrappableHeader(const QString &header);

// The column boxes Check1(0) … Check1(9): caption, columns and their widths when ticked.
inline constexpr int kReportBoxes = 10;
struct ReportBox {
    QString caption;
    QList<int> columns;
    QList<int> widths;
};
ReportBox reportBox(int index);

enum class ReportOrder { BySubject, ByClass };

// The order a report is in, told by the header of column 0.
ReportOrder reportOrderOf(const QList<QStringList> &rows);

// The report in the other order. Blocks are the runs of rows between blank rows
// (column 0 empty), counted from the rows themselves; row k of every block, in
// block order, makes the new block k, with columns 0 and 1 exchanged (the header
// too) and a blank row after it. Turning a report and turning it back gives it
// exactly as it was. A report already in `order` comes back unchanged.
QList<QStringList> arrangeReport(const QList<QStringList> &rows, ReportOrder order);

} // namespace tessaly::reports
