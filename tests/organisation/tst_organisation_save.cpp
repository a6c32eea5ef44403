// The saves of the organisation set-up: grade groups and the classes of a
// grade group, with what goes along with a removal.
#include "fixtures/test_school.h"
#include "organisation/organisation_save.h"
#include "db/database.h"

#include <QSqlQuery>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::organisation;
using tessaly::test::TestSchool;
using namespace Qt::StringLiterals;

namespace {

// 教导处 in id order, one text per row: id|类别|名称|对应内容|其它|其次|密码 (null shown as ∅).
QStringList snapshot(TestSchool &school)
{
    QStringList out;
    QSqlQuery q = school.db().query(
        QStringLiteral(R"(select "id","类别","名称","对应内容","其它","其次","密码" from "教导处" order by "id")"));
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < 7; ++i)
            cells << (q.value(i).isNull() ? QStringLiteral("∅") : q.value(i).toString());
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

// The rows of one kind (and grade group): id -> {名称, 其它, 其次, 密码}.
QMap<int, QStringList> rowsOf(TestSchool &school, const QString &kind, const QString &gradeGroup = {})
{
    QString sql = QStringLiteral(R"(select "id","名称","其它","其次","密码" from "教导处" where "类别"=?)");
    QVariantList params{kind};
    if (!gradeGroup.isNull()) {
        sql += QStringLiteral(R"( and "对应内容"=?)");
        params << gradeGroup;
    }
    QMap<int, QStringList> out;
    QSqlQuery q = school.db().query(sql, params);
    while (q.next())
        out.insert(q.value(0).toInt(), {q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                                        q.value(4).toString()});
    return out;
}

QStringList gradeGroupNamesStored(TestSchool &school)
{
    QStringList out;
    for (const QStringList &r : rowsOf(school, QStringLiteral("年级组名")))
        out << r[0];
    return out;
}

// Records the questions and answers them.
struct Confirmer {
    bool answer = true;
    QStringList asked;
    ConfirmRemoval fn()
    {
        return [this](const QString &q) {
            asked << q;
            return answer;
        };
    }
};

// The 班级名 rows of a grade group as the class window reads them.
QVector<ClassRow> loadedClasses(db::Connection &c, const QString &gradeGroup)
{
    QVector<ClassRow> out;
    QSqlQuery q = c.query(uR"(select "名称","其它","其次","密码" from "教导处" where "类别"='班级名' and "对应内容"=?)"_s,
                          {gradeGroup});
    while (q.next())
        out << ClassRow{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()};
    return out;
}

} // namespace

class TestOrganisationSave : public QObject {
    Q_OBJECT

private slots:
    void gradeGroups_data();
    void gradeGroups();
    void gradeGroupRemovalAsks_data();
    void gradeGroupRemovalAsks();

    void classesKeepIdAndPassword();
    void classTwinsBecomeOne();
    void classRemovalAsks_data();
    void classRemovalAsks();
    void failureStoresNothing();
    void changedWhileAskingStoresNothing();
};

void TestOrganisationSave::gradeGroups_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("ticked");
    QTest::addColumn<QStringList>("expected");   // 名称 in id order afterwards

    QTest::newRow("add and remove") << QStringList{u"初一年级组"_s, u"初二年级组"_s}
                                    << QStringList{u"初二年级组"_s, u"高一年级组"_s}
                                    << QStringList{u"初二年级组"_s, u"高一年级组"_s};
    QTest::newRow("new ones in list order") << QStringList{} << QStringList{u"高三年级组"_s, u"一年级组"_s}
                                            << QStringList{u"一年级组"_s, u"高三年级组"_s};
    QTest::newRow("twins become one") << QStringList{u"初二年级组"_s, u"初二年级组"_s}
                                      << QStringList{u"初二年级组"_s} << QStringList{u"初二年级组"_s};
    QTest::newRow("names outside the list stay")
        << QStringList{u"O'Neil组"_s, u"初一年级组"_s} << QStringList{} << QStringList{u"O'Neil组"_s};
    QTest::newRow("nothing changes") << QStringList{u"六年级组"_s, u"一年级组"_s}
                                     << QStringList{u"一年级组"_s, u"六年级组"_s}
                                     << QStringList{u"六年级组"_s, u"一年级组"_s};
}

