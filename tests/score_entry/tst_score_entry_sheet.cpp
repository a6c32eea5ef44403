// The score-entry window's sheet without a window: what an entry does to a row
// against the full mark, which rows a save takes and what its outcome leaves,
// and the class ranks of a recount.
#include "fixtures/test_school.h"
#include "db/row_update.h"
#include "score_entry/score_entry_sheet.h"
#include "score_entry/score_save.h"
#include "school/score_sheet.h"

#include <QtTest>

using namespace tessaly;
using namespace tessaly::score;
using tessaly::test::TestSchool;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ScoreEntrySheet::Entry)

namespace {

const QString kJunior = u"初中"_s;
const QString kExam = u"Z25S语文250915"_s;

// Rows as read from an exam column: ID 1, 2, … with the scores as loaded.
QList<school::ScoreRow> readRows(const QList<std::optional<double>> &scores)
{
    QList<school::ScoreRow> rows;
    for (const std::optional<double> &s : scores) {
        school::ScoreRow r;
        r.id = rows.size() + 1;
        r.name = u"学生%1"_s.arg(r.id);
        r.score = s;
        r.loaded = s ? QVariant(*s) : QVariant(QMetaType(QMetaType::Double));
        rows << r;
    }
    return rows;
}

QList<qint64> idsOf(const QList<school::ScoreRow> &rows)
{
    QList<qint64> ids;
    for (const school::ScoreRow &r : rows)
        ids << r.id;
    return ids;
}

QStringList ranksOf(const ScoreEntrySheet &sheet)
{
    QStringList ranks;
    for (const school::ScoreRow &r : sheet.rows())
        ranks << r.rank;
    return ranks;
}

} // namespace

class TestScoreEntrySheet : public QObject {
    Q_OBJECT
private slots:
    void entriesAgainstTheFullMark_data();
    void entriesAgainstTheFullMark();
    void typedFullMark_data();
    void typedFullMark();
    void retypedEqualScoreLeavesTheRowSaved();
    void rowsToSaveAreTheChangedRows();
    void recountRanksWithTies();
    void savedOutcomeClearsTheUnsavedRows();
};

void TestScoreEntrySheet::entriesAgainstTheFullMark_data()
{
    QTest::addColumn<QString>("fullMark");   // typed for the exam; empty: the 100 of an exam just opened
    QTest::addColumn<bool>("locked");
    QTest::addColumn<QString>("score");
    QTest::addColumn<ScoreEntrySheet::Entry>("entry");
    using E = ScoreEntrySheet::Entry;
    QTest::newRow("the full mark itself") << QString() << false << u"100"_s << E::Entered;
    QTest::newRow("above 100, in single precision") << QString() << false << u"100.5"_s << E::Refused;
    QTest::newRow("120 of a typed 120") << u"120"_s << false << u"120"_s << E::Entered;
    QTest::newRow("121 of a typed 120") << u"120"_s << false << u"121"_s << E::Refused;
    QTest::newRow("a locked exam") << QString() << true << u"50"_s << E::Refused;
}

// The grid and the boxes refuse a score above the full mark alike; the row
// keeps its score and stays saved.
void TestScoreEntrySheet::entriesAgainstTheFullMark()
{
    QFETCH(QString, fullMark);
    QFETCH(bool, locked);
    QFETCH(QString, score);
    QFETCH(ScoreEntrySheet::Entry, entry);
    for (const bool typed : {true, false}) {
        ScoreEntrySheet sheet;
        sheet.openExam(kExam, readRows({66.0, std::nullopt}));
        if (!fullMark.isEmpty())
            QVERIFY(sheet.setFullMark(fullMark));
        sheet.setLocked(locked);
        const auto result = typed ? sheet.type(0, score) : sheet.enter(0, score.toDouble());
        QCOMPARE(result, entry);
        const bool entered = entry == ScoreEntrySheet::Entry::Entered;
        QCOMPARE(sheet.rows()[0].score, entered ? std::optional<double>(score.toDouble()) : 66.0);
        QCOMPARE(sheet.isUnsaved(0), entered);
        QCOMPARE(sheet.hasUnsaved(), entered);
    }
}

void TestScoreEntrySheet::typedFullMark_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");   // the full mark afterwards
    QTest::addColumn<float>("mark");
    QTest::newRow("120") << u"120"_s << u"120"_s << 120.0f;
    QTest::newRow("blanks dropped") << u" 90.5 "_s << u"90.5"_s << 90.5f;
    QTest::newRow("0 keeps 100") << u"0"_s << u"100"_s << 100.0f;
    QTest::newRow("1001 keeps 100") << u"1001"_s << u"100"_s << 100.0f;
    QTest::newRow("text keeps 100") << u"满分"_s << u"100"_s << 100.0f;
}

// The full mark typed over an exam's replaces it only when it is one; the
// statistics count against the value.
void TestScoreEntrySheet::typedFullMark()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(float, mark);
    ScoreEntrySheet sheet;
    sheet.openExam(kExam, readRows({90.0}));
    QCOMPARE(sheet.setFullMark(typed), shown != u"100"_s);
    QCOMPARE(sheet.fullMarkText(), shown);
    QCOMPARE(sheet.fullMark(), mark);
    QCOMPARE(sheet.recount().excellent, 90.0f >= 0.9f * mark ? 1 : 0);
}

