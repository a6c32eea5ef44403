// The sheet of 新生分班 without a window: the import mapping on a worksheet's headers,
// the list read or set up, edits with their rules, the placement made, what waits to be
// written back, and the order of the priorities.
#include "organisation/placement_sheet.h"
#include "workbook/export_workbook.h"
#include "workbook/import_workbook.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace tessaly;
using namespace tessaly::organisation;

namespace {

using Field = PlacementSheet::Field;
using Binding = PlacementSheet::Binding;

// A source list on its second sheet 名单: 代码, 姓名, 性别, 语文, 数学, four students.
QString writeSource(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(u"source.xlsx"_s);
    ExportWorkbook out;
    out.addSheet(u"说明"_s).setText(1, 1, u"新生名单"_s);
    ExportSheet &s = out.addSheet(u"名单"_s);
    const QList<QStringList> rows{{u"代码"_s, u"姓名"_s, u"性别"_s, u"语文"_s, u"数学"_s},
                                  {u"30"_s, u"丙"_s, u"男"_s, u"80"_s, u"70"_s},
                                  {u"10"_s, u"甲"_s, u"男"_s, u"90"_s, u"95"_s},
                                  {u"20"_s, u"乙"_s, u"女"_s, u"85"_s, u"x"_s},
                                  {u"40"_s, u"丁"_s, u"女"_s, u"60"_s, u"75"_s}};
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            s.setValue(r + 1, c + 1, rows[r][c]);
    if (!out.saveAs(path))
        return QString();
    return path;
}

// "code=class" per row, in the sheet's order.
QStringList placements(const PlacementSheet &sheet)
{
    QStringList out;
    for (const NewStudent &row : sheet.table().rows)
        out << row.code + u'=' + row.placed;
    return out;
}

// The sheet with the source list read: 代码, 姓名, 性别 and both scores bound.
void importSource(PlacementSheet &sheet, ImportWorkbook &book)
{
    QVERIFY(book.selectSheet(1));
    sheet.chooseSheet(sheetHeaders(book, HeaderText::AsStored), 1);
    QCOMPARE(sheet.bind(Field::Code, 0), Binding::Bound);
    QCOMPARE(sheet.bind(Field::Name, 1), Binding::Bound);
    QVERIFY(!sheet.canImport());
    QCOMPARE(sheet.bind(Field::Sex, 2), Binding::Bound);
    QCOMPARE(sheet.bind(Field::Score, 3), Binding::Bound);
    QCOMPARE(sheet.bind(Field::Score, 4), Binding::Bound);
    QVERIFY(sheet.canImport());
    sheet.importFrom(book);
}

} // namespace

class TestPlacementSheet : public QObject {
    Q_OBJECT

private slots:
    // Fields bind to the chosen sheet's headers; a position past them binds nothing, scores stop at kMaxScoreColumns, and choosing a sheet starts over.
    void mappingOnHeaders()
    {
        PlacementSheet sheet;
        QStringList headers{u"代码"_s, u"姓名"_s, u"性别"_s};
        for (int k = 1; k <= kMaxScoreColumns + 1; ++k)
            headers << u"科%1"_s.arg(k);
        sheet.chooseSheet(headers, 3);
        QCOMPARE(sheet.mapping().captionRow, 3);
        QCOMPARE(sheet.bind(Field::Code, 0), Binding::Bound);
        QCOMPARE(sheet.bind(Field::Name, int(headers.size())), Binding::NotBound);
        QCOMPARE(sheet.bind(Field::Name, -1), Binding::NotBound);
        QVERIFY(!sheet.mapping().name.isBound());
        QCOMPARE(sheet.bind(Field::Name, 1), Binding::Bound);
        QCOMPARE(sheet.bind(Field::Sex, 2), Binding::Bound);
        QCOMPARE(sheet.mapping().sex.label, u"性别"_s);
        QCOMPARE(sheet.mapping().sex.sheetColumn(), 3);
        QCOMPARE(sheet.bind(Field::Score, int(headers.size())), Binding::NotBound);
        for (int k = 0; k < kMaxScoreColumns; ++k)
            QCOMPARE(sheet.bind(Field::Score, 3 + k), Binding::Bound);
        QCOMPARE(sheet.bind(Field::Score, 3 + kMaxScoreColumns), Binding::TooManyScores);
        QCOMPARE(sheet.mapping().scores.size(), kMaxScoreColumns);
        QCOMPARE(sheet.mapping().scores.last().label, u"科%1"_s.arg(kMaxScoreColumns));
        QVERIFY(sheet.canImport());

        sheet.chooseSheet({u"代码"_s}, 1);
        QVERIFY(!sheet.canImport());
        QVERIFY(sheet.mapping().scores.isEmpty());
        QCOMPARE(sheet.mapping().captionRow, 1);
        QCOMPARE(sheet.bind(Field::Name, 1), Binding::NotBound);
    }