void TestOrganisationSave::gradeGroups()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, ticked);
    QFETCH(QStringList, expected);
    TestSchool school;
    QMap<QString, int> firstId;
    for (const QString &name : stored) {
        const int id = school.addGradeGroup(name);
        if (!firstId.contains(name))
            firstId.insert(name, id);
    }
    db::Connection c(school.dbPath());
    Confirmer confirm;
    const SaveResult r = SaveGradeGroups(c, ticked, confirm.fn());
    QVERIFY2(r.saved(), qPrintable(r.error.text));
    QVERIFY(confirm.asked.isEmpty());
    QCOMPARE(gradeGroupNamesStored(school), expected);
    // A grade group that stays keeps its row.
    const auto rows = rowsOf(school, QStringLiteral("年级组名"));
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        if (firstId.contains(it.value()[0]))
            QCOMPARE(it.key(), firstId.value(it.value()[0]));
    }
}

void TestOrganisationSave::gradeGroupRemovalAsks_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No keeps everything") << false;
    QTest::newRow("Yes removes the group with its classes") << true;
}

void TestOrganisationSave::gradeGroupRemovalAsks()
{
    QFETCH(bool, answer);
    TestSchool school;
    school.addGradeGroup(u"初一年级组"_s);
    school.addGradeGroup(u"初二年级组"_s);
    school.addClass(u"初一年级组"_s, u"一班"_s, u"王老师"_s, u"1"_s);
    school.addClass(u"初一年级组"_s, u"三班"_s, u"李老师"_s, u"3"_s);
    school.addTeaching(u"初一年级组"_s, u"一班"_s, u"语文"_s, u"王老师"_s);
    school.addClass(u"初二年级组"_s, u"一班"_s, u"赵老师"_s, u"5"_s);
    school.addTeaching(u"初二年级组"_s, u"一班"_s, u"数学"_s, u"赵老师"_s);
    const QStringList before = snapshot(school);

    db::Connection c(school.dbPath());
    Confirmer confirm;
    confirm.answer = answer;
    const SaveResult r = SaveGradeGroups(c, {u"初二年级组"_s}, confirm.fn());
    QCOMPARE(confirm.asked.size(), 1);
    const QString q = confirm.asked.first();
    QVERIFY2(q.contains(u"初一年级组"_s) && q.contains(u"一班、三班"_s) && q.contains(u"任课 1项"_s), qPrintable(q));
    QVERIFY2(!q.contains(u"初二年级组"_s), qPrintable(q));
    if (!answer) {
        QVERIFY(!r.ok && r.cancelled);
        QCOMPARE(snapshot(school), before);
        return;
    }
    QVERIFY2(r.saved(), qPrintable(r.error.text));
    QCOMPARE(gradeGroupNamesStored(school), QStringList{u"初二年级组"_s});
    QCOMPARE(school.count(uR"(select count(*) from "教导处" where "对应内容"=?)"_s, {u"初一年级组"_s}), 0);
    QCOMPARE(school.count(uR"(select count(*) from "教导处" where "对应内容"=?)"_s, {u"初二年级组"_s}), 2);
    QCOMPARE(school.count(uR"(select count(*) from "教导处" where "名称"='管理员')"_s), 1);
}

