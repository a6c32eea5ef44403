// Rows of the register, their rules and their save to the section table, without windows.
#include "fixtures/test_school.h"
#include "db/row_update.h"
#include "school/class_code.h"
#include "register/register_rows.h"
#include "register/register_save.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::reg;
using tessaly::test::TestSchool;

Q_DECLARE_METATYPE(tessaly::reg::RowState)

namespace {

const QString kJunior = QStringLiteral("初中");
const QString kCode = QStringLiteral("200403");        // 初二年级组 三班 in the school year 2005/06
const QString kOtherCode = QStringLiteral("200413");   // 初二年级组 十三班
const QString kExam = QStringLiteral("Z05S语文051015");
const QString kEvaluation = QStringLiteral("P05S操行");

// The rows of a class as the window fills them.
QList<RegisterRow> loadClass(TestSchool &school, const QString &code)
{
    const school::Statement s = school::classMembersQuery(kJunior, code);
    QList<RegisterRow> rows;
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

// A new student's row with a name typed in.
RegisterRow namedNewRow(const QString &number)
{
    RegisterRow row = reg::newStudentRow(number);
    row.field(kColName) = QStringLiteral("新生");
    return row;
}

int rowOf(const QList<RegisterRow> &rows, const QString &name)
{
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].name() == name)
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
    void addAndDeleteFollowTheFreeSeats();
    void editMarksTheRow_data();
    void editMarksTheRow();
    void oneRowPerState_data();
    void oneRowPerState();
    void landsExactlyTheIntendedRows();
    void savingTheReloadedClassChangesNothing();
    void boardingStored_data();
    void boardingStored();
    void lockedDatabaseWritesNothing();
    void twoComputersEditOneStudent_data();
    void twoComputersEditOneStudent();
    void failureHalfWayRollsEverythingBack();
    void newNumberOutsideTheClassIsRefused();
    void rowsOfAnotherClassAreLeftAlone();
    void noClassNoSave();
    void rowWithoutNameRefusesTheSave_data();
    void rowWithoutNameRefusesTheSave();
};

void TestRegisterSave::loadedRowShowsTheRecord()
{
    QVector<QVariant> record(school::kRegisterColumnCount);
    record[0] = 17;
    record[1] = QStringLiteral("20040305");
    record[2] = QStringLiteral("张三");
    record[3] = QStringLiteral("女");
    record[9] = 1;
    record[10] = QVariant();   // null: an empty cell
    record[17] = QStringLiteral("备注");
    const QStringList row = loadedRow(record, QStringLiteral("200403"), 4).cells();
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
    const QStringList bare = loadedRow(record, QStringLiteral("200403"), 1).cells();
    QCOMPARE(bare[kColStudentNumber], QString());
    QCOMPARE(bare[kColBoarding], QStringLiteral("否"));
}

void TestRegisterSave::newStudentRow()
{
    const QStringList row = reg::newStudentRow(QStringLiteral("20040306")).cells();
    QCOMPARE(row[kColNumber], QStringLiteral("6"));
    QCOMPARE(row[kColStudentNumber], QStringLiteral("20040306"));
    QCOMPARE(row[kColSex], QStringLiteral("男"));
    QCOMPARE(row[kColBoarding], QStringLiteral("是"));
    QCOMPARE(row[kColName], QString());
    QCOMPARE(row[kColId], QString());
    QCOMPARE(row[kColRowState], kRowNew);
}

