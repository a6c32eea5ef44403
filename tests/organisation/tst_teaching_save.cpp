// Saving teaching assignments: rows that stay keep their id and password,
// new ones are inserted, unticked ones deleted, all in one transaction.
#include "fixtures/test_school.h"
#include "organisation/teaching_save.h"
#include "db/row_update.h"

#include <QSqlQuery>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::organisation;
using tessaly::test::TestSchool;

namespace {

const QString kGrade = QStringLiteral("初一年级组");

// The 任课 rows as "id 其它 其次 名称 密码", in id order.
QStringList stored(TestSchool &school)
{
    QStringList out;
    QSqlQuery q = school.db().query(QStringLiteral(
        R"(select "id","对应内容","其它","其次","名称","密码" from "教导处" where "类别"='任课' order by "id")"));
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < 6; ++i)
            cells << q.value(i).toString();
        out << cells.join(QLatin1Char(' '));
    }
    return out;
}

QString line(int id, const QString &grade, const QString &klass, const QString &subject, const QString &teacher,
             const QString &password)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6").arg(id).arg(grade, klass, subject, teacher, password);
}

TeachingAssignment row(const QString &klass, const QString &subject, const QString &teacher,
                       const QString &password = {}, const QString &grade = kGrade)
{
    return {grade, klass, subject, teacher, password};
}

// The assignments of the scope as the window reads them.
QVector<TeachingAssignment> loadedOf(TestSchool &school, const TeachingScope &scope)
{
    QVector<TeachingAssignment> loaded;
    for (const StoredTeaching &t : readTeachingAssignments(school.db(), scope))
        loaded << t.assignment;
    return loaded;
}

// Saves rows over the assignments of the scope as they are stored now (read, then saved).
TeachingSaveResult saveAsLoaded(TestSchool &school, const TeachingScope &scope, const QVector<TeachingAssignment> &rows)
{
    return SaveTeachingAssignments(school.db(), scope, loadedOf(school, scope), rows);
}

} // namespace

class TestTeachingSave : public QObject {
    Q_OBJECT

private slots:
    void classSave();
    void storedPasswordWinsOverListed();
    void duplicatesKeepTheFirst();
    void gradeGroupSaveKeepsEachClassAndDeletesNothing();
    void namesWithApostrophes_data();
    void namesWithApostrophes();
    void failureChangesNothing();
    void twoComputersSetOneTeacher_data();
    void twoComputersSetOneTeacher();
    void assignmentAddedOrDeletedElsewhere_data();
    void assignmentAddedOrDeletedElsewhere();
};

void TestTeachingSave::classSave()
{
    TestSchool school;
    const int yuwen = school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("语文"),
                                         QStringLiteral("张老师"), QStringLiteral("z1"));
    const int shuxue = school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("数学"),
                                          QStringLiteral("李老师"), QStringLiteral("l2"));
    school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("英语"), QStringLiteral("赵老师"),
                       QStringLiteral("e3"));
    const int otherClass = school.addTeaching(kGrade, QStringLiteral("一班"), QStringLiteral("英语"),
                                              QStringLiteral("钱老师"), QStringLiteral("q4"));
    const int otherGrade = school.addTeaching(QStringLiteral("初二年级组"), QStringLiteral("三班"),
                                              QStringLiteral("英语"), QStringLiteral("孙老师"), QStringLiteral("s5"));

    // 英语 unticked, 物理 ticked, 语文's teacher retyped.
    const TeachingSaveResult r = saveAsLoaded(school, {kGrade, QStringLiteral("三班")},
        {row(QStringLiteral("三班"), QStringLiteral("语文"), QStringLiteral("周老师"), QStringLiteral("z1")),
         row(QStringLiteral("三班"), QStringLiteral("数学"), QStringLiteral("李老师"), QStringLiteral("l2")),
         row(QStringLiteral("三班"), QStringLiteral("物理"), QStringLiteral("吴老师"))});
    QVERIFY(r.ok);
    QCOMPARE(r.updated, 2);
    QCOMPARE(r.inserted, 1);
    QCOMPARE(r.deleted, 1);
    const QStringList rows = stored(school);
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows[0], line(yuwen, kGrade, QStringLiteral("三班"), QStringLiteral("语文"), QStringLiteral("周老师"),
                           QStringLiteral("z1")));
    QCOMPARE(rows[1], line(shuxue, kGrade, QStringLiteral("三班"), QStringLiteral("数学"), QStringLiteral("李老师"),
                           QStringLiteral("l2")));
    QCOMPARE(rows[2], line(otherClass, kGrade, QStringLiteral("一班"), QStringLiteral("英语"),
                           QStringLiteral("钱老师"), QStringLiteral("q4")));
    QCOMPARE(rows[3], line(otherGrade, QStringLiteral("初二年级组"), QStringLiteral("三班"), QStringLiteral("英语"),
                           QStringLiteral("孙老师"), QStringLiteral("s5")));
    QVERIFY(rows[4].endsWith(QStringLiteral(" 初一年级组 三班 物理 吴老师 ")));
    QVERIFY(rows[4].section(QLatin1Char(' '), 0, 0).toInt() > otherGrade);
}

