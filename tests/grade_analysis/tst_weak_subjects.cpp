// The weak-subject rules without widgets: the score matrix, the subject-count
// check, the analysis cells and text, ranks, the bars and the key students.
#include "grade_analysis/key_students.h"
#include "grade_analysis/subject_statistics.h"
#include "grade_analysis/weak_subjects.h"

#include <QtTest>

using namespace tessaly;
using namespace tessaly::grades;
using namespace Qt::StringLiterals;

namespace {

using Scores = QVector<std::optional<float>>;
constexpr std::nullopt_t none = std::nullopt;

SubjectScores subject(const QString &name, const Scores &scores)
{
    return summariseSubject({u"Z25S"_s + name + u"250915"_s, name}, scores);
}

} // namespace

class TestWeakSubjects : public QObject {
    Q_OBJECT
private slots:
    void matrixKeepsPresence_data();
    void matrixKeepsPresence();
    void subjectsOfAnExam();
    void subjectCount_data();
    void subjectCount();
    void weakThreshold_data();
    void weakThreshold();
    void analysisCellsAndText();
    void ranksCompareAsShown();
    void scoresRoundAsInEveryWindow();
    void averageBars();
    void studentBars();
    void keyStudents_data();
    void keyStudents();
    void keyPanelWithoutScore();
};

void TestWeakSubjects::matrixKeepsPresence_data()
{
    QTest::addColumn<Scores>("scores");
    QTest::addColumn<float>("average");
    QTest::addColumn<int>("participants");
    QTest::addColumn<float>("stdDev");
    QTest::addColumn<QString>("caption");
    QTest::newRow("60, 80, none") << Scores{60.f, 80.f, none} << 70.f << 2 << 10.f << u"(共3人,2人参考)"_s;
    // A stored 0 is a score: in the mean, the participants and the deviation.
    QTest::newRow("stored 0 beside none") << Scores{0.f, 80.f, none} << 40.f << 2 << 40.f << u"(共3人,2人参考)"_s;
    QTest::newRow("one participant") << Scores{none, 77.5f} << 77.5f << 1 << 0.f << u"(共2人,1人参考)"_s;
    QTest::newRow("nobody") << Scores{none, none} << 0.f << 0 << 0.f << u"(共2人,没有成绩)"_s;
    // A class past 97 students fits.
    Scores big(120, 50.f);
    big[119] = 170.f;
    QTest::newRow("120 students") << big << 51.f << 120 << float(std::sqrt(119.0))
                                  << u"(共120人,120人参考)"_s;
}

void TestWeakSubjects::matrixKeepsPresence()
{
    QFETCH(Scores, scores);
    const SubjectScores s = subject(u"语文"_s, scores);
    QTEST(s.average, "average");
    QTEST(s.participants, "participants");
    QFETCH(float, stdDev);
    QVERIFY2(std::fabs(s.stdDev - stdDev) < 1e-3f, qPrintable(QString::number(s.stdDev)));
    QTEST(participantText(int(scores.size()), s.participants), "caption");
}

void TestWeakSubjects::subjectsOfAnExam()
{
    QCOMPARE(subjectOfListItem(u"语文(共45人,43人参考)"_s), u"语文"_s);
}

void TestWeakSubjects::subjectCount_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("go");
    QTest::addColumn<QString>("analysis");
    QTest::addColumn<QString>("student");
    const QString none0 = u"你还没有在(已有的考试)中选出哪些考试科目需要分析。"_s;
    const QString one = u"只选择一次考试进行分析，是看不出什么结果的。继续吗？"_s;
    QTest::newRow("0") << 0 << false << none0 << none0;
    QTest::newRow("1") << 1 << true << one << one;
    QTest::newRow("15") << 15 << true << QString() << QString();
    QTest::newRow("16") << 16 << false << u"本程序最多不能超过15科考试。"_s << u"本程序最大分析次数不能超过15科考试。"_s;
}

void TestWeakSubjects::subjectCount()
{
    QFETCH(int, count);
    const SubjectCountCheck a = checkSubjectCount(count, OverLimitText::Analysis);
    const SubjectCountCheck s = checkSubjectCount(count, OverLimitText::Student);
    QTEST(a.go, "go");
    QTEST(s.go, "go");
    QTEST(a.message, "analysis");
    QTEST(s.message, "student");
}

void TestWeakSubjects::weakThreshold_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("weak");
    QTest::newRow("-0.30") << u"-0.30"_s << false;
    QTest::newRow("-0.31") << u"-0.31"_s << true;
    QTest::newRow("-2.00") << u"-2.00"_s << true;
    QTest::newRow("0.00") << u"0.00"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void TestWeakSubjects::weakThreshold()
{
    QFETCH(QString, shown);
    QTEST(isWeakStandardScore(shown), "weak");
}

