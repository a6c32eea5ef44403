#include "register/register_import.h"

#include "register/register_grid.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <algorithm>

namespace tessaly::reg {

namespace {

const QString kMale = QStringLiteral("男");
const QString kFemale = QStringLiteral("女");

// 性别 as the bound cell gives it: 男 or 女, or nothing.
QString sexOf(const ImportWorkbook &book, const ImportMapping &mapping, int row)
{
    const ColumnBinding &b = mapping[kFieldSex];
    if (!b.isBound())
        return QString();
    const QString text = book.cell(row, b.sheetColumn()).trimmed();
    return text == kMale || text == kFemale ? text : QString();
}

// Each trimmed 姓名's first data row (rows first … last of the 姓名 column).
QHash<QString, int> firstRowOfNames(const ImportWorkbook &book, int nameColumn, int first, int last)
{
    QHash<QString, int> rowOfName;
    for (int s = last; s >= first; --s)
        rowOfName.insert(book.cell(s, nameColumn).trimmed(), s);
    return rowOfName;
}

// The row that ends the data rows: the first empty 姓名 cell from the caption row down.
int endOfList(const ImportWorkbook &book, const ImportMapping &mapping)
{
    return firstEmptyRow(book, mapping[kFieldName].sheetColumn(), mapping.captionRow);
}

} // namespace

const QStringList &registerCaptions()
{
    static const QStringList captions = [] {
        QStringList out{QStringLiteral("姓名"), QStringLiteral("性别"), QStringLiteral("民族"),
                        QStringLiteral("出生日期"), QStringLiteral("原毕业学校"), QStringLiteral("联系电话"),
                        QStringLiteral("家庭住址"), QStringLiteral("家长姓名"), QStringLiteral("家长单位"),
                        QStringLiteral("住宿"), QStringLiteral("备注"), QStringLiteral("特长"),
                        QStringLiteral("政治面貌"), QStringLiteral("户口性质"), QStringLiteral("籍贯"),
                        QStringLiteral("与生关系")};
        for (const ImportField &f : importFields()) {
            QString caption = f.caption;
            caption.remove(QChar(0x3000));
            if (!out.contains(caption))
                out << caption;
        }
        return out;
    }();
    return captions;
}

const QStringList &nameCaptions()
{
    static const QStringList captions{QStringLiteral("姓名"), QStringLiteral("学生姓名")};
    return captions;
}

const std::array<ImportField, kImportFieldCount> &importFields()
{
    static const std::array<ImportField, kImportFieldCount> fields{{
        {"Option4", QStringLiteral("学生姓名"), "Label10", kColName},
        {"Option5", QStringLiteral("学生性别"), "Label7", kColSex},
        {"Option6", QStringLiteral("学生民族"), "Label8", 4},
        {"Option7", QStringLiteral("出生日期"), "Label12", kColBirthDate},
        {"Option8", QStringLiteral("原毕业校"), "Label13", 8},
        {"Option9", QStringLiteral("联系电话"), "Label14", kColPhone},
        {"Option10", QStringLiteral("家庭住址"), "Label15", 12},
        {"Option11", QStringLiteral("家长姓名"), "Label16", 14},
        {"Option12", QStringLiteral("家长单位"), "Label17", 16},
        {"Option13", QStringLiteral("是否住宿"), "Label27", kColBoarding},
        {"Option14", QStringLiteral("备　　注"), "Label26", kColRemarks},
        {"Option15", QStringLiteral("特　　长"), "Label25", 13},
        {"Option16", QStringLiteral("政治面貌"), "Label21", 5},
        {"Option17", QStringLiteral("户口性质"), "Label22", 7},
        {"Option18", QStringLiteral("籍　　贯"), "Label23", 11},
        {"Option19", QStringLiteral("与生关系"), "Label24", 15},
    }};
    return fields;
}

int importRowCount(const ImportWorkbook &book, const ImportMapping &mapping)
{
    if (!mapping[kFieldName].isBound())
        return 0;
    return std::max(0, endOfList(book, mapping) - mapping.captionRow - 1);
}

QList<int> rowsLeftOut(const ImportWorkbook &book, const ImportMapping &mapping)
{
    if (!mapping[kFieldName].isBound())
        return {};
    return rowsBelowGap(book, mapping[kFieldName].sheetColumn(), endOfList(book, mapping));
}

QString importRefusal(ImportMode mode, const ImportMapping &mapping, int dataRows)
{
    if (!mapping[kFieldName].isBound())
        return QStringLiteral("需要导入学生学籍内容，至少要求把Excel文件中含有本班学生姓名的列对应起来。");
    if (mode == ImportMode::Fresh && dataRows == 0)
        return QStringLiteral("所选的表中，对应为学生姓名的“%1”列下面没有学生姓名，全新导入没有进行，本班学生没有改动。\r"
                              "请检查是否选对了学生资料所在的表，并把含有学生姓名的列（列名下面紧接着是学生名单）"
                              "对应为学生姓名，再导入。")
            .arg(mapping[kFieldName].label);
    if (mode == ImportMode::Fresh && dataRows > kMaxImportRows)
        return QStringLiteral("所选的表中有%1名学生，一个班最多只能有%2名学生(学籍号中的座号只有两位)，"
                              "无法全新导入。\r请检查所选的表是否只含有本班的学生。")
            .arg(dataRows)
            .arg(kMaxImportRows);
    return QString();
}

int freshImport(QList<RegisterRow> &rows, const ImportWorkbook &book, const ImportMapping &mapping,
                const QString &classCode, const ImportProgress &progress)
{
    for (RegisterRow &row : rows) {
        if (row.id)
            row.state = RowState::Deleted;
        else {
            row.state = RowState::Unchanged;
            row.dropped = true;
        }
    }
    const int n = importRowCount(book, mapping);
    const int nameColumn = mapping[kFieldName].sheetColumn();
    for (int k = 1; k <= n; ++k) {
        const int s = mapping.captionRow + k;
        RegisterRow row;
        row.state = RowState::New;
        row.number = k;
        row.field(kColStudentNumber) = classCode + QStringLiteral("%1").arg(k, 2, 10, QLatin1Char('0'));
        row.field(kColName) = book.cell(s, nameColumn).trimmed();
        row.field(kColSex) = sexOf(book, mapping, s);
        for (int f = 0; f < kImportFieldCount; ++f) {
            if (f == kFieldName || f == kFieldSex || !mapping[f].isBound())
                continue;
            row.field(importFields()[f].gridColumn) = book.cell(s, mapping[f].sheetColumn()).trimmed();
        }
        rows << row;
        if (progress)
            progress(k, n);
    }
    return n;
}

int importByName(QList<RegisterRow> &rows, const ImportWorkbook &book, const ImportMapping &mapping,
                 const ImportProgress &progress, int *matched)
{
    const int total = shownCount(rows);
    if (matched)
        *matched = 0;
    if (!mapping[kFieldName].isBound())
        return total;
    const QHash<QString, int> rowOfName = firstRowOfNames(book, mapping[kFieldName].sheetColumn(),
                                                          mapping.captionRow + 1, endOfList(book, mapping) - 1);

    int done = 0;
    for (RegisterRow &row : rows) {
        if (!row.isShown())
            continue;
        const auto match = rowOfName.constFind(row.name().trimmed());
        if (match != rowOfName.cend()) {
            if (matched)
                ++*matched;
            const int s = *match;
            bool changed = false;
            if (const QString sex = sexOf(book, mapping, s); !sex.isEmpty()) {
                row.field(kColSex) = sex;
                changed = true;
            }
            for (int f = 0; f < kImportFieldCount; ++f) {
                if (f == kFieldName || f == kFieldSex || !mapping[f].isBound())
                    continue;
                const QString text = book.cell(s, mapping[f].sheetColumn());
                if (text.isEmpty())
                    continue;
                row.field(importFields()[f].gridColumn) = text.trimmed();
                changed = true;
            }
            if (changed) {
                if (!row.id)
                    row.state = RowState::New;
                else if (row.state == RowState::Unchanged)
                    row.state = RowState::Changed;
            }
        }
        if (progress)
            progress(++done, total);
    }
    return total;
}

QStringList droppedSexes(const ImportWorkbook &book, const ImportMapping &mapping, const QList<RegisterRow> *byName)
{
    QStringList out;
    if (!mapping[kFieldName].isBound() || !mapping[kFieldSex].isBound())
        return out;
    const int nameColumn = mapping[kFieldName].sheetColumn();
    const int first = mapping.captionRow + 1, last = endOfList(book, mapping) - 1;
    // By name, only the rows that give a student of the class its fields.
    QSet<int> used;
    if (byName) {
        const QHash<QString, int> rowOfName = firstRowOfNames(book, nameColumn, first, last);
        for (const RegisterRow &row : *byName) {
            if (!row.isShown())
                continue;
            if (const auto match = rowOfName.constFind(row.name().trimmed()); match != rowOfName.cend())
                used.insert(*match);
        }
    }
    for (int s = first; s <= last; ++s) {
        if (byName && !used.contains(s))
            continue;
        const QString text = book.cell(s, mapping[kFieldSex].sheetColumn()).trimmed();
        if (!text.isEmpty() && sexOf(book, mapping, s).isEmpty())
            out << QStringLiteral("%1（%2）").arg(book.cell(s, nameColumn).trimmed(), text);
    }
    return out;
}

ImportSummary summarizeImport(ImportMode mode, int count, int matched, const ImportWorkbook &book,
                              const ImportMapping &mapping, const QList<RegisterRow> &rows)
{
    ImportSummary summary;
    summary.mode = mode;
    summary.count = count;
    summary.matched = matched;
    summary.leftRows = rowsLeftOut(book, mapping);
    if (!summary.leftRows.isEmpty()) {
        summary.gapRow = endOfList(book, mapping);
        for (int row : summary.leftRows)
            summary.leftNames << book.cell(row, mapping[kFieldName].sheetColumn()).trimmed();
    }
    summary.droppedSex = droppedSexes(book, mapping, mode == ImportMode::ByName ? &rows : nullptr);
    return summary;
}

QString importReport(const ImportSummary &summary)
{
    const QString check = QStringLiteral("请仔细查看导入内容，如无错误可以保存，如有错误请不要保存，再重新导入。");
    QString text;
    if (summary.mode == ImportMode::ByName && summary.matched == 0) {
        text = QStringLiteral("\r\n没有导入任何内容……\r\n\r\n　　本班%1名学生的姓名在所选表的“姓名”列中一个也没有找到，"
                              "学籍表没有改动。请检查是否选对了学生资料所在的表和含有学生姓名的列。")
                   .arg(summary.count);
    } else if (summary.leftRows.isEmpty()) {
        text = QStringLiteral("\r\n恭喜您！导入成功……\r\n\r\n　　学生人数共：%1人,全部导入，").arg(summary.count) + check;
    } else if (summary.mode == ImportMode::Fresh) {
        text = QStringLiteral("\r\n导入没有完成……\r\n\r\n　　导入了学生%1人。").arg(summary.count);
    } else {
        text = QStringLiteral("\r\n导入没有完成……\r\n\r\n　　本班学生%1人，在表中找到%2人并导入了他们的学籍内容。")
                   .arg(summary.count)
                   .arg(summary.matched);
    }
    if (!summary.leftRows.isEmpty() && !(summary.mode == ImportMode::ByName && summary.matched == 0)) {
        constexpr qsizetype kNamedRows = 10;   // a longer list ends with 等
        QStringList left;
        for (qsizetype i = 0; i < std::min(summary.leftRows.size(), kNamedRows); ++i)
            left << QStringLiteral("第%1行%2").arg(summary.leftRows[i]).arg(summary.leftNames.value(i));
        if (summary.leftRows.size() > kNamedRows)
            left.last() += QStringLiteral("等");
        text += QStringLiteral("表中第%1行的姓名是空的，导入到此为止，下面%2行没有导入：%3。"
                               "如需导入，请删去表中的空行，再重新导入；")
                    .arg(summary.gapRow)
                    .arg(summary.leftRows.size())
                    .arg(left.join(QStringLiteral("、")))
                + check;
    }
    if (!summary.droppedSex.isEmpty())
        text += QStringLiteral("\r\n\r\n　　以下%1人的性别不是“男”或“女”，没有导入，请在表格中填上：%2")
                    .arg(summary.droppedSex.size())
                    .arg(summary.droppedSex.join(QStringLiteral("、")));
    return text;
}

ModeChoiceNotice modeChoiceNotice(ImportMode chosen, int students, const QString &gradeGroup,
                                  const QString &className)
{
    const QString cr = QStringLiteral("\r");
    if (students > 0 && chosen == ImportMode::Fresh)
        return {QStringList{QStringLiteral("发现(") + gradeGroup + className + QStringLiteral(")学籍表中已有(")
                                + QString::number(students) + QStringLiteral(")名学生,"),
                            QString(),
                            QStringLiteral("    1、选用这种操作很危险,这会删除现在所有学生情况(学籍与以前录入的各"),
                            QStringLiteral("       次考试成绩),本班学生与学籍内容将被Excel中的内容替换。"),
                            QStringLiteral("    2、如果是学生刚分班,请用<学生转班>操作,这样不会丢失学生的所有情况"),
                            QStringLiteral("       (学籍内容及以前每次考试的成绩)。"),
                            QString(),
                            QStringLiteral("当然你使用导入后,不进行保存也不会改用现在学生的学籍情况。")}
                    .join(cr),
                false};
    if (students > 0)
        return {QStringLiteral("您好,您使用这种操作,会从你打开的Excel文件中找到你班每个学生的相应学籍内容导入进来。"),
                false};
    if (chosen == ImportMode::ByName)
        return {QStringList{QStringLiteral("您好,您的班级中还没有学生名单,无法从你打开的Excel文件中导入他们的学籍信息,你可以:"),
                            QStringLiteral("    1、使用全新导入；"),
                            QStringLiteral("    2、首先用一个含有你本班现在全部学生的Excel文件,使用全新导入学生名单。"
                                           "然后再导入学籍内容。")}
                    .join(cr),
                true};
    return {};
}

} // namespace tessaly::reg
