// One subject over many exams, without widgets: the score matrix gathered from
// the class's rows, and the elements of the class-average and student trend charts.
#include "class_analysis/subject_trend.h"
#include "class_analysis/subject_trend_charts.h"
#include "fixtures/chart_elements.h"
#include "fixtures/test_school.h"
#include "school/class_code.h"
#include "school/score_sheet.h"

#include <QtTest>

using namespace tessaly;
using namespace tessaly::analysis;
using namespace tessaly::chart;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kCode = u"202403"_s;

// One record per student: number, name, then a score per exam (an invalid
// QVariant: none).
QVector<school::StudentScores> recordsOf(const QList<QPair<QString, QString>> &students, const QList<QVariantList> &scores)
{
    QVector<school::StudentScores> records;
    for (int i = 0; i < students.size(); ++i) {
        school::StudentScores r{students[i].first, students[i].second, {}};
        for (const QVariant &v : scores.value(i))
            r.scores << (v.isValid() ? std::optional<double>(v.toDouble()) : std::nullopt);
        records << r;
    }
    return records;
}

// A matrix of equal-sized columns; `averages` and participants computed from the scores.
ScoreMatrix matrixOf(const QList<QList<float>> &examScores)
{
    const int n = int(examScores.value(0).size());
    ScoreMatrix m(n, int(examScores.size()));
    for (int j = 0; j < examScores.size(); ++j) {
        float sum = 0;
        int p = 0;
        for (int r = 0; r < n; ++r) {
            const float s = examScores[j][r];
            m.setCell(r + 1, j + 1, s);
            if (s != kNoScore) {
                sum += s;
                ++p;
            }
        }
        m.setCell(n + 1, j + 1, p ? sum / float(p) : 0);
        m.setCell(n + 2, j + 1, float(p));
    }
    return m;
}

// Z exams whose class averages are 60, 61, 62, …, for a class of two.
ScoreMatrix exams(int z)
{
    QList<QList<float>> scores;
    for (int j = 0; j < z; ++j)
        scores << QList<float>{float(60 + j), float(60 + j)};
    return matrixOf(scores);
}

QList<int> firstN(int z)
{
    QList<int> l;
    for (int i = 0; i < z; ++i)
        l << i;
    return l;
}

QStringList namesOf(int z)
{
    QStringList l;
    for (int i = 0; i < z; ++i)
        l << u"考试%1"_s.arg(i + 1);
    return l;
}

// The visible number labels of slots first .. first + 11, as "number@left".
QStringList numbers(const ChartFrame &f, int first)
{
    QStringList out;
    for (int i = first; i < first + 12; ++i) {
        const LabelElement &l = label(f, "Label4", i);
        if (l.visible)
            out << u"%1@%2"_s.arg(l.caption).arg(l.left);
    }
    return out;
}

// The x of the class chart's visible nodes (marker Left + 50).
QList<int> classNodes(const ChartFrame &f)
{
    QList<int> xs;
    for (int i = 65; i <= 129; ++i) {
        const LabelElement &m = label(f, "Label1", i);
        if (m.visible)
            xs << m.left + 50;
    }
    return xs;
}

} // namespace

class TestSubjectTrend : public QObject {
    Q_OBJECT
private slots:
    void matrixOfAClass();
    void readStoredValues_data();
    void readStoredValues();
    void readRefused();
    void studentEntries();
    void rankSkipsMissingAndShares();
    void numbersUnderTheAxis_data();
    void numbersUnderTheAxis();
    void spacing_data();
    void spacing();
    void classTrendOfTickedExams();
    void classTrendHeights_data();
    void classTrendHeights();
    void classTrendOfDifferentFullMarks_data();
    void classTrendOfDifferentFullMarks();
    void fewerExamsHideTheRest();
    void studentScalesAndTooltip();
    void studentGapsAreBridged_data();
    void studentGapsAreBridged();
    void studentWithoutAnyScore();
    void studentOfAnAllZeroExam();
    void curveTagsKeepTheirTexts_data();
    void curveTagsKeepTheirTexts();
};