void TestWeakSubjects::analysisCellsAndText()
{
    // 语文: z -0.30 and -0.31 around the threshold; 数学 all equal (deviation 0);
    // 英语 unticked; 物理 with nobody.
    const QVector<SubjectScores> m = {
        subject(u"语文"_s, {60.4f, 60.3f, none, 88.f, 50.f}),
        subject(u"英语"_s, {1.f, 2.f, 3.f, 4.f, 5.f}),
        subject(u"数学"_s, {90.f, 90.f, none, 90.f, 0.f}),
        subject(u"物理"_s, {none, none, none, none, none}),
    };
    const QStringList names = {u"张三"_s, u"李四"_s, u"王五"_s, u"赵六"_s, u"钱七"_s};
    const WeakAnalysis a = analyseWeakSubjects(m, {0, 2, 3}, names);
    QCOMPARE(a.headers, QStringList({u"语文"_s, u"数学"_s, u"物理"_s}));
    const auto z = [&](int r) { return a.students[r].standard; };
    QVERIFY(std::fabs(m[0].stdDev - 14.114f) < 0.001f);
    QCOMPARE(a.students[0].raw, QStringList({u"60.4"_s, u"90.0"_s, QString()}));
    QCOMPARE(z(0).at(0), u"-0.30"_s);
    QCOMPARE(z(1).at(0), u"-0.31"_s);
    // 数学: 90, 90, 90 and a stored 0 are four participants; the 0 is a score with its own cells.
    QCOMPARE(m[2].participants, 4);
    QCOMPARE(a.students[4].raw.at(1), u"0.0"_s);
    QCOMPARE(z(4).at(1), u"-1.73"_s);
    QCOMPARE(z(0).at(1), u"0.58"_s);
    // 王五 has only a missing 语文 and 数学: no cells, no totals, no ranks.
    QCOMPARE(a.students[2].raw, QStringList({QString(), QString(), QString()}));
    QCOMPARE(a.students[2].rawTotal, QString());
    QCOMPARE(a.students[2].rawRank, QString());
    QCOMPARE(a.students[0].rawTotal, u"150.4"_s);
    QCOMPARE(a.students[0].standardTotal, u"0.28"_s);
    QCOMPARE(a.averageCells, QStringList({u"64.7"_s, u"67.5"_s, u"0.0"_s}));
    QCOMPARE(a.statistics, u"     薄弱学科统计\r\n"
                           "\r\n科目:语文\r\n………………………\r\n李四(-0.31)\r\n钱七(-1.04)\r\n"
                           "\r\n科目:数学\r\n………………………\r\n钱七(-1.73)\r\n"
                           "\r\n科目:物理\r\n………………………\r\n"_s);

    // A subject whose scores are all equal has deviation 0: every z is "0.00".
    const QVector<SubjectScores> flat = {subject(u"语文"_s, {88.f, 88.f, none}), subject(u"数学"_s, {none, 75.f, none})};
    const WeakAnalysis b = analyseWeakSubjects(flat, {0, 1}, names.mid(0, 3));
    QCOMPARE(b.students[0].standard, QStringList({u"0.00"_s, QString()}));
    QCOMPARE(b.students[1].standard, QStringList({u"0.00"_s, u"0.00"_s}));
    QCOMPARE(b.students[1].standardTotal, u"0.00"_s);
    QCOMPARE(b.students[1].standardRank, u"1"_s);
    QCOMPARE(b.standardSums, QStringList({u"0.00"_s, u"0.00"_s}));
}

void TestWeakSubjects::ranksCompareAsShown()
{
    QCOMPARE(ranksOfShown({u"250.0"_s, u"250.0"_s, QString(), u"240.0"_s, u"251.5"_s}),
             QStringList({u"2"_s, u"2"_s, QString(), u"4"_s, u"1"_s}));
    // Totals that differ only below the shown decimals share a rank.
    const QVector<SubjectScores> m = {subject(u"语文"_s, {80.04f, 80.f, 79.96f})};
    const WeakAnalysis a = analyseWeakSubjects(m, {0, 0}, {u"甲"_s, u"乙"_s, u"丙"_s});
    QCOMPARE(a.students[0].rawRank, u"1"_s);
    QCOMPARE(a.students[1].rawRank, u"1"_s);
    QCOMPARE(a.students[2].rawRank, u"1"_s);
}

