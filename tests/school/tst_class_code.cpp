// Class codes, class numbers, seats and the class-membership query.
#include "fixtures/test_school.h"
#include "school/fixed_lists.h"
#include "db/database.h"
#include "school/class_code.h"
#include "register/register_grid.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

using namespace tessaly;

class TestClassCode : public QObject {
    Q_OBJECT
private slots:
    void resolveAcrossTheYear_data();
    void resolveAcrossTheYear();
    void classNumber_data();
    void classNumber();
    void classNumberAgreesWithNumeralScan();
    void sectionTablePerGradeGroup_data();
    void sectionTablePerGradeGroup();
    void namesOutsideTheFixedLists_data();
    void namesOutsideTheFixedLists();
    void shownId_data();
    void shownId();
    void firstFreeSeatFillsGaps();
    void firstFreeSeatRefusesAHundredthSeat();
    void boarding_data();
    void boarding();
    void membershipIsAPrefixTest();
    void membershipRangeMatchesThePrefix_data();
    void membershipRangeMatchesThePrefix();
    void membershipUsesTheNumberIndex();
    void membershipQueryRefusesBadInput_data();
    void membershipQueryRefusesBadInput();
};

void TestClassCode::resolveAcrossTheYear_data()
{
    QTest::addColumn<QString>("gradeGroup");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("cohortYear");
    QTest::addColumn<QString>("classCode");
    QTest::addColumn<int>("schoolYearStart");

    const QString g = QStringLiteral("初二年级组");
    QTest::newRow("31 Jul") << g << "十三班" << QDate(2005, 7, 31) << 2003 << "200313" << 2004;
    QTest::newRow("1 Aug: school year turns") << g << "十三班" << QDate(2005, 8, 1) << 2003 << "200313" << 2005;
    QTest::newRow("31 Aug") << g << "十三班" << QDate(2005, 8, 31) << 2003 << "200313" << 2005;
    QTest::newRow("1 Sep: cohort turns") << g << "十三班" << QDate(2005, 9, 1) << 2004 << "200413" << 2005;
    QTest::newRow("15 Oct") << g << "十三班" << QDate(2005, 10, 15) << 2004 << "200413" << 2005;
    QTest::newRow("31 Dec") << g << "十三班" << QDate(2005, 12, 31) << 2004 << "200413" << 2005;
    QTest::newRow("1 Jan") << g << "十三班" << QDate(2006, 1, 1) << 2004 << "200413" << 2005;
    QTest::newRow("15 Mar") << g << "十三班" << QDate(2006, 3, 15) << 2004 << "200413" << 2005;
    QTest::newRow("一年级组 Sep") << "一年级组" << "一班" << QDate(2005, 9, 10) << 2005 << "200501" << 2005;
    QTest::newRow("一年级组 Aug") << "一年级组" << "一班" << QDate(2005, 8, 10) << 2004 << "200401" << 2005;
    QTest::newRow("六年级组 Sep") << "六年级组" << "三十班" << QDate(2010, 9, 1) << 2005 << "200530" << 2010;
    QTest::newRow("高三年级组 May") << "高三年级组" << "二十一班" << QDate(2006, 5, 1) << 2003 << "200321" << 2005;
    QTest::newRow("blanks around names") << " 初二年级组 " << " 十三班" << QDate(2005, 10, 15) << 2004 << "200413" << 2005;
}

void TestClassCode::resolveAcrossTheYear()
{
    QFETCH(QString, gradeGroup);
    QFETCH(QString, className);
    QFETCH(QDate, today);
    QFETCH(int, cohortYear);
    QFETCH(QString, classCode);
    QFETCH(int, schoolYearStart);

    const school::ClassIdentity id = school::ResolveClassCode(gradeGroup, className, today);
    QVERIFY(id.isValid());
    QCOMPARE(id.cohortYear, cohortYear);
    QCOMPARE(id.classCode, classCode);
    QCOMPARE(id.classCode.left(4), QString::number(cohortYear));
    QCOMPARE(school::schoolYearStart(today), schoolYearStart);
}

