// Data-source control: reading, moves with EOF/BOF, events, errors, the bar.
#include "widgets/data_control.h"
#include "db/database.h"
#include "widgets/messages.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using tessaly::DataControl;
using tessaly::ScriptedResponder;
namespace db = tessaly::db;

namespace {

const QString kApostropheName = QStringLiteral("O'Neil 欧'阳");

// A database with table "学生": three students, some values null.
bool makeSchool(const QString &path, const QStringList &names)
{
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return false;
    }
    db::Connection c(path);
    if (!c.exec(QStringLiteral(R"(CREATE TABLE "学生" ("ID" INTEGER PRIMARY KEY, "学籍号" TEXT, "姓名" TEXT, "成绩" REAL, "备注" TEXT))")))
        return false;
    const QVariantList scores{85.5, QVariant(), 0.0};
    const QVariantList notes{QVariant(), QStringLiteral("转入"), QString("")};
    return c.transaction([&] {
        for (int i = 0; i < names.size(); ++i) {
            if (!c.exec(QStringLiteral(R"(INSERT INTO "学生" ("学籍号", "姓名", "成绩", "备注") VALUES (?, ?, ?, ?))"),
                        {QStringLiteral("25010100%1").arg(i + 1), names.at(i), scores.value(i % 3), notes.value(i % 3)}))
                return false;
        }
        return true;
    });
}

QStringList threeNames()
{
    return {QStringLiteral("张三"), kApostropheName, QStringLiteral("王五")};
}

} // namespace

class TestDataControl : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_school;

    QString pathIn(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase();

    void movesAndEnds_data();
    void movesAndEnds();
    void repositionAndValidate();
    void errors_data();
    void errors();
    void failedRefreshDropsTheOldSet();
    void boundParameterWithApostrophe();
    void tableNameMeansAllRows();
    void fieldsByNameAndIndex();
    void fieldNamesInSelectOrder();
    void reopensWhenThePathChanges();
    void rereadsAReplacedFile();
    void readingHoldsNoLock();
    void closeKeepsTheCaption();
    void barButtonsStayOnRecords();
};

void TestDataControl::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("TESSALY_SHARES", pathIn(QStringLiteral("shares")).toUtf8());
    m_school = pathIn(QStringLiteral("school.mdb"));
    QVERIFY(makeSchool(m_school, threeNames()));
}

void TestDataControl::movesAndEnds_data()
{
    QTest::addColumn<int>("n");
    QTest::newRow("empty") << 0;
    QTest::newRow("one row") << 1;
    QTest::newRow("three rows") << 3;
}

void TestDataControl::movesAndEnds()
{
    QFETCH(int, n);
    const QStringList expected = threeNames().mid(0, n);
    DataControl d;
    d.setDatabaseName(m_school);
    d.setRecordSource(QStringLiteral(R"(SELECT "姓名" FROM "学生" WHERE "ID" <= ? ORDER BY "ID")"), {n});
    QVERIFY(d.Refresh());
    QVERIFY(d.hasRecordset());
    QCOMPARE(d.RecordCount(), n);
    QCOMPARE(d.AbsolutePosition(), n ? 0 : -1);
    QCOMPARE(d.Eof(), n == 0);
    QCOMPARE(d.Bof(), n == 0);

    // Walk forward to EOF.
    QStringList seen;
    while (!d.Eof()) {
        seen << d.text(QStringLiteral("姓名"));
        QVERIFY(d.MoveNext());
    }
    QCOMPARE(seen, expected);
    QVERIFY(d.Eof());
    QCOMPARE(d.Bof(), n == 0);
    QCOMPARE(d.AbsolutePosition(), -1);
    QVERIFY(!d.field(0).isValid());
    QVERIFY(!d.MoveNext());
    QVERIFY(d.Eof());

    // Back from EOF to the last record.
    QCOMPARE(d.MovePrevious(), n > 0);
    QCOMPARE(d.AbsolutePosition(), n - 1);
    QCOMPARE(d.text(0), expected.value(n - 1));

    // Before the first record.
    QCOMPARE(d.MoveFirst(), n > 0);
    QCOMPARE(d.MoveLast(), n > 0);
    QCOMPARE(d.AbsolutePosition(), n - 1);
    QCOMPARE(d.MoveFirst(), n > 0);
    if (n > 0) {
        QCOMPARE(d.text(0), expected.first());
        QVERIFY(d.MovePrevious());
        QVERIFY(d.Bof());
        QVERIFY(!d.Eof());
        QCOMPARE(d.AbsolutePosition(), -1);
        QVERIFY(d.text(0).isEmpty());
        QVERIFY(!d.MovePrevious());
        QVERIFY(d.MoveNext());
        QCOMPARE(d.text(0), expected.first());
    }
    QVERIFY(d.Eof() == (n == 0) && d.Bof() == (n == 0));

    // Absolute positions: only existing records.
    QCOMPARE(d.setAbsolutePosition(n - 1), n > 0);
    QCOMPARE(d.AbsolutePosition(), n - 1);
    QVERIFY(!d.setAbsolutePosition(n));
    QVERIFY(!d.setAbsolutePosition(-1));
    QCOMPARE(d.AbsolutePosition(), n - 1);
}