void TestOrganisationSave::classesKeepIdAndPassword()
{
    TestSchool school;
    const int third = school.addClass(u"初二年级组"_s, u"三班"_s, u"王老师"_s, u"p3"_s, u"火箭班"_s);
    const int first = school.addClass(u"初二年级组"_s, u"一班"_s, u"李老师"_s, u"p1"_s);
    const int other = school.addClass(u"初一年级组"_s, u"三班"_s, u"周老师"_s, u"q3"_s);
    const int teaching = school.addTeaching(u"初二年级组"_s, u"三班"_s, u"语文"_s, u"王老师"_s, u"t"_s);

    const QVector<ClassRow> rows{
        {u"一班"_s, u"O'Brien班"_s, u"张'老师"_s, u""_s},
        {u"三班"_s, u""_s, u"钱老师"_s, u"stale"_s},   // a password changed meanwhile is not undone
        {u"七班"_s, u"七'班"_s, u""_s, u"p7"_s},
    };
    db::Connection c(school.dbPath());
    Confirmer confirm;
    const SaveResult r = SaveClasses(c, u"初二年级组"_s, loadedClasses(c, u"初二年级组"_s), rows, confirm.fn());
    QVERIFY2(r.saved(), qPrintable(r.error.text));
    QVERIFY(confirm.asked.isEmpty());
    QCOMPARE(r.updated, 2);
    QCOMPARE(r.inserted, 1);
    QCOMPARE(r.deleted, 0);

    const auto stored = rowsOf(school, u"班级名"_s, u"初二年级组"_s);
    QCOMPARE(stored.size(), 3);
    QCOMPARE(stored.value(first), (QStringList{u"一班"_s, u"O'Brien班"_s, u"张'老师"_s, u"p1"_s}));
    QCOMPARE(stored.value(third), (QStringList{u"三班"_s, u""_s, u"钱老师"_s, u"p3"_s}));
    const int seventh = stored.lastKey();
    QVERIFY(seventh > teaching);
    QCOMPARE(stored.value(seventh), (QStringList{u"七班"_s, u"七'班"_s, u""_s, u"p7"_s}));
    // Another grade group's class and the teaching assignment are untouched.
    QCOMPARE(rowsOf(school, u"班级名"_s, u"初一年级组"_s).value(other),
             (QStringList{u"三班"_s, u""_s, u"周老师"_s, u"q3"_s}));
    QCOMPARE(rowsOf(school, u"任课"_s).keys(), QList<int>{teaching});
}

void TestOrganisationSave::classTwinsBecomeOne()
{
    TestSchool school;
    const int a = school.addClass(u"初二年级组"_s, u"一班"_s, u"王老师"_s, u"a"_s);
    school.addClass(u"初二年级组"_s, u"一班"_s, u"李老师"_s, u"b"_s);
    const int teaching = school.addTeaching(u"初二年级组"_s, u"一班"_s, u"语文"_s, u"王老师"_s);
    db::Connection c(school.dbPath());
    Confirmer confirm;
    const SaveResult r = SaveClasses(c, u"初二年级组"_s, loadedClasses(c, u"初二年级组"_s), {{u"一班"_s, {}, u"王老师"_s, u"a"_s}}, confirm.fn());
    QVERIFY2(r.saved(), qPrintable(r.error.text));
    // The class name stays, so its teaching assignment does too: nothing to ask.
    QVERIFY(confirm.asked.isEmpty());
    QCOMPARE(rowsOf(school, u"班级名"_s).keys(), QList<int>{a});
    QCOMPARE(rowsOf(school, u"任课"_s).keys(), QList<int>{teaching});
}

void TestOrganisationSave::classRemovalAsks_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No keeps everything") << false;
    QTest::newRow("Yes removes the class with its teaching") << true;
}

