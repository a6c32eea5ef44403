#pragma once
// Export workbooks: a new .xlsx built in memory (sheets, cell values, styles, merges,
// column widths, row heights, page orientation, the printed table), written into the user's export folder
// under a name that never replaces an existing file, and handed to the desktop's
// spreadsheet program. Rows and columns count from 1, as a spreadsheet counts them.
//
// Odd input never fails a step: a cell outside the sheet, an over-long text or a sheet
// name a spreadsheet refuses is skipped, cut or mended, and each such change is listed
// in notes(). Only writing the file can fail; that failure comes as a Chinese message.
//
// Sheet order. A spreadsheet's "add a worksheet" puts the new sheet in front of the
// active one, and a new workbook starts with kNewWorkbookSheets blank sheets
// (Sheet1 ... Sheet3). An export that wants exactly that order builds
//     ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
//     ExportSheet &sheet = book.insertSheet(0, name);   // first tab, active
// and one that wants only its own sheets builds ExportWorkbook book; book.addSheet(name).
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tessaly {

enum class HAlign { General, Left, Center, Right };
enum class VAlign { Bottom, Center, Top };
enum class BorderLine { None, Thin, Medium };

// A style change: only the fields that are set change. Given to a cell, a range, a row
// or a column, later changes win field by field over earlier ones, as formatting does in
// a spreadsheet: centring row 2 and then right-aligning column 11 leaves cell (2, 11)
// right-aligned, and a cell written after its column got "0.00" shows "0.00".
struct CellStyle {
    std::optional<QString> fontName;
    std::optional<double> fontSize;      // points, 1 .. 409
    std::optional<bool> bold;
    std::optional<HAlign> hAlign;
    std::optional<VAlign> vAlign;
    std::optional<bool> wrap;
    std::optional<bool> shrink;          // shrink the text to fit the column's width
    std::optional<QString> numberFormat; // a format code such as "0.00"; "" is General
    std::optional<BorderLine> border;    // all four edges of every cell it reaches
};

struct CellRange {
    int firstRow = 1;
    int firstCol = 1;
    int lastRow = 1;
    int lastCol = 1;
    bool operator==(const CellRange &) const = default;
    bool contains(int row, int col) const
    {
        return row >= firstRow && row <= lastRow && col >= firstCol && col <= lastCol;
    }
    bool overlaps(const CellRange &o) const
    {
        return firstRow <= o.lastRow && o.firstRow <= lastRow && firstCol <= o.lastCol
            && o.firstCol <= lastCol;
    }
};

// The limits of an .xlsx sheet.
constexpr int kMaxSheetRows = 1048576;
constexpr int kMaxSheetColumns = 16384;
constexpr int kMaxCellTextLength = 32767;  // characters (code points) in one cell
constexpr int kMaxSheetNameLength = 31;    // characters (code points)
constexpr double kMaxColumnWidth = 255;    // characters of the standard font
constexpr double kMaxRowHeight = 409;      // points

// Printing. Every sheet prints on A4 paper (kPaperA4 in the file's page set-up).
constexpr int kPaperA4 = 9;

// The height in points that `lines` lines of text in a font of `points` need in a row
// (CJK fonts take about 1.45 times their size per line), in whole screen pixels.
double neededRowHeight(double points, int lines = 1);
// How many lines `text` takes in a wrapped cell `widthChars` characters of the standard
// 11-point font wide: it breaks at line feeds, spaces, zero-width spaces and beside
// CJK characters, and a word longer than the line anywhere, as a spreadsheet does.
int wrappedLineCount(const QString &text, double widthChars, double points, bool bold = false);

// The name a sheet gets when `wanted` is asked for beside the names in `taken`: the
// characters []:*?/\ and control characters become '_', apostrophes at either end are
// dropped, the rest is cut to 31 characters; an empty result becomes "Sheet"; a name
// already taken (letter case ignored, "History" counts as taken) gets "(2)", "(3)" ...
// within the 31 characters.
QString sanitizeSheetName(const QString &wanted, const QStringList &taken);

// Whether setValue() stores `text` as a number: a plain decimal ("85", "-3", "78.50",
// "0.5") of at most 15 significant digits. Leading zeros ("007"), signs other than a
// leading '-', blanks, digit grouping and exponents keep a text a text, so a code or a
// number the spreadsheet could not hold exactly is never changed.
bool isPlainNumber(const QString &text);

class ExportWorkbook;

class ExportSheet {
public:
    ~ExportSheet();
    ExportSheet(const ExportSheet &) = delete;
    ExportSheet &operator=(const ExportSheet &) = delete;

    QString name() const;
    // Renames the sheet; the name is mended as sanitizeSheetName() says (a note when it
    // changes). Returns the name given.
    QString setName(const QString &name);

    // Values. A text longer than kMaxCellTextLength is cut (a note); a cell outside the
    // sheet is skipped (a note). `style` changes the cell's style as setStyle() does.
    void setText(int row, int col, const QString &text, const CellStyle &style = {});
    void setNumber(int row, int col, double value, const CellStyle &style = {});
    // A text as a spreadsheet takes typed input: a number when isPlainNumber(text),
    // otherwise the text; "" empties the cell.
    void setValue(int row, int col, const QString &text, const CellStyle &style = {});
    // Empties the value; the cell keeps its style.
    void clearValue(int row, int col);

    // The value as text ("" for an empty cell; a number in its shortest form).
    QString text(int row, int col) const;
    std::optional<double> number(int row, int col) const;

    // Styles of a cell, a range (corners in any order), whole rows and whole columns.
    void setStyle(int row, int col, const CellStyle &style);
    void setRangeStyle(int row1, int col1, int row2, int col2, const CellStyle &style);
    void setRowStyle(int row, const CellStyle &style);
    void setColumnStyle(int col, const CellStyle &style);
    // The style the cell is written with (the workbook's default font filled in).
    CellStyle effectiveStyle(int row, int col) const;

    // Merges a range (corners in any order). Only the top-left value is kept: the other
    // cells of the range are emptied. A merge over one cell does nothing. A merge that
    // overlaps earlier merges replaces them.
    void merge(int row1, int col1, int row2, int col2);
    // Merge, style the whole range and put `text` into its top-left cell.
    void merge(int row1, int col1, int row2, int col2, const QString &text,
               const CellStyle &style = {});
    QList<CellRange> merges() const;

    // Width in characters of the standard font; 0 hides the column. Widths above 255 are
    // cut to 255; a negative width is skipped.
    void setColumnWidth(int col, double chars);
    std::optional<double> columnWidth(int col) const;
    // Height in points; 0 hides the row. Heights above 409 are cut to 409; a negative
    // height is skipped.
    void setRowHeight(int row, double points);
    std::optional<double> rowHeight(int row) const;
    // The height of every row, as setting all rows at once does: earlier heights of
    // single rows are dropped, later ones apply.
    void setAllRowHeights(double points);
    std::optional<double> allRowHeights() const;

    void setLandscape(bool landscape = true);
    bool isLandscape() const;

    // The sheet's table (corners in any order): every cell of it is written with thin
    // borders (a border a cell's style sets wins), and its first `headerRows` rows are
    // printed at the top of every page; the sheet prints one page wide. A later call
    // replaces the table.
    void setTable(int row1, int col1, int row2, int col2, int headerRows = 1);
    std::optional<CellRange> table() const;
    int tableHeaderRows() const;

    // The height a row is written with: its own (or the sheet's) height, raised where a
    // cell's font, or a wrapped cell's lines, need more; a row without one gets a height
    // only where its text needs more than the standard font; nullopt leaves it to the
    // spreadsheet. A hidden row stays hidden.
    std::optional<double> printedRowHeight(int row) const;

private:
    friend class ExportWorkbook;
    ExportSheet(ExportWorkbook &book, const QString &name);
    // True for a cell inside the sheet; otherwise a note, and the step is skipped.
    bool inSheet(int row, int col);
    struct Data;
    std::unique_ptr<Data> d;
    ExportWorkbook &m_book;
};

// Receives the path of a written workbook and opens it for the user; false when it
// could not be handed over.
using WorkbookOpener = std::function<bool(const QString &path)>;
// "Now" for the file names of exports.
using NowSource = std::function<QDateTime()>;

// Hands the file to the desktop (QDesktopServices::openUrl).
bool openWithDesktop(const QString &path);
// Replaces the opener every export uses (an empty one restores openWithDesktop).
// Returns the previous one.
WorkbookOpener installWorkbookOpener(WorkbookOpener opener);

// The folder exports are written to: $TESSALY_EXPORTS when set, otherwise
// "Tessaly导出" in the user's documents folder.
QString exportFolder();

class ExportWorkbook {
public:
    // A new workbook has kNewWorkbookSheets blank sheets in a spreadsheet program.
    static constexpr int kNewWorkbookSheets = 3;

    // A workbook with `blankSheets` empty sheets named Sheet1, Sheet2, ...
    explicit ExportWorkbook(int blankSheets = 0);
    ~ExportWorkbook();
    ExportWorkbook(const ExportWorkbook &) = delete;
    ExportWorkbook &operator=(const ExportWorkbook &) = delete;

    // A new sheet after the last one; it becomes the active sheet. An empty name gives
    // the next free SheetN; any other is mended as sanitizeSheetName() says (a note when
    // it changes).
    ExportSheet &addSheet(const QString &name);
    // A new sheet at `index` (0 = first tab; out-of-range indexes are clamped); it
    // becomes the active sheet.
    ExportSheet &insertSheet(int index, const QString &name);
    int sheetCount() const;
    // Sheet by tab position from 0 (clamped to the existing sheets; a workbook without
    // sheets gets one).
    ExportSheet &sheet(int index);
    // Sheet by name, letter case ignored; nullptr when there is none.
    ExportSheet *findSheet(const QString &name);
    QStringList sheetNames() const;

    // The sheet shown when the file is opened.
    ExportSheet &activeSheet();
    void setActiveSheet(const ExportSheet &sheet);

    // The font of cells whose style names none (the spreadsheet's standard font).
    void setDefaultFont(const QString &name, double size);

    // Every change made to odd input (mended sheet names, cut texts, skipped cells), in
    // Chinese, in the order they happened.
    QStringList notes() const;

    // Writes the workbook to `path`, replacing a file there. False with a message when
    // the file cannot be written; a file the call created is then removed.
    bool saveAs(const QString &path, QString *error = nullptr) const;

    // The file name an export gets: "<base>_<yyyyMMdd_HHmmss>.xlsx", with characters a
    // file name cannot hold replaced; the base defaults to the active sheet's name.
    void setFileBaseName(const QString &base);
    void setClock(NowSource now);

    // Writes the workbook into exportFolder() under a name no existing file has, then
    // hands it to the installed opener. On success *pathOut is the file. On failure
    // *error says why in Chinese; *pathOut is still set when the file was written but
    // could not be opened.
    bool saveAndOpen(QString *pathOut = nullptr, QString *error = nullptr);

private:
    friend class ExportSheet;
    ExportSheet &placeSheet(int index, const QString &name, bool quiet);
    QStringList namesExcept(const ExportSheet *sheet) const;
    void note(const QString &text);

    std::vector<std::unique_ptr<ExportSheet>> m_sheets;
    ExportSheet *m_active = nullptr;
    QString m_defaultFontName = QStringLiteral("宋体");
    double m_defaultFontSize = 11;
    QStringList m_notes;
    QString m_fileBase;
    NowSource m_now;
};

// For tests: while it lives, every export is handed to it instead of the desktop; it
// records the paths and answers with `result`.
class RecordingWorkbookOpener {
public:
    explicit RecordingWorkbookOpener(bool result = true);
    ~RecordingWorkbookOpener();
    RecordingWorkbookOpener(const RecordingWorkbookOpener &) = delete;
    RecordingWorkbookOpener &operator=(const RecordingWorkbookOpener &) = delete;

    const QStringList &paths() const { return m_paths; }
    void setResult(bool result) { m_result = result; }

private:
    QStringList m_paths;
    bool m_result;
    WorkbookOpener m_previous;
};

} // namespace tessaly
