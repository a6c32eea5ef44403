// The statistics rows of one class and subject, and a fill over a school whose
// 初一年级组 is the cohort 2025.
#include "grade_analysis/subject_statistics.h"
#include "fixtures/test_school.h"
#include "workbook/format.h"

#include <QTest>

using namespace tessaly;
using namespace tessaly::grades;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QList<std::optional<float>>)

namespace {

using Scores = QList<std::optional<float>>;
constexpr std::optional<float> none = std::nullopt;

// Columns 3 to 21 of a row, "|" between them.
QString countsOf(const ClassStatisticsRow &row)
{
    return statisticsRowTexts(row).mid(kStatStudents).join(u'|');
}

Scores ascending(int first, int count)
{
    Scores s;
    for (int i = 0; i < count; ++i)
        s.append(float(first + i));
    return s;
}

const QString kJunior = u"初中"_s;
const QString kGroup = u"初一年级组"_s;
const QString kChinese = u"Z25S语文250915"_s;
const QString kMaths = u"Z25S数学250915"_s;

} // namespace

class SubjectStatisticsTest : public QObject {
    Q_OBJECT
private slots:
    void row_data()
    {
        QTest::addColumn<Scores>("scores");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<float>("fullMark");
        //                                       人数 参试 平均 标准 及格 率 优秀 率 最高 最低 bands… top10/20/30
        QTest::newRow("full mark 100, 59.5 no pass, 0 a score")
            << Scores{100.f, 59.5f, 0.f, none, 60.f, 80.f} << u"6|5|59.90||3|60.0|2|40.0|100.0|0.0|1|2|1|0|1|0|||"_s << 100.f;
        QTest::newRow("full mark 150")
            << Scores{100.5f, 95.f, 89.f, 120.f} << u"4|4|101.13||3|75.0|1|25.0|120.0|89.0|0|0|1|1|1|1|||"_s << 150.f;
        QTest::newRow("a stored full mark of 120: lines at 72 and 96")
            << Scores{72.f, 71.5f, 96.f, 110.f} << u"4|4|87.38||3|75.0|2|50.0|110.0|71.5|0|2|0|1|1|0|||"_s << 120.f;
        QTest::newRow("students without scores") << Scores{none, none} << u"2|0|||||||||0|0|0|0|0|0|||"_s << 100.f;
        QTest::newRow("no student rows") << Scores{} << u"||||||||||||||||||"_s << 100.f;
        QTest::newRow("nine: no top averages") << ascending(50, 9)
                                               << u"9|9|54.00||0|0.0|0|0.0|58.0|50.0|9|0|0|0|0|0|||"_s << 100.f;
        QTest::newRow("ten: the top ten") << ascending(50, 10)
                                          << u"10|10|54.50||0|0.0|0|0.0|59.0|50.0|10|0|0|0|0|0|54.50||"_s << 100.f;
        QTest::newRow("twenty-five: top ten and twenty") << ascending(50, 25)
                                                         << u"25|25|62.00||15|60.0|0|0.0|74.0|50.0|10|15|0|0|0|0|69.50|64.50|"_s << 100.f;
        QTest::newRow("thirty of 0 .. 145") << [] {
            Scores s;
            for (int i = 0; i < 30; ++i)
                s.append(float(i * 5));
            return s;
        }() << u"30|30|72.50||12|40.0|6|20.0|145.0|0.0|12|4|2|2|4|6|122.50|97.50|72.50"_s << 150.f;
    }
    void row()
    {
        QFETCH(Scores, scores);
        QFETCH(QString, counts);
        QFETCH(float, fullMark);
        QCOMPARE(countsOf(classStatistics(scores, fullMark)), counts);
    }

    void checks_data()
    {
        QTest::addColumn<bool>("exam");
        QTest::addColumn<int>("subjects");
        QTest::addColumn<int>("classes");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing chosen") << false << 0 << 0 << kNoExamChosen;
        QTest::newRow("no subject") << true << 0 << 0 << kNoSubjectChosen;
        QTest::newRow("no class") << true << 2 << 0 << kNoClassChosen;
        QTest::newRow("all chosen") << true << 1 << 1 << QString();
    }
    void checks()
    {
        QFETCH(bool, exam);
        QFETCH(int, subjects);
        QFETCH(int, classes);
        QFETCH(QString, message);
        QCOMPARE(missingChoice(exam, subjects, classes), message);
    }