    // A list read from the workbook: placed, written back, edited in 分班, and what waits
    // to be written each time.
    void importPlaceAndWriteBack()
    {
        QTemporaryDir dir;
        const QString path = writeSource(dir);
        QVERIFY(!path.isEmpty());
        QString error;
        auto book = ImportWorkbook::open(path, &error);
        QVERIFY2(book, qPrintable(error));
        PlacementSheet sheet;
        importSource(sheet, *book);
        QVERIFY(sheet.listFromBook());
        QVERIFY(!sheet.hasUnsaved());
        QCOMPARE(sheet.table().scoreHeaders, (QStringList{u"语文"_s, u"数学"_s}));
        QCOMPARE(sheet.table().rows.size(), 4);
        QVERIFY(sheet.rowHasErrors(2));   // 乙's 数学 is no number
        QVERIFY(!sheet.rowHasErrors(0) && !sheet.rowHasErrors(4) && !sheet.rowHasErrors(-1));
        QCOMPARE(sheet.classLists(), 0);

        const QString report = sheet.place(2);
        QVERIFY(report.startsWith(u"新生人数共：4人"_s));
        QCOMPARE(sheet.placedClasses(), 2);
        QCOMPARE(sheet.classLists(), 2);
        QVERIFY(sheet.hasUnsaved());
        // The same placement the rules make on the table itself.
        NewStudentTable expected = importStudents(*book, sheet.mapping(), nullptr);
        PlaceStudents(expected, 2);
        QStringList wanted;
        for (const NewStudent &row : expected.rows)
            wanted << row.code + u'=' + row.placed;
        QCOMPARE(placements(sheet), wanted);

        QString message;
        QVERIFY2(sheet.writeBack(*book, &message), qPrintable(message));
        QVERIFY(!sheet.hasUnsaved());
        auto reread = ImportWorkbook::open(path, &error);
        QVERIFY(reread && reread->selectSheet(1));
        QCOMPARE(reread->cell(1, 6), kResultHeader);
        QStringList written;
        for (int r = 2; r <= 5; ++r)
            written << reread->cell(r, 1) + u'=' + reread->cell(r, 6);
        written.sort();
        QCOMPARE(written, wanted);

        // Typing the class a row already has leaves nothing unsaved; another class does,
        // and a class higher than the placement's adds a class list.
        const QString first = sheet.table().rows[0].placed;
        sheet.edit(0, kColPlaced, first);
        QVERIFY(!sheet.hasUnsaved());
        sheet.edit(0, kColName, u"新名"_s);
        QVERIFY(!sheet.hasUnsaved());
        sheet.edit(0, kColPlaced, u"3"_s);
        QVERIFY(sheet.hasUnsaved());
        QCOMPARE(sheet.table().rows[0].placed, u"3"_s);
        QCOMPARE(sheet.table().rows[0].name, u"新名"_s);
        QCOMPARE(sheet.classLists(), 3);

        // The workbook going leaves nothing to write back.
        sheet.leaveBook();
        QVERIFY(!sheet.listFromBook());
        QVERIFY(!sheet.hasUnsaved());
    }