// A stored 72.45 (single precision 72.4499969…) shows 72.5, as 成绩对比分析 shows
// it (formatScore); so do the totals made of it.
void TestWeakSubjects::scoresRoundAsInEveryWindow()
{
    const QVector<SubjectScores> m = {subject(u"语文"_s, {72.45f, 88.f}), subject(u"数学"_s, {60.f, 59.45f})};
    const WeakAnalysis a = analyseWeakSubjects(m, {0, 1}, {u"甲"_s, u"乙"_s});
    QCOMPARE(a.students[0].raw.at(0), formatScore(72.45f, 1));
    QCOMPARE(a.students[0].raw.at(0), u"72.5"_s);
    QCOMPARE(a.students[1].raw.at(1), u"59.5"_s);
    QCOMPARE(a.students[0].rawTotal, u"132.5"_s);
    QCOMPARE(a.averageCells.at(0), u"80.2"_s);   // 80.22499…: 80.225 to seven digits
}

void TestWeakSubjects::averageBars()
{
    chart::ChartFrame f = designAverageChart();
    const QVector<SubjectScores> m = {subject(u"语文"_s, {75.4f}), subject(u"数学"_s, {88.6f}),
                                      subject(u"英语"_s, {none})};
    drawAverageBars(f, m, {0, 1, 2}, u"三班"_s, 1);
    QCOMPARE(f.findLabel(u"Label4"_s, 1)->height, 1885);
    QCOMPARE(f.findLabel(u"Label4"_s, 2)->height, 2215);
    QCOMPARE(f.findLabel(u"Label4"_s, 2)->top, 2880 - 2215);
    QCOMPARE(f.findLabel(u"Label4"_s, 3)->height, 0);
    QCOMPARE(f.findLabel(u"Label8"_s, 0)->caption, u"75.40分"_s);
    QCOMPARE(f.findLabel(u"Label8"_s, 2)->caption, u"英语无成绩"_s);
    QCOMPARE(f.findLabel(u"Label4"_s, 1)->toolTip, u"三班1人 参考1人 平均75.40分"_s);

    QVector<SubjectScores> fifteen;
    QVector<int> all;
    for (int k = 0; k < 15; ++k) {
        fifteen << subject(u"科%1"_s.arg(k), {60.f + k});
        all << k;
    }
    drawAverageBars(f, fifteen, all, u"三班"_s, 1);
    QCOMPARE(barStep(15), 243);
    QCOMPARE(f.findLabel(u"Label4"_s, 15)->width, 283);
    QCOMPARE(f.findLabel(u"Label4"_s, 15)->left, 240 + 14 * 243);
    QCOMPARE(f.findLabel(u"Label8"_s, 14)->caption, u"74.00"_s);
    // Fewer subjects afterwards hide the rest.
    drawAverageBars(f, fifteen, {3, 5}, u"三班"_s, 1);
    QVERIFY(!f.findLabel(u"Label4"_s, 3)->visible);
    QCOMPARE(f.findLabel(u"Label4"_s, 2)->caption, u"科5"_s);
}

void TestWeakSubjects::studentBars()
{
    // Ties share a subject rank; a missing score is drawn as 0 and ranked after every score.
    const QVector<SubjectScores> m = {subject(u"语文"_s, {85.f, 90.f, 90.f, none}),
                                      subject(u"数学"_s, {100.5f, 98.f, 0.001f, none})};
    QCOMPARE(studentBarTip(u"三班"_s, 4, m[0], m[0].scores[0]), u"三班4人 参考3人 语文平均88.33分 得85分全班第3名"_s);
    QCOMPARE(studentBarTip(u"三班"_s, 4, m[0], m[0].scores[2]), u"三班4人 参考3人 语文平均88.33分 得90分全班第1名"_s);
    QCOMPARE(studentBarTip(u"三班"_s, 4, m[0], none), u"三班4人 参考3人 语文平均88.33分 得0分全班第4名"_s);
    QCOMPARE(subjectRank(m[1], 98.f), 2);

    chart::ChartFrame f = designStudentChart();
    drawStudentBars(f, m, {0, 1}, 3, u"20240304 王五"_s, QString(), u"三班"_s);
    QCOMPARE(f.findLabel(u"Label7"_s, 6)->caption, u"王五"_s);
    QCOMPARE(f.findLabel(u"Label7"_s, 20)->caption, u"王五 全班第()名"_s);
    QCOMPARE(f.findLabel(u"Label9"_s, 1)->height, 0);
    QCOMPARE(f.findLabel(u"Label8"_s, 15)->caption, u"语文无成绩"_s);
    // A tiny average: the bar stays inside the chart.
    const QVector<SubjectScores> tiny = {subject(u"数学"_s, {0.001f, 0.f, 0.f, 90.f}),
                                         subject(u"语文"_s, {0.01f, none})};
    drawStudentBars(f, tiny, {1, 0}, 0, u"20240301 张三"_s, u"1"_s, u"三班"_s);
    const chart::LabelElement *bar = f.findLabel(u"Label9"_s, 1);
    QCOMPARE(bar->height, 970);
    QCOMPARE(bar->width, 1825 + 40);
    QCOMPARE(f.findLabel(u"Label8"_s, 15)->caption, u"0.0分"_s);
    drawStudentBars(f, tiny, {0}, 3, u"20240304 王五"_s, u"1"_s, u"三班"_s);
    QCOMPARE(f.findLabel(u"Label9"_s, 1)->height, 2880);
    QCOMPARE(f.findLabel(u"Label9"_s, 1)->top, 0);
    QVERIFY(!f.findLabel(u"Label9"_s, 2)->visible);
    QCOMPARE(nameOfStudentLabel(u"20240301"_s), u"20240"_s);
}

