// One exam's statistics and its four charts, without widgets: ranks, levels,
// bands, the summary text, the row orders and the chart elements.
#include "class_analysis/single_exam.h"
#include "class_analysis/single_exam_charts.h"
#include "fixtures/chart_elements.h"

#include <QtTest>
#include <algorithm>
#include <numeric>

using namespace tessaly;
using namespace tessaly::analysis;
using namespace tessaly::chart;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

using Scores = QList<std::optional<float>>;

QList<ExamRow> rowsOf(const Scores &scores)
{
    QList<ExamRow> rows;
    for (int i = 0; i < scores.size(); ++i)
        rows.append({0, u"2024%1"_s.arg(i + 1, 4, 10, QLatin1Char('0')), u"生%1"_s.arg(i + 1), scores[i], {}, {}});
    return rows;
}

QStringList ranks(const QList<ExamRow> &rows)
{
    QStringList r;
    for (const ExamRow &row : rows)
        r << row.rank;
    return r;
}

} // namespace

class TestSingleExam : public QObject {
    Q_OBJECT
private slots:
    void statisticsAndSummary();
    void levels_data();
    void levels();
    void fullMarkBox_data();
    void fullMarkBox();
    void bandsAddUpToParticipants_data();
    void bandsAddUpToParticipants();
    void tiedTopAndUnscoredLastInRankOrder();
    void levelChartAllExcellent();
    void bandChart_data();
    void bandChart();
    void scoreCurveBridgesAMissingScore();
    void scoreCurveLayoutSwitch_data();
    void scoreCurveLayoutSwitch();
    void scoreCurveSizedToALargeClass();
    void singleStudentChart_data();
    void singleStudentChart();
    void frameGrowsAndHides();
    void captionsFitted_data();
    void captionsFitted();
    void chartCaptionsKeepApart_data();
    void chartCaptionsKeepApart();
    void studentBarsStandBeforeTheFixedBars();
};

void TestSingleExam::statisticsAndSummary()
{
    // A stored 0 is a score; a missing score is none.
    QList<ExamRow> rows = rowsOf({85.f, 84.5f, 75.f, 60.f, 59.5f, 100.f, 0.f, std::nullopt});
    const ExamStatistics s = analyseExam(rows, 100);
    QCOMPARE(s.students, 8);
    QCOMPARE(s.participants, 7);
    QCOMPARE(s.levels, (std::array<int, 4>{2, 2, 1, 2}));
    QCOMPARE(ranks(rows), (QStringList{u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"1"_s, u"7"_s, QString()}));
    QCOMPARE(rows[7].number, 8);
    QCOMPARE(examSummaryText(s, u"100"_s),
             u"　　本考总体情况：总人数:8人；参试人数:7人；试题满分:100分；总 分:464.00分；平均分:66.29分；"
             "优秀人数(≥85分):2人；优 秀 率:28.57%；良好人数:4人；优 良 率:57.14%；及格人数:5人；及 格 率:71.43%。\r\n"
             "　　每个分数段的统计：0－10段内:1人；10－20段内:0人；20－30段内:0人；30－40段内:0人；40－50段内:0人；"
             "50－60段内:1人；60－70段内:1人；70－80段内:1人；80－90段内:2人；90－100段内:1人；"_s);

    // 150: fifteen bands listed, the full-mark score in the top one.
    QList<ExamRow> high = rowsOf({150.f, 100.5f});
    const ExamStatistics t = analyseExam(high, 150);
    QVERIFY(examSummaryText(t, u"150"_s)
                .endsWith(u"130－140段内:0人；140－150段内:1人；"_s));
    QVERIFY(examSummaryText(t, u"150"_s).contains(u"100－110段内:1人；"_s));
    // The excellent line beside its count, from the full mark.
    QVERIFY(examSummaryText(t, u"150"_s).contains(u"；优秀人数(≥127.5分):1人；"_s));
}

