#pragma once
// The selection steps windows run on 教导处: the administrator account, the
// grade-group combo and the class combo with its parallel class list.
// Each window calls them with its variant; the queries bind every value.
//
// The combos are filled with nothing chosen (current index -1), as a user
// choice is what fills the next combo. Windows react to the user's choice
// through QComboBox::activated, so a refill never runs their choice steps.
#include "school/class_members.h"

#include <QList>
#include <QString>
#include <QVector>
#include <optional>

class QComboBox;
class QWidget;

namespace tessaly {
struct Session;
struct Account;
namespace db {
class Connection;
}
}

namespace tessaly {

// The drop-down lists of the windows' combos show at least this many items
// before they scroll (the 12 grade groups, the 30 classes of a grade group).
inline constexpr int kDropDownItems = 20;
// Gives the combo that list length. The fills below do it for their combos; a
// window does it for a combo it fills itself.
void fitDropDown(QComboBox *combo);

// Reads the administrator row (名称 = "管理员") on the window's connection into
// `admin`. Found: name "管理员" and its 密码. Missing: shows
// "管理员数据丢失,…" (a refused read is reported instead), leaves name
// "管理员" with an empty password, and says why; the caller must not let the
// administrator sign in then.
enum class AdminAccount { Found, Missing, ReadFailed };
AdminAccount LoadAdminAccount(db::Connection &c, Account &admin, QWidget *parent);
// The same check when a window opens: only its messages and its answer count
// (each sign-in reads the row again).
AdminAccount LoadAdminAccount(db::Connection &c, QWidget *parent);

// What a window says when there is no grade group.
enum class GradeGroupVariant {
    Common,         // "目前教导处还没进行年级组设置。"
    ClassSetup,     // 班级设置, 学科设置: "目前还不能加入班级名称，请先进行年级组设置。"
    PasswordSetup,  // 系统安全密码设置: "目前还不能设置密码，请先进行年级组设置。"
};

// The fills below read 教导处 on the calling window's connection
// (FormWindow::connection), not on whichever database openpath names now. A
// refused read is reported (reportReadFailure), leaves the combo empty and
// returns false.

// Fills the grade-group combo with 名称 of the 年级组名 rows, in table order.
// The combo is cleared first; the window clears the combos that depend on it.
// With no grade group the window's message is shown and the combo stays empty.
bool FillGradeGroupCombo(db::Connection &c, QComboBox *combo, GradeGroupVariant variant, QWidget *parent);

// One class of the class combo: the texts a window keeps (empty when the
// column is empty or null, or when the window does not keep it).
struct ClassEntry {
    QString actualName;    // 其它
    QString headTeacher;   // 其次
    QString password;      // 密码
    QString id;            // id, as text
};

// Parallel to a combo: entry i belongs to combo item i (0-based). Rebuilt on
// every refill of the combo.
template <class Entry>
struct EntryList {
    QVector<Entry> entries;
    int size() const { return int(entries.size()); }
    // The entry of a combo index; an empty entry when out of range (no choice).
    Entry at(int comboIndex) const
    {
        return comboIndex >= 0 && comboIndex < entries.size() ? entries[comboIndex] : Entry{};
    }
};
using ClassList = EntryList<ClassEntry>;

// Which texts a window keeps per class.
enum class ClassVariant {
    Full,            // 其它, 其次, 密码, id: register and head-teacher record windows
    WithPassword,    // 其它, 其次, 密码: score entry, single-exam analysis, survey sheet
    HeadTeacher,     // 其它, 其次: multi-exam analysis, weak-subject query
    NamesOnly,       // none: exam-number page
};

// Fills the class combo with the 班级名 rows of the grade group (its text
// trimmed, bound as a parameter), in table order, and rebuilds the class list.
// The combo is cleared first; the window clears what depends on it. With no
// class: "目前教导处在本年级组内无任何班级设置。" and nothing more.
bool FillClassCombo(db::Connection &c, const QString &gradeGroup, QComboBox *classCombo, ClassVariant variant,
                    ClassList &list, QWidget *parent);

// The class's students (school::classMembers) on the window's connection; a
// refused read is reported and lists nobody.
school::MemberRows loadClassMembers(db::Connection &c, const school::ClassIdentity &identity, const QStringList &columns,
                                 QWidget *parent);

// The full mark a class's scores in an exam column are counted against
// (school::examFullMark on the class's stored full mark); a refused read of the
// registry is reported and the scores decide.
float classFullMark(db::Connection &c, const QString &sectionTable, const QString &column, const QString &gradeGroup,
                    const QString &className, const QList<std::optional<float>> &scores, QWidget *parent);

} // namespace tessaly
