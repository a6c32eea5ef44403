// The class transfer's renumbering, without windows.
#include "fixtures/test_school.h"
#include "school/class_code.h"
#include "register/class_transfer.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::reg;
using tessaly::test::TestSchool;

namespace {

const QString kJunior = QStringLiteral("初中");
const QString kTarget = QStringLiteral("200403");
const QString kSource = QStringLiteral("200413");
const QString kOtherSource = QStringLiteral("200405");
const QString kExam = QStringLiteral("Z05S语文051015");
const QString kEvaluation = QStringLiteral("P05S操行");

QString numberOf(TestSchool &school, qint64 id)
{
    return school.value(QStringLiteral("select \"学籍号\" from \"初中\" where \"ID\"=?"), {id}).toString();
}

// Every column but 学籍号 of a row.
QStringList allButNumber(TestSchool &school, qint64 id)
{
    QStringList out;
    QSqlQuery q = school.db().query(QStringLiteral("select * from \"初中\" where \"ID\"=?"), {id});
    if (!q.next())
        return out;
    for (int i = 0; i < q.record().count(); ++i) {
        if (q.record().fieldName(i) != QStringLiteral("学籍号"))
            out << q.record().fieldName(i) + QLatin1Char('=') + q.value(i).toString();
    }
    return out;
}

TransferEntry entry(qint64 id, const QString &name, const QString &source = kSource)
{
    return {id, source, transferEntryText(id, name)};
}

// A receiving class 三班 with the seats `seats`, and the source class 十三班 with
// three students, each with a score and an evaluation.
struct School {
    TestSchool school;
    QList<qint64> source;
    explicit School(const QList<int> &seats)
    {
        school.addExamColumn(kJunior, kExam);
        school.addEvaluationColumn(kJunior, kEvaluation);
        for (int seat : seats)
            school.addStudent(kJunior, kTarget + QStringLiteral("%1").arg(seat, 2, 10, QLatin1Char('0')),
                              QStringLiteral("本班%1").arg(seat));
        const QStringList names = {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")};
        for (int i = 0; i < names.size(); ++i) {
            const int id = school.addStudent(kJunior, kSource + QStringLiteral("0%1").arg(i + 1), names[i],
                                             {{QStringLiteral("住宿"), true}, {QStringLiteral("籍贯"), QStringLiteral("杭州")}});
            school.setScore(kJunior, id, kExam, 90.5 - i);
            school.setScore(kJunior, id, kEvaluation, QStringLiteral("好学生%1").arg(i));
            source << id;
        }
    }
};

QList<int> seatsExcept(int last, int missing)
{
    QList<int> seats;
    for (int s = 1; s <= last; ++s) {
        if (s != missing)
            seats << s;
    }
    return seats;
}

} // namespace

class TestClassTransfer : public QObject {
    Q_OBJECT
private slots:
    void entryText();
    void takesTheFirstFreeSeatsInQueueOrder();
    void keepsTheRowAndEverythingInIt();
    void numbersTheWindowHoldsAreTaken();
    void studentQueuedTwiceMovesOnce();
    void studentsNoLongerInTheirClassAreReported();
    void fullClassWritesNothing();
    void lockedDatabaseWritesNothing();
    void sameClassIsRefused();
};

void TestClassTransfer::entryText()
{
    QCOMPARE(transferEntryText(42, QStringLiteral("张三")), QStringLiteral("42 张三"));
    const QList<TransferEntry> queue = {entry(3, QStringLiteral("甲")), entry(9, QStringLiteral("乙"))};
    QVERIFY(isQueued(queue, 9));
    QVERIFY(!isQueued(queue, 4));
}

void TestClassTransfer::takesTheFirstFreeSeatsInQueueOrder()
{
    // Seats 01 to 30 taken except 12: the queue gets 12, 31, 32 in its order.
    School s(seatsExcept(30, 12));
    const QList<TransferEntry> queue = {entry(s.source[2], QStringLiteral("丙")), entry(s.source[0], QStringLiteral("甲")),
                                        entry(s.source[1], QStringLiteral("乙"))};
    const TransferOutcome out = SaveClassTransfer(s.school.db(), kJunior, kTarget, queue);
    QVERIFY2(out.ok, qPrintable(out.error.text));
    QCOMPARE(out.numbers, QStringList({QStringLiteral("20040312"), QStringLiteral("20040331"), QStringLiteral("20040332")}));
    QCOMPARE(numberOf(s.school, s.source[2]), QStringLiteral("20040312"));
    QCOMPARE(numberOf(s.school, s.source[0]), QStringLiteral("20040331"));
    QCOMPARE(numberOf(s.school, s.source[1]), QStringLiteral("20040332"));
    QCOMPARE(out.moved.size(), 3);
    QVERIFY(out.vanished.isEmpty());
    // The source class lists nobody now; the receiving class 32.
    QCOMPARE(s.school.count(QStringLiteral("select count(*) from \"初中\" where substr(\"学籍号\",1,6)=?"), {kSource}), 0);
    QCOMPARE(s.school.count(QStringLiteral("select count(*) from \"初中\" where substr(\"学籍号\",1,6)=?"), {kTarget}), 32);
}

void TestClassTransfer::keepsTheRowAndEverythingInIt()
{
    School s({1, 2});
    QList<QStringList> before;
    for (qint64 id : s.source)
        before << allButNumber(s.school, id);
    QVERIFY(before[0].contains(QStringLiteral("%1=90.5").arg(kExam)));
    QVERIFY(before[0].contains(QStringLiteral("%1=好学生0").arg(kEvaluation)));
    const int rows = s.school.count(QStringLiteral("select count(*) from \"初中\""));

    const TransferOutcome out = SaveClassTransfer(s.school.db(), kJunior, kTarget,
                                                  {entry(s.source[0], QStringLiteral("甲")), entry(s.source[1], QStringLiteral("乙"))});
    QVERIFY(out.ok);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(allButNumber(s.school, s.source[i]), before[i]);   // ID, register data, score, evaluation
    QCOMPARE(numberOf(s.school, s.source[0]), QStringLiteral("20040303"));
    QCOMPARE(numberOf(s.school, s.source[1]), QStringLiteral("20040304"));
    QCOMPARE(s.school.count(QStringLiteral("select count(*) from \"初中\"")), rows);   // no row added or lost
    QCOMPARE(numberOf(s.school, s.source[2]), QStringLiteral("20041303"));   // not queued: stays
}

void TestClassTransfer::numbersTheWindowHoldsAreTaken()
{
    School s({1});
    const TransferOutcome out = SaveClassTransfer(s.school.db(), kJunior, kTarget, {entry(s.source[0], QStringLiteral("甲"))},
                                                  {QStringLiteral("20040301"), QStringLiteral("20040302")});
    QVERIFY(out.ok);
    QCOMPARE(out.numbers, QStringList{QStringLiteral("20040303")});
}

void TestClassTransfer::studentQueuedTwiceMovesOnce()
{
    School s({1});
    const TransferOutcome out = SaveClassTransfer(s.school.db(), kJunior, kTarget,
                                                  {entry(s.source[0], QStringLiteral("甲")), entry(s.source[0], QStringLiteral("甲")),
                                                   entry(s.source[1], QStringLiteral("乙"))});
    QVERIFY(out.ok);
    QCOMPARE(out.numbers, QStringList({QStringLiteral("20040302"), QStringLiteral("20040303")}));
    QCOMPARE(numberOf(s.school, s.source[0]), QStringLiteral("20040302"));
    QCOMPARE(numberOf(s.school, s.source[1]), QStringLiteral("20040303"));
}

void TestClassTransfer::studentsNoLongerInTheirClassAreReported()
{
    // Since queuing, 甲 was deleted and 乙 moved to 五班 (on another computer, say).
    School s({1});
    QVERIFY(s.school.db().exec(QStringLiteral("delete from \"初中\" where \"ID\"=?"), {s.source[0]}));
    QVERIFY(s.school.db().exec(QStringLiteral("update \"初中\" set \"学籍号\"='20040501' where \"ID\"=?"), {s.source[1]}));
    const TransferOutcome out = SaveClassTransfer(s.school.db(), kJunior, kTarget,
                                                  {entry(s.source[0], QStringLiteral("甲")), entry(s.source[1], QStringLiteral("乙")),
                                                   entry(s.source[2], QStringLiteral("丙"))});
    QVERIFY(out.ok);
    QCOMPARE(out.vanished.size(), 2);
    QCOMPARE(out.vanished[0].text, transferEntryText(s.source[0], QStringLiteral("甲")));
    QCOMPARE(out.vanished[1].text, transferEntryText(s.source[1], QStringLiteral("乙")));
    QCOMPARE(out.moved.size(), 1);
    QCOMPARE(out.numbers, QStringList{QStringLiteral("20040302")});   // no seat spent on the others
    QCOMPARE(numberOf(s.school, s.source[1]), QStringLiteral("20040501"));
    QCOMPARE(numberOf(s.school, s.source[2]), QStringLiteral("20040302"));
}

void TestClassTransfer::fullClassWritesNothing()
{
    // 98 seats taken: the first student would get 99, the second none. Nothing moves.
    School s(seatsExcept(99, 99));
    const QStringList before = s.school.dump(kJunior);
    const TransferOutcome out = SaveClassTransfer(s.school.db(), kJunior, kTarget,
                                                  {entry(s.source[0], QStringLiteral("甲")), entry(s.source[1], QStringLiteral("乙"))});
    QVERIFY(!out.ok);
    QCOMPARE(out.error.text, school::kSeatsFullMessage);
    QCOMPARE(s.school.dump(kJunior), before);
    for (const QString &line : s.school.dump(kJunior))
        QVERIFY2(line.section(QLatin1Char('|'), 1, 1).size() == 8, qPrintable(line));
}

void TestClassTransfer::lockedDatabaseWritesNothing()
{
    School s({1});
    const QStringList before = s.school.dump(kJunior);
    db::Connection other(s.school.dbPath());
    QVERIFY(other.exec(QStringLiteral("BEGIN IMMEDIATE")));
    db::Connection mine(s.school.dbPath());
    QVERIFY(mine.setBusyTimeout(50));
    const TransferOutcome out = SaveClassTransfer(mine, kJunior, kTarget, {entry(s.source[0], QStringLiteral("甲"))});
    QVERIFY(!out.ok);
    QCOMPARE(out.error.number, db::kErrLocked);
    QVERIFY(other.exec(QStringLiteral("ROLLBACK")));
    QCOMPARE(s.school.dump(kJunior), before);
}

void TestClassTransfer::sameClassIsRefused()
{
    School s({1, 2});
    const QStringList before = s.school.dump(kJunior);
    const qint64 own = s.school.value(QStringLiteral("select \"ID\" from \"初中\" where \"学籍号\"='20040301'")).toLongLong();
    QVERIFY(!SaveClassTransfer(s.school.db(), kJunior, kTarget, {entry(own, QStringLiteral("本班1"), kTarget)}).ok);
    QVERIFY(!SaveClassTransfer(s.school.db(), QStringLiteral("教导处"), kTarget, {entry(s.source[0], QStringLiteral("甲"))}).ok);
    QCOMPARE(s.school.dump(kJunior), before);
}

QTEST_GUILESS_MAIN(TestClassTransfer)
#include "tst_class_transfer.moc"
