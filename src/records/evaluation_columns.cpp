#include "records/evaluation_columns.h"

#include "records/head_teacher_documents.h"
#include "db/row_update.h"
#include "school/exam_columns.h"

#include <QRegularExpression>

namespace tessaly::records {

QString evaluationColumnName(const QDate &today)
{
    const DateParts d = dateParts(today);
    return QLatin1Char('P') + d.schoolYear + d.semesterLetter + school::dateStamp(school::ExamKind::Quiz, today);
}

bool isEvaluationColumn(const QString &name)
{
    static const QRegularExpression form(QStringLiteral("^P\\d\\d[SX]\\d{6}$"));
    return form.match(name).hasMatch();
}

QString evaluationDisplayName(const QString &column, const QString &gradeGroup, const QString &className)
{
    if (!isEvaluationColumn(column))
        return QString();
    const QString yy = column.mid(1, 2);
    const bool firstHalf = column.at(3) == QLatin1Char('S');
    return gradePrefix(gradeGroup) + className + yy + QLatin1Char('-') + followingYear(yy)
           + (firstHalf ? QStringLiteral("上学年") : QStringLiteral("下学年")) + QStringLiteral("操行评定");
}

QStringList classEvaluationColumns(const QStringList &columns, const QString &classCode)
{
    const QString cohort = classCode.mid(2, 2);
    QStringList out;
    for (const QString &c : columns) {
        if (isEvaluationColumn(c) && c.mid(1, 2) >= cohort)
            out << c;
    }
    return out;
}

std::optional<QString> sameHalfYear(const QStringList &columns, const QString &column)
{
    for (const QString &c : columns) {
        if (isEvaluationColumn(c) && c.left(4) == column.left(4))
            return c;
    }
    return std::nullopt;
}

QString evaluationTableFullMessage(const QString &sectionTable)
{
    return QStringLiteral("%1的学生表已满,数据库不能再给它添加新的评定列,无法创建。").arg(sectionTable);
}

CreateEvaluationOutcome createEvaluationColumn(db::Connection &c, const QString &sectionTable,
                                               const QString &column, const school::ColumnStep &addColumn)
{
    CreateEvaluationOutcome out;
    if (!isEvaluationColumn(column)) {
        out.error = {db::kErrSql, QStringLiteral("名称“%1”不能用作评定名称。").arg(column)};
        return out;
    }
    bool refused = false;
    const bool done = c.transaction([&] {
        const QStringList columns = db::tableColumns(c, sectionTable);
        if (columns.isEmpty())
            return c.fail(db::kErrSql, QStringLiteral("找不到学生表%1。").arg(sectionTable));
        out.existing = sameHalfYear(columns, column);
        if (out.existing) {
            refused = true;
            return false;
        }
        if (columns.size() >= db::columnLimit(c))
            return c.fail(db::kErrSql, evaluationTableFullMessage(sectionTable));
        return addColumn(c, sectionTable, column, db::ColumnType::Text);
    });
    out.ok = done;
    if (!done && !refused)
        out.error = c.error();
    return out;
}

QString evaluationTooLongMessage(int length)
{
    return QStringLiteral("评定内容有%1个字，超过了%2个字，没有保存。请删减后再保存。").arg(length).arg(kEvaluationLength);
}

SaveOutcome saveEvaluation(db::Connection &c, const QString &sectionTable, const QString &column,
                           const EvaluatedStudent &student, const QString &text)
{
    SaveOutcome out;
    if (text.size() > kEvaluationLength) {
        out.error = {db::kErrSql, evaluationTooLongMessage(int(text.size()))};
        return out;
    }
    if (!isEvaluationColumn(column) || !db::isValidIdentifier(sectionTable)) {
        out.error = {db::kErrSql, QStringLiteral("名称“%1”不是评定名称。").arg(column)};
        return out;
    }
    switch (db::updateChangedFields(c, sectionTable, QStringLiteral("ID"), student.id,
                                    {{column, student.loaded, text.isEmpty() ? QVariant() : QVariant(text)}})) {
    case db::RowUpdate::Updated:
        out.ok = true;
        break;
    case db::RowUpdate::Failed:
        out.error = c.error();
        break;
    case db::RowUpdate::Gone:
        out.error = {kErrRowGone, QStringLiteral("这个学生的学籍已被删除，评定没有保存。")};
        break;
    case db::RowUpdate::Conflict:
        out.error = {db::kErrRowChanged,
                     db::rowChangedMessage(QStringLiteral("学生(%1)的这次评定").arg(student.name),
                                           QStringLiteral("您写的评定"), QStringLiteral("重新选择这次评定读出最新内容"))};
        break;
    }
    return out;
}

} // namespace tessaly::records