void TestDataControl::repositionAndValidate()
{
    DataControl d;
    d.setDatabaseName(m_school);
    d.setRecordSource(QStringLiteral(R"(SELECT "姓名" FROM "学生" ORDER BY "ID")"));
    QSignalSpy repositions(&d, &DataControl::Reposition);
    struct Seen { int action; int positionLeft; int save; };
    QList<Seen> validates;
    connect(&d, &DataControl::Validate, this, [&](int action, int *save) {
        validates.append({action, d.AbsolutePosition(), *save});
    });
    // The windows' caption handler: count and position, shown on the bar.
    connect(&d, &DataControl::Reposition, this, [&] {
        d.setCaption(QStringLiteral("共%1人 第%2人").arg(d.RecordCount()).arg(d.AbsolutePosition() + 1));
    });

    QVERIFY(d.Refresh());
    QCOMPARE(repositions.count(), 1);
    QVERIFY(validates.isEmpty());
    QCOMPARE(d.Caption(), QStringLiteral("共3人 第1人"));

    QVERIFY(d.MoveNext());
    QCOMPARE(repositions.count(), 2);
    QCOMPARE(validates.size(), 1);
    QCOMPARE(validates.last().action, int(DataControl::Action::MoveNext));
    QCOMPARE(validates.last().positionLeft, 0);   // raised while the old record is current
    QCOMPARE(validates.last().save, 0);
    QCOMPARE(d.Caption(), QStringLiteral("共3人 第2人"));

    QVERIFY(d.MoveLast());
    QCOMPARE(validates.last().action, int(DataControl::Action::MoveLast));
    QCOMPARE(validates.last().positionLeft, 1);
    QVERIFY(d.MoveNext());   // onto EOF: the last record is left
    QCOMPARE(validates.size(), 3);
    QCOMPARE(validates.last().positionLeft, 2);
    QCOMPARE(repositions.count(), 4);

    QVERIFY(!d.MoveNext());   // nothing happens at EOF
    QCOMPARE(repositions.count(), 4);
    QCOMPARE(validates.size(), 3);

    QVERIFY(d.MovePrevious());   // from EOF there is no record to leave
    QCOMPARE(validates.size(), 3);
    QCOMPARE(repositions.count(), 5);

    QVERIFY(d.setAbsolutePosition(0));
    QCOMPARE(validates.last().action, int(DataControl::Action::Bookmark));
    QCOMPARE(d.Caption(), QStringLiteral("共3人 第1人"));

    // A handler that keeps the record: the move does not happen, the next one does.
    bool keep = true;
    connect(&d, &DataControl::Validate, this, [&](int, int *) {
        if (keep)
            d.cancelMove();
    });
    const int kept = repositions.count();
    QVERIFY(!d.MoveNext());
    QCOMPARE(d.AbsolutePosition(), 0);
    QCOMPARE(repositions.count(), kept);
    keep = false;
    QVERIFY(d.MoveNext());
    QCOMPARE(d.AbsolutePosition(), 1);
    QCOMPARE(repositions.count(), kept + 1);

    // An empty set: Refresh still repositions; moves do nothing.
    d.setRecordSource(QStringLiteral(R"(SELECT "姓名" FROM "学生" WHERE "ID" < 0)"));
    const int before = repositions.count();
    QVERIFY(d.Refresh());
    QCOMPARE(repositions.count(), before + 1);
    QCOMPARE(d.Caption(), QStringLiteral("共0人 第0人"));
    QVERIFY(!d.MoveFirst());
    QVERIFY(!d.MoveLast());
    QCOMPARE(repositions.count(), before + 1);
}

