#include "grade_analysis/subject_statistics.h"
#include "reports/score_report.h"
#include "reports/transcript_options.h"

#include <QTest>

using namespace tessaly;
using namespace tessaly::reports;
using namespace Qt::StringLiterals;

namespace {

// A report by subject of `subjects` × `classes`: data rows "s<i>|c<k>|t<i><k>|…".
QList<QStringList> bySubject(int subjects, int classes)
{
    QList<QStringList> rows{{u"学科"_s, u"班级"_s, u"教师姓名"_s}};
    for (int s = 1; s <= subjects; ++s) {
        for (int c = 1; c <= classes; ++c)
            rows << QStringList{u"s%1"_s.arg(s), u"c%1"_s.arg(c), u"t%1%2"_s.arg(s).arg(c)};
        rows << QStringList{QString(), QString(), QString()};
    }
    return rows;
}

// Columns 0 and 1 of each row joined: "c1/s1", blank rows "/".
QStringList firstTwo(const QList<QStringList> &rows)
{
    QStringList out;
    for (const QStringList &r : rows)
        out << r.value(0) + u'/' + r.value(1);
    return out;
}

} // namespace

class ScoreReportTest : public QObject {
    Q_OBJECT
private slots:
    void orders_data()
    {
        QTest::addColumn<int>("subjects");
        QTest::addColumn<int>("classes");
        QTest::addColumn<QStringList>("byClass");
        QTest::newRow("S 3, n 2") << 3 << 2
                                  << QStringList{u"班级/学科"_s, u"c1/s1"_s, u"c1/s2"_s, u"c1/s3"_s, u"/"_s,
                                                 u"c2/s1"_s, u"c2/s2"_s, u"c2/s3"_s, u"/"_s};
        QTest::newRow("S 1, n 3") << 1 << 3
                                  << QStringList{u"班级/学科"_s, u"c1/s1"_s, u"/"_s, u"c2/s1"_s, u"/"_s,
                                                 u"c3/s1"_s, u"/"_s};
        QTest::newRow("S 2, n 2") << 2 << 2
                                  << QStringList{u"班级/学科"_s, u"c1/s1"_s, u"c1/s2"_s, u"/"_s, u"c2/s1"_s,
                                                 u"c2/s2"_s, u"/"_s};
    }
    void orders()
    {
        QFETCH(int, subjects);
        QFETCH(int, classes);
        QFETCH(QStringList, byClass);
        const QList<QStringList> report = bySubject(subjects, classes);
        QCOMPARE(reportOrderOf(report), ReportOrder::BySubject);
        const QList<QStringList> turned = arrangeReport(report, ReportOrder::ByClass);
        QCOMPARE(firstTwo(turned), byClass);
        QCOMPARE(turned.size(), 1 + classes * (subjects + 1));
        QCOMPARE(reportOrderOf(turned), ReportOrder::ByClass);
        // The other columns travel with their row.
        QCOMPARE(turned[1].value(2), u"t11"_s);
        QCOMPARE(turned.last(), (QStringList{QString(), QString(), QString()}));
        // Already in that order: unchanged; and back by subject exactly as it was.
        QCOMPARE(arrangeReport(turned, ReportOrder::ByClass), turned);
        QCOMPARE(arrangeReport(turned, ReportOrder::BySubject), report);
    }

    void reorderKeepsEveryRowOfAnUnevenReport()
    {
        // A report whose last subject lost a class row still loses no row.
        QList<QStringList> report = bySubject(2, 3);
        report.removeAt(6);   // s2/c2
        const QList<QStringList> turned = arrangeReport(report, ReportOrder::ByClass);
        QCOMPARE(firstTwo(turned), (QStringList{u"班级/学科"_s, u"c1/s1"_s, u"c1/s2"_s, u"/"_s, u"c2/s1"_s,
                                                u"c3/s2"_s, u"/"_s, u"c3/s1"_s, u"/"_s}));
        QCOMPARE(arrangeReport(QList<QStringList>{}, ReportOrder::ByClass), QList<QStringList>{});
    }

    void headerAndBoxes()
    {
        const QStringList header = scoreReportHeader().split(u'|');
        QCOMPARE(header.size(), 22);
        QCOMPARE(header[8], u"^及格率％"_s);
        QCOMPARE(header[10], u"^优秀率％"_s);
        QCOMPARE(header[5], u">班级平均分数"_s);
        QCOMPARE(header[13], u"^0 │59"_s);

        // Every statistics column but 学科 and 班级 belongs to exactly one box.
        QList<int> seen;
        for (int i = 0; i < kReportBoxes; ++i) {
            const ReportBox box = reportBox(i);
            QCOMPARE(box.columns.size(), box.widths.size());
            seen << box.columns;
        }
        std::sort(seen.begin(), seen.end());
        QList<int> expected;
        for (int c = 2; c < grades::kStatisticsCols; ++c)
            expected << c;
        QCOMPARE(seen, expected);
        QCOMPARE(reportBox(5).caption, u"打印及格人数及格率"_s);
        QCOMPARE(reportBox(5).widths, (QList<int>{300, 450}));
        QCOMPARE(reportBox(8).widths, QList<int>(6, 350));
        QCOMPARE(reportBox(10).columns, QList<int>{});
        QCOMPARE(zoomFontScale(Zoom::Normal), 1.0);
        QCOMPARE(zoomFontScale(Zoom::Smaller), 4.1 / 4.5);
        QCOMPARE(zoomFontScale(Zoom::Larger), 5.0 / 4.5);
    }

    void zoomSteps_data()
    {
        QTest::addColumn<QStringList>("steps");   // 0 缩小, 1 正常, 2 放大, in turn
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("820 smaller, normal") << QStringList{u"0"_s, u"1"_s} << 820 << QList<int>{656, 820};
        QTest::newRow("820 smaller, larger") << QStringList{u"0"_s, u"2"_s} << 820 << QList<int>{656, 984};
        QTest::newRow("450 smaller, normal") << QStringList{u"0"_s, u"1"_s} << 450 << QList<int>{360, 450};
        QTest::newRow("hidden stays hidden") << QStringList{u"2"_s, u"0"_s} << 0 << QList<int>{0, 0};
        QTest::newRow("normal at 1") << QStringList{u"1"_s} << 630 << QList<int>{630};
    }
    void zoomSteps()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, width);
        QFETCH(QList<int>, widths);
        QString scale = u"1"_s;
        QList<int> got;
        for (const QString &s : steps) {
            const ZoomStep step = zoomStep(scale, Zoom(s.toInt()));
            width = scaledWidth(width, step.factor);
            scale = step.scale;
            got << width;
        }
        QCOMPARE(got, widths);
    }
};

QTEST_MAIN(ScoreReportTest)
#include "tst_score_report.moc"
