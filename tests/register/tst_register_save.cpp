// Grid rows of the register and their save to the section table, without windows.
#include "fixtures/test_school.h"
#include "register/class_code.h"
#include "register/register_rows.h"
#include "register/register_save.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::reg;
using tessaly::test::TestSchool;

namespace {

const QString kJunior = QStringLiteral("初中");
const QString kCode = QStringLiteral("200403");        // 初二年级组 三班 in the school year 2005/06
const QString kOtherCode = QStringLiteral("200413");   // 初二年级组 十三班
const QString kExam = QStringLiteral("Z05S语文051015");
const QString kEvaluation = QStringLiteral("P05S操行");

// The grid rows of a class as the window fills them.
QList<GridRow> loadClass(TestSchool &school, const QString &code)
{
    const Statement s = classMembersQuery(kJunior, code);
    QList<GridRow> rows;
    QSqlQuery q = school.db().query(s.sql, s.params);
    int n = 0;
    while (q.next()) {
        QVector<QVariant> record;
        for (int i = 0; i < q.record().count(); ++i)
            record << q.value(i);
        rows << loadedRow(record, code, ++n);
    }
    return rows;
}

QVariant column(TestSchool &school, int id, const QString &name)
{
    return school.value(QStringLiteral("select %1 from \"初中\" where \"ID\"=?").arg(db::quoteIdentifier(name)), {id});
}

// 三班 with seats 01, 02, 04 (scores and evaluations on each), 十三班 with one student,
// and 20200304, whose number contains 200403 without beginning with it.
struct School {
    TestSchool school;
    int zhang = 0, li = 0, wang = 0, other = 0, lookAlike = 0;
    School()
    {
        school.addExamColumn(kJunior, kExam);
        school.addEvaluationColumn(kJunior, kEvaluation);
        zhang = school.addStudent(kJunior, QStringLiteral("20040301"), QStringLiteral("张三"),
                                  {{QStringLiteral("住宿"), true}, {QStringLiteral("民族"), QStringLiteral("汉")}});
        li = school.addStudent(kJunior, QStringLiteral("20040302"), QStringLiteral("李四"), {{QStringLiteral("住宿"), false}});
        wang = school.addStudent(kJunior, QStringLiteral("20040304"), QStringLiteral("王五"));
        other = school.addStudent(kJunior, QStringLiteral("20041301"), QStringLiteral("钱七"));
        lookAlike = school.addStudent(kJunior, QStringLiteral("20200304"), QStringLiteral("冒名"));
        for (int id : {zhang, li, wang, other, lookAlike}) {
            school.setScore(kJunior, id, kExam, 80 + id);
            school.setScore(kJunior, id, kEvaluation, QStringLiteral("评语%1").arg(id));
        }
    }
};

int rowOf(const QList<GridRow> &rows, const QString &name)
{
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i][kColName] == name)
            return i;
    }
    return -1;
}

} // namespace

class TestRegisterSave : public QObject {
    Q_OBJECT
private slots:
    void loadedRowShowsTheRecord();
    void newStudentRow();
    void oneRowPerState_data();
    void oneRowPerState();
    void landsExactlyTheIntendedRows();
    void savingTheReloadedClassChangesNothing();
    void boardingStored_data();
    void boardingStored();
    void lockedDatabaseWritesNothing();
    void failureHalfWayRollsEverythingBack();
    void newNumberOutsideTheClassIsRefused();
    void rowsOfAnotherClassAreLeftAlone();
    void noClassNoSave();
};

void TestRegisterSave::loadedRowShowsTheRecord()
{
    QVector<QVariant> record(kRegisterColumnCount);
    record[0] = 17;
    record[1] = QStringLiteral("20040305");
    record[2] = QStringLiteral("张三");
    record[3] = QStringLiteral("女");
    record[9] = 1;
    record[10] = QVariant();   // null: an empty cell
    record[17] = QStringLiteral("备注");
    const GridRow row = loadedRow(record, QStringLiteral("200403"), 4);
    QCOMPARE(row.size(), int(kRegisterGridCols));
    QCOMPARE(row[kColNumber], QStringLiteral("4"));
    QCOMPARE(row[kColStudentNumber], QStringLiteral("20040305"));
    QCOMPARE(row[kColName], QStringLiteral("张三"));
    QCOMPARE(row[kColSex], QStringLiteral("女"));
    QCOMPARE(row[kColBoarding], QStringLiteral("是"));
    QCOMPARE(row[kColPhone], QString());
    QCOMPARE(row[kColRemarks], QStringLiteral("备注"));
    QCOMPARE(row[kColId], QStringLiteral("17"));
    QCOMPARE(row[kColRowState], kRowUnchanged);

    record[1] = QVariant();   // no number: no shown ID
    record[9] = QVariant();   // no boarding value: 否
    const GridRow bare = loadedRow(record, QStringLiteral("200403"), 1);
    QCOMPARE(bare[kColStudentNumber], QString());
    QCOMPARE(bare[kColBoarding], QStringLiteral("否"));
}

