// Evaluation columns: their names, which a class sees, the creation with its
// duplicate and failure cases, and the save of one student's text.
#include "fixtures/test_school.h"
#include "records/evaluation_columns.h"
#include "records/head_teacher_documents.h"
#include "db/row_update.h"

#include <QtTest>

using namespace tessaly;
using namespace tessaly::records;
using namespace Qt::StringLiterals;

class TestEvaluationColumns : public QObject {
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void onlyEvaluationsAreListed();
    void listedByCohort_data();
    void listedByCohort();
    void creation();
    void creationFailureLeavesTheTable();
    void save();
    void twoComputersEvaluateOneStudent_data();
    void twoComputersEvaluateOneStudent();
};

void TestEvaluationColumns::names_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("display");
    QTest::newRow("Jul 2005") << QDate(2005, 7, 15) << u"P04X050715"_s << u"初一三班04-05下学年操行评定"_s;
    QTest::newRow("Oct 2005") << QDate(2005, 10, 20) << u"P05S051020"_s << u"初一三班05-06上学年操行评定"_s;
    QTest::newRow("Jan 2006") << QDate(2006, 1, 5) << u"P05S060105"_s << u"初一三班05-06上学年操行评定"_s;
    QTest::newRow("Aug 2099") << QDate(2099, 8, 1) << u"P99S990801"_s << u"初一三班99-100上学年操行评定"_s;
}

void TestEvaluationColumns::names()
{
    QFETCH(QDate, today);
    QFETCH(QString, column);
    QFETCH(QString, display);
    QCOMPARE(evaluationColumnName(today), column);
    QCOMPARE(evaluationDisplayName(column, u"初一年级组"_s, u"三班"_s), display);
}

void TestEvaluationColumns::onlyEvaluationsAreListed()
{
    const QStringList columns = {u"ID"_s,         u"学籍号"_s,     u"CPK测验数学051010"_s, u"P05S051020"_s,
                                 u"CP05S测验051011"_s, u"Z05S语文051101"_s, u"P05X06031"_s,  u"P05X0603151"_s,
                                 u"p05X060315"_s, u"P05Y060315"_s, u"P05X060315"_s};
    QCOMPARE(classEvaluationColumns(columns, u"200401"_s), (QStringList{u"P05S051020"_s, u"P05X060315"_s}));
    QVERIFY(evaluationDisplayName(u"CPK测验数学051010"_s, u"初一年级组"_s, u"三班"_s).isEmpty());
}

void TestEvaluationColumns::listedByCohort_data()
{
    QTest::addColumn<QString>("classCode");
    QTest::addColumn<bool>("listed");
    QTest::newRow("cohort 2003") << u"200301"_s << true;
    QTest::newRow("cohort 2004") << u"200402"_s << true;
    QTest::newRow("cohort 2005") << u"200501"_s << false;
}

void TestEvaluationColumns::listedByCohort()
{
    QFETCH(QString, classCode);
    QFETCH(bool, listed);
    QCOMPARE(classEvaluationColumns({u"P04S041015"_s}, classCode).size(), listed ? 1 : 0);
}

void TestEvaluationColumns::creation()
{
    test::TestSchool school;
    school.addExamColumn(u"初中"_s, u"Z05S语文051001"_s);
    db::Connection &c = school.db();
    const CreateEvaluationOutcome first = createEvaluationColumn(c, u"初中"_s, u"P05S051015"_s);
    QVERIFY(first.ok);
    QVERIFY(!first.existing);
    const QStringList columns = db::tableColumns(c, u"初中"_s);
    QCOMPARE(columns.size(), 20);
    QCOMPARE(columns.last(), u"P05S051015"_s);   // after the register and exam columns

    // January 2006 is the same half year: refused, naming the existing column.
    const CreateEvaluationOutcome again = createEvaluationColumn(c, u"初中"_s, u"P05S060110"_s);
    QVERIFY(!again.ok);
    QCOMPARE(again.existing, std::optional<QString>(u"P05S051015"_s));
    QVERIFY(!again.error.isSet());
    // Other section tables are not concerned.
    QVERIFY(createEvaluationColumn(c, u"高中"_s, u"P05S060110"_s).ok);
    QCOMPARE(db::tableColumns(c, u"初中"_s), columns);
}