void TestSingleExam::levels_data()
{
    QTest::addColumn<float>("fullMark");
    QTest::addColumn<float>("score");
    QTest::addColumn<int>("level");
    QTest::newRow("100: 85") << 100.f << 85.f << 0;
    QTest::newRow("100: 84.99") << 100.f << 84.99f << 1;
    QTest::newRow("100: 75") << 100.f << 75.f << 1;
    QTest::newRow("100: 74.9") << 100.f << 74.9f << 2;
    QTest::newRow("100: 60") << 100.f << 60.f << 2;
    QTest::newRow("100: 59.9") << 100.f << 59.9f << 3;
    QTest::newRow("150: 127.5") << 150.f << 127.5f << 0;
    QTest::newRow("150: 127") << 150.f << 127.f << 1;
    QTest::newRow("150: 112.5") << 150.f << 112.5f << 1;
    QTest::newRow("150: 112") << 150.f << 112.f << 2;
    QTest::newRow("150: 90") << 150.f << 90.f << 2;
    QTest::newRow("150: 89.5") << 150.f << 89.5f << 3;
    QTest::newRow("0 is a score") << 100.f << 0.f << 3;
}

void TestSingleExam::levels()
{
    QFETCH(float, fullMark);
    QFETCH(float, score);
    QFETCH(int, level);
    QList<ExamRow> rows = rowsOf({score});
    const ExamStatistics s = analyseExam(rows, fullMark);
    std::array<int, 4> expected{};
    expected[size_t(level)] = 1;
    QCOMPARE(s.levels, expected);
}

void TestSingleExam::fullMarkBox_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("taken");   // 0: refused
    QTest::newRow("100") << u"100"_s << 100.f;
    QTest::newRow("150") << u" 150 "_s << 150.f;
    QTest::newRow("1") << u"1"_s << 1.f;
    QTest::newRow("154.9") << u"154.9"_s << 154.9f;
    QTest::newRow("155") << u"155"_s << 0.f;
    QTest::newRow("0") << u"0"_s << 0.f;
    QTest::newRow("0.5") << u"0.5"_s << 0.f;
    QTest::newRow("negative") << u"-20"_s << 0.f;
    QTest::newRow("text") << u"满分"_s << 0.f;
    QTest::newRow("empty") << QString() << 0.f;
}

void TestSingleExam::fullMarkBox()
{
    QFETCH(QString, text);
    QFETCH(float, taken);
    const std::optional<float> f = parseFullMarkBox(text);
    QCOMPARE(f.value_or(0.f), taken);
    if (f) {
        QVERIFY(bandCountOf(*f) >= 1);
        QVERIFY(bandCountOf(*f) <= 15);
    }
}

void TestSingleExam::bandsAddUpToParticipants_data()
{
    QTest::addColumn<float>("fullMark");
    QTest::addColumn<int>("bands");
    QTest::newRow("100") << 100.f << 10;
    QTest::newRow("150") << 150.f << 15;
    QTest::newRow("typed 45") << 45.f << 4;
    QTest::newRow("typed 3") << 3.f << 1;
}

void TestSingleExam::bandsAddUpToParticipants()
{
    QFETCH(float, fullMark);
    QFETCH(int, bands);
    Scores scores;
    for (float v = -1; v <= 151; v += 0.5f)
        scores << v;
    QList<ExamRow> rows = rowsOf(scores);
    const ExamStatistics s = analyseExam(rows, fullMark);
    QCOMPARE(s.bands, bands);
    QCOMPARE(std::accumulate(s.band.begin(), s.band.end(), 0), s.participants);
    QCOMPARE(bandOf(fullMark, bands), bands);   // a full-mark score is in the top band
}

void TestSingleExam::tiedTopAndUnscoredLastInRankOrder()
{
    QList<ExamRow> rows = rowsOf({std::nullopt, 90.f, 80.f, 90.f});
    analyseExam(rows, 100);
    QCOMPARE(ranks(rows), (QStringList{QString(), u"1"_s, u"3"_s, u"1"_s}));
    sortByRank(rows);
    QCOMPARE(ranks(rows), (QStringList{u"1"_s, u"1"_s, u"3"_s, QString()}));
    QCOMPARE(rows[0].name, u"生2"_s);   // equal ranks keep their order
    QCOMPARE(rows[3].rankKey, u"90000"_s);
    QCOMPARE(rows[3].number, 1);         // rows move with their numbers
    sortByShownIdGeneric(rows);
    QCOMPARE(rows[0].name, u"生1"_s);
    QCOMPARE(rows[3].rankKey, u"1"_s);   // the key stays
}

