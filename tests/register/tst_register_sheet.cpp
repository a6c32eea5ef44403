// The register sheet without a window: edits against the stored values, the
// rows a save writes, an import into the sheet, a save's outcome taken back.
#include "fixtures/test_school.h"
#include "fixtures/xlsx_file.h"
#include "kit/column_mapping.h"
#include "workbook/import_workbook.h"
#include "register/register_sheet.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::reg;
using tessaly::test::TestSchool;

namespace {

const QString kJunior = QStringLiteral("初中");
const QString kCode = QStringLiteral("200403");

school::ClassIdentity class3()
{
    school::ClassIdentity identity;
    identity.sectionTable = kJunior;
    identity.cohortYear = 2004;
    identity.classNumber = 3;
    identity.classCode = kCode;
    return identity;
}

// A stored student as the class read gives it: ID, seat, 姓名, 住宿 (1 or 0), 民族.
RegisterRow stored(qint64 id, int seat, const QString &name, int boarding = 1, const QString &nation = QString())
{
    QVector<QVariant> record(school::kRegisterColumnCount);
    record[0] = id;
    record[1] = kCode + QStringLiteral("%1").arg(seat, 2, 10, QLatin1Char('0'));
    record[kColName] = name;
    record[kColSex] = QStringLiteral("男");
    record[4] = nation.isNull() ? QVariant() : QVariant(nation);
    record[kColBoarding] = boarding;
    return loadedRow(record, kCode, seat);
}

// 三班 as stored: 张三 (seat 01), 李四 (02), 王五 (04).
RegisterSheet loadedSheet()
{
    RegisterSheet sheet;
    sheet.load(class3(), {stored(11, 1, QStringLiteral("张三"), 1, QStringLiteral("汉")),
                          stored(12, 2, QStringLiteral("李四"), 0), stored(14, 4, QStringLiteral("王五"))});
    return sheet;
}

QStringList namesOf(const QList<RegisterRow> &rows)
{
    QStringList names;
    for (const RegisterRow &row : rows)
        names << row.name();
    return names;
}

QList<RowState> statesOf(const QList<RegisterRow> &rows)
{
    QList<RowState> states;
    for (const RegisterRow &row : rows)
        states << row.state;
    return states;
}

} // namespace

class TestRegisterSheet : public QObject {
    Q_OBJECT
private slots:
    void editBackToTheStoredValueIsNotUnsaved_data();
    void editBackToTheStoredValueIsNotUnsaved();
    void rowsToSaveAreOnlyTheWrittenOnes();
    void deletedRows();
    void importMarksTheRows();
    void saveOutcomeTakenBack();
    void aRefusedSaveKeepsEveryState();

private:
    QTemporaryDir m_dir;
};

void TestRegisterSheet::editBackToTheStoredValueIsNotUnsaved_data()
{
    // Edits of 张三 (民族 汉, 住宿 是), one "col=text" after another.
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<bool>("unsaved");
    QTest::newRow("edited") << QStringList{"4=回"} << true;
    QTest::newRow("edited, then back") << QStringList{"4=回", "4=汉"} << false;
    QTest::newRow("住宿 toggled twice") << QStringList{"9=否", "9=是"} << false;
    QTest::newRow("two fields, one back") << QStringList{"4=回", "17=转学", "4=汉"} << true;
    QTest::newRow("two fields, both back") << QStringList{"4=回", "17=转学", "17=", "4=汉"} << false;
    QTest::newRow("a null value typed empty") << QStringList{"10=1", "10="} << false;
}

void TestRegisterSheet::editBackToTheStoredValueIsNotUnsaved()
{
    QFETCH(QStringList, edits);
    QFETCH(bool, unsaved);
    RegisterSheet sheet = loadedSheet();
    for (const QString &e : edits)
        QVERIFY(sheet.edit(0, e.section(u'=', 0, 0).toInt(), e.section(u'=', 1)));
    QCOMPARE(sheet.hasUnsaved(), unsaved);
    QCOMPARE(sheet.row(0).state, unsaved ? RowState::Changed : RowState::Unchanged);
    QCOMPARE(sheet.rowsToSave().size(), unsaved ? 1 : 0);
}

