// The class, teacher and whole-class comparison charts, read back from their elements.
#include "fixtures/chart_elements.h"
#include "grade_analysis/comparison_charts.h"

#include <QTest>

using namespace tessaly;
using namespace tessaly::grades;
using namespace tessaly::chart;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

struct Frames {
    QList<ChartFrame> frames;
    Frames()
    {
        for (int d = 0; d < kChartFrames; ++d)
            frames.append(designComparisonChart(d));
    }
    QList<ChartFrame *> pointers()
    {
        QList<ChartFrame *> out;
        for (ChartFrame &f : frames)
            out.append(&f);
        return out;
    }
};

ChartRow row(std::optional<float> average, int participants, const QString &teacher = {})
{
    return {teacher, participants, average};
}

// One subject over the classes 一班, 二班, … with the rows given.
ComparisonData oneSubject(const QList<ChartRow> &rows)
{
    ComparisonData data{{u"语文"_s}, {}, rows};
    for (int k = 0; k < rows.size(); ++k)
        data.classItems.append(u"%1班 "_s.arg(k + 1));
    return data;
}

QList<int> shownMarkers(const ChartFrame &f, const QString &array = u"Label3"_s)
{
    QList<int> out;
    for (int m = 1; m <= kChartPoints; ++m) {
        const LabelElement *l = f.findLabel(array, m);
        if (l && l->visible)
            out.append(m);
    }
    return out;
}

} // namespace

class ComparisonChartsTest : public QObject {
    Q_OBJECT
private slots:
    void workedExample()
    {
        Frames f;
        const ComparisonData data = oneSubject({row(80, 40), row(76, 38), row(81, 42)});
        QCOMPARE(groupAverage(data.rows), 79.08f);
        QCOMPARE(chartScale(81, 79.08f), 104.17f);
        QCOMPARE(drawClassComparison(f.pointers(), data), 1);
        const ChartFrame &c = f.frames[0];
        QCOMPARE(c.caption, u"各班(语文)成绩对比分析图"_s);
        QCOMPARE(c.findLabel(u"Label100"_s, 0)->caption, u"组平均分79.08"_s);
        QCOMPARE(c.findLabel(u"Label50"_s, 0)->caption, u"班级"_s);
        const int ticks[] = {360, 2100, 3840};
        const int tops[] = {1054, 1471, 950};   // 1054.16, 1470.84, 949.99
        for (int k = 1; k <= 3; ++k) {
            QCOMPARE(c.findLine(u"Line3"_s, k)->x1, ticks[k - 1]);
            QCOMPARE(c.findLabel(u"Label3"_s, k)->left, ticks[k - 1] - 50);
            QCOMPARE(c.findLabel(u"Label3"_s, k)->top, tops[k - 1]);
            QCOMPARE(c.findLabel(u"Label5"_s, k)->caption, data.classItems[k - 1]);
        }
        // Connectors join the node centres; the first node has none.
        QVERIFY(!c.findLine(u"Line4"_s, 1)->visible);
        const LineElement *second = c.findLine(u"Line4"_s, 2);
        QVERIFY(second->visible);
        QCOMPARE(QList<int>({second->x1, second->y1, second->x2, second->y2}), QList<int>({360, 1104, 2100, 1521}));
        QCOMPARE(shownMarkers(c), QList<int>({1, 2, 3}));
    }