void TestSingleExam::levelChartAllExcellent()
{
    QList<ExamRow> rows = rowsOf(Scores(30, 95.f));
    const ExamStatistics s = analyseExam(rows, 100);
    ChartFrame f = designLevelChart();
    drawLevelChart(f, s);
    QCOMPARE(label(f, "Label2", 0).height, 2010);
    QCOMPARE(label(f, "Label2", 0).top, 870);
    QCOMPARE(label(f, "Label3", 0).caption, u"30人100.00%"_s);
    QCOMPARE(label(f, "Label3", 0).top, 470);
    for (int k = 1; k < 4; ++k) {
        QCOMPARE(label(f, "Label2", k).height, 0);
        QCOMPARE(label(f, "Label3", k).top, 2480);
        QCOMPARE(label(f, "Label3", k).caption, u"0人0.00%"_s);
    }
    QCOMPARE(label(f, "Label2", 3).back, kGreen);
    QCOMPARE(label(f, "Label2", 0).back, kRed);
}

void TestSingleExam::bandChart_data()
{
    QTest::addColumn<float>("fullMark");
    QTest::addColumn<int>("bars");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("green");
    QTest::newRow("100") << 100.f << 10 << 405 << 6;
    QTest::newRow("150") << 150.f << 15 << 283 << 9;
}

void TestSingleExam::bandChart()
{
    QFETCH(float, fullMark);
    QFETCH(int, bars);
    QFETCH(int, width);
    QFETCH(int, green);
    // 4 in band 1, 2 in band 2: the unit is 500.
    QList<ExamRow> rows = rowsOf({1.f, 2.f, 3.f, 4.f, 15.f, 16.f});
    const ExamStatistics s = analyseExam(rows, fullMark);
    ChartFrame f = designBandChart();
    drawBandChart(f, s, u"语文期中"_s);
    for (int k = 1; k <= 15; ++k) {
        const LabelElement &b = label(f, "Label4", k);
        QCOMPARE(b.visible, k <= bars);
        QCOMPARE(label(f, "Label8", k - 1).visible, k <= bars);
        if (k > bars)
            continue;
        QCOMPARE(b.width, width);
        QCOMPARE(b.left, 240 + (k - 1) * (width - 40));
        QCOMPARE(b.back, k <= green ? kBrightGreen : kRed);
    }
    QCOMPARE(label(f, "Label4", 1).height, 2000);
    QCOMPARE(label(f, "Label4", 2).height, 1000);
    QCOMPARE(label(f, "Label4", 2).top, 1880);
    QCOMPARE(label(f, "Label8", 1).top, 1680);
    QCOMPARE(label(f, "Label8", 1).caption, u"2人"_s);
    QCOMPARE(label(f, "Label4", 3).height, 0);
    QCOMPARE(label(f, "Label4", 2).toolTip,
             u"语文期中总人数:6 参考人数:6 满分:%1 平均分:6.83本分数段:2人"_s.arg(fullMark));
    QCOMPARE(label(f, "Label4", 8).caption, u"70 ｜ 80"_s);
}

