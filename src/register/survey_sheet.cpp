#include "register/survey_sheet.h"

#include "workbook/export_workbook.h"
#include "register/sheet_values.h"
#include "register/register_grid.h"
#include "register/register_rows.h"

namespace tessaly::reg {

namespace {

// Excel widths of columns A … R.
constexpr double kSurveyWidths[kSurveyCols] = {3, 7, 6, 3, 3, 6, 9, 6, 10, 3, 10, 13, 13, 6, 6, 6, 13, 10};

} // namespace

const QString &surveyGridFormat()
{
    static const QString format = kRegisterGridFormat.section(u'|', 0, kSurveyCols - 1);
    return format;
}

QStringList surveyHeaders()
{
    return registerHeaders().mid(0, kSurveyCols);
}

QList<SurveyRow> surveyRows(const QVector<QVector<QVariant>> &records, const QString &classCode)
{
    QList<SurveyRow> rows;
    rows.reserve(records.size());
    for (int i = 0; i < records.size(); ++i)
        rows.append(loadedRow(records[i], classCode, i + 1).cells().mid(0, kSurveyCols));
    return rows;
}

void writeSurveySheet(ExportSheet &sheet, const QString &title, const QList<SurveyRow> &rows)
{
    const CellStyle textFont = fontSize(10);

    sheet.setLandscape();
    startListSheet(sheet, kSurveyCols, title);
    for (int col : {4, 5, 10, 16})   // 性别, 民族, 住宿, 与生关系
        sheet.setColumnStyle(col, aligned(HAlign::Center));
    sheet.setColumnStyle(11, aligned(HAlign::Right));   // 联系电话
    for (int c = 0; c < kSurveyCols; ++c)
        sheet.setColumnWidth(c + 1, kSurveyWidths[c]);

    const QStringList headers = surveyHeaders();
    for (int c = 0; c < kSurveyCols; ++c)
        sheet.setText(2, c + 1, headers[c], textFont);
    // As on the register sheet: 编号 is a count, every other cell a text (student
    // and phone numbers are codes, which a number cell would show as 1.39E+10).
    for (int r = 0; r < rows.size(); ++r) {
        sheet.setValue(r + 3, 1, rows[r].value(0), textFont);
        for (int c = 1; c < kSurveyCols; ++c)
            sheet.setText(r + 3, c + 1, rows[r].value(c), textFont);
    }
    sheet.setTable(2, 1, int(rows.size()) + 2, kSurveyCols);
}

void addSurveySheet(ExportWorkbook &book, const QString &gradeGroup, const QString &className,
                    const QList<SurveyRow> &rows)
{
    ExportSheet &sheet = book.insertSheet(0, QStringLiteral("学籍表") + className);
    writeSurveySheet(sheet, gradeGroup + className + QStringLiteral("学生学籍表"), rows);
}

} // namespace tessaly::reg