void TestTeachingSave::storedPasswordWinsOverListed()
{
    // The password was changed in the password window after the list was read.
    TestSchool school;
    const int id = school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("语文"),
                                      QStringLiteral("张老师"), QStringLiteral("new"));
    const TeachingSaveResult r =
        saveAsLoaded(school, {kGrade, QStringLiteral("三班")},
                                {row(QStringLiteral("三班"), QStringLiteral("语文"), QStringLiteral("张老师"),
                                     QStringLiteral("old"))});
    QVERIFY(r.ok);
    QCOMPARE(stored(school), QStringList{line(id, kGrade, QStringLiteral("三班"), QStringLiteral("语文"),
                                              QStringLiteral("张老师"), QStringLiteral("new"))});
}

void TestTeachingSave::duplicatesKeepTheFirst()
{
    TestSchool school;
    const int first = school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("语文"),
                                         QStringLiteral("张老师"), QStringLiteral("a"));
    school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("语文"), QStringLiteral("李老师"),
                       QStringLiteral("b"));
    const TeachingSaveResult r = saveAsLoaded(school, {kGrade, QStringLiteral("三班")},
        {row(QStringLiteral("三班"), QStringLiteral("语文"), QStringLiteral("王老师"), QStringLiteral("a"))});
    QVERIFY(r.ok);
    QCOMPARE(r.deleted, 1);
    QCOMPARE(stored(school), QStringList{line(first, kGrade, QStringLiteral("三班"), QStringLiteral("语文"),
                                              QStringLiteral("王老师"), QStringLiteral("a"))});
}

void TestTeachingSave::gradeGroupSaveKeepsEachClassAndDeletesNothing()
{
    TestSchool school;
    const int a = school.addTeaching(kGrade, QStringLiteral("一班"), QStringLiteral("语文"),
                                     QStringLiteral("张老师"), QStringLiteral("a"));
    const int b = school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("语文"),
                                     QStringLiteral("李老师"), QStringLiteral("b"));
    const int c = school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("数学"),
                                     QStringLiteral("赵老师"), QStringLiteral("c"));
    // The grid of the grade group lists all three; two teachers were retyped.
    const TeachingSaveResult r = saveAsLoaded(school, {kGrade, QString()},
        {row(QStringLiteral("一班"), QStringLiteral("语文"), QStringLiteral("钱老师"), QStringLiteral("a")),
         row(QStringLiteral("三班"), QStringLiteral("数学"), QStringLiteral("孙老师"), QStringLiteral("c"))});
    QVERIFY(r.ok);
    QCOMPARE(r.updated, 2);
    QCOMPARE(r.inserted, 0);
    QCOMPARE(r.deleted, 0);
    QCOMPARE(stored(school),
             (QStringList{line(a, kGrade, QStringLiteral("一班"), QStringLiteral("语文"), QStringLiteral("钱老师"),
                               QStringLiteral("a")),
                          line(b, kGrade, QStringLiteral("三班"), QStringLiteral("语文"), QStringLiteral("李老师"),
                               QStringLiteral("b")),
                          line(c, kGrade, QStringLiteral("三班"), QStringLiteral("数学"), QStringLiteral("孙老师"),
                               QStringLiteral("c"))}));
}