void TestDataControl::errors_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("mustNotExist");   // a file the refresh must not create

    const QString select = QStringLiteral(R"(SELECT * FROM "学生")");
    QTest::newRow("missing file") << pathIn(QStringLiteral("none.mdb")) << select << db::kErrPathNotFound
                                  << pathIn(QStringLiteral("none.mdb"));
    QTest::newRow("missing share") << QStringLiteral("\\\\server9\\共享\\data.mdb") << select << db::kErrPathNotFound
                                   << pathIn(QStringLiteral("shares/server9/共享/data.mdb"));
    QTest::newRow("no database name") << QString() << select << db::kErrPathNotFound << QString();
    QTest::newRow("missing table") << m_school << QStringLiteral("没有的表") << db::kErrSql << QString();
    QTest::newRow("missing table in SQL") << m_school << QStringLiteral("SELECT * FROM 没有的表") << db::kErrSql
                                          << QString();
    QTest::newRow("bad statement") << m_school << QStringLiteral("SELEC 姓名 FROM 学生") << db::kErrSql << QString();
    QTest::newRow("missing quoted column") << m_school << QStringLiteral(R"(SELECT "语文" FROM "学生")") << db::kErrSql
                                           << QString();

    const QString text = pathIn(QStringLiteral("notes.mdb"));
    QFile f(text);
    if (f.open(QIODevice::WriteOnly))
        f.write(QStringLiteral("这不是数据库文件。\n").repeated(50).toUtf8());
    QTest::newRow("not a database") << text << select << db::kErrNotADatabase << QString();
}

void TestDataControl::errors()
{
    QFETCH(QString, path);
    QFETCH(QString, source);
    QFETCH(int, number);
    QFETCH(QString, mustNotExist);

    ScriptedResponder responder;
    DataControl d;
    d.setDatabaseName(path);
    d.setRecordSource(source);
    QSignalSpy repositions(&d, &DataControl::Reposition);

    // A window's handler takes over: the control shows nothing of its own.
    QList<int> numbers;
    QString errorText;
    auto handler = connect(&d, &DataControl::Error, this, [&](int no, const QString &text, int *response) {
        numbers << no;
        errorText = text;
        *response = 0;
    });
    QVERIFY(!d.Refresh());
    QCOMPARE(numbers, QList<int>{number});
    QVERIFY(!errorText.isEmpty());
    QVERIFY(responder.shown().isEmpty());
    QVERIFY(!d.hasRecordset());
    QCOMPARE(repositions.count(), 0);
    if (!mustNotExist.isEmpty())
        QVERIFY(!QFileInfo::exists(mustNotExist));

    // Nobody takes over: the control shows the error's text itself.
    disconnect(handler);
    QSignalSpy errors(&d, &DataControl::Error);
    QVERIFY(!d.Refresh());
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().at(0).toInt(), number);
    QCOMPARE(responder.shown().size(), 1);
    QCOMPARE(responder.last().text, errorText);
    QCOMPARE(responder.last().title, tessaly::kProgramTitle);
    QVERIFY(!responder.last().isQuestion);
    if (!mustNotExist.isEmpty())
        QVERIFY(!QFileInfo::exists(mustNotExist));
}