    void classNames()
    {
        // The actual name after the blank may hold blanks of its own; a class without one is its item.
        QCOMPARE(classNameOfItem(u"三班 实验 A"_s), u"三班"_s);
        QCOMPARE(classNameOfItem(u"十一班 "_s), u"十一班"_s);
        QCOMPARE(classNameOfItem(u"四班"_s), u"四班"_s);
    }

    void fill()
    {
        TestSchool school;
        school.addGradeGroup(kGroup);
        for (const QString &c : {u"一班"_s, u"十一班"_s, u"三班"_s, u"四班"_s})
            school.addClass(kGroup, c);
        school.addTeaching(kGroup, u"十一班"_s, u"语文"_s, u"周明"_s);
        school.addTeaching(kGroup, u"十一班"_s, u"语文"_s, u"后来者"_s);   // the first row counts
        school.addTeaching(u"初二年级组"_s, u"一班"_s, u"语文"_s, u"别组"_s);
        school.addTeaching(kGroup, u"一班"_s, u"O'数学"_s, u"吴'丽"_s);
        for (const QString &c : {kChinese, kMaths})
            school.addExamColumn(kJunior, c);
        auto student = [&](const QString &number, std::optional<float> chinese, std::optional<float> maths) {
            const int id = school.addStudent(kJunior, number, u"生"_s + number);
            school.setScore(kJunior, id, kChinese, chinese ? QVariant(*chinese) : QVariant());
            school.setScore(kJunior, id, kMaths, maths ? QVariant(*maths) : QVariant());
        };
        student(u"20250101"_s, 90, 100.5);
        student(u"20250102"_s, 70, none);
        student(u"20251101"_s, 80, 60);
        student(u"20250301"_s, none, none);   // 三班: a student without scores
        student(u"20240101"_s, 10, 10);       // 初二一班
        student(u"20250111"_s, 0, none);      // 一班 again, out of 学籍号 order

        StatisticsRequest request{kGroup, kJunior, 2025,
                                  {{u"语文"_s, kChinese}, {u"O'数学"_s, kMaths}},
                                  {u"一班"_s, u"十一班"_s, u"四班"_s}};
        QStringList progress;
        StatisticsFill fill = fillStatistics(school.db(), request, [&](int s, const QString &subject) {
            progress << QString::number(s) + subject;
        });
        QVERIFY(!fill.error.isSet());
        QCOMPARE(progress, (QStringList{u"0语文"_s, u"1O'数学"_s}));
        // 2 subjects × 3 classes: grid rows 1-3, blank 4, rows 5-7, blank 8.
        QCOMPARE(fill.rows.size(), 8);
        QVERIFY(!fill.rows[3] && !fill.rows[7]);
        QStringList shown;
        for (const auto &row : fill.rows)
            shown << (row ? statisticsRowTexts(*row).mid(0, 6).join(u'|') : QString());
        QCOMPARE(shown, (QStringList{u"语文|一班||3|3|53.33"_s, u"语文|十一班|周明|1|1|80.00"_s, u"语文|四班||||"_s,
                                     QString(), u"O'数学|一班|吴'丽|3|1|100.50"_s, u"O'数学|十一班||1|1|60.00"_s,
                                     u"O'数学|四班||||"_s, QString()}));
        QVERIFY(fill.anyEmptyRow);
        QCOMPARE(fill.rows[4]->fullMark, 150.f);
        QCOMPARE(fill.rows[0]->fullMark, 100.f);
        QCOMPARE(statisticsRowTexts(*fill.rows[0])[kStatPassCount], u"2"_s);

        // The full mark stored with the exam counts, not the 100/150 rule; a stored
        // text that is no full mark is passed over.
        QVERIFY(school.db().exec(uR"(INSERT INTO "初中考试结果" ("年级组","班级名","考试名","满分") VALUES (?,?,?,?),(?,?,?,?))"_s,
                                 {kGroup, u"一班"_s, kChinese, u"120"_s, kGroup, u"一班"_s, kChinese, u"满分"_s}));
        fill = fillStatistics(school.db(), request);
        QCOMPARE(fill.rows[0]->fullMark, 120.f);
        QCOMPARE(statisticsRowTexts(*fill.rows[0]).mid(kStatPassCount, 4),
                 (QStringList{u"1"_s, u"33.3"_s, u"0"_s, u"0.0"_s}));
        QCOMPARE(fill.rows[4]->fullMark, 150.f);

        // Students without scores are no empty row.
        request.classes = {u"三班"_s};
        fill = fillStatistics(school.db(), request);
        QVERIFY(!fill.anyEmptyRow);
        QCOMPARE(statisticsRowTexts(*fill.rows[0]).mid(3, 2), (QStringList{u"1"_s, u"0"_s}));

        // A query that fails stops the fill with the database's text.
        request.subjects.append({u"物理"_s, u"Z25S物理250915"_s});
        fill = fillStatistics(school.db(), request);
        QVERIFY(fill.error.isSet());
        QVERIFY2(fill.error.text.contains(u"Z25S物理250915"_s), qPrintable(fill.error.text));
    }