    void emptyAverageAndRedraw()
    {
        Frames f;
        // Twelve subjects of four classes: ten charts.
        ComparisonData data{{}, {u"一班 "_s, u"二班 "_s, u"三班 "_s, u"四班 "_s}, {}};
        for (int s = 0; s < 12; ++s) {
            data.subjects.append(u"科%1"_s.arg(s));
            data.rows += {row(70, 10), row(std::nullopt, 0), row(90, 10), row(80, 10)};
        }
        QCOMPARE(drawClassComparison(f.pointers(), data), 10);
        const ChartFrame &c = f.frames[9];
        QCOMPARE(c.caption, u"各班(科9)成绩对比分析图"_s);
        QCOMPARE(shownMarkers(c), QList<int>({1, 3, 4}));
        QVERIFY(c.findLine(u"Line3"_s, 2)->visible);          // its tick and name stay
        QVERIFY(c.findLabel(u"Label5"_s, 2)->visible);
        const LineElement *link = c.findLine(u"Line4"_s, 3);   // over the empty class
        QCOMPARE(link->x1, 360);
        QVERIFY(!c.findLine(u"Line4"_s, 2)->visible);

        // One class afterwards: its marker at x 360 on the line, the other slots hidden.
        QCOMPARE(drawClassComparison(f.pointers(), oneSubject({row(65.5f, 30)})), 1);
        const ChartFrame &one = f.frames[0];
        QCOMPARE(one.findLine(u"Line3"_s, 1)->x1, 360);
        QCOMPARE(one.findLabel(u"Label3"_s, 1)->left, 310);
        QCOMPARE(one.findLabel(u"Label3"_s, 1)->top, kReferenceY - 50);
        QVERIFY(!one.findLine(u"Line4"_s, 1)->visible);
        QCOMPARE(shownMarkers(one), QList<int>({1}));
        QCOMPARE(shownMarkers(one, u"Label5"_s), QList<int>({1}));
        QVERIFY(!one.findLine(u"Line3"_s, 3)->visible);
        QCOMPARE(one.findLabel(u"Label100"_s, 0)->caption, u"组平均分65.5"_s);
    }

    void allWithoutScores()
    {
        Frames f;
        drawClassComparison(f.pointers(), oneSubject({row(std::nullopt, 0), row(std::nullopt, 0)}));
        QCOMPARE(f.frames[0].findLabel(u"Label100"_s, 0)->caption, u"组平均分0"_s);
        QVERIFY(shownMarkers(f.frames[0]).isEmpty());
    }

    void teachers()
    {
        Frames f;
        // 王 teaches two classes (80 × 40, 70 × 10 → 78.00), one class has no teacher.
        const ComparisonData data =
            oneSubject({row(80, 40, u"王"_s), row(60, 20, u"李"_s), row(70, 10, u"王"_s), row(90, 50)});
        QCOMPARE(drawTeacherComparison(f.pointers(), data), 1);
        const ChartFrame &c = f.frames[0];
        QCOMPARE(c.caption, u"学科(语文)任课教师成绩对比分析图"_s);
        QCOMPARE(c.findLabel(u"Label50"_s, 0)->caption, u"任课教师"_s);
        // The subject average counts the class without a teacher: 9600 / 120.
        QCOMPARE(c.findLabel(u"Label100"_s, 0)->caption, u"科平均分80"_s);
        QCOMPARE(shownMarkers(c), QList<int>({1, 2}));
        QCOMPARE(c.findLabel(u"Label3"_s, 1)->toolTip, u"所教全部学生平均分:78"_s);
        QCOMPARE(c.findLabel(u"Label5"_s, 1)->caption, u"王"_s);
        QCOMPARE(c.findLabel(u"Label5"_s, 1)->width, 550);
        QCOMPARE(c.findLabel(u"Label5"_s, 2)->caption, u"李"_s);

        // No teacher at all: no point, the subject average still shown.
        drawTeacherComparison(f.pointers(), oneSubject({row(80, 40), row(60, 20)}));
        QVERIFY(shownMarkers(f.frames[0]).isEmpty());
        QVERIFY(!f.frames[0].findLine(u"Line3"_s, 1)->visible);
        QCOMPARE(f.frames[0].findLabel(u"Label100"_s, 0)->caption, u"科平均分73.33"_s);
    }