void TestDataControl::failedRefreshDropsTheOldSet()
{
    ScriptedResponder responder;
    DataControl d;
    d.setDatabaseName(m_school);
    d.setRecordSource(QStringLiteral("学生"));
    QVERIFY(d.Refresh());
    QVERIFY(d.MoveNext());
    d.setRecordSource(QStringLiteral(R"(SELECT "没有" FROM "学生")"));
    QVERIFY(!d.Refresh());
    QCOMPARE(responder.shown().size(), 1);
    QVERIFY(!d.hasRecordset());
    QCOMPARE(d.RecordCount(), 0);
    QCOMPARE(d.FieldCount(), 0);
    QVERIFY(d.rows().isEmpty());
    QVERIFY(d.Eof() && d.Bof());
    QCOMPARE(d.AbsolutePosition(), -1);
    QVERIFY(!d.field(QStringLiteral("姓名")).isValid());
    QVERIFY(!d.MoveFirst());
}

void TestDataControl::boundParameterWithApostrophe()
{
    DataControl d;
    d.setDatabaseName(m_school);
    d.setRecordSource(QStringLiteral(R"(SELECT "ID", "姓名" FROM "学生" WHERE "姓名" = ? AND "学籍号" LIKE ? || '%')"),
                      {kApostropheName, QStringLiteral("250101")});
    QVERIFY(d.Refresh());
    QCOMPARE(d.RecordCount(), 1);
    QCOMPARE(d.field(QStringLiteral("ID")).toInt(), 2);
    QCOMPARE(d.text(QStringLiteral("姓名")), kApostropheName);
    QCOMPARE(d.parameters().size(), 2);

    // The same text pasted into SQL would not even be a valid statement.
    d.setRecordSource(QStringLiteral(R"(SELECT "ID" FROM "学生" WHERE "姓名" = ?)"), {QStringLiteral("' OR '1'='1")});
    QVERIFY(d.Refresh());
    QCOMPARE(d.RecordCount(), 0);
}

void TestDataControl::tableNameMeansAllRows()
{
    DataControl d;
    d.setDatabaseName(m_school);
    d.setRecordSource(QStringLiteral(" 学生 "));
    QVERIFY(d.Refresh());
    QCOMPARE(d.RecordCount(), 3);
    QCOMPARE(d.FieldNames(), (QStringList{QStringLiteral("ID"), QStringLiteral("学籍号"), QStringLiteral("姓名"),
                                          QStringLiteral("成绩"), QStringLiteral("备注")}));
    QCOMPARE(d.rows().size(), 3);
    QCOMPARE(d.rows().at(2).at(2).toString(), QStringLiteral("王五"));
}

