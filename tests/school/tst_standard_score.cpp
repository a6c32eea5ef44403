#include "school/standard_score.h"

#include <QTest>

using namespace tessaly::school;

class StandardScoreTest : public QObject {
    Q_OBJECT
private slots:
    void deviation()
    {
        // 60 and 80: mean 70, deviation 10.
        QCOMPARE(populationStdDev(2, 140, 60 * 60 + 80 * 80), 10.0);
        QCOMPARE(populationStdDev(1, 85, 85 * 85), 0.0);
        QCOMPARE(populationStdDev(0, 0, 0), 0.0);
        // Three equal scores whose sums round so that n·Q − S² falls just below 0.
        const double s = 0.1 + 0.2, q = 3 * (0.1 + 0.2) * (0.1 + 0.2) - 1e-15;
        QCOMPARE(populationStdDev(3, 3 * s, q), 0.0);
    }
    void text_data()
    {
        QTest::addColumn<float>("score");
        QTest::addColumn<float>("average");
        QTest::addColumn<float>("deviation");
        QTest::addColumn<QString>("expected");
        QTest::newRow("above") << 80.f << 70.f << 10.f << "1.00";
        QTest::newRow("below") << 67.f << 70.f << 10.f << "-0.30";
        QTest::newRow("zero deviation") << 85.f << 85.f << 0.f << "0.00";
        QTest::newRow("deviation shown as 0.00") << 85.f << 84.f << 0.004f << "0.00";
    }
    void text()
    {
        QFETCH(float, score);
        QFETCH(float, average);
        QFETCH(float, deviation);
        QFETCH(QString, expected);
        QCOMPARE(standardScoreText(score, average, deviation), expected);
    }
};

QTEST_APPLESS_MAIN(StandardScoreTest)
#include "tst_standard_score.moc"
