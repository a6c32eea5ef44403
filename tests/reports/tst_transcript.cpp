#include "fixtures/test_school.h"
#include "db/database.h"
#include "reports/transcript.h"
#include "reports/transcript_options.h"
#include "school/exam_columns.h"

#include <QSqlQuery>
#include <QTest>

#include <algorithm>

using namespace tessaly;
using namespace tessaly::reports;
using namespace Qt::StringLiterals;

namespace {

using Scores = QVector<std::optional<float>>;

TranscriptStudent student(const QString &number, const Scores &scores)
{
    return {number, u"学生"_s + number.right(2), scores};
}

QStringList column(const Transcript &t, int subject, int part)
{
    QStringList texts;
    for (const TranscriptRow &row : t.rows) {
        if (subject < 0) {
            texts << (part == 0 ? row.total : part == 2 ? row.classRank : row.gradeRank);
        } else {
            const SubjectCells &c = row.subjects[subject];
            texts << (part == 0 ? c.score : part == 1 ? c.standard : part == 2 ? c.classRank : c.gradeRank);
        }
    }
    return texts;
}

constexpr int kScore = 0, kStandard = 1, kClassRank = 2, kGradeRank = 3, kTotal = -1;

} // namespace

class TranscriptTest : public QObject {
    Q_OBJECT
private slots:
    // A class code's cohort (four characters) takes every student; a class code the
    // students whose number's last four characters begin with its class number.
    void ownClassOfAStudent_data()
    {
        QTest::addColumn<QString>("classCode");
        QTest::addColumn<QString>("studentNumber");
        QTest::addColumn<bool>("own");
        QTest::newRow("grade group") << u"2025"_s << u"20240301"_s << true;
        QTest::newRow("short code") << u"20"_s << u""_s << true;
        QTest::newRow("the class") << u"202503"_s << u"20250307"_s << true;
        QTest::newRow("another class") << u"202503"_s << u"20250407"_s << false;
        QTest::newRow("class of another cohort") << u"202503"_s << u"20240307"_s << true;
        QTest::newRow("number of three") << u"202503"_s << u"037"_s << true;
        QTest::newRow("number of two") << u"202503"_s << u"03"_s << true;
        QTest::newRow("number of one") << u"202503"_s << u"0"_s << false;
        QTest::newRow("no number") << u"202503"_s << u""_s << false;
        QTest::newRow("longer code") << u"2025030"_s << u"20250307"_s << true;
        QTest::newRow("longer code, other") << u"2025031"_s << u"20250307"_s << false;
    }
    void ownClassOfAStudent()
    {
        QFETCH(QString, classCode);
        QFETCH(QString, studentNumber);
        QFETCH(bool, own);
        QCOMPARE(reports::inOwnClass(classCode, studentNumber), own);
    }

