#include "workbook/excel_values.h"
#include "fixtures/cell_refs.h"
#include "fixtures/files.h"
#include "fixtures/workbook_bytes.h"
#include "workbook/import_workbook.h"
#include "workbook/xlsx_book.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QXmlStreamReader>
#include <QtTest>

#include <zip.h>

#include <sys/resource.h>

#include <map>
#include <vector>

using namespace tessaly;
using tessaly::test::cellAt;
using tessaly::test::fileBytes;
using tessaly::test::putFile;
using excel::FormatKind;

Q_DECLARE_METATYPE(FormatKind)

namespace {

// The address space a child process may use to open one workbook.
constexpr rlim_t kChildMemoryCap = 256ull * 1024 * 1024;
const char *const kChildVariable = "TESSALY_OPEN_UNDER_MEMORY_CAP";

QString workbookPath(const QString &relative)
{
    return QStringLiteral(TESSALY_WORKBOOKS "/") + relative;
}

// A writable copy of a shared workbook.
QString copyOf(const QString &relative, const QTemporaryDir &dir, const QString &name)
{
    const QString target = dir.filePath(name);
    QFile::remove(target);
    if (!QFile::copy(workbookPath(relative), target))
        return QString();
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    return target;
}

// Every cell of every sheet, keyed by (sheet, row, column); reads one row and column
// beyond the used range so that nothing appears there either.
using CellMap = std::map<std::tuple<int, int, int>, QString>;

CellMap allCells(ImportWorkbook &book)
{
    CellMap cells;
    for (int s = 0; s < book.sheetNames().size(); ++s) {
        if (!book.selectSheet(s))
            continue;
        for (int r = 1; r <= book.usedRows() + 1; ++r)
            for (int c = 1; c <= book.usedCols() + 1; ++c)
                cells[{s, r, c}] = book.cell(r, c);
    }
    return cells;
}

// --- zip files -------------------------------------------------------------------------

struct ZipEntry {
    QByteArray data;
    quint32 crc = 0;
    quint64 compressedSize = 0;
    int method = 0;
};

// Entries in archive order as (name, entry).
std::vector<std::pair<QString, ZipEntry>> zipEntries(const QString &path)
{
    std::vector<std::pair<QString, ZipEntry>> entries;
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!zip)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(zip, zip_uint64_t(i), 0, &st);
        ZipEntry e;
        e.crc = st.crc;
        e.compressedSize = st.comp_size;
        e.method = st.comp_method;
        e.data.resize(qsizetype(st.size));
        if (zip_file_t *f = zip_fopen_index(zip, zip_uint64_t(i), 0)) {
            zip_fread(f, e.data.data(), st.size);
            zip_fclose(f);
        }
        entries.emplace_back(QString::fromUtf8(st.name), e);
    }
    zip_discard(zip);
    return entries;
}

QByteArray zipEntry(const QString &path, const QString &name)
{
    for (const auto &[n, e] : zipEntries(path))
        if (n == name)
            return e.data;
    return QByteArray("<no such entry>");
}

using test::writeZip;

const QByteArray kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const QByteArray kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

QByteArray worksheet(const QByteArray &sheetData, const QByteArray &before = {}, const QByteArray &after = {})
{
    return test::xlsxWorksheet(sheetData, before, after);
}

// A one-sheet package ("Sheet1") around the given worksheet XML, with optional shared
// strings and styles.
bool writeXlsx(const QString &path, const QByteArray &sheet, const QByteArray &sharedStrings = {},
               const QByteArray &styles = {})
{
    return test::writeXlsxBook(path, {{QStringLiteral("Sheet1"), sheet}}, sharedStrings, styles);
}

// Whether rows and the cells of each row stand in ascending order, as a spreadsheet
// requires; positions without r follow the one before.
QString sheetOrderProblem(const QByteArray &xml)
{
    QXmlStreamReader reader(xml);
    int row = 0, col = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = reader.name();
        const QString ref = reader.attributes().value(QStringLiteral("r")).toString();
        if (name == QLatin1String("row")) {
            const int next = ref.isEmpty() ? row + 1 : ref.toInt();
            if (next <= row)
                return QStringLiteral("row %1 after row %2").arg(next).arg(row);
            row = next;
            col = 0;
        } else if (name == QLatin1String("c")) {
            const int next = ref.isEmpty() ? col + 1 : cellAt(ref).second;
            if (next <= col)
                return QStringLiteral("row %1: column %2 after column %3").arg(row).arg(next).arg(col);
            col = next;
        }
    }
    return reader.hasError() ? reader.errorString() : QString();
}

// --- opening in a child process under a memory cap ----------------------------------------

// Run in the child: open the file, select every sheet, print what happened.
int openUnderMemoryCap(const QString &path)
{
#if !defined(__SANITIZE_ADDRESS__)
    // (AddressSanitizer reserves far more address space than any cap allows.)
    const rlimit cap{kChildMemoryCap, kChildMemoryCap};
    setrlimit(RLIMIT_AS, &cap);
#endif
    QTextStream out(stdout);
    QString error;
    std::unique_ptr<ImportWorkbook> book = ImportWorkbook::open(path, &error);
    if (!book) {
        out << "refused\t" << error << "\n";
        return 0;
    }
    out << "opened\n";
    for (int s = 0; s < book->sheetNames().size(); ++s) {
        const bool ok = book->selectSheet(s);
        out << book->sheetNames()[s] << '\t' << (ok ? book->usedRows() : -1) << '\t'
            << (ok ? book->usedCols() : -1) << '\n';
    }
    return 0;
}

struct ChildRun {
    bool finished = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QStringList lines;
};

ChildRun openInChild(const QString &path)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildVariable), path);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    ChildRun run;
    run.finished = child.waitForFinished(60000);
    if (!run.finished)
        child.kill();
    run.status = child.exitStatus();
    run.exitCode = child.exitCode();
    run.lines = QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return run;
}

} // namespace

