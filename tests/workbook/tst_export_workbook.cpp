#include "workbook/export_workbook.h"
#include "fixtures/export_files.h"
#include "fixtures/files.h"
#include "fixtures/xlsx_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly;
using tessaly::test::ExportsFolder;
using tessaly::test::XlsxFile;
using tessaly::test::fileBytes;
using tessaly::test::putFile;
using tessaly::test::ExportsFolder;
using tessaly::test::XlsxFile;

namespace {

const QDateTime kNow(QDate(2024, 9, 1), QTime(8, 30, 5));

} // namespace

class TestExportWorkbook : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString file(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // A register-like sheet and a statistics-like sheet, written and read back.
    void writesTwoSheetsWithLayout()
    {
        ExportWorkbook book;
        ExportSheet &reg = book.addSheet(QStringLiteral("三班学籍表"));
        reg.setLandscape();
        reg.setAllRowHeights(11);
        reg.setRowHeight(1, 20);
        reg.merge(1, 1, 1, 18, QStringLiteral("初一年级组三班学生学籍表"),
                  CellStyle{.fontSize = 14, .bold = true});
        reg.setRowStyle(1, {.hAlign = HAlign::Center});
        reg.setRowStyle(2, {.hAlign = HAlign::Center});
        reg.setColumnStyle(4, {.hAlign = HAlign::Center});
        reg.setColumnStyle(11, {.hAlign = HAlign::Right});
        const double widths[18] = {3, 7, 6, 3, 3, 6, 9, 6, 10, 3, 10, 13, 13, 6, 6, 6, 13, 10};
        for (int c = 1; c <= 18; ++c)
            reg.setColumnWidth(c, widths[c - 1]);
        reg.setText(2, 1, QStringLiteral("编号"), {.fontSize = 10});
        reg.setText(2, 3, QStringLiteral(" 姓  名"), {.fontSize = 10});
        reg.setText(2, 11, QStringLiteral("联系电话"), {.fontSize = 10});
        reg.setNumber(3, 1, 1, {.fontSize = 10});
        reg.setText(3, 2, QStringLiteral("20240101"), {.fontSize = 10});
        reg.setText(3, 3, QStringLiteral("买买提·艾力"), {.fontSize = 10});
        reg.setText(3, 4, QStringLiteral("男"), {.fontSize = 10});

        ExportSheet &stats = book.addSheet(QStringLiteral("成绩分析"));
        stats.setRowHeight(2, 50);
        stats.setRowStyle(2, {.vAlign = VAlign::Center, .wrap = true});
        stats.setColumnWidth(2, 0);
        stats.setColumnStyle(5, {.numberFormat = QStringLiteral("0.00")});
        stats.setColumnStyle(8, {.numberFormat = QStringLiteral("0.0")});
        stats.setValue(2, 5, QStringLiteral("班级平均分数"), {.fontSize = 9});
        stats.setValue(3, 5, QStringLiteral("78.50"), {.fontSize = 9});
        stats.setValue(3, 8, QStringLiteral("87.5"), {.fontSize = 9});
        stats.setValue(3, 1, QStringLiteral("语文"));
        stats.setValue(4, 1, QStringLiteral("语文"));
        stats.clearValue(4, 1);
        stats.merge(3, 1, 4, 1);
        stats.setRangeStyle(3, 6, 4, 7, {.border = BorderLine::Thin});

        const QString path = file(QStringLiteral("两个工作表.xlsx"));
        QString error;
        QVERIFY2(book.saveAs(path, &error), qPrintable(error));
        QVERIFY(book.notes().isEmpty());

        XlsxFile x(path);
        QVERIFY(x.isOpen());
        QCOMPARE(x.sheetNames(), QStringList({QStringLiteral("三班学籍表"), QStringLiteral("成绩分析")}));
        QCOMPARE(x.activeTab(), 1);  // the sheet added last

        // Register sheet: page, heights, title merge, widths, texts and numbers.
        QCOMPARE(x.orientation(0), QStringLiteral("landscape"));
        QCOMPARE(x.defaultRowHeight(0), 11.0);
        // The 14-point title needs more than the 20 points asked for, the 10-point rows
        // more than 11.
        QCOMPARE(x.row(0, 1).attribute("ht").as_double(), neededRowHeight(14));
        QCOMPARE(x.row(0, 2).attribute("ht").as_double(), neededRowHeight(10));
        QCOMPARE(x.mergeRefs(0), QStringList{QStringLiteral("A1:R1")});
        for (int c = 1; c <= 18; ++c) {
            const double w = x.column(0, c).attribute("width").as_double();
            // The file's width adds the cell padding to the width in characters.
            QVERIFY2(w >= widths[c - 1] && w < widths[c - 1] + 1, qPrintable(QString::number(c)));
        }
        QCOMPARE(x.value(0, "A1"), QStringLiteral("初一年级组三班学生学籍表"));
        QCOMPARE(x.value(0, "C2"), QStringLiteral(" 姓  名"));
        QCOMPARE(x.value(0, "C3"), QStringLiteral("买买提·艾力"));
        QCOMPARE(x.value(0, "B3"), QStringLiteral("20240101"));
        QVERIFY(!x.isNumber(0, "B3"));  // a text stays a text
        QVERIFY(x.isNumber(0, "A3"));
        QCOMPARE(x.value(0, "A3"), QStringLiteral("1"));

        const XlsxFile::Style title = x.style(0, "A1");
        QCOMPARE(title.fontSize, 14.0);
        QVERIFY(title.bold);
        QCOMPARE(title.horizontal, QStringLiteral("center"));
        QCOMPARE(title.fontName, QStringLiteral("宋体"));
        // The rest of the merged title row carries the title's style too.
        QCOMPARE(x.style(0, "R1").fontSize, 14.0);
        QCOMPARE(x.style(0, "C2").horizontal, QStringLiteral("center"));
        QCOMPARE(x.style(0, "C2").fontSize, 10.0);
        QVERIFY(!x.style(0, "C2").bold);
        // Column 11 was right-aligned after row 2 was centred: the later change wins.
        QCOMPARE(x.style(0, "K2").horizontal, QStringLiteral("right"));
        QCOMPARE(x.style(0, "D3").horizontal, QStringLiteral("center"));
        QCOMPARE(x.style(0, "C3").horizontal, QString());

        // Statistics sheet: hidden column, wrapped header row, number formats, merge, border.
        QCOMPARE(x.orientation(1), QStringLiteral("portrait"));
        QVERIFY(x.column(1, 2).attribute("hidden").as_bool());
        QCOMPARE(x.row(1, 2).attribute("ht").as_double(), 50.0);
        const XlsxFile::Style header = x.style(1, "E2");
        QVERIFY(header.wrap);
        QCOMPARE(header.vertical, QStringLiteral("center"));
        QCOMPARE(header.fontSize, 9.0);
        QCOMPARE(x.value(1, "E2"), QStringLiteral("班级平均分数"));
        QVERIFY(x.isNumber(1, "E3"));
        QCOMPARE(x.value(1, "E3").toDouble(), 78.5);
        QCOMPARE(x.style(1, "E3").numberFormat, QStringLiteral("0.00"));
        QCOMPARE(x.style(1, "H3").numberFormat, QStringLiteral("0.0"));
        QCOMPARE(x.mergeRefs(1), QStringList{QStringLiteral("A3:A4")});
        QCOMPARE(x.value(1, "A3"), QStringLiteral("语文"));
        QCOMPARE(x.value(1, "A4"), QString());
        QCOMPARE(x.style(1, "F3").border, QStringLiteral("thin"));
        QCOMPARE(x.style(1, "G4").border, QStringLiteral("thin"));
        QCOMPARE(x.style(1, "E3").border, QString());
    }

    // A sheet's table prints with thin borders on every cell, empty ones too, its header
    // rows on every page, and every sheet on A4.
    void tablePrintsWithBordersAndTitles()
    {
        ExportWorkbook book(1);
        ExportSheet &sheet = book.addSheet(QStringLiteral("名单"));
        sheet.merge(1, 1, 1, 3, QStringLiteral("标题"));
        sheet.setText(2, 1, QStringLiteral("学号"));
        sheet.setText(3, 1, QStringLiteral("姓名"));
        sheet.setText(4, 2, QStringLiteral("张三"));
        sheet.setText(5, 3, QStringLiteral("粗框"), {.border = BorderLine::Medium});
        sheet.merge(5, 1, 6, 1);
        sheet.setText(8, 1, QStringLiteral("表外"));
        sheet.setTable(6, 3, 2, 1, 2);
        QCOMPARE(sheet.table(), (CellRange{2, 1, 6, 3}));
        QCOMPARE(sheet.tableHeaderRows(), 2);
        QCOMPARE(sheet.effectiveStyle(3, 3).border, BorderLine::Thin);
        QCOMPARE(sheet.effectiveStyle(5, 3).border, BorderLine::Medium);
        QCOMPARE(sheet.effectiveStyle(1, 1).border, BorderLine::None);

        const QString path = file(QStringLiteral("表格.xlsx"));
        QString error;
        QVERIFY2(book.saveAs(path, &error), qPrintable(error));
        XlsxFile x(path);
        QCOMPARE(x.paperSize(0), kPaperA4);
        QCOMPARE(x.paperSize(1), kPaperA4);
        QCOMPARE(x.printTitles(0), QString());
        QVERIFY2(x.printTitles(1).endsWith(QStringLiteral("名单'!$2:$3")), qPrintable(x.printTitles(1)));
        const QStringList thin(4, QStringLiteral("thin"));
        for (const char *ref : {"A2", "B2", "C3", "B4", "A5", "A6", "B6", "C6"})
            QVERIFY2(x.style(1, ref).edges == thin, ref);
        QCOMPARE(x.style(1, "C5").edges, QStringList(4, QStringLiteral("medium")));
        for (const char *ref : {"A1", "A7", "A8", "D2"})
            QVERIFY2(x.style(1, ref).edges == QStringList(4, QString()), ref);
        QVERIFY(!QTest::currentTestFailed());
        test::verifyPrintedTable(x, 1, 2, 4, 3, 2);
    }

    void workbookWithoutSheetsPrintsOnA4()
    {
        ExportWorkbook book;
        const QString path = file(QStringLiteral("无表.xlsx"));
        QVERIFY(book.saveAs(path));
        QCOMPARE(XlsxFile(path).paperSize(0), kPaperA4);
    }

    void wrappedLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("points");
        QTest::addColumn<int>("lines");
        QTest::newRow("fits") << QStringLiteral("班级平均分数") << 20.0 << 9.0 << 1;
        QTest::newRow("two CJK a line") << QStringLiteral("班内最高分数") << 4.0 << 9.0 << 3;
        QTest::newRow("one CJK a line") << QStringLiteral("优秀人数") << 2.0 << 9.0 << 4;
        QTest::newRow("line feeds") << QStringLiteral("60\n│\n79") << 2.0 << 9.0 << 3;
        QTest::newRow("a number breaks only when longer than a line") << QStringLiteral("人数12345") << 5.0 << 11.0 << 2;
        QTest::newRow("long word broken anywhere") << QStringLiteral("1234567") << 3.0 << 11.0 << 3;
        QTest::newRow("spaces") << QStringLiteral("ab cd ef") << 5.0 << 11.0 << 2;
        QTest::newRow("zero-width space") << QStringLiteral("60\u200B│\u200B79") << 2.0 << 9.0 << 3;
        QTest::newRow("empty") << QString() << 2.0 << 9.0 << 1;
        QTest::newRow("hidden column") << QStringLiteral("优秀") << 0.0 << 9.0 << 2;
    }
    void wrappedLines()
    {
        QFETCH(QString, text);
        QFETCH(double, width);
        QFETCH(double, points);
        QFETCH(int, lines);
        QCOMPARE(wrappedLineCount(text, width, points), lines);
    }

    // Rows tall enough for their font: a height asked for is raised, never lowered; a
    // wrapped cell's lines count; a row without a height of its own is left to the
    // spreadsheet unless its text needs more than the default row.
    void rowsTallEnoughForTheirFont_data()
    {
        QTest::addColumn<double>("asked");      // -1: none; -2: every row's height of 11
        QTest::addColumn<double>("points");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<double>("width");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("printed");    // 0: the spreadsheet's own
        QTest::newRow("9-pt text in a 10-pt row") << 10.0 << 9.0 << false << 8.0 << QStringLiteral("语文") << 13.5;
        QTest::newRow("a taller row stays") << 20.0 << 9.0 << false << 8.0 << QStringLiteral("语文") << 20.0;
        QTest::newRow("10-pt text, all rows 11") << -2.0 << 10.0 << false << 8.0 << QStringLiteral("语文") << 15.0;
        QTest::newRow("three wrapped lines in 50") << 50.0 << 9.0 << true << 2.0 << QStringLiteral("60\n│\n79") << 50.0;
        QTest::newRow("six wrapped lines in 50") << 50.0 << 9.0 << true << 2.0 << QStringLiteral("班内最高分数") << 78.75;
        QTest::newRow("no height, default font") << -1.0 << 11.0 << false << 8.0 << QStringLiteral("语文") << 0.0;
        QTest::newRow("no height, big title") << -1.0 << 14.0 << false << 8.0 << QStringLiteral("标题") << 21.0;
        QTest::newRow("hidden row") << 0.0 << 9.0 << false << 8.0 << QStringLiteral("语文") << 0.0;
        QTest::newRow("number in a narrow column") << 10.0 << 9.0 << true << 1.0 << QStringLiteral("12345") << 13.5;
    }
    void rowsTallEnoughForTheirFont()
    {
        QFETCH(double, asked);
        QFETCH(double, points);
        QFETCH(bool, wrap);
        QFETCH(double, width);
        QFETCH(QString, text);
        QFETCH(double, printed);
        ExportWorkbook book;
        ExportSheet &sheet = book.addSheet(QStringLiteral("表"));
        if (asked == -2)
            sheet.setAllRowHeights(11);
        else if (asked >= 0)
            sheet.setRowHeight(2, asked);
        sheet.setColumnWidth(1, width);
        sheet.setValue(2, 1, text, {.fontSize = points, .wrap = wrap});
        sheet.setText(3, 1, QStringLiteral("下一行"), {.fontSize = points});
        QCOMPARE(sheet.printedRowHeight(2).value_or(0), printed);

        const QString path = file(QStringLiteral("行高.xlsx"));
        QVERIFY(book.saveAs(path));
        XlsxFile x(path);
        QCOMPARE(x.printedRowHeight(0, 2), printed);
        if (printed == 0 && asked == 0)
            QVERIFY(x.row(0, 2).attribute("hidden").as_bool());
    }

    // Style changes to cells, ranges, rows and columns: the last one wins per field.
    void laterStyleChangesWin_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("expected");  // HAlign of cell (2, 3)
        // r: row 2, c: column 3, x: cell (2, 3), g: range (1,1)-(5,5); C/R/L the alignment.
        QTest::newRow("row then column") << "rC cR" << int(HAlign::Right);
        QTest::newRow("column then row") << "cR rC" << int(HAlign::Center);
        QTest::newRow("cell then row") << "xL rC" << int(HAlign::Center);
        QTest::newRow("row then cell") << "rC xL" << int(HAlign::Left);
        QTest::newRow("range then column") << "gL cR" << int(HAlign::Right);
        QTest::newRow("column then range") << "cR gL" << int(HAlign::Left);
        QTest::newRow("nothing") << "" << int(HAlign::General);
    }
    void laterStyleChangesWin()
    {
        QFETCH(QString, steps);
        QFETCH(int, expected);
        ExportWorkbook book;
        ExportSheet &s = book.addSheet(QStringLiteral("格式"));
        for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
            const HAlign a = step[1] == u'C' ? HAlign::Center : step[1] == u'R' ? HAlign::Right : HAlign::Left;
            const CellStyle style{.hAlign = a};
            switch (step[0].unicode()) {
            case 'r': s.setRowStyle(2, style); break;
            case 'c': s.setColumnStyle(3, style); break;
            case 'x': s.setStyle(2, 3, style); break;
            case 'g': s.setRangeStyle(5, 5, 1, 1, style); break;
            }
        }
        // Writing a value changes no style.
        s.setText(2, 3, QStringLiteral("数学"));
        QCOMPARE(int(s.effectiveStyle(2, 3).hAlign.value()), expected);

        const QString path = file(QStringLiteral("格式.xlsx"));
        QVERIFY(book.saveAs(path));
        XlsxFile x(path);
        const QString written = x.style(0, "C2").horizontal;
        const QString names[] = {QString(), QStringLiteral("left"), QStringLiteral("center"), QStringLiteral("right")};
        QCOMPARE(written, names[expected]);
    }

    void fieldsOfOneChangeLeaveOthers()
    {
        ExportWorkbook book;
        ExportSheet &s = book.addSheet(QStringLiteral("格式"));
        s.setRowStyle(1, {.fontSize = 14, .bold = true});
        s.setStyle(1, 1, {.fontSize = 9});
        s.setColumnStyle(1, {.hAlign = HAlign::Center});
        const CellStyle e = s.effectiveStyle(1, 1);
        QCOMPARE(e.fontSize.value(), 9.0);
        QCOMPARE(e.bold.value(), true);
        QCOMPARE(int(e.hAlign.value()), int(HAlign::Center));
        QCOMPARE(e.fontName.value(), QStringLiteral("宋体"));

        book.setDefaultFont(QStringLiteral("黑体"), 12);
        QCOMPARE(s.effectiveStyle(5, 5).fontName.value(), QStringLiteral("黑体"));
        QCOMPARE(s.effectiveStyle(5, 5).fontSize.value(), 12.0);
        // A font size a spreadsheet refuses changes nothing.
        s.setStyle(1, 1, {.fontSize = 0});
        s.setStyle(1, 1, {.fontSize = 1000});
        QCOMPARE(s.effectiveStyle(1, 1).fontSize.value(), 9.0);
    }

    // Identical styles share one format in the file.
    void identicalStylesShareOneFormat()
    {
        ExportWorkbook book;
        ExportSheet &s = book.addSheet(QStringLiteral("名单"));
        for (int r = 1; r <= 200; ++r) {
            s.setText(r, 1, QStringLiteral("学生%1").arg(r), {.fontSize = 10});
            s.setNumber(r, 2, r, {.fontSize = 10});
        }
        const QString path = file(QStringLiteral("共享格式.xlsx"));
        QVERIFY(book.saveAs(path));
        XlsxFile x(path);
        QCOMPARE(x.cell(0, "A1").attribute("s").value(), x.cell(0, "B200").attribute("s").value());
        QCOMPARE(x.style(0, "B200").fontSize, 10.0);
        QCOMPARE(x.value(0, "A200"), QStringLiteral("学生200"));
    }

    void sheetOrderLikeASpreadsheet()
    {
        // A new workbook's blank sheets, and a sheet put in front of them.
        ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
        QCOMPARE(book.sheetNames(), QStringList({"Sheet1", "Sheet2", "Sheet3"}));
        ExportSheet &stats = book.insertSheet(0, QStringLiteral("成绩分析"));
        QCOMPARE(book.sheetNames(), QStringList({"成绩分析", "Sheet1", "Sheet2", "Sheet3"}));
        QCOMPARE(&book.activeSheet(), &stats);
        QCOMPARE(&book.sheet(0), &stats);
        QVERIFY(book.notes().isEmpty());

        const QString path = file(QStringLiteral("顺序.xlsx"));
        QVERIFY(book.saveAs(path));
        XlsxFile x(path);
        QCOMPARE(x.sheetNames(), book.sheetNames());
        QCOMPARE(x.activeTab(), 0);
    }

    // Class lists: sheets added until there are n, then named by tab position.
    void classSheetsNamedByPosition_data()
    {
        QTest::addColumn<int>("classes");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("five classes") << 5 << QStringList({"第1班", "第2班", "第3班", "第4班", "第5班"});
        QTest::newRow("two classes") << 2 << QStringList({"第1班", "第2班", "Sheet3"});
    }
    void classSheetsNamedByPosition()
    {
        QFETCH(int, classes);
        QFETCH(QStringList, names);
        ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
        for (int k = book.sheetCount() + 1; k <= classes; ++k)
            book.insertSheet(0, QString());
        for (int c = 1; c <= classes; ++c)
            book.sheet(c - 1).setName(QStringLiteral("第%1班").arg(c));
        QCOMPARE(book.sheetNames(), names);
        QVERIFY(book.notes().isEmpty());
    }

    void sanitizesSheetNames_data()
    {
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("given");
        const QString long40 = QString(40, QChar(u'班'));
        QTest::newRow("allowed") << "三班学籍表" << QStringList() << "三班学籍表";
        QTest::newRow("forbidden characters") << "初一[1]:*?/\\班" << QStringList() << "初一_1______班";
        QTest::newRow("control character") << QStringLiteral("一\t班") << QStringList() << "一_班";
        QTest::newRow("apostrophes at the ends") << "'三班'" << QStringList() << "三班";
        QTest::newRow("apostrophe inside") << "三'班" << QStringList() << "三'班";
        QTest::newRow("too long") << long40 << QStringList() << QString(31, QChar(u'班'));
        QTest::newRow("exactly 31") << QString(31, QChar(u'班')) << QStringList() << QString(31, QChar(u'班'));
        QTest::newRow("empty") << "" << QStringList() << "Sheet";
        QTest::newRow("only apostrophes") << "''" << QStringList() << "Sheet";
        QTest::newRow("taken") << "成绩单" << QStringList{"成绩单"} << "成绩单(2)";
        QTest::newRow("taken twice") << "成绩单" << QStringList{"成绩单", "成绩单(2)"} << "成绩单(3)";
        QTest::newRow("taken, other letter case") << "sheet1" << QStringList{"Sheet1"} << "sheet1(2)";
        QTest::newRow("reserved") << "history" << QStringList() << "history(2)";
        QTest::newRow("long and taken") << long40 << QStringList{QString(31, QChar(u'班'))}
                                        << QString(28, QChar(u'班')) + "(2)";
        QTest::newRow("pair not split") << QString(30, QChar(u'A')) + QStringLiteral("𠀀")
                                        << QStringList() << QString(30, QChar(u'A'));
    }
    void sanitizesSheetNames()
    {
        QFETCH(QString, wanted);
        QFETCH(QStringList, taken);
        QFETCH(QString, given);
        QCOMPARE(sanitizeSheetName(wanted, taken), given);
    }

    // A mended name is noted and is what the file holds.
    void mendedSheetNamesAreNotedAndWritten()
    {
        ExportWorkbook book;
        book.addSheet(QStringLiteral("初一(1)/2班学籍表"));
        book.addSheet(QStringLiteral("初一(1)_2班学籍表"));
        ExportSheet &third = book.addSheet(QStringLiteral("成绩"));
        QCOMPARE(third.setName(QStringLiteral("成绩:总表")), QStringLiteral("成绩_总表"));
        QCOMPARE(book.sheetNames(), QStringList({"初一(1)_2班学籍表", "初一(1)_2班学籍表(2)", "成绩_总表"}));
        QCOMPARE(book.notes(), QStringList({
            "工作表名“初一(1)/2班学籍表”不符合电子表格的要求，已改为“初一(1)_2班学籍表”。",
            "工作表名“初一(1)_2班学籍表”不符合电子表格的要求，已改为“初一(1)_2班学籍表(2)”。",
            "工作表名“成绩:总表”不符合电子表格的要求，已改为“成绩_总表”。"}));
        // Renaming a sheet to its own name keeps it.
        QCOMPARE(third.setName(QStringLiteral("成绩_总表")), QStringLiteral("成绩_总表"));
        QCOMPARE(book.findSheet(QStringLiteral("成绩_总表")), &third);

        const QString path = file(QStringLiteral("改名.xlsx"));
        QVERIFY(book.saveAs(path));
        XlsxFile x(path);
        QCOMPARE(x.sheetNames(), book.sheetNames());
    }

    void plainNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("number");
        QTest::newRow("whole") << "85" << true;
        QTest::newRow("zero") << "0" << true;
        QTest::newRow("negative") << "-3" << true;
        QTest::newRow("decimals") << "78.50" << true;
        QTest::newRow("below one") << "0.5" << true;
        QTest::newRow("15 digits") << "123456789012345" << true;
        QTest::newRow("15 digits with fraction zeros") << "1234567890.123450" << true;
        QTest::newRow("16 digits") << "1234567890123456" << false;
        QTest::newRow("leading zero") << "007" << false;
        QTest::newRow("student number with zero") << "0101" << false;
        QTest::newRow("plus sign") << "+5" << false;
        QTest::newRow("blank around") << " 85" << false;
        QTest::newRow("grouping") << "1,000" << false;
        QTest::newRow("exponent") << "1e5" << false;
        QTest::newRow("dot only") << "." << false;
        QTest::newRow("trailing dot") << "5." << false;
        QTest::newRow("leading dot") << ".5" << false;
        QTest::newRow("minus only") << "-" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("Chinese") << "八十五" << false;
        QTest::newRow("full-width digits") << "８５" << false;
    }
    void plainNumbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, number);
        QCOMPARE(isPlainNumber(text), number);
        ExportWorkbook book;
        ExportSheet &s = book.addSheet(QStringLiteral("值"));
        s.setValue(1, 1, text);
        QCOMPARE(s.number(1, 1).has_value(), number);
        if (number)
            QCOMPARE(*s.number(1, 1), text.toDouble());
        else
            QCOMPARE(s.text(1, 1), text);
    }

    // Odd input: every step either does what a spreadsheet would or is skipped with a note.
    void oddInputNeverFails()
    {
        ExportWorkbook book;
        ExportSheet &s = book.addSheet(QStringLiteral("边界"));
        s.setText(0, 1, QStringLiteral("行0"));
        s.setText(1, 0, QStringLiteral("列0"));
        s.setNumber(kMaxSheetRows + 1, 1, 5);
        s.setText(kMaxSheetRows, kMaxSheetColumns, QStringLiteral("最后一格"));
        s.setColumnWidth(3, -1);
        s.setColumnWidth(4, 1000);
        s.setRowHeight(3, -5);
        s.setRowHeight(4, 1000);
        s.setNumber(2, 2, std::numeric_limits<double>::quiet_NaN());
        s.setRowHeight(6, 0);  // hidden
        s.merge(5, 5, 5, 5);  // one cell: nothing to merge
        s.merge(1, 1, 1000, 1000);  // too large to merge
        s.setRangeStyle(1, 1, kMaxSheetRows, 2, {.bold = true});  // too large to style cell by cell
        s.merge(-1, 1, 2, 2, QStringLiteral("标题"));
        QCOMPARE(book.notes(), QStringList({
            "工作表“边界”：第0行第1列在工作表之外，已跳过。",
            "工作表“边界”：第1行第0列在工作表之外，已跳过。",
            "工作表“边界”：第1048577行第1列在工作表之外，已跳过。",
            "工作表“边界”：第3列的宽度-1无效，已跳过。",
            "工作表“边界”：第4列的宽度1000超过255，已改为255。",
            "工作表“边界”：第3行的高度-5无效，已跳过。",
            "工作表“边界”：第4行的高度1000超过409，已改为409。",
            "工作表“边界”：第2行第2列的数值无效，单元格留空。",
            "工作表“边界”：第1行第1列至第1000行第1000列的区域过大，没有合并。",
            "工作表“边界”：第1行第1列至第1048576行第2列的区域过大，格式已跳过。",
            "工作表“边界”：第-1行第1列至第2行第2列在工作表之外，没有合并。"}));
        QVERIFY(s.merges().isEmpty());
        QCOMPARE(s.columnWidth(3), std::nullopt);
        QCOMPARE(s.columnWidth(4), std::optional<double>(255));
        QCOMPARE(s.rowHeight(3), std::nullopt);
        QCOMPARE(s.rowHeight(4), std::optional<double>(409));
        QCOMPARE(s.text(2, 2), QString());

        const QString path = file(QStringLiteral("边界.xlsx"));
        QString error;
        QVERIFY2(book.saveAs(path, &error), qPrintable(error));
        XlsxFile x(path);
        QCOMPARE(x.value(0, "XFD1048576"), QStringLiteral("最后一格"));
        QVERIFY(x.mergeRefs(0).isEmpty());
        QCOMPARE(x.row(0, 4).attribute("ht").as_double(), 409.0);
        QVERIFY(x.row(0, 6).attribute("hidden").as_bool());
        QVERIFY(!x.row(0, 4).attribute("hidden").as_bool());
    }

    void longTextIsCut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kept");
        QTest::addColumn<bool>("noted");
        QTest::newRow("at the limit") << QString(kMaxCellTextLength, QChar(u'字')) << kMaxCellTextLength << false;
        QTest::newRow("one over") << QString(kMaxCellTextLength + 1, QChar(u'字')) << kMaxCellTextLength << true;
        QTest::newRow("far over") << QString(100000, QChar(u'a')) << kMaxCellTextLength << true;
        // A character outside the basic plane is not split at the cut.
        QTest::newRow("pair at the cut") << QString(kMaxCellTextLength - 1, QChar(u'a')) + QStringLiteral("𠀀")
                                         << kMaxCellTextLength - 1 << true;
    }
    void longTextIsCut()
    {
        QFETCH(QString, text);
        QFETCH(int, kept);
        QFETCH(bool, noted);
        ExportWorkbook book;
        ExportSheet &s = book.addSheet(QStringLiteral("长文字"));
        s.setText(1, 1, text);
        QCOMPARE(s.text(1, 1), text.left(kept));
        QCOMPARE(book.notes().size(), noted ? 1 : 0);
        const QString path = file(QStringLiteral("长文字.xlsx"));
        QString error;
        QVERIFY2(book.saveAs(path, &error), qPrintable(error));
        XlsxFile x(path);
        QCOMPARE(x.value(0, "A1"), text.left(kept));
    }

    void mergesKeepTheTopLeftValue()
    {
        ExportWorkbook book;
        ExportSheet &s = book.addSheet(QStringLiteral("合并"));
        s.setText(2, 1, QStringLiteral("语文"));
        s.setText(3, 1, QStringLiteral("语文"));
        s.setNumber(2, 2, 5);
        s.merge(3, 2, 2, 1);  // corners in any order
        QCOMPARE(s.merges(), (QList<CellRange>{CellRange{2, 1, 3, 2}}));
        QCOMPARE(s.text(2, 1), QStringLiteral("语文"));
        QCOMPARE(s.text(3, 1), QString());
        QCOMPARE(s.text(2, 2), QString());

        // The same title merged again, and a wider one over it: one merge remains.
        s.merge(1, 1, 1, 5, QStringLiteral("标题"));
        s.merge(1, 1, 1, 5, QStringLiteral("标题"));
        s.merge(1, 1, 1, 8, QStringLiteral("新标题"));
        QCOMPARE(s.merges(), (QList<CellRange>{{2, 1, 3, 2}, {1, 1, 1, 8}}));
        QCOMPARE(s.text(1, 1), QStringLiteral("新标题"));
        // A merge over part of an earlier one replaces it.
        s.merge(3, 1, 4, 1);
        QCOMPARE(s.merges(), (QList<CellRange>{{1, 1, 1, 8}, {3, 1, 4, 1}}));

        const QString path = file(QStringLiteral("合并.xlsx"));
        QString error;
        QVERIFY2(book.saveAs(path, &error), qPrintable(error));
        XlsxFile x(path);
        QCOMPARE(x.mergeRefs(0), QStringList({"A1:H1", "A3:A4"}));
        QCOMPARE(x.value(0, "A1"), QStringLiteral("新标题"));
        QCOMPARE(x.value(0, "A2"), QStringLiteral("语文"));
        QVERIFY(book.notes().isEmpty());
    }

    void emptyWorkbookGetsOneSheet()
    {
        ExportWorkbook book;
        const QString path = file(QStringLiteral("空.xlsx"));
        QVERIFY(book.saveAs(path));
        XlsxFile x(path);
        QCOMPARE(x.sheetNames(), QStringList{"Sheet1"});
    }

    void exportFolderFromEnvironment()
    {
        {
            ExportsFolder env(file(QStringLiteral("导出")));
            QCOMPARE(exportFolder(), file(QStringLiteral("导出")));
        }
        qunsetenv("TESSALY_EXPORTS");
        QVERIFY(exportFolder().endsWith(QStringLiteral("/Tessaly导出")));
    }

    void saveAndOpenHandsThePathToTheOpener()
    {
        const QString folder = file(QStringLiteral("打开/导出"));  // made when missing
        ExportsFolder env(folder);
        RecordingWorkbookOpener opener;
        ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
        book.insertSheet(0, QStringLiteral("三班学籍表")).setText(1, 1, QStringLiteral("初一年级组三班学生学籍表"));
        book.setClock([] { return kNow; });
        QString path, error;
        QVERIFY2(book.saveAndOpen(&path, &error), qPrintable(error));
        QCOMPARE(path, QDir(folder).filePath(QStringLiteral("三班学籍表_20240901_083005.xlsx")));
        QCOMPARE(opener.paths(), QStringList{path});
        XlsxFile x(path);
        QCOMPARE(x.value(0, "A1"), QStringLiteral("初一年级组三班学生学籍表"));

        // The file name: a base of its own, with characters a file name cannot hold replaced.
        book.setFileBaseName(QStringLiteral("成绩:报表/初一"));
        QVERIFY(book.saveAndOpen(&path, &error));
        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("成绩_报表_初一_20240901_083005.xlsx"));
        QCOMPARE(opener.paths().size(), 2);
    }

    // Openers nest: the inner one receives exports while it lives, then the outer one again.
    void openersNest()
    {
        ExportsFolder env(file(QStringLiteral("嵌套")));
        RecordingWorkbookOpener outer;
        ExportWorkbook book;
        book.addSheet(QStringLiteral("点名册"));
        QString first, second;
        {
            RecordingWorkbookOpener inner;
            QVERIFY(book.saveAndOpen(&first));
            QCOMPARE(inner.paths(), QStringList{first});
        }
        QVERIFY(book.saveAndOpen(&second));
        QVERIFY(first != second);
        QCOMPARE(outer.paths(), QStringList{second});
    }

    void saveAndOpenNeverOverwrites()
    {
        const QString folder = file(QStringLiteral("不覆盖"));
        QVERIFY(QDir().mkpath(folder));
        ExportsFolder env(folder);
        RecordingWorkbookOpener opener;
        const QString taken = QDir(folder).filePath(QStringLiteral("成绩单_20240901_083005.xlsx"));
        {
            QFile f(taken);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("the user's own file");
        }
        // A dangling link under the next name counts as taken as well.
        const QString link = QDir(folder).filePath(QStringLiteral("成绩单_20240901_083005_2.xlsx"));
        QVERIFY(QFile::link(file(QStringLiteral("nowhere")), link));

        ExportWorkbook book;
        book.addSheet(QStringLiteral("成绩单")).setNumber(1, 1, 1);
        book.setClock([] { return kNow; });
        QString first, second, error;
        QVERIFY2(book.saveAndOpen(&first, &error), qPrintable(error));
        QVERIFY2(book.saveAndOpen(&second, &error), qPrintable(error));
        QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("成绩单_20240901_083005_3.xlsx"));
        QCOMPARE(QFileInfo(second).fileName(), QStringLiteral("成绩单_20240901_083005_4.xlsx"));
        QCOMPARE(fileBytes(taken), QByteArray("the user's own file"));
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(!QFileInfo::exists(file(QStringLiteral("nowhere"))));
        QCOMPARE(opener.paths(), QStringList({first, second}));
    }

    void openerFailureKeepsTheFile()
    {
        const QString folder = file(QStringLiteral("打不开"));
        ExportsFolder env(folder);
        RecordingWorkbookOpener opener(false);
        ExportWorkbook book;
        book.addSheet(QStringLiteral("点名册"));
        book.setClock([] { return kNow; });
        QString path, error;
        QVERIFY(!book.saveAndOpen(&path, &error));
        QCOMPARE(opener.paths(), QStringList{path});
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(error, QStringLiteral("工作簿已保存为“%1”，但无法用电子表格程序打开，请自行打开该文件。")
                            .arg(QDir::toNativeSeparators(path)));
    }

    // The export folder cannot be made (a file is in the way): a message, nothing opened.
    void unwritableFolderGivesAMessage_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("a file") << QStringLiteral("挡路的文件");
        QTest::newRow("below a file") << QStringLiteral("挡路的文件/导出");
    }
    void unwritableFolderGivesAMessage()
    {
        QFETCH(QString, folder);
        {
            QFile f(file(QStringLiteral("挡路的文件")));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QString path = file(folder);
        ExportsFolder env(path);
        RecordingWorkbookOpener opener;
        ExportWorkbook book;
        book.addSheet(QStringLiteral("成绩报表"));
        QString out = QStringLiteral("stale"), error;
        QVERIFY(!book.saveAndOpen(&out, &error));
        QCOMPARE(error, QStringLiteral("无法创建导出文件夹“%1”，工作簿没有保存。").arg(QDir::toNativeSeparators(path)));
        QCOMPARE(out, QString());
        QVERIFY(opener.paths().isEmpty());
        QCOMPARE(QFileInfo(file(QStringLiteral("挡路的文件"))).size(), 0);
    }

    void saveAsFailureGivesAMessage()
    {
        ExportWorkbook book;
        book.addSheet(QStringLiteral("成绩报表")).setText(1, 1, QStringLiteral("标题"));
        const QString missing = file(QStringLiteral("没有这个文件夹/报表.xlsx"));
        QString error;
        QVERIFY(!book.saveAs(missing, &error));
        QCOMPARE(error, QStringLiteral("无法创建文件“%1”，请检查文件夹是否存在并且可以写入。")
                            .arg(QDir::toNativeSeparators(missing)));
        QVERIFY(!QFileInfo::exists(missing));
    }

    // A full disk: the write fails and is reported, not taken for a saved workbook.
    void fullDiskGivesAMessage()
    {
        if (!QFileInfo(QStringLiteral("/dev/full")).exists())
            QSKIP("no /dev/full here");
        ExportWorkbook book;
        ExportSheet &s = book.addSheet(QStringLiteral("成绩报表"));
        for (int r = 1; r <= 2000; ++r)
            s.setText(r, 1, QStringLiteral("第%1名学生").arg(r));
        QString error;
        QVERIFY(!book.saveAs(QStringLiteral("/dev/full"), &error));
        QVERIFY2(error.contains(QStringLiteral("/dev/full")), qPrintable(error));
        QVERIFY(QFileInfo(QStringLiteral("/dev/full")).exists());
    }
};

QTEST_GUILESS_MAIN(TestExportWorkbook)
#include "tst_export_workbook.moc"