void TestSingleExam::scoreCurveBridgesAMissingScore()
{
    QList<ExamRow> rows = rowsOf({80.f, std::nullopt, 60.f});
    const ExamStatistics s = analyseExam(rows, 100);
    ChartFrame f = designScoreCurveChart();
    drawScoreCurve(f, rows, s);
    // unit 16: centres at 2040 - 16 s.
    QCOMPARE(shape(f, "Shape2", 0).top, 730);
    QCOMPARE(shape(f, "Shape2", 0).left, 330);
    QVERIFY(!shape(f, "Shape2", 1).visible);
    QCOMPARE(shape(f, "Shape2", 2).top, 1050);
    QCOMPARE(line(f, "Line3", 0).width, 2);
    QCOMPARE(line(f, "Line3", 1).width, 1);
    QVERIFY(line(f, "Line3", 1).visible);
    QVERIFY(!line(f, "Line4", 0).visible);
    const LineElement &bridge = line(f, "Line4", 1);
    QVERIFY(bridge.visible);
    QCOMPARE(QList<int>({bridge.x1, bridge.y1, bridge.x2, bridge.y2}), QList<int>({360, 760, 600, 1080}));
    for (int p = 3; p < 90; ++p) {
        QVERIFY(!shape(f, "Shape2", p).visible);
        QVERIFY(!line(f, "Line3", p).visible);
    }
    for (int p = 2; p < 89; ++p)
        QVERIFY(!line(f, "Line4", p).visible);
    // Average 70: 2040 - 16 × 140 / 2 = 920; the axis ends at x(4) = 840.
    QCOMPARE(line(f, "Line22", 0).y1, 920);
    QCOMPARE(line(f, "Line22", 0).x2, 740);
    QCOMPARE(label(f, "Label7", 15).caption, u"平均分70.00"_s);
    QCOMPARE(line(f, "Line2", 2).x2, 1040);
    QCOMPARE(label(f, "Label9", 0).left, 640);
    QCOMPARE(label(f, "Label9", 0).width, 8415 - 640 - 120);
}

void TestSingleExam::scoreCurveLayoutSwitch_data()
{
    QTest::addColumn<int>("students");
    QTest::addColumn<int>("frameWidth");
    QTest::addColumn<int>("gridHeight");
    QTest::addColumn<int>("buttonsTop");
    QTest::newRow("65") << 65 << 8415 << 4455 << 6960;
    QTest::newRow("66") << 66 << 11655 << 2175 << 4680;
    QTest::newRow("88") << 88 << 11655 << 2175 << 4680;
}

void TestSingleExam::scoreCurveLayoutSwitch()
{
    QFETCH(int, students);
    QFETCH(int, frameWidth);
    QFETCH(int, gridHeight);
    QFETCH(int, buttonsTop);
    const CurveLayout l = scoreCurveLayout(students);
    QCOMPARE(l.frameWidth, frameWidth);
    QCOMPARE(l.gridHeight, gridHeight);
    QCOMPARE(l.buttonsTop, buttonsTop);
    QList<ExamRow> rows = rowsOf(Scores(students, 70.f));
    ChartFrame f = designScoreCurveChart();
    drawScoreCurve(f, rows, analyseExam(rows, 100));
    QCOMPARE(f.width, frameWidth);
    if (students >= 66)
        QVERIFY(line(f, "Line2", 2).x2 + 240 <= f.width);   // the axis and its arrow fit
}

void TestSingleExam::scoreCurveSizedToALargeClass()
{
    QList<ExamRow> rows = rowsOf(Scores(120, 70.f));
    rows[119].score = 90.f;
    ChartFrame f = designScoreCurveChart();
    drawScoreCurve(f, rows, analyseExam(rows, 100));
    QVERIFY(f.shapeCount(u"Shape2"_s) >= 120);
    QVERIFY(shape(f, "Shape2", 119).visible);
    QCOMPARE(shape(f, "Shape2", 119).left, 360 + 120 * 119 - 30);
    QCOMPARE(line(f, "Line4", 118).y2, 2040 - 16 * 90);
    QVERIFY(line(f, "Line2", 2).x2 + 240 <= f.width);
    QCOMPARE(label(f, "Label4", 15 + 24).caption, u"120"_s);
}

