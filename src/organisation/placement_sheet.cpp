#include "organisation/placement_sheet.h"

#include "workbook/import_workbook.h"

namespace tessaly::organisation {

PlacementSheet::PlacementSheet()
    : m_priorities{QStringLiteral("保证择班生"), QStringLiteral("男女生均衡"), QStringLiteral("总分均衡"),
                   QStringLiteral("单科成绩均衡")}
{
}

void PlacementSheet::chooseSheet(const QStringList &headers, int captionRow)
{
    m_headers = headers;
    m_mapping.clear();
    m_mapping.captionRow = captionRow;
}

PlacementSheet::Binding PlacementSheet::bind(Field field, int position)
{
    if (field == Field::Score) {
        if (m_mapping.scores.size() >= kMaxScoreColumns)
            return Binding::TooManyScores;
        ColumnBinding score;
        if (!bindColumn(score, m_headers, position))
            return Binding::NotBound;
        m_mapping.scores << score;
        return Binding::Bound;
    }
    ColumnBinding &binding = field == Field::Code ? m_mapping.code : field == Field::Name ? m_mapping.name : m_mapping.sex;
    return bindColumn(binding, m_headers, position) ? Binding::Bound : Binding::NotBound;
}

void PlacementSheet::setList(NewStudentTable table, bool fromBook)
{
    m_table = std::move(table);
    m_fromBook = fromBook;
    m_unsaved = false;
    m_placedClasses = 0;
}

CheckCounts PlacementSheet::importFrom(const ImportWorkbook &book, const RowProgress &progress)
{
    CheckCounts counts;
    setList(importStudents(book, m_mapping, &counts, progress), true);
    return counts;
}

PlacementSheet::TypedList PlacementSheet::setUpTyped(const QString &countText, const QString &subjectsText)
{
    if (countText.isEmpty() || subjectsText.isEmpty())
        return TypedList::Missing;
    const std::optional<int> count = studentCountOf(countText);
    if (!count)
        return TypedList::BadCount;
    setList(manualTable(*count, splitSubjects(subjectsText)), false);
    return TypedList::Ready;
}

void PlacementSheet::leaveBook()
{
    m_fromBook = false;
    m_unsaved = false;
}

bool PlacementSheet::rowHasErrors(int row) const
{
    return row >= 0 && row < m_table.rows.size() && !m_table.rows[row].errors.isEmpty();
}

QString PlacementSheet::committedText(int col, const QString &text)
{
    if (col == kColSex && text != QStringLiteral("男") && text != QStringLiteral("女"))
        return QString();
    return text;
}

void PlacementSheet::edit(int row, int col, const QString &text)
{
    if (row < 0 || row >= m_table.rows.size())
        return;
    NewStudent &student = m_table.rows[row];
    const QString kept = committedText(col, text);
    if (col == kColPlaced && m_fromBook && student.placed != kept)
        m_unsaved = true;
    student.setCell(col, kept);
}

bool PlacementSheet::exceedsClassCount(int col, const QString &text) const
{
    return (col == kColPlaced || col == kColChosen) && aboveClassCount(text, m_classCountText);
}

CheckCounts PlacementSheet::check(const RowProgress &progress)
{
    return CheckStudentData(m_table, progress);
}

QString PlacementSheet::place(int classes, const std::function<void(int, int)> &progress)
{
    const QString report = PlaceStudents(m_table, classes, progress);
    m_placedClasses = classes;
    m_unsaved = m_fromBook;
    return report;
}

bool PlacementSheet::writeBack(ImportWorkbook &book, QString *message)
{
    const bool written = writeBackPlacement(book, m_table, message);
    if (written)
        m_unsaved = false;
    return written;
}

int PlacementSheet::movePriority(int row, int step)
{
    const int other = row + step;
    if (row < 0 || row >= m_priorities.size() || other < 0 || other >= m_priorities.size())
        return -1;
    m_priorities.swapItemsAt(row, other);
    return other;
}

} // namespace tessaly::organisation