void TestTeachingSave::namesWithApostrophes_data()
{
    QTest::addColumn<QString>("grade");
    QTest::addColumn<QString>("klass");
    QTest::addColumn<QString>("teacher");
    QTest::newRow("teacher") << kGrade << QStringLiteral("三班") << QStringLiteral("O'Neil");
    QTest::newRow("class") << kGrade << QStringLiteral("三'班") << QStringLiteral("张老师");
    QTest::newRow("grade group") << QStringLiteral("初一'年级组") << QStringLiteral("三班") << QStringLiteral("张老师");
    QTest::newRow("quotes of every kind") << QStringLiteral("初'一\"年级组") << QStringLiteral("三班'; --")
                                          << QStringLiteral("张' or '1'='1");
}

void TestTeachingSave::namesWithApostrophes()
{
    QFETCH(QString, grade);
    QFETCH(QString, klass);
    QFETCH(QString, teacher);
    TestSchool school;
    const int kept = school.addTeaching(grade, klass, QStringLiteral("语文"), QStringLiteral("旧老师"),
                                        QStringLiteral("p"));
    const int elsewhere = school.addTeaching(kGrade, QStringLiteral("一班"), QStringLiteral("数学"),
                                             QStringLiteral("钱老师"));
    const TeachingSaveResult r = saveAsLoaded(school, {grade, klass},
        {row(klass, QStringLiteral("语文"), teacher, QStringLiteral("p"), grade),
         row(klass, QStringLiteral("数学"), teacher, QString(), grade)});
    QVERIFY2(r.ok, qPrintable(r.error.text));
    QCOMPARE(r.updated, 1);
    QCOMPARE(r.inserted, 1);
    QCOMPARE(r.deleted, 0);
    const QStringList rows = stored(school);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0], line(kept, grade, klass, QStringLiteral("语文"), teacher, QStringLiteral("p")));
    QCOMPARE(rows[1], line(elsewhere, kGrade, QStringLiteral("一班"), QStringLiteral("数学"),
                           QStringLiteral("钱老师"), QString()));
    QVERIFY(rows[2].endsWith(QStringLiteral(" %1 %2 数学 %3 ").arg(grade, klass, teacher)));
}

void TestTeachingSave::failureChangesNothing()
{
    TestSchool school;
    school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("语文"), QStringLiteral("张老师"),
                       QStringLiteral("a"));
    school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("英语"), QStringLiteral("赵老师"),
                       QStringLiteral("e"));
    // The database refuses one insert after an update and before the delete.
    QVERIFY(school.db().exec(QStringLiteral(
        R"(create trigger "refuse" before insert on "教导处" when new."名称"='坏' begin select raise(abort,'refused'); end)")));
    const QStringList before = stored(school);
    const TeachingSaveResult r = saveAsLoaded(school, {kGrade, QStringLiteral("三班")},
        {row(QStringLiteral("三班"), QStringLiteral("语文"), QStringLiteral("周老师"), QStringLiteral("a")),
         row(QStringLiteral("三班"), QStringLiteral("物理"), QStringLiteral("坏"))});
    QVERIFY(!r.ok);
    QVERIFY(r.error.text.contains(QStringLiteral("refused")));
    QCOMPARE(stored(school), before);
}

void TestTeachingSave::twoComputersSetOneTeacher_data()
{
    QTest::addColumn<QString>("mySubject");   // whose teacher is retyped here
    QTest::addColumn<QString>("myTeacher");
    QTest::addColumn<bool>("saved");
    QTest::newRow("another subject: both kept") << QStringLiteral("数学") << QStringLiteral("周老师") << true;
    QTest::newRow("same subject: refused") << QStringLiteral("语文") << QStringLiteral("周老师") << false;
    QTest::newRow("same subject, same teacher: refused") << QStringLiteral("语文") << QStringLiteral("钱老师")
                                                         << false;
}

