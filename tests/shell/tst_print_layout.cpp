// The print page's rules: its title, its count boxes, and the breaking of a
// document into printed lines and pages.
#include "shell/print_layout.h"

#include <QFontMetricsF>
#include <QtTest>

using namespace tessaly;
using namespace Qt::StringLiterals;

namespace {

// Pages as texts, a page's lines joined by '\n', to compare in one go.
QStringList pageTexts(const PrintedPages &pages)
{
    QStringList out;
    for (const QStringList &page : pages)
        out.append(page.join(u'\n'));
    return out;
}

QString repeat(const QString &s, int n)
{
    return s.repeated(n);
}

// n lines "1", "2", … each ended by CR LF.
QString numberedLines(int n)
{
    QString out;
    for (int i = 1; i <= n; ++i)
        out += QString::number(i) + u"\r\n"_s;
    return out;
}

QString numbers(int first, int last)
{
    QStringList out;
    for (int i = first; i <= last; ++i)
        out.append(QString::number(i));
    return out.join(u'\n');
}

} // namespace

class TestPrintLayout : public QObject {
    Q_OBJECT

private slots:
    void layout_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("chars");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QStringList>("pages");
        const int a4c = kPresetA4.charsPerLine;
        const int a4l = kPresetA4.linesPerPage;
        const int b5c = kPresetB5.charsPerLine;
        const int b5l = kPresetB5.linesPerPage;