class TestImportWorkbook : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    std::unique_ptr<ImportWorkbook> openShared(const QString &relative)
    {
        QString error;
        auto book = ImportWorkbook::open(workbookPath(relative), &error);
        if (!book)
            qWarning("%s", qPrintable(error));
        return book;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // --- reading ------------------------------------------------------------------------

    void sheetNames_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("names");
        const QStringList roster = {QStringLiteral("初一(1)班"), QStringLiteral("说明")};
        QStringList eight;
        for (int i = 1; i <= 8; ++i)
            eight << QStringLiteral("Sheet%1").arg(i);
        QTest::newRow("roster xlsx") << "rosters/roster-45.xlsx" << roster;
        QTest::newRow("roster xls") << "rosters/roster-45.xls" << roster;
        QTest::newRow("messy roster") << "rosters/roster-45-messy.xlsx" << roster;
        QTest::newRow("issue127 xlsx") << "peer/issue127.xlsx" << eight;
        QTest::newRow("issue127 xls") << "peer/issue127.xls" << eight;
        QTest::newRow("issues xlsx") << "peer/issues.xlsx"
                                     << QStringList{"datatypes", "Sheet1", "issue2", "issue5", "issue6", "spc_chrs"};
        QTest::newRow("issues xls") << "peer/issues.xls"
                                    << QStringList{"datatypes", "Sheet1", "issue2", "issue5", "issue6"};
        QTest::newRow("backslash part names") << "peer/issue_530.xlsx" << QStringList{QStringLiteral("出勤分类组织汇总表")};
        QTest::newRow("other package layout") << "peer/minimal_package.xlsx" << QStringList{"Sheet1"};
        QTest::newRow("ns: prefix") << "peer/nonstandard-xml-ns-prefix.xlsx" << QStringList{"Sheet1"};
        // Hidden and very hidden worksheets are worksheets; a chart sheet is not.
        QTest::newRow("xls sheet kinds") << "peer/any_sheets.xls" << QStringList{"Visible", "Hidden", "VeryHidden"};
        QTest::newRow("scores xls with a chart") << "rosters/scores-40.xls" << QStringList{QStringLiteral("期中成绩")};
        QTest::newRow("BIFF5") << "peer/biff5_write.xls" << QStringList{"SheetJS"};
    }
    void sheetNames()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, names);
        auto book = openShared(file);
        QVERIFY(book);
        QCOMPARE(book->sheetNames(), names);
        // As the spreadsheet's listing leaves it: the last sheet is current.
        QCOMPARE(book->currentSheet(), names.size() - 1);
    }

    void cells_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("ref");
        QTest::addColumn<QString>("text");

        const QString roster = QStringLiteral("初一(1)班");
        for (const char *file : {"rosters/roster-45.xlsx", "rosters/roster-45.xls"}) {
            const auto row = [&](const char *ref, const QString &text) {
                QTest::addRow("%s %s", file, ref) << QString::fromLatin1(file) << roster << QString::fromLatin1(ref) << text;
            };
            row("A1", QStringLiteral("序号"));
            row("J1", QStringLiteral("联系电话"));
            row("Q1", QStringLiteral("备注"));
            row("A2", QStringLiteral("1"));  // a number cell, not "1.0"
            row("B2", QStringLiteral("杜英"));
            row("C2", QStringLiteral("男"));
            row("D2", QStringLiteral("汉族"));
            row("E2", QStringLiteral("群众"));
            row("F2", QStringLiteral("2013-07-31"));  // a date cell
            row("G2", QStringLiteral("城镇"));
            row("H2", QStringLiteral("城关镇中心小学"));
            row("I2", QStringLiteral("是"));
            row("J2", QStringLiteral("13868106871"));  // a number cell, not 1.38681e+10
            row("M2", QString());  // 特长 empty
            row("Q2", QString());  // 备注 empty
            row("A46", QStringLiteral("45"));
            row("B46", QStringLiteral("邹建明"));
            row("C46", QStringLiteral("男"));
            row("J46", QStringLiteral("13803930009"));
            row("A47", QString());
        }
        QTest::newRow("roster second sheet") << "rosters/roster-45.xlsx" << QStringLiteral("说明") << "A1"
                                             << QStringLiteral("本表由教务处导出");

        // The reader keeps every blank; trimming is the import's job.
        const auto messy = [&](const char *ref, const QString &text) {
            QTest::addRow("messy %s", ref) << "rosters/roster-45-messy.xlsx" << roster << QString::fromLatin1(ref) << text;
        };
        messy("B8", QStringLiteral(" 赵思 "));
        messy("B10", QStringLiteral("何建\u3000"));
        messy("C6", QStringLiteral(" 女"));
        messy("C12", QStringLiteral("未知"));
        messy("B46", QStringLiteral("邹建明\u3000"));
        messy("C46", QStringLiteral(" 男"));
        messy("F2", QStringLiteral("2013-07-31"));
        messy("J2", QStringLiteral("13868106871"));

        const auto peer = [&](const char *file, const char *sheet, const char *ref, const QString &text) {
            QTest::addRow("%s %s %s", file, sheet, ref)
                << QStringLiteral("peer/") + QString::fromLatin1(file) << QString::fromUtf8(sheet)
                << QString::fromLatin1(ref) << text;
        };
        for (const char *file : {"issues.xlsx", "issues.xls"}) {
            peer(file, "issue2", "A1", "1");
            peer(file, "issue2", "B1", "a");
            peer(file, "issue2", "A2", "2");
            peer(file, "issue2", "B2", "b");
            peer(file, "issue2", "A3", "3");
            peer(file, "issue2", "B3", "c");
            peer(file, "issue5", "A1", "0.5");  // format "0" would show 1; the value is 0.5
            peer(file, "datatypes", "A2", "1.5");
            peer(file, "datatypes", "A6", "2016-10-20");  // built-in date format 14
            peer(file, "datatypes", "A3", "ab");  // a formula's text result
            peer(file, "datatypes", "A4", "FALSE");  // a formula's boolean result
            peer(file, "issue6", "A1", "1");
            peer(file, "issue6", "A2", "2");
            peer(file, "issue6", "A3", "ab");
            peer(file, "issue6", "A4", "FALSE");
        }
        const char *special[] = {"&", "<", ">", "aaa ' aaa", "\"", "☺", "֍", "àâéêèçöïî«»"};
        for (int i = 0; i < 8; ++i)
            peer("issues.xlsx", "spc_chrs", QByteArray("A" + QByteArray::number(i + 1)).constData(),
                 QString::fromUtf8(special[i]));
        peer("issue9.xlsx", "Feuil1", "A1", "test1");
        peer("issue9.xlsx", "Feuil1", "A2", "test2 other");  // rich-text runs joined
        peer("issue9.xlsx", "Feuil1", "A3", "test3 aaa");
        peer("issue9.xlsx", "Feuil1", "A4", "test4");
        peer("has_x000D_.xlsx", "Sheet1", "A1", "ABC\r\nDEF");
        peer("encoded_entities.xlsx", "Sheet1", "A1", "&");
        peer("encoded_entities.xlsx", "Sheet1", "A2", "\n");  // a lone line feed survives
        peer("empty_shared_string.xlsx", "Sheet1", "A1", "abc");
        peer("empty_shared_string.xlsx", "Sheet1", "A2", "");  // <si/> without <t>
        const char *table[3][3] = {{"Name", "City", "Status"}, {"Alice", "", "Active"}, {"", "Berlin", ""}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                peer("empty_shared_string_value.xlsx", "Sheet1",
                     QByteArray(1, char('A' + c)).append(QByteArray::number(r + 1)).constData(),
                     QString::fromLatin1(table[r][c]));
        peer("issue_261.xlsx", "Some Sheet", "A1", "String Value 32");  // no r on rows or cells
        peer("issue_261.xlsx", "Some Sheet", "A5", "");
        peer("issue_261.xlsx", "Some Sheet", "G61", "939");  // after an explicit E61
        peer("issue_261.xlsx", "Some Sheet", "A66", "String Value 42");
        peer("issue_261.xlsx", "Some Sheet", "D66", "String Value 8");
        peer("nonstandard-xml-ns-prefix.xlsx", "Sheet1", "A1", "a");
        peer("nonstandard-xml-ns-prefix.xlsx", "Sheet1", "B1", "b");
        peer("nonstandard-xml-ns-prefix.xlsx", "Sheet1", "A2", "1");
        peer("nonstandard-xml-ns-prefix.xlsx", "Sheet1", "B2", "3");
        peer("nonstandard-xml-ns-prefix.xlsx", "Sheet1", "A3", "2");
        peer("nonstandard-xml-ns-prefix.xlsx", "Sheet1", "B3", "4");
        peer("inlineStr_cdata.xlsx", "Sheet1", "A1", "Hello CDATA");
        peer("inlineStr_cdata.xlsx", "Sheet1", "B1", "World");
        peer("inlineStr_cdata.xlsx", "Sheet1", "A2", "12345");
        peer("inlineStr_cdata.xlsx", "Sheet1", "B2", "NormalText");
        peer("richtext-after-plain.xlsx", "Sheet1", "A2", "tvalrval1rval2");
        peer("whitespace_trim.xlsx", "inlineStr", "C1", " \t\n");
        peer("whitespace_trim.xlsx", "inlineStr", "B2", "  line1\nline2  ");
        peer("whitespace_trim.xlsx", "inlineStr", "A3", QStringLiteral("日期 时间"));
        peer("whitespace_trim.xlsx", "SharedStrings", "B1", "  preserved value  ");
        // Without xml:space the blanks are kept too: the reader never trims.
        peer("whitespace_trim.xlsx", "inlineStr", "A1", "  trimmed value  ");
        peer("issue_419.xlsx", "Sheet1", "A1", "Hello");  // xl/SharedStrings.xml
        peer("issue_530.xlsx", QByteArray("出勤分类组织汇总表").constData(), "C4", QStringLiteral("领域"));
        peer("minimal_package.xlsx", "Sheet1", "A3", "BKG_NUM");
        const char *errors[] = {"#DIV/0!", "#NAME?", "#VALUE!", "#NULL!", "#REF!", "#NUM!", "#N/A"};
        for (int i = 0; i < 7; ++i)
            peer("errors.xlsx", "Feuil1", QByteArray("A" + QByteArray::number(i + 1)).constData(),
                 QString::fromLatin1(errors[i]));
        // Dates and times: the date as YYYY-MM-DD; an [hh]:mm:ss cell counts its hours
        // beyond a day. date_1904.xls holds the same cells in the 1904 date system.
        for (const char *file : {"date.xlsx", "date.xls", "date_1904.xls"}) {
            peer(file, "Sheet1", "A1", "2021-01-01");
            peer(file, "Sheet1", "A2", "2021-01-02");
            peer(file, "Sheet1", "A3", "255:10:10");
            peer(file, "Sheet1", "B1", "15");
            peer(file, "Sheet1", "B3", "17");
        }
        // Formula results in .xls: numbers (A3 and A4 refer to another sheet), texts from
        // the STRING record after the formula, and a date through the formula's format.
        const char *formulas[] = {"10", "20", "110", "65"};
        const char *texts[] = {"aa", "bb", "aa", "bb"};
        for (int i = 0; i < 4; ++i) {
            const QByteArray ref = "A" + QByteArray::number(i + 1);
            peer("xls_formula.xls", "Sheet1", ref.constData(), QString::fromLatin1(formulas[i]));
            peer("xls_ref_String.xls", "Sheet1", ref.constData(), QString::fromLatin1(texts[i]));
        }
        peer("formula-date-format.xls", "Sheet1", "A1", "2017-02-27");
        peer("formula-date-format.xls", "Sheet1", "A2", "2017-02-28");
        peer("empty-string.xls", "Sheet1", "A1", "");
        peer("biff5_write.xls", "SheetJS", "A1", "1");
        peer("biff5_write.xls", "SheetJS", "A2", "TRUE");
        peer("biff5_write.xls", "SheetJS", "D2", "sheetjs");
        peer("biff5_write.xls", "SheetJS", "C3", "2014-02-19");
        peer("biff5_write.xls", "SheetJS", "D3", "0.3");
        peer("any_sheets.xls", "Visible", "B3", "6");
    }
    void cells()
    {
        QFETCH(QString, file);
        QFETCH(QString, sheet);
        QFETCH(QString, ref);
        QFETCH(QString, text);
        auto book = openShared(file);
        QVERIFY(book);
        QVERIFY2(book->selectSheet(sheet), qPrintable(book->errorString()));
        const auto [row, col] = cellAt(ref);
        QCOMPARE(book->cell(row, col), text);
    }

    void usedRange_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("cols");
        QTest::newRow("roster xlsx") << "rosters/roster-45.xlsx" << QStringLiteral("初一(1)班") << 46 << 17;
        QTest::newRow("roster xls") << "rosters/roster-45.xls" << QStringLiteral("初一(1)班") << 46 << 17;
        QTest::newRow("roster xls note") << "rosters/roster-45.xls" << QStringLiteral("说明") << 1 << 1;
        QTest::newRow("date xls") << "peer/date.xls" << "Sheet1" << 3 << 2;
        QTest::newRow("date xlsx") << "peer/date.xlsx" << "Sheet1" << 3 << 2;
        QTest::newRow("no r references") << "peer/issue_261.xlsx" << "Some Sheet" << 66 << 7;
        QTest::newRow("empty sheet") << "peer/empty_sheet.xlsx" << "Sheet1" << 0 << 0;
        QTest::newRow("empty xls sheet") << "peer/issue127.xls" << "Sheet8" << 0 << 0;
        QTest::newRow("empty text not used") << "peer/empty_shared_string.xlsx" << "Sheet1" << 1 << 1;
    }
    void usedRange()
    {
        QFETCH(QString, file);
        QFETCH(QString, sheet);
        QFETCH(int, rows);
        QFETCH(int, cols);
        auto book = openShared(file);
        QVERIFY(book);
        QVERIFY(book->selectSheet(sheet));
        QCOMPARE(book->usedRows(), rows);
        QCOMPARE(book->usedCols(), cols);
    }

    // The .xls and .xlsx copies of a workbook give the same cells, sheet by sheet.
    void formatsAgree_data()
    {
        QTest::addColumn<QString>("stem");
        for (const char *stem : {"rosters/roster-45", "rosters/scores-40", "peer/issues", "peer/issue127", "peer/date"})
            QTest::newRow(stem) << QString::fromLatin1(stem);
    }
    void formatsAgree()
    {
        QFETCH(QString, stem);
        auto xlsx = openShared(stem + QStringLiteral(".xlsx"));
        auto xls = openShared(stem + QStringLiteral(".xls"));
        QVERIFY(xlsx && xls);
        QCOMPARE(xlsx->format(), ImportWorkbook::Format::Xlsx);
        QCOMPARE(xls->format(), ImportWorkbook::Format::Xls);
        // issues.xlsx has one sheet more, after the others.
        const QStringList names = xls->sheetNames();
        QCOMPARE(xlsx->sheetNames().mid(0, names.size()), names);
        CellMap a = allCells(*xlsx);
        const CellMap b = allCells(*xls);
        std::erase_if(a, [&](const auto &entry) { return std::get<0>(entry.first) >= names.size(); });
        QCOMPARE(b.size(), a.size());
        for (const auto &[key, text] : a) {
            const auto [s, r, c] = key;
            QVERIFY2(b.count(key), qPrintable(QStringLiteral("%1 %2,%3 missing in .xls").arg(s).arg(r).arg(c)));
            QCOMPARE(b.at(key), text);
        }
    }

    // What a user sees in the score sheet's formula columns, in both formats.
    void scoreSheetResults_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xls") << QStringLiteral("rosters/scores-40.xls");
        QTest::newRow("xlsx") << QStringLiteral("rosters/scores-40.xlsx");
    }
    void scoreSheetResults()
    {
        QFETCH(QString, file);
        auto book = openShared(file);
        QVERIFY(book);
        QVERIFY(book->selectSheet(0));
        QFile expected(workbookPath(QStringLiteral("rosters/scores-40-expected.tsv")));
        QVERIFY(expected.open(QIODevice::ReadOnly | QIODevice::Text));
        int checked = 0;
        while (!expected.atEnd()) {
            const QStringList fields = QString::fromUtf8(expected.readLine()).trimmed().split(QLatin1Char('\t'));
            QVERIFY(fields.size() % 2 == 0);
            for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
                const auto [row, col] = cellAt(fields[i]);
                QVERIFY2(book->cell(row, col) == fields[i + 1],
                         qPrintable(fields[i] + QStringLiteral(": ") + book->cell(row, col)));
                ++checked;
            }
        }
        QCOMPARE(checked, 40 * 4 + 1);
    }

    // A score sheet whose formulas a program wrote without calculating them (no stored
    // results) reads as a spreadsheet shows it, in both formats.
    void uncalculatedScoreSheet_data()
    {
        QTest::addColumn<bool>("xls");
        QTest::newRow("xls") << true;
        QTest::newRow("xlsx") << false;
    }
    void uncalculatedScoreSheet()
    {
        QFETCH(bool, xls);
        const std::vector<test::ScoreRow> rows = {{QStringLiteral("杜英"), {85, 90, 88.5}},
                                                  {QStringLiteral("王芳"), {60, 55, 70}},
                                                  {QStringLiteral("李强"), {50, 60, 40}},
                                                  {QStringLiteral("赵敏"), {90, 85, 88.5}}};
        const QString path = m_dir.filePath(xls ? QStringLiteral("未计算.xls") : QStringLiteral("未计算.xlsx"));
        if (xls)
            putFile(path, test::uncalculatedScoresXls(rows));
        else
            QVERIFY(test::writeXlsxBook(path, {{QStringLiteral("成绩"), test::uncalculatedScoresXlsxSheet(rows)}}));
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY2(book, qPrintable(error));
        QVERIFY(book->selectSheet(0));
        const QStringList expected[] = {{"263.5", "87.83", "及格", "1"},
                                        {"185", "61.67", "及格", "3"},
                                        {"150", "50", "不及格", "4"},
                                        {"263.5", "87.83", "及格", "1"}};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(book->cell(i + 2, 2), rows[size_t(i)].name);
            for (int c = 0; c < 4; ++c)
                QCOMPARE(book->cell(i + 2, 6 + c), expected[i][c]);
        }
        QCOMPARE(book->usedCols(), 9);
    }

    // .xlsx formulas without <v>: other sheets, shared formulas, the number format, and
    // the error texts of what cannot be evaluated; a stored result is used as it is.
    void uncalculatedXlsxFormulas()
    {
        const QByteArray data =
            "<row r=\"1\"><c r=\"A1\"><v>10</v></c><c r=\"B1\"><f>A1*2</f></c></row>";
        const QByteArray summary =
            "<row r=\"1\"><c r=\"A1\"><f>数据!B1+1</f></c><c r=\"B1\"><f>SUM('数据'!A:A)</f></c></row>"
            "<row r=\"2\"><c r=\"A2\"><f t=\"shared\" ref=\"A2:A4\" si=\"0\">C2*2</f></c><c r=\"C2\"><v>1</v></c></row>"
            "<row r=\"3\"><c r=\"A3\"><f t=\"shared\" si=\"0\"/></c><c r=\"C3\"><v>2</v></c></row>"
            "<row r=\"4\"><c r=\"A4\"><f t=\"shared\" si=\"0\"/><v></v></c><c r=\"C4\"><v>3</v></c></row>"
            "<row r=\"5\"><c r=\"A5\"><f>FOO(1)</f></c></row>"
            "<row r=\"6\"><c r=\"A6\"><f>A7</f></c></row>"
            "<row r=\"7\"><c r=\"A7\"><f>A6</f></c></row>"
            "<row r=\"8\"><c r=\"A8\" t=\"str\"><f>\"x\"</f><v></v></c></row>"
            "<row r=\"9\"><c r=\"A9\"><f>1+1</f><v>5</v></c></row>"
            "<row r=\"10\"><c r=\"A10\" s=\"1\"><f>41486</f></c></row>"
            "<row r=\"11\"><c r=\"A11\"><f>_xlfn.RANK.EQ(C3,C2:C4)</f></c></row>";
        const QByteArray styles = "<styleSheet xmlns=\"" + kMain + "\"><cellXfs count=\"2\"><xf numFmtId=\"0\"/>"
                                  "<xf numFmtId=\"14\"/></cellXfs></styleSheet>";
        const QString path = m_dir.filePath(QStringLiteral("formulas.xlsx"));
        QVERIFY(test::writeXlsxBook(path, {{QStringLiteral("数据"), test::xlsxWorksheet(data)},
                                           {QStringLiteral("汇总"), test::xlsxWorksheet(summary)}},
                                    {}, styles));
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY2(book, qPrintable(error));
        QVERIFY(book->selectSheet(QStringLiteral("汇总")));
        const QStringList expected = {"21", "2", "4", "6", "#NAME?", "#REF!", "#REF!", "", "5", "2013-07-31", "2"};
        for (int row = 1; row <= expected.size(); ++row)
            QVERIFY2(book->cell(row, 1) == expected[row - 1],
                     qPrintable(QStringLiteral("A%1: %2").arg(row).arg(book->cell(row, 1))));
        QCOMPARE(book->cell(1, 2), QStringLiteral("10"));
        QVERIFY(book->selectSheet(QStringLiteral("数据")));
        QCOMPARE(book->cell(1, 2), QStringLiteral("20"));
    }

    void selection()
    {
        auto book = openShared(QStringLiteral("rosters/roster-45.xlsx"));
        QVERIFY(book);
        QVERIFY(book->selectSheet(QStringLiteral("说明")));
        QCOMPARE(book->currentSheet(), 1);
        QVERIFY(book->selectSheet(0));
        QCOMPARE(book->cell(2, 2), QStringLiteral("杜英"));
        QCOMPARE(book->cell(0, 2), QString());
        QCOMPARE(book->cell(2, 0), QString());

        QVERIFY(!book->selectSheet(QStringLiteral("初二(1)班")));
        QCOMPARE(book->currentSheet(), -1);
        QVERIFY(book->errorString().contains(QStringLiteral("初二(1)班")));
        QCOMPARE(book->cell(2, 2), QString());
        QCOMPARE(book->usedRows(), 0);
        QVERIFY(!book->setCell(2, 2, QStringLiteral("x")));
        QVERIFY(!book->selectSheet(2));
        QVERIFY(!book->selectSheet(-1));

        QVERIFY(book->selectSheet(0));
        QVERIFY(!book->setCell(0, 1, QStringLiteral("x")));
        QVERIFY(!book->setCell(1, excel::kMaxCols + 1, QStringLiteral("x")));
        QVERIFY(!book->isModified());
    }

    // Sheets are found through the workbook's relationships, whatever form the targets
    // take; a chart sheet is not a worksheet; a sheet whose relationship is missing is
    // listed but cannot be read.
    void sheetsThroughRelationships()
    {
        const QByteArray rels =
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" Type=\"" + kRelNs + "/worksheet\" Target=\"/xl/worksheets/sheet1.xml\"/>"
            "<Relationship Id=\"rId2\" Type=\"" + kRelNs + "/chartsheet\" Target=\"chartsheets/sheet1.xml\"/>"
            "<Relationship Id=\"rId3\" Type=\"" + kRelNs + "/worksheet\" Target=\"./worksheets/../worksheets/sheet%202.xml\"/>"
            "</Relationships>";
        const QByteArray workbook =
            "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kRelNs + "\"><sheets>"
            "<sheet name=\"一班\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"图表\" sheetId=\"2\" r:id=\"rId2\"/>"
            "<sheet name=\"二班\" sheetId=\"3\" r:id=\"rId3\"/><sheet name=\"三班\" sheetId=\"4\" r:id=\"rId9\"/>"
            "</sheets></workbook>";
        const QString path = m_dir.filePath(QStringLiteral("targets.xlsx"));
        QVERIFY(writeZip(path, {
            {"_rels/.rels", "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                            "<Relationship Id=\"rId1\" Type=\"" + kRelNs + "/officeDocument\" Target=\"xl/workbook.xml\"/>"
                            "</Relationships>"},
            {"xl/workbook.xml", workbook},
            {"xl/_rels/workbook.xml.rels", rels},
            {"xl/worksheets/sheet1.xml", worksheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>一</t></is></c></row>")},
            {"xl/worksheets/sheet 2.xml", worksheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>二</t></is></c></row>")},
            {"xl/chartsheets/sheet1.xml", "<chartsheet xmlns=\"" + kMain + "\"/>"},
        }));
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY2(book, qPrintable(error));
        QCOMPARE(book->sheetNames(), QStringList({QStringLiteral("一班"), QStringLiteral("二班"), QStringLiteral("三班")}));
        QVERIFY(book->selectSheet(0));
        QCOMPARE(book->cell(1, 1), QStringLiteral("一"));
        QVERIFY(book->selectSheet(1));
        QCOMPARE(book->cell(1, 1), QStringLiteral("二"));
        QVERIFY(!book->selectSheet(2));
        QVERIFY2(book->errorString().contains(QStringLiteral("三班")) && book->errorString().contains(QStringLiteral("已损坏")),
                 qPrintable(book->errorString()));
    }

    void phoneticRunsSkipped()
    {
        const QString path = m_dir.filePath(QStringLiteral("phonetic.xlsx"));
        QVERIFY(writeXlsx(path,
                          worksheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
                                    "<c r=\"C1\" t=\"inlineStr\"><is><t>王</t><rPh sb=\"0\" eb=\"1\"><t>wang</t></rPh></is></c></row>"),
                          "<sst xmlns=\"" + kMain + "\">"
                          "<si><t>张三</t><rPh sb=\"0\" eb=\"2\"><t>zhang san</t></rPh><phoneticPr fontId=\"1\"/></si>"
                          "<si><r><t>李</t></r><r><rPr><b/></rPr><t>四</t></r><rPh sb=\"0\" eb=\"1\"><t>li</t></rPh></si>"
                          "</sst>"));
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY2(book, qPrintable(error));
        QCOMPARE(book->cell(1, 1), QStringLiteral("张三"));
        QCOMPARE(book->cell(1, 2), QStringLiteral("李四"));
        QCOMPARE(book->cell(1, 3), QStringLiteral("王"));
    }

    // Date styles end to end: built-in ids, custom codes, and the 1904 system.
    void dateStyles()
    {
        const QByteArray styles =
            "<styleSheet xmlns=\"" + kMain + "\"><numFmts count=\"3\">"
            "<numFmt numFmtId=\"164\" formatCode=\"yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;\"/>"
            "<numFmt numFmtId=\"165\" formatCode=\"0.00\"/>"
            "<numFmt numFmtId=\"166\" formatCode=\"yyyy/m/d\\ h:mm\"/></numFmts>"
            "<cellXfs count=\"6\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"164\"/>"
            "<xf numFmtId=\"165\"/><xf numFmtId=\"166\"/><xf numFmtId=\"20\"/></cellXfs></styleSheet>";
        const QByteArray cells =
            "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>41486</v></c><c r=\"B1\" s=\"2\"><v>41486</v></c>"
            "<c r=\"C1\" s=\"3\"><v>41486</v></c><c r=\"D1\" s=\"4\"><v>41486.5</v></c>"
            "<c r=\"E1\" s=\"5\"><v>0.75</v></c><c r=\"F1\" s=\"99\"><v>41486</v></c>"
            "<c r=\"G1\"><v>41486</v></c><c r=\"H1\" t=\"d\"><v>2013-07-31T00:00:00</v></c></row>";
        const QString path = m_dir.filePath(QStringLiteral("dates.xlsx"));
        QVERIFY(writeXlsx(path, worksheet(cells), {}, styles));
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY2(book, qPrintable(error));
        QCOMPARE(book->cell(1, 1), QStringLiteral("2013-07-31"));
        QCOMPARE(book->cell(1, 2), QStringLiteral("2013-07-31"));  // 2013年7月31日 in the sheet
        QCOMPARE(book->cell(1, 3), QStringLiteral("41486"));  // a number format
        QCOMPARE(book->cell(1, 4), QStringLiteral("2013-07-31 12:00:00"));
        QCOMPARE(book->cell(1, 5), QStringLiteral("18:00:00"));
        QCOMPARE(book->cell(1, 6), QStringLiteral("41486"));  // a style index beyond the list
        QCOMPARE(book->cell(1, 7), QStringLiteral("41486"));
        QCOMPARE(book->cell(1, 8), QStringLiteral("2013-07-31"));  // an ISO date cell

        // The same serial in a 1904 workbook is four years and a day later.
        const QString path1904 = m_dir.filePath(QStringLiteral("dates1904.xlsx"));
        QByteArray sheet = worksheet(cells);
        QVERIFY(writeXlsx(path1904, sheet, {}, styles));
        QVERIFY(writeZip(path1904, {
            {"[Content_Types].xml", zipEntry(path, "[Content_Types].xml")},
            {"_rels/.rels", zipEntry(path, "_rels/.rels")},
            {"xl/workbook.xml", "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kRelNs + "\">"
                                "<workbookPr date1904=\"1\"/><sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/>"
                                "</sheets></workbook>"},
            {"xl/_rels/workbook.xml.rels", zipEntry(path, "xl/_rels/workbook.xml.rels")},
            {"xl/worksheets/sheet1.xml", sheet},
            {"xl/styles.xml", styles},
        }));
        book = ImportWorkbook::open(path1904, &error);
        QVERIFY2(book, qPrintable(error));
        QCOMPARE(book->cell(1, 1), QStringLiteral("2017-08-01"));
        QCOMPARE(book->cell(1, 7), QStringLiteral("41486"));
    }

    // A declared dimension or merge over the whole sheet and a cell in its last corner:
    // cells are held sparsely, so this opens in a child with a memory cap.
    void hostileDimensions()
    {
        const QString path = m_dir.filePath(QStringLiteral("hostile.xlsx"));
        QVERIFY(writeXlsx(path,
                          worksheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>a</t></is></c></row>"
                                    "<row r=\"1048576\"><c r=\"XFD1048576\"><v>7</v></c></row>"
                                    "<row r=\"99999999999\"><c r=\"A99999999999\"><v>8</v></c></row>"
                                    "<row r=\"5\"><c r=\"ZZZZ5\"><v>9</v></c></row>",
                                    "<dimension ref=\"A1:XFD1048576\"/>",
                                    "<mergeCells count=\"1\"><mergeCell ref=\"A1:XFD1048576\"/></mergeCells>")));
        const ChildRun run = openInChild(path);
        QVERIFY(run.finished);
        QCOMPARE(run.status, QProcess::NormalExit);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.lines, QStringList({"opened", "Sheet1\t1048576\t16384"}));

        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY(book);
        QCOMPARE(book->cell(1, 1), QStringLiteral("a"));
        QCOMPARE(book->cell(excel::kMaxRows, excel::kMaxCols), QStringLiteral("7"));
        QCOMPARE(book->cell(5, 1), QString());  // a reference beyond the sheet is not moved
    }

    // 120 000 formulas without results, each summing a whole column and chained to the
    // next row: in a child with a memory cap, the evaluation stops at its bounds.
    void hostileFormulas()
    {
        QByteArray rows;
        for (int r = 1; r <= 120000; ++r) {
            const QByteArray n = QByteArray::number(r);
            rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>1</v></c><c r=\"B" + n + "\"><f>SUM(A:A)+B"
                + QByteArray::number(r + 1) + "</f></c></row>";
        }
        const QString path = m_dir.filePath(QStringLiteral("hostile-formulas.xlsx"));
        QVERIFY(writeXlsx(path, worksheet(rows)));
        const ChildRun run = openInChild(path);
        QVERIFY(run.finished);
        QCOMPARE(run.status, QProcess::NormalExit);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.lines.value(0), QStringLiteral("opened"));
        QVERIFY2(run.lines.value(1).startsWith(QLatin1String("Sheet1\t120000\t")), qPrintable(run.lines.value(1)));
    }

    // A small file whose formulas double a text 57 times opens: the texts stop at a
    // cell's limit with #VALUE!, the cells before it keep theirs.
    void doublingTextFormulas()
    {
        QByteArray rows = "<row r=\"2\"><c r=\"F2\" t=\"inlineStr\"><is><t>ab</t></is></c></row>";
        for (int r = 3; r <= 59; ++r) {
            const QByteArray n = QByteArray::number(r), above = QByteArray::number(r - 1);
            rows += "<row r=\"" + n + "\"><c r=\"F" + n + "\" t=\"str\"><f>F" + above + "&amp;F" + above
                + "</f></c></row>";
        }
        const QString path = m_dir.filePath(QStringLiteral("doubling.xlsx"));
        QVERIFY(writeXlsx(path, worksheet(rows)));
        QVERIFY(QFileInfo(path).size() < 4096);
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY2(book, qPrintable(error));
        QVERIFY(book->selectSheet(0));
        QCOMPARE(book->cell(3, 6), QStringLiteral("abab"));
        QCOMPARE(book->cell(15, 6), QStringLiteral("ab").repeated(8192));
        QCOMPARE(book->cell(16, 6), QStringLiteral("#VALUE!"));
        QCOMPARE(book->cell(59, 6), QStringLiteral("#VALUE!"));
    }

    // A part whose unpacked size is beyond the cap is refused, not read.
    void oversizedParts()
    {
        QByteArray big(48 * 1024 * 1024, ' ');
        const QString sheetPath = m_dir.filePath(QStringLiteral("big-sheet.xlsx"));
        QVERIFY(writeXlsx(sheetPath, worksheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>" + big)));
        QString error;
        auto book = ImportWorkbook::open(sheetPath, &error);
        QVERIFY2(book, qPrintable(error));
        QCOMPARE(book->currentSheet(), -1);
        QVERIFY(!book->selectSheet(0));
        QVERIFY2(book->errorString().contains(QStringLiteral("太大")), qPrintable(book->errorString()));
        QCOMPARE(book->cell(1, 1), QString());

        const QString stringsPath = m_dir.filePath(QStringLiteral("big-strings.xlsx"));
        QVERIFY(writeXlsx(stringsPath, worksheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"),
                          "<sst xmlns=\"" + kMain + "\"><si><t>" + big + "</t></si></sst>"));
        QVERIFY(!ImportWorkbook::open(stringsPath, &error));
        QVERIFY2(error.contains(QStringLiteral("太大")), qPrintable(error));
    }

    void refused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        const QString notExcel = QStringLiteral("不是Excel文件");
        QTest::newRow("too small") << workbookPath("peer/too_small.xls") << notExcel;
        // Its relationship part fails its checksum: the sheets cannot be found.
        QTest::newRow("damaged xlsx") << workbookPath("peer/issue252.xlsx") << QStringLiteral("文件已损坏");
        QTest::newRow("password-protected xls") << workbookPath("peer/issue_385.xls") << QStringLiteral("文件设有密码");
        QTest::newRow("missing") << m_dir.filePath(QStringLiteral("没有这个文件.xlsx")) << QStringLiteral("文件不存在");
        QTest::newRow("folder") << m_dir.path() << QStringLiteral("文件不存在");

        const auto made = [&](const char *name, const QByteArray &bytes) {
            const QString path = m_dir.filePath(QString::fromUtf8(name));
            QFile f(path);
            if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                f.write(bytes);
            return path;
        };
        QTest::newRow("empty file") << made("空.xls", QByteArray()) << notExcel;
        QTest::newRow("web page named .xls")
            << made("网页.xls", "<html><body><table><tr><td>姓名</td></tr></table></body></html>") << notExcel;
        QTest::newRow("text named .xlsx") << made("名单.xlsx", "序号,姓名\n1,杜英\n") << notExcel;
        QByteArray roster = fileBytes(workbookPath("rosters/roster-45.xlsx"));
        QTest::newRow("truncated xlsx") << made("truncated.xlsx", roster.left(roster.size() / 2))
                                        << QStringLiteral("文件已损坏");
        QByteArray ole2("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        ole2 += QByteArray(1024, '\0');
        const QString encrypted = QStringLiteral("EncryptedPackage");
        ole2 += QByteArray(reinterpret_cast<const char *>(encrypted.utf16()), encrypted.size() * 2);
        QTest::newRow("password") << made("加密.xlsx", ole2) << QStringLiteral("密码");

        const QString docx = m_dir.filePath(QStringLiteral("document.xlsx"));
        writeZip(docx, {{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", "<document/>"}});
        QTest::newRow("zip without workbook") << docx << notExcel;
        const QString noSheets = m_dir.filePath(QStringLiteral("no-sheets.xlsx"));
        writeZip(noSheets, {{"xl/workbook.xml", "<workbook xmlns=\"" + kMain + "\"><sheets/></workbook>"}});
        QTest::newRow("no worksheets") << noSheets << QStringLiteral("没有工作表");
        const QString badXml = m_dir.filePath(QStringLiteral("bad-xml.xlsx"));
        writeZip(badXml, {{"xl/workbook.xml", "<workbook><sheets><sheet name="}});
        QTest::newRow("broken workbook XML") << badXml << QStringLiteral("文件已损坏");
        const QString crowded = m_dir.filePath(QStringLiteral("crowded.xlsx"));
        std::vector<std::pair<QByteArray, QByteArray>> entries;
        for (int i = 0; i <= 20000; ++i)
            entries.push_back({"e" + QByteArray::number(i), QByteArray()});
        writeZip(crowded, entries);
        QTest::newRow("too many entries") << crowded << QStringLiteral("文件太大");
    }
    void refused()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        QString error;
        QVERIFY(!ImportWorkbook::open(path, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
        if (!message.contains(QStringLiteral("损坏")))
            QVERIFY2(!error.contains(QStringLiteral("损坏")), qPrintable(error));
    }

    // The format is told by the content; the name's extension does not matter.
    void formatByContent()
    {
        QString error;
        const QString xlsxAsXls = copyOf(QStringLiteral("rosters/roster-45.xlsx"), m_dir, QStringLiteral("名单.xls"));
        auto book = ImportWorkbook::open(xlsxAsXls, &error);
        QVERIFY2(book, qPrintable(error));
        QCOMPARE(book->format(), ImportWorkbook::Format::Xlsx);
        QVERIFY(book->selectSheet(0));
        QCOMPARE(book->cell(2, 10), QStringLiteral("13868106871"));

        const QString xlsAsXlsx = copyOf(QStringLiteral("rosters/roster-45.xls"), m_dir, QStringLiteral("名单2.xlsx"));
        book = ImportWorkbook::open(xlsAsXlsx, &error);
        QVERIFY2(book, qPrintable(error));
        QCOMPARE(book->format(), ImportWorkbook::Format::Xls);
        QVERIFY(book->selectSheet(0));
        QCOMPARE(book->cell(2, 6), QStringLiteral("2013-07-31"));

        // A damaged .xlsx named .xls gets the .xlsx reader's answer.
        const QString damaged = copyOf(QStringLiteral("peer/issue252.xlsx"), m_dir, QStringLiteral("issue252.xls"));
        QVERIFY(!ImportWorkbook::open(damaged, &error));
        QVERIFY2(error.contains(QStringLiteral("文件已损坏。")), qPrintable(error));
    }

    // Every shared file opens or is refused with a message: in a child process, so that a
    // crash or running out of the capped memory fails the row instead of the run.
    void everyFileOpensOrIsRefused_data()
    {
        QTest::addColumn<QString>("path");
        for (const char *folder : {"rosters", "peer"}) {
            const QDir dir(workbookPath(QString::fromLatin1(folder)));
            const QStringList files = dir.entryList({"*.xls", "*.xlsx"}, QDir::Files, QDir::Name);
            QVERIFY(!files.isEmpty());
            for (const QString &file : files)
                QTest::newRow(qPrintable(file)) << dir.filePath(file);
        }
    }
    void everyFileOpensOrIsRefused()
    {
        QFETCH(QString, path);
        const ChildRun run = openInChild(path);
        QVERIFY(run.finished);
        QCOMPARE(run.status, QProcess::NormalExit);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(!run.lines.isEmpty());
        if (run.lines.first().startsWith(QLatin1String("refused\t"))) {
            QVERIFY(run.lines.first().contains(QStringLiteral("无法打开文件"))
                    || run.lines.first().contains(QStringLiteral("不是Excel文件")));
        } else {
            QCOMPARE(run.lines.first(), QStringLiteral("opened"));
            QVERIFY(run.lines.size() > 1);
            for (const QString &sheet : run.lines.mid(1))
                QVERIFY2(!sheet.endsWith(QLatin1String("\t-1\t-1")), qPrintable(sheet));
        }
    }

    // --- values --------------------------------------------------------------------------

    void numberText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 1.0 << "1";
        QTest::newRow("telephone") << 13868106871.0 << "13868106871";
        QTest::newRow("fifteen digits") << 123456789012345.0 << "123456789012345";
        QTest::newRow("half") << 0.5 << "0.5";
        QTest::newRow("score") << 90.25 << "90.25";
        QTest::newRow("negative") << -3.0 << "-3";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("binary noise") << 0.1 + 0.2 << "0.3";
        QTest::newRow("many places") << 1234567.891 << "1234567.891";
        QTest::newRow("huge") << 1e20 << "1E+20";
        QTest::newRow("tiny") << 1e-5 << "1E-05";
    }
    void numberText()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(excel::numberText(value), text);
    }

    void formatCodeKind_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<FormatKind>("kind");
        QTest::newRow("iso date") << "yyyy-mm-dd" << FormatKind::Date;
        QTest::newRow("escaped dashes") << "yyyy\\-mm\\-dd" << FormatKind::Date;
        QTest::newRow("Chinese date") << "yyyy\"年\"m\"月\"d\"日\"" << FormatKind::Date;
        QTest::newRow("locale and text section") << "[$-804]yyyy/m/d;@" << FormatKind::Date;
        QTest::newRow("month and day") << "m/d" << FormatKind::Date;
        QTest::newRow("date and time") << "m/d/yy h:mm" << FormatKind::DateTime;
        QTest::newRow("time") << "h:mm:ss" << FormatKind::Time;
        QTest::newRow("minutes not months") << "mm:ss" << FormatKind::Time;
        QTest::newRow("Chinese time") << "上午/下午h\"时\"mm\"分\"" << FormatKind::Time;
        QTest::newRow("elapsed hours") << "[h]:mm:ss" << FormatKind::Elapsed;
        QTest::newRow("general") << "General" << FormatKind::Number;
        QTest::newRow("decimals") << "0.00" << FormatKind::Number;
        QTest::newRow("scientific") << "0.00E+00" << FormatKind::Number;
        QTest::newRow("colours") << "[Red]0.00;[Blue]-0.00" << FormatKind::Number;
        QTest::newRow("quoted letters") << "0\" days\"" << FormatKind::Number;
        QTest::newRow("escaped letter") << "0\\d" << FormatKind::Number;
        QTest::newRow("text") << "@" << FormatKind::Number;
    }
    void formatCodeKind()
    {
        QFETCH(QString, code);
        QFETCH(FormatKind, kind);
        QCOMPARE(excel::formatCodeKind(code), kind);
    }

    void builtinFormatKind_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<FormatKind>("kind");
        QTest::newRow("general") << 0 << FormatKind::Number;
        QTest::newRow("0") << 1 << FormatKind::Number;
        QTest::newRow("m/d/yyyy") << 14 << FormatKind::Date;
        QTest::newRow("d-mmm") << 16 << FormatKind::Date;
        QTest::newRow("h:mm") << 20 << FormatKind::Time;
        QTest::newRow("m/d/yyyy h:mm") << 22 << FormatKind::DateTime;
        QTest::newRow("年月日") << 31 << FormatKind::Date;
        QTest::newRow("时分") << 32 << FormatKind::Time;
        QTest::newRow("[h]:mm:ss") << 46 << FormatKind::Elapsed;
        QTest::newRow("text") << 49 << FormatKind::Number;
        QTest::newRow("月日") << 58 << FormatKind::Date;
    }
    void builtinFormatKind()
    {
        QFETCH(int, id);
        QFETCH(FormatKind, kind);
        QCOMPARE(excel::builtinFormatKind(id), kind);
    }

    void serialText_data()
    {
        QTest::addColumn<double>("serial");
        QTest::addColumn<FormatKind>("kind");
        QTest::addColumn<bool>("date1904");
        QTest::addColumn<QString>("text");
        QTest::newRow("birthday") << 41486.0 << FormatKind::Date << false << "2013-07-31";
        QTest::newRow("date drops the time") << 41486.75 << FormatKind::Date << false << "2013-07-31";
        QTest::newRow("date and time") << 41486.75 << FormatKind::DateTime << false << "2013-07-31 18:00:00";
        QTest::newRow("rounds into the next day") << 41486.999999999 << FormatKind::DateTime << false
                                                  << "2013-08-01 00:00:00";
        QTest::newRow("first day") << 1.0 << FormatKind::Date << false << "1900-01-01";
        QTest::newRow("before the leap bug") << 59.0 << FormatKind::Date << false << "1900-02-28";
        QTest::newRow("the day that was not") << 60.0 << FormatKind::Date << false << "1900-02-29";
        QTest::newRow("after the leap bug") << 61.0 << FormatKind::Date << false << "1900-03-01";
        QTest::newRow("day zero") << 0.0 << FormatKind::Date << false << "1900-01-00";
        QTest::newRow("last day") << 2958465.0 << FormatKind::Date << false << "9999-12-31";
        QTest::newRow("beyond the last day") << 2958466.0 << FormatKind::Date << false << "2958466";
        QTest::newRow("negative") << -1.0 << FormatKind::Date << false << "-1";
        QTest::newRow("noon") << 0.5 << FormatKind::Time << false << "12:00:00";
        QTest::newRow("time of a later day") << 10.6320601851852 << FormatKind::Time << false << "15:10:10";
        QTest::newRow("elapsed hours") << 10.6320601851852 << FormatKind::Elapsed << false << "255:10:10";
        QTest::newRow("1904 start") << 0.0 << FormatKind::Date << true << "1904-01-01";
        QTest::newRow("1904 birthday") << 41486.0 - 1462 << FormatKind::Date << true << "2013-07-31";
        QTest::newRow("number kind") << 41486.0 << FormatKind::Number << false << "41486";
    }
    void serialText()
    {
        QFETCH(double, serial);
        QFETCH(FormatKind, kind);
        QFETCH(bool, date1904);
        QFETCH(QString, text);
        QCOMPARE(excel::serialText(serial, kind, date1904), text);
    }

    void decodeEscapes_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("text");
        QTest::newRow("CR") << "ABC_x000D_\nDEF" << "ABC\r\nDEF";
        QTest::newRow("lower-case hex") << "a_x000d_b" << "a\rb";
        QTest::newRow("letter") << "a_x0041_b" << "aAb";
        QTest::newRow("escaped underscore") << "_x005F_x000D_" << "_x000D_";
        QTest::newRow("not hex") << "_xZZZZ_" << "_xZZZZ_";
        QTest::newRow("cut short") << "ab_x00" << "ab_x00";
        QTest::newRow("surrogate pair") << "_xD83D__xDE00_" << "😀";
    }
    void decodeEscapes()
    {
        QFETCH(QString, stored);
        QFETCH(QString, text);
        QCOMPARE(excel::decodeEscapes(stored), text);
    }

    void encodeEscapes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::newRow("plain") << QStringLiteral("杜英") << QStringLiteral("杜英");
        QTest::newRow("CR LF") << "a\r\nb" << "a_x000D_\nb";
        QTest::newRow("tab and LF kept") << "a\tb\nc" << "a\tb\nc";
        QTest::newRow("control") << QString(QChar(1)) << "_x0001_";
        QTest::newRow("escape-like text") << "_x000D_" << "_x005F_x000D_";
        QTest::newRow("underscore alone") << "a_b" << "a_b";
        QTest::newRow("emoji kept") << "😀" << "😀";
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << "_xD800_";
    }
    void encodeEscapes()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QCOMPARE(excel::encodeEscapes(text), stored);
        QCOMPARE(excel::decodeEscapes(stored), text);
    }

    // --- saving --------------------------------------------------------------------------

    void saveRoundTrip()
    {
        const QString path = copyOf(QStringLiteral("rosters/roster-45.xlsx"), m_dir, QStringLiteral("写回.xlsx"));
        QVERIFY(!path.isEmpty());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        const auto before = zipEntries(path);
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY2(book, qPrintable(error));
        CellMap expected = allCells(*book);

        const std::map<std::pair<int, int>, QString> edits = {
            {{1, 18}, QStringLiteral("分班结果")},  // a new column
            {{2, 18}, QStringLiteral("3")},
            {{2, 10}, QStringLiteral("13900000000")},  // over a number cell
            {{2, 16}, QString()},  // emptied
            {{4, 17}, QStringLiteral("转学")},  // an empty styled cell
            {{60, 2}, QStringLiteral(" 新生\u3000")},  // a new row below the rest
        };
        QVERIFY(book->selectSheet(0));
        for (const auto &[pos, text] : edits) {
            QVERIFY(book->setCell(pos.first, pos.second, text));
            expected[{0, pos.first, pos.second}] = text;
            QCOMPARE(book->cell(pos.first, pos.second), text);
        }
        QVERIFY(book->isModified());
        QCOMPARE(fileBytes(path), fileBytes(workbookPath("rosters/roster-45.xlsx")));  // not yet written
        QVERIFY2(book->save(&error), qPrintable(error));
        QVERIFY(!book->isModified());
        const QFile::Permissions modeBits(0x7077);  // owner, group and others; not "user"
        QCOMPARE(QFile::permissions(path) & modeBits, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);

        auto reopened = ImportWorkbook::open(path, &error);
        QVERIFY2(reopened, qPrintable(error));
        const CellMap after = allCells(*reopened);
        for (const auto &[key, text] : expected) {
            const auto [s, r, c] = key;
            QVERIFY2(after.count(key) ? after.at(key) == text : text.isEmpty(),
                     qPrintable(QStringLiteral("sheet %1 row %2 col %3").arg(s).arg(r).arg(c)));
        }
        QVERIFY(reopened->selectSheet(0));
        QCOMPARE(reopened->usedRows(), 60);
        QCOMPARE(reopened->usedCols(), 18);

        const QString order = sheetOrderProblem(zipEntry(path, QStringLiteral("xl/worksheets/sheet1.xml")));
        QVERIFY2(order.isEmpty(), qPrintable(order));

        // Every other part is the same, byte for byte, packed the same way.
        const auto now = zipEntries(path);
        QCOMPARE(now.size(), before.size());
        for (size_t i = 0; i < before.size(); ++i) {
            QCOMPARE(now[i].first, before[i].first);
            if (before[i].first == QLatin1String("xl/worksheets/sheet1.xml")) {
                QVERIFY(now[i].second.data != before[i].second.data);
                continue;
            }
            QCOMPARE(now[i].second.data, before[i].second.data);
            QCOMPARE(now[i].second.crc, before[i].second.crc);
            QCOMPARE(now[i].second.compressedSize, before[i].second.compressedSize);
            QCOMPARE(now[i].second.method, before[i].second.method);
        }

        // Writing the same column again, as a second placement does.
        QVERIFY(book->selectSheet(0));
        QVERIFY(book->setCell(2, 18, QStringLiteral("4")));
        QVERIFY2(book->save(&error), qPrintable(error));
        reopened = ImportWorkbook::open(path, &error);
        QVERIFY(reopened && reopened->selectSheet(0));
        QCOMPARE(reopened->cell(2, 18), QStringLiteral("4"));
        QCOMPARE(reopened->cell(1, 18), QStringLiteral("分班结果"));
    }

    // A cell set to the text it already shows keeps what it holds; nothing is written.
    void unchangedTextIsNotWritten()
    {
        const QString path = copyOf(QStringLiteral("rosters/roster-45.xlsx"), m_dir, QStringLiteral("same.xlsx"));
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY(book && book->selectSheet(0));
        QVERIFY(book->setCell(3, 10, QStringLiteral("13806252221")));
        QVERIFY(book->setCell(3, 6, QStringLiteral("2012-12-24")));
        QVERIFY(book->setCell(3, 17, QString()));
        QVERIFY(!book->isModified());
        const QByteArray bytes = fileBytes(path);
        QVERIFY(book->save(&error));
        QCOMPARE(fileBytes(path), bytes);
    }

    void savedTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("blanks around") << QStringLiteral("  赵思  ");
        QTest::newRow("full-width blank") << QStringLiteral("何建\u3000");
        QTest::newRow("only a blank") << QStringLiteral(" ");
        QTest::newRow("tab") << QStringLiteral("\t");
        QTest::newRow("line feed") << QStringLiteral("第一行\n第二行");
        QTest::newRow("CR LF") << QStringLiteral("ABC\r\nDEF");
        QTest::newRow("escape-like text") << QStringLiteral("_x000D_");
        QTest::newRow("markup") << QStringLiteral("<b>&amp;\"'</b>");
        QTest::newRow("control") << QStringLiteral("a\u0001b");
        QTest::newRow("emoji") << QStringLiteral("😀");
        QTest::newRow("number-like text") << QStringLiteral("013868106871");
    }
    void savedTexts()
    {
        QFETCH(QString, text);
        const QString path = copyOf(QStringLiteral("rosters/roster-45.xlsx"), m_dir,
                                    QStringLiteral("text-%1.xlsx").arg(QTest::currentDataTag()));
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY(book && book->selectSheet(0));
        QVERIFY(book->setCell(2, 2, text));
        QVERIFY(book->setCell(50, 1, text));
        QVERIFY2(book->save(&error), qPrintable(error));
        auto reopened = ImportWorkbook::open(path, &error);
        QVERIFY(reopened && reopened->selectSheet(0));
        QCOMPARE(reopened->cell(2, 2), text);
        QCOMPARE(reopened->cell(50, 1), text);
        QCOMPARE(reopened->cell(2, 3), QStringLiteral("男"));
    }

    // Rows and cells without r references: new cells land where the reader finds them.
    void saveAmongImplicitReferences()
    {
        const QString path = copyOf(QStringLiteral("peer/issue_261.xlsx"), m_dir, QStringLiteral("implicit.xlsx"));
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY2(book, qPrintable(error));
        CellMap expected = allCells(*book);
        QVERIFY(book->selectSheet(0));
        const std::map<std::pair<int, int>, QString> edits = {
            {{5, 2}, QStringLiteral("row 5")},  // a row without r, its cells without r
            {{6, 8}, QStringLiteral("row 6")},  // no row 6: between an implicit 5 and an explicit 7
            {{61, 6}, QStringLiteral("F61")},  // between an explicit E61 and an implicit G61
            {{66, 9}, QStringLiteral("I66")},  // beyond the last cell of a row
            {{66, 3}, QStringLiteral("C66")},  // in a gap before an explicit D66
            {{61, 7}, QStringLiteral("940")},  // over an implicit cell
        };
        for (const auto &[pos, text] : edits) {
            QVERIFY(book->setCell(pos.first, pos.second, text));
            expected[{0, pos.first, pos.second}] = text;
        }
        QVERIFY2(book->save(&error), qPrintable(error));
        auto reopened = ImportWorkbook::open(path, &error);
        QVERIFY2(reopened, qPrintable(error));
        const CellMap after = allCells(*reopened);
        for (const auto &[key, text] : expected) {
            const auto [s, r, c] = key;
            QVERIFY2(after.count(key) ? after.at(key) == text : text.isEmpty(),
                     qPrintable(QStringLiteral("row %1 col %2: %3").arg(r).arg(c).arg(after.count(key) ? after.at(key) : "<none>")));
        }
        QCOMPARE(reopened->cell(61, 5), QStringLiteral("String Value 11"));
        QCOMPARE(reopened->cell(61, 8), QString());
        const QString order = sheetOrderProblem(zipEntry(path, QStringLiteral("xl/worksheets/sheet1.xml")));
        QVERIFY2(order.isEmpty(), qPrintable(order));
    }

    // In the rewritten sheet only the changed cell differs: the declaration, comments,
    // line ends, formulas, validations with line breaks in their prompts, merges stay.
    void saveKeepsTheRestOfTheSheet()
    {
        const QByteArray sheet =
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
            "<worksheet xmlns=\"" + kMain + "\" xmlns:r=\"" + kRelNs + "\"><!-- 学生名单 -->\r\n"
            "<dimension ref=\"A1:B2\"/>\r\n<sheetData>\r\n"
            "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>姓名</t></is></c></row>\r\n"
            "<row r=\"2\" spans=\"1:2\"><c r=\"A2\" s=\"0\" t=\"inlineStr\"><is><t>杜英</t></is></c>"
            "<c r=\"B2\"><f>1+1</f><v>2</v></c></row>\r\n</sheetData>\r\n"
            "<dataValidations count=\"1\"><dataValidation type=\"list\" sqref=\"C2:C50\" prompt=\"男&#10;女\">"
            "<formula1>\"男,女\"</formula1></dataValidation></dataValidations>\r\n"
            "<mergeCells count=\"1\"><mergeCell ref=\"D1:E1\"/></mergeCells>\r\n</worksheet>";
        const QString path = m_dir.filePath(QStringLiteral("kept.xlsx"));
        QVERIFY(writeXlsx(path, sheet));
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY2(book, qPrintable(error));
        QVERIFY(book->setCell(2, 1, QStringLiteral("邹建明")));
        QVERIFY2(book->save(&error), qPrintable(error));
        QByteArray expected = sheet;
        expected.replace("<t>杜英</t>", "<t>邹建明</t>");
        QCOMPARE(zipEntry(path, QStringLiteral("xl/worksheets/sheet1.xml")), expected);
    }

    // New elements take the sheet's own prefix.
    void saveUnderPrefix()
    {
        const QString path = m_dir.filePath(QStringLiteral("prefixed.xlsx"));
        const QByteArray sheet = "<x:worksheet xmlns:x=\"" + kMain + "\"><x:dimension ref=\"A1:B1\"/><x:sheetData>"
                                 "<x:row r=\"1\"><x:c r=\"A1\" t=\"inlineStr\"><x:is><x:t>a</x:t></x:is></x:c>"
                                 "<x:c r=\"B1\"><x:v>2</x:v></x:c></x:row></x:sheetData></x:worksheet>";
        QVERIFY(writeXlsx(path, sheet));
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY2(book, qPrintable(error));
        QCOMPARE(book->cell(1, 2), QStringLiteral("2"));
        QVERIFY(book->setCell(1, 2, QStringLiteral("b")));
        QVERIFY(book->setCell(3, 3, QStringLiteral("c")));
        QVERIFY2(book->save(&error), qPrintable(error));

        const QByteArray xml = zipEntry(path, QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY2(xml.contains("<x:row r=\"3\"><x:c r=\"C3\" t=\"inlineStr\"><x:is><x:t>c</x:t></x:is></x:c></x:row>"),
                 xml.constData());
        QVERIFY2(xml.contains("<x:dimension ref=\"A1:C3\"/>"), xml.constData());
        auto reopened = ImportWorkbook::open(path, &error);
        QVERIFY(reopened);
        QCOMPARE(reopened->cell(1, 1), QStringLiteral("a"));
        QCOMPARE(reopened->cell(1, 2), QStringLiteral("b"));
        QCOMPARE(reopened->cell(3, 3), QStringLiteral("c"));
    }

    // Overwriting a formula drops it and the calculation chain that lists it.
    void saveOverFormula()
    {
        const QString path = copyOf(QStringLiteral("peer/issues.xlsx"), m_dir, QStringLiteral("formula.xlsx"));
        const auto before = zipEntries(path);
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY(book && book->selectSheet(QStringLiteral("issue6")));
        QVERIFY(book->setCell(3, 1, QStringLiteral("新")));
        QVERIFY2(book->save(&error), qPrintable(error));

        auto reopened = ImportWorkbook::open(path, &error);
        QVERIFY(reopened && reopened->selectSheet(QStringLiteral("issue6")));
        QCOMPARE(reopened->cell(3, 1), QStringLiteral("新"));
        QCOMPARE(reopened->cell(4, 1), QStringLiteral("FALSE"));
        QVERIFY(reopened->selectSheet(QStringLiteral("spc_chrs")));
        QCOMPARE(reopened->cell(1, 1), QStringLiteral("&"));

        const QByteArray sheet = zipEntry(path, QStringLiteral("xl/worksheets/sheet5.xml"));
        QVERIFY(!sheet.contains("CONCATENATE"));
        QVERIFY(sheet.contains("A1&gt;A2"));  // the other formula stays
        QVERIFY(!zipEntry(path, QStringLiteral("xl/_rels/workbook.xml.rels")).contains("calcChain"));
        QVERIFY(!zipEntry(path, QStringLiteral("[Content_Types].xml")).contains("calcChain"));
        const QStringList rewritten = {"xl/worksheets/sheet5.xml", "xl/_rels/workbook.xml.rels",
                                       "[Content_Types].xml"};
        const auto now = zipEntries(path);
        std::vector<QString> names;
        for (const auto &[name, entry] : now)
            names.push_back(name);
        for (const auto &[name, entry] : before) {
            if (name == QLatin1String("xl/calcChain.xml")) {
                QVERIFY(std::find(names.begin(), names.end(), name) == names.end());
                continue;
            }
            if (!rewritten.contains(name))
                QCOMPARE(zipEntry(path, name), entry.data);
        }
    }

    // A formula shared with other cells cannot be overwritten alone: the save says so and
    // leaves the file as it was.
    void saveRefusesSharedFormula()
    {
        const QString path = m_dir.filePath(QStringLiteral("shared-formula.xlsx"));
        QVERIFY(writeXlsx(path, worksheet("<row r=\"1\"><c r=\"A1\"><f t=\"shared\" ref=\"A1:A2\" si=\"0\">B1*2</f><v>2</v></c>"
                                          "<c r=\"B1\"><v>1</v></c></row>"
                                          "<row r=\"2\"><c r=\"A2\"><f t=\"shared\" si=\"0\"/><v>4</v></c>"
                                          "<c r=\"B2\"><v>2</v></c></row>")));
        const QByteArray bytes = fileBytes(path);
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY(book);
        QVERIFY(book->setCell(1, 1, QStringLiteral("x")));
        QVERIFY(!book->save(&error));
        QVERIFY2(error.contains(QStringLiteral("第1行第1列")) && error.contains(QStringLiteral("公式")), qPrintable(error));
        QCOMPARE(fileBytes(path), bytes);
        QVERIFY(book->isModified());

        // A dependent cell of the shared formula is an ordinary formula cell.
        book = ImportWorkbook::open(path, &error);
        QVERIFY(book->setCell(2, 1, QStringLiteral("y")));
        QVERIFY2(book->save(&error), qPrintable(error));
        auto reopened = ImportWorkbook::open(path, &error);
        QCOMPARE(reopened->cell(2, 1), QStringLiteral("y"));
        QCOMPARE(reopened->cell(1, 1), QStringLiteral("2"));
    }

    // An .xls cannot be written: the save says what to do, the file stays as it was.
    void saveXlsRefused()
    {
        const QString path = copyOf(QStringLiteral("rosters/roster-45.xls"), m_dir, QStringLiteral("旧版.xls"));
        const QByteArray bytes = fileBytes(path);
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY(book && book->selectSheet(0));
        QVERIFY(book->setCell(1, 18, QStringLiteral("分班结果")));
        QCOMPARE(book->cell(1, 18), QStringLiteral("分班结果"));
        QVERIFY(!book->save(&error));
        QVERIFY2(error.contains(QStringLiteral("不能保存修改")) && error.contains(QStringLiteral(".xlsx")),
                 qPrintable(error));
        QCOMPARE(fileBytes(path), bytes);
    }

    // A column made 8 wide and centred: its range split around it, a centred copy of
    // each format it and its cells use; a number written as a value; the sheet made the
    // active, selected one in front of the other elements.
    void saveColumnLookAndActiveSheet()
    {
        const QByteArray styles =
            "<styleSheet xmlns=\"" + kMain + "\"><fonts count=\"2\"><font/><font><b/></font></fonts>"
            "<fills count=\"1\"><fill/></fills><borders count=\"1\"><border/></borders><cellXfs count=\"2\">"
            "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
            "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\">"
            "<alignment vertical=\"top\"/></xf></cellXfs></styleSheet>";
        const QByteArray sheet = worksheet(
            "<row r=\"1\"><c r=\"C1\" s=\"1\" t=\"inlineStr\"><is><t>分班结果</t></is></c></row>"
            "<row r=\"3\"><c r=\"D3\" s=\"1\"><v>7</v></c></row>",
            "<cols><col min=\"1\" max=\"5\" width=\"12\" style=\"1\" customWidth=\"1\"/></cols>");
        const QString path = m_dir.filePath(QStringLiteral("column-look.xlsx"));
        QVERIFY(writeXlsx(path, sheet, {}, styles));
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY2(book, qPrintable(error));
        QVERIFY(book->setNumber(2, 3, 5));
        QVERIFY(book->formatColumn(3, 8, true));
        book->setActiveSheet(0);
        QVERIFY2(book->save(&error), qPrintable(error));

        const QByteArray xml = zipEntry(path, QStringLiteral("xl/worksheets/sheet1.xml"));
        const QByteArray expectedSheet =
            "<sheetViews><sheetView workbookViewId=\"0\" tabSelected=\"1\"/></sheetViews>"
            "<cols><col min=\"1\" max=\"2\" width=\"12\" style=\"1\" customWidth=\"1\"/>"
            "<col min=\"3\" max=\"3\" width=\"8.7109375\" style=\"2\" customWidth=\"1\"/>"
            "<col min=\"4\" max=\"5\" width=\"12\" style=\"1\" customWidth=\"1\"/></cols><sheetData>"
            "<row r=\"1\"><c r=\"C1\" s=\"2\" t=\"inlineStr\"><is><t>分班结果</t></is></c></row>"
            "<row r=\"2\"><c r=\"C2\" s=\"3\"><v>5</v></c></row>"
            "<row r=\"3\"><c r=\"D3\" s=\"1\"><v>7</v></c></row></sheetData>";
        QVERIFY2(xml.contains(expectedSheet), xml.constData());
        const QByteArray xfs = zipEntry(path, QStringLiteral("xl/styles.xml"));
        QVERIFY2(xfs.contains("<cellXfs count=\"4\">"), xfs.constData());
        QVERIFY2(xfs.contains("<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\" "
                              "applyAlignment=\"1\"><alignment vertical=\"top\" horizontal=\"center\"/></xf>"
                              "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
                              "applyAlignment=\"1\"><alignment horizontal=\"center\"/></xf></cellXfs>"),
                 xfs.constData());
        const QByteArray workbook = zipEntry(path, QStringLiteral("xl/workbook.xml"));
        QVERIFY2(workbook.contains("<bookViews><workbookView activeTab=\"0\"/></bookViews><sheets>"), workbook.constData());

        auto reopened = ImportWorkbook::open(path, &error);
        QVERIFY(reopened);
        QCOMPARE(reopened->cell(2, 3), QStringLiteral("5"));
        QCOMPARE(reopened->cell(3, 4), QStringLiteral("7"));
    }

    // A save that would push a sheet past the size this program reads is refused, and
    // the file stays as it was.
    void saveRefusesSheetPastReadableSize()
    {
        QByteArray sheet = worksheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", "<!---->");
        sheet.insert(sheet.indexOf("<!--") + 4, QByteArray(workbook::kMaxPartBytes - 8 - sheet.size(), ' '));
        QCOMPARE(sheet.size(), workbook::kMaxPartBytes - 8);
        const QString path = m_dir.filePath(QStringLiteral("nearly-too-large.xlsx"));
        QVERIFY(writeXlsx(path, sheet));
        const QByteArray bytes = fileBytes(path);
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY2(book && book->currentSheet() == 0, qPrintable(error));
        QVERIFY(book->setCell(1, 2, QStringLiteral("分班结果")));
        QVERIFY(!book->save(&error));
        QVERIFY2(error.contains(QStringLiteral("超出了本程序能读取的大小")), qPrintable(error));
        QCOMPARE(fileBytes(path), bytes);
    }

    // What another program wrote after the file was opened is not overwritten.
    void saveRefusesChangedFile()
    {
        const QString path = copyOf(QStringLiteral("rosters/roster-45.xlsx"), m_dir, QStringLiteral("changed.xlsx"));
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY(book && book->selectSheet(0));
        QVERIFY(book->setCell(2, 18, QStringLiteral("3")));
        const QByteArray other = fileBytes(workbookPath("rosters/roster-45-messy.xlsx"));
        putFile(path, other);
        QVERIFY(!book->save(&error));
        QVERIFY2(error.contains(QStringLiteral("已被其他程序修改")), qPrintable(error));
        QCOMPARE(fileBytes(path), other);

        QFile::remove(path);
        QVERIFY(!book->save(&error));
        QVERIFY(!QFile::exists(path));
    }
};

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet(kChildVariable))
        return openUnderMemoryCap(qEnvironmentVariable(kChildVariable));
    QCoreApplication app(argc, argv);
    TestImportWorkbook test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_import_workbook.moc"
