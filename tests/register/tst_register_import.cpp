// The register import and export rules on data: header lists, bindings, the two
// import modes and their row states, the refusals, the mode messages and the
// register sheet read back from its file.
#include "fixtures/xlsx_file.h"
#include "kit/column_mapping.h"
#include "workbook/export_workbook.h"
#include "workbook/import_workbook.h"
#include "register/register_export.h"
#include "register/register_grid.h"
#include "register/register_import.h"
#include "register/register_rows.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::reg;
using tessaly::test::XlsxFile;

namespace {

const QString kCode = QStringLiteral("200403");

// A stored student of the class on that seat.
RegisterRow storedRow(qint64 id, int number, const QString &name, const QString &sex = QStringLiteral("男"))
{
    RegisterRow row;
    row.id = id;
    row.number = number;
    row.field(kColStudentNumber) = kCode + QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
    row.field(kColName) = name;
    row.field(kColSex) = sex;
    return row;
}

QString fieldsOf(const RegisterRow &row, std::initializer_list<int> cols)
{
    QStringList out;
    for (int c : cols)
        out << row.field(c);
    return out.join(QLatin1Char('|'));
}

} // namespace

class TestRegisterImport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    // A one-sheet .xlsx of the rows (row 1 first); empty texts leave cells empty.
    QString workbook(const QList<QStringList> &rows, const QString &sheet = QStringLiteral("Sheet1"))
    {
        const QString path = m_dir.filePath(QStringLiteral("book%1.xlsx").arg(++m_files));
        tessaly::test::writeWorkbook(path, {{sheet, rows}});
        return path;
    }

    std::unique_ptr<ImportWorkbook> openBook(const QString &path)
    {
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        if (!book || !book->selectSheet(0))
            qFatal("%s", qPrintable(error));
        return book;
    }

    // A mapping binding each field (by binding number) to a header of the list.
    static ImportMapping bind(const QStringList &headers, const QList<QPair<int, QString>> &fields)
    {
        ImportMapping m;
        for (const auto &[f, header] : fields)
            bindColumn(m[std::size_t(f)], headers, int(headers.indexOf(header)));
        return m;
    }

    // Header row of the import sheets used below.
    const QStringList kHeaders{QStringLiteral("姓名"), QStringLiteral("性别"), QStringLiteral("民族"),
                               QStringLiteral("电话")};
    static constexpr int kFieldNation = 2;
    static constexpr int kFieldPhone = 5;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void headerList_data()
    {
        QTest::addColumn<QStringList>("row1");
        QTest::addColumn<QStringList>("headers");
        QTest::newRow("trimmed") << QStringList{QStringLiteral(" 姓名 "), QStringLiteral("性别　")}
                                 << QStringList{QStringLiteral("姓名"), QStringLiteral("性别")};
        QTest::newRow("stops at a gap") << QStringList{QStringLiteral("姓名"), QString(), QStringLiteral("民族")}
                                        << QStringList{QStringLiteral("姓名")};
        QTest::newRow("A1 empty") << QStringList{QString(), QStringLiteral("姓名")} << QStringList{};
        QTest::newRow("blanks give an empty item")
            << QStringList{QStringLiteral("姓名"), QStringLiteral("  "), QStringLiteral("民族")}
            << QStringList{QStringLiteral("姓名"), QString(), QStringLiteral("民族")};
    }
    void headerList()
    {
        QFETCH(QStringList, row1);
        QFETCH(QStringList, headers);
        const auto book = openBook(workbook({row1, {QStringLiteral("张三")}}));
        QCOMPARE(sheetHeaders(*book), headers);
    }

    void bindingABlankHeaderLeavesTheFieldUnbound()
    {
        const QStringList headers{QStringLiteral("姓名"), QString()};
        ColumnBinding b;
        QVERIFY(bindColumn(b, headers, 0));
        QVERIFY(b.isBound());
        QVERIFY(bindColumn(b, headers, 1));
        QCOMPARE(b.sheetColumn(), 2);
        QVERIFY(!b.isBound());
        QVERIFY(!bindColumn(b, headers, 2));
        QCOMPARE(b.sheetColumn(), 2);
    }

    // Stored rows are marked deleted, unsaved new rows dropped; the sheet's rows come
    // in on seats 1 … N, 性别 only as 男 or 女, unbound fields empty, cells trimmed.
    void freshImportReplacesTheClass()
    {
        const auto book = openBook(workbook({kHeaders,
                                             {QStringLiteral("\u3000王小明 "), QStringLiteral(" 男 "),
                                              QStringLiteral("汉"), QStringLiteral("13868106871")},
                                             {QStringLiteral("李红"), QStringLiteral("未知"), QStringLiteral("回"),
                                              QString()},
                                             {QStringLiteral("赵六"), QStringLiteral("女")},
                                             {QString(), QStringLiteral("男")},
                                             {QStringLiteral("不导入"), QStringLiteral("男")}}));
        QList<RegisterRow> rows{storedRow(7, 1, QStringLiteral("张三")), storedRow(8, 2, QStringLiteral("李四"))};
        deleteStudent(rows, 1);
        QVERIFY(addStudent(rows, kCode));   // seat 03, never saved

        const ImportMapping m = bind(kHeaders, {{kFieldName, QStringLiteral("姓名")}, {kFieldSex, QStringLiteral("性别")},
                                                {kFieldPhone, QStringLiteral("电话")}});
        QCOMPARE(importRowCount(*book, m), 3);
        QList<int> progress;
        QCOMPARE(freshImport(rows, *book, m, kCode, [&](int k, int n) { progress << k * 10 + n; }), 3);
        QCOMPARE(progress, (QList<int>{13, 23, 33}));

        QCOMPARE(rows.size(), 6);
        QCOMPARE(rows[0].state, RowState::Deleted);
        QCOMPARE(rows[1].state, RowState::Deleted);
        QCOMPARE(rows[2].state, RowState::Unchanged);
        QVERIFY(rows[2].dropped && !needsWrite(rows[2]));
        const QStringList expected{
            QStringLiteral("1|20040301|王小明|男||13868106871||1"),
            QStringLiteral("2|20040302|李红|||||1"),
            QStringLiteral("3|20040303|赵六|女||||1"),
        };
        QStringList got;
        for (int i = 3; i < 6; ++i)
            got << QString::number(rows[i].number) + QLatin1Char('|')
                       + fieldsOf(rows[i], {kColStudentNumber, kColName, kColSex, 4, kColPhone, kColBoarding})
                       + QLatin1Char('|') + rowStateText(rows[i].state);
        QCOMPARE(got, expected);
        QCOMPARE(takenNumbers(rows), (QStringList{QStringLiteral("20040301"), QStringLiteral("20040302"),
                                                  QStringLiteral("20040303")}));
        QCOMPARE(shownCount(rows), 3);
        // The report names the 性别 left out.
        QCOMPARE(droppedSexes(*book, m), QStringList{QStringLiteral("李红（未知）")});
        const ImportSummary summary = summarizeImport(ImportMode::Fresh, 3, 0, *book, m, rows);
        QCOMPARE(summary.droppedSex, QStringList{QStringLiteral("李红（未知）")});
        QVERIFY(importReport(summary).contains(QStringLiteral("以下1人的性别不是“男”或“女”，没有导入")));
        QVERIFY(!importReport(ImportSummary{ImportMode::Fresh, 3}).contains(QStringLiteral("性别")));
        // The list ends at the empty row 5; row 6 (不导入) is left out, and the report says so.
        QCOMPARE(rowsLeftOut(*book, m), QList<int>{6});
        QCOMPARE(summary.gapRow, 5);
        const QString report = importReport(summary);
        QVERIFY2(!report.contains(QStringLiteral("全部导入")) && !report.contains(QStringLiteral("导入成功")),
                 qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("导入了学生3人。表中第5行的姓名是空的，导入到此为止，下面1行没有导入：第6行不导入。")),
                 qPrintable(report));
    }

    // The report: success only when every student of the list came in; by name, when
    // some student was found.
    void reports_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("matched");
        QTest::addColumn<QList<int>>("left");
        QTest::addColumn<QString>("starts");
        QTest::addColumn<QString>("holds");
        const QString success = QStringLiteral("\r\n恭喜您！导入成功……\r\n\r\n　　学生人数共：");
        QTest::newRow("fresh, whole list") << int(ImportMode::Fresh) << 40 << 0 << QList<int>{}
                                           << success + QStringLiteral("40人,全部导入，") << QString();
        QTest::newRow("by name, some found") << int(ImportMode::ByName) << 3 << 2 << QList<int>{}
                                             << success + QStringLiteral("3人,全部导入，") << QString();
        QTest::newRow("by name, nobody found")
            << int(ImportMode::ByName) << 3 << 0 << QList<int>{}
            << QStringLiteral("\r\n没有导入任何内容……\r\n\r\n　　本班3名学生的姓名在所选表的“姓名”列中一个也没有找到，学籍表没有改动。")
            << QString();
        QTest::newRow("fresh, rows below a gap")
            << int(ImportMode::Fresh) << 40 << 0 << QList<int>{43, 44}
            << QStringLiteral("\r\n导入没有完成……\r\n\r\n　　导入了学生40人。表中第42行的姓名是空的")
            << QStringLiteral("下面2行没有导入：第43行甲、第44行乙。如需导入，请删去表中的空行，再重新导入；");
        QTest::newRow("by name, rows below a gap")
            << int(ImportMode::ByName) << 3 << 2 << QList<int>{43, 44}
            << QStringLiteral("\r\n导入没有完成……\r\n\r\n　　本班学生3人，在表中找到2人并导入了他们的学籍内容。表中第42行")
            << QStringLiteral("第43行甲、第44行乙");
    }
    void reports()
    {
        QFETCH(int, mode);
        QFETCH(int, count);
        QFETCH(int, matched);
        QFETCH(QList<int>, left);
        QFETCH(QString, starts);
        QFETCH(QString, holds);
        ImportSummary summary{ImportMode(mode), count, matched};
        if (!left.isEmpty()) {
            summary.gapRow = 42;
            summary.leftRows = left;
            summary.leftNames = QStringList{QStringLiteral("甲"), QStringLiteral("乙")};
        }
        const QString report = importReport(summary);
        QVERIFY2(report.startsWith(starts), qPrintable(report));
        QVERIFY2(report.contains(holds), qPrintable(report));
        QCOMPARE(report.contains(QStringLiteral("全部导入")), left.isEmpty() && (mode == int(ImportMode::Fresh) || matched > 0));
    }

    // By name, the 性别 not taken is reported only for students of the class.
    void droppedSexByNameNamesTheClassOnly()
    {
        const auto book = openBook(workbook({kHeaders,
                                             {QStringLiteral("外人"), QStringLiteral("未知")},
                                             {QStringLiteral("张三"), QStringLiteral("不详")},
                                             {QStringLiteral("张三"), QStringLiteral("?")},
                                             {QStringLiteral("李四"), QStringLiteral("女")}}));
        QList<RegisterRow> rows{storedRow(7, 1, QStringLiteral("张三")), storedRow(8, 2, QStringLiteral("李四")),
                                storedRow(9, 3, QStringLiteral("外人"))};
        deleteStudent(rows, 2);   // 外人 is no longer shown
        const ImportMapping m = bind(kHeaders, {{kFieldName, QStringLiteral("姓名")}, {kFieldSex, QStringLiteral("性别")}});
        int matched = -1;
        QCOMPARE(importByName(rows, *book, m, {}, &matched), 2);
        QCOMPARE(matched, 2);
        QCOMPARE(droppedSexes(*book, m, &rows), QStringList{QStringLiteral("张三（不详）")});
        QCOMPARE(droppedSexes(*book, m).size(), 3);   // the whole list, as a fresh import takes it
    }

    // The caption row: row 1 when it holds a caption of the register; else the first
    // of rows 2 … 10 holding 姓名 (a title above the captions); else row 1.
    void captionRow_data()
    {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<int>("row");
        const QStringList captions{QStringLiteral("序号"), QStringLiteral(" 姓  名"), QStringLiteral("性别")};
        const QStringList student{QStringLiteral("1"), QStringLiteral("张三"), QStringLiteral("男")};
        const QStringList title{QStringLiteral("初一(1)班学生花名册")};
        QTest::newRow("captions in row 1") << QList<QStringList>{captions, student} << 1;
        QTest::newRow("row 1 with 性别 only") << QList<QStringList>{{QStringLiteral("x"), QStringLiteral("性别")}, captions} << 1;
        QTest::newRow("title, captions in row 2") << QList<QStringList>{title, captions, student} << 2;
        QTest::newRow("title, blank row, captions in row 3")
            << QList<QStringList>{title, {}, captions, student} << 3;
        QTest::newRow("学生姓名 as caption") << QList<QStringList>{title, {QStringLiteral("学生姓名")}, student} << 2;
        QList<QStringList> deep{title};
        for (int r = 2; r <= 10; ++r)
            deep << QStringList{QStringLiteral("说明")};
        QTest::newRow("captions in row 11: row 1") << (deep + QList<QStringList>{captions}) << 1;
        QTest::newRow("captions in row 10") << (deep.mid(0, 9) + QList<QStringList>{captions}) << 10;
        QTest::newRow("no 姓名 anywhere") << QList<QStringList>{title, {QStringLiteral("序号"), QStringLiteral("性别")}} << 1;
    }
    void captionRow()
    {
        QFETCH(QList<QStringList>, rows);
        QFETCH(int, row);
        const auto book = openBook(workbook(rows));
        QCOMPARE(tessaly::captionRow(*book, registerCaptions(), nameCaptions()), row);
    }

    // Below a title: headers from the caption row, students from the row under it.
    void freshImportBelowATitle()
    {
        const auto book = openBook(workbook({{QStringLiteral("初一(1)班学生花名册")},
                                             {},
                                             {QStringLiteral("序号"), QStringLiteral("姓名"), QStringLiteral("性别")},
                                             {QStringLiteral("1"), QStringLiteral("王小明"), QStringLiteral("男")},
                                             {QStringLiteral("2"), QStringLiteral("李红"), QStringLiteral("女")}}));
        const QStringList headers = sheetHeaders(*book, HeaderText::Trimmed, 3);
        QCOMPARE(headers, (QStringList{QStringLiteral("序号"), QStringLiteral("姓名"), QStringLiteral("性别")}));
        ImportMapping m = bind(headers, {{kFieldName, QStringLiteral("姓名")}, {kFieldSex, QStringLiteral("性别")}});
        m.captionRow = 3;
        QCOMPARE(importRowCount(*book, m), 2);
        QList<RegisterRow> rows;
        QCOMPARE(freshImport(rows, *book, m, kCode), 2);
        QCOMPARE(fieldsOf(rows[0], {kColStudentNumber, kColName, kColSex}), QStringLiteral("20040301|王小明|男"));
        QCOMPARE(fieldsOf(rows[1], {kColStudentNumber, kColName, kColSex}), QStringLiteral("20040302|李红|女"));
        QVERIFY(rowsLeftOut(*book, m).isEmpty());
    }

    // 性别 comes in only when its column is bound.
    void freshImportLeavesSexEmptyWhenUnbound()
    {
        const auto book = openBook(workbook({kHeaders, {QStringLiteral("王小明"), QStringLiteral("女")}}));
        QList<RegisterRow> rows;
        ImportMapping m = bind(kHeaders, {{kFieldName, QStringLiteral("姓名")}});
        m[kFieldSex].position = 1;   // a position left from an earlier binding, without a label
        freshImport(rows, *book, m, kCode);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].field(kColSex), QString());
    }

    void importByNameFillsShownRows_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<int>("before");      // RowState
        QTest::addColumn<bool>("dropped");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("nation");  // 民族 before
        QTest::addColumn<QString>("fields");  // 性别|民族|电话 after
        QTest::addColumn<int>("after");
        const int unchanged = int(RowState::Unchanged), added = int(RowState::New),
                  changed = int(RowState::Changed), deleted = int(RowState::Deleted);
        QTest::newRow("saved, matched: changed") << true << unchanged << false << QStringLiteral("王小明") << QString()
                                                 << QStringLiteral("女|汉|13868106871") << changed;
        QTest::newRow("saved, equal values: changed all the same")
            << true << unchanged << false << QStringLiteral("赵六") << QStringLiteral("回")
            << QStringLiteral("男|回|") << changed;
        QTest::newRow("changed stays changed") << true << changed << false << QStringLiteral("王小明") << QString()
                                               << QStringLiteral("女|汉|13868106871") << changed;
        QTest::newRow("new stays new") << false << added << false << QStringLiteral("王小明") << QString()
                                       << QStringLiteral("女|汉|13868106871") << added;
        QTest::newRow("deleted is never revived") << true << deleted << false << QStringLiteral("王小明") << QString()
                                                  << QStringLiteral("男||") << deleted;
        QTest::newRow("dropped is never revived") << false << unchanged << true << QStringLiteral("王小明") << QString()
                                                  << QStringLiteral("男||") << unchanged;
        QTest::newRow("not in the sheet") << true << unchanged << false << QStringLiteral("钱七") << QString()
                                          << QStringLiteral("男||") << unchanged;
        QTest::newRow("nothing to take: unchanged") << true << unchanged << false << QStringLiteral("孙八") << QString()
                                                    << QStringLiteral("男||") << unchanged;
        QTest::newRow("blanks around the grid name") << true << unchanged << false << QStringLiteral(" 王小明\u3000") << QString()
                                                     << QStringLiteral("女|汉|13868106871") << changed;
        QTest::newRow("blanks only write an empty text") << true << unchanged << false << QStringLiteral("周九") << QString()
                                                         << QStringLiteral("男||") << changed;
    }
    void importByNameFillsShownRows()
    {
        QFETCH(bool, stored);
        QFETCH(int, before);
        QFETCH(bool, dropped);
        QFETCH(QString, name);
        QFETCH(QString, nation);
        QFETCH(QString, fields);
        QFETCH(int, after);
        // 王小明 twice (the first counts), 赵六 with the values the row has, 孙八 with
        // nothing usable, 周九 with a 民族 of blanks.
        const auto book = openBook(workbook({kHeaders,
                                             {QStringLiteral("\u3000王小明 "), QStringLiteral("女"),
                                              QStringLiteral("汉"), QStringLiteral("13868106871")},
                                             {QStringLiteral("赵六"), QStringLiteral("男"), QStringLiteral("回")},
                                             {QStringLiteral("孙八"), QStringLiteral("未知")},
                                             {QStringLiteral("周九"), QString(), QStringLiteral("  ")},
                                             {QStringLiteral("王小明"), QStringLiteral("男"), QStringLiteral("满")}}));
        RegisterRow row = storedRow(5, 1, name);
        if (!stored)
            row.id.reset();
        row.state = RowState(before);
        row.dropped = dropped;
        row.field(4) = nation;
        QList<RegisterRow> rows{row};
        const ImportMapping m = bind(kHeaders, {{kFieldName, QStringLiteral("姓名")}, {kFieldSex, QStringLiteral("性别")},
                                                {kFieldNation, QStringLiteral("民族")}, {kFieldPhone, QStringLiteral("电话")}});
        QCOMPARE(importByName(rows, *book, m), row.isShown() ? 1 : 0);
        QCOMPARE(fieldsOf(rows[0], {kColSex, 4, kColPhone}), fields);
        QCOMPARE(int(rows[0].state), after);
        QCOMPARE(rows[0].name(), name);   // 姓名 and 学籍号 never change
        QCOMPARE(rows[0].studentNumber(), row.studentNumber());
    }

    void refusals_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("nameBound");
        QTest::addColumn<int>("dataRows");
        QTest::addColumn<QString>("message");
        const QString unbound = QStringLiteral("需要导入学生学籍内容，至少要求把Excel文件中含有本班学生姓名的列对应起来。");
        QTest::newRow("name unbound") << int(ImportMode::ByName) << false << 3 << unbound;
        QTest::newRow("99 rows") << int(ImportMode::Fresh) << true << 99 << QString();
        QTest::newRow("100 rows") << int(ImportMode::Fresh) << true << 100
                                  << QStringLiteral("所选的表中有100名学生，一个班最多只能有99名学生(学籍号中的座号只有两位)，"
                                                    "无法全新导入。\r请检查所选的表是否只含有本班的学生。");
        QTest::newRow("100 rows by name") << int(ImportMode::ByName) << true << 100 << QString();
        QTest::newRow("no row") << int(ImportMode::Fresh) << true << 0
                                << QStringLiteral("所选的表中，对应为学生姓名的“姓名”列下面没有学生姓名，全新导入没有进行，"
                                                  "本班学生没有改动。\r请检查是否选对了学生资料所在的表，并把含有学生姓名的列"
                                                  "（列名下面紧接着是学生名单）对应为学生姓名，再导入。");
        QTest::newRow("no row by name") << int(ImportMode::ByName) << true << 0 << QString();
    }
    void refusals()
    {
        QFETCH(int, mode);
        QFETCH(bool, nameBound);
        QFETCH(int, dataRows);
        QFETCH(QString, message);
        ImportMapping m;
        if (nameBound)
            bindColumn(m[kFieldName], {QStringLiteral("姓名")}, 0);
        QCOMPARE(importRefusal(ImportMode(mode), m, dataRows), message);
    }

    void modeNotices_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("students");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("switchToFresh");
        QTest::newRow("fresh over 45")
            << int(ImportMode::Fresh) << 45
            << QStringLiteral("发现(初一年级组一班)学籍表中已有(45)名学生,\r\r"
                              "    1、选用这种操作很危险,这会删除现在所有学生情况(学籍与以前录入的各\r"
                              "       次考试成绩),本班学生与学籍内容将被Excel中的内容替换。\r"
                              "    2、如果是学生刚分班,请用<学生转班>操作,这样不会丢失学生的所有情况\r"
                              "       (学籍内容及以前每次考试的成绩)。\r\r"
                              "当然你使用导入后,不进行保存也不会改用现在学生的学籍情况。")
            << false;
        QTest::newRow("by name over 45")
            << int(ImportMode::ByName) << 45
            << QStringLiteral("您好,您使用这种操作,会从你打开的Excel文件中找到你班每个学生的相应学籍内容导入进来。") << false;
        QTest::newRow("by name on nobody")
            << int(ImportMode::ByName) << 0
            << QStringLiteral("您好,您的班级中还没有学生名单,无法从你打开的Excel文件中导入他们的学籍信息,你可以:\r"
                              "    1、使用全新导入；\r"
                              "    2、首先用一个含有你本班现在全部学生的Excel文件,使用全新导入学生名单。然后再导入学籍内容。")
            << true;
        QTest::newRow("fresh on nobody") << int(ImportMode::Fresh) << 0 << QString() << false;
    }
    void modeNotices()
    {
        QFETCH(int, mode);
        QFETCH(int, students);
        QFETCH(QString, text);
        QFETCH(bool, switchToFresh);
        const ModeChoiceNotice n =
            modeChoiceNotice(ImportMode(mode), students, QStringLiteral("初一年级组"), QStringLiteral("一班"));
        QCOMPARE(n.text, text);
        QCOMPARE(n.switchToFresh, switchToFresh);
    }

    // The register sheet read back: first tab and active, landscape, heights, the
    // merged title, header row, widths and alignments, shown rows only, 18 columns.
    void registerSheetReadBack()
    {
        QList<RegisterRow> rows{storedRow(1, 1, QStringLiteral("张三")), storedRow(2, 2, QStringLiteral("李四")),
                                storedRow(3, 3, QStringLiteral("王五"), QStringLiteral("女"))};
        rows[0].field(kColPhone) = QStringLiteral("13868106871");
        deleteStudent(rows, 1);
        QVERIFY(addStudent(rows, kCode));
        rows.last().dropped = true;
        QVERIFY(addStudent(rows, kCode));
        QStringList headers;
        for (int c = 0; c <= kColRemarks; ++c)
            headers << QStringLiteral("列%1").arg(c);

        ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
        fillRegisterSheet(book, QStringLiteral("初一年级组"), QStringLiteral("一班"), headers, rows);
        const QString path = m_dir.filePath(QStringLiteral("学籍表.xlsx"));
        QString error;
        QVERIFY2(book.saveAs(path, &error), qPrintable(error));

        XlsxFile x(path);
        QVERIFY(x.isOpen());
        QCOMPARE(x.sheetNames().first(), QStringLiteral("一班学籍表"));
        QCOMPARE(x.activeTab(), 0);
        QCOMPARE(x.orientation(0), QStringLiteral("landscape"));
        QCOMPARE(x.defaultRowHeight(0), 11.0);
        QCOMPARE(x.row(0, 1).attribute("ht").as_double(), neededRowHeight(14));
        // Printed on A4 (not the printer's Letter), bordered, its header on every page.
        test::verifyPrintedTable(x, 0, 2, 3, 18, 1);
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(x.mergeRefs(0), QStringList{QStringLiteral("A1:R1")});
        QCOMPARE(x.value(0, "A1"), QStringLiteral("初一年级组一班学生学籍表"));
        QCOMPARE(x.style(0, "A1").fontSize, 14.0);
        QVERIFY(x.style(0, "A1").bold);
        QCOMPARE(x.style(0, "A1").horizontal, QStringLiteral("center"));
        const double widths[18] = {3, 7, 6, 3, 3, 6, 9, 6, 10, 3, 10, 13, 13, 6, 6, 6, 13, 10};
        for (int c = 1; c <= 18; ++c) {
            const double w = x.column(0, c).attribute("width").as_double();
            QVERIFY2(w >= widths[c - 1] && w < widths[c - 1] + 1, qPrintable(QString::number(c)));
        }
        QCOMPARE(x.style(0, "D3").horizontal, QStringLiteral("center"));
        QCOMPARE(x.style(0, "K3").horizontal, QStringLiteral("right"));
        QCOMPARE(x.style(0, "C3").horizontal, QString());
        QCOMPARE(x.style(0, "C2").horizontal, QStringLiteral("center"));
        QCOMPARE(x.style(0, "C3").fontSize, 10.0);

        // Read back as the import reader sees it.
        const auto back = openBook(path);
        QStringList got;
        for (int r = 2; r <= back->usedRows(); ++r) {
            QStringList cells;
            for (int c = 1; c <= 4; ++c)
                cells << back->cell(r, c);
            got << cells.join(QLatin1Char('|'));
        }
        QCOMPARE(got, (QStringList{QStringLiteral("列0|列1|列2|列3"), QStringLiteral("1|20040301|张三|男"),
                                   QStringLiteral("3|20040303|王五|女"), QStringLiteral("2|20040302||男")}));
        QCOMPARE(back->cell(3, 11), QStringLiteral("13868106871"));
        QCOMPARE(back->usedCols(), 18);   // no ID, no row state
    }
};

QTEST_GUILESS_MAIN(TestRegisterImport)
#include "tst_register_import.moc"