void TestSingleExam::singleStudentChart_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("standingHeight");
    QTest::addColumn<int>("standingTitleTop");
    QTest::addColumn<int>("standingCaptionTop");
    QTest::addColumn<QString>("standing");
    QTest::addColumn<QString>("score");
    QTest::addColumn<QString>("aboveBelow");
    // 4 participants: ur = CInt(2295 / 4) = 574; us = 23.
    QTest::newRow("top") << 0 << 3 * 574 << 2880 - 3 * 574 - 150 << 2880 - 3 * 574 + 200 << u"1名"_s << u"90分"_s
                         << u"0人|3人"_s;
    QTest::newRow("last") << 3 << 0 << 2280 << 2630 << u"4名"_s << u"40分"_s << u"3人|0人"_s;
    QTest::newRow("no score") << 4 << 0 << 2230 << 2580 << u"无次"_s << u"无分"_s << u"00000分|00000分"_s;
}

void TestSingleExam::singleStudentChart()
{
    QFETCH(int, row);
    QFETCH(int, standingHeight);
    QFETCH(int, standingTitleTop);
    QFETCH(int, standingCaptionTop);
    QFETCH(QString, standing);
    QFETCH(QString, score);
    QFETCH(QString, aboveBelow);
    QList<ExamRow> rows = rowsOf({90.f, 70.f, 65.f, 40.f, std::nullopt});
    const ExamStatistics s = analyseExam(rows, 100);
    ChartFrame f = designSingleStudentChart();
    drawSingleStudentChart(f, s, rows, &rows[row]);
    QCOMPARE(label(f, "Label7", 19).caption, rows[row].name);
    QCOMPARE(label(f, "Label10", 6).height, standingHeight);
    QCOMPARE(label(f, "Label7", 27).top, standingTitleTop);
    QCOMPARE(label(f, "Label7", 26).top, standingCaptionTop);
    QCOMPARE(label(f, "Label7", 26).caption, standing);
    QCOMPARE(label(f, "Label7", 23).caption, score);
    QCOMPARE(label(f, "Label11", 4).caption + u'|' + label(f, "Label11", 5).caption, aboveBelow);
    // Average 66.25: the bar is 66.25 × 23 = 1523.75 → 1524 high.
    QCOMPARE(label(f, "Label7", 22).caption, u"66.25"_s);
    QCOMPARE(label(f, "Label10", 2).height, 1524);
    QCOMPARE(label(f, "Label7", 24).caption, u"3人"_s);
    QCOMPARE(label(f, "Label10", 5).height, 3 * 574);
    QCOMPARE(label(f, "Label7", 21).caption, u"满分100"_s);
    QCOMPARE(label(f, "Label7", 4).caption, u"参试4人"_s);

    // A run without a student resets the student's bars to stubs.
    drawSingleStudentChart(f, s, rows, nullptr);
    QCOMPARE(label(f, "Label7", 19).caption, u"显示学生名"_s);
    QCOMPARE(label(f, "Label10", 6).height, 15);
    QCOMPARE(label(f, "Label10", 3).top, 2880);
    QCOMPARE(label(f, "Label7", 26).caption, QString());
    QCOMPARE(label(f, "Label11", 2).caption, u"00000分"_s);
}

void TestSingleExam::frameGrowsAndHides()
{
    ChartFrame f(u"图"_s, 0, 0, 1000, 1000);
    LabelElement &under = f.label(u"A"_s, 2);
    under = {100, 100, 300, 300};
    under.opaque = true;
    QCOMPARE(f.labelCount(u"A"_s), 3);
    LabelElement &over = f.label(u"B"_s, 0);
    over = {200, 200, 50, 50};
    QCOMPARE(f.labelAt(210, 210), f.findLabel(u"B"_s, 0));   // transparent labels lie on top
    QCOMPARE(f.labelAt(110, 110), f.findLabel(u"A"_s, 2));
    QCOMPARE(f.labelAt(500, 500), nullptr);
    f.hideLabelsFrom(u"A"_s, 1);
    QVERIFY(f.findLabel(u"A"_s, 0)->visible);
    QVERIFY(!f.findLabel(u"A"_s, 2)->visible);
    QCOMPARE(f.labelAt(110, 110), nullptr);
    QCOMPARE(bgr(0x0000FF), qRgb(255, 0, 0));
    QCOMPARE(roundEven(442.5), 442);
    QCOMPARE(roundEven(147.5), 148);
}

