// Creating an exam: the typed full mark and quiz name, the same-exam test, and
// the one transaction of registry row and column.
#include "fixtures/test_school.h"
#include "school/class_code.h"
#include "score_entry/exam_creation.h"

#include <QtTest>

using namespace tessaly;
using namespace tessaly::score;
using tessaly::test::TestSchool;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(NewExamCheck)

namespace {

const QString kJunior = u"初中"_s;
const QString kRegistry = u"初中考试结果"_s;

NewExam midTerm()
{
    return {kJunior, u"Z25S语文251015"_s, u"初二年级组"_s, u"三班"_s, u"王芳"_s, u"李明"_s, u"120"_s};
}

} // namespace

class TestExamCreation : public QObject {
    Q_OBJECT
private slots:
    void fullMark_data();
    void fullMark();
    void quizName_data();
    void quizName();
    void sameExam_data();
    void sameExam();
    void createsRowAndColumn();
    void refusesAnExamAddedMeanwhile();
    void checkReadsTheTableAsItIsNow();
    void failedColumnStepLeavesNothing_data();
    void failedColumnStepLeavesNothing();
    void columnLimit_data();
    void columnLimit();
};

void TestExamCreation::fullMark_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<float>("mark");
    QTest::newRow("100") << u"100"_s << true << 100.0f;
    QTest::newRow("blanks around") << u" 120 "_s << true << 120.0f;
    QTest::newRow("fraction") << u"0.5"_s << true << 0.5f;
    QTest::newRow("1000") << u"1000"_s << true << 1000.0f;
    QTest::newRow("above 1000") << u"1000.5"_s << false << 0.0f;
    QTest::newRow("zero") << u"0"_s << false << 0.0f;
    QTest::newRow("negative") << u"-5"_s << false << 0.0f;
    QTest::newRow("empty") << QString() << false << 0.0f;
    QTest::newRow("text") << u"一百"_s << false << 0.0f;
    QTest::newRow("infinite") << u"inf"_s << false << 0.0f;
    QTest::newRow("not a number") << u"nan"_s << false << 0.0f;
}

void TestExamCreation::fullMark()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(float, mark);
    const std::optional<float> parsed = school::parseFullMark(typed);
    QCOMPARE(parsed.has_value(), accepted);
    if (accepted)
        QCOMPARE(*parsed, mark);
}

void TestExamCreation::quizName_data()
{
    // found: what the refusal names; empty for an accepted name.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("found");
    QTest::newRow("chinese") << u"一单元"_s << QString();
    QTest::newRow("latin, lower case and digits") << u"Unit1sxzmr"_s << QString();
    QTest::newRow("blank inside") << u"一 单元"_s << QString();
    QTest::newRow("quote") << u"一'单元"_s << u"“'”"_s;
    QTest::newRow("double quote") << u"一\"单元"_s << u"“\"”"_s;
    QTest::newRow("brackets") << u"[一]"_s << u"“[”、“]”"_s;
    QTest::newRow("dot") << u"1.1"_s << u"“.”"_s;
    QTest::newRow("exclamation mark") << u"好!"_s << u"“!”"_s;
    QTest::newRow("control character") << u"一\t单元"_s << u"控制字符"_s;
    QTest::newRow("leading blank") << u" 一单元"_s << u"开头的空格"_s;
    QTest::newRow("capital S") << u"单元S"_s << u"“S”"_s;
    QTest::newRow("capitals X Z M R, each once") << u"XZMRX"_s << u"“X”、“Z”、“M”、“R”"_s;
}

void TestExamCreation::quizName()
{
    QFETCH(QString, name);
    QFETCH(QString, found);
    const QString refusal = quizNameRefusal(name);
    if (found.isEmpty()) {
        QCOMPARE(refusal, QString());
        return;
    }
    QVERIFY2(refusal.startsWith(u"测验名称中不能有"_s + found + u"。"_s), qPrintable(refusal));
    QVERIFY(refusal.contains(u"大写字母S、X、Z、M、R"_s));
    QVERIFY(refusal.contains(u"引号、方括号"_s));
}

