// A class's exam totals and the development chart, without widgets.
#include "class_analysis/development_trend.h"
#include "class_analysis/development_trend_chart.h"
#include "school/class_code.h"

#include <QtTest>

using namespace tessaly;
using namespace tessaly::analysis;
using namespace tessaly::chart;
using namespace Qt::StringLiterals;

namespace {

const QString kCode = u"202403"_s;

// A section table's fields: the register columns, then these run-time columns.
QStringList fieldsWith(const QStringList &runTime)
{
    return school::registerColumns() + runTime;
}

// One row per student as readClassScores reads it: number, name and the totalled
// columns' values (the run-time columns' values, by position) as stored scores.
QVector<school::StudentScores> rowsOf(const QStringList &fields, const QList<QVariantList> &values)
{
    const int first = school::kRegisterColumnCount;
    const QStringList columns = totalledColumns(fields);
    QVector<school::StudentScores> rows;
    for (int i = 0; i < values.size(); ++i) {
        school::StudentScores row{u"2024030%1"_s.arg(i + 1), u"生%1"_s.arg(i + 1), {}};
        for (const QString &column : columns)
            row.scores << school::storedValue(values[i].value(int(fields.indexOf(column)) - first));
        rows.append(row);
    }
    return rows;
}

// The totals of the rows, summed over the totalled columns of the fields.
ClassTotals totalsOf(const QStringList &fields, const QVector<school::StudentScores> &rows)
{
    return classTotals(totalledColumns(fields), rows, kCode);
}

QStringList totalTexts(const ClassTotals &t, int exam)
{
    QStringList out;
    for (const StudentTotals &s : t.students)
        out << totalText(s.totals[exam]);
    return out;
}

QList<int> ranksOf(const ClassTotals &t, int exam)
{
    QList<int> out;
    for (const StudentTotals &s : t.students)
        out << s.ranks[exam];
    return out;
}

const QVariant none;

} // namespace

class TestDevelopmentTrend : public QObject {
    Q_OBJECT
private slots:
    void totalsRanksAndClassRows_data();
    void totalsRanksAndClassRows();
    void examsByDisplayName();
    void studentRows();
    void markerTops_data();
    void markerTops();
    void drawsPointsWithValues();
    void studentWithoutTotalsDrawsNothing();
    void redrawHidesThePreviousPoints();
};

// One exam of three subjects (语文, 数学, 英语 of one mid-term).
void TestDevelopmentTrend::totalsRanksAndClassRows_data()
{
    QTest::addColumn<QList<QVariantList>>("scores");
    QTest::addColumn<QStringList>("totals");
    QTest::addColumn<QList<int>>("ranks");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("average");

    QTest::newRow("ties share a rank, the next skips")
        << QList<QVariantList>{{100, 100, 50}, {90, 80, 80}, {80, 80, 80}} << QStringList{u"250.0"_s, u"250.0"_s, u"240.0"_s}
        << QList<int>{1, 1, 3} << 3 << u"246.67"_s;
    QTest::newRow("no score in any subject: no total, not counted")
        << QList<QVariantList>{{60, 60, 60}, {none, none, none}, {u""_s, none, u""_s}}
        << QStringList{u"180.0"_s, u""_s, u""_s} << QList<int>{1, 0, 0} << 1 << u"180.00"_s;
    QTest::newRow("two of three subjects are summed")
        << QList<QVariantList>{{70, none, 80}, {100, 100, 100}} << QStringList{u"150.0"_s, u"300.0"_s}
        << QList<int>{2, 1} << 2 << u"225.00"_s;
    QTest::newRow("a score of 0 counts")
        << QList<QVariantList>{{0, none, none}, {10, 0, 0}} << QStringList{u"0.0"_s, u"10.0"_s} << QList<int>{2, 1}
        << 2 << u"5.00"_s;
    QTest::newRow("ranked as shown: 178.74 and 178.72 share 178.7")
        << QList<QVariantList>{{178.74, none, none}, {178.72, none, none}, {178.76, none, none}}
        << QStringList{u"178.7"_s, u"178.7"_s, u"178.8"_s} << QList<int>{2, 2, 1} << 3 << u"178.74"_s;
    QTest::newRow("stored numbers and texts that read as numbers add alike; other texts are no score")
        << QList<QVariantList>{{qlonglong(80), u" 85.5 "_s, 4.25}, {u"缺考"_s, 90.0, none}}
        << QStringList{u"169.8"_s, u"90.0"_s} << QList<int>{1, 2} << 2 << u"129.88"_s;
    QTest::newRow("nobody took it") << QList<QVariantList>{{none, none, none}, {none, none, none}}
                                    << QStringList{u""_s, u""_s} << QList<int>{0, 0} << 0 << u""_s;
    QTest::newRow("a class without students") << QList<QVariantList>{} << QStringList{} << QList<int>{} << 0 << u""_s;
}

