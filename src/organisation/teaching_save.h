#pragma once
// Teaching assignments (任课 rows of 教导处) as the subject window lists them,
// and their save.
//
// An assignment is known by its grade group, class and subject (对应内容, 其它,
// 其次). A save matches each listed assignment to a stored one by that key, in
// id order when a key is stored twice:
//   - a matched row keeps its id and 密码 and takes the listed teacher (名称)
//     where it differs from the loaded one; a teacher another computer saved
//     since refuses the whole save (db::kErrRowChanged, naming the rows), as
//     does a row read that another computer deleted since, or (with a class
//     chosen) one it stored since that this save would delete;
//   - a listed assignment without a stored row is inserted with the listed
//     password (empty for a subject just ticked);
//   - with a class chosen, the class's stored assignments that are not listed
//     are deleted (their subjects were unticked). A list of a whole grade group
//     cannot drop rows, so a grade-group save deletes nothing.
// Every name goes in as a bound value; the save is one transaction.
#include "kit/save_report.h"
#include "db/database.h"

#include <QString>
#include <QVector>

namespace tessaly::organisation {

struct TeachingAssignment {
    QString gradeGroup;   // 对应内容
    QString className;    // 其它
    QString subject;      // 其次
    QString teacher;      // 名称
    QString password;     // 密码; written for a new row only
    bool operator==(const TeachingAssignment &) const = default;
};

// What a list stands for: the assignments of one class, or (className empty)
// those of a whole grade group, each saved under its own class.
struct TeachingScope {
    QString gradeGroup;
    QString className;
};

struct TeachingSaveResult : SaveOutcome {
    int updated = 0;
    int inserted = 0;
    int deleted = 0;
};

// Stores the listed assignments (see above); loaded is the list as read. All or nothing.
TeachingSaveResult SaveTeachingAssignments(db::Connection &c, const TeachingScope &scope,
                                           const QVector<TeachingAssignment> &loaded,
                                           const QVector<TeachingAssignment> &rows);

// The teaching rows of a grade group, or of one of its classes, as stored, in id order.
struct StoredTeaching {
    qint64 id = 0;
    TeachingAssignment assignment;
};
QVector<StoredTeaching> readTeachingAssignments(db::Connection &c, const TeachingScope &scope,
                                                bool *ok = nullptr);

} // namespace tessaly::organisation
