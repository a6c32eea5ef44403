// The new-student rules without widgets: the placement on tables of cases, the import
// and data check on small workbooks and on the shared ones, and the outputs read back
// from the files written (class lists, the plain list, the write-back into the source).
#include "fixtures/files.h"
#include "fixtures/xlsx_file.h"
#include "organisation/new_students.h"
#include "workbook/export_workbook.h"
#include "workbook/import_workbook.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <zip.h>

using namespace Qt::StringLiterals;
using namespace tessaly;
using namespace tessaly::organisation;
using namespace tessaly::test;

namespace {

const QString kRosters = QStringLiteral(TESSALY_WORKBOOKS "/rosters/");

// "code,name,sex,total[,chosen]" per row; no score columns.
NewStudentTable tableOf(const QStringList &lines)
{
    NewStudentTable table;
    for (const QString &line : lines) {
        const QStringList f = line.split(QLatin1Char(','));
        NewStudent row;
        row.code = f.value(0);
        row.name = f.value(1);
        row.sex = f.value(2);
        row.total = f.value(3);
        row.chosen = f.value(4);
        table.rows << row;
    }
    return table;
}

// "code=class" per row, in table order.
QStringList placements(const NewStudentTable &table)
{
    QStringList out;
    for (const NewStudent &row : table.rows)
        out << row.code + QLatin1Char('=') + row.placed;
    return out;
}

// Every part of an .xlsx package by name.
QMap<QString, QByteArray> packageParts(const QString &path)
{
    QMap<QString, QByteArray> parts;
    int err = 0;
    zip_t *z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &err);
    if (!z)
        return parts;
    const zip_int64_t n = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        zip_stat_index(z, zip_uint64_t(i), 0, &st);
        zip_file_t *f = zip_fopen_index(z, zip_uint64_t(i), 0);
        QByteArray bytes(qsizetype(st.size), Qt::Uninitialized);
        zip_fread(f, bytes.data(), st.size);
        zip_fclose(f);
        parts.insert(QString::fromUtf8(st.name), bytes);
    }
    zip_discard(z);
    return parts;
}

std::unique_ptr<ImportWorkbook> openBook(const QString &path)
{
    QString error;
    auto book = ImportWorkbook::open(path, &error);
    if (!book)
        qWarning() << error;
    return book;
}

StudentMapping mappingOf(const ImportWorkbook &book, int code, int name, int sex, const QList<int> &scores)
{
    const QStringList headers = sheetHeaders(book, HeaderText::AsStored);
    StudentMapping m;
    bindColumn(m.code, headers, code - 1);
    bindColumn(m.name, headers, name - 1);
    bindColumn(m.sex, headers, sex - 1);
    for (int col : scores) {
        ColumnBinding b;
        bindColumn(b, headers, col - 1);
        m.scores << b;
    }
    return m;
}

} // namespace

class TestNewStudents : public QObject {
    Q_OBJECT

private slots:
    void placement_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("classes");
        QTest::addColumn<QStringList>("placed");     // final order, code=class
        QTest::addColumn<QStringList>("reportParts");