void TestOrganisationSave::classRemovalAsks()
{
    QFETCH(bool, answer);
    TestSchool school;
    const int first = school.addClass(u"初二年级组"_s, u"一班"_s, u"王老师"_s, u"1"_s);
    school.addClass(u"初二年级组"_s, u"五班"_s, u"赵老师"_s, u"5"_s);
    school.addTeaching(u"初二年级组"_s, u"五班"_s, u"数学"_s, u"赵老师"_s);
    school.addTeaching(u"初二年级组"_s, u"五班"_s, u"英语"_s, u"O'Hara"_s);
    const int kept = school.addTeaching(u"初二年级组"_s, u"一班"_s, u"数学"_s, u"赵老师"_s);
    const int elsewhere = school.addTeaching(u"初一年级组"_s, u"五班"_s, u"数学"_s, u"钱老师"_s);
    const QStringList before = snapshot(school);

    db::Connection c(school.dbPath());
    Confirmer confirm;
    confirm.answer = answer;
    const SaveResult r = SaveClasses(c, u"初二年级组"_s, loadedClasses(c, u"初二年级组"_s), {{u"一班"_s, {}, u"王老师"_s, u"1"_s}}, confirm.fn());
    QCOMPARE(confirm.asked.size(), 1);
    const QString q = confirm.asked.first();
    QVERIFY2(q.contains(u"初二年级组五班"_s) && q.contains(u"五班 数学 赵老师"_s) && q.contains(u"五班 英语 O'Hara"_s),
             qPrintable(q));
    QVERIFY2(!q.contains(u"一班"_s), qPrintable(q));
    if (!answer) {
        QVERIFY(!r.ok && r.cancelled);
        QCOMPARE(snapshot(school), before);
        return;
    }
    QVERIFY2(r.saved(), qPrintable(r.error.text));
    QCOMPARE(rowsOf(school, u"班级名"_s).keys(), QList<int>{first});
    QCOMPARE(rowsOf(school, u"任课"_s).keys(), (QList<int>{kept, elsewhere}));
}

void TestOrganisationSave::failureStoresNothing()
{
    TestSchool school;
    school.addClass(u"初二年级组"_s, u"一班"_s, u"王老师"_s, u"1"_s);
    school.addClass(u"初二年级组"_s, u"五班"_s, u"赵老师"_s, u"5"_s);
    QVERIFY(school.db().exec(uR"(create trigger "refuse" before insert on "教导处" when new."名称"='七班')"
                             uR"( begin select raise(abort, 'refused'); end)"_s));
    const QStringList before = snapshot(school);
    db::Connection c(school.dbPath());
    const SaveResult r = SaveClasses(c, u"初二年级组"_s, loadedClasses(c, u"初二年级组"_s), {{u"一班"_s, u"改"_s, u"李老师"_s, {}}, {u"七班"_s, {}, {}, {}}}, {});
    QVERIFY(!r.ok && !r.cancelled);
    QVERIFY(!r.error.text.isEmpty());
    // The update of 一班 and the deletion of 五班 were rolled back.
    QCOMPARE(snapshot(school), before);
}

void TestOrganisationSave::changedWhileAskingStoresNothing()
{
    TestSchool school;
    school.addClass(u"初二年级组"_s, u"一班"_s, u"王老师"_s, u"1"_s);
    school.addClass(u"初二年级组"_s, u"五班"_s, u"赵老师"_s, u"5"_s);
    school.addTeaching(u"初二年级组"_s, u"五班"_s, u"数学"_s, u"赵老师"_s);
    db::Connection c(school.dbPath());
    // While the question is open, another user gives 五班 one more teacher.
    const ConfirmRemoval confirm = [&school](const QString &) {
        school.addTeaching(u"初二年级组"_s, u"五班"_s, u"语文"_s, u"孙老师"_s);
        return true;
    };
    const SaveResult r = SaveClasses(c, u"初二年级组"_s, loadedClasses(c, u"初二年级组"_s), {{u"一班"_s, {}, u"王老师"_s, u"1"_s}}, confirm);
    QVERIFY(!r.ok && !r.cancelled);
    QVERIFY(!r.error.text.isEmpty());
    // Nothing the question did not name was deleted; in fact nothing was.
    QCOMPARE(rowsOf(school, u"班级名"_s).size(), 2);
    QCOMPARE(rowsOf(school, u"任课"_s).size(), 2);
}

QTEST_GUILESS_MAIN(TestOrganisationSave)
#include "tst_organisation_save.moc"