void TestTeachingSave::twoComputersSetOneTeacher()
{
    QFETCH(QString, mySubject);
    QFETCH(QString, myTeacher);
    QFETCH(bool, saved);
    TestSchool school;
    const TeachingScope scope{kGrade, QStringLiteral("三班")};
    const int yuwen = school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("语文"),
                                         QStringLiteral("张老师"), QStringLiteral("a"));
    const int shuxue = school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("数学"),
                                          QStringLiteral("李老师"), QStringLiteral("b"));
    const QVector<TeachingAssignment> loaded = loadedOf(school, scope);
    // The other computer read the same list and gave 语文 a new teacher.
    QVector<TeachingAssignment> other = loaded;
    other[0].teacher = QStringLiteral("钱老师");
    QVERIFY(SaveTeachingAssignments(school.db(), scope, loaded, other).ok);

    QVector<TeachingAssignment> mine = loaded;
    mine[mySubject == QStringLiteral("语文") ? 0 : 1].teacher = myTeacher;
    const TeachingSaveResult r = SaveTeachingAssignments(school.db(), scope, loaded, mine);
    QCOMPARE(r.ok, saved);
    const QString yuwenLine = line(yuwen, kGrade, QStringLiteral("三班"), QStringLiteral("语文"),
                                   QStringLiteral("钱老师"), QStringLiteral("a"));
    const QString shuxueTeacher = saved ? myTeacher : QStringLiteral("李老师");
    QCOMPARE(stored(school), (QStringList{yuwenLine, line(shuxue, kGrade, QStringLiteral("三班"),
                                                          QStringLiteral("数学"), shuxueTeacher, QStringLiteral("b"))}));
    if (!saved) {
        QCOMPARE(r.error.number, db::kErrRowChanged);
        QVERIFY2(r.error.text.startsWith(QStringLiteral("初一年级组三班语文的任课教师在您读出之后已被其他电脑修改")),
                 qPrintable(r.error.text));
    }
}

void TestTeachingSave::assignmentAddedOrDeletedElsewhere_data()
{
    QTest::addColumn<bool>("added");   // another computer added 物理 since the read, or deleted 语文
    QTest::newRow("added there") << true;
    QTest::newRow("deleted there") << false;
}

void TestTeachingSave::assignmentAddedOrDeletedElsewhere()
{
    QFETCH(bool, added);
    TestSchool school;
    const TeachingScope scope{kGrade, QStringLiteral("三班")};
    const int yuwen = school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("语文"),
                                         QStringLiteral("张老师"), QStringLiteral("a"));
    school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("数学"), QStringLiteral("李老师"),
                       QStringLiteral("b"));
    const QVector<TeachingAssignment> loaded = loadedOf(school, scope);
    if (added)
        school.addTeaching(kGrade, QStringLiteral("三班"), QStringLiteral("物理"), QStringLiteral("吴老师"));
    else
        QVERIFY(school.db().exec(QStringLiteral(R"(delete from "教导处" where "id"=?)"), {yuwen}));
    const QStringList before = stored(school);

    QVector<TeachingAssignment> mine = loaded;
    mine[1].teacher = QStringLiteral("周老师");
    const TeachingSaveResult r = SaveTeachingAssignments(school.db(), scope, loaded, mine);
    QVERIFY(!r.ok);
    QCOMPARE(r.error.number, db::kErrRowChanged);
    const QString named = added ? QStringLiteral("初一年级组三班物理") : QStringLiteral("初一年级组三班语文");
    QVERIFY2(r.error.text.startsWith(named + QStringLiteral("的任课教师在您读出之后已被其他电脑修改")),
             qPrintable(r.error.text));
    QCOMPARE(stored(school), before);
}

QTEST_MAIN(TestTeachingSave)
#include "tst_teaching_save.moc"