        QTest::newRow("one class: all in class 1, another choice out of range")
            << QStringList{u"1,甲,男,500"_s, u"2,乙,女,400,2"_s, u"3,丙,,300"_s} << 1
            << QStringList{u"1=1"_s, u"2=1"_s, u"3=1"_s}
            << QStringList{u"乙 所择的班级不在分班数目内。\r\n新生人数共：3人\r\n"_s,
                           u"1班情况：\r\n　　班内总人数：3(男1 女1 不详1人)\r\n　　各科总分数：900(平均：450.00)\r\n\r\n"_s};
        QTest::newRow("nine boys: best to the weakest class, block by block")
            << QStringList{u"1,a,男,680"_s, u"2,b,男,670"_s, u"3,c,男,620"_s, u"4,d,男,600"_s,
                           u"5,e,男,560"_s, u"6,f,男,550"_s, u"7,g,男,450"_s, u"8,h,男,410"_s,
                           u"9,i,男,320"_s}
            << 3
            << QStringList{u"1=1"_s, u"2=2"_s, u"3=3"_s, u"4=3"_s, u"5=2"_s, u"6=1"_s, u"7=3"_s,
                           u"8=1"_s, u"9=2"_s}
            << QStringList{u"1班情况：\r\n　　班内总人数：3(男3 女0 不详0人)\r\n　　各科总分数：1640(平均：546.67)"_s};
        QTest::newRow("a boy with total 0 is dealt by the leftover pass")
            << QStringList{u"1,a,男,600"_s, u"2,b,男,500"_s, u"3,c,男,0"_s, u"4,d,女,0"_s} << 2
            << QStringList{u"1=1"_s, u"2=2"_s, u"3=1"_s, u"4=2"_s}
            << QStringList{u"1班情况：\r\n　　班内总人数：2(男2 女0 不详0人)\r\n　　各科总分数：600(平均：600.00)"_s,
                           u"2班情况：\r\n　　班内总人数：2(男1 女1 不详0人)\r\n　　各科总分数：500(平均：500.00)"_s};
        QTest::newRow("choices that are no class are reported, nothing moves")
            << QStringList{u"1,a,男,600,0"_s, u"2,b,男,500,5"_s, u"3,c,女,400,x"_s} << 2
            << QStringList{u"1=1"_s, u"2=2"_s, u"3=2"_s}
            << QStringList{u"a 所择的班级不在分班数目内。\r\nb 所择的班级不在分班数目内。\r\n3 c 所择的班级不是数字\r\n"
                           u"新生人数共：3人"_s};
        QTest::newRow("the partner search stops at the first candidate over 800")
            << QStringList{u"1,a,男,990"_s, u"2,b,男,950"_s, u"3,c,男,150"_s, u"4,s,男,100,2"_s} << 2
            << QStringList{u"1=1"_s, u"2=2"_s, u"3=2"_s, u"4=1"_s}
            << QStringList{u"各科总分数：1090(平均：545.00)"_s};
        QTest::newRow("a swap with the nearest total moves sexes and sums")
            << QStringList{u"1,a,男,990"_s, u"2,b,男,950"_s, u"3,c,男,300"_s, u"4,s,女,200,2"_s} << 2
            << QStringList{u"1=1"_s, u"2=2"_s, u"3=1"_s, u"4=2"_s}
            << QStringList{u"1班情况：\r\n　　班内总人数：2(男2 女0 不详0人)\r\n　　各科总分数：1290(平均：645.00)"_s,
                           u"2班情况：\r\n　　班内总人数：2(男1 女1 不详0人)\r\n　　各科总分数：1150(平均：575.00)"_s};
        QTest::newRow("more classes than students: an empty class averages 0")
            << QStringList{u"1,a,男,600"_s, u"2,b,男,500"_s} << 3
            << QStringList{u"1=1"_s, u"2=2"_s}
            << QStringList{u"3班情况：\r\n　　班内总人数：0(男0 女0 不详0人)\r\n　　各科总分数：0(平均：0.00)\r\n\r\n"_s};
        QTest::newRow("equal keys keep their order; codes that are no numbers sort after numbers")
            << QStringList{u"b,a,男,500"_s, u",b,男, 500 "_s, u"3,c,男,500.0"_s, u"a1,d,男,400"_s} << 2
            << QStringList{u"=2"_s, u"3=1"_s, u"a1=2"_s, u"b=1"_s}
            << QStringList{u"新生人数共：4人"_s};
        QTest::newRow("final order by code, every row placed")
            << QStringList{u"10,a,女,580"_s, u"9,b,,0"_s, u"2,c,男,610"_s, u"007,d,男,"_s} << 2
            << QStringList{u"2=1"_s, u"007=1"_s, u"9=2"_s, u"10=2"_s}
            << QStringList{u"新生人数共：4人"_s};
    }

    void placement()
    {
        QFETCH(QStringList, rows);
        QFETCH(int, classes);
        QFETCH(QStringList, placed);
        QFETCH(QStringList, reportParts);
        NewStudentTable table = tableOf(rows);
        int last = 0, maximum = 0;
        const QString report = PlaceStudents(table, classes, [&](int value, int max) {
            last = value;
            maximum = max;
        });
        QCOMPARE(placements(table), placed);
        for (const QString &part : reportParts)
            QVERIFY2(report.contains(part), qPrintable(report));
        QCOMPARE(maximum, 2 * int(rows.size()));
        QCOMPARE(last, maximum);   // the bar ends full
    }

    // The scores are summed per class over the balancing pass, with their headers; the
    // averages carry two decimals, rounded.
    void reportCarriesScoreColumns()
    {
        NewStudentTable table = tableOf({u"1,a,男,170"_s, u"2,b,男,150"_s, u"3,c,男,140"_s});
        table.scoreHeaders = QStringList{u"语文"_s, u"数学"_s};
        table.rows[0].scores = QStringList{u"80"_s, u"90"_s};
        table.rows[1].scores = QStringList{u"70.5"_s, u""_s};
        table.rows[2].scores = QStringList{u"66.125"_s, u"1"_s};
        const QString report = PlaceStudents(table, 1);
        QVERIFY2(report.contains(u"　　各科总分数：460(平均：153.33)\r\n"
                                 u"　　语文总分数：216.625(平均：72.21)\r\n　　数学总分数：91(平均：30.33)\r\n"_s),
                 qPrintable(report));
    }

    // A list holds students when any row has a name: after a placement a student without
    // 代码 may stand first; a typed list with codes alone holds none.
    void hasStudents_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("students");
        QTest::newRow("none") << QStringList{} << false;
        QTest::newRow("codes alone") << QStringList{u"1,,,"_s, u"2,,,"_s} << false;
        QTest::newRow("a code-less student first") << QStringList{u",甲,男,500"_s, u"2,乙,女,400"_s} << true;
        QTest::newRow("a later row named") << QStringList{u"1,,,"_s, u"2,乙,,"_s} << true;
    }

    void hasStudents()
    {
        QFETCH(QStringList, rows);
        QFETCH(bool, students);
        QCOMPARE(tableOf(rows).hasStudents(), students);
    }

    void classCount_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");   // 0: refused
        QTest::newRow("plain") << u"12"_s << 12;
        QTest::newRow("blanks and a point") << u" 3.0 "_s << 3;
        QTest::newRow("half to even") << u"2.5"_s << 2;
        QTest::newRow("rounds below 1") << u"0.4"_s << 0;
        QTest::newRow("zero") << u"0"_s << 0;
        QTest::newRow("negative") << u"-3"_s << 0;
        QTest::newRow("no number") << u"三"_s << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("beyond the int range") << u"99999999999"_s << 0;
    }

    void classCount()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QCOMPARE(classCountOf(text).value_or(0), count);
    }

    void subjects_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("subjects");
        QTest::newRow("one") << u"语文"_s << QStringList{u"语文"_s};
        QTest::newRow("trailing star adds none") << u"语文*数学*"_s << QStringList{u"语文"_s, u"数学"_s};
        QTest::newRow("leading star: an empty name") << u"*语文"_s << QStringList{QString(), u"语文"_s};
        QTest::newRow("double star") << u"语文**数学"_s << QStringList{u"语文"_s, QString(), u"数学"_s};
    }

    void subjects()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, subjects);
        QCOMPARE(splitSubjects(text), subjects);
        const NewStudentTable table = manualTable(3, subjects);
        QCOMPARE(table.rows.size(), 3);
        QCOMPARE(table.rows[2].code, u"3"_s);
        QCOMPARE(table.errorColumn(), kColFirstScore + subjects.size());
        QVERIFY(!table.formatString().endsWith(u"<　　　　数   据   错   误　　　　"_s));
    }

    // The import and its check on the edge rows: an empty name ends the list, a sex
    // with a blank is no sex, bad scores are emptied and counted once per row.
    void importEdgeRows()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"new.xlsx"_s);
        {
            ExportWorkbook out;
            ExportSheet &s = out.addSheet(u"新生"_s);
            const QList<QStringList> rows{
                {u"代码"_s, u"姓名"_s, u"性别"_s, u"语文"_s, u"数学"_s, u"英语"_s, u"物理"_s},
                {u"101"_s, u"张一"_s, u"男 "_s, u"85"_s, u"90.5"_s, u"70"_s, u"60"_s},
                {u"102"_s, u"李二"_s, u"女"_s, u""_s, u"abc"_s, u"88"_s, u"87.5"_s},
                {u""_s, u"王三"_s, u"M"_s, u"8.5.5"_s, u"60"_s, u"60"_s, u"60"_s},
                {u"104"_s, u""_s, u"女"_s, u"1"_s, u"1"_s, u"1"_s, u"1"_s},
                {u"105"_s, u"赵五"_s, u"女"_s, u"1"_s, u"1"_s, u"1"_s, u"1"_s}};
            for (int r = 0; r < rows.size(); ++r)
                for (int c = 0; c < rows[r].size(); ++c)
                    s.setText(r + 1, c + 1, rows[r][c]);
            out.addSheet(u"空表"_s).setText(1, 1, u"代码"_s);
            QVERIFY(out.saveAs(path));
        }
        auto book = openBook(path);
        QVERIFY(book && book->selectSheet(0));
        CheckCounts counts;
        QList<int> progress;
        const NewStudentTable table = importStudents(*book, mappingOf(*book, 1, 2, 3, {4, 5, 6, 7}), &counts,
                                                     [&](int i, int) { progress << i; });
        QCOMPARE(progress, (QList<int>{1, 2, 3}));
        QCOMPARE(table.rows.size(), 3);
        QCOMPARE(table.rows[0].sex, QString());
        QCOMPARE(table.rows[0].errors, kErrNoSex);
        QCOMPARE(table.rows[0].total, u"305.5"_s);
        QCOMPARE(table.rows[1].scores, (QStringList{QString(), QString(), u"88"_s, u"87.5"_s}));
        QCOMPARE(table.rows[1].errors, kErrNoScore);
        QCOMPARE(table.rows[1].total, u"175.5"_s);
        QCOMPARE(table.rows[2].errors, kErrNoCode + kErrNoSex + kErrNoScore);
        QCOMPARE(table.rows[2].scores.first(), QString());
        QCOMPARE(table.rows[2].total, u"180"_s);
        QCOMPARE(table.rows[2].sheetRow, 4);
        QCOMPARE(table.sourceSheet, 0);
        QCOMPARE(table.formatString(),
                 u"^代码|>姓  名 |^分班|^择班|^性别|>总分|>语文|>数学|>英语|>物理|<　　　　数   据   错   误　　　　"_s);
        QCOMPARE(importSummary(counts),
                 u"\r\n新生人数共：3人,其中（3）人数据错误\r\n　　其中代码数据错误的有（1）人\r\n"
                 u"　　其中姓名数据错误的有（0）人\r\n　　其中性别数据错误的有（2）人\r\n"
                 u"　　其中成绩数据错误的有（2）人"_s);

        // A header-only sheet: no students, the clean summary.
        QVERIFY(book->selectSheet(1));
        StudentMapping m;
        m.code = m.name = m.sex = ColumnBinding{0, u"代码"_s};
        const NewStudentTable none = importStudents(*book, m, &counts);
        QVERIFY(none.rows.isEmpty());
        QCOMPARE(importSummary(counts), u"\r\n恭喜您！\r\n\r\n　　新生人数共：0人,无任何数据错误。"_s);
    }

    // The check marks rows again from their cells; running it twice changes nothing.
    void checkMarksRows()
    {
        NewStudentTable table = tableOf({u",,,"_s, u"2,b,女,"_s});
        table.scoreHeaders = QStringList{u"语文"_s, u"数学"_s};
        table.rows[0].scores = QStringList{u"85"_s, u""_s};
        table.rows[1].scores = QStringList{u"85"_s, u"90.5"_s};
        table.rows[0].sex = u"x"_s;
        CheckCounts counts = CheckStudentData(table);
        QCOMPARE(table.rows[0].errors, kErrNoCode + kErrNoName + kErrNoSex + kErrNoScore);
        QCOMPARE(table.rows[0].sex, u"x"_s);
        QCOMPARE(table.rows[0].total, u"85"_s);
        QCOMPARE(table.rows[1].total, u"175.5"_s);
        QCOMPARE(table.rows[1].errors, QString());
        QCOMPARE(checkReport(counts),
                 u"新生人数共：2人,其中（1）人数据错误\r\n　　其中代码数据错误的有（1）人\r\n"
                 u"　　其中姓名数据错误的有（1）人\r\n　　其中性别数据错误的有（1）人\r\n"
                 u"　　其中成绩数据错误的有（1）人"_s);
        const NewStudentTable once = table;
        CheckStudentData(table);
        QCOMPARE(placements(table), placements(once));
        QCOMPARE(table.rows[0].errors, once.rows[0].errors);
        table.rows[0] = table.rows[1];
        QCOMPARE(checkReport(CheckStudentData(table)),
                 u"\r\n恭喜您！\r\n\r\n　　新生人数共：2人,无任何数据错误。"_s);
    }

    // The shared workbooks: the .xls roster by 序号, 姓名, 性别; the score sheet's
    // formula results as scores, its 总分 column matching the sums.
    void importSharedWorkbooks()
    {
        auto roster = openBook(kRosters + u"roster-45.xls"_s);
        QVERIFY(roster && roster->selectSheet(0));
        CheckCounts counts;
        NewStudentTable table = importStudents(*roster, mappingOf(*roster, 1, 2, 3, {}), &counts);
        QCOMPARE(table.rows.size(), 45);
        QCOMPARE(table.rows[0].code, u"1"_s);
        QCOMPARE(table.rows[0].name, u"杜英"_s);
        QCOMPARE(table.rows[0].sex, u"男"_s);
        QCOMPARE(table.rows[44].name, u"邹建明"_s);
        QCOMPARE(counts.sex, 0);
        QCOMPARE(counts.rows, 0);

        auto scores = openBook(kRosters + u"scores-40.xlsx"_s);
        QVERIFY(scores && scores->selectSheet(u"期中成绩"_s));
        // 性别 bound to 及格 (TRUE/FALSE): every row lacks a sex.
        table = importStudents(*scores, mappingOf(*scores, 1, 2, 8, {3, 4, 5}), &counts);
        QCOMPARE(table.rows.size(), 40);
        QCOMPARE(counts.sex, 40);
        QCOMPARE(table.rows[0].code, scores->cell(2, 1));
        for (int i = 0; i < table.rows.size(); ++i)
            QCOMPARE(decimalValue(table.rows[i].total), decimalValue(scores->cell(i + 2, 6)));
    }

    void classLists()
    {
        NewStudentTable table = tableOf({u"1,甲,男,600,2"_s, u"2,乙,女,500"_s, u"3,丙,,"_s, u"4,丁,男,0"_s});
        table.scoreHeaders = QStringList{u"语文"_s};
        const QStringList classes{u"2"_s, u"1"_s, u"2"_s, u"2"_s};
        for (int i = 0; i < table.rows.size(); ++i) {
            table.rows[i].placed = classes[i];
            table.rows[i].scores = QStringList{u"80"_s};
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(u"lists.xlsx"_s);
        ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
        fillClassLists(book, table, 5);
        QVERIFY(book.saveAs(path));

        XlsxFile x(path);
        QCOMPARE(x.sheetNames(), (QStringList{u"第1班"_s, u"第2班"_s, u"第3班"_s, u"第4班"_s, u"第5班"_s}));
        QCOMPARE(x.mergeRefs(1), (QStringList{u"A1:H1"_s, u"A6:H6"_s}));
        test::verifyPrintedTable(x, 1, 2, 5, 8, 1);
        QVERIFY(!QTest::currentTestFailed());
        auto read = openBook(path);
        QVERIFY(read && read->selectSheet(1));
        QCOMPARE(read->cell(1, 1), u"第 2 班新生花名册"_s);
        QStringList header;
        for (int c = 1; c <= 8; ++c)
            header << read->cell(2, c);
        QCOMPARE(header, (QStringList{u"学号"_s, u"代码"_s, u"姓  名 "_s, u"分班"_s, u"择班"_s, u"性别"_s,
                                      u"总分"_s, u"语文"_s}));
        QCOMPARE(read->usedCols(), 8);   // no error column
        QStringList students;
        for (int r = 3; r <= 5; ++r)
            students << read->cell(r, 1) + u":"_s + read->cell(r, 3);
        QCOMPARE(students, (QStringList{u"1:甲"_s, u"2:丙"_s, u"3:丁"_s}));
        QCOMPARE(read->cell(6, 1), u"2班共3人 1人择班 男2人 女0人 性别不详1人 总分平均300"_s);
        // A class without students: title, headers, a summary of zeros in row 3.
        QVERIFY(read->selectSheet(4));
        QCOMPARE(read->cell(3, 1), u"5班共0人 0人择班 男0人 女0人 性别不详0人 总分平均0"_s);

        // Fewer classes than the new workbook's sheets: the rest keep their names.
        ExportWorkbook two(ExportWorkbook::kNewWorkbookSheets);
        fillClassLists(two, table, 2);
        QCOMPARE(two.sheetNames(), (QStringList{u"第1班"_s, u"第2班"_s, u"Sheet3"_s}));
    }

    void plainList()
    {
        NewStudentTable table = tableOf({u"1,甲,男,600"_s, u"2,乙,女,500"_s});
        table.rows[0].errors = kErrNoScore;
        ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
        fillPlainList(book, table);
        const ExportSheet &s = book.sheet(0);
        QCOMPARE(s.name(), u"Sheet1"_s);
        QCOMPARE(s.text(1, 2), u"姓  名 "_s);
        QCOMPARE(s.text(3, 2), u"乙"_s);
        QCOMPARE(s.text(2, 6), u"600"_s);
        QCOMPARE(s.text(2, 7), QString());   // the error column stays out
        QCOMPARE(s.text(4, 1), QString());
        // The list prints as a table with its caption row on every page.
        QCOMPARE(s.table(), (CellRange{1, 1, 3, 6}));
        QCOMPARE(s.tableHeaderRows(), 1);
    }

    // An unsorted source: each student's class lands, as a number, in the row holding its
    // 代码, in the sheet imported from; a column with data under an empty header is passed
    // over; the column is centred and 8 wide and the sheet is the active one; the parts
    // of the file that need no change stay byte for byte; an unchanged book is not written.
    void writeBackIntoSource()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"source.xlsx"_s);
        {
            ExportWorkbook out;
            out.addSheet(u"说明"_s).setText(1, 1, u"新生名单"_s);
            ExportSheet &s = out.addSheet(u"名单"_s);
            const QList<QStringList> rows{{u"代码"_s, u"姓名"_s, u"性别"_s, u"总分"_s, u""_s, u"备注"_s},
                                          {u"30"_s, u"丙"_s, u"男"_s, u"500"_s, u"x"_s, u""_s},
                                          {u"10"_s, u"甲"_s, u"男"_s, u"600"_s, u""_s, u""_s},
                                          {u"20"_s, u"乙"_s, u"女"_s, u"550"_s, u""_s, u"转"_s},
                                          {u"40"_s, u"丁"_s, u"女"_s, u"450"_s, u""_s, u""_s}};
            for (int r = 0; r < rows.size(); ++r)
                for (int c = 0; c < rows[r].size(); ++c)
                    s.setValue(r + 1, c + 1, rows[r][c]);
            out.addSheet(u"其他"_s).setNumber(2, 2, 7);
            out.setActiveSheet(out.sheet(0));
            QVERIFY(out.saveAs(path));
        }
        const QMap<QString, QByteArray> before = packageParts(path);
        auto book = openBook(path);
        QVERIFY(book && book->selectSheet(1));
        NewStudentTable table = importStudents(*book, mappingOf(*book, 1, 2, 3, {4}), nullptr);
        PlaceStudents(table, 2);
        QCOMPARE(placements(table), (QStringList{u"10=1"_s, u"20=2"_s, u"30=2"_s, u"40=1"_s}));
        book->selectSheet(2);   // another sheet chosen since: the write-back still goes to 名单
        QString message;
        QVERIFY2(writeBackPlacement(*book, table, &message), qPrintable(message));
        QVERIFY(message.contains(u"名单"_s));
        QCOMPARE(book->currentSheet(), 2);

        auto reread = openBook(path);
        QVERIFY(reread && reread->selectSheet(1));
        QCOMPARE(reread->cell(1, 7), kResultHeader);
        QStringList got;
        for (int r = 2; r <= 5; ++r)
            got << reread->cell(r, 1) + u"="_s + reread->cell(r, 7);
        QCOMPARE(got, (QStringList{u"30=2"_s, u"10=1"_s, u"20=2"_s, u"40=1"_s}));
        QCOMPARE(reread->cell(2, 5), u"x"_s);
        QCOMPARE(reread->cell(4, 6), u"转"_s);

        XlsxFile x(path);
        for (const QString &ref : {u"G2"_s, u"G5"_s})
            QVERIFY2(x.isNumber(1, ref), qPrintable(ref));
        for (const QString &ref : {u"G1"_s, u"G2"_s, u"G5"_s})
            QCOMPARE(x.style(1, ref).horizontal, u"center"_s);
        QCOMPARE(x.style(1, u"F2"_s).horizontal, QString());
        const pugi::xml_node col = x.column(1, 7);
        QCOMPARE(x.xfStyle(col.attribute("style").as_int()).horizontal, u"center"_s);
        QCOMPARE(x.column(1, 6).attribute("min").as_int(), 0);   // no other column touched
        {
            // 8 characters wide, as the program's own workbooks store it.
            const QString widths = dir.filePath(u"widths.xlsx"_s);
            ExportWorkbook w;
            w.addSheet(u"宽"_s).setColumnWidth(7, 8);
            QVERIFY(w.saveAs(widths));
            QCOMPARE(col.attribute("width").as_double(), XlsxFile(widths).column(0, 7).attribute("width").as_double());
        }
        QCOMPARE(x.activeTab(), 1);
        for (int sheet = 0; sheet < 3; ++sheet)
            QCOMPARE(x.sheet(sheet).child("worksheet").child("sheetViews").child("sheetView")
                         .attribute("tabSelected").as_bool(), sheet == 1);

        const QMap<QString, QByteArray> after = packageParts(path);
        QCOMPARE(after.keys(), before.keys());
        QStringList changed;
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            if (after.value(it.key()) != it.value())
                changed << it.key();
        QCOMPARE(changed, (QStringList{u"xl/styles.xml"_s, u"xl/workbook.xml"_s, u"xl/worksheets/sheet1.xml"_s,
                                       u"xl/worksheets/sheet2.xml"_s}));

        // Again with the same classes: the header is found again and nothing is written.
        const QByteArray saved = fileBytes(path);
        QVERIFY(writeBackPlacement(*book, table, &message));
        QCOMPARE(fileBytes(path), saved);
    }

    void writeBackRefusals()
    {
        // A typed list has no source.
        auto roster = openBook(kRosters + u"roster-45.xlsx"_s);
        QVERIFY(roster);
        QString message;
        QVERIFY(!writeBackPlacement(*roster, manualTable(2, {}), &message));
        QVERIFY(message.contains(u"不是从Excel文件导入的"_s));
        QVERIFY(!roster->isModified());

        // An .xls source is never written.
        const QString xls = kRosters + u"roster-45.xls"_s;
        const QByteArray bytes = fileBytes(xls);
        auto book = openBook(xls);
        QVERIFY(book && book->selectSheet(0));
        NewStudentTable table = importStudents(*book, mappingOf(*book, 1, 2, 3, {}), nullptr);
        PlaceStudents(table, 3);
        QVERIFY(!writeBackPlacement(*book, table, &message));
        QVERIFY2(message.contains(u".xls"_s) && message.contains(u"另存为.xlsx"_s), qPrintable(message));
        QVERIFY(!book->isModified());
        QCOMPARE(fileBytes(xls), bytes);
    }
};

QTEST_GUILESS_MAIN(TestNewStudents)
#include "tst_new_students.moc"
