#pragma once
// What 新生分班 works on, without widgets: the import's column mapping onto the headers
// of the chosen worksheet, the new-student rows with their values, the class count
// typed, the placement made, the order of the placement priorities, and whether the
// classes still wait to be written back into the source worksheet. The window fills
// its controls from the sheet and hands every edit to it; the rules themselves are
// those of new_students.h.
#include "organisation/new_students.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tessaly {
class ImportWorkbook;
}

namespace tessaly::organisation {

class PlacementSheet {
public:
    PlacementSheet();

    const NewStudentTable &table() const { return m_table; }
    const StudentMapping &mapping() const { return m_mapping; }

    // --- The import mapping ---
    enum class Field { Code, Name, Sex, Score };
    enum class Binding { Bound, NotBound, TooManyScores };
    // The headers of the worksheet chosen, from its caption row; the mapping starts empty.
    void chooseSheet(const QStringList &headers, int captionRow);
    const QStringList &sheetHeaders() const { return m_headers; }
    // Binds `field` to the header at `position`; a score is added to the scores bound,
    // at most kMaxScoreColumns of them.
    Binding bind(Field field, int position);
    void clearMapping() { m_mapping.clear(); }
    bool canImport() const { return m_mapping.complete(); }

    // --- The list ---
    // Reads the list from the book's current sheet through the mapping (see importStudents).
    CheckCounts importFrom(const ImportWorkbook &book, const RowProgress &progress = {});
    enum class TypedList { Missing, BadCount, Ready };
    // Sets up a list to type from the texts of the student count and the subjects;
    // Missing when either is empty, BadCount when the count is refused.
    TypedList setUpTyped(const QString &countText, const QString &subjectsText);
    // The rows were read from the workbook open; leaveBook() when that workbook goes.
    bool listFromBook() const { return m_fromBook; }
    void leaveBook();
    bool hasStudents() const { return m_table.hasStudents(); }
    bool rowHasErrors(int row) const;

    // --- Edits ---
    // The text a cell keeps for a text typed into it: a 性别 other than 男 or 女 is dropped.
    static QString committedText(int col, const QString &text);
    // Stores the typed text of (row, col), row 0 being the first student.
    void edit(int row, int col, const QString &text);
    // The class count as typed so far; a 分班 or 择班 above it is refused while typing.
    void setClassCountText(const QString &text) { m_classCountText = text; }
    bool exceedsClassCount(int col, const QString &text) const;
    // The class count typed, when it is one (see classCountOf).
    std::optional<int> classCount() const { return classCountOf(m_classCountText); }

    // --- The steps ---
    CheckCounts check(const RowProgress &progress = {});
    // Places the rows into `classes` classes (see PlaceStudents); returns the report.
    QString place(int classes, const std::function<void(int value, int maximum)> &progress = {});
    // The class count of the placement made; 0 before one.
    int placedClasses() const { return m_placedClasses; }
    // The number of class lists to output (see classListCount).
    int classLists() const { return classListCount(m_table, m_placedClasses); }

    // --- The write-back ---
    // The classes of a list read from the open workbook have changed since it was read
    // or since they were last written back.
    bool hasUnsaved() const { return m_unsaved; }
    // Writes the classes back into the source worksheet (see writeBackPlacement); a
    // write-back that succeeds leaves nothing unsaved.
    bool writeBack(ImportWorkbook &book, QString *message);

    // --- The placement priorities (shown in order; the placement does not read them) ---
    const QStringList &priorities() const { return m_priorities; }
    // Swaps the priority at `row` with its neighbour `step` away; the neighbour's row,
    // or -1 when there is none.
    int movePriority(int row, int step);

private:
    void setList(NewStudentTable table, bool fromBook);

    NewStudentTable m_table;
    StudentMapping m_mapping;
    QStringList m_headers;
    QStringList m_priorities;
    QString m_classCountText;
    bool m_fromBook = false;
    bool m_unsaved = false;
    int m_placedClasses = 0;
};

} // namespace tessaly::organisation