        QTest::newRow("A4: 100 half-width letters are 96 + 4")
            << repeat(u"a"_s, 100) << a4c << a4l
            << QStringList{repeat(u"a"_s, 96) + u'\n' + repeat(u"a"_s, 4)};
        QTest::newRow("A4: full-width only, 48 a line")
            << repeat(u"中"_s, 100) << a4c << a4l
            << QStringList{repeat(u"中"_s, 48) + u'\n' + repeat(u"中"_s, 48) + u'\n' + repeat(u"中"_s, 4)};
        QTest::newRow("A4: one half-width first, the 96th column stays empty")
            << u"a"_s + repeat(u"中"_s, 60) << a4c << a4l
            << QStringList{u"a"_s + repeat(u"中"_s, 47) + u'\n' + repeat(u"中"_s, 13)};
        QTest::newRow("full-width blanks are full-width")
            << repeat(u"　"_s, 50) << a4c << a4l
            << QStringList{repeat(u"　"_s, 48) + u'\n' + repeat(u"　"_s, 2)};
        QTest::newRow("a full-width character is never split")
            << u"ab中中"_s << 5 << a4l << QStringList{u"ab中\n中"_s};
        QTest::newRow("B5: 80 columns")
            << repeat(u"b"_s, 100) << b5c << b5l
            << QStringList{repeat(u"b"_s, 80) + u'\n' + repeat(u"b"_s, 20)};
        QTest::newRow("B5: 59 lines a page")
            << numberedLines(120) << b5c << b5l
            << QStringList{numbers(1, 59), numbers(60, 118), numbers(119, 120)};
        QTest::newRow("lines ended because full count on the page")
            << repeat(u"x"_s, 10) << 4 << 2 << QStringList{u"xxxx\nxxxx"_s, u"xx"_s};
        QTest::newRow("no CR LF: the whole text")
            << u"只有一行没有换行"_s << a4c << a4l << QStringList{u"只有一行没有换行"_s};
        QTest::newRow("leading blanks are printed")
            << u"       　　标题\r\n正文"_s << a4c << a4l << QStringList{u"       　　标题\n正文"_s};
        QTest::newRow("tab prints two blanks and counts two")
            << u"a\tbcd"_s << 4 << a4l << QStringList{u"a  b\ncd"_s};
        QTest::newRow("CR LF after a full line ends an empty one")
            << u"abcd\r\nef"_s << 4 << a4l << QStringList{u"abcd\n\nef"_s};
        QTest::newRow("lone CR and LF print as blanks")
            << u"a\rb\nc"_s << a4c << a4l << QStringList{u"a b c"_s};
        QTest::newRow("empty lines count")
            << u"1\r\n\r\n3"_s << a4c << 2 << QStringList{u"1\n"_s, u"3"_s};
        QTest::newRow("no empty page after the last line")
            << u"1\r\n2\r\n"_s << a4c << 2 << QStringList{u"1\n2"_s};
        QTest::newRow("empty text") << QString() << a4c << a4l << QStringList{};
        QTest::newRow("zero columns") << u"abc"_s << 0 << a4l << QStringList{};
        QTest::newRow("zero lines") << u"abc"_s << a4c << 0 << QStringList{};
    }
    void layout()
    {
        QFETCH(QString, text);
        QFETCH(int, chars);
        QFETCH(int, lines);
        QFETCH(QStringList, pages);
        QCOMPARE(pageTexts(layoutPrintPages(text, chars, lines)), pages);
    }

    void title_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("first line") << u"标题\r\n正文\r\n"_s << u"标题"_s;
        QTest::newRow("leading blanks trimmed") << u"       　　标题\r\n正文"_s << u"　　标题"_s;
        QTest::newRow("empty first line") << u"\r\n正文"_s << QString();
        QTest::newRow("no CR LF") << u"标题 正文"_s << QString();
        QTest::newRow("lone LF is no line end") << u"标题\n正文"_s << QString();
        QTest::newRow("trailing blanks of the text go first") << u"标题\r\n   "_s << u"标题"_s;
    }
    void title()
    {
        QFETCH(QString, text);
        QFETCH(QString, title);
        QCOMPARE(printTitle(text), title);
    }

    // The title beside the text, one character a line, in the 855-twip column.
    void verticalTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("column");   // the characters shown, top to bottom
        QTest::addColumn<bool>("shrunk");
        QTest::newRow("short") << u"打印"_s << 500 << u"打印"_s << false;
        QTest::newRow("blanks at the ends") << u"　　　　　　　各年级组班主任分工表 "_s << 400
                                            << u"各年级组班主任分工表"_s << true;
        QTest::newRow("exam numbers") << u"初二年级组三班考试编号 (共45人)"_s << 500
                                      << u"初二年级组三班考试编号 (共45人)"_s << true;
        QTest::newRow("too long") << u"学"_s.repeated(60) << 300 << u"学"_s.repeated(15) + u"︙"_s << true;
    }
    void verticalTitle()
    {
        QFETCH(QString, title);
        QFETCH(int, height);
        QFETCH(QString, column);
        QFETCH(bool, shrunk);
        QFont font(u"serif"_s);
        font.setPointSizeF(36);
        font.setBold(true);
        const QSizeF box(57, height);
        const VerticalTitle t = fitVerticalTitle(title, font, box);
        // Every character lies inside the box.
        QVERIFY(t.characters.size() * t.lineHeight <= box.height());
        const QFontMetricsF m(t.font);
        for (const QString &c : t.characters)
            QVERIFY2(m.horizontalAdvance(c) <= box.width(), qPrintable(c));
        QVERIFY(t.font.pointSizeF() >= kSmallestTitlePoints);
        QCOMPARE(t.font.pointSizeF() < 36, shrunk);
        QCOMPARE(t.font.bold(), true);
        if (column.endsWith(u"︙"_s)) {
            // Cut at the smallest size, as many characters as the column holds.
            QCOMPARE(t.font.pointSizeF(), kSmallestTitlePoints);
            QCOMPARE(t.characters.size(), qsizetype(box.height() / t.lineHeight));
            QVERIFY(t.characters.join(QString()).startsWith(u"学学学"_s));
            QCOMPARE(t.characters.last(), u"︙"_s);
        } else {
            QCOMPARE(t.characters.join(QString()), column);
        }
    }

    void count_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("count");   // 0: refused
        QTest::newRow("digits") << u"70"_s << 70;
        QTest::newRow("one") << u"1"_s << 1;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("zero") << u"0"_s << 0;
        QTest::newRow("double zero") << u"00"_s << 0;
        QTest::newRow("pasted letter") << u"7a"_s << 0;
        QTest::newRow("full-width digits") << u"７０"_s << 0;
        QTest::newRow("minus") << u"-5"_s << 0;
    }
    void count()
    {
        QFETCH(QString, box);
        QFETCH(int, count);
        const std::optional<int> n = printCount(box);
        QCOMPARE(n.value_or(0), count);
    }
};

QTEST_MAIN(TestPrintLayout)
#include "tst_print_layout.moc"