    void wholeClasses()
    {
        Frames f;
        // Two subjects; 三班 weighs its subjects by participants: (80 × 30 + 81 × 10) / 40 = 80.25.
        ComparisonData data{{u"语文"_s, u"数学"_s}, {u"一班 "_s, u"二班 实验"_s, u"三班 "_s}, {}};
        data.rows = {row(70, 10), row(75, 20), row(80, 30), row(70, 10), row(75, 20), row(81, 10)};
        QCOMPARE(drawWholeClassComparison(f.pointers(), data, 11550), 1);
        const ChartFrame &c = f.frames[0];
        QCOMPARE(c.caption, u"各班(整体)成绩对比分析图"_s);
        QCOMPARE(c.left, (11550 - 4695) / 2);
        QCOMPARE(c.top, 2000);
        QCOMPARE(c.findLabel(u"Label100"_s, 0)->caption, u"组平均线75.08334"_s);
        QCOMPARE(c.findLabel(u"Label3"_s, 3)->toolTip, u"本班整体平均分:80.25"_s);
        QCOMPARE(c.findLabel(u"Label5"_s, 2)->caption, u"二班 实验"_s);

        // A class without any score: no marker, but its 0 lowers the line.
        data.rows[1] = row(std::nullopt, 0);
        data.rows[4] = row(std::nullopt, 0);
        drawWholeClassComparison(f.pointers(), data, 11550);
        QCOMPARE(shownMarkers(c), QList<int>({1, 3}));
        QCOMPARE(c.findLabel(u"Label100"_s, 0)->caption, u"组平均线50.08333"_s);
    }

    // Seven named classes and teachers under the axis, the first at the frame's
    // left edge: every name drawn whole, none over another.
    void namesFitUnderTheAxis_data()
    {
        QTest::addColumn<int>("classes");
        QTest::addColumn<bool>("ends");   // averages at the scale's ends: 100 and near 0
        QTest::newRow("2") << 2 << false;
        QTest::newRow("7") << 7 << false;
        QTest::newRow("12") << 12 << false;
        QTest::newRow("2 at the ends") << 2 << true;
        QTest::newRow("7 at the ends") << 7 << true;
        QTest::newRow("30 at the ends") << 30 << true;
    }
    void namesFitUnderTheAxis()
    {
        QFETCH(int, classes);
        QFETCH(bool, ends);
        Frames f;
        ComparisonData data{{u"语文"_s}, {}, {}};
        for (int k = 0; k < classes; ++k) {
            data.classItems.append(u"初二(%1)班 实验"_s.arg(k + 1));
            const float average = ends ? (k % 2 ? 0.5f : 100.0f) : 70 + float(k % 3) * 5;
            data.rows.append(row(average, 40, u"欧阳老师%1"_s.arg(k + 1)));
        }
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_');
        drawClassComparison(f.pointers(), data);
        verifyCaptionsClear(f.frames[0], u"chart_classes_"_s + tag);
        verifyAxisCaptionClear(f.frames[0]);
        drawTeacherComparison(f.pointers(), data);
        verifyCaptionsClear(f.frames[0], u"chart_teachers_"_s + tag);
        verifyAxisCaptionClear(f.frames[0]);
        drawWholeClassComparison(f.pointers(), data, 11550);
        verifyCaptionsClear(f.frames[0], u"chart_whole_"_s + tag);
        verifyAxisCaptionClear(f.frames[0]);
    }

private:
    // The x axis's caption ("班级") stands above the axis, left of its arrow, whole.
    static void verifyAxisCaptionClear(const ChartFrame &f)
    {
        const QList<DrawnCaption> drawn = fitCaptions(f);
        const DrawnCaption *axis = nullptr;
        const DrawnCaption *arrow = nullptr;
        for (const DrawnCaption &c : drawn) {
            if (c.label == f.findLabel(u"Label50"_s, 0))
                axis = &c;
            if (c.label == f.findLabel(u"Label6"_s, 0))
                arrow = &c;
        }
        QVERIFY(axis && arrow);
        QCOMPARE(axis->lines.join(QString()), f.findLabel(u"Label50"_s, 0)->caption);
        const qreal axisY = f.findLine(u"Line2"_s, 0)->y1 / 15.0;
        QVERIFY2(axis->ink.bottom() < axisY - 1, qPrintable(QString::number(axis->ink.bottom())));
        QVERIFY2(axis->ink.right() < arrow->ink.left(), qPrintable(QString::number(axis->ink.right())));
    }
};

QTEST_MAIN(ComparisonChartsTest)
#include "tst_comparison_charts.moc"