void TestSubjectTrend::matrixOfAClass()
{
    // 语文: 期中 (one missing), a quiz nobody sat, 期末 (a 0 among them).
    const QStringList exams{u"Z25S语文250915"_s, u"C一单元语文251001"_s, u"M25X语文260628"_s};
    const auto records = recordsOf({{u"20240301"_s, u"张三"_s}, {u"20240302"_s, u"李四"_s}, {u"20240303"_s, u"王五"_s}},
                                   {{80, QVariant(), 0}, {QVariant(), QVariant(), 60}, {91, QVariant(), 90}});
    const SubjectScores s = gatherSubjectScores(exams, records, kCode);
    QCOMPARE(s.exams, (QStringList{u"Z25S语文250915"_s, u"M25X语文260628"_s}));
    const ScoreMatrix &m = s.matrix;
    QCOMPARE(m.students(), 3);
    QCOMPARE(m.exams(), 2);
    // Column 1: the missing score is -1; average of the two present, 2 participants.
    QCOMPARE(m.cell(1, 1), 80.0f);
    QCOMPARE(m.cell(2, 1), -1.0f);
    QCOMPARE(m.cell(3, 1), 91.0f);
    QCOMPARE(m.cell(4, 1), 85.5f);
    QCOMPARE(m.cell(5, 1), 2.0f);
    // Column 2 is the final, not the unscored quiz: the 0 is a participant and lowers the average.
    QCOMPARE(m.cell(1, 2), 0.0f);
    QCOMPARE(m.average(1), 50.0f);
    QCOMPARE(m.participants(1), 3);
}

void TestSubjectTrend::readStoredValues_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<float>("cell");
    QTest::newRow("number") << QVariant(88.5) << 88.5f;
    QTest::newRow("zero") << QVariant(0) << 0.0f;
    QTest::newRow("null") << QVariant() << kNoScore;
    QTest::newRow("numeric text") << QVariant(u"85"_s) << 85.0f;
    QTest::newRow("absent") << QVariant(u"缺考"_s) << kNoScore;
    QTest::newRow("empty text") << QVariant(u""_s) << kNoScore;
}

void TestSubjectTrend::readStoredValues()
{
    QFETCH(QVariant, stored);
    QFETCH(float, cell);
    TestSchool school;
    for (const QString &c : {u"Z25S语文250915"_s, u"Z25S数学250915"_s, u"M25X语文260628"_s})
        school.addExamColumn(u"初中"_s, c);
    const int li = school.addStudent(u"初中"_s, u"20240302"_s, u"李四"_s);
    const int zhang = school.addStudent(u"初中"_s, u"20240301"_s, QString());
    const int other = school.addStudent(u"初中"_s, u"20240401"_s, u"王五"_s);
    school.setScore(u"初中"_s, li, u"Z25S语文250915"_s, stored);
    school.setScore(u"初中"_s, zhang, u"Z25S语文250915"_s, 60);
    school.setScore(u"初中"_s, li, u"Z25S数学250915"_s, 99);
    school.setScore(u"初中"_s, other, u"M25X语文260628"_s, 70);
    const school::ClassIdentity identity{.sectionTable = u"初中"_s, .classCode = kCode};
    const std::optional<SubjectScores> s = readSubjectScores(school.db(), identity, u"初一"_s, u"三班"_s, u"语文"_s);
    QVERIFY(s);
    // The class's two students in 学籍号 order; 数学 and the other class's final are not read.
    QCOMPARE(s->students.size(), 2);
    QCOMPARE(studentItemText(s->students[0]), u"20240301"_s);
    QCOMPARE(studentItemText(s->students[1]), u"20240302 李四"_s);
    QCOMPARE(s->exams, QStringList{u"Z25S语文250915"_s});
    QCOMPARE(s->matrix.score(1, 0), cell);
    QCOMPARE(s->matrix.participants(0), cell == kNoScore ? 1 : 2);
}

