// Notice rules: the order boxes are refused in, texts stored exactly, the
// title list and search, which equal title a click shows, and deleting.
#include "fixtures/test_school.h"
#include "records/notices.h"

#include <QtTest>

using namespace tessaly;
using namespace tessaly::records;
using tessaly::test::TestSchool;
using namespace Qt::StringLiterals;

namespace {

QVector<StoredNotice> rowsOf(const QList<Notice> &notices)
{
    QVector<StoredNotice> rows;
    qint64 id = 0;
    for (const Notice &n : notices)
        rows.append({++id, n});
    return rows;
}

} // namespace

class TestNotices : public QObject {
    Q_OBJECT

private slots:
    void firstEmptyBoxInOrder_data();
    void firstEmptyBoxInOrder();
    void publishStoresTextsExactly();
    void publishRefusedByTheDatabase();
    void titlesLastToFirstSkipEmpty();
    void search_data();
    void search();
    void titleClick_data();
    void titleClick();
    void deleteRemovesOnlyThatRow();
};

void TestNotices::firstEmptyBoxInOrder_data()
{
    QTest::addColumn<QStringList>("boxes");   // title, unit, time, content
    QTest::addColumn<QString>("message");      // empty: accepted
    QTest::newRow("all empty") << QStringList{u""_s, u""_s, u""_s, u""_s} << u"请填写发布题目"_s;
    QTest::newRow("unit") << QStringList{u"t"_s, u""_s, u""_s, u""_s} << u"请填写发布单位"_s;
    QTest::newRow("time") << QStringList{u"t"_s, u"u"_s, u""_s, u"c"_s} << u"请填写发布时间"_s;
    QTest::newRow("content") << QStringList{u"t"_s, u"u"_s, u"2026/9/1"_s, u""_s} << u"请填写教务信息内容"_s;
    QTest::newRow("title after others") << QStringList{u""_s, u"u"_s, u"x"_s, u"c"_s} << u"请填写发布题目"_s;
    QTest::newRow("blanks are text") << QStringList{u" "_s, u"  "_s, u" "_s, u"\u3000"_s} << QString();
}

void TestNotices::firstEmptyBoxInOrder()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, message);
    const auto empty = firstEmptyBox({boxes[0], boxes[1], boxes[2], boxes[3]});
    QCOMPARE(empty ? emptyBoxMessage(*empty) : QString(), message);
}

void TestNotices::publishStoresTextsExactly()
{
    TestSchool school;
    const Notice n{u"\"期中\" 考试's 安排"_s, u" 教导处 "_s, u"2026/11/5 8:00"_s,
                   u"第一行\r\n\"第二行\" 'x'\r\n\r\n  末行; drop table 信息;--"_s};
    QVERIFY(publishNotice(school.db(), n).ok);
    QVERIFY(publishNotice(school.db(), n).ok);   // the same title twice: two rows
    const NoticeRows read = readNotices(school.db());
    QVERIFY(read.ok);
    QCOMPARE(read.rows.size(), 2);
    for (const StoredNotice &r : read.rows) {
        QCOMPARE(r.notice.title, n.title);
        QCOMPARE(r.notice.unit, n.unit);
        QCOMPARE(r.notice.time, n.time);
        QCOMPARE(r.notice.content, n.content);
    }
}

void TestNotices::publishRefusedByTheDatabase()
{
    TestSchool school;
    QVERIFY(school.db().exec(uR"(create trigger refuse before insert on "信息" begin select raise(abort, 'refused'); end)"_s));
    const SaveOutcome r = publishNotice(school.db(), {u"t"_s, u"u"_s, u"d"_s, u"c"_s});
    QVERIFY(!r.ok);
    QVERIFY(r.error.isSet());
    QCOMPARE(school.count(uR"(select count(*) from "信息")"_s), 0);
}

void TestNotices::titlesLastToFirstSkipEmpty()
{
    const auto rows = rowsOf({{u"A"_s, {}, {}, {}}, {u""_s, {}, {}, {}}, {u"B"_s, {}, {}, {}}, {u"C"_s, {}, {}, {}}});
    QCOMPARE(titlesLastToFirst(rows), (QStringList{u"C"_s, u"B"_s, u"A"_s}));
    QCOMPARE(titlesLastToFirst({}), QStringList());
}

void TestNotices::search_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("empty keyword: all") << u""_s << QStringList{u"期末考试安排"_s, u"Exam week"_s, u"考试"_s};
    QTest::newRow("inside a title, in order") << u"考试"_s << QStringList{u"期末考试安排"_s, u"考试"_s};
    QTest::newRow("case-sensitive") << u"EXAM"_s << QStringList{};
    QTest::newRow("exact case") << u"Exam"_s << QStringList{u"Exam week"_s};
    QTest::newRow("nowhere") << u"运动会"_s << QStringList{};
}

void TestNotices::search()
{
    QFETCH(QString, keyword);
    QFETCH(QStringList, found);
    QCOMPARE(searchTitles({u"期末考试安排"_s, u"Exam week"_s, u"考试"_s}, keyword), found);
}

void TestNotices::titleClick_data()
{
    QTest::addColumn<int>("match");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("details");   // unit, time, content
    // Rows: 0 T (u1, d1, c1), 1 X, 2 T (empty unit, d3, c3).
    QTest::newRow("viewer: last equal wins, empty unit keeps the earlier")
        << int(TitleMatch::EveryInTurn) << u"T"_s << 2 << QStringList{u"u1"_s, u"d3"_s, u"c3"_s};
    QTest::newRow("admin: first equal only") << int(TitleMatch::FirstOnly) << u"T"_s << 0
                                             << QStringList{u"u1"_s, u"d1"_s, u"c1"_s};
    QTest::newRow("no equal title: details kept, no row")
        << int(TitleMatch::FirstOnly) << u"t"_s << -1 << QStringList{u"shown"_s, u"shown"_s, u"shown"_s};
}

void TestNotices::titleClick()
{
    QFETCH(int, match);
    QFETCH(QString, title);
    QFETCH(int, row);
    QFETCH(QStringList, details);
    const auto rows = rowsOf({{u"T"_s, u"u1"_s, u"d1"_s, u"c1"_s},
                              {u"X"_s, u"ux"_s, u"dx"_s, u"cx"_s},
                              {u"T"_s, u""_s, u"d3"_s, u"c3"_s}});
    const TitleClick click = clickTitle(rows, title, {u"shown"_s, u"shown"_s, u"shown"_s}, TitleMatch(match));
    QCOMPARE(click.row, row);
    QCOMPARE((QStringList{click.details.unit, click.details.time, click.details.content}), details);
}

void TestNotices::deleteRemovesOnlyThatRow()
{
    TestSchool school;
    QVERIFY(publishNotice(school.db(), {u"A"_s, u"u"_s, u"d"_s, u"c"_s}).ok);
    QVERIFY(publishNotice(school.db(), {u"A"_s, u"u"_s, u"d"_s, u"c2"_s}).ok);
    const NoticeRows before = readNotices(school.db());
    QVERIFY(deleteNotice(school.db(), before.rows[0].id).ok);
    const NoticeRows after = readNotices(school.db());
    QCOMPARE(after.rows.size(), 1);
    QCOMPARE(after.rows[0].notice.content, u"c2"_s);
    // A row gone meanwhile is no success.
    const SaveOutcome again = deleteNotice(school.db(), before.rows[0].id);
    QVERIFY(!again.ok);
    QCOMPARE(again.error.text, kNoCurrentRecord);
}

QTEST_GUILESS_MAIN(TestNotices)
#include "tst_notices.moc"
