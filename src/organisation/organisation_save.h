#pragma once
// Saves of the organisation set-up: the school's grade groups (年级组名 rows)
// and the classes of one grade group (班级名 rows).
//
// A save changes only what differs: a row that stays keeps its id and 密码 and
// is updated in place (matched by grade group and name), a new one is
// inserted, one that went is deleted. Rows that depend on a removed grade
// group or class (its classes, its teaching assignments) go with it, but only
// after the caller's confirmation has been given for exactly those rows; the
// question names them. Each save is one transaction: all rows or none.
// Students in the section tables are never touched.
#include "kit/save_report.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

namespace tessaly {
struct Session;
}
namespace tessaly::db {
class Connection;
}

namespace tessaly::organisation {

// Asked before dependent rows are deleted; true lets the save go on.
using ConfirmRemoval = std::function<bool(const QString &question)>;

// ok: stored. Not ok and cancelled: the removal question was answered No.
// Not ok otherwise: the database refused (error). Either way nothing is stored.
struct SaveResult : SaveOutcome {
    bool cancelled = false;
    int inserted = 0;
    int updated = 0;
    int deleted = 0;   // rows of the saved kind (dependents not counted)
    bool saved() const { return ok; }
};

// What a removal takes with it: the classes of a removed grade group, and the
// teaching assignments of a removed grade group or class.
struct Dependents {
    QString gradeGroup;
    QString className;           // empty when a whole grade group goes
    QStringList classes;         // 名称 of its 班级名 rows, in id order
    QStringList teachings;       // "一班 语文 王老师" per 任课 row, in id order
    bool isEmpty() const { return classes.isEmpty() && teachings.isEmpty(); }
    bool operator==(const Dependents &) const = default;
};

// The question put before deleting dependents (empty when there are none).
QString removalQuestion(const QVector<Dependents> &dependents);

// True while the administrator is the account signed in.
bool adminSignedIn(const Session &session);

// Stores the ticked names of the fixed grade-group list as the 年级组名 rows.
// A ticked name keeps its oldest row (twins of it are deleted), a new one is
// added in list order, a stored name of the list that is not ticked is deleted
// with its classes and teaching assignments (after confirm). Rows whose name
// is not in the fixed list are not this window's and stay.
SaveResult SaveGradeGroups(db::Connection &c, const QStringList &ticked, const ConfirmRemoval &confirm);

// One class as the class grid holds it.
struct ClassRow {
    QString name;          // 名称, one of the fixed class list
    QString actualName;    // 其它
    QString headTeacher;   // 其次
    QString password;      // 密码 as loaded; stored only for a new row
    bool operator==(const ClassRow &) const = default;
};

// Stores the rows as the 班级名 rows of the grade group. Each row takes the
// first unmatched stored row of its name (oldest id first): of 其它 and 其次
// only what differs from the loaded row of that name is written, id and 密码
// stay. Where such a field no longer holds its loaded value (another computer
// saved it since) the whole save is refused (db::kErrRowChanged, naming the
// classes), as it is when a class would be deleted that was stored after the
// load, or inserted again that was deleted since. Unmatched rows are inserted;
// stored rows left unmatched are deleted, and with them the teaching
// assignments of a class name that no row keeps (after confirm).
SaveResult SaveClasses(db::Connection &c, const QString &gradeGroup, const QVector<ClassRow> &loaded,
                       const QVector<ClassRow> &rows, const ConfirmRemoval &confirm);

// The stored grade-group names (名称 of the 年级组名 rows); nullopt when the read
// failed (c.error()).
std::optional<QStringList> readGradeGroupNames(db::Connection &c);
// The 班级名 rows of a grade group as stored; nullopt when the read failed.
std::optional<QVector<ClassRow>> readClasses(db::Connection &c, const QString &gradeGroup);

} // namespace tessaly::organisation
