// Which of a class's records the development and daily lists show: the section
// read at the grade prefix of the display name, and the student by the name's
// own segment.
#include "records/record_lists.h"

#include <QtTest>

using namespace tessaly;
using namespace tessaly::records;
using namespace Qt::StringLiterals;

class TestRecordLists : public QObject {
    Q_OBJECT

private slots:
    void gradePrefixOfNames_data();
    void gradePrefixOfNames();
    void listed_data();
    void listed();
};

void TestRecordLists::gradePrefixOfNames_data()
{
    QTest::addColumn<QString>("displayName");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("subject");
    QTest::newRow("development record") << u"04-05(上)初一张三 10月15日"_s << u"初一"_s << u"张三"_s;
    QTest::newRow("daily record, primary") << u"04-05(下)一年一班 03月15日"_s << u"一年"_s << u"一班"_s;
    QTest::newRow("year 99") << u"99-100(上)高二高明 09月01日"_s << u"高二"_s << u"高明"_s;
    QTest::newRow("plan") << u"04-05初三一班上学年工作计划"_s << u"初三"_s << QString();
    QTest::newRow("no school years") << u"初一张三 10月15日"_s << QString() << QString();
    QTest::newRow("empty") << QString() << QString() << QString();
}

void TestRecordLists::gradePrefixOfNames()
{
    QFETCH(QString, displayName);
    QFETCH(QString, prefix);
    QFETCH(QString, subject);
    QCOMPARE(gradePrefixOfName(displayName), prefix);
    QCOMPARE(recordSubject(displayName), subject);
}

void TestRecordLists::listed_data()
{
    QTest::addColumn<QString>("gradeGroup");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QList<qint64>>("ids");
    QTest::newRow("junior class, surname 高 too") << u"初一年级组"_s << QString() << QList<qint64>{1, 2, 3, 6};
    QTest::newRow("senior class: no junior 高明") << u"高一年级组"_s << QString() << QList<qint64>{4};
    QTest::newRow("primary class: its own rows only") << u"一年级组"_s << QString() << QList<qint64>{5};
    QTest::newRow("张三 without 张三丰") << u"初一年级组"_s << u"张三"_s << QList<qint64>{1, 6};
    QTest::newRow("张三丰") << u"初一年级组"_s << u"张三丰"_s << QList<qint64>{2};
    QTest::newRow("a name's part names nobody") << u"初一年级组"_s << u"三"_s << QList<qint64>{};
}

void TestRecordLists::listed()
{
    QFETCH(QString, gradeGroup);
    QFETCH(QString, subject);
    QFETCH(QList<qint64>, ids);
    // One class code shared by the primary, junior and senior classes of a cohort.
    const QVector<Document> rows = {
        {1, u"W200401"_s, u"a"_s, u"04-05(上)初一张三 10月15日"_s},
        {2, u"W200401"_s, u"b"_s, u"04-05(上)初一张三丰 10月15日"_s},
        {3, u"W200401"_s, u"c"_s, u"04-05(上)初一高明 10月16日"_s},
        {4, u"W200401"_s, u"d"_s, u"04-05(上)高一李四 10月16日"_s},
        {5, u"W200401"_s, u"e"_s, u"04-05(上)一年张三 10月16日"_s},
        {6, u"W200401"_s, u"f"_s, u"04-05(下)初一张三 03月01日"_s},
        {7, u"W200401"_s, u"g"_s, QString()},
    };
    QList<qint64> shown;
    for (const Document &d : listedRecords(rows, gradeGroup, subject))
        shown << d.id;
    QCOMPARE(shown, ids);
}

QTEST_MAIN(TestRecordLists)
#include "tst_record_lists.moc"
