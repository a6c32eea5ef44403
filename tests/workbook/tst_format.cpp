#include "workbook/format.h"

#include <QtTest>

#include <QRegularExpression>

#include <cmath>
#include <limits>

using namespace tessaly;

class TestFormat : public QObject {
    Q_OBJECT

private slots:
    void formatFixed_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        // Halves as written round away from zero, although the double lies below.
        QTest::newRow("3.125") << 3.125 << 2 << "3.13";
        QTest::newRow("2.675") << 2.675 << 2 << "2.68";
        QTest::newRow("1.005") << 1.005 << 2 << "1.01";
        QTest::newRow("0.285") << 0.285 << 2 << "0.29";
        QTest::newRow("-1.005") << -1.005 << 2 << "-1.01";
        QTest::newRow("2.5, 0 decimals") << 2.5 << 0 << "3";
        QTest::newRow("-2.5, 0 decimals") << -2.5 << 0 << "-3";
        QTest::newRow("0.5, 0 decimals") << 0.5 << 0 << "1";
        QTest::newRow("-0.5, 0 decimals") << -0.5 << 0 << "-1";
        QTest::newRow("just below a half") << 1.4999999 << 0 << "1";
        QTest::newRow("6.25 to one place") << 6.25 << 1 << "6.3";
        // Carries.
        QTest::newRow("99.995") << 99.995 << 2 << "100.00";
        QTest::newRow("9.5") << 9.5 << 0 << "10";
        QTest::newRow("0.0005 to 3") << 0.0005 << 3 << "0.001";
        // Padding and plain values.
        QTest::newRow("whole") << 12.0 << 2 << "12.00";
        QTest::newRow("rate 1 of 8") << 100.0 / 8 << 2 << "12.50";
        QTest::newRow("a third") << 100.0 / 3 << 2 << "33.33";
        QTest::newRow("two thirds") << 200.0 / 3 << 2 << "66.67";
        QTest::newRow("zero") << 0.0 << 2 << "0.00";
        QTest::newRow("negative zero") << -0.0 << 2 << "0.00";
        QTest::newRow("small negative rounds to zero") << -0.001 << 2 << "0.00";
        QTest::newRow("half a cent negative") << -0.005 << 2 << "-0.01";
        QTest::newRow("far below the places") << 1.5e-10 << 2 << "0.00";
        QTest::newRow("single-precision 0.1") << double(0.1f) << 2 << "0.10";
        QTest::newRow("single-precision 78.25") << double(78.25f) << 2 << "78.25";
        // Large values: no exponent, no grouping.
        QTest::newRow("large") << 123456789012.345 << 2 << "123456789012.35";
        QTest::newRow("1e20") << 1e20 << 2 << "100000000000000000000.00";
        QTest::newRow("negative decimals mean 0") << 1.5 << -1 << "2";
        QTest::newRow("more places than digits") << 0.125 << 5 << "0.12500";
    }
    void formatFixed()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(FormatFixed(value, decimals), text);
        // The figure shown, read back: the same rounding without the text.
        QCOMPARE(roundedFixed(value, decimals), text.toDouble());
    }

    // Sums of scores, halves among them: the number rounds exactly as the text.
    void roundedFixedReadsAsTheText()
    {
        for (int decimals : {0, 1, 2}) {
            for (int i = -200000; i <= 200000; i += 7) {
                const double value = i / 1000.0 + (i % 3) * 0.05;
                QCOMPARE(roundedFixed(value, decimals), FormatFixed(value, decimals).toDouble());
            }
        }
    }

    // Totals, averages and deviations as the analyses show them: the text is the
    // shortest decimal rounded on its digits, halves away from zero.
    void formatFixedRoundsTheShortestText()
    {
        const auto rounded = [](double value, int decimals) {
            QString digits = QString::number(std::fabs(value), 'f', QLocale::FloatingPointShortest);
            if (!digits.contains(QLatin1Char('.')))
                digits += QLatin1Char('.');
            const qsizetype point = digits.indexOf(QLatin1Char('.'));
            digits += QString(decimals + 1, QLatin1Char('0'));
            QString kept = digits.left(point) + digits.mid(point + 1, decimals);
            if (digits.at(point + 1 + decimals) >= QLatin1Char('5')) {
                qsizetype i = kept.size() - 1;
                for (; i >= 0 && kept.at(i) == QLatin1Char('9'); --i)
                    kept[i] = QLatin1Char('0');
                if (i < 0)
                    kept.prepend(QLatin1Char('1'));
                else
                    kept[i] = QChar(kept.at(i).unicode() + 1);
            }
            QString text = kept.left(kept.size() - decimals);
            while (text.size() > 1 && text.startsWith(QLatin1Char('0')))
                text.remove(0, 1);
            if (text.isEmpty())
                text = QStringLiteral("0");
            if (decimals > 0)
                text += QLatin1Char('.') + kept.right(decimals);
            const bool zero = !kept.contains(QRegularExpression(QStringLiteral("[1-9]")));
            return (value < 0 && !zero ? QStringLiteral("-") : QString()) + text;
        };
        QList<double> values;
        for (int i = -3000; i <= 3000; ++i) {
            values << i / 10.0 << i / 60.0 << i * 0.15 << std::sqrt(std::fabs(i)) * (i < 0 ? -1 : 1)
                   << i / 8.0 << 900 + i / 1000.0;
        }
        for (int decimals : {0, 1, 2, 3}) {
            for (double value : std::as_const(values))
                QCOMPARE(FormatFixed(value, decimals), rounded(value, decimals));
        }
    }

    void formatFixedNotFinite()
    {
        // No digits to round: the text says what the value is rather than a number.
        QVERIFY(!FormatFixed(std::numeric_limits<double>::quiet_NaN(), 2).contains(QLatin1Char('.')));
        QVERIFY(!FormatFixed(std::numeric_limits<double>::infinity(), 2).isEmpty());
    }

    void formatSingle_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("85.5") << 85.5f << "85.5";
        QTest::newRow("100") << 100.f << "100";
        QTest::newRow("0.1") << 0.1f << "0.1";
        QTest::newRow("59.99") << 59.99f << "59.99";
        QTest::newRow("78.25") << 78.25f << "78.25";
        QTest::newRow("185.5") << 185.5f << "185.5";
        QTest::newRow("negative") << -12.25f << "-12.25";
        QTest::newRow("zero") << 0.f << "0";
        QTest::newRow("negative zero") << -0.f << "0";
        QTest::newRow("a third: 7 digits") << 1.f / 3 << "0.3333333";
        QTest::newRow("two thirds: rounded up") << 2.f / 3 << "0.6666667";
        QTest::newRow("average 512.3333") << 1537.f / 3 << "512.3333";
        QTest::newRow("mean of 70, 75, 80.25") << (70.f + 75.f + 80.25f) / 3 << "75.08334";
        QTest::newRow("8th digit below 5") << 0.99999994f << "0.9999999";
        QTest::newRow("carry to a whole number") << 1.99999988f << "2";
        QTest::newRow("7 digits whole") << 9999999.f << "9999999";
        QTest::newRow("small, no exponent") << 0.0001f << "0.0001";
        QTest::newRow("large: exponent") << 12345678.f << "1.234568e+07";
        QTest::newRow("ten million") << 1e7f << "1e+07";
        QTest::newRow("tiny: exponent") << 0.00001f << "1e-05";
        // Rounded once, from the float's exact value, not from its shortest text.
        QTest::newRow("73.3849945, shortest 73.384995") << 73.3849945f << "73.38499";
        QTest::newRow("0.000976565, exactly 0.00097656494…") << 0.000976565f << "0.0009765649";
        QTest::newRow("exact half at the 8th digit: away from zero") << 12345665.f << "1.234567e+07";
        QTest::newRow("negative exact half") << -12345665.f << "-1.234567e+07";
    }
    void formatSingle()
    {
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(tessaly::formatSingle(value), text);
    }

    // A float with fixed decimals: rounded once more from its seven-digit text, by
    // formatSingleFixed and by FormatFixed of a float alike; the double it widens to
    // is rounded on its own shortest text.
    void formatSingleFixed_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("widened");   // FormatFixed(double(value), decimals)
        QTest::newRow("72.45 stored") << 72.45f << 1 << "72.5" << "72.4";
        QTest::newRow("2.675") << 2.675f << 2 << "2.68" << "2.67";
        QTest::newRow("top-ten average 73.3849945") << 73.3849945f << 2 << "73.38" << "73.38";
        QTest::newRow("59.45") << 59.45f << 1 << "59.5" << "59.5";
        QTest::newRow("-0.125") << -0.125f << 2 << "-0.13" << "-0.13";
        QTest::newRow("a third") << 1.f / 3 << 2 << "0.33" << "0.33";
        QTest::newRow("0.05, none") << 0.05f << 0 << "0" << "0";
        QTest::newRow("whole") << 85.f << 2 << "85.00" << "85.00";
    }
    void formatSingleFixed()
    {
        QFETCH(float, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QFETCH(QString, widened);
        QCOMPARE(tessaly::formatSingleFixed(value, decimals), text);
        QCOMPARE(FormatFixed(value, decimals), text);
        QCOMPARE(FormatFixed(double(value), decimals), widened);
        // The number a shown figure reads back as follows the same rounding.
        QCOMPARE(roundedFixed(value, decimals), text.toDouble());
    }

    // Scores and their sums, halves and quarters: the decimal they were written as.
    void formatSingleWritesScoresAsEntered()
    {
        const auto decimal = [](int whole, int places) {
            QString digits = QString::number(std::abs(whole)).rightJustified(places + 1, QLatin1Char('0'));
            QString text = digits.left(digits.size() - places);
            QString fraction = digits.right(places);
            while (fraction.endsWith(QLatin1Char('0')))
                fraction.chop(1);
            if (!fraction.isEmpty())
                text += QLatin1Char('.') + fraction;
            return (whole < 0 ? QStringLiteral("-") : QString()) + text;
        };
        for (int places : {0, 1, 2, 3}) {
            const int scale = int(std::pow(10, places));
            for (int whole = -100000; whole <= 100000; whole += (places == 0 ? 1 : 7)) {
                if (whole == 0)
                    continue;
                const float value = float(double(whole) / scale);
                const QString text = decimal(whole, places);
                QCOMPARE(tessaly::formatSingle(value), text);
                // Read back as shown: the decimal's own double, not the single's.
                QString written;
                QCOMPARE(shownSingle(value, &written), text.toDouble());
                QCOMPARE(written, text);
            }
        }
        for (const int big : {1000000, 2500000, 9999999, 1234567})
            QCOMPARE(tessaly::formatSingle(float(big)), QString::number(big));
    }

    // Totals of scores, averages, and magnitudes at the edges of the plain form.
    void formatGeneral15AsQtWritesIt()
    {
        QList<double> values{0.0, -0.0, 1e15, 999999999999999.0, 1e-5, 0.0001, 1.0 / 3, 0.1 + 0.2, -512.5,
                             123456789012345.6, 1e20, 2.5e-7};
        for (int i = -3000; i <= 3000; ++i)
            values << i * 0.5 << i / 10.0 + 700 << i / 3.0 << (i * 0.1 + 0.2) * 9;
        for (double value : std::as_const(values))
            QCOMPARE(formatGeneral15(value), QString::number(value, 'g', 15));
    }

    void shortDate()
    {
        // No leading zeros in month and day.
        QCOMPARE(shortDateText(QDate(2026, 9, 1)), QStringLiteral("2026/9/1"));
        QCOMPARE(shortDateText(QDate(2025, 12, 31)), QStringLiteral("2025/12/31"));
    }
};

QTEST_MAIN(TestFormat)
#include "tst_format.moc"