void TestRegisterSave::addAndDeleteFollowTheFreeSeats()
{
    School s;
    QList<RegisterRow> rows = loadClass(s.school, kCode);   // seats 01, 02, 04
    QCOMPARE(takenNumbers(rows), QStringList({"20040301", "20040302", "20040304"}));
    QVERIFY(addStudent(rows, kCode));
    QCOMPARE(rows.last(), reg::newStudentRow(QStringLiteral("20040303")));

    // Deleting 02 frees its number at once; the row stays, marked, and is deleted once only.
    QVERIFY(deleteStudent(rows, 1));
    QCOMPARE(rows[1].state, RowState::Deleted);
    QVERIFY(!deleteStudent(rows, 1));
    QVERIFY(!deleteStudent(rows, -1));
    QVERIFY(!deleteStudent(rows, int(rows.size())));
    QCOMPARE(takenNumbers(rows), QStringList({"20040301", "20040304", "20040303"}));
    QVERIFY(addStudent(rows, kCode));
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows.last().studentNumber(), QStringLiteral("20040302"));

    // A new row deleted before any save has nothing to write; a stored one has.
    QVERIFY(deleteStudent(rows, 4));
    QVERIFY(!needsWrite(rows[4]));
    QVERIFY(needsWrite(rows[1]));

    // A row without 学籍号 takes no number; a class with seats 01 … 99 takes no student.
    rows[0].field(kColStudentNumber).clear();
    QCOMPARE(takenNumbers(rows), QStringList({"20040304", "20040303"}));
    QList<RegisterRow> full;
    for (int seat = 1; seat <= 99; ++seat)
        full << reg::newStudentRow(kCode + QStringLiteral("%1").arg(seat, 2, 10, QLatin1Char('0')));
    QVERIFY(!addStudent(full, kCode));
    QCOMPARE(full.size(), 99);
}

void TestRegisterSave::editMarksTheRow_data()
{
    QTest::addColumn<RowState>("before");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("written");
    QTest::addColumn<RowState>("after");
    QTest::newRow("unchanged row, new text") << RowState::Unchanged << int(kColName) << QStringLiteral("李四改") << true
                                             << RowState::Changed;
    QTest::newRow("unchanged row, same text") << RowState::Unchanged << int(kColName) << QStringLiteral("李四") << false
                                              << RowState::Unchanged;
    QTest::newRow("changed row stays changed") << RowState::Changed << int(kColRemarks) << QStringLiteral("备注") << true
                                               << RowState::Changed;
    QTest::newRow("new row stays new") << RowState::New << int(kColPhone) << QStringLiteral("1234") << true
                                       << RowState::New;
    QTest::newRow("学籍号 is not edited") << RowState::Unchanged << int(kColStudentNumber) << QStringLiteral("20040309")
                                       << false << RowState::Unchanged;
    QTest::newRow("ID is not edited") << RowState::Unchanged << int(kColId) << QStringLiteral("1") << false
                                      << RowState::Unchanged;
}

void TestRegisterSave::editMarksTheRow()
{
    QFETCH(RowState, before);
    QFETCH(int, col);
    QFETCH(QString, text);
    QFETCH(bool, written);
    QFETCH(RowState, after);
    QVector<QVariant> record(school::kRegisterColumnCount);
    record[0] = 5;
    record[1] = QStringLiteral("20040302");
    record[2] = QStringLiteral("李四");
    RegisterRow row = loadedRow(record, kCode, 2);
    row.state = before;
    const RegisterRow original = row;
    QCOMPARE(editField(row, col, text), written);
    QCOMPARE(row.state, after);
    if (written)
        QCOMPARE(row.field(col), text);
    else
        QCOMPARE(row.fields, original.fields);
}

void TestRegisterSave::oneRowPerState_data()
{
    QTest::addColumn<RowState>("state");
    QTest::addColumn<bool>("stored");   // the row has an ID
    QTest::addColumn<int>("inserted");
    QTest::addColumn<int>("updated");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("students");  // rows of 三班 afterwards (three before)
    QTest::addColumn<QString>("name");  // 姓名 of the grid row afterwards in the table ("" when gone)

    QTest::newRow("unchanged") << RowState::Unchanged << true << 0 << 0 << 0 << 3 << QStringLiteral("李四");
    QTest::newRow("changed") << RowState::Changed << true << 0 << 1 << 0 << 3 << QStringLiteral("李四改");
    QTest::newRow("deleted") << RowState::Deleted << true << 0 << 0 << 1 << 2 << QString();
    QTest::newRow("new") << RowState::New << false << 1 << 0 << 0 << 4 << QStringLiteral("李四改");
    QTest::newRow("new, then deleted") << RowState::Deleted << false << 0 << 0 << 0 << 3 << QString();
}

