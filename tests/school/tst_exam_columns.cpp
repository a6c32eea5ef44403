// Exam column names, their parts, display names, listings, full mark and class rank.
#include "school/class_code.h"
#include "school/exam_columns.h"
#include "school/exam_subject_list.h"

#include <QtTest>

using namespace tessaly::school;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ExamKind)
Q_DECLARE_METATYPE(tessaly::school::DecodeVariant)

namespace {

// The register columns followed by run-time columns.
QStringList sectionColumns(const QStringList &runTime)
{
    return tessaly::school::registerColumns() + runTime;
}

} // namespace

class TestExamColumns : public QObject {
    Q_OBJECT
private slots:
    void namesAcrossTheBoundaries_data();
    void namesAcrossTheBoundaries();
    void parse_data();
    void parse();
    void decode_data();
    void decode();
    void subjectsOfAnExam();
    void findExamsOfSubject_data();
    void findExamsOfSubject();
    void listExamNamesOnceEach();
    void fullMark_data();
    void fullMark();
    void rank_data();
    void rank();
};

void TestExamColumns::namesAcrossTheBoundaries_data()
{
    QTest::addColumn<ExamKind>("kind");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("quiz");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("name");
    const ExamKind Z = ExamKind::MidTerm, M = ExamKind::Final, C = ExamKind::Quiz;
    const QString none;
    QTest::newRow("mid-term 15 Sep") << Z << u"语文"_s << none << QDate(2025, 9, 15) << u"Z25S语文250915"_s;
    QTest::newRow("mid-term 28 Feb: first half") << Z << u"语文"_s << none << QDate(2026, 2, 28) << u"Z25S语文250228"_s;
    QTest::newRow("mid-term 1 Mar: second half") << Z << u"语文"_s << none << QDate(2026, 3, 1) << u"Z25X语文250301"_s;
    QTest::newRow("mid-term 31 Jul") << Z << u"语文"_s << none << QDate(2026, 7, 31) << u"Z25X语文250731"_s;
    QTest::newRow("mid-term 1 Aug: new school year") << Z << u"语文"_s << none << QDate(2026, 8, 1) << u"Z26S语文260801"_s;
    QTest::newRow("mid-term 15 Jan: previous school year") << Z << u"语文"_s << none << QDate(2026, 1, 15) << u"Z25S语文250115"_s;
    QTest::newRow("final 30 Nov") << M << u"数学"_s << none << QDate(2025, 11, 30) << u"M25X数学251130"_s;
    QTest::newRow("final 1 Dec: second half") << M << u"数学"_s << none << QDate(2025, 12, 1) << u"M25X数学251201"_s;
    QTest::newRow("final 10 Jan: first half, previous year") << M << u"数学"_s << none << QDate(2026, 1, 10) << u"M25S数学250110"_s;
    QTest::newRow("final 28 Feb") << M << u"数学"_s << none << QDate(2026, 2, 28) << u"M25S数学250228"_s;
    QTest::newRow("final 1 Mar") << M << u"数学"_s << none << QDate(2026, 3, 1) << u"M25X数学250301"_s;
    QTest::newRow("final 28 Jun") << M << u"数学"_s << none << QDate(2026, 6, 28) << u"M25X数学250628"_s;
    QTest::newRow("quiz 31 Dec") << C << u"英语"_s << u"一单元"_s << QDate(2025, 12, 31) << u"C一单元英语251231"_s;
    QTest::newRow("quiz 20 Jan: new calendar year") << C << u"英语"_s << u"一单元"_s << QDate(2026, 1, 20) << u"C一单元英语260120"_s;
    QTest::newRow("quiz 20 Mar") << C << u"英语"_s << u"一单元"_s << QDate(2026, 3, 20) << u"C一单元英语260320"_s;
    QTest::newRow("entrance is never created") << ExamKind::Entrance << u"语文"_s << none << QDate(2025, 9, 1) << QString();
}