void TestExamCreation::sameExam_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("room");   // columns the table may hold beyond its present ones
    QTest::addColumn<NewExamCheck>("check");
    QTest::newRow("mid-term, same half, later day") << u"Z25S语文251120"_s << 10 << NewExamCheck::Exists;
    QTest::newRow("mid-term, other half") << u"Z25X语文260320"_s << 10 << NewExamCheck::Free;
    QTest::newRow("mid-term, other subject") << u"Z25S数学250915"_s << 10 << NewExamCheck::Free;
    QTest::newRow("quiz, same name and subject") << u"C一单元英语260401"_s << 10 << NewExamCheck::Exists;
    QTest::newRow("quiz, same name, other subject") << u"C一单元数学260320"_s << 10 << NewExamCheck::Free;
    QTest::newRow("quiz name differing in case") << u"Cunit英语260401"_s << 10 << NewExamCheck::Exists;
    QTest::newRow("register column") << u"特长123456"_s << 10 << NewExamCheck::Free;
    QTest::newRow("table full") << u"Z25X语文260320"_s << 0 << NewExamCheck::TableFull;
    QTest::newRow("one column left") << u"Z25X语文260320"_s << 1 << NewExamCheck::Free;
    QTest::newRow("unsafe name") << u"C一.单元英语260320"_s << 10 << NewExamCheck::BadName;
}

void TestExamCreation::sameExam()
{
    QFETCH(QString, column);
    QFETCH(int, room);
    QFETCH(NewExamCheck, check);
    const QStringList columns =
        school::registerColumns() + QStringList{u"Z25S语文250915"_s, u"P25S251015"_s, u"C一单元英语260320"_s, u"CUnit英语260320"_s};
    QCOMPARE(checkNewExam(columns, int(columns.size()) + room, column), check);
}

void TestExamCreation::createsRowAndColumn()
{
    TestSchool school;
    const int id = school.addStudent(kJunior, u"20240301"_s, u"张三"_s);
    const QStringList before = school.columns(kJunior);
    const CreateExamOutcome outcome = CreateExam(school.db(), midTerm());
    QVERIFY2(outcome.ok, qPrintable(outcome.error.text));
    QCOMPARE(school.columns(kJunior), before + QStringList{u"Z25S语文251015"_s});
    QCOMPARE(outcome.columns, school.columns(kJunior));
    QCOMPARE(school.dump(kRegistry), QStringList{u"1|初二年级组|三班|王芳|Z25S语文251015|李明|120"_s});
    // A REAL column without a value for the students already there.
    QVERIFY(school.setScore(kJunior, id, u"Z25S语文251015"_s, u"88.5"_s));
    QCOMPARE(school.value(uR"(select typeof("Z25S语文251015") from "初中")"_s).toString(), u"real"_s);
}

void TestExamCreation::refusesAnExamAddedMeanwhile()
{
    // Another computer created the same mid-term after the window looked.
    TestSchool school;
    school.addExamColumn(kJunior, u"Z25S语文250920"_s);
    const QStringList before = school.columns(kJunior);
    const CreateExamOutcome outcome = CreateExam(school.db(), midTerm());
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.check, NewExamCheck::Exists);
    QCOMPARE(school.columns(kJunior), before);
    QCOMPARE(school.count(uR"(select count(*) from "初中考试结果")"_s), 0);
}