void TestClassCode::classNumber_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");
    QTest::newRow("一班") << "一班" << 1;
    QTest::newRow("九班") << "九班" << 9;
    QTest::newRow("十班") << "十班" << 10;
    QTest::newRow("十三班") << "十三班" << 13;
    QTest::newRow("二十班") << "二十班" << 20;
    QTest::newRow("二十一班") << "二十一班" << 21;
    QTest::newRow("二十九班") << "二十九班" << 29;
    QTest::newRow("三十班") << "三十班" << 30;
    QTest::newRow("三十一班 is not in the list") << "三十一班" << 0;
    QTest::newRow("digits") << "1班" << 0;
    QTest::newRow("with actual name") << "十班(实验)" << 0;
    QTest::newRow("numeral only") << "十" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestClassCode::classNumber()
{
    QFETCH(QString, name);
    QFETCH(int, number);
    QCOMPARE(school::classNumber(name), number);
}

// The class number is also readable from the numeral in the name: test every
// numeral of the 30-entry table in order and keep the last one the name contains.
// Both readings must agree on every name of the fixed list.
void TestClassCode::classNumberAgreesWithNumeralScan()
{
    const QStringList names = school::classNames();
    QCOMPARE(names.size(), 30);
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 30);

    const QString units = QStringLiteral("一二三四五六七八九");
    QStringList numerals;   // column by column: 一 … 十, 十一 … 二十, 二十一 … 三十
    for (QChar u : units)
        numerals << QString(u);
    numerals << QStringLiteral("十");
    for (QChar u : units)
        numerals << QStringLiteral("十") + u;
    numerals << QStringLiteral("二十");
    for (QChar u : units)
        numerals << QStringLiteral("二十") + u;
    numerals << QStringLiteral("三十");
    QCOMPARE(numerals.size(), 30);

    for (const QString &name : names) {
        int scanned = 0;
        for (int i = 0; i < numerals.size(); ++i)
            if (name.contains(numerals[i]))
                scanned = i + 1;
        QCOMPARE(school::classNumber(name), scanned);
    }
}

void TestClassCode::sectionTablePerGradeGroup_data()
{
    QTest::addColumn<QString>("gradeGroup");
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("grade");
    const QStringList fixed = school::gradeGroupNames();
    QCOMPARE(fixed.size(), 12);
    const char *tables[] = {"小学", "小学", "小学", "小学", "小学", "小学",
                            "初中", "初中", "初中", "高中", "高中", "高中"};
    const int grades[] = {1, 2, 3, 4, 5, 6, 1, 2, 3, 1, 2, 3};
    for (int i = 0; i < 12; ++i)
        QTest::newRow(fixed[i].toUtf8().constData()) << fixed[i] << QString::fromUtf8(tables[i]) << grades[i];
}

void TestClassCode::sectionTablePerGradeGroup()
{
    QFETCH(QString, gradeGroup);
    QFETCH(QString, table);
    QFETCH(int, grade);
    QCOMPARE(school::sectionTableOf(gradeGroup), table);
    QCOMPARE(school::gradeOf(gradeGroup), grade);
    const school::ClassIdentity id = school::ResolveClassCode(gradeGroup, QStringLiteral("二班"), QDate(2020, 10, 1));
    QCOMPARE(id.sectionTable, table);
    QCOMPARE(id.cohortYear, 2020 - (grade - 1));
    QCOMPARE(id.classNumber, 2);
}

void TestClassCode::namesOutsideTheFixedLists_data()
{
    QTest::addColumn<QString>("gradeGroup");
    QTest::addColumn<QString>("className");
    QTest::newRow("grade group without numeral") << "高级组" << "一班";
    QTest::newRow("seventh grade") << "七年级组" << "一班";
    QTest::newRow("short grade-group name") << "初二" << "一班";
    QTest::newRow("empty grade group") << "" << "一班";
    QTest::newRow("class beyond the list") << "初二年级组" << "三十一班";
    QTest::newRow("class without numeral") << "初二年级组" << "实验班";
    QTest::newRow("empty class") << "初二年级组" << "";
}

void TestClassCode::namesOutsideTheFixedLists()
{
    QFETCH(QString, gradeGroup);
    QFETCH(QString, className);
    const school::ClassIdentity id = school::ResolveClassCode(gradeGroup, className, QDate(2005, 10, 15));
    QVERIFY(!id.isValid());
    QVERIFY(id.classCode.isEmpty());
    QVERIFY(id.sectionTable.isEmpty());
    // Such a class lists nobody: its (empty) code gives no query.
    QVERIFY(!school::classMembersQuery(school::kTableJunior, id.classCode).isValid());
}

