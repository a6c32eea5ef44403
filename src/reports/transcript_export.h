#pragma once
// The transcript sheet "成绩单": the title over the shown columns, the two header
// rows with their merges, and the shown rows.
#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly {
class ExportWorkbook;
}

namespace tessaly::reports {

inline const QString kTranscriptSheet = QStringLiteral("成绩单");

// What the window shows: the texts of its shown columns, the two header rows
// first, then every shown row in grid order.
struct ShownTable {
    QString title;
    QList<QStringList> rows;
};

// Adds the sheet as the workbook's first. Columns whose two header texts agree
// are merged over both header rows; to their right, runs of equal headings in the
// first header row ("名次", each subject) are merged. Widths: A to E 6, 6, 4, 3, 3,
// then by the second header row: 原分 3, 标分 4, 班名 3, 组名 3.
void addTranscriptSheet(ExportWorkbook &book, const ShownTable &table);

} // namespace tessaly::reports
