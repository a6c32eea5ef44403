// BIFF records the shared workbooks do not all hold, written by hand into a compound
// file: shared strings split across CONTINUE records, every cell record and formula
// result, BIFF5 code pages, sheet kinds, and damaged or hostile records.
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include "fixtures/cell_refs.h"
#include "platform/gbk.h"
#include "platform/xls_book.h"

#include <QtEndian>
#include <QtTest>

#include <cstring>
#include <vector>

using namespace tessaly;
using tessaly::test::cellAt;
using workbook::Failure;
using workbook::SheetCells;
using workbook::XlsBook;

namespace {

QByteArray le16(int v)
{
    QByteArray b(2, Qt::Uninitialized);
    qToLittleEndian<quint16>(quint16(v), b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, Qt::Uninitialized);
    qToLittleEndian<quint32>(v, b.data());
    return b;
}

QByteArray le64(double v)
{
    quint64 bits = 0;
    std::memcpy(&bits, &v, 8);
    QByteArray b(8, Qt::Uninitialized);
    qToLittleEndian<quint64>(bits, b.data());
    return b;
}

QByteArray utf16(const QString &s)
{
    QByteArray b;
    for (QChar c : s)
        b += le16(c.unicode());
    return b;
}

QByteArray record(int id, const QByteArray &data)
{
    return le16(id) + le16(int(data.size())) + data;
}

// A BIFF8 string: its length (lengthBytes wide), a flags byte, 8-bit or UTF-16 characters.
QByteArray unicode(const QString &s, int lengthBytes = 2)
{
    const bool wide = std::any_of(s.begin(), s.end(), [](QChar c) { return c.unicode() > 0xFF; });
    QByteArray b = lengthBytes == 1 ? QByteArray(1, char(s.size())) : le16(int(s.size()));
    b += char(wide ? 1 : 0);
    return b + (wide ? utf16(s) : s.toLatin1());
}

QByteArray cell(int row, int col, int xf = 0)
{
    return le16(row) + le16(col) + le16(xf);
}

QByteArray number(int row, int col, double v, int xf = 0)
{
    return record(0x0203, cell(row, col, xf) + le64(v));
}

QByteArray rkInteger(int v, bool hundredths = false)
{
    return le32(quint32(v) << 2 | 2 | (hundredths ? 1 : 0));
}

// A formula whose cached result is no number: type 0 text (a STRING record follows),
// 1 boolean, 2 error, 3 empty text.
QByteArray formula(int row, int col, const QByteArray &value, int xf = 0)
{
    return record(0x0006, cell(row, col, xf) + value + le16(0) + le32(0) + le16(0));
}

QByteArray specialResult(int type, int value = 0)
{
    return QByteArray(1, char(type)) + '\0' + char(value) + QByteArray(3, '\0') + "\xFF\xFF";
}

QByteArray bof(int type, int version)
{
    QByteArray data = le16(version) + le16(type) + le16(0) + le16(0);
    if (version >= 0x0600)
        data += le32(0) + le32(0);
    return record(0x0809, data);
}

const QByteArray kEof = record(0x000A, {});

struct Sheet {
    QByteArray name;  // as stored, with its length
    QByteArray records;
    int type = 0;  // in BOUNDSHEET: 0 worksheet, 1 macro sheet, 2 chart, 6 module
    int bofType = 0x10;
    int state = 0;  // 0 visible, 1 hidden, 2 very hidden
};

Sheet worksheet(const QString &name, const QByteArray &records)
{
    return {unicode(name, 1), records};
}

// A workbook stream: globals, one BOUNDSHEET per sheet, then the sheets' substreams.
QByteArray workbookStream(const QByteArray &globals, const std::vector<Sheet> &sheets, int version = 0x0600)
{
    QByteArray head = bof(0x0005, version) + globals;
    qsizetype offset = head.size() + kEof.size();
    for (const Sheet &s : sheets)
        offset += 4 + 6 + s.name.size();
    QByteArray bodies;
    for (const Sheet &s : sheets) {
        head += record(0x0085, le32(quint32(offset + bodies.size())) + char(s.state) + char(s.type) + s.name);
        bodies += bof(s.bofType, version) + s.records + kEof;
    }
    return head + kEof + bodies;
}

QByteArray compoundFile(const QByteArray &stream, const char *name = "Workbook")
{
    GsfOutput *sink = gsf_output_memory_new();
    GsfOutfile *ole = gsf_outfile_msole_new(sink);
    GsfOutput *child = gsf_outfile_new_child(ole, name, FALSE);
    gsf_output_write(child, size_t(stream.size()), reinterpret_cast<const guint8 *>(stream.constData()));
    gsf_output_close(child);
    g_object_unref(child);
    gsf_output_close(GSF_OUTPUT(ole));
    g_object_unref(ole);
    const QByteArray bytes(reinterpret_cast<const char *>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink))),
                           qsizetype(gsf_output_size(sink)));
    g_object_unref(sink);
    return bytes;
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
    cells += formula(5, 5, le64(41486), 1);
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
