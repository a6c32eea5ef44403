#pragma once
// A class's work plans (年初工作计划) and work summaries (年终工作总结): one row of
// 班主任 per half of the school year, kind code = kind letter + class code +
// semester letter, display name 04-05初一一班上学年工作计划 (head_teacher_documents.h).
//
// The kind code holds neither the school year nor the section, so the rows of
// one kind code may belong to classes of different sections (初一一班 and 高一一班
// of the same cohort share 200401) or to earlier school years. A window works
// only with the rows of its grade group's section, and keeps the document it
// opened by its key:
//
//   const QVector<Document> listed = documentsInSection(*readDocuments(connection(), kind, code), gradeGroup);
//   if (const auto same = documentOfKind(listed, kind)) …already exists…
#include "records/head_teacher_documents.h"

#include <QString>
#include <QVector>
#include <optional>

namespace tessaly::records {

// Plan: "工作计划", summary: "工作总结" (titles and prints).
QString documentWord(DocumentKind kind);

// The kind code and display name of the document of today's half year.
QString classDocumentKind(DocumentKind kind, const QString &classCode, const DateParts &date);
QString classDocumentName(DocumentKind kind, const DateParts &date, const QString &gradeGroup,
                          const QString &className);

// The rows of a class's listing query that the grade group's window lists, in query order.
QVector<Document> documentsInSection(const QVector<Document> &rows, const QString &gradeGroup);

// The first listed row of exactly this kind code: the document a creation would duplicate.
std::optional<Document> documentOfKind(const QVector<Document> &listed, const QString &kind);

// The title line of a class: 初一一班工作计划   班主任:王老师
QString classDocumentTitle(DocumentKind kind, const QString &gradeGroup, const QString &className,
                           const QString &headTeacher);
// The title line of an open document: its display name, then      班主任:王老师
QString openDocumentTitle(const QString &displayName, const QString &headTeacher);

} // namespace tessaly::records