void TestDevelopmentTrend::totalsRanksAndClassRows()
{
    QFETCH(QList<QVariantList>, scores);
    const QStringList fields = fieldsWith({u"Z25S语文250915"_s, u"Z25S数学250915"_s, u"Z25S英语250915"_s});
    const ClassTotals t = totalsOf(fields, rowsOf(fields, scores));
    QCOMPARE(t.exams, QStringList{u"25-26上期中成绩"_s});
    QTEST(totalTexts(t, 0), "totals");
    QTEST(ranksOf(t, 0), "ranks");
    QTEST(t.participants.value(0), "count");
    QTEST(averageText(t.averages.value(0)), "average");
}

void TestDevelopmentTrend::examsByDisplayName()
{
    // Column order decides; equal display names share a column; the register
    // columns before the scanned ones and names without M, Z, C or R are no exams.
    const QStringList fields =
        fieldsWith({u"M25S语文260115"_s, u"Z25S语文250915"_s, u"评语"_s, u"C一单元语文251001"_s,
                    u"M25S数学260115"_s, u"R语文240901"_s, u"Z25X语文260420"_s});
    const QVector<school::StudentScores> rows = rowsOf(fields, {{50, 90, u"好"_s, 20, 45.5, 88, none}});
    const ClassTotals t = totalsOf(fields, rows);
    QCOMPARE(t.exams, (QStringList{u"25-26上期末成绩"_s, u"25-26上期中成绩"_s, u"一单元语文成绩"_s,
                                   u"入学成绩"_s, u"25-26下期中成绩"_s}));
    QCOMPARE(totalTexts(t, 0), QStringList{u"95.5"_s});
    QCOMPARE(totalTexts(t, 1), QStringList{u"90.0"_s});
    QCOMPARE(totalTexts(t, 2), QStringList{u"20.0"_s});
    QCOMPARE(totalTexts(t, 3), QStringList{u"88.0"_s});
    QCOMPARE(totalTexts(t, 4), QStringList{u""_s});
    QCOMPARE(examHeader(t.exams[1]), u"25-26上期中"_s);
}

void TestDevelopmentTrend::studentRows()
{
    const QStringList fields = fieldsWith({u"Z25S语文250915"_s});
    QVector<school::StudentScores> rows = rowsOf(fields, {{80}, {70}});
    rows[1].studentNumber = QString();   // an empty 学籍号
    const ClassTotals t = totalsOf(fields, rows);
    QCOMPARE(t.students[0].shownId, u"20240301"_s);
    QCOMPARE(t.students[0].name, u"生1"_s);
    QCOMPARE(t.students[1].shownId, QString());
    QCOMPARE(countText(0), QString());
}

void TestDevelopmentTrend::markerTops_data()
{
    QTest::addColumn<double>("participants");
    QTest::addColumn<double>("rank");
    QTest::addColumn<int>("rankTop");
    QTest::newRow("first of 40") << 40.0 << 1.0 << 439;
    QTest::newRow("last of 40") << 40.0 << 40.0 << 1960;
    QTest::newRow("first of 48: 32.5 rounds to 32") << 48.0 << 1.0 << 456;
    QTest::newRow("the class row: rank equals participants") << 3.0 << 3.0 << 1960;
}

void TestDevelopmentTrend::markerTops()
{
    QFETCH(double, participants);
    QFETCH(double, rank);
    QTEST(rankMarkerTop(participants, rank), "rankTop");
    QCOMPARE(totalMarkerTop(246.67, 246.67), 1130);
    QCOMPARE(totalMarkerTop(0, 246.67), 1990);
    QCOMPARE(totalMarkerTop(500, 250), 270);
    QCOMPARE(totalMarkerTop(0, 0), 1130);
}

void TestDevelopmentTrend::drawsPointsWithValues()
{
    ChartFrame f = designDevelopmentChart();
    // No total in the second of three exams: markers at 0 and 2, one segment pair 0 → 2.
    drawDevelopmentTrend(f, u"张三"_s,
                         {{u"25-26上期中成绩"_s, u"40"_s, u"1"_s, u"250.0"_s, u"246.67"_s},
                          {u"25-26上期末成绩"_s, u"38"_s, u""_s, u""_s, u"200.00"_s},
                          {u"入学成绩"_s, u"40"_s, u"40"_s, u"123.4"_s, u"123.40"_s}});
    QCOMPARE(f.findLabel(u"Label7"_s, 11)->caption, u"张三"_s);
    const LabelElement *first = f.findLabel(u"Label1"_s, 0);
    QVERIFY(first->visible);
    QCOMPARE(first->top, 439);
    QCOMPARE(first->left, 310);
    QCOMPARE(first->toolTip, u"25-26上期中成绩:总分平均(246.67) 40人参考 本生总分(250.0) 排第(1)名"_s);
    QVERIFY(!f.findLabel(u"Label1"_s, 1)->visible);
    QVERIFY(!f.findShape(u"Shape2"_s, 1)->visible);
    QCOMPARE(f.findLine(u"Line3"_s, 1)->width, 1);
    QCOMPARE(f.findLine(u"Line3"_s, 2)->width, 2);
    // D = 7080 / 2: the last point at 7440, its total on the average line.
    const ShapeElement *last = f.findShape(u"Shape2"_s, 2);
    QCOMPARE(last->left, 7440 - 30);
    QCOMPARE(last->top, 1130);
    QCOMPARE(f.findLabel(u"Label1"_s, 2)->top, 1960);
    QVERIFY(!f.findLine(u"Line4"_s, 0)->visible);
    QVERIFY(!f.findLine(u"Line5"_s, 0)->visible);
    const LineElement *rankSegment = f.findLine(u"Line5"_s, 1);
    QVERIFY(rankSegment->visible);
    QCOMPARE(QLine(rankSegment->x1, rankSegment->y1, rankSegment->x2, rankSegment->y2), QLine(360, 469, 7440, 1990));
    const LineElement *totalSegment = f.findLine(u"Line4"_s, 1);
    QVERIFY(totalSegment->visible);
    QCOMPARE(totalSegment->y2, 1160);
    // The tags follow the last drawn point.
    QCOMPARE(f.findLabel(u"Label7"_s, 12)->left, 7500);
    QCOMPARE(f.findLabel(u"Label7"_s, 15)->top, 1070);
    QCOMPARE(f.findLabel(u"Label4"_s, 16)->caption, u"2"_s);
    QCOMPARE(f.findLabel(u"Label4"_s, 17)->caption, u"3"_s);
    QVERIFY(!f.findLabel(u"Label4"_s, 18)->visible);
}

