#pragma once
// The record lists of 学生行为纪录 and 日常工作记录: which of a class's records
// (documentsQuery, DevelopmentRecord or DailyRecord) a list shows, and the
// texts the two windows compose around them.
//
//   const QVector<Document> rows = *readDocuments(connection(), kind, code);
//   m_listed = listedRecords(rows, Combo1->currentText(), student);   // student empty: whole class
#include "records/head_teacher_documents.h"

#include <QString>
#include <QVector>

namespace tessaly::records {

// The entry of the student combo that lists the whole class.
inline const QString kWholeClassEntry = QStringLiteral("全班所有记录");

// What a record's display name names (recordName()): the student (张三) or the
// class (一班), between the grade prefix and the blank before the date. Empty
// when the name is not a record's.
QString recordSubject(const QString &displayName);

// The rows a list shows, in their order: those of the grade group's section
// (inGradeSection), and with a subject only the records that name exactly it,
// so 张三's list never shows 张三丰's.
QVector<Document> listedRecords(const QVector<Document> &rows, const QString &gradeGroup,
                                const QString &subject = QString());

// The count above the development records: "本班所有行为记录(3)条" / "(张三)的行为记录(3)条".
QString classRecordCountText(int count);
QString studentRecordCountText(const QString &student, int count);

} // namespace tessaly::records
