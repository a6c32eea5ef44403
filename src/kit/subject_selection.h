#pragma once
// The subject step of the selection cascade: the teaching assignments (任课
// rows of 教导处) of one class, listed by subject, with their teachers.
#include "kit/selection.h"
#include "school/class_code.h"
#include "school/score_sheet.h"

#include <QString>
#include <QStringList>
#include <QVector>

class QComboBox;
class QWidget;

namespace tessaly {
struct Session;
namespace db {
class Connection;
}
}

namespace tessaly {

// One subject of the subject combo: the teacher's account (empty texts where
// the row has none).
struct SubjectEntry {
    QString teacher;    // 名称
    QString password;   // 密码
    QString id;         // id, as text
};

// Parallel to the subject combo.
using SubjectList = EntryList<SubjectEntry>;

// Fills the subject combo, from 教导处 on the window's connection, with the
// class's subjects (subjectsOfClass), in table order, nothing chosen, and
// rebuilds the list. With no row: grade group + class +
// "还没有设置任何学科，请管理员进行本班学科与任课教师设置后，才能添分。", unless
// noticeWhenNone is false. A refused read is reported and returns false.
bool FillSubjectCombo(db::Connection &c, const QString &gradeGroup, const QString &className,
                      QComboBox *subjectCombo, SubjectList &list, QWidget *parent, bool noticeWhenNone = true);

// The subject choice's student load on the window's connection: the section
// table's columns, in stored order, and the class's students (score sheet, no
// exam) when `withStudents`. An invalid identity (a name outside the fixed
// lists) lists nobody and no columns. A refused read is reported on parent and
// gives nothing.
struct ClassStudents {
    QStringList columns;
    QList<school::ScoreRow> students;
};
ClassStudents OpenClassStudents(db::Connection &c, const school::ClassIdentity &identity, QWidget *parent,
                                bool withStudents = true);

} // namespace tessaly