void TestDevelopmentTrend::studentWithoutTotalsDrawsNothing()
{
    ChartFrame f = designDevelopmentChart();
    QList<TrendPointCells> points;
    for (int k = 0; k < 13; ++k)
        points.append({u"第%1次成绩"_s.arg(k), u""_s, u""_s, u""_s, u""_s});
    QList<TrendPointCells> before = points;
    before[3] = {u"第3次成绩"_s, u"10"_s, u"2"_s, u"80.0"_s, u"70.00"_s};
    drawDevelopmentTrend(f, u"甲"_s, before);
    QCOMPARE(f.findLabel(u"Label7"_s, 12)->left, 360 + 3 * 590 + 60);
    drawDevelopmentTrend(f, u"赵六"_s, points);
    for (int k = 0; k < kTrendPoints; ++k) {
        QVERIFY(!f.findLabel(u"Label1"_s, k)->visible);
        QVERIFY(!f.findShape(u"Shape2"_s, k)->visible);
        QVERIFY(!f.findLine(u"Line4"_s, k)->visible);
        QCOMPARE(f.findLine(u"Line3"_s, k)->width, 1);
        QCOMPARE(f.findLine(u"Line3"_s, k)->visible, k < 13);
    }
    // Exam numbers still shown: 3, 5, …, 13 for 13 exams.
    QStringList numbers;
    for (int i = 16; i <= 27; ++i)
        if (f.findLabel(u"Label4"_s, i)->visible)
            numbers << f.findLabel(u"Label4"_s, i)->caption;
    QCOMPARE(numbers, (QStringList{u"3"_s, u"5"_s, u"7"_s, u"9"_s, u"11"_s, u"13"_s}));
    // The curve tags go back to their places instead of labelling the previous student's curve.
    QCOMPARE(QPoint(f.findLabel(u"Label7"_s, 12)->left, f.findLabel(u"Label7"_s, 12)->top), QPoint(7485, 960));
    QCOMPARE(QPoint(f.findLabel(u"Label7"_s, 15)->left, f.findLabel(u"Label7"_s, 15)->top), QPoint(7485, 1250));
}

void TestDevelopmentTrend::redrawHidesThePreviousPoints()
{
    ChartFrame f = designDevelopmentChart();
    QList<TrendPointCells> points;
    for (int k = 0; k < 20; ++k)
        points.append({u"第%1次成绩"_s.arg(k), u"10"_s, u"2"_s, u"80.0"_s, u"70.00"_s});
    drawDevelopmentTrend(f, u"甲"_s, points);
    QVERIFY(f.findLine(u"Line4"_s, 18)->visible);
    drawDevelopmentTrend(f, u"乙"_s, points.mid(0, 1));
    QVERIFY(f.findLabel(u"Label1"_s, 0)->visible);
    // The tags stand beside the one drawn point.
    QCOMPARE(f.findLabel(u"Label7"_s, 12)->left, 420);
    QCOMPARE(f.findLabel(u"Label7"_s, 15)->left, 420);
    QCOMPARE(f.findLine(u"Line3"_s, 0)->width, 2);
    for (int k = 1; k < kTrendPoints; ++k) {
        QVERIFY(!f.findLabel(u"Label1"_s, k)->visible);
        QVERIFY(!f.findLine(u"Line3"_s, k)->visible);
        QVERIFY(!f.findLine(u"Line4"_s, k - 1)->visible);
        QVERIFY(!f.findLine(u"Line5"_s, k - 1)->visible);
    }
    for (int i = 16; i <= 27; ++i)
        QVERIFY(!f.findLabel(u"Label4"_s, i)->visible);
}

QTEST_MAIN(TestDevelopmentTrend)
#include "tst_development_trend.moc"