void TestClassCode::shownId_data()
{
    QTest::addColumn<QString>("classCode");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("shown");
    QTest::newRow("own student") << "200413" << "20041305" << "20041305";
    QTest::newRow("other cohort year") << "200413" << "20031305" << "20041305";
    QTest::newRow("empty number") << "200413" << "" << "";
}

void TestClassCode::shownId()
{
    QFETCH(QString, classCode);
    QFETCH(QString, number);
    QFETCH(QString, shown);
    QCOMPARE(school::shownId(classCode, number), shown);
}

void TestClassCode::firstFreeSeatFillsGaps()
{
    QStringList taken = {"20041301", "20041302", "20041304"};
    std::optional<QString> next = school::firstFreeSeat("200413", taken);
    QVERIFY(next.has_value());
    QCOMPARE(*next, QStringLiteral("20041303"));
    taken << *next;
    next = school::firstFreeSeat("200413", taken);
    QVERIFY(next.has_value());
    QCOMPARE(*next, QStringLiteral("20041305"));
    QCOMPARE(school::seatOf(*next), QStringLiteral("05"));

    // An empty class starts at 01; numbers of other classes do not count.
    QCOMPARE(school::firstFreeSeat("200413", {}).value_or(QString()), QStringLiteral("20041301"));
    QCOMPARE(school::firstFreeSeat("200413", {"20041401", "20031301"}).value_or(QString()),
             QStringLiteral("20041301"));
}

void TestClassCode::firstFreeSeatRefusesAHundredthSeat()
{
    QStringList taken;
    for (int seat = 1; seat <= 99; ++seat)
        taken << QStringLiteral("200413%1").arg(seat, 2, 10, QLatin1Char('0'));
    QVERIFY(!school::firstFreeSeat("200413", taken).has_value());

    taken.removeAll(QStringLiteral("20041357"));
    QCOMPARE(school::firstFreeSeat("200413", taken).value_or(QString()), QStringLiteral("20041357"));

    QVERIFY(!school::firstFreeSeat("", {}).has_value());
}

void TestClassCode::boarding_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("1") << QVariant(1) << "是";
    QTest::newRow("-1") << QVariant(-1) << "是";
    QTest::newRow("0") << QVariant(0) << "否";
    QTest::newRow("null") << QVariant() << "否";
}

void TestClassCode::boarding()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, shown);
    QCOMPARE(reg::boardingText(stored), shown);
    QCOMPARE(reg::boardingValue(shown), shown == QStringLiteral("是") ? 1 : 0);
    QCOMPARE(reg::boardingValue(QStringLiteral("Y")), 0);
}

void TestClassCode::membershipIsAPrefixTest()
{
    test::TestSchool school;
    QVERIFY(school.isValid());
    // Class 200320 holds seats 01 and 02 (added out of order). 20200320 only contains
    // the code (class 202003, seat 20); 19200320, an empty and a null number are no
    // members either; the same number in another section table is not listed.
    for (const char *n : {"20032002", "20200320", "20032001", "19200320", ""})
        QVERIFY(school.addStudent(school::kTableJunior, QString::fromLatin1(n), QStringLiteral("学生")) > 0);
    QVERIFY(school.addStudent(school::kTableJunior, QString(), QStringLiteral("无号")) > 0);
    QVERIFY(school.addStudent(school::kTableSenior, QStringLiteral("20032003"), QStringLiteral("高中生")) > 0);
    db::Connection &c = school.db();

    const school::Statement s = school::classMembersQuery(school::kTableJunior, QStringLiteral("200320"));
    QVERIFY(s.isValid());
    QSqlQuery q = c.query(s.sql, s.params);
    QVERIFY2(q.isActive(), qPrintable(c.error().text));
    QCOMPARE(q.record().count(), school::kRegisterColumnCount);
    for (int i = 0; i < school::kRegisterColumnCount; ++i)
        QCOMPARE(q.record().fieldName(i), school::registerColumns().at(i));
    QStringList listed;
    while (q.next())
        listed << q.value(QStringLiteral("学籍号")).toString();
    QCOMPARE(listed, (QStringList{"20032001", "20032002"}));

    // The look-alike's own class lists it.
    const school::Statement other = school::classMembersQuery(school::kTableJunior, QStringLiteral("202003"), {"学籍号"});
    QSqlQuery q2 = c.query(other.sql, other.params);
    QVERIFY(q2.next());
    QCOMPARE(q2.value(0).toString(), QStringLiteral("20200320"));
    QVERIFY(!q2.next());
}

