// Score entry rules without widgets: the key rules and their sounds, the checks
// on what the boxes hold, the entry statistics with class ranks, and the save.
#include "fixtures/test_school.h"
#include "db/database.h"
#include "score_entry/entry_statistics.h"
#include "score_entry/score_save.h"
#include "score_entry/score_input.h"
#include "db/row_update.h"
#include "school/score_sheet.h"

#include <QSqlQuery>
#include <array>
#include <QSqlRecord>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::score;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QChar kDropped;

school::ScoreRow row(std::optional<double> score, const QString &state = QString(), qint64 id = 0)
{
    school::ScoreRow r;
    r.id = id;
    r.score = score;
    r.state = state;
    return r;
}

// A class 202403 of 甲, 乙, 丙, 丁 in 初中 with the exam's column; their IDs.
std::array<int, 4> examClass(TestSchool &school, const QString &exam)
{
    school.addExamColumn(u"初中"_s, exam);
    return {school.addStudent(u"初中"_s, u"20240301"_s, u"甲"_s), school.addStudent(u"初中"_s, u"20240302"_s, u"乙"_s),
            school.addStudent(u"初中"_s, u"20240303"_s, u"丙"_s), school.addStudent(u"初中"_s, u"20240304"_s, u"丁"_s)};
}

QList<school::ScoreRow> rowsOf(const QList<std::optional<float>> &scores)
{
    QList<school::ScoreRow> rows;
    for (const auto &s : scores)
        rows << row(s);
    return rows;
}

} // namespace

class TestEntryRules : public QObject {
    Q_OBJECT
private slots:
    void scoreKeys_data();
    void scoreKeys();
    void mixedKeys_data();
    void mixedKeys();
    void aboveFullMark_data();
    void aboveFullMark();
    void pastedTexts_data();
    void pastedTexts();
    void seatBeyondTheLargest_data();
    void seatBeyondTheLargest();
    void mixedEntry_data();
    void mixedEntry();
    void statisticsPanel();
    void levelThresholds_data();
    void levelThresholds();
    void ranks_data();
    void ranks();
    void saveWritesMarkedRowsOnly();
    void failedSaveWritesNothing();
    void saveRefusesABadColumn();
    void reenteredScoreKeepsStoredValue();
    void twoComputersEnterOneExam_data();
    void twoComputersEnterOneExam();
};

void TestEntryRules::scoreKeys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("key");
    QTest::addColumn<QChar>("accepted");
    QTest::addColumn<int>("sound");
    QTest::newRow("digit") << u"7"_s << QChar(u'3') << QChar(u'3') << 3;
    QTest::newRow("zero first") << QString() << QChar(u'0') << QChar(u'0') << 0;
    QTest::newRow("point") << u"79"_s << QChar(u'.') << QChar(u'.') << kSoundPoint;
    QTest::newRow("full-width stop is a point") << u"79"_s << QChar(0x3002) << QChar(u'.') << kSoundPoint;
    QTest::newRow("leading point") << QString() << QChar(u'.') << kDropped << kNoSound;
    QTest::newRow("leading full-width stop") << QString() << QChar(0x3002) << kDropped << kNoSound;
    QTest::newRow("second point") << u"7.5"_s << QChar(u'.') << kDropped << kNoSound;
    QTest::newRow("backspace") << u"7"_s << kBackspace << kBackspace << kNoSound;
    QTest::newRow("letter") << u"7"_s << QChar(u'a') << kDropped << kNoSound;
    QTest::newRow("slash") << u"7"_s << QChar(u'/') << kDropped << kNoSound;
    QTest::newRow("minus") << QString() << QChar(u'-') << kDropped << kNoSound;
    QTest::newRow("full-width digit") << QString() << QChar(0xFF13) << kDropped << kNoSound;
}

void TestEntryRules::scoreKeys()
{
    QFETCH(QString, text);
    QFETCH(QChar, key);
    QFETCH(QChar, accepted);
    QFETCH(int, sound);
    const KeyOutcome r = ScoreKeyFilter(key, text);
    QCOMPARE(r.accepted, accepted);
    QCOMPARE(r.sound, sound);
}