void TestDataControl::fieldsByNameAndIndex()
{
    DataControl d;
    d.setDatabaseName(m_school);
    d.setRecordSource(QStringLiteral(R"(SELECT * FROM "学生" ORDER BY "ID")"));
    QVERIFY(d.Refresh());
    QCOMPARE(d.FieldCount(), 5);
    QCOMPARE(d.fieldIndex(QStringLiteral("姓名")), 2);
    QCOMPARE(d.fieldIndex(QStringLiteral("id")), 0);   // names ignore case
    QCOMPARE(d.fieldIndex(QStringLiteral("语文")), -1);

    // Row 1: a score, a null remark.
    QCOMPARE(d.field(QStringLiteral("成绩")).toDouble(), 85.5);
    QCOMPARE(d.field(3), d.field(QStringLiteral("成绩")));
    QCOMPARE(d.text(QStringLiteral("成绩")), QStringLiteral("85.5"));
    QVERIFY(!d.field(QStringLiteral("备注")).isValid());
    QCOMPARE(d.text(QStringLiteral("备注")), QString(""));
    QVERIFY(!d.text(4).isNull());   // bound back into SQL it is '', not NULL
    QCOMPARE(d.text(2), QStringLiteral("张三"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no field named 语文")));
    QVERIFY(!d.field(QStringLiteral("语文")).isValid());
    QVERIFY(!d.field(5).isValid());
    QVERIFY(!d.field(-1).isValid());

    // Row 2: no score.
    QVERIFY(d.MoveNext());
    QVERIFY(!d.field(QStringLiteral("成绩")).isValid());
    QCOMPARE(d.text(QStringLiteral("成绩")), QString(""));
    QCOMPARE(d.text(QStringLiteral("备注")), QStringLiteral("转入"));

    // Row 3: a score of 0 and an empty remark are values, not nulls.
    QVERIFY(d.MoveNext());
    QVERIFY(d.field(QStringLiteral("成绩")).isValid());
    QCOMPARE(d.field(QStringLiteral("成绩")).toDouble(), 0.0);
    QCOMPARE(d.text(QStringLiteral("成绩")), QStringLiteral("0"));
    QVERIFY(d.field(QStringLiteral("备注")).isValid());
    QCOMPARE(d.text(QStringLiteral("备注")), QString(""));

    // The held rows keep nulls as invalid values too.
    QVERIFY(!d.rows().at(0).at(4).isValid());
    QVERIFY(!d.rows().at(1).at(3).isValid());
}

void TestDataControl::fieldNamesInSelectOrder()
{
    DataControl d;
    d.setDatabaseName(m_school);
    d.setRecordSource(QStringLiteral(R"(SELECT "备注", "姓名", "ID" AS "编号" FROM "学生" WHERE "ID" < 0)"));
    QVERIFY(d.Refresh());
    QCOMPARE(d.RecordCount(), 0);
    QCOMPARE(d.FieldNames(), (QStringList{QStringLiteral("备注"), QStringLiteral("姓名"), QStringLiteral("编号")}));
}

void TestDataControl::reopensWhenThePathChanges()
{
    const QString other = pathIn(QStringLiteral("other.mdb"));
    QVERIFY(makeSchool(other, {QStringLiteral("李四")}));
    DataControl d;
    d.setDatabaseName(m_school);
    d.setRecordSource(QStringLiteral("学生"));
    QVERIFY(d.Refresh());
    QCOMPARE(d.RecordCount(), 3);
    QCOMPARE(d.connection().path(), m_school);

    d.setDatabaseName(other);
    QVERIFY(d.Refresh());
    QCOMPARE(d.RecordCount(), 1);
    QCOMPARE(d.text(QStringLiteral("姓名")), QStringLiteral("李四"));
    QCOMPARE(d.connection().path(), other);
    QCOMPARE(db::tableColumns(d.connection(), QStringLiteral("学生")).size(), 5);

    // The file goes away while the connection is open (a server switched off).
    QVERIFY(QFile::remove(other));
    ScriptedResponder responder;
    QSignalSpy errors(&d, &DataControl::Error);
    QVERIFY(!d.Refresh());
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().at(0).toInt(), db::kErrPathNotFound);
    QVERIFY(!QFileInfo::exists(other));
    QVERIFY(!d.connection().ok());
}

void TestDataControl::rereadsAReplacedFile()
{
    // A backup copied over the database while a window has it open.
    const QString live = pathIn(QStringLiteral("live.mdb"));
    const QString backup = pathIn(QStringLiteral("backup.mdb"));
    QVERIFY(makeSchool(live, threeNames()));
    QVERIFY(makeSchool(backup, {QStringLiteral("赵六")}));
    DataControl d;
    d.setDatabaseName(live);
    d.setRecordSource(QStringLiteral("学生"));
    QVERIFY(d.Refresh());
    QCOMPARE(d.RecordCount(), 3);
    QVERIFY(QFile::remove(live));
    QVERIFY(QFile::copy(backup, live));
    QVERIFY(d.Refresh());
    QCOMPARE(d.RecordCount(), 1);
    QCOMPARE(d.text(QStringLiteral("姓名")), QStringLiteral("赵六"));
}

void TestDataControl::readingHoldsNoLock()
{
    DataControl d;
    d.setDatabaseName(m_school);
    d.setRecordSource(QStringLiteral("学生"));
    QVERIFY(d.Refresh());
    db::Connection writer(m_school);
    writer.setBusyTimeout(50);
    QVERIFY2(writer.transaction([&] {
                 return writer.exec(QStringLiteral(R"(UPDATE "学生" SET "备注" = ? WHERE "ID" = 1)"),
                                    {QStringLiteral("已改")});
             }),
             qPrintable(writer.error().text));
    QVERIFY(!d.field(QStringLiteral("备注")).isValid());   // the set in memory is as read
    QVERIFY(d.Refresh());
    QCOMPARE(d.text(QStringLiteral("备注")), QStringLiteral("已改"));
    QVERIFY(writer.exec(QStringLiteral(R"(UPDATE "学生" SET "备注" = NULL WHERE "ID" = 1)")));
}

void TestDataControl::closeKeepsTheCaption()
{
    DataControl d;
    d.setCaption(QStringLiteral("记录导航(共3人 当前第1人)"));
    d.setDatabaseName(m_school);
    d.setRecordSource(QStringLiteral("学生"));
    QVERIFY(d.Refresh());
    d.Close();
    QVERIFY(!d.hasRecordset());
    QVERIFY(d.Eof() && d.Bof());
    QCOMPARE(d.RecordCount(), 0);
    QVERIFY(!d.connection().ok());
    QCOMPARE(d.Caption(), QStringLiteral("记录导航(共3人 当前第1人)"));
    QCOMPARE(d.findChild<QLabel *>(QStringLiteral("caption"))->text(), d.Caption());
    QVERIFY(d.Refresh());   // opens again
    QCOMPARE(d.RecordCount(), 3);
}

void TestDataControl::barButtonsStayOnRecords()
{
    DataControl d;
    d.setDatabaseName(m_school);
    d.setRecordSource(QStringLiteral(R"(SELECT "姓名" FROM "学生" ORDER BY "ID")"));
    auto *first = d.findChild<QToolButton *>(QStringLiteral("first"));
    auto *previous = d.findChild<QToolButton *>(QStringLiteral("previous"));
    auto *next = d.findChild<QToolButton *>(QStringLiteral("next"));
    auto *last = d.findChild<QToolButton *>(QStringLiteral("last"));
    QVERIFY(first && previous && next && last);
    QVERIFY(!next->isEnabled());   // no record set yet

    QVERIFY(d.Refresh());
    QVERIFY(next->isEnabled());
    next->click();
    next->click();
    QCOMPARE(d.AbsolutePosition(), 2);
    next->click();   // stays on the last record
    QCOMPARE(d.AbsolutePosition(), 2);
    QVERIFY(!d.Eof());
    previous->click();
    previous->click();
    previous->click();   // stays on the first record
    QCOMPARE(d.AbsolutePosition(), 0);
    QVERIFY(!d.Bof());
    last->click();
    QCOMPARE(d.AbsolutePosition(), 2);
    first->click();
    QCOMPARE(d.AbsolutePosition(), 0);

    // From EOF (reached in code) the next button returns to the last record.
    QVERIFY(d.MoveLast() && d.MoveNext() && d.Eof());
    next->click();
    QCOMPARE(d.AbsolutePosition(), 2);

    d.setRecordSource(QStringLiteral(R"(SELECT "姓名" FROM "学生" WHERE "ID" < 0)"));
    QVERIFY(d.Refresh());
    QVERIFY(!first->isEnabled() && !previous->isEnabled() && !next->isEnabled() && !last->isEnabled());
}

QTEST_MAIN(TestDataControl)
#include "tst_data_control.moc"