// Small frames, one fault each: captions too wide for their labels, side by
// side; one that would leave the frame; lines that would pass the box's foot;
// captions under an opaque label of a higher layer.
void TestSingleExam::captionsFitted_data()
{
    QTest::addColumn<ChartFrame>("frame");
    QTest::addColumn<int>("drawn");   // captions drawn

    // A one-line caption centred on its label.
    const auto centred = [](ChartFrame &f, const QString &array, int index, QRect r, const QString &caption) {
        LabelElement &l = f.label(array, index);
        l = {r.left(), r.top(), r.width(), r.height(), caption};
        l.alignment = Qt::AlignHCenter;
        l.wordWrap = false;
        return &l;
    };

    ChartFrame neighbours(u"图"_s, 0, 0, 1500, 1500);
    centred(neighbours, u"A"_s, 0, {240, 600, 240, 180}, u"78.50"_s)->pointSize = 7.5;
    centred(neighbours, u"A"_s, 1, {480, 600, 240, 180}, u"100分"_s)->pointSize = 7.5;
    QTest::newRow("neighbours") << neighbours << 2;

    ChartFrame edge(u"图"_s, 0, 0, 3000, 1500);
    centred(edge, u"A"_s, 0, {135, 600, 450, 170}, u"高一(1)班 实验"_s);
    QTest::newRow("frame edge") << edge << 1;

    ChartFrame box(u"图"_s, 0, 0, 1815, 4575);
    LabelElement &lines = box.label(u"A"_s, 0);
    lines = {75, 3195, 1695, 1260, u"一\n二\n三\n四\n五\n六\n七"_s};
    lines.lineHeight = 180;
    lines.border = true;
    LabelElement &below = box.label(u"B"_s, 0);
    below = {75, 4470, 1695, 100, u"下"_s};
    QTest::newRow("lines in a box") << box << 2;

    ChartFrame covered(u"图"_s, 0, 0, 3000, 1500);
    LabelElement &blank = covered.label(u"C"_s, 0);
    blank = {880, 600, 1000, 250};
    blank.opaque = true;
    blank.z = 1;
    centred(covered, u"N"_s, 0, {720, 600, 240, 200}, u"30"_s);
    centred(covered, u"N"_s, 1, {1320, 600, 240, 200}, u"35"_s);
    QTest::newRow("under a blank") << covered << 1;
}

void TestSingleExam::captionsFitted()
{
    QFETCH(ChartFrame, frame);
    QFETCH(int, drawn);
    verifyCaptionsClear(frame);
    const QList<DrawnCaption> captions = fitCaptions(frame);
    QCOMPARE(captions.size(), drawn);
    for (const DrawnCaption &c : captions) {
        const LabelElement &l = *c.label;
        // Boxes keep their lines: nothing passes the box's foot, nor touches a border.
        if (l.lineHeight > 0)
            QVERIFY2(c.ink.bottom() <= l.top / 15.0 + l.height / 15.0 - (l.border ? 2 : 0), qPrintable(c.lines.join(u'/')));
    }
}

// The charts as drawn from classes whose bars stand level with each other:
// no caption over another, none cut by the frame.
void TestSingleExam::chartCaptionsKeepApart_data()
{
    QTest::addColumn<Scores>("scores");
    QTest::addColumn<float>("fullMark");
    QTest::addColumn<int>("student");
    const auto many = [](int n, float from) {
        Scores s;
        for (int i = 0; i < n; ++i)
            s.append(from + float((i * 37) % 41));
        return s;
    };
    // 32 passed of 42, the student 10th with 90: bars of like heights side by side.
    Scores level = many(42, 55);
    level[3] = 90;
    QTest::newRow("42 students") << level << 100.f << 3;
    QTest::newRow("5 students") << Scores{90.f, 0.f, std::nullopt, 90.f, 72.f} << 100.f << 0;
    QTest::newRow("30 students") << many(30, 60) << 100.f << 29;
    QTest::newRow("34 students") << many(34, 60) << 100.f << 0;
    QTest::newRow("90 students, 150") << many(90, 80) << 150.f << 45;
    QTest::newRow("full mark scorer") << Scores{100.f, 100.f, 99.5f, 100.f} << 100.f << 2;
    QTest::newRow("average 90.05, 99.5") << Scores{99.5f, 80.6f} << 100.f << 0;
    QTest::newRow("150, 149.5") << Scores{149.5f, 120.5f, 3.f} << 150.f << 0;
}