void TestRegisterSheet::rowsToSaveAreOnlyTheWrittenOnes()
{
    RegisterSheet sheet = loadedSheet();
    QVERIFY(!sheet.hasUnsaved());
    QVERIFY(!sheet.edit(1, kColName, QStringLiteral("李四")));   // the same text
    QVERIFY(!sheet.edit(1, kColStudentNumber, QStringLiteral("20040309")));   // not edited
    QVERIFY(!sheet.edit(7, kColName, QStringLiteral("无此行")));
    QVERIFY(!sheet.hasUnsaved());

    QVERIFY(sheet.edit(2, kColName, QStringLiteral("王五五")));
    QVERIFY(sheet.addStudent());   // seat 03
    QVERIFY(sheet.edit(3, kColName, QStringLiteral("新生")));
    QVERIFY(sheet.addStudent());   // seat 05, deleted before any save
    QVERIFY(sheet.deleteStudent(4));
    QVERIFY(sheet.hasUnsaved());
    const QList<RegisterRow> toSave = sheet.rowsToSave();
    QCOMPARE(namesOf(toSave), (QStringList{QStringLiteral("王五五"), QStringLiteral("新生")}));
    QCOMPARE(statesOf(toSave), (QList<RowState>{RowState::Changed, RowState::New}));
    QCOMPARE(toSave[0].id, std::optional<qint64>(14));
    QCOMPARE(toSave[1].studentNumber(), QStringLiteral("20040303"));
    QCOMPARE(sheet.missingName(), QString());

    // A new student without a name is written, and refuses the save.
    QVERIFY(sheet.addStudent());
    QCOMPARE(sheet.rowsToSave().size(), 3);
    QCOMPARE(sheet.missingName(), QStringLiteral("学号为20040305的学生没有填写姓名，请填写后再保存。"));

    // Without a class nobody is added.
    RegisterSheet none;
    QVERIFY(!none.addStudent());
    QCOMPARE(none.size(), 0);
}

void TestRegisterSheet::deletedRows()
{
    RegisterSheet sheet = loadedSheet();
    QVERIFY(sheet.deleteStudent(1));   // 李四, stored
    QVERIFY(!sheet.isShown(1));
    QVERIFY(!sheet.deleteStudent(1));   // once only
    QVERIFY(!sheet.deleteStudent(-1));
    QVERIFY(!sheet.deleteStudent(3));
    QCOMPARE(sheet.takenNumbers(), (QStringList{QStringLiteral("20040301"), QStringLiteral("20040304")}));
    QCOMPARE(sheet.shownCount(), 2);
    // Its number is free at once; the row stays (hidden) until the save.
    QVERIFY(sheet.addStudent());
    QCOMPARE(sheet.row(3).studentNumber(), QStringLiteral("20040302"));
    QCOMPARE(sheet.size(), 4);
    // An edit of a deleted row leaves it deleted.
    QVERIFY(sheet.edit(1, kColName, QStringLiteral("李四四")));
    QCOMPARE(sheet.row(1).state, RowState::Deleted);

    QVERIFY(sheet.edit(3, kColName, QStringLiteral("新生")));
    const QList<RegisterRow> toSave = sheet.rowsToSave();
    QCOMPARE(statesOf(toSave), (QList<RowState>{RowState::Deleted, RowState::New}));
    QCOMPARE(toSave[0].id, std::optional<qint64>(12));
    // A new row deleted again was never stored: nothing to write for it.
    QVERIFY(sheet.deleteStudent(3));
    QCOMPARE(statesOf(sheet.rowsToSave()), QList<RowState>{RowState::Deleted});
}

void TestRegisterSheet::importMarksTheRows()
{
    const QStringList headers{QStringLiteral("姓名"), QStringLiteral("性别"), QStringLiteral("民族")};
    const QString path = m_dir.filePath(QStringLiteral("class.xlsx"));
    tessaly::test::writeWorkbook(path, {{QStringLiteral("Sheet1"),
                                         {headers,
                                          {QStringLiteral("李四"), QStringLiteral("女"), QStringLiteral("回")},
                                          {QStringLiteral("赵六"), QStringLiteral("男"), QStringLiteral("满")}}}});
    QString error;
    const auto book = ImportWorkbook::open(path, &error);
    QVERIFY2(book && book->selectSheet(0), qPrintable(error));
    constexpr int kFieldNation = 2;   // binding order: 姓名, 性别, 民族, …
    QCOMPARE(importFields()[kFieldNation].gridColumn, 4);
    ImportMapping mapping;
    for (int f : {kFieldName, kFieldSex, kFieldNation})
        QVERIFY(bindColumn(mapping[std::size_t(f)], headers, f));

    // By name: 李四 is found and takes the sheet's values; the others stay.
    RegisterSheet sheet = loadedSheet();
    QVERIFY(!sheet.lastImport());
    const ImportSummary &byName = sheet.applyImport(ImportMode::ByName, *book, mapping);
    QCOMPARE(byName.count, 3);
    QCOMPARE(byName.matched, 1);
    QCOMPARE(statesOf(sheet.rows()), (QList<RowState>{RowState::Unchanged, RowState::Changed, RowState::Unchanged}));
    QCOMPARE(sheet.row(1).field(4), QStringLiteral("回"));
    QCOMPARE(namesOf(sheet.rowsToSave()), QStringList{QStringLiteral("李四")});
    QVERIFY(sheet.lastImport());

    // Fresh: the stored students go, a new row never saved is dropped, the sheet's
    // students come in on seats 01, 02.
    QVERIFY(sheet.addStudent());
    const ImportSummary &fresh = sheet.applyImport(ImportMode::Fresh, *book, mapping);
    QCOMPARE(fresh.mode, ImportMode::Fresh);
    QCOMPARE(fresh.count, 2);
    QCOMPARE(statesOf(sheet.rows()), (QList<RowState>{RowState::Deleted, RowState::Deleted, RowState::Deleted,
                                                      RowState::Unchanged, RowState::New, RowState::New}));
    QVERIFY(sheet.row(3).dropped);
    QCOMPARE(sheet.takenNumbers(), (QStringList{QStringLiteral("20040301"), QStringLiteral("20040302")}));
    QCOMPARE(sheet.rowsToSave().size(), 5);   // three deletions, two insertions

    // A class loaded again forgets the import.
    sheet.load(class3(), {});
    QVERIFY(!sheet.lastImport());
    QVERIFY(!sheet.hasUnsaved());
}