    void readsStoredScores_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<std::optional<float>>("score");
        QTest::newRow("number") << QVariant(88.5) << std::optional<float>(88.5f);
        QTest::newRow("zero") << QVariant(0) << std::optional<float>(0.0f);
        QTest::newRow("null") << QVariant() << std::optional<float>();
        QTest::newRow("numeric text") << QVariant(u"85"_s) << std::optional<float>(85.0f);
        QTest::newRow("absent") << QVariant(u"缺考"_s) << std::optional<float>();
        QTest::newRow("empty text") << QVariant(u""_s) << std::optional<float>();
    }

    // A text in a score column is no score, not a 0.
    void readsStoredScores()
    {
        QFETCH(QVariant, stored);
        QFETCH(std::optional<float>, score);
        const QString exam = u"Z25S语文250915"_s;
        test::TestSchool school;
        school.addExamColumn(u"初中"_s, exam);
        const int id = school.addStudent(u"初中"_s, u"20250102"_s, QString());
        school.setScore(u"初中"_s, school.addStudent(u"初中"_s, u"20250201"_s, u"外班"_s), exam, 60);
        school.setScore(u"初中"_s, id, exam, stored);
        const auto students = readTranscriptStudents(school.db(), u"初中"_s, u"202501"_s, {}, {exam});
        QVERIFY(students);
        QCOMPARE(students->size(), 1);
        QCOMPARE(students->at(0).studentNumber, u"20250102"_s);
        QCOMPARE(students->at(0).name, QString());
        QCOMPARE(students->at(0).scores, Scores{score});
        // A refused read is no empty list.
        QVERIFY(school.db().exec(u"drop table \"初中\""_s));
        QVERIFY(!readTranscriptStudents(school.db(), u"初中"_s, u"202501"_s, {}, {exam}));
        QVERIFY(!readCohortStudents(school.db(), u"初中"_s, u"2025"_s));
    }

    void tiesShareARank()
    {
        TranscriptInput in{u"202401"_s, {u"语文"_s, u"数学"_s},
                           {student(u"20240101"_s, {95, 0}), student(u"20240102"_s, {90, 0}),
                            student(u"20240103"_s, {90, 0}), student(u"20240104"_s, {85, 0})}};
        const Transcript t = computeTranscript(in);
        const QStringList ranks{u"1"_s, u"2"_s, u"2"_s, u"4"_s};
        QCOMPARE(column(t, 0, kClassRank), ranks);
        QCOMPARE(column(t, kTotal, kClassRank), ranks);
        // Without comparable classes the grade ranks are the class ranks.
        QCOMPARE(column(t, 0, kGradeRank), ranks);
        QCOMPARE(column(t, kTotal, kGradeRank), ranks);
        // A score of 0 is a score: ranked, and counted.
        QCOMPARE(column(t, 1, kClassRank), QStringList(4, u"1"_s));
        QCOMPARE(t.summaries[1].participants, u" 4"_s);
        QCOMPARE(t.rows[0].shownId, u"20240101"_s);
        QCOMPARE(t.rows[0].name, u"学生01"_s);
    }

    void comparableClassAddsItsHigherStudents()
    {
        // Class 01 with two comparable students of class 02, each higher in every subject.
        TranscriptInput in{u"202401"_s, {u"语文"_s, u"数学"_s},
                           {student(u"20240101"_s, {80, 70}), student(u"20240102"_s, {60, std::nullopt}),
                            student(u"20240201"_s, {99, 98}), student(u"20240202"_s, {97, 96})}};
        const Transcript t = computeTranscript(in);
        QCOMPARE(t.rows.size(), 2);   // only the clicked class's students are rows
        QCOMPARE(column(t, 0, kClassRank), (QStringList{u"1"_s, u"2"_s}));
        QCOMPARE(column(t, 0, kGradeRank), (QStringList{u"3"_s, u"4"_s}));
        QCOMPARE(column(t, 1, kGradeRank), (QStringList{u"3"_s, u""_s}));
        QCOMPARE(column(t, kTotal, kGradeRank), (QStringList{u"3"_s, u"4"_s}));
        // The summaries are the clicked class's alone.
        QCOMPARE(t.summaries[0].participants, u"2"_s);
        QCOMPARE(t.summaries[0].average, u"70.00"_s);
    }

    void comparableTotalLeavesOutSubjectsTheRowLacks()
    {
        // The row's student has 80 + 50 = 130; the other has only 语文 100 and 数学 none:
        // his sum over the row's subjects is 100, not higher.
        TranscriptInput in{u"202401"_s, {u"语文"_s, u"数学"_s},
                           {student(u"20240101"_s, {80, 50}), student(u"20240201"_s, {100, std::nullopt})}};
        const Transcript t = computeTranscript(in);
        QCOMPARE(column(t, 0, kGradeRank), QStringList{u"2"_s});
        QCOMPARE(column(t, 1, kGradeRank), QStringList{u"1"_s});
        QCOMPARE(column(t, kTotal, kGradeRank), QStringList{u"1"_s});

        // Lacking 语文 himself, the row is compared on 数学 alone: 90 > 50.
        in.students = {student(u"20240101"_s, {std::nullopt, 50}), student(u"20240201"_s, {100, 90})};
        QCOMPARE(column(computeTranscript(in), kTotal, kGradeRank), QStringList{u"2"_s});
    }

    void gradeGroupRanksByClass()
    {
        TranscriptInput in{u"2024"_s, {u"语文"_s},
                           {student(u"20240101"_s, {70}), student(u"20240102"_s, {90}),
                            student(u"20240201"_s, {80}), student(u"20240202"_s, {60})}};
        const Transcript t = computeTranscript(in);
        QCOMPARE(t.rows.size(), 4);
        QCOMPARE(column(t, 0, kClassRank), (QStringList{u"2"_s, u"1"_s, u"1"_s, u"2"_s}));
        QCOMPARE(column(t, 0, kGradeRank), (QStringList{u"3"_s, u"1"_s, u"2"_s, u"4"_s}));
    }

    void summariesAndStandardScores()
    {
        TranscriptInput in{u"202401"_s, {u"语文"_s, u"数学"_s, u"英语"_s},
                           {student(u"20240101"_s, {85.3f, 90.3f, 60}), student(u"20240102"_s, {std::nullopt, 80, 60})}};
        const Transcript t = computeTranscript(in);
        QCOMPARE(t.rows[0].total, u"235.6"_s);
        QCOMPARE(t.rows[0].subjects[0].score, u"85.3"_s);
        // One participant: his score as the average, a deviation of "0.00" and z "0.00".
        QCOMPARE(t.summaries[0].average, u"85.30"_s);
        QCOMPARE(t.summaries[0].participants, u"1"_s);
        QCOMPARE(t.summaries[0].stdDev, u"0.00"_s);
        QCOMPARE(t.rows[0].subjects[0].standard, u"0.00"_s);
        // Equal scores: no spread, z "0.00".
        QCOMPARE(t.summaries[2].stdDev, u"0.00"_s);
        QCOMPARE(column(t, 2, kStandard), (QStringList{u"0.00"_s, u"0.00"_s}));
        // 90.3 and 80: average 85.15, deviation 5.15, z ±1.00.
        QCOMPARE(t.summaries[1].average, u"85.15"_s);
        QCOMPARE(t.summaries[1].stdDev, u"5.15"_s);
        QCOMPARE(column(t, 1, kStandard), (QStringList{u"1.00"_s, u"-1.00"_s}));
        // No score: empty cells.
        QCOMPARE(t.rows[1].subjects[0].score, QString());
        QCOMPARE(t.rows[1].subjects[0].classRank, QString());
    }

    void participantsOfEvenSubjectsTakeABlank()
    {
        TranscriptInput in{u"202401"_s, {u"语文"_s, u"数学"_s, u"英语"_s}, {}};
        for (int i = 1; i <= 45; ++i)
            in.students << student(u"202401"_s + QString::number(i).rightJustified(2, u'0'), {float(i), float(i), float(i)});
        const Transcript t = computeTranscript(in);
        QCOMPARE(t.summaries[0].participants, u"45"_s);
        QCOMPARE(t.summaries[1].participants, u" 45"_s);
        QCOMPARE(t.summaries[2].participants, u"45"_s);
    }

    void zerosAreScores()
    {
        // Only zeros: a total of 0, ranked; no score at all: no total.
        TranscriptInput in{u"202401"_s, {u"语文"_s, u"数学"_s},
                           {student(u"20240101"_s, {0, 0}), student(u"20240102"_s, {std::nullopt, std::nullopt}),
                            student(u"20240103"_s, {50, 40}), student(u"20240201"_s, {0, 1})}};
        const Transcript t = computeTranscript(in);
        QCOMPARE(column(t, kTotal, kScore), (QStringList{u"0"_s, u""_s, u"90"_s}));
        QCOMPARE(column(t, kTotal, kClassRank), (QStringList{u"2"_s, u""_s, u"1"_s}));
        // The comparable student's 1 is above the 0.
        QCOMPARE(column(t, kTotal, kGradeRank), (QStringList{u"3"_s, u""_s, u"1"_s}));
        QCOMPARE(column(t, 0, kClassRank), (QStringList{u"2"_s, u""_s, u"1"_s}));
        // A subject nobody took has empty summaries.
        in.students = {student(u"20240101"_s, {std::nullopt, 5})};
        const Transcript none = computeTranscript(in);
        QCOMPARE(none.summaries[0].average, QString());
        QCOMPARE(none.summaries[0].participants, QString());
        QCOMPARE(none.summaries[0].stdDev, QString());
    }

    void equalTotalsTie()
    {
        // 151.7 three ways, in the clicked class and in a comparable one: one rank.
        TranscriptInput in{u"202401"_s, {u"语文"_s, u"数学"_s},
                           {student(u"20240101"_s, {100.5f, 51.2f}), student(u"20240102"_s, {99.3f, 52.4f}),
                            student(u"20240201"_s, {99.3f, 52.4f}), student(u"20240202"_s, {52.4f, 99.3f})}};
        const Transcript t = computeTranscript(in);
        QCOMPARE(column(t, kTotal, kScore), (QStringList{u"151.7"_s, u"151.7"_s}));
        QCOMPARE(column(t, kTotal, kClassRank), (QStringList{u"1"_s, u"1"_s}));
        QCOMPARE(column(t, kTotal, kGradeRank), (QStringList{u"1"_s, u"1"_s}));
    }

    void progressFollowsThePasses_data()
    {
        QTest::addColumn<QString>("classCode");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QList<int>>("last");   // bar1, bar1Max, bar2
        const QStringList ranks{u"正在读取各科分数……"_s, u"正在统计(总分)的班内名次……"_s,
                                u"正在统计(语文)的班内名次……"_s, u"正在统计(数学)的班内名次……"_s};
        // A class: 2 rows of 3 fetched students; the grade pass counts all 3 again.
        QTest::newRow("class") << u"202401"_s << (ranks + QStringList{u"正计算各科年级组总名次……"_s})
                               << QList<int>{3, 4, 8};
        // A grade group: 3 rows, the last at grid row 4 of 8; no grade pass.
        QTest::newRow("grade group") << u"2024"_s << ranks << QList<int>{4, 8, 8};
    }

    void progressFollowsThePasses()
    {
        QFETCH(QString, classCode);
        QFETCH(QStringList, captions);
        QFETCH(QList<int>, last);
        TranscriptInput in{classCode, {u"语文"_s, u"数学"_s},
                           {student(u"20240101"_s, {80, 70}), student(u"20240102"_s, {60, std::nullopt}),
                            student(u"20240201"_s, {99, 98})}};
        QList<TranscriptProgress> steps;
        computeTranscript(in, [&](const TranscriptProgress &p) { steps << p; });
        QStringList shown;
        int bar2 = 0;
        for (const TranscriptProgress &p : steps) {
            if (shown.isEmpty() || shown.last() != p.caption) {
                shown << p.caption;
                // Each value column's ranking starts one step of Bar2 further.
                if (shown.size() >= 2 && shown.size() <= 4)
                    QCOMPARE(p.bar2, 4 + shown.size() - 2);
            }
            QVERIFY(p.bar2 >= bar2);
            bar2 = p.bar2;
            QVERIFY(p.bar1 <= p.bar1Max);
            QCOMPARE(p.bar2Max, 8);
        }
        QCOMPARE(shown, captions);
        // Reading counts every fetched student.
        QVERIFY(std::any_of(steps.cbegin(), steps.cend(),
                            [](const TranscriptProgress &p) { return p.bar1 == 3 && p.bar1Max == 4; }));
        QCOMPARE((QList<int>{steps.last().bar1, steps.last().bar1Max, steps.last().bar2}), last);
    }

    // The rows read: the class and the comparable classes asked for, in 学籍号 order,
    // none of a class between them that is not asked for, nor of a number that only
    // begins like a class.
    void transcriptRows_data()
    {
        QTest::addColumn<QString>("classCode");
        QTest::addColumn<QStringList>("comparable");
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("a class and one comparable class beyond another")
            << u"202401"_s << QStringList{u"202403"_s} << QStringList{u"20240101"_s, u"20240102"_s, u"20240301"_s};
        QTest::newRow("the comparable class below the class")
            << u"202403"_s << QStringList{u"202401"_s} << QStringList{u"20240101"_s, u"20240102"_s, u"20240301"_s};
        QTest::newRow("a class alone") << u"202402"_s << QStringList{} << QStringList{u"20240201"_s};
        QTest::newRow("a grade group: its ticked classes")
            << u"2024"_s << QStringList{u"202402"_s, u"202404"_s, u"202402"_s}
            << QStringList{u"20240201"_s, u"20240499"_s};
        QTest::newRow("invalid comparable codes are left out")
            << u"202404"_s << QStringList{u""_s, u"2024x1"_s} << QStringList{u"20240499"_s};
    }
    void transcriptRows()
    {
        QFETCH(QString, classCode);
        QFETCH(QStringList, comparable);
        test::TestSchool school;
        QVERIFY(school.isValid());
        QVERIFY(school.addExamColumn(u"初中"_s, u"Z25S语文250915"_s));
        for (const QString &number : {u"20240301"_s, u"20240102"_s, u"20240101"_s, u"20240201"_s, u"20240"_s,
                                      u"20240499"_s, u"20250101"_s, u"20230101"_s})
            QVERIFY(school.addStudent(u"初中"_s, number, u"学生"_s, {{u"Z25S语文250915"_s, 80}}) > 0);
        db::Connection &c = school.db();
        const auto q = transcriptQuery(u"初中"_s, classCode, comparable, {u"Z25S语文250915"_s});
        QVERIFY(q.isValid());
        QSqlQuery rows = c.query(q.sql, q.params);
        QVERIFY(rows.isActive());
        QStringList numbers;
        while (rows.next()) {
            numbers << rows.value(0).toString();
            QCOMPARE(rows.value(2).toDouble(), 80.0);
        }
        QTEST(numbers, "numbers");
    }

    void queries()
    {
        const auto q = transcriptQuery(u"初中"_s, u"202401"_s, {u"202402"_s}, {u"Z25S语文250915"_s});
        QVERIFY(q.isValid());
        QVERIFY(q.sql.contains(u"\"Z25S语文250915\""_s));
        // A grade group's own code asks for no class; nothing at all is no query.
        QCOMPARE(transcriptQuery(u"初中"_s, u"2024"_s, {u"202401"_s}, {}).params.size(), 2);
        QVERIFY(!transcriptQuery(u"初中"_s, u"2024"_s, {}, {}).isValid());
        QVERIFY(!transcriptQuery(u"初中"_s, u"202401"_s, {}, {u"a\"b"_s}).isValid());
        QVERIFY(!transcriptQuery(u"学生"_s, u"202401"_s, {}, {}).isValid());
        QCOMPARE(cohortStudentsQuery(u"小学"_s, u"2024"_s).params, (QVariantList{u"2024"_s, u"2025"_s}));
        QVERIFY(!cohortStudentsQuery(u"小学"_s, u"20x4"_s).isValid());
    }

    // Options.

    void zoomChain()
    {
        int width = 530;
        QString scale = u"1"_s;
        const QList<QPair<Zoom, int>> chain{
            {Zoom::Smaller, 424}, {Zoom::Larger, 636}, {Zoom::Normal, 530}, {Zoom::Normal, 530}};
        for (const auto &[zoom, expected] : chain) {
            const ZoomStep step = zoomStep(scale, zoom);
            width = scaledWidth(width, step.factor);
            scale = step.scale;
            QCOMPARE(width, expected);
        }
        // 445 from 缩小 to 放大: 667.5 goes to the even 668.
        QCOMPARE(scaledWidth(445, zoomStep(u"0.8"_s, Zoom::Larger).factor), 668);
        QCOMPARE(scaledWidth(0, 1.25), 0);
    }

    void columnBoxes()
    {
        QCOMPARE(columnsOfBox(3, 3).columns, (QList<int>{7, 11, 15}));
        QCOMPARE(columnsOfBox(3, 3).width, 530);
        QCOMPARE(columnsOfBox(1, 2).columns, (QList<int>{9, 13}));
        QCOMPARE(columnsOfBox(0, 2).columns, QList<int>{2});
        QCOMPARE(columnsOfBox(0, 2).width, 600);
    }

    void topCounts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");   // 0: refused
        QTest::newRow("plain") << u"10"_s << 10;
        QTest::newRow("blanks") << u" 3 "_s << 3;
        QTest::newRow("letters") << u"十"_s << 0;
        QTest::newRow("decimal") << u"2.5"_s << 0;
        QTest::newRow("zero") << u"0"_s << 0;
        QTest::newRow("negative") << u"-4"_s << 0;
        QTest::newRow("beyond 16 bits") << u"40000"_s << 0;
    }
    void topCounts()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QCOMPARE(topCount(text).value_or(0), count);
    }

    void topCountKeepsTies()
    {
        QVERIFY(keptByTopCount(u"10"_s, 10));
        QVERIFY(!keptByTopCount(u"11"_s, 10));
        QVERIFY(!keptByTopCount(u" "_s, 10));
        QCOMPARE(sortKeyOf(u"5"_s, false), u"5"_s);
        QCOMPARE(sortKeyOf(QString(), false), kEmptySortKey);
        QCOMPARE(sortKeyOf(u"5"_s, true), kSummarySortKey);
    }
};

QTEST_MAIN(TranscriptTest)
#include "tst_transcript.moc"