    // One exam column serves every grade group of the section, while a registry row
    // belongs to one class: each class is counted against its own row, else its
    // grade group's, else the 100/150 rule, whichever row was stored last.
    void fullMarkOfEachGradeGroup_data()
    {
        QTest::addColumn<bool>("juniorOneLast");   // 初一's row stored after 初二's
        QTest::newRow("初一's 100 stored last") << true;
        QTest::newRow("初二's 120 stored last") << false;
    }
    void fullMarkOfEachGradeGroup()
    {
        QFETCH(bool, juniorOneLast);
        const QString second = u"初二年级组"_s;
        const QString third = u"初三年级组"_s;
        TestSchool school;
        for (const QString &group : {kGroup, second, third}) {
            school.addGradeGroup(group);
            school.addClass(group, u"一班"_s);
            school.addClass(group, u"二班"_s);
        }
        school.addExamColumn(kJunior, kMaths);
        const auto students = [&](const QString &classCode, const QList<float> &scores) {
            int n = 0;
            for (const float score : scores) {
                const int id = school.addStudent(kJunior, classCode + u"%1"_s.arg(++n, 2, 10, u'0'), u"生"_s);
                school.setScore(kJunior, id, kMaths, score);
            }
        };
        students(u"202501"_s, {95, 85, 70, 50});    // 初一 一班, out of 100
        students(u"202401"_s, {118, 95, 85, 70});   // 初二 一班, out of 120
        students(u"202402"_s, {100, 60});           // 初二 二班: no row of its own
        students(u"202301"_s, {118, 95, 85, 70});   // 初三 一班: no row in its grade group
        const QVariantList juniorOne{kGroup, u"一班"_s, kMaths, u"100"_s};
        const QVariantList juniorTwo{second, u"一班"_s, kMaths, u"120"_s};
        const QString insert = uR"(INSERT INTO "初中考试结果" ("年级组","班级名","考试名","满分") VALUES (?,?,?,?))"_s;
        QVERIFY(school.db().exec(insert, juniorOneLast ? juniorTwo : juniorOne));
        QVERIFY(school.db().exec(insert, juniorOneLast ? juniorOne : juniorTwo));

        const auto counts = [&](const QString &group, int cohort, const QStringList &classes) {
            const StatisticsFill fill =
                fillStatistics(school.db(), {group, kJunior, cohort, {{u"数学"_s, kMaths}}, classes});
            QStringList shown;
            for (const auto &row : fill.rows) {
                if (row)
                    shown << formatSingle(row->fullMark) + u" "_s
                                 + statisticsRowTexts(*row).mid(kStatPassCount, 4).join(u'|');
            }
            return fill.error.isSet() ? fill.error.text : shown.join(u", "_s);
        };
        // 及格 at 3/5 and 优秀 at 4/5 of the class's full mark.
        QCOMPARE(counts(kGroup, 2025, {u"一班"_s}), u"100 3|75.0|2|50.0"_s);
        QCOMPARE(counts(second, 2024, {u"一班"_s, u"二班"_s}), u"120 3|75.0|1|25.0, 120 1|50.0|1|50.0"_s);
        QCOMPARE(counts(third, 2023, {u"一班"_s}), u"150 2|50.0|0|0.0"_s);
    }
};

QTEST_GUILESS_MAIN(SubjectStatisticsTest)
#include "tst_subject_statistics.moc"
