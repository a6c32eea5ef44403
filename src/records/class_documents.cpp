#include "records/class_documents.h"

namespace tessaly::records {

namespace {

QString headTeacherLine(const QString &blanks, const QString &headTeacher)
{
    return blanks + QStringLiteral("班主任:") + headTeacher;
}

} // namespace

QString documentWord(DocumentKind kind)
{
    return kind == DocumentKind::Summary ? QStringLiteral("工作总结") : QStringLiteral("工作计划");
}

QString classDocumentKind(DocumentKind kind, const QString &classCode, const DateParts &date)
{
    return kind == DocumentKind::Summary ? summaryKind(classCode, date) : planKind(classCode, date);
}

QString classDocumentName(DocumentKind kind, const DateParts &date, const QString &gradeGroup,
                          const QString &className)
{
    return kind == DocumentKind::Summary ? summaryName(date, gradeGroup, className)
                                         : planName(date, gradeGroup, className);
}

QVector<Document> documentsInSection(const QVector<Document> &rows, const QString &gradeGroup)
{
    QVector<Document> listed;
    for (const Document &d : rows) {
        if (inGradeSection(d.displayName, gradeGroup))
            listed << d;
    }
    return listed;
}

std::optional<Document> documentOfKind(const QVector<Document> &listed, const QString &kind)
{
    for (const Document &d : listed) {
        if (d.kind == kind)
            return d;
    }
    return std::nullopt;
}

QString classDocumentTitle(DocumentKind kind, const QString &gradeGroup, const QString &className,
                           const QString &headTeacher)
{
    return gradePrefix(gradeGroup) + className + documentWord(kind) + headTeacherLine(QStringLiteral("   "), headTeacher);
}

QString openDocumentTitle(const QString &displayName, const QString &headTeacher)
{
    return displayName + headTeacherLine(QStringLiteral("     "), headTeacher);
}

} // namespace tessaly::records