void TestEntryRules::mixedKeys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("key");
    QTest::addColumn<QChar>("accepted");
    QTest::addColumn<int>("sound");
    QTest::newRow("seat digit") << u"2"_s << QChar(u'3') << QChar(u'3') << 3;
    QTest::newRow("slash after the seat") << u"23"_s << QChar(u'/') << QChar(u'/') << kSoundSlash;
    QTest::newRow("slash first") << QString() << QChar(u'/') << kDropped << kNoSound;
    QTest::newRow("second slash") << u"23/7"_s << QChar(u'/') << kDropped << kNoSound;
    QTest::newRow("point in the seat") << u"23"_s << QChar(u'.') << kDropped << kNoSound;
    QTest::newRow("point right after the slash") << u"23/"_s << QChar(u'.') << kDropped << kNoSound;
    QTest::newRow("point in the score") << u"23/79"_s << QChar(0x3002) << QChar(u'.') << kSoundPoint;
    QTest::newRow("second point") << u"23/79.5"_s << QChar(u'.') << kDropped << kNoSound;
    QTest::newRow("backspace") << u"23/"_s << kBackspace << kBackspace << kNoSound;
    QTest::newRow("letter") << u"23/"_s << QChar(u'x') << kDropped << kNoSound;
}

void TestEntryRules::mixedKeys()
{
    QFETCH(QString, text);
    QFETCH(QChar, key);
    QFETCH(QChar, accepted);
    QFETCH(int, sound);
    const KeyOutcome r = mixedKey(key, text);
    QCOMPARE(r.accepted, accepted);
    QCOMPARE(r.sound, sound);
}

void TestEntryRules::aboveFullMark_data()
{
    QTest::addColumn<QString>("score");
    QTest::addColumn<QString>("fullMark");
    QTest::addColumn<bool>("above");
    QTest::newRow("100 of 100") << u"100"_s << u"100"_s << false;
    QTest::newRow("100.5 of 100, as numbers") << u"100.5"_s << u"100"_s << true;
    QTest::newRow("101 of 100") << u"101"_s << u"100"_s << true;
    QTest::newRow("100. of 100") << u"100."_s << u"100"_s << false;
    QTest::newRow("149.5 of 150") << u"149.5"_s << u"150"_s << false;
    QTest::newRow("150.1 of 150") << u"150.1"_s << u"150"_s << true;
    QTest::newRow("any of 120") << u"120.5"_s << u"120"_s << true;
    QTest::newRow("empty") << QString() << u"100"_s << false;
}

void TestEntryRules::aboveFullMark()
{
    QFETCH(QString, score);
    QFETCH(QString, fullMark);
    QFETCH(bool, above);
    QCOMPARE(isAboveFullMark(score, fullMark), above);
}

void TestEntryRules::pastedTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("score");
    QTest::addColumn<bool>("mixed");
    QTest::newRow("empty") << QString() << true << true;
    QTest::newRow("whole") << u"79"_s << true << true;
    QTest::newRow("point typed last") << u"79."_s << true << false;
    QTest::newRow("decimal") << u"79.5"_s << true << false;
    QTest::newRow("pair") << u"23/79.5"_s << false << true;
    QTest::newRow("seat and slash") << u"23/"_s << false << true;
    QTest::newRow("leading point") << u".5"_s << false << false;
    QTest::newRow("two points") << u"7.5.1"_s << false << false;
    QTest::newRow("sign") << u"-5"_s << false << false;
    QTest::newRow("blank") << u" 5"_s << false << false;
    QTest::newRow("words") << u"七十九"_s << false << false;
    QTest::newRow("slash first") << u"/79"_s << false << false;
    QTest::newRow("two slashes") << u"2/3/4"_s << false << false;
}

void TestEntryRules::pastedTexts()
{
    QFETCH(QString, text);
    QFETCH(bool, score);
    QFETCH(bool, mixed);
    QCOMPARE(isScoreText(text), score);
    QCOMPARE(isMixedText(text), mixed);
}

