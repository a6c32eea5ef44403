// BIFF records the shared workbooks do not all hold, written by hand into a compound
// file: shared strings split across CONTINUE records, every cell record and formula
// result, BIFF5 code pages, sheet kinds, and damaged or hostile records.
#include <gsf/gsf-utils.h>

#include "fixtures/cell_refs.h"
#include "fixtures/workbook_bytes.h"
#include "workbook/gbk.h"
#include "workbook/xls_book.h"

#include <QtEndian>
#include <QtTest>

#include <cstring>
#include <vector>

using namespace tessaly;
using namespace tessaly::test::biff;
using tessaly::test::cellAt;
using workbook::Failure;
using workbook::SheetCells;
using workbook::XlsBook;

namespace {

QByteArray rkInteger(int v, bool hundredths = false)
{
    return le32(quint32(v) << 2 | 2 | (hundredths ? 1 : 0));
}

// Opens the workbook and reads its sheet; a failure fails the calling test.
std::unique_ptr<XlsBook> openBook(const QByteArray &stream, const char *streamName = "Workbook")
{
    Failure failure = Failure::None;
    auto book = XlsBook::open(compoundFile(stream, streamName), &failure);
    if (!book)
        qWarning("workbook refused: %d", int(failure));
    return book;
}

// A BIFF8 workbook with one of each cell record and formula result.
QByteArray everyRecord()
{
    QByteArray globals = record(0x0042, le16(1200));
    globals += record(0x041E, le16(164) + unicode(QStringLiteral("yyyy\"年\"m\"月\"d\"日\"")));
    globals += record(0x041E, le16(165) + unicode(QStringLiteral("[h]:mm:ss")));
    globals += record(0x041E, le16(166) + unicode(QStringLiteral("0.00")));
    for (int format : {0, 14, 164, 165, 166, 22})
        globals += record(0x00E0, le16(0) + le16(format) + QByteArray(16, '\0'));

    // Shared strings; the declared count is absurd and must not matter. "ABCDEF张三" is
    // split after "ABC": the CONTINUE starts with a flags byte saying UTF-16. "李四" has
    // rich-text runs and phonetic data, split by a CONTINUE inside the runs (no flags byte).
    const QByteArray rich = le16(2) + char(0x0D) + le16(2) + le32(6) + utf16(QStringLiteral("李四"))
        + le16(0) + le16(1) + le16(1) + le16(2) + QByteArray(6, '\x7F');
    const qsizetype split = 2 + 1 + 2 + 4 + 4 + 3;
    globals += record(0x00FC, le32(5) + le32(0xFFFFFFFF) + unicode(QStringLiteral("姓名"))
                                  + le16(8) + char(0) + "ABC");
    globals += record(0x003C, QByteArray(1, '\x01') + utf16(QStringLiteral("DEF张三")) + rich.left(split));
    globals += record(0x003C, rich.mid(split) + unicode(QString()) + unicode(QStringLiteral("after")));

    QByteArray cells;
    for (int i = 0; i < 5; ++i)
        cells += record(0x00FD, cell(0, i) + le32(quint32(i)));
    cells += record(0x00FD, cell(0, 5) + le32(99));

    cells += number(1, 0, 13868106871.0);
    cells += record(0x027E, cell(1, 1) + rkInteger(45));
    cells += record(0x027E, cell(1, 2) + rkInteger(8850, true));
    cells += record(0x027E, cell(1, 3) + le32(0x3FE00000));  // the high bits of 0.5
    cells += record(0x027E, cell(1, 4) + rkInteger(-3));
    cells += number(1, 5, 70.33, 4);
    cells += record(0x00BD, le16(2) + le16(0) + le16(0) + rkInteger(1) + le16(1) + rkInteger(41486)
                                + le16(0) + rkInteger(7033, true) + le16(2));

    cells += number(3, 0, 41486, 2);
    cells += number(3, 1, 10.6320601851852, 3);
    cells += number(3, 2, 41486.5, 5);
    cells += number(3, 3, 41486, 200);  // a format beyond the list

    cells += record(0x0205, cell(4, 0) + char(1) + char(0));
    cells += record(0x0205, cell(4, 1) + char(0) + char(0));
    const int errors[] = {0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A};
    for (int i = 0; i < 7; ++i)
        cells += record(0x0205, cell(4, 2 + i) + char(errors[i]) + char(1));

    cells += formula(5, 0, le64(211));
    cells += formula(5, 1, specialResult(0));
    cells += record(0x04BC, QByteArray(10, '\0'));  // a shared formula between the two
    cells += record(0x0207, unicode(QStringLiteral("及格")));
    cells += formula(5, 2, specialResult(1, 1));
    cells += formula(5, 3, specialResult(2, 0x07));
    cells += formula(5, 4, specialResult(3));
    cells += formula(5, 5, le64(41486), {}, 1);
    cells += formula(5, 6, specialResult(0));
    cells += record(0x0207, le16(3) + char(1) + utf16(QStringLiteral("一")));
    cells += record(0x003C, QByteArray(1, '\0') + "ab");
    cells += record(0x0207, unicode(QStringLiteral("no formula")));  // nothing waits for it

    cells += record(0x0204, cell(6, 0) + unicode(QStringLiteral("标签")));
    cells += record(0x00D6, cell(6, 1) + unicode(QStringLiteral("富文本")) + le16(1) + le32(0));
    return workbookStream(globals, {worksheet(QStringLiteral("表"), cells)});
}

} // namespace

