#pragma once
// The import workbook: a user's .xlsx or .xls file opened for reading its worksheets
// cell by cell, and for writing texts back into an .xlsx.
//
// The format is told by the file's content, not its name. Cells are read as a user
// sees them: numbers in the general form ("1", "13868106871"), date cells as
// "YYYY-MM-DD" (with " hh:mm:ss" where the format shows a time, "hh:mm:ss" for a time
// alone), booleans "TRUE"/"FALSE", error cells as their text ("#DIV/0!"), text exactly
// as stored — blanks kept, formulas as their stored result or, where a program that does
// not calculate left none, as evaluated from the workbook's cells. A cell never written
// reads "".
//
// Saving an .xlsx rewrites only the worksheets whose cells were set; every other part
// of the file is kept as it is. An .xls cannot be written: save() says so.
#include <QString>
#include <QStringList>

#include <memory>

namespace tessaly {

class ImportWorkbook {
public:
    enum class Format { Xlsx, Xls };

    // Opens the file; nullptr with a message for the user in *error when it cannot be
    // read. The last worksheet is the current one afterwards.
    static std::unique_ptr<ImportWorkbook> open(const QString &path, QString *error);
    ~ImportWorkbook();
    ImportWorkbook(const ImportWorkbook &) = delete;
    ImportWorkbook &operator=(const ImportWorkbook &) = delete;

    QString path() const;
    Format format() const;

    // Worksheet names in workbook order (chart sheets are not worksheets).
    QStringList sheetNames() const;

    // Makes a worksheet current, by position from 0 or by name. False, with
    // errorString() set, when there is no such sheet or it cannot be read; the current
    // sheet is then none, and every cell reads "".
    bool selectSheet(int index);
    bool selectSheet(const QString &name);
    int currentSheet() const;  // -1 when none

    // The text of a cell of the current sheet; row and column count from 1.
    QString cell(int row, int col) const;

    // The last row and column that hold a non-empty text; 0 for an empty sheet.
    int usedRows() const;
    int usedCols() const;

    // Sets a cell of the current sheet (an empty text empties it). The workbook file
    // changes only when save() succeeds. False for a position outside the sheet or
    // when no sheet is current.
    bool setCell(int row, int col, const QString &text);
    // Sets a cell of the current sheet to a number; it reads in the general form.
    bool setNumber(int row, int col, double value);
    // Sets the width (in characters of the standard font; 0 keeps it) of a column of the
    // current sheet and whether its cells are centred.
    bool formatColumn(int col, double width, bool centred);
    // The worksheet shown (the active, selected tab) when the saved file is opened.
    void setActiveSheet(int index);
    bool isModified() const;

    // Writes the changes made since opening (or the last save) into the file, replacing
    // it whole or not at all. Every worksheet rewritten is read back first: a sheet
    // this program could no longer read, or a cell that does not read back as set,
    // leaves the file as it was. False with a message for the user in *error.
    bool save(QString *error);

    QString errorString() const;

private:
    struct Impl;
    explicit ImportWorkbook(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace tessaly