void TestEntryRules::seatBeyondTheLargest_data()
{
    QTest::addColumn<QString>("seat");
    QTest::addColumn<int>("largest");
    QTest::addColumn<bool>("beyond");
    QTest::newRow("5 of 45: more than 4") << u"5"_s << 45 << true;
    QTest::newRow("05 of 45") << u"05"_s << 45 << false;
    QTest::newRow("4 of 45") << u"4"_s << 45 << false;
    QTest::newRow("45 of 45") << u"45"_s << 45 << false;
    QTest::newRow("46 of 45") << u"46"_s << 45 << true;
    QTest::newRow("0 of 9") << u"0"_s << 9 << false;
    QTest::newRow("10 of 9") << u"10"_s << 9 << true;
    QTest::newRow("30 with a gap before it") << u"30"_s << 30 << false;
}

void TestEntryRules::seatBeyondTheLargest()
{
    QFETCH(QString, seat);
    QFETCH(int, largest);
    QFETCH(bool, beyond);
    QCOMPARE(seatBeyondClass(seat, largest), beyond);
}

void TestEntryRules::mixedEntry_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("seat");
    QTest::addColumn<double>("score");
    QTest::newRow("23/79") << u"23/79"_s << true << u"23"_s << 79.0;
    QTest::newRow("23/079") << u"23/079"_s << true << u"23"_s << 79.0;
    QTest::newRow("5/79.50") << u"5/79.50"_s << true << u"05"_s << 79.5;
    QTest::newRow("a decimal as typed") << u"7/85.3"_s << true << u"07"_s << 85.3;
    QTest::newRow("no slash") << u"23"_s << false << QString() << 0.0;
    QTest::newRow("no score") << u"23/"_s << false << QString() << 0.0;
}

void TestEntryRules::mixedEntry()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, seat);
    QFETCH(double, score);
    const std::optional<MixedEntry> e = parseMixedEntry(text);
    QCOMPARE(e.has_value(), valid);
    if (!e)
        return;
    QCOMPARE(e->seat, seat);
    QCOMPARE(e->score, score);
}

void TestEntryRules::statisticsPanel()
{
    // A row without a score is neither counted nor ranked.
    const EntryStatistics s = entryStatistics(rowsOf({95.0f, std::nullopt, 88.0f, 70.0f}), 100);
    QCOMPARE(s.participants, 3);
    QCOMPARE(s.excellent, 1);
    QCOMPARE(s.good, 2);
    QCOMPARE(s.pass, 3);
    QCOMPARE(s.ranks, (QList<int>{1, 0, 2, 3}));
    const QStringList lines = statisticsPanelText(s, u"100"_s).split(u"\r\n"_s);
    QCOMPARE(lines, (QStringList{
                        QString(), u"　　　本次考试情况统计如下"_s, QString(), u"参试人数:3人"_s, u"试题满分:100分"_s,
                        u"优秀人数(≥90分):1人"_s, u"优 秀 率:33.33%"_s, u"优良人数:2人"_s, u"优 良 率:66.67%"_s,
                        u"及格人数:3人"_s, u"及 格 率:100.00%"_s, u"总    分:253.00分"_s, u"平 均 分:84.33分"_s}));

    // Out of 120 the line is 108: 108 counts, 107.5 does not.
    const EntryStatistics t = entryStatistics(rowsOf({108.0f, 107.5f}), 120);
    QCOMPARE(t.excellent, 1);
    QVERIFY(statisticsPanelText(t, u"120"_s).contains(u"\r\n优秀人数(≥108分):1人\r\n"_s));
}

void TestEntryRules::levelThresholds_data()
{
    QTest::addColumn<float>("score");
    QTest::addColumn<float>("fullMark");
    QTest::addColumn<QList<int>>("levels");   // excellent, good, pass
    QTest::newRow("90 of 100") << 90.0f << 100.0f << QList<int>{1, 1, 1};
    QTest::newRow("89.5 of 100") << 89.5f << 100.0f << QList<int>{0, 1, 1};
    QTest::newRow("135 of 150") << 135.0f << 150.0f << QList<int>{1, 1, 1};
    QTest::newRow("127.5 of 150") << 127.5f << 150.0f << QList<int>{0, 1, 1};
    QTest::newRow("60 of 100") << 60.0f << 100.0f << QList<int>{0, 0, 1};
    QTest::newRow("0 of 100") << 0.0f << 100.0f << QList<int>{0, 0, 0};
}

