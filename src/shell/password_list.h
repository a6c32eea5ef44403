#pragma once
// The password list of 系统安全密码设置: the password rule, the three lists
// the window shows, and the save of the passwords typed there.
#include "kit/save_report.h"
#include "db/database.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

class QWidget;

namespace tessaly {

// The password rule, in every box that sets a password: at most 6 bytes in GBK
// (6 half-width or 3 full-width characters), blanks included, so whatever is
// set can be typed into the 8-character box of 登陆.
constexpr int kPasswordMaxBytes = 6;
bool passwordFits(const QString &password);
// Cuts a text typed into such a box back to the rule, from its end, with the
// notice "输入的密码内容不能超过6个半角字符长度。" for each character removed.
void cutToPasswordRule(QWidget *parent, QString &text);

// Which accounts a list holds.
enum class PasswordCategory { Admin, HeadTeachers, Teachers };

// One listed account: the id of its 教导处 row and the texts the grid shows
// from column 1 on, the password last.
struct PasswordRow {
    qint64 id = 0;
    QStringList cells;
};

// The grid's format string for a category, and the one shown before any choice.
QString passwordGridFormat(PasswordCategory category);
inline const QString kPasswordGridFormatAtLoad = QStringLiteral("^序号|^班级|^班实际名|> 姓  名 |>密  码");

// The record source (with its bound values) a category lists from; the grade
// group is ignored for the administrator. Columns: id, then the grid's cells.
struct PasswordQuery {
    QString sql;
    QVariantList params;
};
PasswordQuery passwordQuery(PasswordCategory category, const QString &gradeGroup);

// The rows a category lists (passwordQuery), in its order; nullopt when the
// read failed (c.error()).
std::optional<QVector<PasswordRow>> readPasswordRows(db::Connection &c, PasswordCategory category,
                                                     const QString &gradeGroup);

// Writes each password to the row it was listed from, by id, in one
// transaction. Ids no longer stored write nothing and are returned in missing.
struct PasswordSaveResult : SaveOutcome {
    int written = 0;
    QVector<qint64> missing;
};
struct PasswordEdit {
    qint64 id = 0;
    QString password;
};
PasswordSaveResult savePasswords(db::Connection &c, const QVector<PasswordEdit> &edits);

} // namespace tessaly
