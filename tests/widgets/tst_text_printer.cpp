// Printing lines of text through Qt PrintSupport into PDF files: pages, text,
// cancelling, failures; and the CJK face that stands for 宋体.
#include "fixtures/pdf.h"
#include "widgets/fonts.h"
#include "widgets/text_printer.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPaintEngine>
#include <QPrintEngine>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

// A printer whose job breaks when the given page is started; it records
// whether the job was aborted.
class BreakingPrinter : public QPrinter {
public:
    explicit BreakingPrinter(int breakingPage) : m_engine(breakingPage) { setEngines(&m_engine, &m_engine); }
    bool aborted() const { return m_engine.aborted; }

private:
    struct Engine : QPaintEngine, QPrintEngine {
        explicit Engine(int breakingPage) : QPaintEngine(AllFeatures), breaking(breakingPage) {}
        bool begin(QPaintDevice *) override { state = QPrinter::Active; return true; }
        bool end() override
        {
            if (state != QPrinter::Aborted)
                state = QPrinter::Idle;
            return true;
        }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawPath(const QPainterPath &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        Type type() const override { return User; }
        void setProperty(PrintEnginePropertyKey, const QVariant &) override {}
        QVariant property(PrintEnginePropertyKey key) const override
        {
            return key == PPK_Resolution ? QVariant(1200) : QVariant();
        }
        bool newPage() override
        {
            ++pages;
            if (pages == breaking) {
                state = QPrinter::Error;
                return false;
            }
            return true;
        }
        bool abort() override
        {
            aborted = true;
            state = QPrinter::Aborted;
            return true;
        }
        int metric(QPaintDevice::PaintDeviceMetric m) const override
        {
            switch (m) {
            case QPaintDevice::PdmWidth: return 9921;
            case QPaintDevice::PdmHeight: return 14031;
            case QPaintDevice::PdmDpiX:
            case QPaintDevice::PdmDpiY:
            case QPaintDevice::PdmPhysicalDpiX:
            case QPaintDevice::PdmPhysicalDpiY: return 1200;
            case QPaintDevice::PdmWidthMM: return 210;
            case QPaintDevice::PdmHeightMM: return 297;
            case QPaintDevice::PdmDepth: return 32;
            case QPaintDevice::PdmNumColors: return 256;
            case QPaintDevice::PdmDevicePixelRatio: return 1;
            case QPaintDevice::PdmDevicePixelRatioScaled: return 1 * QPaintDevice::devicePixelRatioFScale();
            }
            return 0;
        }
        QPrinter::PrinterState printerState() const override { return state; }

        int breaking;
        int pages = 1;   // the page being printed
        bool aborted = false;
        QPrinter::PrinterState state = QPrinter::Idle;
    };
    Engine m_engine;
};

} // namespace