void TestEvaluationColumns::creationFailureLeavesTheTable()
{
    test::TestSchool school;
    db::Connection &c = school.db();
    const QStringList before = db::tableColumns(c, u"初中"_s);
    // Another computer holds the table: the add fails and is reported.
    const auto locked = [](db::Connection &conn, const QString &, const QString &, db::ColumnType) {
        return conn.fail(db::kErrLocked, u"locked"_s);
    };
    const CreateEvaluationOutcome r = createEvaluationColumn(c, u"初中"_s, u"P05S051015"_s, locked);
    QVERIFY(!r.ok);
    QCOMPARE(r.error.number, db::kErrLocked);
    QCOMPARE(db::tableColumns(c, u"初中"_s), before);

    const CreateEvaluationOutcome bad = createEvaluationColumn(c, u"初中"_s, u"P05S05101\"x"_s);
    QVERIFY(!bad.ok);
    QVERIFY(bad.error.isSet());
    QCOMPARE(db::tableColumns(c, u"初中"_s), before);
}

void TestEvaluationColumns::save()
{
    test::TestSchool school;
    const int id = school.addStudent(u"初中"_s, u"20040101"_s, u"张三"_s);
    school.addEvaluationColumn(u"初中"_s, u"P05S051015"_s);
    db::Connection &c = school.db();
    const auto stored = [&] {
        return school.value(uR"(select "P05S051015" from "初中" where "ID"=?)"_s, {id});
    };

    const QString full(kEvaluationLength, u'好');
    const auto student = [id](const QString &loaded) { return EvaluatedStudent{id, u"张三"_s, loaded}; };
    QVERIFY(saveEvaluation(c, u"初中"_s, u"P05S051015"_s, student({}), full).ok);
    QCOMPARE(stored().toString(), full);

    const SaveOutcome tooLong = saveEvaluation(c, u"初中"_s, u"P05S051015"_s, student(full), full + u"多"_s);
    QVERIFY(!tooLong.ok);
    QCOMPARE(tooLong.error.text, evaluationTooLongMessage(226));
    QCOMPARE(stored().toString(), full);

    QVERIFY(saveEvaluation(c, u"初中"_s, u"P05S051015"_s, student(full), QString()).ok);
    QVERIFY(stored().isNull());

    const SaveOutcome gone = saveEvaluation(c, u"初中"_s, u"P05S051015"_s, {id + 100, u"李四"_s, {}}, u"好"_s);
    QVERIFY(!gone.ok);
    QCOMPARE(gone.error.number, kErrRowGone);
    QVERIFY(!saveEvaluation(c, u"初中"_s, u"姓名"_s, student({}), u"好"_s).ok);
}

void TestEvaluationColumns::twoComputersEvaluateOneStudent_data()
{
    QTest::addColumn<QVariant>("before");   // stored when both computers read
    QTest::addColumn<QVariant>("other");    // what the other computer saved first (invalid: nothing)
    QTest::addColumn<bool>("saved");
    QTest::newRow("nothing saved in between") << QVariant() << QVariant() << true;
    QTest::newRow("empty text read as none") << QVariant(u""_s) << QVariant() << true;
    QTest::newRow("written there first") << QVariant() << QVariant(u"活泼"_s) << false;
    QTest::newRow("changed there first") << QVariant(u"好"_s) << QVariant(u"活泼"_s) << false;
    QTest::newRow("cleared there first") << QVariant(u"好"_s) << QVariant(u""_s) << false;
}

void TestEvaluationColumns::twoComputersEvaluateOneStudent()
{
    QFETCH(QVariant, before);
    QFETCH(QVariant, other);
    QFETCH(bool, saved);
    test::TestSchool school;
    const int id = school.addStudent(u"初中"_s, u"20040101"_s, u"张三"_s);
    school.addEvaluationColumn(u"初中"_s, u"P05S051015"_s);
    db::Connection &c = school.db();
    QVERIFY(c.exec(uR"(update "初中" set "P05S051015"=? where "ID"=?)"_s, {before, id}));
    const EvaluatedStudent read{id, u"张三"_s, before.toString()};   // as the window reads it
    if (other.isValid())
        QVERIFY(saveEvaluation(c, u"初中"_s, u"P05S051015"_s, read, other.toString()).ok);
    const auto stored = [&] { return school.value(uR"(select "P05S051015" from "初中" where "ID"=?)"_s, {id}); };
    const QVariant afterOther = stored();
    const SaveOutcome r = saveEvaluation(c, u"初中"_s, u"P05S051015"_s, read, u"勤奋"_s);
    QCOMPARE(r.ok, saved);
    if (saved) {
        QCOMPARE(stored().toString(), u"勤奋"_s);
        return;
    }
    QCOMPARE(stored(), afterOther);
    QCOMPARE(r.error.number, db::kErrRowChanged);
    QVERIFY2(r.error.text.startsWith(u"学生(张三)的这次评定在您读出之后已被其他电脑修改"_s), qPrintable(r.error.text));
}

QTEST_MAIN(TestEvaluationColumns)
#include "tst_evaluation_columns.moc"
