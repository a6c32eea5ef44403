#include "records/head_teacher_documents.h"

#include "db/row_update.h"
#include "db/typed_read.h"
#include "school/exam_columns.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace tessaly::records {

namespace {

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString quoted(const char16_t *name)
{
    return db::quoteIdentifier(QString::fromUtf16(name));
}

} // namespace

DateParts dateParts(const QDate &today)
{
    DateParts d;
    d.schoolYear = school::schoolYearText(today);
    d.nextYear = followingYear(d.schoolYear);
    // The first half of the school year runs from August to February, as a mid-term's does.
    d.semesterLetter = school::semesterLetter(school::ExamKind::MidTerm, today);
    d.month = twoDigits(today.month());
    d.day = twoDigits(today.day());
    return d;
}

QString followingYear(const QString &schoolYear)
{
    return twoDigits(schoolYear.toInt() + 1);
}

QString gradePrefix(const QString &gradeGroup)
{
    return gradeGroup.left(2);
}

QString sectionCharacter(const QString &gradeGroup)
{
    QString c;
    if (gradeGroup.contains(u'高'))
        c = QStringLiteral("高");
    if (gradeGroup.contains(u'初'))
        c = QStringLiteral("初");
    if (gradeGroup.contains(u'小'))
        c = QStringLiteral("小");
    return c;
}

QString gradePrefixOfName(const QString &displayName)
{
    static const QRegularExpression start(QStringLiteral(R"(^\d+-\d+(?:\((?:上|下)\))?)"));
    const QRegularExpressionMatch m = start.match(displayName);
    if (!m.hasMatch())
        return QString();
    const QString prefix = displayName.mid(m.capturedLength(), 2);
    return prefix.size() == 2 ? prefix : QString();
}

bool inGradeSection(const QString &displayName, const QString &gradeGroup)
{
    const QString prefix = gradePrefixOfName(displayName);
    return !prefix.isEmpty() && sectionCharacter(prefix) == sectionCharacter(gradeGroup);
}

QString phraseCategoryName(int category)
{
    static const char16_t *const names[kPhraseCategories] = {u"思想政治方面", u"学习方面", u"文体专长方面",
                                                             u"品行修养方面", u"尊纪守法方面"};
    return category >= 1 && category <= kPhraseCategories ? QString::fromUtf16(names[category - 1]) : QString();
}

QString phraseKind(int category)
{
    return category >= 1 && category <= kPhraseCategories ? QString::number(category) : QString();
}

QString planKind(const QString &classCode, const DateParts &date)
{
    return QLatin1Char('J') + classCode + date.semesterLetter;
}

QString summaryKind(const QString &classCode, const DateParts &date)
{
    return QLatin1Char('G') + classCode + date.semesterLetter;
}

QString developmentRecordKind(const QString &classCode)
{
    return QLatin1Char('W') + classCode;
}

QString dailyRecordKind(const QString &classCode)
{
    return QStringLiteral("JL") + classCode;
}

QString planName(const DateParts &date, const QString &gradeGroup, const QString &className)
{
    return date.schoolYears() + gradePrefix(gradeGroup) + className
           + (date.firstHalf() ? QStringLiteral("上学年工作计划") : QStringLiteral("下学年工作计划"));
}

QString summaryName(const DateParts &date, const QString &gradeGroup, const QString &className)
{
    return date.schoolYears() + gradePrefix(gradeGroup) + className
           + (date.firstHalf() ? QStringLiteral("上学年工作总结") : QStringLiteral("下学年工作总结"));
}

QString recordName(const DateParts &date, const QString &gradeGroup, const QString &studentOrClass)
{
    return date.schoolYears() + (date.firstHalf() ? QStringLiteral("(上)") : QStringLiteral("(下)"))
           + gradePrefix(gradeGroup) + studentOrClass + QLatin1Char(' ') + date.month + QStringLiteral("月")
           + date.day + QStringLiteral("日");
}

QString classPrintText(const QString &gradeGroup, const QString &className, const QString &title,
                       const QString &headTeacher, const QString &text)
{
    const QString crLf = QStringLiteral("\r\n");
    return gradePrefix(gradeGroup) + className + title + crLf + QStringLiteral("   班主任:") + headTeacher + crLf + text;
}