class TestTextPrinter : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString file(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void printsEachPageWithItsLines()
    {
        const QString pdf = file(u"three.pdf"_s);
        PdfPrinterChooser chooser(pdf);
        const QList<QStringList> pages = {
            {u"       　　　　　　　各年级组班主任分工表"_s, u"初一年级组:"_s, u"　　一班    　　王老师  "_s},
            {u"Page two, ASCII 0123456789"_s},
            {u"第三页"_s, QString(), u"空行之后"_s},
        };
        TextPageFormat format;
        format.paper = QPageSize::B5;
        const PrintOutcome outcome = printTextPages(pages, format, nullptr);
        QCOMPARE(outcome.status, PrintStatus::Printed);
        QCOMPARE(chooser.runs(), 1);
        QCOMPARE(chooser.lastPaper(), QPageSize::B5);
        QCOMPARE(pdfPageCount(pdf), 3);
        const QStringList text = pdfPages(pdf);
        QCOMPARE(text.size(), 3);
        QVERIFY2(text[0].contains(u"各年级组班主任分工表"_s), qPrintable(text[0]));
        QVERIFY2(text[0].contains(u"初一年级组:"_s), qPrintable(text[0]));
        QVERIFY2(text[0].contains(u"王老师"_s), qPrintable(text[0]));
        QVERIFY2(text[1].contains(u"Page two, ASCII 0123456789"_s), qPrintable(text[1]));
        QVERIFY2(text[2].contains(u"第三页"_s) && text[2].contains(u"空行之后"_s), qPrintable(text[2]));
        QVERIFY(text[2].indexOf(u"第三页"_s) < text[2].indexOf(u"空行之后"_s));
    }

    // Lines start 1400 twips (70 pt) from the top and 1100 twips (55 pt) from the
    // left of the paper, 10 pt apart.
    void linesStandAtTheMargins()
    {
        const QString pdf = file(u"margins.pdf"_s);
        PdfPrinterChooser chooser(pdf);
        QCOMPARE(printTextPages({{u"第一行"_s, u"  second"_s}}, TextPageFormat{}, nullptr).status,
                 PrintStatus::Printed);
        const QList<QRectF> words = pdfWordBoxes(pdf);
        QCOMPARE(words.size(), 2);
        QVERIFY2(qAbs(words[0].left() - 55) < 0.5 && qAbs(words[0].top() - 70) < 0.5,
                 qPrintable(u"%1,%2"_s.arg(words[0].left()).arg(words[0].top())));
        QVERIFY2(qAbs(words[1].left() - 65) < 0.5 && qAbs(words[1].top() - 80) < 0.5,
                 qPrintable(u"%1,%2"_s.arg(words[1].left()).arg(words[1].top())));
    }

    void cancellingPrintsNothing()
    {
        const QString pdf = file(u"cancelled.pdf"_s);
        PdfPrinterChooser chooser(pdf);
        chooser.setCancel(true);
        const PrintOutcome outcome = printTextPages({{u"abc"_s}}, TextPageFormat{}, nullptr);
        QCOMPARE(outcome.status, PrintStatus::Cancelled);
        QVERIFY(outcome.error.isEmpty());
        QCOMPARE(chooser.runs(), 1);
        QVERIFY(!QFile::exists(pdf));
    }

    void aPrinterThatCannotStartFails()
    {
        const QString pdf = file(u"missing/folder/out.pdf"_s);
        PdfPrinterChooser chooser(pdf);
        const PrintOutcome outcome = printTextPages({{u"abc"_s}, {u"def"_s}}, TextPageFormat{}, nullptr);
        QCOMPARE(outcome.status, PrintStatus::Failed);
        QVERIFY2(outcome.error.contains(pdf), qPrintable(outcome.error));
        QVERIFY(!QFile::exists(pdf));
    }

    void aJobThatBreaksPartWayIsAborted()
    {
        BreakingPrinter printer(3);
        const PrintOutcome outcome =
            printTextPages(printer, {{u"一"_s}, {u"二"_s}, {u"三"_s}, {u"四"_s}}, TextPageFormat{});
        QCOMPARE(outcome.status, PrintStatus::Failed);
        QCOMPARE(outcome.error, u"打印到第3页时打印机出错，打印作业已取消。"_s);
        QVERIFY(printer.aborted());
    }

    void nothingToPrintAsksNothing()
    {
        PdfPrinterChooser chooser(file(u"none.pdf"_s));
        QCOMPARE(printTextPages({}, TextPageFormat{}, nullptr).status, PrintStatus::Printed);
        QCOMPARE(chooser.runs(), 0);
        QVERIFY(!QFile::exists(file(u"none.pdf"_s)));
    }

    // Reports pad columns by GBK bytes: in 宋体's face a half-width character
    // must be exactly half as wide as a full-width one.
    void songtiKeepsColumns()
    {
        const QFont font = cjkFont(u"宋体"_s, 12);
        QVERIFY2(font.family() != QApplication::font().family(), qPrintable(font.family()));
        const QFontMetricsF m(font);
        const qreal half = m.horizontalAdvance(u"a"_s);
        QCOMPARE(m.horizontalAdvance(u"中"_s), 2 * half);
        QCOMPARE(m.horizontalAdvance(u"　"_s), 2 * half);
        QCOMPARE(m.horizontalAdvance(u"王老师  "_s), m.horizontalAdvance(u"张三丰  "_s));
        QCOMPARE(m.horizontalAdvance(u"Tom     "_s), m.horizontalAdvance(u"王老师  "_s));
    }

    void facesMapToInstalledFamilies_data()
    {
        QTest::addColumn<QString>("face");
        QTest::newRow("宋体") << u"宋体"_s;
        QTest::newRow("楷体_GB2312") << u"楷体_GB2312"_s;
        QTest::newRow("黑体") << u"黑体"_s;
    }
    void facesMapToInstalledFamilies()
    {
        QFETCH(QString, face);
        const QString family = cjkFamily(face);
        QVERIFY(QFontDatabase::families().contains(family));
        QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese),
                 qPrintable(family));
    }
};

QTEST_MAIN(TestTextPrinter)
#include "tst_text_printer.moc"