void TestEntryRules::levelThresholds()
{
    QFETCH(float, score);
    QFETCH(float, fullMark);
    QFETCH(QList<int>, levels);
    const EntryStatistics s = entryStatistics(rowsOf({score}), fullMark);
    QCOMPARE((QList<int>{s.excellent, s.good, s.pass}), levels);
    QCOMPARE(s.participants, 1);
}

void TestEntryRules::ranks_data()
{
    QTest::addColumn<QList<std::optional<float>>>("scores");
    QTest::addColumn<QList<int>>("ranks");
    QTest::newRow("ties share, the next skips")
        << QList<std::optional<float>>{98.0f, 95.0f, 95.0f, 90.0f} << QList<int>{1, 2, 2, 4};
    QTest::newRow("all equal") << QList<std::optional<float>>{80.0f, 80.0f, 80.0f} << QList<int>{1, 1, 1};
    QTest::newRow("out of order, a blank, a zero")
        << QList<std::optional<float>>{70.0f, std::nullopt, 0.0f, 99.5f} << QList<int>{2, 0, 3, 1};
}

void TestEntryRules::ranks()
{
    QFETCH(QList<std::optional<float>>, scores);
    QFETCH(QList<int>, ranks);
    QCOMPARE(entryStatistics(rowsOf(scores), 100).ranks, ranks);
}

void TestEntryRules::saveWritesMarkedRowsOnly()
{
    TestSchool school;
    const QString exam = u"Z25S语文250915"_s;
    const auto [a, b, c, d] = examClass(school, exam);
    school.setScore(u"初中"_s, b, exam, 50);
    school.setScore(u"初中"_s, c, exam, 60);
    school.setScore(u"初中"_s, d, exam, 70);
    // a and b entered, c emptied, d shown with a score it was not given.
    const QList<school::ScoreRow> rows{row(85.3, u"1"_s, a), row(0.0, u"1"_s, b), row(std::nullopt, u"1"_s, c),
                               row(99.0, QString(), d)};
    const ScoreSaveOutcome out = SaveScores(school.db(), u"初中"_s, exam, rows);
    QVERIFY(out.ok);
    QCOMPARE(out.saved, 3);
    const auto stored = [&](int id) { return school.value(u"SELECT \"%1\" FROM 初中 WHERE ID = ?"_s.arg(exam), {id}); };
    QCOMPARE(stored(a).toDouble(), 85.3);   // the decimal as entered, not its single-precision neighbour
    QCOMPARE(stored(b).toDouble(), 0.0);
    QVERIFY(!stored(b).isNull());
    QVERIFY(stored(c).isNull());
    QCOMPARE(stored(d).toDouble(), 70.0);
}

void TestEntryRules::failedSaveWritesNothing()
{
    TestSchool school;
    const QString exam = u"Z25S语文250915"_s;
    school.addExamColumn(u"初中"_s, exam);
    const int a = school.addStudent(u"初中"_s, u"20240301"_s, u"甲"_s);
    const int b = school.addStudent(u"初中"_s, u"20240302"_s, u"乙"_s);
    // The second row's update fails after the first was written.
    QVERIFY(school.db().exec(u"CREATE TRIGGER refuse BEFORE UPDATE ON 初中 WHEN NEW.ID = %1 "
                             "BEGIN SELECT RAISE(ABORT, 'refused'); END"_s.arg(b)));
    const QStringList before = school.dump(u"初中"_s);
    const ScoreSaveOutcome out =
        SaveScores(school.db(), u"初中"_s, exam, {row(80.0f, u"1"_s, a), row(90.0f, u"1"_s, b)});
    QVERIFY(!out.ok);
    QVERIFY(out.error.isSet());
    QCOMPARE(out.saved, 0);
    QCOMPARE(school.dump(u"初中"_s), before);
}

void TestEntryRules::saveRefusesABadColumn()
{
    TestSchool school;
    const int a = school.addStudent(u"初中"_s, u"20240301"_s, u"甲"_s);
    const QStringList before = school.dump(u"初中"_s);
    const ScoreSaveOutcome out = SaveScores(school.db(), u"初中"_s, u"x\" = 1; --"_s, {row(80.0f, u"1"_s, a)});
    QVERIFY(!out.ok);
    QCOMPARE(school.dump(u"初中"_s), before);
}