school::Statement documentsQuery(DocumentKind kind, const QString &key)
{
    const QString select = QStringLiteral("select %1, %2, %3, %4 from %5 where ")
                               .arg(quoted(u"ID"), quoted(u"类别"), quoted(u"内容"), quoted(u"其它"),
                                    db::quoteIdentifier(kDocumentTable));
    const QString order = QStringLiteral(" order by %1").arg(quoted(u"ID"));
    const QString kindColumn = quoted(u"类别");
    const auto whole = [&](const QString &code) {
        return school::Statement{select + kindColumn + QStringLiteral(" = ?") + order, {code}};
    };
    const auto prefix = [&](const QString &start) {
        if (!school::isClassCode(key))
            return school::Statement{};
        const QString code = start + key;
        return school::Statement{
            select + QStringLiteral("substr(%1,1,%2) = ?").arg(kindColumn).arg(code.size()) + order, {code}};
    };
    switch (kind) {
    case DocumentKind::Phrase: {
        const QString code = phraseKind(key.toInt());
        return code.isEmpty() ? school::Statement{} : whole(code);
    }
    case DocumentKind::PlanTemplate:
        return whole(QStringLiteral("J"));
    case DocumentKind::SummaryTemplate:
        return whole(QStringLiteral("G"));
    case DocumentKind::Plan:
        return prefix(QStringLiteral("J"));
    case DocumentKind::Summary:
        return prefix(QStringLiteral("G"));
    case DocumentKind::DevelopmentRecord:
        return prefix(QStringLiteral("W"));
    case DocumentKind::DailyRecord:
        return prefix(QStringLiteral("JL"));
    }
    return {};
}

std::optional<QVector<Document>> readDocuments(db::Connection &c, DocumentKind kind, const QString &key)
{
    const school::Statement q = documentsQuery(kind, key);
    if (!q.isValid())
        return QVector<Document>();
    return db::readRows<Document>(c, q.sql, q.params, [](const QSqlQuery &r) {
        return Document{r.value(0).toLongLong(), db::textOf(r, 1), db::textOf(r, 2), db::textOf(r, 3)};
    });
}

InsertOutcome insertDocument(db::Connection &c, const QString &kind, const QString &text,
                             const QString &displayName)
{
    InsertOutcome out;
    const QVariant name = displayName.isNull() ? QVariant() : QVariant(displayName);
    out.ok = c.exec(QStringLiteral("insert into %1 (%2, %3, %4) values (?, ?, ?)")
                        .arg(db::quoteIdentifier(kDocumentTable), quoted(u"类别"), quoted(u"内容"), quoted(u"其它")),
                    {kind, text, name});
    if (out.ok)
        out.id = c.lastInsertId().toLongLong();
    else
        out.error = c.error();
    return out;
}

SaveOutcome updateDocumentText(db::Connection &c, const Document &loaded, const QString &text, const QString &named)
{
    SaveOutcome out;
    switch (db::updateChangedFields(c, kDocumentTable, QStringLiteral("ID"), loaded.id,
                                    {{QStringLiteral("内容"), loaded.text, text}})) {
    case db::RowUpdate::Updated:
        out.ok = true;
        break;
    case db::RowUpdate::Failed:
        out.error = c.error();
        break;
    case db::RowUpdate::Gone:
        out.error = {kErrRowGone, kRowGoneText};
        break;
    case db::RowUpdate::Conflict:
        out.error = {db::kErrRowChanged, db::rowChangedMessage(named, QStringLiteral("您的修改"),
                                                               QStringLiteral("重新选择它读出最新内容"))};
        break;
    }
    return out;
}

SaveOutcome deleteDocument(db::Connection &c, qint64 id)
{
    SaveOutcome out;
    out.ok = c.exec(QStringLiteral("delete from %1 where %2 = ?").arg(db::quoteIdentifier(kDocumentTable), quoted(u"ID")),
                    {id});
    if (!out.ok)
        out.error = c.error();
    return out;
}

} // namespace tessaly::records