void TestSubjectTrend::readRefused()
{
    TestSchool school;
    school.addStudent(u"初中"_s, u"20240301"_s, u"张三"_s);
    QVERIFY(school.db().exec(u"drop table \"初中\""_s));
    QVERIFY(!readSubjectScores(school.db(), {.sectionTable = u"初中"_s, .classCode = kCode}, u"初一"_s, u"三班"_s, u"语文"_s));
    QVERIFY(!school.db().error().text.isEmpty());
    // An invalid class reads nothing and is no failure.
    QVERIFY(readSubjectScores(school.db(), {.sectionTable = u"初中"_s, .classCode = u"2024"_s}, u"初一"_s, u"三班"_s, u"语文"_s)->students.isEmpty());
}

void TestSubjectTrend::studentEntries()
{
    const QStringList exams{u"Z25S语文250915"_s};
    QList<QPair<QString, QString>> students;
    QList<QVariantList> scores;
    // A class of 120: the matrix is sized to it.
    for (int i = 0; i < 120; ++i) {
        students.append({u"2024%1"_s.arg(300 + i, 4, 10, QLatin1Char('0')), i == 1 ? QString() : u"学生%1"_s.arg(i)});
        scores << QVariantList{i};
    }
    const SubjectScores s = gatherSubjectScores(exams, recordsOf(students, scores), kCode);
    QCOMPARE(s.students.size(), 120);
    QCOMPARE(s.matrix.participants(0), 120);
    QCOMPARE(s.matrix.score(119, 0), 119.0f);
    QCOMPARE(s.matrix.average(0), 59.5f);
    QCOMPARE(studentItemText(s.students[0]), u"20240300 学生0"_s);
    QCOMPARE(studentItemText(s.students[1]), u"20240301"_s);   // no name: no trailing blank
    QCOMPARE(nameOfStudentItem(u"20240300 欧阳小明明明"_s), u"欧阳小明明"_s);
    QCOMPARE(nameOfStudentItem(u"20240301"_s), QString());
    // No exam of the subject: nothing listed.
    QVERIFY(gatherSubjectScores({}, recordsOf(students, {}), kCode).exams.isEmpty());
}

void TestSubjectTrend::rankSkipsMissingAndShares()
{
    const ScoreMatrix m = matrixOf({{90, 95, 95, kNoScore, 80}});
    QCOMPARE(m.rankOf(1, 0), 1);
    QCOMPARE(m.rankOf(2, 0), 1);
    QCOMPARE(m.rankOf(0, 0), 3);
    QCOMPARE(m.rankOf(4, 0), 4);
}

void TestSubjectTrend::numbersUnderTheAxis_data()
{
    QTest::addColumn<int>("z");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("12") << 12 << QStringList{u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"7"_s, u"8"_s, u"9"_s, u"10"_s,
                                             u"11"_s, u"12"_s};
    QTest::newRow("13") << 13 << QStringList{u"3"_s, u"5"_s, u"7"_s, u"9"_s, u"11"_s, u"13"_s};
    QTest::newRow("21") << 21 << QStringList{u"5"_s, u"10"_s, u"15"_s, u"20"_s};
    QTest::newRow("60") << 60 << QStringList{u"5"_s, u"10"_s, u"15"_s, u"20"_s, u"25"_s, u"30"_s, u"35"_s, u"40"_s,
                                             u"45"_s, u"50"_s, u"55"_s, u"60"_s};
}

void TestSubjectTrend::numbersUnderTheAxis()
{
    QFETCH(int, z);
    QFETCH(QStringList, captions);
    const ScoreMatrix m = exams(z);
    const int h = trendStep(z);
    QStringList expected;
    for (const QString &c : captions)
        expected << u"%1@%2"_s.arg(c).arg(360 + (c.toInt() - 1) * h - 120);

    ChartFrame classChart = designClassTrendChart();
    drawClassTrend(classChart, m, firstN(z), namesOf(z));
    QCOMPARE(numbers(classChart, 1), expected);

    ChartFrame studentChart = designStudentTrendChart();
    drawStudentTrend(studentChart, m, 0, u"20240301 张三"_s, firstN(z), namesOf(z));
    QCOMPARE(numbers(studentChart, 16), expected);
}