    // A list to type: refused set-ups leave the list as it was; a typed list has no
    // source, so its placement waits for no write-back.
    void typedList_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("subjects");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("rows");
        QTest::newRow("no count") << QString() << u"语文"_s << int(PlacementSheet::TypedList::Missing) << 0;
        QTest::newRow("no subjects") << u"3"_s << QString() << int(PlacementSheet::TypedList::Missing) << 0;
        QTest::newRow("zero") << u"0"_s << u"语文"_s << int(PlacementSheet::TypedList::BadCount) << 0;
        QTest::newRow("too many") << u"32767"_s << u"语文"_s << int(PlacementSheet::TypedList::BadCount) << 0;
        QTest::newRow("three") << u"3"_s << u"语文*数学*"_s << int(PlacementSheet::TypedList::Ready) << 3;
    }
    void typedList()
    {
        QFETCH(QString, count);
        QFETCH(QString, subjects);
        QFETCH(int, outcome);
        QFETCH(int, rows);
        PlacementSheet sheet;
        QCOMPARE(int(sheet.setUpTyped(count, subjects)), outcome);
        QCOMPARE(sheet.table().rows.size(), rows);
        QVERIFY(!sheet.listFromBook());
        if (!rows)
            return;
        QCOMPARE(sheet.table().scoreHeaders, (QStringList{u"语文"_s, u"数学"_s}));
        QVERIFY(!sheet.hasStudents());
        sheet.edit(0, kColName, u"张三"_s);
        sheet.edit(0, kColSex, u"女"_s);
        sheet.edit(1, kColSex, u"x"_s);
        sheet.edit(0, kColFirstScore, u"8.5"_s);
        sheet.edit(0, kColFirstScore + 1, u"90"_s);
        sheet.edit(rows, kColName, u"界外"_s);   // past the rows: nothing
        QVERIFY(sheet.hasStudents());
        QCOMPARE(sheet.table().rows[1].sex, QString());
        const CheckCounts counts = sheet.check();
        QCOMPARE(counts.rows, 2);
        QCOMPARE(sheet.table().rows[0].total, u"98.5"_s);
        QVERIFY(!sheet.rowHasErrors(0));
        QVERIFY(sheet.rowHasErrors(1));
        sheet.place(2);
        QCOMPARE(sheet.placedClasses(), 2);
        QVERIFY(!sheet.hasUnsaved());
        sheet.edit(0, kColPlaced, u"1"_s);
        QVERIFY(!sheet.hasUnsaved());
        // A new set-up drops the placement.
        QCOMPARE(sheet.setUpTyped(u"1"_s, u"语文"_s), PlacementSheet::TypedList::Ready);
        QCOMPARE(sheet.placedClasses(), 0);
    }

    // The text a cell keeps, and the 分班/择班 refused while the class count is typed.
    void cellRules_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("classCount");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<bool>("exceeds");
        QTest::newRow("男") << kColSex << QString() << u"男"_s << u"男"_s << false;
        QTest::newRow("other sex") << kColSex << QString() << u"男 "_s << QString() << false;
        QTest::newRow("name") << kColName << u"2"_s << u"9"_s << u"9"_s << false;
        QTest::newRow("no count") << kColChosen << QString() << u"9"_s << u"9"_s << false;
        QTest::newRow("within") << kColChosen << u"2"_s << u"2"_s << u"2"_s << false;
        QTest::newRow("above") << kColChosen << u"2"_s << u"3"_s << u"3"_s << true;
        QTest::newRow("placed above") << kColPlaced << u" 2.5 "_s << u"3"_s << u"3"_s << true;
        QTest::newRow("below a fraction") << kColPlaced << u"2.5"_s << u"2"_s << u"2"_s << false;
        QTest::newRow("count no number") << kColPlaced << u"x"_s << u"3"_s << u"3"_s << false;
        QTest::newRow("empty text") << kColPlaced << u"2"_s << QString() << QString() << false;
    }
    void cellRules()
    {
        QFETCH(int, col);
        QFETCH(QString, classCount);
        QFETCH(QString, text);
        QFETCH(QString, kept);
        QFETCH(bool, exceeds);
        QCOMPARE(PlacementSheet::committedText(col, text), kept);
        PlacementSheet sheet;
        sheet.setClassCountText(classCount);
        QCOMPARE(sheet.exceedsClassCount(col, text), exceeds);
    }

    // The class count comes from the text typed last, as classCountOf reads it.
    void classCountTyped()
    {
        PlacementSheet sheet;
        QCOMPARE(sheet.classCount(), std::nullopt);
        sheet.setClassCountText(u"2.5"_s);
        QCOMPARE(sheet.classCount(), std::optional<int>(2));
        sheet.setClassCountText(u"x"_s);
        QCOMPARE(sheet.classCount(), std::nullopt);
        sheet.setClassCountText(u"7"_s);
        QCOMPARE(sheet.classCount(), std::optional<int>(7));
    }

    void priorities()
    {
        PlacementSheet sheet;
        const QStringList start = sheet.priorities();
        QCOMPARE(start.size(), 4);
        QCOMPARE(sheet.movePriority(0, -1), -1);
        QCOMPARE(sheet.movePriority(3, 1), -1);
        QCOMPARE(sheet.movePriority(-1, 1), -1);
        QCOMPARE(sheet.priorities(), start);
        QCOMPARE(sheet.movePriority(0, 1), 1);
        QCOMPARE(sheet.movePriority(1, 1), 2);
        QCOMPARE(sheet.priorities(), (QStringList{start[1], start[2], start[0], start[3]}));
    }
};

QTEST_GUILESS_MAIN(TestPlacementSheet)
#include "tst_placement_sheet.moc"
