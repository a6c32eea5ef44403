// The 班主任 table's rules: date parts, kind codes and display names, the
// section filter, the bound listing queries and the row writes.
#include "fixtures/test_school.h"
#include "records/head_teacher_documents.h"

#include "db/row_update.h"

#include <QtTest>

using namespace tessaly;
using namespace tessaly::records;
using namespace Qt::StringLiterals;

class TestHeadTeacherDocuments : public QObject {
    Q_OBJECT

private slots:
    void dateParts_data();
    void dateParts();
    void displayNames();
    void sectionFilter_data();
    void sectionFilter();
    void queriesKeepKindsApart();
    void badKeysGiveNoQuery();
    void writes();
};

void TestHeadTeacherDocuments::dateParts_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("yy");
    QTest::addColumn<QString>("next");
    QTest::addColumn<QString>("letter");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::newRow("15 Feb 2005") << QDate(2005, 2, 15) << u"04"_s << u"05"_s << u"S"_s << u"02"_s << u"15"_s;
    QTest::newRow("28 Feb 2005") << QDate(2005, 2, 28) << u"04"_s << u"05"_s << u"S"_s << u"02"_s << u"28"_s;
    QTest::newRow("1 Mar 2005") << QDate(2005, 3, 1) << u"04"_s << u"05"_s << u"X"_s << u"03"_s << u"01"_s;
    QTest::newRow("31 Jul 2005") << QDate(2005, 7, 31) << u"04"_s << u"05"_s << u"X"_s << u"07"_s << u"31"_s;
    QTest::newRow("1 Aug 2005") << QDate(2005, 8, 1) << u"05"_s << u"06"_s << u"S"_s << u"08"_s << u"01"_s;
    QTest::newRow("31 Dec 2005") << QDate(2005, 12, 31) << u"05"_s << u"06"_s << u"S"_s << u"12"_s << u"31"_s;
    QTest::newRow("Jan 2000: year before") << QDate(2000, 1, 10) << u"99"_s << u"100"_s << u"S"_s << u"01"_s
                                           << u"10"_s;
    QTest::newRow("Sep 2009") << QDate(2009, 9, 3) << u"09"_s << u"10"_s << u"S"_s << u"09"_s << u"03"_s;
}

void TestHeadTeacherDocuments::dateParts()
{
    QFETCH(QDate, today);
    QFETCH(QString, yy);
    QFETCH(QString, next);
    QFETCH(QString, letter);
    QFETCH(QString, month);
    QFETCH(QString, day);
    const DateParts d = records::dateParts(today);
    QCOMPARE(d.schoolYear, yy);
    QCOMPARE(d.nextYear, next);
    QCOMPARE(d.semesterLetter, letter);
    QCOMPARE(d.month, month);
    QCOMPARE(d.day, day);
}

void TestHeadTeacherDocuments::displayNames()
{
    const DateParts oct04 = records::dateParts(QDate(2004, 10, 15));
    const DateParts mar05 = records::dateParts(QDate(2005, 3, 15));
    QCOMPARE(planName(oct04, u"初一年级组"_s, u"一班"_s), u"04-05初一一班上学年工作计划"_s);
    QCOMPARE(planName(mar05, u"初一年级组"_s, u"一班"_s), u"04-05初一一班下学年工作计划"_s);
    QCOMPARE(summaryName(mar05, u"高三年级组"_s, u"十二班"_s), u"04-05高三十二班下学年工作总结"_s);
    QCOMPARE(recordName(oct04, u"初一年级组"_s, u"张三"_s), u"04-05(上)初一张三 10月15日"_s);
    QCOMPARE(recordName(mar05, u"初一年级组"_s, u"张三"_s), u"04-05(下)初一张三 03月15日"_s);
    QCOMPARE(recordName(records::dateParts(QDate(2005, 3, 5)), u"一年级组"_s, u"二班"_s), u"04-05(下)一年二班 03月05日"_s);

    QCOMPARE(planKind(u"200401"_s, oct04), u"J200401S"_s);
    // No year in the code: the same half a year later gives the same code.
    QCOMPARE(planKind(u"200401"_s, records::dateParts(QDate(2005, 10, 1))), u"J200401S"_s);
    QCOMPARE(summaryKind(u"200401"_s, mar05), u"G200401X"_s);
    QCOMPARE(developmentRecordKind(u"200401"_s), u"W200401"_s);
    QCOMPARE(dailyRecordKind(u"200401"_s), u"JL200401"_s);
    QCOMPARE(phraseKind(3), u"3"_s);
    QCOMPARE(phraseKind(6), QString());
    QCOMPARE(phraseCategoryName(1), u"思想政治方面"_s);
    QCOMPARE(phraseCategoryName(5), u"尊纪守法方面"_s);
}

