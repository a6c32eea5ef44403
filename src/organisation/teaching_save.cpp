#include "organisation/teaching_save.h"

#include "school/school_tables.h"

#include <QSqlQuery>

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

} // namespace

QVector<StoredTeaching> readTeachingAssignments(db::Connection &c, const TeachingScope &scope, bool *ok)
{
    QString sql = QStringLiteral(R"(select "id","对应内容","其它","其次","名称","密码" from "教导处")"
                                 R"( where "类别"=? and "对应内容"=?)");
    QVariantList params{kKindTeaching, scope.gradeGroup};
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
    return out;
}

TeachingSaveResult SaveTeachingAssignments(db::Connection &c, const TeachingScope &scope,
                                           const QVector<TeachingAssignment> &rows)
{
    TeachingSaveResult result;
    const bool ok = c.transaction([&] {
        bool read = false;
        const QVector<StoredTeaching> stored = readTeachingAssignments(c, scope, &read);
        if (!read)
            return false;
        QVector<bool> used(stored.size(), false);
        for (const TeachingAssignment &row : rows) {
            int match = -1;
            for (int i = 0; i < stored.size() && match < 0; ++i) {
                if (!used[i] && sameKey(stored[i].assignment, row))
                    match = i;
            }
            if (match >= 0) {
                used[match] = true;
                if (!c.exec(QStringLiteral(R"(update "教导处" set "名称"=? where "id"=?)"),
                            {row.teacher, stored[match].id}))
                    return false;
                ++result.updated;
            } else {
                if (!c.exec(QStringLiteral(R"(insert into "教导处" ("类别","名称","对应内容","其它","其次","密码"))"
                                           R"( values (?,?,?,?,?,?))"),
                            {kKindTeaching, row.teacher, row.gradeGroup, row.className, row.subject,
                             row.password}))
                    return false;
                ++result.inserted;
            }
        }
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