void TestSubjectTrend::spacing_data()
{
    QTest::addColumn<int>("z");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("lastX");
    QTest::newRow("2") << 2 << 7080 << 7440;
    QTest::newRow("17: 442.5 to even") << 17 << 442 << 7432;
    QTest::newRow("49: 147.5 to even") << 49 << 148 << 7464;
    QTest::newRow("60") << 60 << 120 << 7440;
}

void TestSubjectTrend::spacing()
{
    QFETCH(int, z);
    QFETCH(int, step);
    QFETCH(int, lastX);
    QCOMPARE(trendStep(z), step);
    const ScoreMatrix m = exams(z);

    ChartFrame c = designClassTrendChart();
    drawClassTrend(c, m, firstN(z), namesOf(z));
    const QList<int> nodes = classNodes(c);
    QCOMPARE(nodes.size(), z);
    QCOMPARE(nodes.first(), 360);
    QCOMPARE(nodes.last(), lastX);
    QCOMPARE(line(c, "Line3", 65 + z - 1).x1, lastX);
    QCOMPARE(line(c, "Line4", 64 + z - 1).x2, lastX);

    ChartFrame s = designStudentTrendChart();
    drawStudentTrend(s, m, 0, u"20240301 张三"_s, firstN(z), namesOf(z));
    QCOMPARE(label(s, "Label1", z - 1).left + 50, lastX);
    QCOMPARE(shape(s, "Shape2", z - 1).left + 30, lastX);
    QCOMPARE(line(s, "Line3", z - 1).x1, lastX);
    QCOMPARE(line(s, "Line3", 1).x1, 360 + step);
}

void TestSubjectTrend::classTrendOfTickedExams()
{
    // Five exams with averages 50, 60, 70, 80, 90; the first two unticked.
    const ScoreMatrix m = matrixOf({{50, 50}, {60, 60}, {70, kNoScore}, {80, 80}, {90, 90}});
    ChartFrame f = designClassTrendChart();
    drawClassTrend(f, m, {2, 3, 4}, namesOf(5));
    QCOMPARE(classNodes(f), (QList<int>{360, 3900, 7440}));
    QCOMPARE(label(f, "Label1", 65).toolTip, u"考试3 平均分(70.00) 1人参考"_s);
    QCOMPARE(label(f, "Label1", 65).top, 2010 - 15 * 70);
    QCOMPARE(label(f, "Label1", 66).toolTip, u"考试4 平均分(80.00) 2人参考"_s);
    QCOMPARE(label(f, "Label1", 67).toolTip, u"考试5 平均分(90.00) 2人参考"_s);
    // The polyline joins the marker centres.
    const LineElement &first = line(f, "Line4", 65);
    QCOMPARE(QList<int>({first.x1, first.y1, first.x2, first.y2}), (QList<int>{360, 1010, 3900, 860}));
    QVERIFY(line(f, "Line4", 66).visible);
    QVERIFY(!line(f, "Line4", 67).visible);
    QVERIFY(!line(f, "Line3", 68).visible);
}

void TestSubjectTrend::classTrendHeights_data()
{
    QTest::addColumn<float>("average");
    QTest::addColumn<int>("top");
    QTest::newRow("100") << 100.0f << 510;
    QTest::newRow("0") << 0.0f << 2010;
    QTest::newRow("72.5") << 72.5f << 922;   // 922.5 to even
}

void TestSubjectTrend::classTrendHeights()
{
    QFETCH(float, average);
    QFETCH(int, top);
    ChartFrame f = designClassTrendChart();
    drawClassTrend(f, matrixOf({{average}, {50}}), {0, 1}, namesOf(2));
    QCOMPARE(label(f, "Label1", 65).top, top);
    QCOMPARE(line(f, "Line4", 65).y1, top + 50);
}