void TestHeadTeacherDocuments::sectionFilter_data()
{
    // Records carry the half after the school years; the section is read at the
    // grade prefix, never from a student's name.
    QTest::addColumn<QString>("gradeGroup");
    QTest::addColumn<QString>("displayName");
    QTest::addColumn<bool>("listed");
    const QString senior = u"04-05(上)高二张三 10月15日"_s;
    const QString juniorGao = u"04-05(上)初三高明 10月15日"_s;
    const QString primaryGao = u"04-05(下)三年高明 03月02日"_s;
    QTest::newRow("高二: senior") << u"高二年级组"_s << senior << true;
    QTest::newRow("高二: junior surname 高") << u"高二年级组"_s << juniorGao << false;
    QTest::newRow("高二: primary surname 高") << u"高二年级组"_s << primaryGao << false;
    QTest::newRow("初三: junior surname 高") << u"初三年级组"_s << juniorGao << true;
    QTest::newRow("三年级组: primary") << u"三年级组"_s << primaryGao << true;
    QTest::newRow("三年级组: senior") << u"三年级组"_s << senior << false;
    QTest::newRow("三年级组: no school years") << u"三年级组"_s << u"三年高明 03月02日"_s << false;
    QTest::newRow("高二: empty 其它") << u"高二年级组"_s << QString() << false;
}

void TestHeadTeacherDocuments::sectionFilter()
{
    QFETCH(QString, gradeGroup);
    QFETCH(QString, displayName);
    QFETCH(bool, listed);
    QCOMPARE(inGradeSection(displayName, gradeGroup), listed);
}

void TestHeadTeacherDocuments::queriesKeepKindsApart()
{
    test::TestSchool school;
    db::Connection &c = school.db();
    const QList<QPair<QString, QString>> rows = {
        {u"J"_s, u"计划模板"_s},           {u"J200401S"_s, u"一班计划"_s},   {u"G"_s, u"总结模板"_s},
        {u"G200401X"_s, u"一班总结"_s},    {u"W200401"_s, u"张三记录"_s},   {u"JL200401"_s, u"一班日常"_s},
        {u"J200402S"_s, u"二班计划"_s},    {u"3"_s, u"文体一"_s},           {u"3"_s, u"文体二"_s},
        {u"J200401X"_s, u"一班下半年计划"_s},
    };
    for (const auto &r : rows)
        QVERIFY(insertDocument(c, r.first, r.second, u"x"_s).ok);
    school.closeDb();

    const auto listed = [&](DocumentKind kind, const QString &key) {
        const std::optional<QVector<Document>> rows = readDocuments(school.db(), kind, key);
        [&] { QVERIFY(rows); }();
        QStringList texts;
        for (const Document &d : rows.value_or(QVector<Document>()))
            texts << d.text;
        return texts;
    };
    QCOMPARE(listed(DocumentKind::PlanTemplate, {}), QStringList{u"计划模板"_s});
    QCOMPARE(listed(DocumentKind::SummaryTemplate, {}), QStringList{u"总结模板"_s});
    QCOMPARE(listed(DocumentKind::Plan, u"200401"_s), (QStringList{u"一班计划"_s, u"一班下半年计划"_s}));
    QCOMPARE(listed(DocumentKind::Summary, u"200401"_s), QStringList{u"一班总结"_s});
    QCOMPARE(listed(DocumentKind::DevelopmentRecord, u"200401"_s), QStringList{u"张三记录"_s});
    QCOMPARE(listed(DocumentKind::DailyRecord, u"200401"_s), QStringList{u"一班日常"_s});
    QCOMPARE(listed(DocumentKind::Phrase, u"3"_s), (QStringList{u"文体一"_s, u"文体二"_s}));
    QCOMPARE(listed(DocumentKind::Phrase, u"2"_s), QStringList{});
    QVERIFY(readDocuments(school.db(), DocumentKind::Plan, u"2004"_s)->isEmpty());   // a bad key reads nothing
}

