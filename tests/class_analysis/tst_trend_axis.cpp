#include "class_analysis/trend_axis.h"

#include <QTest>

using namespace tessaly::analysis;

class TrendAxisTest : public QObject {
    Q_OBJECT
private slots:
    void numbersShown_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<QList<int>>("numbers");
        QTest::addColumn<QList<int>>("pointsLabelled");
        QTest::newRow("one") << 1 << QList<int>{} << QList<int>{};
        QTest::newRow("two") << 2 << QList<int>{2} << QList<int>{1};
        QTest::newRow("twelve") << 12 << QList<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}
                                << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        QTest::newRow("thirteen") << 13 << QList<int>{3, 5, 7, 9, 11, 13} << QList<int>{2, 4, 6, 8, 10, 12};
        QTest::newRow("twenty") << 20 << QList<int>{3, 5, 7, 9, 11, 13, 15, 17, 19}
                                << QList<int>{2, 4, 6, 8, 10, 12, 14, 16, 18};
        QTest::newRow("twenty-one") << 21 << QList<int>{5, 10, 15, 20} << QList<int>{4, 9, 14, 19};
        QTest::newRow("sixty") << 60 << QList<int>{5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60}
                               << QList<int>{4, 9, 14, 19, 24, 29, 34, 39, 44, 49, 54, 59};
    }
    void numbersShown()
    {
        QFETCH(int, points);
        QFETCH(QList<int>, numbers);
        QFETCH(QList<int>, pointsLabelled);
        QList<int> gotNumbers, gotPoints;
        for (const AxisLabel &label : thinAxisLabels(points)) {
            gotNumbers << label.number;
            gotPoints << label.point;
        }
        QCOMPARE(gotNumbers, numbers);
        QCOMPARE(gotPoints, pointsLabelled);
    }
};

QTEST_APPLESS_MAIN(TrendAxisTest)
#include "tst_trend_axis.moc"