class TestXlsBook : public QObject {
    Q_OBJECT

private:
    SheetCells m_cells;

private slots:
    void initTestCase()
    {
        gsf_init();
        auto book = openBook(everyRecord());
        QVERIFY(book);
        QCOMPARE(book->sheetNames(), QStringList{QStringLiteral("表")});
        Failure failure = Failure::None;
        QVERIFY(book->readSheet(0, &m_cells, &failure));
    }

    void cells_data()
    {
        QTest::addColumn<QString>("ref");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *ref, const QString &text) { QTest::newRow(ref) << QString::fromLatin1(ref) << text; };
        row("A1", QStringLiteral("姓名"));
        row("B1", QStringLiteral("ABCDEF张三"));  // 8-bit, then UTF-16 after the CONTINUE
        row("C1", QStringLiteral("李四"));  // runs and phonetic data skipped
        row("D1", QString());
        row("E1", QStringLiteral("after"));
        row("F1", QString());  // an index beyond the table
        row("A2", QStringLiteral("13868106871"));
        row("B2", QStringLiteral("45"));
        row("C2", QStringLiteral("88.5"));
        row("D2", QStringLiteral("0.5"));
        row("E2", QStringLiteral("-3"));
        row("F2", QStringLiteral("70.33"));  // format 0.00
        row("A3", QStringLiteral("1"));  // MULRK
        row("B3", QStringLiteral("2013-07-31"));
        row("C3", QStringLiteral("70.33"));
        row("A4", QStringLiteral("2013-07-31"));  // 2013年7月31日 in the sheet
        row("B4", QStringLiteral("255:10:10"));
        row("C4", QStringLiteral("2013-07-31 12:00:00"));
        row("D4", QStringLiteral("41486"));
        row("A5", QStringLiteral("TRUE"));
        row("B5", QStringLiteral("FALSE"));
        const char *errors[] = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};
        for (int i = 0; i < 7; ++i)
            row(QByteArray(1, char('C' + i)).append('5').constData(), QString::fromLatin1(errors[i]));
        row("A6", QStringLiteral("211"));
        row("B6", QStringLiteral("及格"));  // the STRING after a SHRFMLA
        row("C6", QStringLiteral("TRUE"));
        row("D6", QStringLiteral("#DIV/0!"));
        row("E6", QString());
        row("F6", QStringLiteral("2013-07-31"));  // a date through the formula's format
        row("G6", QStringLiteral("一ab"));  // UTF-16, then 8-bit after the CONTINUE
        row("A7", QStringLiteral("标签"));
        row("B7", QStringLiteral("富文本"));
    }
    void cells()
    {
        QFETCH(QString, ref);
        QFETCH(QString, text);
        const auto [row, col] = cellAt(ref);
        QCOMPARE(m_cells.value(row, col), text);
    }

    void usedRange()
    {
        QCOMPARE(m_cells.usedRows(), 7);
        QCOMPARE(m_cells.usedCols(), 9);
    }

    // Excel 5.0/95: a "Book" stream, byte strings in the workbook's code page (Windows-1252
    // when the workbook names none), one-byte lengths in FORMAT records.
    void biff5_data()
    {
        QTest::addColumn<int>("codePage");  // 0: no CODEPAGE record
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("text");
        QTest::newRow("GBK") << 936 << toGbk(QStringLiteral("初一(1)班")) << QStringLiteral("初一(1)班");
        QTest::newRow("Windows-1252") << 1252 << QByteArray("Caf\xE9") << QStringLiteral("Café");
        QTest::newRow("no code page") << 0 << QByteArray("Caf\xE9") << QStringLiteral("Café");
    }
    void biff5()
    {
        QFETCH(int, codePage);
        QFETCH(QByteArray, stored);
        QFETCH(QString, text);
        QByteArray globals = codePage ? record(0x0042, le16(codePage)) : QByteArray();
        globals += record(0x041E, le16(170) + char(10) + "yyyy-mm-dd");
        for (int format : {0, 170})
            globals += record(0x00E0, le16(0) + le16(format) + QByteArray(12, '\0'));
        const QByteArray byteString = le16(int(stored.size())) + stored;
        QByteArray cells = record(0x0204, cell(0, 0) + byteString);
        cells += number(1, 0, 41486, 1);
        cells += formula(2, 0, specialResult(0));
        cells += record(0x0207, byteString);
        // Uncalculated: A2+1, with BIFF5's reference (flags in the row word, a column byte).
        cells += formula(3, 0, specialResult(3), QByteArray(1, char(0x44)) + le16(1 | 0xC000) + char(0)
                                                     + ptg::integer(1) + ptg::op(0x03));
        const QByteArray stream = workbookStream(globals, {{char(stored.size()) + stored, cells}}, 0x0500);

        auto book = openBook(stream, "Book");
        QVERIFY(book);
        QCOMPARE(book->sheetNames(), QStringList{text});
        SheetCells read;
        Failure failure = Failure::None;
        QVERIFY(book->readSheet(0, &read, &failure));
        QCOMPARE(read.value(1, 1), text);
        QCOMPARE(read.value(2, 1), QStringLiteral("2013-07-31"));
        QCOMPARE(read.value(3, 1), text);
        QCOMPARE(read.value(4, 1), QStringLiteral("41487"));
    }

    // Worksheets only, hidden ones too, in workbook order; a chart embedded in a
    // worksheet is skipped and the cells after it are read.
    void sheetKinds()
    {
        const QByteArray embedded = bof(0x0020, 0x0600) + number(0, 0, 99) + bof(0x0020, 0x0600) + kEof + kEof;
        std::vector<Sheet> sheets = {
            worksheet(QStringLiteral("Visible"), number(0, 0, 1)),
            {unicode(QStringLiteral("Chart"), 1), {}, 2, 0x20},
            {unicode(QStringLiteral("Hidden"), 1), number(0, 0, 2), 0, 0x10, 1},
            {unicode(QStringLiteral("Macro"), 1), number(0, 0, 3), 1, 0x40},
            {unicode(QStringLiteral("VeryHidden"), 1), {}, 0, 0x10, 2},
            {unicode(QStringLiteral("Module"), 1), {}, 6, 0x06},
            {unicode(QStringLiteral("Chart behind a worksheet entry"), 1), {}, 0, 0x20},
            worksheet(QStringLiteral("With a chart"), number(0, 0, 1) + embedded + number(1, 0, 2)),
        };
        auto book = openBook(workbookStream({}, sheets));
        QVERIFY(book);
        QCOMPARE(book->sheetNames(),
                 QStringList({"Visible", "Hidden", "VeryHidden", "With a chart"}));
        SheetCells read;
        Failure failure = Failure::None;
        QVERIFY(book->readSheet(1, &read, &failure));
        QCOMPARE(read.value(1, 1), QStringLiteral("2"));
        QVERIFY(book->readSheet(3, &read, &failure));
        QCOMPARE(read.value(1, 1), QStringLiteral("1"));
        QCOMPARE(read.value(2, 1), QStringLiteral("2"));
        QCOMPARE(read.count(), 2);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("failure");
        const QByteArray cells = number(0, 0, 1);
        const QByteArray good = workbookStream({}, {worksheet(QStringLiteral("Sheet1"), cells)});
        QTest::newRow("password") << compoundFile(workbookStream(record(0x002F, QByteArray(54, '\x11')),
                                                                 {worksheet(QStringLiteral("Sheet1"), cells)}))
                                  << int(Failure::Protected);
        QTest::newRow("no workbook stream") << compoundFile(good, "WordDocument") << int(Failure::NotWorkbook);
        QTest::newRow("not BIFF") << compoundFile("just some text in a stream") << int(Failure::Damaged);
        QTest::newRow("worksheet first") << compoundFile(bof(0x0010, 0x0600) + kEof) << int(Failure::Damaged);
        QTest::newRow("record past the end") << compoundFile(bof(0x0005, 0x0600) + le16(0x0085) + le16(100) + "short")
                                             << int(Failure::Damaged);
        QTest::newRow("chart sheet only")
            << compoundFile(workbookStream({}, {{unicode(QStringLiteral("Chart"), 1), {}, 2, 0x20}}))
            << int(Failure::NoSheets);
        QByteArray broken = QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(1024, '\xFF');
        QTest::newRow("broken compound file") << broken << int(Failure::Damaged);
        QByteArray huge = good;
        huge.resize(workbook::kMaxStreamBytes + 1, '\0');
        QTest::newRow("stream beyond the cap") << compoundFile(huge) << int(Failure::TooLarge);
    }
    void refused()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, failure);
        Failure result = Failure::None;
        QVERIFY(!XlsBook::open(file, &result));
        QCOMPARE(int(result), failure);
    }

    // Formulas whose result was not calculated (an empty text result, as programs that
    // do not calculate write it) are evaluated from their tokens; a stored result stays.
    void uncalculatedFormulas()
    {
        const QByteArray none = specialResult(3);
        const auto f = [&](int row, const QByteArray &tokens) { return formula(row, 0, none, tokens); };
        QByteArray cells = number(0, 0, 10);
        cells += f(1, ptg::ref3d(0, 0, 0) + ptg::integer(5) + ptg::op(0x03));  // Sheet2!A1+5
        cells += f(2, ptg::area3d(0, 0, 0, 1, 0) + ptg::attr(0x10));         // SUM(Sheet2!A1:A2)
        cells += f(3, ptg::ref(0, 0) + ptg::op(0x13) + ptg::num(2.5) + ptg::op(0x03));
        cells += f(4, ptg::integer(50) + ptg::op(0x14));
        cells += f(5, ptg::str(QStringLiteral("总")) + ptg::ref(0, 0) + ptg::op(0x08));
        cells += f(7, ptg::ref(8, 0));
        cells += f(8, ptg::ref(7, 0));
        cells += f(9, char(0x23) + le32(1));                                    // a defined name
        cells += f(10, ptg::integer(1) + ptg::integer(0) + ptg::op(0x06));
        cells += f(11, char(0x2A) + le32(0));                                  // a deleted reference
        cells += f(12, ptg::ref3d(1, 0, 0));                                   // a chart sheet's tab
        cells += formula(13, 0, le64(5), ptg::integer(7));                     // stored: 5
        cells += f(14, ptg::ref(0, 0) + ptg::integer(5) + ptg::op(0x0D) + ptg::attr(0x02, 4) + char(0x16)
                           + ptg::attr(0x08, 7) + ptg::str(QStringLiteral("no")) + ptg::attr(0x08, 3)
                           + ptg::funcVar(1, 3));                              // IF(A1>5,,"no")
        cells += f(15, QByteArray("\x1D\x01", 2));
        cells += f(16, ptg::ref3d(5, 0, 0));                                   // no such entry
        cells += f(17, ptg::area(0, 0, 5, 0) + ptg::str(QStringLiteral(">5")) + ptg::func(346));
        cells += f(18, ptg::ref(0, 0) + ptg::funcVar(999, 1));                  // not evaluated
        const QByteArray second = f(0, ptg::integer(7)) + number(1, 0, 3);
        const std::vector<Sheet> sheets = {worksheet(QStringLiteral("Sheet1"), cells),
                                           worksheet(QStringLiteral("Sheet2"), second),
                                           {unicode(QStringLiteral("Chart"), 1), {}, 2, 0x20}};
        auto book = openBook(workbookStream(externSheets(3, {1, 2}), sheets));
        QVERIFY(book);
        SheetCells read;
        Failure failure = Failure::None;
        QVERIFY(book->readSheet(0, &read, &failure));
        const QStringList expected = {"10", "12", "10", "-7.5", "0.5", "总10", "", "#REF!", "#REF!", "", "#DIV/0!",
                                      "#REF!", "#REF!", "5", "0", "TRUE", "#REF!", "3", ""};
        for (int row = 0; row < expected.size(); ++row)
            QVERIFY2(read.value(row + 1, 1) == expected[row],
                     qPrintable(QStringLiteral("A%1: %2").arg(row + 1).arg(read.value(row + 1, 1))));
    }

    // Token arrays cut short, counts beyond the data, stacks run dry or overfull, trees
    // too deep: the formula is not evaluated and reads as stored, never past its record.
    void hostileTokens()
    {
        const QByteArray none = specialResult(3);
        const std::vector<QByteArray> arrays = {
            ptg::num(1).left(5),
            char(0x17) + QByteArray("\xFF\x01" "ab", 4),
            ptg::funcVar(4, 127),
            ptg::integer(1) + ptg::attr(0x04, 0xFFFF),
            ptg::integer(1) + QByteArray(3000, '\x13'),
            [] { QByteArray many; for (int i = 0; i < 2000; ++i) many += ptg::integer(i); return many; }(),
            ptg::integer(1) + ptg::integer(2),
            ptg::op(0x03),
        };
        QByteArray cells;
        for (size_t i = 0; i < arrays.size(); ++i)
            cells += formula(int(i), 1, none, arrays[i]);
        // A token count beyond the record.
        cells += record(0x0006, cell(int(arrays.size()), 1) + none + le16(0) + le32(0) + le16(500) + ptg::integer(1));
        auto book = openBook(workbookStream({}, {worksheet(QStringLiteral("Sheet1"), cells)}));
        QVERIFY(book);
        SheetCells read;
        Failure failure = Failure::None;
        QVERIFY(book->readSheet(0, &read, &failure));
        for (int row = 1; row <= int(arrays.size()) + 1; ++row)
            QVERIFY2(read.value(row, 2).isEmpty(), qPrintable(QStringLiteral("B%1: %2").arg(row).arg(read.value(row, 2))));
    }

    // Whole-sheet ranges cost what the sheet holds: RANK(SUM(A1:IV65536),A1:IV65536) in
    // every row of a column reads (a cycle: the ranges hold the formulas) at once.
    void wholeSheetRanges()
    {
        const QByteArray whole = ptg::area(0, 0, 0xFFFF, 0xFF);
        QByteArray cells;
        for (int row = 0; row < 2000; ++row)
            cells += number(row, 0, row) + formula(row, 1, specialResult(3),
                                                   whole + ptg::funcVar(4, 1) + whole + ptg::funcVar(216, 2));
        cells += formula(2000, 0, specialResult(3), ptg::area(0, 0, 1999, 0) + ptg::funcVar(4, 1));
        auto book = openBook(workbookStream({}, {worksheet(QStringLiteral("Sheet1"), cells)}));
        QVERIFY(book);
        SheetCells read;
        Failure failure = Failure::None;
        QVERIFY(book->readSheet(0, &read, &failure));
        QCOMPARE(read.value(1, 2), QStringLiteral("#REF!"));
        QCOMPARE(read.value(2000, 2), QStringLiteral("#REF!"));
        QCOMPARE(read.value(2001, 1), QStringLiteral("1999000"));
    }

    // Records too short for what they should hold, lengths beyond the data, positions
    // beyond the sheet: read around, never trusted. Cells are held sparsely.
    void hostileRecords()
    {
        QByteArray globals = record(0x00FC, le32(0xFFFFFFFF) + le32(0xFFFFFFFF) + unicode(QStringLiteral("a"))
                                                + le16(0xFFFF) + char(1) + "xyz");
        QByteArray cells = record(0x00BD, le16(0) + le16(0) + char(1));
        cells += record(0x0203, cell(0, 0).left(5));
        cells += record(0x00FD, cell(0, 1) + le16(0));
        cells += record(0x0006, cell(0, 2) + le32(0));
        cells += record(0x0205, cell(0, 3));
        cells += record(0x0204, cell(0, 4) + le16(60000) + char(0) + "abc");
        cells += record(0x00FD, cell(0, 5) + le32(1));  // the truncated string is not in the table
        cells += number(0xFFFF, 0xFFFF, 8);  // beyond the last column
        // Columns counted on past the last one, and past 0xFFFF: dropped, not wrapped.
        cells += record(0x00BD, le16(1) + le16(16382) + le16(0) + rkInteger(1) + le16(0) + rkInteger(2)
                                    + le16(0) + rkInteger(3) + le16(0));
        cells += record(0x00BD, le16(1) + le16(0xFFFE) + le16(0) + rkInteger(4) + le16(0) + rkInteger(5)
                                    + le16(0) + rkInteger(6) + le16(0));
        cells += number(0xFFFF, 0, 7);
        cells += record(0x00FD, cell(0, 6) + le32(0));
        const QByteArray beyond = record(0x0203, cell(0, 0)) + le16(0x0203) + le16(200);  // runs past the end
        std::vector<Sheet> sheets = {worksheet(QStringLiteral("Sheet1"), cells),
                                     worksheet(QStringLiteral("Cut short"), {})};
        QByteArray stream = workbookStream(globals, sheets);
        stream.chop(kEof.size());
        stream += beyond;
        // A sheet whose substream lies beyond the stream is listed but cannot be read.
        const QByteArray lost = record(0x0085, le32(0x7FFFFFFF) + char(0) + char(0) + unicode(QStringLiteral("Lost"), 1));
        stream.insert(bof(0x0005, 0x0600).size() + globals.size(), lost);
        for (const QByteArray &marker : {QByteArray("Sheet1"), QByteArray("Cut short")}) {
            // Moving the BOUNDSHEETs' offsets past the inserted record.
            const qsizetype at = stream.indexOf(marker) - 8;
            const quint32 offset = qFromLittleEndian<quint32>(stream.constData() + at) + quint32(lost.size());
            stream.replace(at, 4, le32(offset));
        }

        auto book = openBook(stream);
        QVERIFY(book);
        QCOMPARE(book->sheetNames(), QStringList({"Lost", "Sheet1", "Cut short"}));
        SheetCells read;
        Failure failure = Failure::None;
        QVERIFY(book->readSheet(1, &read, &failure));
        QCOMPARE(read.value(1, 7), QStringLiteral("a"));
        QCOMPARE(read.value(65536, 1), QStringLiteral("7"));
        QCOMPARE(read.value(2, 16383), QStringLiteral("1"));
        QCOMPARE(read.value(2, 16384), QStringLiteral("2"));
        QCOMPARE(read.count(), 4);
        QCOMPARE(read.usedRows(), 65536);
        for (int index : {0, 2}) {
            QVERIFY(!book->readSheet(index, &read, &failure));
            QCOMPARE(failure, Failure::Damaged);
        }
    }
};

QTEST_GUILESS_MAIN(TestXlsBook)
#include "tst_xls_book.moc"