// The check the window makes before asking: the table's columns read now; a
// table that cannot be read refuses, and creation adds nothing to it.
void TestExamCreation::checkReadsTheTableAsItIsNow()
{
    TestSchool school;
    school.addExamColumn(kJunior, u"Z25S语文250920"_s);
    const CreateExamOutcome same = checkNewExam(school.db(), kJunior, u"Z25S语文251015"_s);
    QVERIFY(same.ok);
    QCOMPARE(same.check, NewExamCheck::Exists);
    QCOMPARE(same.columns, school.columns(kJunior));
    const CreateExamOutcome other = checkNewExam(school.db(), kJunior, u"M25X语文251015"_s);
    QVERIFY(other.ok);
    QCOMPARE(other.check, NewExamCheck::Free);

    QVERIFY(school.db().exec(uR"(DROP TABLE "初中")"_s));
    const CreateExamOutcome gone = checkNewExam(school.db(), kJunior, u"M25X语文251015"_s);
    QVERIFY(!gone.ok);
    QVERIFY2(gone.error.isSet(), qPrintable(gone.error.text));
    const CreateExamOutcome created = CreateExam(school.db(), midTerm());
    QVERIFY(!created.ok);
    QCOMPARE(created.error.text, gone.error.text);
    QCOMPARE(school.count(uR"(select count(*) from "初中考试结果")"_s), 0);
}

void TestExamCreation::failedColumnStepLeavesNothing_data()
{
    QTest::addColumn<bool>("afterAdding");
    QTest::newRow("refused") << false;
    QTest::newRow("failed after the column was added") << true;
}

void TestExamCreation::failedColumnStepLeavesNothing()
{
    QFETCH(bool, afterAdding);
    TestSchool school;
    const QStringList before = school.columns(kJunior);
    bool ran = false;
    const school::ColumnStep failing = [&](db::Connection &c, const QString &table, const QString &column,
                                   db::ColumnType type) {
        ran = true;
        if (afterAdding && !db::addColumn(c, table, column, type))
            return false;
        return c.fail(db::kErrSql, u"磁盘已满"_s);
    };
    const CreateExamOutcome outcome = CreateExam(school.db(), midTerm(), failing);
    QVERIFY(ran);
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.error.text, u"磁盘已满"_s);
    QCOMPARE(school.columns(kJunior), before);
    QCOMPARE(school.count(uR"(select count(*) from "初中考试结果")"_s), 0);
}

void TestExamCreation::columnLimit_data()
{
    QTest::addColumn<int>("missing");   // columns the table lacks to reach the limit
    QTest::addColumn<bool>("created");
    QTest::newRow("the last column") << 1 << true;
    QTest::newRow("past the limit") << 0 << false;
}

void TestExamCreation::columnLimit()
{
    QFETCH(int, missing);
    QFETCH(bool, created);
    TestSchool school;
    db::Connection &c = school.db();
    // The section table rebuilt with as many exam columns as leave `missing` free.
    const int limit = db::columnLimit(c);
    QStringList columns{uR"("ID" INTEGER PRIMARY KEY AUTOINCREMENT)"_s};
    for (const QString &name : school::registerColumns().mid(1))
        columns << db::quoteIdentifier(name) + u" TEXT"_s;
    for (int i = 0; columns.size() < limit - missing; ++i)
        columns << uR"("C%1数学250101" REAL)"_s.arg(i);
    QVERIFY(c.exec(uR"(DROP TABLE "初中")"_s));
    QVERIFY(c.exec(uR"(CREATE TABLE "初中" (%1))"_s.arg(columns.join(u','))));
    const int id = school.addStudent(kJunior, u"20240301"_s, u"张三"_s);

    const CreateExamOutcome outcome = CreateExam(c, midTerm());
    QCOMPARE(outcome.ok, created);
    QCOMPARE(school.columns(kJunior).size(), limit);
    QCOMPARE(school.count(uR"(select count(*) from "初中考试结果")"_s), created ? 1 : 0);
    if (!created) {
        QCOMPARE(outcome.check, NewExamCheck::TableFull);
        QCOMPARE(outcome.error.text, tableFullMessage(kJunior));
        QVERIFY(outcome.error.text.contains(u"已满"_s));
    }
    // The table still works either way.
    QVERIFY(school.setScore(kJunior, id, u"C0数学250101"_s, 77));
}

QTEST_GUILESS_MAIN(TestExamCreation)
#include "tst_exam_creation.moc"
