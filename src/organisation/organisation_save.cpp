#include "organisation/organisation_save.h"

#include "school/fixed_lists.h"
#include "school/school_tables.h"
#include "db/database.h"
#include "db/row_update.h"
#include "db/typed_read.h"
#include "kit/session.h"

#include <QSqlQuery>

#include <algorithm>
#include <optional>

namespace tessaly::organisation {

namespace {

const QString kChanged = QStringLiteral("教导处已被其他用户修改,请重新保存。");

struct Row {
    qint64 id = 0;
    QString name;    // 名称
    QString other;   // 其它
    QString next;    // 其次
};

QString textOf(const QVariant &v)
{
    return v.isNull() ? QString() : v.toString();
}

// A non-null text, so an empty cell is stored as '' and not as NULL.
QVariant bound(const QString &text)
{
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

// 教导处 rows of one kind (and, when given, one grade group), oldest id first.
bool readRows(db::Connection &c, const QString &kind, const QString *gradeGroup, QVector<Row> &out)
{
    QString sql = QStringLiteral(R"(select "id","名称","其它","其次" from "教导处" where "类别"=?)");
    QVariantList params{kind};
    if (gradeGroup) {
        sql += QStringLiteral(R"( and "对应内容"=?)");
        params << *gradeGroup;
    }
    sql += QStringLiteral(R"( order by "id")");
    QSqlQuery q = c.query(sql, params);
    if (!q.isActive())
        return false;
    out.clear();
    while (q.next())
        out.append(Row{q.value(0).toLongLong(), textOf(q.value(1)), textOf(q.value(2)), textOf(q.value(3))});
    return db::finishRead(c, q);
}

QString teachingText(const Row &r)
{
    // 其它 class, 其次 subject, 名称 teacher.
    QStringList parts{r.other, r.next, r.name};
    parts.removeAll(QString());
    return parts.join(QLatin1Char(' '));
}

QStringList teachingsOf(const QVector<Row> &teachings, const QString *className)
{
    QStringList out;
    for (const Row &t : teachings) {
        if (!className || t.other == *className)
            out << teachingText(t);
    }
    return out;
}

bool deleteIds(db::Connection &c, const QVector<qint64> &ids)
{
    for (const qint64 id : ids) {
        if (!c.exec(QStringLiteral(R"(delete from "教导处" where "id"=?)"), {id}))
            return false;
    }
    return true;
}

// What a grade-group save would do.
struct GradeGroupPlan {
    QVector<qint64> remove;          // 年级组名 rows
    QStringList add;                 // names to insert, list order
    QVector<qint64> dependentIds;    // 班级名 and 任课 rows of removed groups
    QVector<Dependents> dependents;
    int kept = 0;
};

bool planGradeGroups(db::Connection &c, const QStringList &ticked, GradeGroupPlan &plan)
{
    plan = {};
    QVector<Row> stored;
    if (!readRows(c, school::kKindGradeGroup, nullptr, stored))
        return false;
    QStringList seen;
    QStringList removedNames;
    for (const Row &r : stored) {
        if (!school::gradeGroupNames().contains(r.name))
            continue;   // not offered by the window: left alone
        if (ticked.contains(r.name) && !seen.contains(r.name)) {
            seen << r.name;
            ++plan.kept;
            continue;
        }
        plan.remove << r.id;   // unticked, or a twin of a kept row
        if (!ticked.contains(r.name) && !removedNames.contains(r.name))
            removedNames << r.name;
    }
    for (const QString &name : school::gradeGroupNames()) {
        if (ticked.contains(name) && !seen.contains(name))
            plan.add << name;
    }
    for (const QString &group : removedNames) {
        Dependents d;
        d.gradeGroup = group;
        QVector<Row> classes;
        QVector<Row> teachings;
        if (!readRows(c, school::kKindClass, &group, classes) || !readRows(c, school::kKindTeaching, &group, teachings))
            return false;
        for (const Row &r : classes) {
            d.classes << r.name;
            plan.dependentIds << r.id;
        }
        for (const Row &r : teachings)
            plan.dependentIds << r.id;
        d.teachings = teachingsOf(teachings, nullptr);
        if (!d.isEmpty())
            plan.dependents << d;
    }
    return true;
}

// What a class save would do.
struct ClassPlan {
    struct Update {
        qint64 id;
        int row;
    };
    QVector<Update> update;
    QVector<int> insert;             // grid rows
    QVector<qint64> remove;          // 班级名 rows
    QStringList removedNames;        // their 名称, in the same order
    QStringList storedNames;         // 名称 of every stored 班级名 row of the grade group
    QVector<qint64> dependentIds;    // 任课 rows of class names that went
    QVector<Dependents> dependents;
};

bool planClasses(db::Connection &c, const QString &gradeGroup, const QVector<ClassRow> &rows, ClassPlan &plan)
{
    plan = {};
    QVector<Row> stored;
    if (!readRows(c, school::kKindClass, &gradeGroup, stored))
        return false;
    for (const Row &r : stored)
        plan.storedNames << r.name;
    QVector<bool> matched(stored.size(), false);
    for (int i = 0; i < rows.size(); ++i) {
        int found = -1;
        for (int k = 0; k < stored.size(); ++k) {
            if (!matched[k] && stored[k].name == rows[i].name) {
                found = k;
                break;
            }
        }
        if (found < 0) {
            plan.insert << i;
        } else {
            matched[found] = true;
            plan.update << ClassPlan::Update{stored[found].id, i};
        }
    }
    QStringList gone;
    for (int k = 0; k < stored.size(); ++k) {
        if (matched[k])
            continue;
        plan.remove << stored[k].id;
        plan.removedNames << stored[k].name;
        const QString &name = stored[k].name;
        const bool kept = std::any_of(rows.begin(), rows.end(), [&](const ClassRow &r) { return r.name == name; });
        if (!kept && !gone.contains(name))
            gone << name;
    }
    if (gone.isEmpty())
        return true;
    QVector<Row> teachings;
    if (!readRows(c, school::kKindTeaching, &gradeGroup, teachings))
        return false;
    for (const QString &name : gone) {
        Dependents d;
        d.gradeGroup = gradeGroup;
        d.className = name;
        for (const Row &t : teachings) {
            if (t.other == name)
                plan.dependentIds << t.id;
        }
        d.teachings = teachingsOf(teachings, &name);
        if (!d.isEmpty())
            plan.dependents << d;
    }
    return true;
}

// The loaded row grid row i started from: the one of its name at the same
// place among rows of that name; none for a class ticked since.
std::optional<ClassRow> loadedClass(const QVector<ClassRow> &loaded, const QVector<ClassRow> &rows, int i)
{
    const QString &name = rows[i].name;
    qsizetype nth = std::count_if(rows.begin(), rows.begin() + i, [&](const ClassRow &r) { return r.name == name; });
    for (const ClassRow &r : loaded) {
        if (r.name == name && nth-- == 0)
            return r;
    }
    return std::nullopt;
}

// Classes another computer added or deleted since the load: a stored row this
// save would delete that was not loaded, a loaded one it would insert again.
QStringList classesChangedElsewhere(const ClassPlan &plan, const QVector<ClassRow> &loaded,
                                    const QVector<ClassRow> &rows)
{
    const auto loadedCount = [&](const QString &name) {
        return std::count_if(loaded.begin(), loaded.end(), [&](const ClassRow &r) { return r.name == name; });
    };
    QStringList out;
    for (const QString &name : plan.removedNames) {
        if (plan.storedNames.count(name) > loadedCount(name) && !out.contains(name))
            out << name;
    }
    for (const int i : plan.insert) {
        if (loadedClass(loaded, rows, i) && !out.contains(rows[i].name))
            out << rows[i].name;
    }
    return out;
}

SaveResult failed(db::Connection &c)
{
    SaveResult r;
    r.error = c.error();
    return r;
}

// Plans outside the transaction, asks, then plans again under the write lock:
// the rows deleted are exactly the ones the question named.
template <class Plan, class PlanFn, class ApplyFn>
SaveResult runSave(db::Connection &c, const ConfirmRemoval &confirm, PlanFn planFn, ApplyFn apply)
{
    Plan plan;
    if (!planFn(plan))
        return failed(c);
    const QVector<Dependents> confirmed = plan.dependents;
    if (!confirmed.isEmpty() && !(confirm && confirm(removalQuestion(confirmed)))) {
        SaveResult r;
        r.cancelled = true;
        return r;
    }
    SaveResult result;
    const bool ok = c.transaction([&] {
        if (!planFn(plan))
            return false;
        if (plan.dependents != confirmed)
            return c.fail(db::kErrSql, kChanged);
        return apply(plan, result);
    });
    if (!ok)
        return failed(c);
    result.ok = true;
    return result;
}

} // namespace

QString removalQuestion(const QVector<Dependents> &dependents)
{
    if (dependents.isEmpty())
        return QString();
    QStringList lines;
    lines << QStringLiteral("保存后,以下内容将一并删除:");
    for (const Dependents &d : dependents) {
        QStringList parts;
        if (!d.classes.isEmpty())
            parts << QStringLiteral("班级 %1(共%2个)").arg(d.classes.join(QStringLiteral("、"))).arg(d.classes.size());
        if (!d.teachings.isEmpty()) {
            if (d.className.isEmpty())
                parts << QStringLiteral("任课 %1项").arg(d.teachings.size());
            else
                parts << QStringLiteral("任课 %1").arg(d.teachings.join(QStringLiteral("、")));
        }
        const QString what = d.className.isEmpty() ? d.gradeGroup : d.gradeGroup + d.className;
        lines << QStringLiteral("    %1:%2").arg(what, parts.join(QStringLiteral(";")));
    }
    lines << QStringLiteral("学生的学籍与成绩不会删除。是否继续保存?");
    return lines.join(QLatin1Char('\r'));
}

bool adminSignedIn(const Session &session)
{
    return session.denglu == school::kAdminName;
}

SaveResult SaveGradeGroups(db::Connection &c, const QStringList &ticked, const ConfirmRemoval &confirm)
{
    return runSave<GradeGroupPlan>(
        c, confirm, [&](GradeGroupPlan &plan) { return planGradeGroups(c, ticked, plan); },
        [&](const GradeGroupPlan &plan, SaveResult &result) {
            if (!deleteIds(c, plan.dependentIds) || !deleteIds(c, plan.remove))
                return false;
            for (const QString &name : plan.add) {
                if (!c.exec(QStringLiteral(R"(insert into "教导处" ("类别","名称") values (?,?))"),
                            {school::kKindGradeGroup, name}))
                    return false;
            }
            result.inserted = int(plan.add.size());
            result.deleted = int(plan.remove.size());
            result.updated = 0;
            return true;
        });
}

SaveResult SaveClasses(db::Connection &c, const QString &gradeGroup, const QVector<ClassRow> &loaded,
                       const QVector<ClassRow> &rows, const ConfirmRemoval &confirm)
{
    return runSave<ClassPlan>(
        c, confirm, [&](ClassPlan &plan) { return planClasses(c, gradeGroup, rows, plan); },
        [&](const ClassPlan &plan, SaveResult &result) {
            QStringList changed = classesChangedElsewhere(plan, loaded, rows);
            if (!deleteIds(c, plan.dependentIds) || !deleteIds(c, plan.remove))
                return false;
            for (const ClassPlan::Update &u : plan.update) {
                const ClassRow &r = rows[u.row];
                const ClassRow before = loadedClass(loaded, rows, u.row).value_or(ClassRow{r.name, {}, {}, {}});
                const QList<db::FieldChange> changes{
                    {QStringLiteral("其它"), bound(before.actualName), bound(r.actualName)},
                    {QStringLiteral("其次"), bound(before.headTeacher), bound(r.headTeacher)}};
                switch (db::updateChangedFields(c, QStringLiteral("教导处"), QStringLiteral("id"), u.id, changes)) {
                case db::RowUpdate::Updated:
                    break;
                case db::RowUpdate::Conflict:
                    if (!changed.contains(r.name))
                        changed << r.name;
                    break;
                case db::RowUpdate::Gone:
                case db::RowUpdate::Failed:
                    return c.error().isSet() ? false : c.fail(db::kErrSql, kChanged);
                }
            }
            if (!changed.isEmpty())
                return c.fail(db::kErrRowChanged,
                              db::rowChangedMessage(
                                  QStringLiteral("%1的班级(%2)").arg(gradeGroup, changed.join(QStringLiteral("、"))),
                                  QStringLiteral("您的修改"), QStringLiteral("重新选择年级组读出最新班级")));
            for (const int i : plan.insert) {
                const ClassRow &r = rows[i];
                if (!c.exec(QStringLiteral(R"(insert into "教导处" ("类别","名称","对应内容","其它","其次","密码"))"
                                           R"( values (?,?,?,?,?,?))"),
                            {school::kKindClass, bound(r.name), gradeGroup, bound(r.actualName), bound(r.headTeacher),
                             bound(r.password)}))
                    return false;
            }
            result.inserted = int(plan.insert.size());
            result.updated = int(plan.update.size());
            result.deleted = int(plan.remove.size());
            return true;
        });
}

std::optional<QStringList> readGradeGroupNames(db::Connection &c)
{
    return db::readRows<QString>(c, QStringLiteral(R"(select "名称" from "教导处" where "类别"=?)"), {school::kKindGradeGroup},
                                 [](const QSqlQuery &q) { return db::textOf(q, 0); });
}

std::optional<QVector<ClassRow>> readClasses(db::Connection &c, const QString &gradeGroup)
{
    return db::readRows<ClassRow>(c,
                                  QStringLiteral(R"(select "名称","其它","其次","密码" from "教导处")"
                                                 R"( where "对应内容"=? AND "类别"=?)"),
                                  {gradeGroup, school::kKindClass}, [](const QSqlQuery &q) {
                                      return ClassRow{db::textOf(q, 0), db::textOf(q, 1), db::textOf(q, 2),
                                                      db::textOf(q, 3)};
                                  });
}

} // namespace tessaly::organisation