void TestSubjectTrend::classTrendOfDifferentFullMarks_data()
{
    QTest::addColumn<QList<float>>("fullMarks");
    QTest::addColumn<QList<int>>("tops");
    QTest::addColumn<bool>("noted");
    // Averages 74 and 90: out of 100 and 120 they are 74 % and 75 %.
    QTest::newRow("100 and 120") << QList<float>{100, 120} << QList<int>{900, 885} << true;
    QTest::newRow("both 120") << QList<float>{120, 120} << QList<int>{900, 660} << false;
    QTest::newRow("both 100") << QList<float>{100, 100} << QList<int>{900, 660} << false;
    QTest::newRow("not known") << QList<float>{} << QList<int>{900, 660} << false;
}

// Exams of different full marks: the averages as shares of their full marks, said on the chart.
void TestSubjectTrend::classTrendOfDifferentFullMarks()
{
    QFETCH(QList<float>, fullMarks);
    QFETCH(QList<int>, tops);
    QFETCH(bool, noted);
    ChartFrame f = designClassTrendChart();
    drawClassTrend(f, matrixOf({{74}, {90}}), {0, 1}, namesOf(2), fullMarks);
    QCOMPARE(label(f, "Label1", 65).top, tops[0]);
    QCOMPARE(label(f, "Label1", 66).top, tops[1]);
    QCOMPARE(label(f, "Label8", 0).visible, noted);
    QCOMPARE(label(f, "Label8", 0).caption, kFullMarksDifferNote);
    QCOMPARE(label(f, "Label1", 66).toolTip.contains(u"满分120 占满分75.0%"_s), noted);
    verifyCaptionsClear(f, u"class_trend_full_marks_"_s + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_'));
}

void TestSubjectTrend::fewerExamsHideTheRest()
{
    const ScoreMatrix m20 = exams(20);
    ChartFrame c = designClassTrendChart();
    ChartFrame s = designStudentTrendChart();
    drawClassTrend(c, m20, firstN(20), namesOf(20));
    drawStudentTrend(s, m20, 0, u"20240301 张三"_s, firstN(20), namesOf(20));
    QCOMPARE(numbers(c, 1).size(), 9);
    drawClassTrend(c, m20, firstN(5), namesOf(20));
    drawStudentTrend(s, m20, 0, u"20240301 张三"_s, firstN(5), namesOf(20));

    QCOMPARE(classNodes(c).size(), 5);
    for (int k = 5; k < 65; ++k) {
        QVERIFY(!line(c, "Line3", 65 + k).visible);
        QVERIFY(!line(c, "Line4", 64 + k).visible);
        QVERIFY(!line(s, "Line3", k).visible);
        QVERIFY(!label(s, "Label1", k).visible);
        QVERIFY(!shape(s, "Shape2", k).visible);
        QVERIFY(!line(s, "Line4", k - 1).visible);
        QVERIFY(!line(s, "Line5", k - 1).visible);
    }
    const QStringList five{u"2@2010"_s, u"3@3780"_s, u"4@5550"_s, u"5@7320"_s};
    QCOMPARE(numbers(c, 1), five);
    QCOMPARE(numbers(s, 16), five);
}

void TestSubjectTrend::studentScalesAndTooltip()
{
    // Exam 1: 48 participants, the student first with 95.5 and the average
    // 50.5; exam 2: the student's score equals the average.
    QList<float> first{95.5f}, second{70};
    for (int i = 1; i < 48; ++i) {
        first << float(50 - (i % 3));
        second << 70;
    }
    ScoreMatrix m = matrixOf({first, second});
    const float a = m.average(0);
    ChartFrame f = designStudentTrendChart();
    drawStudentTrend(f, m, 0, u"20240301 欧阳小明"_s, {0, 1}, {u"25-26(上)期中成绩"_s, u"25-26(下)期末成绩"_s});
    QCOMPARE(label(f, "Label7", 11).caption, u"欧阳小明"_s);
    // u = 1560 / 48 = 32.5, to even 32: first place at 1960 - 48 x 32.
    QCOMPARE(label(f, "Label1", 0).top, 424);
    QCOMPARE(label(f, "Label1", 0).left, 310);
    QCOMPARE(shape(f, "Shape2", 0).top, qRound(1990 - 95.5f * 860 / a));
    QCOMPARE(shape(f, "Shape2", 0).left, 330);
    // Tied with everybody: rank 1 again; the score marker on the average line.
    QCOMPARE(label(f, "Label1", 1).top, 424);
    QCOMPARE(shape(f, "Shape2", 1).top, 1130);
    QCOMPARE(label(f, "Label1", 0).toolTip,
             u"25-26(上)期中成绩:平均分(49.95) 48人参考 本生得分(95.5) 排第(1)名"_s);
    QCOMPARE(label(f, "Label1", 1).toolTip, u"25-26(下)期末成绩:平均分(70.00) 48人参考 本生得分(70) 排第(1)名"_s);
    // The segments join the markers' centres; the tags stand beside the last point.
    const LineElement &score = line(f, "Line4", 0);
    QCOMPARE(QList<int>({score.x1, score.y1, score.x2, score.y2}),
             (QList<int>{360, shape(f, "Shape2", 0).top + 30, 7440, 1160}));
    const LineElement &rank = line(f, "Line5", 0);
    QCOMPARE(QList<int>({rank.x1, rank.y1, rank.x2, rank.y2}), (QList<int>{360, 454, 7440, 454}));
    QCOMPARE(rank.colour, kRed);
    QCOMPARE(label(f, "Label7", 12).left, 7500);
    QCOMPARE(label(f, "Label7", 12).top, 364);
    QCOMPARE(label(f, "Label7", 15).top, 1070);
    QCOMPARE(line(f, "Line3", 0).width, 2);
    QCOMPARE(line(f, "Line3", 1).width, 2);
}

void TestSubjectTrend::studentGapsAreBridged_data()
{
    QTest::addColumn<QList<float>>("scores");   // the student's, over three exams
    QTest::addColumn<QList<int>>("thick");      // tick widths
    QTest::addColumn<QList<bool>>("segments");  // Line4 0 and 1 visible
    QTest::addColumn<int>("segmentFrom");       // x where the visible segment starts
    QTest::newRow("first missing") << QList<float>{kNoScore, 60, 70} << QList<int>{1, 2, 2}
                                   << QList<bool>{false, true} << 3900;
    QTest::newRow("second missing") << QList<float>{60, kNoScore, 70} << QList<int>{2, 1, 2}
                                    << QList<bool>{false, true} << 360;
    QTest::newRow("last missing") << QList<float>{60, 70, kNoScore} << QList<int>{2, 2, 1}
                                  << QList<bool>{true, false} << 360;
}

void TestSubjectTrend::studentGapsAreBridged()
{
    QFETCH(QList<float>, scores);
    QFETCH(QList<int>, thick);
    QFETCH(QList<bool>, segments);
    QFETCH(int, segmentFrom);
    QList<QList<float>> columns;
    for (float s : scores)
        columns << QList<float>{s, 50};
    const ScoreMatrix m = matrixOf(columns);
    ChartFrame f = designStudentTrendChart();
    drawStudentTrend(f, m, 0, u"20240301 张三"_s, firstN(3), namesOf(3));
    for (int k = 0; k < 3; ++k) {
        QCOMPARE(line(f, "Line3", k).width, thick[k]);
        QCOMPARE(label(f, "Label1", k).visible, scores[k] != kNoScore);
        QCOMPARE(shape(f, "Shape2", k).visible, scores[k] != kNoScore);
    }
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(line(f, "Line4", i).visible, segments[i]);
        QCOMPARE(line(f, "Line5", i).visible, segments[i]);
        if (segments[i])
            QCOMPARE(line(f, "Line4", i).x1, segmentFrom);
    }
}