void TestWeakSubjects::keyStudents_data()
{
    QTest::addColumn<QStringList>("ranks");
    QTest::addColumn<int>("start");
    QTest::addColumn<QStringList>("panels");   // the ranks shown, in panel order
    QTest::addColumn<QString>("rangeLine");
    QStringList distinct;
    for (int r = 45; r >= 1; --r)
        distinct << QString::number(r);
    QStringList ten;
    for (int r = 1; r <= 10; ++r)
        ten << QString::number(r);
    QTest::newRow("start 1") << distinct << 1 << ten << QString();
    QTest::newRow("start 40") << distinct << 40 << QStringList({u"40"_s, u"41"_s, u"42"_s, u"43"_s, u"44"_s, u"45"_s})
                              << u"显示三班40—45名"_s;
    QTest::newRow("start 0") << distinct << 0 << ten.mid(0, 9) << u"显示三班0—8名"_s;
    QStringList tie = distinct;
    tie[tie.indexOf(u"4"_s)] = u"3"_s;
    tie.append(QString());   // a student without a total
    QStringList tied = {u"1"_s, u"2"_s, u"3"_s, u"3"_s, u"5"_s, u"6"_s, u"7"_s, u"8"_s, u"9"_s, u"10"_s};
    QTest::newRow("tie at 3") << tie << 1 << tied << QString();
    QTest::newRow("beyond") << distinct << 50 << QStringList() << u"显示三班50—49名"_s;
    QTest::newRow("large start") << distinct << 9999 << QStringList() << u"显示三班9999—9998名"_s;
}

void TestWeakSubjects::keyStudents()
{
    QFETCH(QStringList, ranks);
    QFETCH(int, start);
    const KeyStudentPick pick = pickKeyStudents(ranks, start, u"三班"_s);
    QStringList shown;
    for (int s : pick.students)
        shown << ranks[s];
    QTEST(shown, "panels");
    QTEST(pick.rangeLine, "rangeLine");
    if (start == 1 && ranks.contains(QString())) {
        // Equal ranks come in class order.
        QVERIFY(pick.students[2] < pick.students[3]);
    }
}

void TestWeakSubjects::keyPanelWithoutScore()
{
    chart::ChartFrame sheet = designKeySheet();
    QVERIFY(!sheet.findShape(u"Frame5"_s, 0)->visible);
    const QVector<SubjectScores> m = {subject(u"语文"_s, {85.f, none}), subject(u"数学"_s, {90.f, 70.f})};
    fillKeyPanel(sheet, 3, {1, u"李四"_s, u"2"_s}, m, {0, 1}, u"三班"_s);
    QVERIFY(sheet.findShape(u"Frame5"_s, 3)->visible);
    QCOMPARE(sheet.findShape(u"Frame5"_s, 3)->left, 6120);
    QCOMPARE(sheet.findShape(u"Frame5"_s, 3)->top, 4560);
    QCOMPARE(sheet.findLabel(u"Frame5"_s, 3)->caption, u"第2名(李四)"_s);
    QCOMPARE(sheet.findLabel(u"nam"_s, 3)->caption, u"李四 全班第(2)名"_s);
    const chart::LabelElement *chinese = sheet.findLabel(u"hai1"_s, 45);
    QCOMPARE(chinese->height, 0);
    QCOMPARE(chinese->toolTip, u"三班2人 参考1人 语文平均85.00分 得0分全班第2名"_s);
    QCOMPARE(sheet.findLabel(u"fen"_s, 45)->caption, u"语文无成绩"_s);
    const chart::LabelElement *maths = sheet.findLabel(u"hai1"_s, 46);
    QCOMPARE(maths->height, 12 * 70);   // 970 / 80 -> 12
    QCOMPARE(maths->left, 6120 + 360 + 1825);
    QCOMPARE(sheet.findLabel(u"fen"_s, 46)->caption, u"70.0分"_s);
    QVERIFY(!sheet.findLabel(u"hai1"_s, 47)->visible);
    QVERIFY(!sheet.findShape(u"Frame5"_s, 2)->visible);
}

QTEST_GUILESS_MAIN(TestWeakSubjects)
#include "tst_weak_subjects.moc"