void TestRegisterSave::oneRowPerState()
{
    QFETCH(RowState, state);
    QFETCH(bool, stored);
    QFETCH(int, inserted);
    QFETCH(int, updated);
    QFETCH(int, deleted);
    QFETCH(int, students);
    QFETCH(QString, name);
    School s;
    QList<RegisterRow> rows = loadClass(s.school, kCode);
    QCOMPARE(rows.size(), 3);
    RegisterRow &row = rows[rowOf(rows, QStringLiteral("李四"))];
    row.field(kColName) = QStringLiteral("李四改");
    row.state = state;
    if (!stored) {
        row.id.reset();
        row.field(kColStudentNumber) = QStringLiteral("20040303");
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
    QList<RegisterRow> rows = loadClass(s.school, kCode);

    // 张三's 民族 and 联系电话 changed; 李四 deleted; a new student takes the freed seat 02.
    RegisterRow &zhang = rows[rowOf(rows, QStringLiteral("张三"))];
    zhang.field(4) = QStringLiteral("回");
    zhang.field(kColPhone) = QStringLiteral("0571-1234");
    zhang.state = RowState::Changed;
    rows[rowOf(rows, QStringLiteral("李四"))].state = RowState::Deleted;
    RegisterRow added = reg::newStudentRow(QStringLiteral("20040302"));
    added.field(kColName) = QStringLiteral("新生");
    added.field(kColBirthDate) = QStringLiteral("1992-03-04");
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
    QList<RegisterRow> rows = loadClass(s.school, kCode);
    rows[0].field(kColName) = QStringLiteral("改名");
    rows[0].state = RowState::Changed;
    RegisterRow added = reg::newStudentRow(QStringLiteral("20040303"));
    added.field(kColName) = QStringLiteral("新生");
    rows << added;
    QVERIFY(SaveRegister(s.school.db(), kJunior, kCode, rows).ok);
    const QStringList saved = s.school.dump(kJunior);

    const QList<RegisterRow> reloaded = loadClass(s.school, kCode);
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
    QList<RegisterRow> rows = loadClass(s.school, kCode);
    RegisterRow &li = rows[rowOf(rows, QStringLiteral("李四"))];   // stored 0
    li.field(kColBoarding) = shown;
    li.state = RowState::Changed;
    RegisterRow added = reg::newStudentRow(QStringLiteral("20040303"));
    added.field(kColName) = QStringLiteral("新生");
    added.field(kColBoarding) = shown;
    rows << added;
    QVERIFY(SaveRegister(s.school.db(), kJunior, kCode, rows).ok);
    QCOMPARE(column(s.school, s.li, QStringLiteral("住宿")).toInt(), stored);
    QCOMPARE(s.school.value(QStringLiteral("select \"住宿\" from \"初中\" where \"学籍号\"='20040303'")).toInt(), stored);
}

void TestRegisterSave::lockedDatabaseWritesNothing()
{
    School s;
    const QStringList before = s.school.dump(kJunior);
    QList<RegisterRow> rows = loadClass(s.school, kCode);
    rows[0].field(kColName) = QStringLiteral("改名");
    rows[0].state = RowState::Changed;
    rows[1].state = RowState::Deleted;
    rows << namedNewRow(QStringLiteral("20040303"));

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

void TestRegisterSave::twoComputersEditOneStudent_data()
{
    QTest::addColumn<int>("otherCol");   // the field the other computer saved first
    QTest::addColumn<QString>("otherText");
    QTest::addColumn<int>("myCol");      // the field this computer then saves
    QTest::addColumn<QString>("myText");
    QTest::addColumn<bool>("saved");
    QTest::newRow("different fields: both kept") << int(kColPhone) << QStringLiteral("111") << int(kColRemarks)
                                                 << QStringLiteral("我的备注") << true;
    QTest::newRow("boarding changed there, name here") << int(kColBoarding) << QStringLiteral("否") << int(kColName)
                                                       << QStringLiteral("张叁") << true;
    QTest::newRow("same field: the second refused") << int(kColPhone) << QStringLiteral("111") << int(kColPhone)
                                                    << QStringLiteral("222") << false;
    QTest::newRow("same field, boarding") << int(kColBoarding) << QStringLiteral("否") << int(kColBoarding)
                                          << QStringLiteral("否") << false;
}

// Both computers load the class; the other saves a change of 张三 first.
void TestRegisterSave::twoComputersEditOneStudent()
{
    QFETCH(int, otherCol);
    QFETCH(QString, otherText);
    QFETCH(int, myCol);
    QFETCH(QString, myText);
    QFETCH(bool, saved);
    School s;
    QList<RegisterRow> other = loadClass(s.school, kCode);
    QList<RegisterRow> mine = loadClass(s.school, kCode);
    const int zhang = rowOf(mine, QStringLiteral("张三"));
    const int li = rowOf(mine, QStringLiteral("李四"));
    QVERIFY(editField(other[zhang], otherCol, otherText));
    db::Connection c(s.school.dbPath());
    QVERIFY(SaveRegister(c, kJunior, kCode, other).ok);
    const QStringList afterOther = s.school.dump(kJunior);

    QVERIFY(editField(mine[zhang], myCol, myText));
    QVERIFY(editField(mine[li], kColRemarks, QStringLiteral("李四的备注")));
    const RegisterSaveOutcome out = SaveRegister(c, kJunior, kCode, mine);
    QCOMPARE(out.ok, saved);
    if (!saved) {
        QCOMPARE(out.error.number, db::kErrRowChanged);
        QVERIFY2(out.error.text.contains(QStringLiteral("张三")), qPrintable(out.error.text));
        QVERIFY(!out.error.text.contains(QStringLiteral("李四")));
        QCOMPARE(s.school.dump(kJunior), afterOther);   // nothing of this save written
        return;
    }
    const RegisterRow stored = loadClass(s.school, kCode)[zhang];
    QCOMPARE(stored.field(otherCol), otherText);   // the other computer's change kept
    QCOMPARE(stored.field(myCol), myText);
    QCOMPARE(column(s.school, s.zhang, QStringLiteral("民族")).toString(), QStringLiteral("汉"));
    QCOMPARE(column(s.school, s.li, QStringLiteral("备注")).toString(), QStringLiteral("李四的备注"));
}

void TestRegisterSave::failureHalfWayRollsEverythingBack()
{
    // The deletion and the update run first; then a new number that another student
    // holds (stored meanwhile, say from another computer) fails the save: all of it.
    School s;
    QList<RegisterRow> rows = loadClass(s.school, kCode);
    RegisterRow &zhang = rows[rowOf(rows, QStringLiteral("张三"))];
    zhang.field(kColName) = QStringLiteral("改名");
    zhang.state = RowState::Changed;
    rows[rowOf(rows, QStringLiteral("王五"))].state = RowState::Deleted;
    rows << namedNewRow(QStringLiteral("20040303"));
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
        QList<RegisterRow> rows = loadClass(s.school, kCode);
        rows << namedNewRow(number);
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
    QList<RegisterRow> rows = loadClass(s.school, kCode);
    QVERIFY(s.school.db().exec(QStringLiteral("update \"初中\" set \"学籍号\"='20041302' where \"ID\"=?"), {s.zhang}));
    QVERIFY(s.school.db().exec(QStringLiteral("update \"初中\" set \"学籍号\"='20041303' where \"ID\"=?"), {s.li}));
    QVERIFY(s.school.db().exec(QStringLiteral("delete from \"初中\" where \"ID\"=?"), {s.wang}));
    const QStringList before = s.school.dump(kJunior);
    RegisterRow &zhang = rows[rowOf(rows, QStringLiteral("张三"))];
    zhang.field(kColName) = QStringLiteral("改名");
    zhang.state = RowState::Changed;
    rows[rowOf(rows, QStringLiteral("李四"))].state = RowState::Deleted;
    rows[rowOf(rows, QStringLiteral("王五"))].state = RowState::Changed;

    const RegisterSaveOutcome out = SaveRegister(s.school.db(), kJunior, kCode, rows);
    QVERIFY(out.ok);
    QCOMPARE(out.updated, 0);
    QCOMPARE(out.deleted, 0);
    QCOMPARE(out.vanished.size(), 2);
    QCOMPARE(out.vanished[0].name(), QStringLiteral("改名"));
    QCOMPARE(out.vanished[1].name(), QStringLiteral("王五"));
    QCOMPARE(s.school.dump(kJunior), before);
}

void TestRegisterSave::noClassNoSave()
{
    School s;
    const QStringList before = s.school.dump(kJunior);
    QList<RegisterRow> rows = {namedNewRow(QStringLiteral("20040303"))};
    QVERIFY(!SaveRegister(s.school.db(), kJunior, QString(), rows).ok);
    QVERIFY(!SaveRegister(s.school.db(), QStringLiteral("教导处"), kCode, rows).ok);
    QCOMPARE(s.school.dump(kJunior), before);
}

void TestRegisterSave::rowWithoutNameRefusesTheSave_data()
{
    QTest::addColumn<QString>("cleared");      // loaded student whose 姓名 is emptied ("" for none)
    QTest::addColumn<RowState>("clearedState");
    QTest::addColumn<bool>("noNumber");        // and whose 学籍号 is empty too
    QTest::addColumn<QString>("added");        // 姓名 of a new student 20040303 (null for none)
    QTest::addColumn<bool>("addedDeleted");
    QTest::addColumn<QString>("message");      // the refusal; empty when the save goes through

    const QString none;
    const auto refusal = [](const QString &number) {
        return QStringLiteral("学号为%1的学生没有填写姓名，请填写后再保存。").arg(number);
    };
    QTest::newRow("new student without a name") << none << RowState::Changed << false << QStringLiteral("") << false
                                                << refusal(QStringLiteral("20040303"));
    QTest::newRow("a name of blanks only") << none << RowState::Changed << false << QStringLiteral(" 　") << false
                                           << refusal(QStringLiteral("20040303"));
    QTest::newRow("name cleared") << QStringLiteral("李四") << RowState::Changed << false << none << false
                                  << refusal(QStringLiteral("20040302"));
    QTest::newRow("the first in row order") << QStringLiteral("李四") << RowState::Changed << false
                                            << QStringLiteral("") << false << refusal(QStringLiteral("20040302"));
    QTest::newRow("without 学籍号: named by 编号") << QStringLiteral("王五") << RowState::Changed << true << none << false
                                               << QStringLiteral("编号为3的学生没有填写姓名，请填写后再保存。");
    QTest::newRow("deleted new student") << none << RowState::Changed << false << QStringLiteral("") << true
                                         << QString();
    QTest::newRow("a row the save does not write") << QStringLiteral("王五") << RowState::Unchanged << false
                                                   << QStringLiteral("新生") << false << QString();
}

void TestRegisterSave::rowWithoutNameRefusesTheSave()
{
    QFETCH(QString, cleared);
    QFETCH(RowState, clearedState);
    QFETCH(bool, noNumber);
    QFETCH(QString, added);
    QFETCH(bool, addedDeleted);
    QFETCH(QString, message);
    School s;
    QList<RegisterRow> rows = loadClass(s.school, kCode);
    rows[rowOf(rows, QStringLiteral("张三"))].field(kColPhone) = QStringLiteral("1234");
    rows[rowOf(rows, QStringLiteral("张三"))].state = RowState::Changed;
    if (!cleared.isEmpty()) {
        RegisterRow &row = rows[rowOf(rows, cleared)];
        row.field(kColName).clear();
        row.state = clearedState;
        if (noNumber)
            row.field(kColStudentNumber).clear();
    }
    if (!added.isNull()) {
        RegisterRow row = reg::newStudentRow(QStringLiteral("20040303"));
        row.field(kColName) = added;
        if (addedDeleted)
            row.state = RowState::Deleted;
        rows << row;
    }
    QCOMPARE(missingNameMessage(rows), message);
    const QStringList before = s.school.dump(kJunior);

    const RegisterSaveOutcome out = SaveRegister(s.school.db(), kJunior, kCode, rows);
    if (!message.isEmpty()) {
        QVERIFY(!out.ok);
        QCOMPARE(out.error.text, message);
        QCOMPARE(s.school.dump(kJunior), before);   // not even the other changes
        return;
    }
    QVERIFY2(out.ok, qPrintable(out.error.text));
    QCOMPARE(out.updated, 1);
    QCOMPARE(out.inserted, added == QStringLiteral("新生") ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestRegisterSave)
#include "tst_register_save.moc"