void TestClassCode::membershipRangeMatchesThePrefix_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("middle") << "200320";
    QTest::newRow("last digit 0") << "200310";
    QTest::newRow("last digit 9") << "200319";
    QTest::newRow("all nines") << "999999";
    QTest::newRow("all zeros") << "000000";
}

// The range lists exactly the rows whose first six characters are the code, among
// numbers on either side of both bounds.
void TestClassCode::membershipRangeMatchesThePrefix()
{
    QFETCH(QString, code);
    test::TestSchool school;
    QVERIFY(school.isValid());
    const QString head = code.left(5);
    const QChar last = code.back();
    const QString next = head + QChar(last.unicode() + 1);   // ':' after 9
    const QString previous = head + QChar(last.unicode() - 1);
    const QStringList numbers{code, code + "01", code + "99", code + "0", code + "999", code + "学",
                              next, next + "01", previous + "99", previous + "~", head, code.left(5) + " 01",
                              head + "10", head + "20", head + "90", "1" + code, code + code, QString(),
                              "00000000", "99999999", "9999999:", "~~~~~~~~", "学生学生"};
    for (const QString &n : numbers)
        QVERIFY(school.addStudent(school::kTableJunior, n, QStringLiteral("学生")) > 0);
    db::Connection &c = school.db();

    QStringList expected;
    QSqlQuery prefix = c.query(QStringLiteral(R"(select "学籍号" from "初中" where substr("学籍号",1,6) = ?
                                                 order by "学籍号")"),
                               {code});
    while (prefix.next())
        expected << prefix.value(0).toString();
    QVERIFY(!expected.isEmpty());

    const school::Statement s = school::classMembersQuery(school::kTableJunior, code, {QStringLiteral("学籍号")});
    QSqlQuery q = c.query(s.sql, s.params);
    QVERIFY2(q.isActive(), qPrintable(c.error().text));
    QStringList listed;
    while (q.next())
        listed << q.value(0).toString();
    QCOMPARE(listed, expected);
}

// The class is read as a range of the 学籍号 index, not by scanning the table.
void TestClassCode::membershipUsesTheNumberIndex()
{
    test::TestSchool school;
    QVERIFY(school.isValid());
    db::Connection &c = school.db();
    const school::Statement s = school::classMembersQuery(school::kTableJunior, QStringLiteral("200320"));
    QSqlQuery plan = c.query(QStringLiteral("explain query plan ") + s.sql, s.params);
    QVERIFY2(plan.isActive(), qPrintable(c.error().text));
    QStringList details;
    while (plan.next())
        details << plan.value(QStringLiteral("detail")).toString();
    QCOMPARE(details.size(), 1);
    QVERIFY2(details[0].startsWith(QStringLiteral("SEARCH 初中 USING INDEX 初中_学籍号 (学籍号>? AND 学籍号<?)")),
             qPrintable(details[0]));
}

void TestClassCode::membershipQueryRefusesBadInput_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("unknown table") << "教导处" << "200320" << school::registerColumns();
    QTest::newRow("code with quote") << "初中" << "2003'0" << school::registerColumns();
    QTest::newRow("code too long") << "初中" << "2003201" << school::registerColumns();
    QTest::newRow("code not digits") << "初中" << "20032x" << school::registerColumns();
    QTest::newRow("unsafe column") << "初中" << "200320" << QStringList{"姓名\" from x --"};
}

void TestClassCode::membershipQueryRefusesBadInput()
{
    QFETCH(QString, table);
    QFETCH(QString, code);
    QFETCH(QStringList, columns);
    QVERIFY(!school::classMembersQuery(table, code, columns).isValid());
}

QTEST_GUILESS_MAIN(TestClassCode)
#include "tst_class_code.moc"