void TestRegisterSheet::saveOutcomeTakenBack()
{
    TestSchool school;
    const int zhang = school.addStudent(kJunior, QStringLiteral("20040301"), QStringLiteral("张三"),
                                        {{QStringLiteral("民族"), QStringLiteral("汉")}});
    const int li = school.addStudent(kJunior, QStringLiteral("20040302"), QStringLiteral("李四"));
    const int wang = school.addStudent(kJunior, QStringLiteral("20040304"), QStringLiteral("王五"));
    const auto read = readRegisterRows(school.db(), class3());
    QVERIFY(read);
    RegisterSheet sheet;
    sheet.load(class3(), *read);

    QVERIFY(sheet.edit(0, 4, QStringLiteral("回")));   // 张三
    QVERIFY(sheet.deleteStudent(1));   // 李四
    QVERIFY(sheet.addStudent());   // seat 02, freed
    QVERIFY(sheet.edit(3, kColName, QStringLiteral("新生")));
    // 王五 is deleted meanwhile on another computer: its change has nowhere to go.
    QVERIFY(sheet.edit(2, kColRemarks, QStringLiteral("备注")));
    QVERIFY(school.db().exec(QStringLiteral("delete from \"初中\" where \"ID\"=?"), {wang}));

    const RegisterSaveOutcome outcome = SaveRegister(school.db(), kJunior, kCode, sheet.rowsToSave());
    QVERIFY(outcome.ok);
    QCOMPARE(outcome.vanished.size(), 1);
    sheet.applySaveOutcome(outcome);

    QVERIFY(!sheet.hasUnsaved());
    QVERIFY(sheet.rowsToSave().isEmpty());
    QCOMPARE(namesOf(sheet.rows()), (QStringList{QStringLiteral("张三"), QStringLiteral("新生")}));
    QCOMPARE(statesOf(sheet.rows()), (QList<RowState>{RowState::Unchanged, RowState::Unchanged}));
    // The new student under the ID the table gave it, as a read of the class shows.
    const auto after = readRegisterRows(school.db(), class3());
    QVERIFY(after);
    QCOMPARE(after->size(), 2);
    QCOMPARE(sheet.row(0).id, std::optional<qint64>(zhang));
    QCOMPARE(sheet.row(1).id, after->at(1).id);
    QVERIFY(sheet.row(1).id != std::optional<qint64>(li));
    for (int i = 0; i < 2; ++i)
        QCOMPARE(sheet.row(i).fields, after->at(i).fields);

    // The saved values are the stored ones now: typing the old 民族 is a change,
    // typing the saved one again is none.
    QVERIFY(sheet.edit(0, 4, QStringLiteral("汉")));
    QVERIFY(sheet.hasUnsaved());
    QVERIFY(sheet.edit(0, 4, QStringLiteral("回")));
    QVERIFY(!sheet.hasUnsaved());
    // A save of the saved new student writes only what changed, under its ID.
    QVERIFY(sheet.edit(1, kColRemarks, QStringLiteral("插班")));
    const RegisterSaveOutcome second = SaveRegister(school.db(), kJunior, kCode, sheet.rowsToSave());
    QVERIFY(second.ok);
    QCOMPARE(second.updated, 1);
    QCOMPARE(second.inserted, 0);
}

void TestRegisterSheet::aRefusedSaveKeepsEveryState()
{
    RegisterSheet sheet = loadedSheet();
    QVERIFY(sheet.edit(0, kColName, QStringLiteral("张三丰")));
    QVERIFY(sheet.deleteStudent(1));
    QVERIFY(sheet.addStudent());
    const QList<RegisterRow> before = sheet.rows();
    RegisterSaveOutcome refused;   // ok false
    sheet.applySaveOutcome(refused);
    QCOMPARE(sheet.rows(), before);
    QVERIFY(sheet.hasUnsaved());
    QCOMPARE(sheet.rowsToSave().size(), 3);
}

QTEST_MAIN(TestRegisterSheet)
#include "tst_register_sheet.moc"