// Typing over a cell the score it shows changes nothing, while a score the
// teacher confirmed in a box is entered whatever the row held.
void TestScoreEntrySheet::retypedEqualScoreLeavesTheRowSaved()
{
    ScoreEntrySheet sheet;
    sheet.openExam(kExam, readRows({88.5, std::nullopt, double(85.3f)}));
    using E = ScoreEntrySheet::Entry;
    QCOMPARE(sheet.type(0, u"88.5"_s), E::Unchanged);
    QCOMPARE(sheet.type(0, u"088.50"_s), E::Unchanged);
    QCOMPARE(sheet.type(1, QString()), E::Unchanged);
    QCOMPARE(sheet.type(2, u"85.3"_s), E::Unchanged);   // stored in single precision, shown as 85.3
    QVERIFY(!sheet.hasUnsaved());
    QCOMPARE(sheet.rows()[2].score, double(85.3f));

    QCOMPARE(sheet.type(1, u"70"_s), E::Entered);
    QCOMPARE(sheet.type(1, u"70"_s), E::Unchanged);   // a second time: still unsaved
    QVERIFY(sheet.isUnsaved(1));
    QCOMPARE(sheet.type(0, QString()), E::Entered);   // emptied
    QCOMPARE(sheet.rows()[0].score, std::nullopt);

    QCOMPARE(sheet.enter(2, double(85.3f)), E::Entered);
    QVERIFY(sheet.isUnsaved(2));
}

void TestScoreEntrySheet::rowsToSaveAreTheChangedRows()
{
    ScoreEntrySheet sheet;
    sheet.openExam(kExam, readRows({50.0, 60.0, std::nullopt, 80.0}));
    QVERIFY(sheet.rowsToSave().isEmpty());
    sheet.type(0, u"50"_s);   // as it was
    sheet.type(1, u"65"_s);
    sheet.enter(2, 0.0);
    sheet.type(3, u"200"_s);   // refused
    const QList<school::ScoreRow> rows = sheet.rowsToSave();
    QCOMPARE(idsOf(rows), (QList<qint64>{2, 3}));
    QCOMPARE(rows[0].score, 65.0);
    QCOMPARE(rows[1].score, 0.0);
    QCOMPARE(rows[0].loaded.toDouble(), 60.0);   // what was read, for the save's comparison
}

// Ties share a rank and the next skips; a row without a score has none, even
// after an earlier count gave it one. With no score at all the ranks stay.
void TestScoreEntrySheet::recountRanksWithTies()
{
    ScoreEntrySheet sheet;
    sheet.openExam(kExam, readRows({90.0, 95.0, std::nullopt, 90.0, 80.0}));
    EntryStatistics s = sheet.recount();
    QCOMPARE(s.participants, 4);
    QCOMPARE(ranksOf(sheet), (QStringList{u"2"_s, u"1"_s, QString(), u"2"_s, u"4"_s}));

    sheet.type(1, QString());
    sheet.type(2, u"90"_s);
    s = sheet.recount();
    QCOMPARE(ranksOf(sheet), (QStringList{u"1"_s, QString(), u"1"_s, u"1"_s, u"4"_s}));

    for (int row : {0, 2, 3, 4})
        sheet.type(row, QString());
    QCOMPARE(sheet.recount().participants, 0);
    QCOMPARE(ranksOf(sheet), (QStringList{u"1"_s, QString(), u"1"_s, u"1"_s, u"4"_s}));
}

// A save of the rows to save, then its outcome applied: a refused save leaves
// every row unsaved; a saved one leaves none, and entering the saved scores
// again changes nothing.
void TestScoreEntrySheet::savedOutcomeClearsTheUnsavedRows()
{
    TestSchool school;
    school.addExamColumn(kJunior, kExam);
    const int a = school.addStudent(kJunior, u"20240301"_s, u"甲"_s);
    const int b = school.addStudent(kJunior, u"20240302"_s, u"乙"_s);
    school.setScore(kJunior, a, kExam, 60);
    const std::optional<QList<school::ScoreRow>> read = school::readScoreSheet(school.db(), kJunior, u"202403"_s, kExam);
    QVERIFY(read && read->size() == 2);
    ScoreEntrySheet sheet;
    sheet.openExam(kExam, *read);
    sheet.type(0, u"75"_s);
    sheet.type(1, u"88"_s);

    ScoreSaveOutcome refused;
    refused.error = {db::kErrSql, u"refused"_s};
    sheet.applySave(refused);
    QCOMPARE(sheet.rowsToSave().size(), 2);

    const ScoreSaveOutcome saved = SaveScores(school.db(), kJunior, kExam, sheet.rowsToSave());
    QVERIFY(saved.ok);
    QCOMPARE(saved.saved, 2);
    sheet.applySave(saved);
    QVERIFY(!sheet.hasUnsaved());
    QVERIFY(sheet.rowsToSave().isEmpty());
    QCOMPARE(school.value(u"SELECT \"%1\" FROM 初中 WHERE ID = ?"_s.arg(kExam), {b}).toDouble(), 88.0);

    // The next save compares with what is stored now: another computer's change
    // meanwhile is found, not overwritten.
    QCOMPARE(sheet.type(0, u"75"_s), ScoreEntrySheet::Entry::Unchanged);
    QVERIFY(school.db().exec(u"UPDATE 初中 SET \"%1\" = 99 WHERE ID = ?"_s.arg(kExam), {a}));
    sheet.type(0, u"76"_s);
    const ScoreSaveOutcome conflict = SaveScores(school.db(), kJunior, kExam, sheet.rowsToSave());
    QVERIFY(!conflict.ok);
    QCOMPARE(conflict.error.number, db::kErrRowChanged);
}

QTEST_GUILESS_MAIN(TestScoreEntrySheet)
#include "tst_score_entry_sheet.moc"
