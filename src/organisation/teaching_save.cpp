#include "organisation/teaching_save.h"

#include "db/row_update.h"
#include "school/school_tables.h"
#include "db/typed_read.h"

#include <QSqlQuery>

#include <algorithm>
#include <optional>

namespace tessaly::organisation {

namespace {

QString text(const QSqlQuery &q, int index)
{
    const QVariant v = q.value(index);
    return v.isNull() ? QString() : v.toString();
}

bool sameKey(const TeachingAssignment &a, const TeachingAssignment &b)
{
    return a.gradeGroup == b.gradeGroup && a.className == b.className && a.subject == b.subject;
}

// The loaded row row i of the list started from: the one of its key at the
// same place among rows of that key; none for one listed since.
std::optional<TeachingAssignment> loadedRow(const QVector<TeachingAssignment> &loaded,
                                            const QVector<TeachingAssignment> &rows, int i)
{
    qsizetype nth = std::count_if(rows.begin(), rows.begin() + i,
                                  [&](const TeachingAssignment &r) { return sameKey(r, rows[i]); });
    for (const TeachingAssignment &r : loaded) {
        if (sameKey(r, rows[i]) && nth-- == 0)
            return r;
    }
    return std::nullopt;
}

QString shownKey(const TeachingAssignment &a)
{
    return a.gradeGroup + a.className + a.subject;
}

} // namespace

QVector<StoredTeaching> readTeachingAssignments(db::Connection &c, const TeachingScope &scope, bool *ok)
{
    QString sql = QStringLiteral(R"(select "id","对应内容","其它","其次","名称","密码" from "教导处")"
                                 R"( where "类别"=? and "对应内容"=?)");
    QVariantList params{school::kKindTeaching, scope.gradeGroup};
    if (!scope.className.isEmpty()) {
        sql += QStringLiteral(R"( and "其它"=?)");
        params << scope.className;
    }
    sql += QStringLiteral(R"( order by "id")");
    QVector<StoredTeaching> out;
    QSqlQuery q = c.query(sql, params);
    if (ok)
        *ok = q.isActive();
    while (q.next()) {
        StoredTeaching s;
        s.id = q.value(0).toLongLong();
        s.assignment = {text(q, 1), text(q, 2), text(q, 3), text(q, 4), text(q, 5)};
        out.append(s);
    }
    if (!db::finishRead(c, q) && ok)
        *ok = false;
    return out;
}

TeachingSaveResult SaveTeachingAssignments(db::Connection &c, const TeachingScope &scope,
                                           const QVector<TeachingAssignment> &loaded,
                                           const QVector<TeachingAssignment> &rows)
{
    TeachingSaveResult result;
    const bool ok = c.transaction([&] {
        bool read = false;
        const QVector<StoredTeaching> stored = readTeachingAssignments(c, scope, &read);
        if (!read)
            return false;
        QVector<bool> used(stored.size(), false);
        QStringList changed;
        for (int k = 0; k < rows.size(); ++k) {
            const TeachingAssignment &row = rows[k];
            int match = -1;
            for (int i = 0; i < stored.size() && match < 0; ++i) {
                if (!used[i] && sameKey(stored[i].assignment, row))
                    match = i;
            }
            if (match >= 0) {
                used[match] = true;
                const QString before = loadedRow(loaded, rows, k).value_or(TeachingAssignment{}).teacher;
                switch (db::updateChangedFields(c, QStringLiteral("教导处"), QStringLiteral("id"), stored[match].id,
                                                {{QStringLiteral("名称"), before.isNull() ? QStringLiteral("") : before,
                                                  row.teacher}})) {
                case db::RowUpdate::Updated:
                    ++result.updated;
                    break;
                case db::RowUpdate::Conflict:
                    changed << shownKey(row);
                    break;
                case db::RowUpdate::Gone:
                case db::RowUpdate::Failed:
                    return c.error().isSet() ? false : c.fail(db::kErrSql, QStringLiteral("保存没有完成。"));
                }
            } else {
                if (loadedRow(loaded, rows, k)) {
                    changed << shownKey(row);   // deleted since it was read
                    continue;
                }
                if (!c.exec(QStringLiteral(R"(insert into "教导处" ("类别","名称","对应内容","其它","其次","密码"))"
                                           R"( values (?,?,?,?,?,?))"),
                            {school::kKindTeaching, row.teacher, row.gradeGroup, row.className, row.subject,
                             row.password}))
                    return false;
                ++result.inserted;
            }
        }
        if (!scope.className.isEmpty()) {
            // A stored row this save would delete that was not read: added since.
            for (int i = 0; i < stored.size(); ++i) {
                const TeachingAssignment &a = stored[i].assignment;
                const auto ofKey = [&](const TeachingAssignment &t) { return sameKey(t, a); };
                if (!used[i] && std::count_if(stored.begin(), stored.end(),
                                              [&](const StoredTeaching &t) { return ofKey(t.assignment); })
                                    > std::count_if(loaded.begin(), loaded.end(), ofKey)
                    && !changed.contains(shownKey(a)))
                    changed << shownKey(a);
            }
        }
        if (!changed.isEmpty())
            return c.fail(db::kErrRowChanged,
                          db::rowChangedMessage(
                              QStringLiteral("%1的任课教师").arg(changed.join(QStringLiteral("、"))),
                              QStringLiteral("您的修改"), QStringLiteral("重新选择班级读出最新任课教师")));
        if (scope.className.isEmpty())
            return true;
        for (int i = 0; i < stored.size(); ++i) {
            if (used[i])
                continue;
            if (!c.exec(QStringLiteral(R"(delete from "教导处" where "id"=?)"), {stored[i].id}))
                return false;
            ++result.deleted;
        }
        return true;
    });
    result.ok = ok;
    if (!ok) {
        result.updated = result.inserted = result.deleted = 0;
        result.error = c.error();
    }
    return result;
}

} // namespace tessaly::organisation
