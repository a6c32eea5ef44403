#pragma once
// The statistics grid of 成绩对比分析 as the sheet "成绩分析" of a new workbook
// (打印成绩报表 writes it as "成绩报表", its header row wrapped):
// a landscape page, the title merged over the exported columns, the grid's
// shown rows and columns with the widths and number formats of their
// statistics columns, and each subject name merged over its class rows.
#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly {
class ExportWorkbook;
class ExportSheet;
}

namespace tessaly::grades {

// The grid as the window shows it: every row's texts (row 0 the header) and
// which rows and columns are shown (height or width above 0).
struct GridView {
    QList<QStringList> cells;
    QList<bool> rowShown;
    QList<bool> columnShown;
};

inline const QString kStatisticsSheetName = QStringLiteral("成绩分析");

// The sheet's name.
struct StatisticsSheetKind {
    QString name = kStatisticsSheetName;
};

// Adds the sheet in front of the workbook's sheets and fills it; the caller
// builds the workbook with its blank sheets and hands it over. Odd input never
// stops a step (ExportWorkbook skips and notes it).
ExportSheet &writeStatisticsSheet(ExportWorkbook &book, const QString &title, const GridView &grid,
                                  const StatisticsSheetKind &kind = {});

} // namespace tessaly::grades