void TestSingleExam::chartCaptionsKeepApart()
{
    QFETCH(Scores, scores);
    QFETCH(float, fullMark);
    QFETCH(int, student);
    QList<ExamRow> rows = rowsOf(scores);
    const ExamStatistics s = analyseExam(rows, fullMark);
    const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_');
    ChartFrame single = designSingleStudentChart();
    drawSingleStudentChart(single, s, rows, &rows[student]);
    verifyCaptionsClear(single, u"chart_single_"_s + tag);
    // The values stand inside their bars, whole; the info box's lines keep off its border.
    for (const DrawnCaption &c : fitCaptions(single)) {
        const LabelElement &l = *c.label;
        const QString text = c.lines.join(u'/');
        if (l.border && l.lineHeight > 0)
            QVERIFY2(c.ink.bottom() <= (l.top + l.height) / 15.0 - 2, qPrintable(text));
        for (const auto &[bar, value] : {std::pair{2, 22}, {3, 23}, {5, 24}, {6, 26}}) {
            if (&l != &label(single, "Label7", value) || l.caption.isEmpty())
                continue;
            const LabelElement &b = label(single, "Label10", bar);
            // Within the bar, give or take a pixel of a glyph's side bearing.
            QVERIFY2(c.ink.left() >= b.left / 15.0 - 1 && c.ink.right() <= (b.left + b.width) / 15.0 + 1,
                     qPrintable(text + QStringLiteral(" beside its bar: %1..%2 over %3..%4")
                                           .arg(c.ink.left()).arg(c.ink.right())
                                           .arg(b.left / 15.0).arg((b.left + b.width) / 15.0)));
            QCOMPARE(QString(c.lines.join(QString())), l.caption);
        }
    }
    ChartFrame levels = designLevelChart();
    drawLevelChart(levels, s);
    verifyCaptionsClear(levels, u"chart_levels_"_s + tag);
    ChartFrame bands = designBandChart();
    drawBandChart(bands, s, {});
    verifyCaptionsClear(bands, u"chart_bands_"_s + tag);
    ChartFrame curve = designScoreCurveChart();
    drawScoreCurve(curve, rows, s);
    verifyCaptionsClear(curve, u"chart_curve_"_s + tag);
    // The last student's axis number and "学号" are both drawn, whole.
    const QList<DrawnCaption> drawn = fitCaptions(curve);
    const auto shown = [&](const QString &text) {
        return std::any_of(drawn.begin(), drawn.end(), [&](const DrawnCaption &c) { return c.lines == QStringList{text}; });
    };
    QVERIFY(shown(u"学号"_s));
    if (scores.size() % 5 == 0)
        QVERIFY(shown(QString::number(scores.size())));
}

void TestSingleExam::studentBarsStandBeforeTheFixedBars()
{
    QList<ExamRow> rows = rowsOf({90.f, 70.f, 65.f, 40.f});
    const ExamStatistics s = analyseExam(rows, 100);
    ChartFrame f = designSingleStudentChart();
    drawSingleStudentChart(f, s, rows, &rows[0]);
    // Inside the full-mark and participant bars the average, score, pass and
    // standing bars are the ones seen.
    for (int item : {2, 3, 5, 6}) {
        const LabelElement &bar = label(f, "Label10", item);
        QCOMPARE(f.labelAt(bar.left + bar.width / 2, bar.top + bar.height - 30), &bar);
    }
}

QTEST_MAIN(TestSingleExam)
#include "tst_single_exam.moc"
