#include "score_entry/exam_creation.h"

#include "school/exam_columns.h"

#include <QSqlQuery>

#include <cmath>

namespace tessaly::score {

namespace {

constexpr int kStampLength = 6;

QString withoutStamp(const QString &column)
{
    return column.left(std::max<qsizetype>(0, column.size() - kStampLength));
}

} // namespace

QString quizNameRefusal(const QString &quizName)
{
    if (quizName.isEmpty())
        return kQuizNameMessage;
    static const QString kKindLetters = QStringLiteral("SXZMR");
    QStringList found;
    const auto add = [&found](const QString &what) {
        if (!found.contains(what))
            found << what;
    };
    if (quizName.front().isSpace())
        add(QStringLiteral("开头的空格"));
    for (const QChar ch : quizName) {
        if (ch.category() == QChar::Other_Control)
            add(QStringLiteral("控制字符"));
        else if (kKindLetters.contains(ch) || !db::isValidIdentifier(QStringLiteral("a") + ch))
            add(QStringLiteral("“%1”").arg(ch));
    }
    if (found.isEmpty())
        return QString();
    return QStringLiteral("测验名称中不能有%1。测验名称里不能用大写字母S、X、Z、M、R,也不能用引号、方括号、句点(.)和"
                          "感叹号(!),请改后再创建。")
        .arg(found.join(QStringLiteral("、")));
}

NewExamCheck checkNewExam(const QStringList &columns, int columnLimit, const QString &column)
{
    if (!db::isValidIdentifier(column) || column.size() <= kStampLength)
        return NewExamCheck::BadName;
    const QString exam = withoutStamp(column);
    for (qsizetype i = school::kFirstScannedColumn; i < columns.size(); ++i) {
        if (withoutStamp(columns[i]).compare(exam, Qt::CaseInsensitive) == 0)
            return NewExamCheck::Exists;
    }
    return columns.size() >= columnLimit ? NewExamCheck::TableFull : NewExamCheck::Free;
}

QString tableFullMessage(const QString &sectionTable)
{
    return QStringLiteral("%1的成绩表已满,数据库不能再给它添加新的考试列,无法创建。").arg(sectionTable);
}

CreateExamOutcome checkNewExam(db::Connection &c, const QString &sectionTable, const QString &column)
{
    CreateExamOutcome outcome;
    outcome.columns = db::tableColumns(c, sectionTable);
    if (outcome.columns.isEmpty()) {
        // A section table always has columns: none is a read that failed.
        if (!c.error().isSet())
            c.fail(db::kErrSql, QStringLiteral("%1的成绩表读不出来。").arg(sectionTable));
        outcome.error = c.error();
        return outcome;
    }
    outcome.ok = true;
    outcome.check = checkNewExam(outcome.columns, db::columnLimit(c), column);
    return outcome;
}

CreateExamOutcome CreateExam(db::Connection &c, const NewExam &exam, const school::ColumnStep &addColumn)
{
    CreateExamOutcome outcome;
    const QString registry = school::registryTable(exam.sectionTable);
    const bool done = c.transaction([&] {
        const CreateExamOutcome now = checkNewExam(c, exam.sectionTable, exam.column);
        if (!now.ok)
            return false;
        outcome.columns = now.columns;
        outcome.check = now.check;
        switch (outcome.check) {
        case NewExamCheck::Free:
            break;
        case NewExamCheck::Exists:
            return c.fail(db::kErrSql, QStringLiteral("考试“%1”已经存在。").arg(exam.column));
        case NewExamCheck::TableFull:
            return c.fail(db::kErrSql, tableFullMessage(exam.sectionTable));
        case NewExamCheck::BadName:
            return c.fail(db::kErrSql, QStringLiteral("名称“%1”不能用作考试名称。").arg(exam.column));
        }
        const bool stored = c.exec(
            QStringLiteral(R"(INSERT INTO %1 ("年级组","班级名","班主任","考试名","任课教师","满分") VALUES (?,?,?,?,?,?))")
                .arg(db::quoteIdentifier(registry)),
            {exam.gradeGroup, exam.className, exam.headTeacher, exam.column, exam.teacher, exam.fullMark});
        return stored && addColumn(c, exam.sectionTable, exam.column, db::ColumnType::Real);
    });
    outcome.ok = done;
    if (done)
        outcome.columns << exam.column;
    else {
        outcome.columns.clear();
        outcome.error = c.error();
    }
    return outcome;
}

} // namespace tessaly::score