void TestExamColumns::namesAcrossTheBoundaries()
{
    QFETCH(ExamKind, kind);
    QFETCH(QString, subject);
    QFETCH(QString, quiz);
    QFETCH(QDate, today);
    QFETCH(QString, name);
    QCOMPARE(examColumnName(kind, subject, today, quiz), name);
    if (!name.isEmpty())
        QCOMPARE(dateStamp(kind, today), name.right(6));
}

void TestExamColumns::parse_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("quizSubject");
    QTest::addColumn<ExamKind>("kind");
    QTest::addColumn<QStringList>("parts");   // school year, half, subject, quiz name, date stamp
    QTest::addColumn<QString>("listed");
    QTest::addColumn<bool>("exam");
    const ExamKind Z = ExamKind::MidTerm, M = ExamKind::Final, C = ExamKind::Quiz, R = ExamKind::Entrance;
    const QString none;
    QTest::newRow("mid-term, first half") << u"Z25S语文250915"_s << none << Z
                                          << QStringList{u"25"_s, u"S"_s, u"语文"_s, none, u"250915"_s} << u"语文"_s
                                          << true;
    QTest::newRow("final, second half, two-part subject")
        << u"M25X物理化学260628"_s << none << M << QStringList{u"25"_s, u"X"_s, u"物理化学"_s, none, u"260628"_s}
        << u"物理化学"_s << true;
    QTest::newRow("quiz, subject not split") << u"C一单元英语260320"_s << none << C
                                             << QStringList{none, none, none, u"一单元英语"_s, u"260320"_s}
                                             << u"一单元英语"_s << true;
    QTest::newRow("quiz split from its subject") << u"C一单元英语260320"_s << u"英语"_s << C
                                                 << QStringList{none, none, u"英语"_s, u"一单元"_s, u"260320"_s}
                                                 << u"一单元英语"_s << true;
    QTest::newRow("quiz, another subject not split") << u"C一单元英语260320"_s << u"语文"_s << C
                                                     << QStringList{none, none, none, u"一单元英语"_s, u"260320"_s}
                                                     << u"一单元英语"_s << true;
    QTest::newRow("quiz name with Latin capitals: kind by first letter")
        << u"CUnitM英语251001"_s << none << C << QStringList{none, none, none, u"UnitM英语"_s, u"251001"_s}
        << u"UnitM英语"_s << true;
    QTest::newRow("entrance") << u"R语文050901"_s << none << R
                              << QStringList{none, none, u"语文"_s, none, u"050901"_s} << u"语文"_s << true;
    QTest::newRow("evaluation column: no exam") << u"P25S251015"_s << none << C
                                                << QStringList{none, none, none, u"25S"_s, u"251015"_s} << u"25S"_s
                                                << false;
    QTest::newRow("mid-term too short for a subject") << u"Z25S250915"_s << none << Z
                                                      << QStringList{u"25"_s, u"S"_s, none, none, u"250915"_s}
                                                      << QString() << true;
    QTest::newRow("shorter than a stamp") << u"Z12"_s << none << Z << QStringList{none, none, none, none, u"12"_s}
                                          << QString() << true;
    QTest::newRow("empty") << QString() << none << C << QStringList{none, none, none, none, none} << QString()
                           << false;
}

void TestExamColumns::parse()
{
    QFETCH(QString, raw);
    QFETCH(QString, quizSubject);
    QFETCH(QStringList, parts);
    const ExamColumn c = ExamColumn::parse(raw, quizSubject);
    QCOMPARE(c.raw, raw);
    QTEST(c.kind, "kind");
    QCOMPARE((QStringList{c.schoolYear, c.half, c.subject, c.quizName, c.dateStamp}), parts);
    QTEST(c.listedSubject(), "listed");
    QTEST(c.isExam(), "exam");
    QCOMPARE(isExamColumnName(raw), c.isExam());
    // The composer gives the name back wherever the name starts with its kind's letter.
    if (!raw.isEmpty() && raw.front() == examKindLetter(c.kind))
        QCOMPARE(c.name(), raw);
}