void TestRegisterSave::newStudentRow()
{
    const GridRow row = reg::newStudentRow(QStringLiteral("20040306"));
    QCOMPARE(row[kColNumber], QStringLiteral("6"));
    QCOMPARE(row[kColStudentNumber], QStringLiteral("20040306"));
    QCOMPARE(row[kColSex], QStringLiteral("男"));
    QCOMPARE(row[kColBoarding], QStringLiteral("是"));
    QCOMPARE(row[kColName], QString());
    QCOMPARE(row[kColId], QString());
    QCOMPARE(row[kColRowState], kRowNew);
}

void TestRegisterSave::oneRowPerState_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("stored");   // the row has an ID
    QTest::addColumn<int>("inserted");
    QTest::addColumn<int>("updated");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("students");  // rows of 三班 afterwards (three before)
    QTest::addColumn<QString>("name");  // 姓名 of the grid row afterwards in the table ("" when gone)

    QTest::newRow("unchanged") << QString() << true << 0 << 0 << 0 << 3 << QStringLiteral("李四");
    QTest::newRow("changed") << QStringLiteral("2") << true << 0 << 1 << 0 << 3 << QStringLiteral("李四改");
    QTest::newRow("deleted") << QStringLiteral("3") << true << 0 << 0 << 1 << 2 << QString();
    QTest::newRow("new") << QStringLiteral("1") << false << 1 << 0 << 0 << 4 << QStringLiteral("李四改");
    QTest::newRow("new, then deleted") << QStringLiteral("3") << false << 0 << 0 << 0 << 3 << QString();
}

void TestRegisterSave::oneRowPerState()
{
    QFETCH(QString, state);
    QFETCH(bool, stored);
    QFETCH(int, inserted);
    QFETCH(int, updated);
    QFETCH(int, deleted);
    QFETCH(int, students);
    QFETCH(QString, name);
    School s;
    QList<GridRow> rows = loadClass(s.school, kCode);
    QCOMPARE(rows.size(), 3);
    GridRow &row = rows[rowOf(rows, QStringLiteral("李四"))];
    row[kColName] = QStringLiteral("李四改");
    row[kColRowState] = state;
    if (!stored) {
        row[kColId].clear();
        row[kColStudentNumber] = QStringLiteral("20040303");
    }

    const RegisterSaveOutcome out = SaveRegister(s.school.db(), kJunior, kCode, rows);
    QVERIFY2(out.ok, qPrintable(out.error.text));
    QCOMPARE(out.inserted, inserted);
    QCOMPARE(out.updated, updated);
    QCOMPARE(out.deleted, deleted);
    QVERIFY(out.vanished.isEmpty());
    const QString number = stored ? QStringLiteral("20040302") : QStringLiteral("20040303");
    QCOMPARE(s.school.count(QStringLiteral("select count(*) from \"初中\" where substr(\"学籍号\",1,6)=?"), {kCode}),
             students);
    const QVariant stored_name = s.school.value(QStringLiteral("select \"姓名\" from \"初中\" where \"学籍号\"=?"), {number});
    QCOMPARE(stored_name.isNull() ? QString() : stored_name.toString(), name);
    QCOMPARE(s.school.count(QStringLiteral("select count(*) from \"初中\"")), 5 + inserted - deleted);
}