void TestSubjectTrend::studentWithoutAnyScore()
{
    const ScoreMatrix m = matrixOf({{70, kNoScore}, {80, kNoScore}, {90, kNoScore}});
    ChartFrame f = designStudentTrendChart();
    drawStudentTrend(f, m, 0, u"20240301 张三"_s, firstN(3), namesOf(3));
    QCOMPARE(label(f, "Label7", 12).top, 340);   // beside the first student's last point
    drawStudentTrend(f, m, 1, u"20240302 李四"_s, firstN(3), namesOf(3));
    QCOMPARE(label(f, "Label7", 11).caption, u"李四"_s);
    for (int k = 0; k < 65; ++k) {
        QVERIFY(!label(f, "Label1", k).visible);
        QVERIFY(!shape(f, "Shape2", k).visible);
        QVERIFY(!line(f, "Line4", k).visible);
        QCOMPARE(line(f, "Line3", k).visible, k < 3);
        if (k < 3)
            QCOMPARE(line(f, "Line3", k).width, 1);
    }
    // The curve tags go back to their places instead of labelling another student's curve.
    QCOMPARE(label(f, "Label7", 12).left, 7485);
    QCOMPARE(label(f, "Label7", 15).left, 7480);
}

void TestSubjectTrend::studentOfAnAllZeroExam()
{
    const ScoreMatrix m = matrixOf({{0, 0}, {80, 60}});
    ChartFrame f = designStudentTrendChart();
    drawStudentTrend(f, m, 0, u"20240301 张三"_s, {0, 1}, namesOf(2));
    QCOMPARE(shape(f, "Shape2", 0).top, 1130);   // on the average line
    QCOMPARE(label(f, "Label1", 0).toolTip, u"考试1:平均分(0.00) 2人参考 本生得分(0) 排第(1)名"_s);
}