void TestExamColumns::decode_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<DecodeVariant>("variant");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("shown");
    const QString mid = u"Z25S语文250915"_s;
    QTest::newRow("mid-term") << mid << kCanonicalNames << QString() << u"25-26(上)期中成绩"_s;
    QTest::newRow("final") << u"M25X数学250628"_s << kCanonicalNames << QString() << u"25-26(下)期末成绩"_s;
    QTest::newRow("quiz") << u"C一单元英语260320"_s << kCanonicalNames << QString() << u"一单元英语成绩"_s;
    QTest::newRow("year 99") << u"Z99X语文990420"_s << kCanonicalNames << QString() << u"99-100(下)期中成绩"_s;
    QTest::newRow("entrance") << u"R语文050901"_s << kCanonicalNames << QString() << u"入学成绩"_s;
    QTest::newRow("entrance after S wins") << u"R05S语文050901"_s << kCanonicalNames << QString() << u"入学成绩"_s;
    QTest::newRow("quiz name with a capital reads as mid-term")
        << u"CZ1英语260320"_s << kCanonicalNames << QString() << u"Z1-01期中成绩"_s;
    QTest::newRow("quiz name with R reads as entrance") << u"CR1英语260320"_s << kCanonicalNames << QString()
                                                        << u"入学成绩"_s;
    QTest::newRow("score entry: subject in the kind") << mid << kScoreEntryNames << u"语文"_s
                                                      << u"25-26(上)语文期中成绩"_s;
    QTest::newRow("score entry: entrance tested first") << u"R05S语文050901"_s << kScoreEntryNames << u"语文"_s
                                                        << u"05-06(上)"_s;
    QTest::newRow("score entry: entrance alone") << u"R语文050901"_s << kScoreEntryNames << u"语文"_s
                                                 << u"入学成绩"_s;
    QTest::newRow("after creation: no entrance test") << u"R语文050901"_s << kCreatedExamNames << u"语文"_s
                                                      << u"语文成绩"_s;
    QTest::newRow("after creation: final") << u"M25X数学251015"_s << kCreatedExamNames << u"数学"_s
                                           << u"25-26(下)数学期末成绩"_s;
    QTest::newRow("trend: halves without brackets") << mid << kTrendNames << QString() << u"25-26上期中成绩"_s;
    QTest::newRow("maintenance: name characters 5-6") << mid << kMaintenanceNames << QString()
                                                      << u"25-26语文(上)期中成绩"_s;
    QTest::newRow("maintenance: quiz name with X and a digit year")
        << u"C12X语文050315"_s << kMaintenanceNames << QString() << u"12-13语文(下)"_s;
    QTest::newRow("maintenance: quiz name with S and a digit year")
        << u"C05S语文050315"_s << kMaintenanceNames << QString() << u"05-06语文(上)"_s;
    QTest::newRow("maintenance: quiz") << u"C一单元英语260320"_s << kMaintenanceNames << QString()
                                       << u"一单元英语成绩"_s;
}

void TestExamColumns::decode()
{
    QFETCH(QString, raw);
    QFETCH(DecodeVariant, variant);
    QFETCH(QString, subject);
    QFETCH(QString, shown);
    QCOMPARE(DecodeExamName(raw, variant, subject), shown);
}

void TestExamColumns::subjectsOfAnExam()
{
    const QStringList columns = sectionColumns({u"Z25S语文250915"_s, u"M25X语文260628"_s, u"Z25S数学250915"_s,
                                                u"C一单元英语251001"_s, u"Z25S物理化学250916"_s});
    QStringList mid;
    for (const tessaly::school::ExamSubject &s : tessaly::school::examSubjects(columns, u"25-26(上)期中成绩"_s))
        mid << s.column + u'/' + s.subject;
    QCOMPARE(mid, QStringList({u"Z25S语文250915/语文"_s, u"Z25S数学250915/数学"_s, u"Z25S物理化学250916/物理化学"_s}));
    const QList<tessaly::school::ExamSubject> quiz = tessaly::school::examSubjects(columns, u"一单元英语成绩"_s);
    QCOMPARE(quiz.size(), 1);
    QCOMPARE(quiz[0].subject, u"一单元英语"_s);
    QVERIFY(tessaly::school::examSubjects(columns, QString()).isEmpty());
}