void TestRegisterSave::landsExactlyTheIntendedRows()
{
    School s;
    const QStringList before = s.school.dump(kJunior);
    QList<GridRow> rows = loadClass(s.school, kCode);

    // 张三's 民族 and 联系电话 changed; 李四 deleted; a new student takes the freed seat 02.
    GridRow &zhang = rows[rowOf(rows, QStringLiteral("张三"))];
    zhang[4] = QStringLiteral("回");
    zhang[kColPhone] = QStringLiteral("0571-1234");
    zhang[kColRowState] = kRowChanged;
    rows[rowOf(rows, QStringLiteral("李四"))][kColRowState] = kRowDeleted;
    GridRow added = reg::newStudentRow(QStringLiteral("20040302"));
    added[kColName] = QStringLiteral("新生");
    added[kColBirthDate] = QStringLiteral("1992-03-04");
    rows << added;

    const RegisterSaveOutcome out = SaveRegister(s.school.db(), kJunior, kCode, rows);
    QVERIFY2(out.ok, qPrintable(out.error.text));
    QCOMPARE(out.inserted, 1);
    QCOMPARE(out.updated, 1);
    QCOMPARE(out.deleted, 1);

    // 张三: the two cells changed, 学籍号, score and evaluation kept.
    QCOMPARE(column(s.school, s.zhang, QStringLiteral("民族")).toString(), QStringLiteral("回"));
    QCOMPARE(column(s.school, s.zhang, QStringLiteral("联系电话")).toString(), QStringLiteral("0571-1234"));
    QCOMPARE(column(s.school, s.zhang, QStringLiteral("学籍号")).toString(), QStringLiteral("20040301"));
    QCOMPARE(column(s.school, s.zhang, QStringLiteral("住宿")).toInt(), 1);
    QCOMPARE(column(s.school, s.zhang, kExam).toDouble(), 80.0 + s.zhang);
    QCOMPARE(column(s.school, s.zhang, kEvaluation).toString(), QStringLiteral("评语%1").arg(s.zhang));
    // 李四 is gone, with his score.
    QCOMPARE(s.school.count(QStringLiteral("select count(*) from \"初中\" where \"ID\"=?"), {s.li}), 0);
    // The new student holds seat 02, 性别 男, 住宿 1, the typed texts.
    QCOMPARE(s.school.count(QStringLiteral("select count(*) from \"初中\" where \"学籍号\"='20040302' and \"姓名\"='新生' "
                                           "and \"性别\"='男' and \"住宿\"=1 and \"出生日期\"='1992-03-04'")),
             1);
    // Nothing else changed: every other stored row is as it was.
    QStringList after = s.school.dump(kJunior);
    QStringList untouched = before;
    for (const QString &line : before) {
        if (line.startsWith(QString::number(s.zhang) + QLatin1Char('|'))
            || line.startsWith(QString::number(s.li) + QLatin1Char('|')))
            untouched.removeOne(line);
    }
    for (const QString &line : untouched)
        QVERIFY2(after.contains(line), qPrintable(line));
    QCOMPARE(after.size(), before.size());
}

void TestRegisterSave::savingTheReloadedClassChangesNothing()
{
    School s;
    QList<GridRow> rows = loadClass(s.school, kCode);
    rows[0][kColName] = QStringLiteral("改名");
    rows[0][kColRowState] = kRowChanged;
    GridRow added = reg::newStudentRow(QStringLiteral("20040303"));
    rows << added;
    QVERIFY(SaveRegister(s.school.db(), kJunior, kCode, rows).ok);
    const QStringList saved = s.school.dump(kJunior);

    const QList<GridRow> reloaded = loadClass(s.school, kCode);
    QCOMPARE(reloaded.size(), 4);
    QVERIFY(!hasRegisterChanges(reloaded));
    const RegisterSaveOutcome again = SaveRegister(s.school.db(), kJunior, kCode, reloaded);
    QVERIFY(again.ok);
    QCOMPARE(again.inserted + again.updated + again.deleted, 0);
    QCOMPARE(s.school.dump(kJunior), saved);
}

void TestRegisterSave::boardingStored_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("stored");
    QTest::newRow("是") << QStringLiteral("是") << 1;
    QTest::newRow("否") << QStringLiteral("否") << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("other text") << QStringLiteral("走读") << 0;
    QTest::newRow("a digit") << QStringLiteral("1") << 0;
}

void TestRegisterSave::boardingStored()
{
    QFETCH(QString, shown);
    QFETCH(int, stored);
    School s;
    QList<GridRow> rows = loadClass(s.school, kCode);
    GridRow &li = rows[rowOf(rows, QStringLiteral("李四"))];   // stored 0
    li[kColBoarding] = shown;
    li[kColRowState] = kRowChanged;
    GridRow added = reg::newStudentRow(QStringLiteral("20040303"));
    added[kColBoarding] = shown;
    rows << added;
    QVERIFY(SaveRegister(s.school.db(), kJunior, kCode, rows).ok);
    QCOMPARE(column(s.school, s.li, QStringLiteral("住宿")).toInt(), stored);
    QCOMPARE(s.school.value(QStringLiteral("select \"住宿\" from \"初中\" where \"学籍号\"='20040303'")).toInt(), stored);
}

void TestRegisterSave::lockedDatabaseWritesNothing()
{
    School s;
    const QStringList before = s.school.dump(kJunior);
    QList<GridRow> rows = loadClass(s.school, kCode);
    rows[0][kColName] = QStringLiteral("改名");
    rows[0][kColRowState] = kRowChanged;
    rows[1][kColRowState] = kRowDeleted;
    rows << reg::newStudentRow(QStringLiteral("20040303"));

    // Another user holds the write lock.
    db::Connection other(s.school.dbPath());
    QVERIFY(other.exec(QStringLiteral("BEGIN IMMEDIATE")));
    db::Connection mine(s.school.dbPath());
    QVERIFY(mine.setBusyTimeout(50));
    const RegisterSaveOutcome out = SaveRegister(mine, kJunior, kCode, rows);
    QVERIFY(!out.ok);
    QCOMPARE(out.error.number, db::kErrLocked);
    QVERIFY(other.exec(QStringLiteral("ROLLBACK")));
    QCOMPARE(s.school.dump(kJunior), before);

    // Once the lock is gone the same rows save.
    QVERIFY(SaveRegister(mine, kJunior, kCode, rows).ok);
    QCOMPARE(column(s.school, s.zhang, QStringLiteral("姓名")).toString(), QStringLiteral("改名"));
}