// The class's rows as the window loads them, scores included.
QList<school::ScoreRow> loadScores(db::Connection &c, const QString &exam)
{
    const school::Statement st = school::scoreSheetQuery(u"初中"_s, u"202403"_s, exam);
    QSqlQuery q = c.query(st.sql, st.params);
    QVector<QVector<QVariant>> records;
    while (q.next()) {
        QVector<QVariant> r;
        for (int i = 0; i < q.record().count(); ++i)
            r << q.value(i);
        records << r;
    }
    return school::scoreRowsFrom(records, u"202403"_s, true);
}

// A score stored in single precision (85.3 written as 85.30000305…) shows as 85.3;
// entered again as it shows, the stored value stays as it was.
void TestEntryRules::reenteredScoreKeepsStoredValue()
{
    TestSchool school;
    const QString exam = u"Z25S语文250915"_s;
    const auto [a, b, c, d] = examClass(school, exam);
    const double single = double(85.3f);
    school.setScore(u"初中"_s, a, exam, single);
    school.setScore(u"初中"_s, b, exam, single);
    QList<school::ScoreRow> rows = loadScores(school.db(), exam);
    QCOMPARE(school::gridTexts(rows[0], 1)[school::kColScore], u"85.3"_s);
    rows[0].score = 85.3;
    rows[0].state = u"1"_s;
    rows[1].score = 85.4;
    rows[1].state = u"1"_s;
    QVERIFY(SaveScores(school.db(), u"初中"_s, exam, rows).ok);
    const auto stored = [&](int id) { return school.value(u"SELECT \"%1\" FROM 初中 WHERE ID = ?"_s.arg(exam), {id}); };
    QCOMPARE(stored(a).toDouble(), single);
    QCOMPARE(stored(b).toDouble(), 85.4);
}

void TestEntryRules::twoComputersEnterOneExam_data()
{
    QTest::addColumn<int>("otherRow");   // the student whose score the other computer saved first
    QTest::addColumn<bool>("saved");
    QTest::newRow("another student: both kept") << 1 << true;
    QTest::newRow("the same student: refused") << 0 << false;
}

// Both computers open the exam (甲's score read as the REAL 85.3); the other saves first.
void TestEntryRules::twoComputersEnterOneExam()
{
    QFETCH(int, otherRow);
    QFETCH(bool, saved);
    TestSchool school;
    const QString exam = u"Z25S语文250915"_s;
    const auto [a, b, c, d] = examClass(school, exam);
    school.setScore(u"初中"_s, a, exam, 85.3);
    const auto stored = [&](int id) { return school.value(u"SELECT \"%1\" FROM 初中 WHERE ID = ?"_s.arg(exam), {id}); };
    db::Connection mine(school.dbPath());
    db::Connection theirs(school.dbPath());
    QList<school::ScoreRow> myRows = loadScores(mine, exam);
    QList<school::ScoreRow> otherRows = loadScores(theirs, exam);
    QCOMPARE(myRows.size(), 4);

    otherRows[otherRow].score = 70.0f;
    otherRows[otherRow].state = u"1"_s;
    QVERIFY(SaveScores(theirs, u"初中"_s, exam, otherRows).ok);
    const QStringList afterOther = school.dump(u"初中"_s);

    // This computer corrects 甲 and enters 丙.
    myRows[0].score = 90.0f;
    myRows[0].state = u"1"_s;
    myRows[2].score = 60.0f;
    myRows[2].state = u"1"_s;
    const ScoreSaveOutcome out = SaveScores(mine, u"初中"_s, exam, myRows);
    QCOMPARE(out.ok, saved);
    if (!saved) {
        QCOMPARE(out.error.number, db::kErrRowChanged);
        QVERIFY2(out.error.text.contains(u"甲"_s), qPrintable(out.error.text));
        QVERIFY(!out.error.text.contains(u"丙"_s));
        QCOMPARE(school.dump(u"初中"_s), afterOther);
        return;
    }
    QCOMPARE(out.saved, 2);
    QCOMPARE(stored(a).toDouble(), 90.0);
    QCOMPARE(stored(b).toDouble(), 70.0);   // the other computer's score kept
    QCOMPARE(stored(c).toDouble(), 60.0);
}

QTEST_MAIN(TestEntryRules)
#include "tst_entry_rules.moc"