void TestSubjectTrend::curveTagsKeepTheirTexts_data()
{
    QTest::addColumn<int>("rankTop");
    QTest::addColumn<int>("valueTop");
    QTest::addColumn<int>("points");
    QTest::newRow("ends together") << 1000 << 1000 << 5;
    QTest::newRow("score end just below") << 1000 << 1100 << 5;
    QTest::newRow("score end just above") << 1100 << 1000 << 5;
    QTest::newRow("together at the top") << 424 << 424 << 12;
    QTest::newRow("together at the foot") << 1960 << 1990 << 2;
    QTest::newRow("apart") << 500 << 1500 << 60;
}

// The two curve tags beside the curves' ends, however close the ends are: both
// texts drawn in full, neither over the other.
void TestSubjectTrend::curveTagsKeepTheirTexts()
{
    QFETCH(int, rankTop);
    QFETCH(int, valueTop);
    QFETCH(int, points);
    ChartFrame f = designStudentTrendChart();
    QList<StudentTrendPoint> curve(points, StudentTrendPoint{true, 1200, 1200, {}});
    curve.last().rankTop = rankTop;
    curve.last().valueTop = valueTop;
    drawStudentCurves(f, u"欧阳小明"_s, curve, {7485, 960}, {7480, 1270});
    const QRect rankTag(label(f, "Label7", 12).left, label(f, "Label7", 12).top, 570, 210);
    const QRect valueTag(label(f, "Label7", 15).left, label(f, "Label7", 15).top, 570, 210);
    QVERIFY(!rankTag.intersects(valueTag));
    QStringList shown;
    for (const DrawnCaption &c : fitCaptions(f))
        shown << c.lines.join(u'/');
    QVERIFY2(shown.contains(u"名次线"_s), qPrintable(shown.join(u',')));
    QVERIFY2(shown.contains(u"分数线"_s), qPrintable(shown.join(u',')));
    verifyCaptionsClear(f, u"curve_tags_"_s + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_'));
}

QTEST_MAIN(TestSubjectTrend)
#include "tst_subject_trend.moc"