void TestRegisterSave::failureHalfWayRollsEverythingBack()
{
    // The deletion and the update run first; then a new number that another student
    // holds (stored meanwhile, say from another computer) fails the save: all of it.
    School s;
    QList<GridRow> rows = loadClass(s.school, kCode);
    GridRow &zhang = rows[rowOf(rows, QStringLiteral("张三"))];
    zhang[kColName] = QStringLiteral("改名");
    zhang[kColRowState] = kRowChanged;
    rows[rowOf(rows, QStringLiteral("王五"))][kColRowState] = kRowDeleted;
    rows << reg::newStudentRow(QStringLiteral("20040303"));
    s.school.addStudent(kJunior, QStringLiteral("20040303"), QStringLiteral("别的电脑"));
    const QStringList before = s.school.dump(kJunior);

    const RegisterSaveOutcome out = SaveRegister(s.school.db(), kJunior, kCode, rows);
    QVERIFY(!out.ok);
    QVERIFY2(out.error.text.contains(QStringLiteral("20040303")), qPrintable(out.error.text));
    QCOMPARE(s.school.dump(kJunior), before);
}

void TestRegisterSave::newNumberOutsideTheClassIsRefused()
{
    School s;
    const QStringList before = s.school.dump(kJunior);
    for (const QString &number : {QStringLiteral("20041303"), QStringLiteral("200403100"), QStringLiteral("2004030"),
                                  QStringLiteral("20040300"), QStringLiteral("200403ab")}) {
        QList<GridRow> rows = loadClass(s.school, kCode);
        rows << reg::newStudentRow(number);
        const RegisterSaveOutcome out = SaveRegister(s.school.db(), kJunior, kCode, rows);
        QVERIFY2(!out.ok, qPrintable(number));
        QCOMPARE(s.school.dump(kJunior), before);
    }
}

void TestRegisterSave::rowsOfAnotherClassAreLeftAlone()
{
    // Rows that left the class since the grid was filled (moved to 十三班, or deleted)
    // are neither updated nor deleted; the changed ones are reported.
    School s;
    QList<GridRow> rows = loadClass(s.school, kCode);
    QVERIFY(s.school.db().exec(QStringLiteral("update \"初中\" set \"学籍号\"='20041302' where \"ID\"=?"), {s.zhang}));
    QVERIFY(s.school.db().exec(QStringLiteral("update \"初中\" set \"学籍号\"='20041303' where \"ID\"=?"), {s.li}));
    QVERIFY(s.school.db().exec(QStringLiteral("delete from \"初中\" where \"ID\"=?"), {s.wang}));
    const QStringList before = s.school.dump(kJunior);
    GridRow &zhang = rows[rowOf(rows, QStringLiteral("张三"))];
    zhang[kColName] = QStringLiteral("改名");
    zhang[kColRowState] = kRowChanged;
    rows[rowOf(rows, QStringLiteral("李四"))][kColRowState] = kRowDeleted;
    rows[rowOf(rows, QStringLiteral("王五"))][kColRowState] = kRowChanged;

    const RegisterSaveOutcome out = SaveRegister(s.school.db(), kJunior, kCode, rows);
    QVERIFY(out.ok);
    QCOMPARE(out.updated, 0);
    QCOMPARE(out.deleted, 0);
    QCOMPARE(out.vanished.size(), 2);
    QCOMPARE(out.vanished[0][kColName], QStringLiteral("改名"));
    QCOMPARE(out.vanished[1][kColName], QStringLiteral("王五"));
    QCOMPARE(s.school.dump(kJunior), before);
}

void TestRegisterSave::noClassNoSave()
{
    School s;
    const QStringList before = s.school.dump(kJunior);
    QList<GridRow> rows = {reg::newStudentRow(QStringLiteral("20040303"))};
    QVERIFY(!SaveRegister(s.school.db(), kJunior, QString(), rows).ok);
    QVERIFY(!SaveRegister(s.school.db(), QStringLiteral("教导处"), kCode, rows).ok);
    QCOMPARE(s.school.dump(kJunior), before);
}

QTEST_GUILESS_MAIN(TestRegisterSave)
#include "tst_register_save.moc"