void TestHeadTeacherDocuments::badKeysGiveNoQuery()
{
    QVERIFY(!documentsQuery(DocumentKind::Plan, u"2004"_s).isValid());
    QVERIFY(!documentsQuery(DocumentKind::DailyRecord, u"20040'"_s).isValid());
    QVERIFY(!documentsQuery(DocumentKind::Phrase, u"0"_s).isValid());
    QVERIFY(!documentsQuery(DocumentKind::Phrase, u"6"_s).isValid());
}

void TestHeadTeacherDocuments::writes()
{
    test::TestSchool school;
    db::Connection &c = school.db();
    const InsertOutcome template_ = insertDocument(c, u"J"_s, u"第一行\r\n第二行"_s);
    QVERIFY(template_.ok);
    const InsertOutcome record = insertDocument(c, u"JL200401"_s, u"记录"_s, u"04-05(上)初一一班 10月15日"_s);
    QVERIFY(record.ok);
    QVERIFY(record.id != template_.id);
    QVERIFY(school.value(uR"(select "其它" from "班主任" where "ID"=?)"_s, {template_.id}).isNull());

    const auto text = [&] { return school.value(uR"(select "内容" from "班主任" where "ID"=?)"_s, {record.id}); };
    const Document read{record.id, u"JL200401"_s, u"记录"_s, u"04-05(上)初一一班 10月15日"_s};
    QVERIFY(updateDocumentText(c, read, u"改过"_s, u"这条记录"_s).ok);
    QCOMPARE(text().toString(), u"改过"_s);
    // Another computer that read the row before that save: refused, the first text stays.
    const SaveOutcome stale = updateDocumentText(c, read, u"别处改"_s, u"这条记录"_s);
    QVERIFY(!stale.ok);
    QCOMPARE(stale.error.number, db::kErrRowChanged);
    QVERIFY2(stale.error.text.startsWith(u"这条记录在您读出之后已被其他电脑修改"_s), qPrintable(stale.error.text));
    QCOMPARE(text().toString(), u"改过"_s);
    // Saving the text as read writes nothing and is no conflict.
    QVERIFY(updateDocumentText(c, read, u"记录"_s, u"这条记录"_s).ok);
    QCOMPARE(text().toString(), u"改过"_s);

    QVERIFY(deleteDocument(c, record.id).ok);
    const SaveOutcome gone = updateDocumentText(c, Document{record.id, {}, u"改过"_s, {}}, u"再改"_s, u"这条记录"_s);
    QVERIFY(!gone.ok);
    QCOMPARE(gone.error.number, kErrRowGone);
    QVERIFY(deleteDocument(c, record.id).ok);
    QCOMPARE(school.dump(u"班主任"_s), QStringList{u"%1|J|第一行\r\n第二行|<null>"_s.arg(template_.id)});
}

QTEST_MAIN(TestHeadTeacherDocuments)
#include "tst_head_teacher_documents.moc"