void TestExamColumns::findExamsOfSubject_data()
{
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QStringList>("exams");
    QTest::newRow("语文") << u"语文"_s << QStringList{u"Z25S语文250915"_s, u"C语文复习数学260105"_s};
    QTest::newRow("数学, a quiz naming 语文 too")
        << u"数学"_s << QStringList{u"C一单元数学251010"_s, u"Z25S数学250915"_s, u"C语文复习数学260105"_s};
    QTest::newRow("政治 is not 政治面貌") << u"政治"_s << QStringList{};
    QTest::newRow("no subject") << QString() << QStringList{};
}

void TestExamColumns::findExamsOfSubject()
{
    QFETCH(QString, subject);
    QFETCH(QStringList, exams);
    const QStringList columns = sectionColumns({u"Z25S语文250915"_s, u"P25S251015"_s, u"C一单元数学251010"_s,
                                                u"Z25S数学250915"_s, u"C语文复习数学260105"_s});
    QCOMPARE(FindExamsOfSubject(columns, subject), exams);
}

void TestExamColumns::listExamNamesOnceEach()
{
    // The same mid-term of two subjects appears once; an evaluation column not at all.
    const QStringList columns = sectionColumns({u"Z25S语文250915"_s, u"P25S251015"_s, u"Z25S数学250916"_s,
                                                u"C一单元英语260320"_s, u"M25X数学250628"_s});
    QCOMPARE(ListExamNames(columns),
             (QStringList{u"25-26(上)期中成绩"_s, u"一单元英语成绩"_s, u"25-26(下)期末成绩"_s}));
    QCOMPARE(ListExamNames(columns, kTrendNames).first(), u"25-26上期中成绩"_s);
    QVERIFY(ListExamNames(tessaly::school::registerColumns()).isEmpty());
}

void TestExamColumns::fullMark_data()
{
    QTest::addColumn<QList<std::optional<float>>>("scores");
    QTest::addColumn<int>("fullMark");
    QTest::newRow("100") << QList<std::optional<float>>{88.0f, 100.0f} << 100;
    QTest::newRow("100.5") << QList<std::optional<float>>{88.0f, 100.5f} << 150;
    QTest::newRow("120") << QList<std::optional<float>>{std::nullopt, 120.0f, 60.0f} << 150;
    QTest::newRow("none") << QList<std::optional<float>>{std::nullopt, std::nullopt} << 100;
    QTest::newRow("no students") << QList<std::optional<float>>{} << 100;
}

void TestExamColumns::fullMark()
{
    QFETCH(QList<std::optional<float>>, scores);
    QFETCH(int, fullMark);
    QCOMPARE(FullMarkOf(scores), fullMark);
}

void TestExamColumns::rank_data()
{
    QTest::addColumn<QList<float>>("values");
    QTest::addColumn<QList<int>>("ranks");
    QTest::newRow("ties share and the next skips") << QList<float>{98, 95, 95, 90} << QList<int>{1, 2, 2, 4};
    QTest::newRow("all equal") << QList<float>{70, 70, 70} << QList<int>{1, 1, 1};
    QTest::newRow("unsorted, with 0") << QList<float>{0, 100, 59.5f, 100} << QList<int>{4, 1, 3, 1};
}

void TestExamColumns::rank()
{
    QFETCH(QList<float>, values);
    QFETCH(QList<int>, ranks);
    QList<int> got;
    for (float v : values)
        got << RankInClass(v, values);
    QCOMPARE(got, ranks);
}

QTEST_GUILESS_MAIN(TestExamColumns)
#include "tst_exam_columns.moc"
