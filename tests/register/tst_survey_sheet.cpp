// 打印学籍调查表: the survey grid of a chosen class, what the choice does to the
// session, and the register sheet read back from its file.
#include "fixtures/export_files.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "workbook/export_workbook.h"
#include "widgets/flex_grid.h"
#include "workbook/import_workbook.h"
#include "register/sheet_values.h"
#include "register/survey_sheet.h"
#include "register/survey_sheet_window.h"

#include <QComboBox>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QDate kToday(2025, 10, 15);   // 初一 is the cohort of 2025: 三班 is 202503

// 初一年级组 三班 with 45 students: seat 01 boards, seat 02's 籍贯 is NULL,
// seat 03's telephone has a leading zero; the rest alike.
void seed(TestSchool &s)
{
    s.addGradeGroup(u"初一年级组"_s);
    s.addGradeGroup(u"初二年级组"_s);   // no classes
    s.addClass(u"初一年级组"_s, u"三班"_s, u"王老师"_s, u"123"_s, u"实验班"_s);
    s.addClass(u"初一年级组"_s, u"四班"_s, u"李老师"_s, u"456"_s);
    for (int seat = 45; seat >= 1; --seat) {
        QVariantMap other{{u"性别"_s, seat % 2 ? u"男"_s : u"女"_s}, {u"民族"_s, u"汉"_s},
                          {u"出生日期"_s, u"2012-05-0%1"_s.arg(seat % 9 + 1)}, {u"籍贯"_s, u"山东"_s},
                          {u"联系电话"_s, u"1386810%1"_s.arg(seat, 4, 10, QChar(u'0'))},
                          {u"住宿"_s, false}, {u"家长单位"_s, u"第%1中学"_s.arg(seat)}, {u"备注"_s, u"备%1"_s.arg(seat)}};
        if (seat == 1)
            other[u"住宿"_s] = true;
        if (seat == 2)
            other[u"籍贯"_s] = QVariant();
        if (seat == 3)
            other[u"联系电话"_s] = u"05318888888"_s;
        s.addStudent(u"初中"_s, u"202503%1"_s.arg(seat, 2, 10, QChar(u'0')), u"学生%1"_s.arg(seat), other);
    }
    s.addStudent(u"初中"_s, u"20250401"_s, u"四班学生"_s);
    s.addStudent(u"初中"_s, u"92025030"_s, u"号中有码"_s);
}

} // namespace

class TestSurveySheet : public QObject {
    Q_OBJECT

private slots:
    void numbersOnlyWhenTheyReadBack_data();
    void numbersOnlyWhenTheyReadBack();
    void headers();
    void rowsFromRecords();
    void gridOfTheClass();
    void classChoiceLeavesTheSignInAlone();
    void sheetReadBack();
    void gradeGroupWithoutClasses();
};

void TestSurveySheet::numbersOnlyWhenTheyReadBack_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("number");
    QTest::newRow("whole") << u"85"_s << true;
    QTest::newRow("student number") << u"20250301"_s << true;
    QTest::newRow("15 digits") << u"123456789012345"_s << true;
    QTest::newRow("negative decimal") << u"-3.25"_s << true;
    QTest::newRow("below one") << u"0.5"_s << true;
    QTest::newRow("leading zero") << u"05318888888"_s << false;
    QTest::newRow("seat") << u"01"_s << false;
    QTest::newRow("trailing zero") << u"78.50"_s << false;
    QTest::newRow("16 digits") << u"1234567890123456"_s << false;
    QTest::newRow("plus sign") << u"+5"_s << false;
    QTest::newRow("date") << u"2012-05-02"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void TestSurveySheet::numbersOnlyWhenTheyReadBack()
{
    QFETCH(QString, text);
    QFETCH(bool, number);
    QCOMPARE(reg::keepsAsNumber(text), number);
}

void TestSurveySheet::headers()
{
    QCOMPARE(reg::surveyHeaders(),
             (QStringList{u"编号"_s, u"学 籍 号"_s, u" 姓  名 "_s, u"性别"_s, u"民族"_s, u"政治面貌"_s,
                          u"出 生 日 期"_s, u"户口性质"_s, u"原毕业学校"_s, u"住宿"_s, u"联 系  电 话"_s,
                          u"　　籍　　　贯　　"_s, u"　家　庭　住　址　"_s, u"　  特  长  　"_s, u"家长姓名"_s,
                          u"与生关系"_s, u"　家　长　单　位　"_s, u"　　备      注　　"_s}));
}

void TestSurveySheet::rowsFromRecords()
{
    // ID, 学籍号 … 备注; NULL 住宿 shows 否, other NULLs nothing.
    QVector<QVariant> boarding(18), unknown(18);
    boarding[0] = 7;
    boarding[1] = u"20240512"_s;
    boarding[2] = u"张三"_s;
    boarding[9] = 1;
    boarding[10] = u"05318888888"_s;
    unknown[1] = u"20240513"_s;
    const QList<reg::SurveyRow> rows = reg::surveyRows({boarding, unknown}, u"202405"_s);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0], (QStringList{u"1"_s, u"20240512"_s, u"张三"_s, {}, {}, {}, {}, {}, {}, u"是"_s,
                                   u"05318888888"_s, {}, {}, {}, {}, {}, {}, {}}));
    QCOMPARE(rows[1].size(), 18);
    QCOMPARE(rows[1][0], u"2"_s);
    QCOMPARE(rows[1][2], QString());
    QCOMPARE(rows[1][9], u"否"_s);
}

void TestSurveySheet::gridOfTheClass()
{
    ProgramFontScope font;   // the program's look, for the picture
    TestSchool school;
    seed(school);
    school.closeDb();
    WindowHarness h(school, {.today = kToday});
    auto *w = h.open<SurveySheetWindow>(kSurveySheetWindow);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), u"学籍调查表"_s);
    QCOMPARE(itemTexts(w->gradeGroupCombo), (QStringList{u"初一年级组"_s, u"初二年级组"_s}));
    QCOMPARE(w->surveyGrid->Cols(), 18);
    QCOMPARE(gridRow(w->surveyGrid, 0), reg::surveyHeaders());

    choose(w->gradeGroupCombo, u"初一年级组"_s);
    choose(w->classCombo, u"三班"_s);
    QVERIFY(h.responder.shown().isEmpty());
    QCOMPARE(w->surveyGrid->Rows(), 46);
    QCOMPARE(gridRow(w->surveyGrid, 1),
             (QStringList{u"1"_s, u"20250301"_s, u"学生1"_s, u"男"_s, u"汉"_s, QString(), u"2012-05-02"_s, QString(),
                          QString(), u"是"_s, u"13868100001"_s, u"山东"_s, QString(), QString(), QString(), QString(),
                          u"第1中学"_s, u"备1"_s}));
    QCOMPARE(w->surveyGrid->TextMatrix(2, 9), u"否"_s);
    QCOMPARE(w->surveyGrid->TextMatrix(2, 11), QString());  // NULL 籍贯
    QCOMPARE(w->surveyGrid->TextMatrix(3, 10), u"05318888888"_s);
    QCOMPARE(w->surveyGrid->TextMatrix(45, 0), u"45"_s);
    QCOMPARE(w->surveyGrid->TextMatrix(45, 1), u"20250345"_s);
    QCOMPARE(w->surveyRows().size(), 45);
    saveShot(h.main.grab().toImage(), u"survey_sheet"_s);

    // Another grade group empties the class box and the grid.
    choose(w->gradeGroupCombo, u"初一年级组"_s);
    QCOMPARE(w->classCombo->currentIndex(), -1);
    QCOMPARE(w->surveyGrid->Rows(), 1);
}

void TestSurveySheet::classChoiceLeavesTheSignInAlone()
{
    TestSchool school;
    seed(school);
    school.closeDb();
    WindowHarness h(school, {.signedIn = u"赵老师"_s, .today = kToday});
    auto *w = h.open<SurveySheetWindow>(kSurveySheetWindow);
    choose(w->gradeGroupCombo, u"初一年级组"_s);
    choose(w->classCombo, u"四班"_s);
    QCOMPARE(h.session().denglu, u"赵老师"_s);
    QCOMPARE(gridRows(w->surveyGrid, 0, 2), QStringList{u"1|20250401|四班学生"_s});
}

void TestSurveySheet::sheetReadBack()
{
    TestSchool school;
    seed(school);
    school.closeDb();
    RecordedExports exports;
    WindowHarness h(school, {.today = kToday});
    auto *w = h.open<SurveySheetWindow>(kSurveySheetWindow);
    choose(w->gradeGroupCombo, u"初一年级组"_s);
    choose(w->classCombo, u"三班"_s);
    QTest::mouseClick(w->printButton, Qt::LeftButton);
    QVERIFY(h.responder.shown().isEmpty());
    QCOMPARE(exports.opener.paths().size(), 1);
    const QString path = exports.opener.paths().first();

    QString error;
    const auto book = ImportWorkbook::open(path, &error);
    QVERIFY2(book, qPrintable(error));
    QCOMPARE(book->sheetNames(), (QStringList{u"学籍表三班"_s, u"Sheet1"_s, u"Sheet2"_s, u"Sheet3"_s}));
    QVERIFY(book->selectSheet(u"学籍表三班"_s));
    QCOMPARE(book->usedRows(), 47);
    QCOMPARE(book->usedCols(), 18);
    QCOMPARE(book->cell(1, 1), u"初一年级组三班学生学籍表"_s);
    const QStringList headers = reg::surveyHeaders();
    for (int c = 1; c <= 18; ++c)
        QCOMPARE(book->cell(2, c), headers[c - 1]);
    for (int r = 3; r <= 47; ++r)
        QCOMPARE(book->cell(r, 1), QString::number(r - 2));
    QCOMPARE(book->cell(3, 2), u"20250301"_s);
    QCOMPARE(book->cell(3, 10), u"是"_s);
    QCOMPARE(book->cell(4, 10), u"否"_s);
    QCOMPARE(book->cell(4, 12), QString());     // NULL 籍贯
    QCOMPARE(book->cell(5, 11), u"05318888888"_s);
    QCOMPARE(book->cell(47, 17), u"第45中学"_s);
    QCOMPARE(book->cell(47, 18), u"备45"_s);

    XlsxFile x(path);
    QVERIFY(x.isOpen());
    QCOMPARE(x.orientation(0), u"landscape"_s);
    QCOMPARE(x.mergeRefs(0), QStringList{u"A1:R1"_s});
    QCOMPARE(x.defaultRowHeight(0), 11.0);
    QCOMPARE(x.row(0, 1).attribute("ht").as_double(), neededRowHeight(14));
    QCOMPARE(x.row(0, 3).attribute("ht").as_double(), neededRowHeight(10));
    verifyPrintedTable(x, 0, 2, 47, 18, 1);
    QVERIFY(!QTest::currentTestFailed());
    const double widths[] = {3, 7, 6, 3, 3, 6, 9, 6, 10, 3, 10, 13, 13, 6, 6, 6, 13, 10};
    for (int c = 1; c <= 18; ++c) {
        const double got = x.column(0, c).attribute("width").as_double();
        QVERIFY2(got >= widths[c - 1] && got < widths[c - 1] + 1, qPrintable(QString::number(c)));
    }
    // 编号 is a count; student and phone numbers are codes, written as texts.
    QVERIFY(x.isNumber(0, u"A3"_s));
    for (const QString &ref : {u"B3"_s, u"K3"_s, u"K5"_s, u"B47"_s, u"K47"_s})
        QVERIFY2(!x.isNumber(0, ref), qPrintable(ref));
    QCOMPARE(x.style(0, u"A1"_s).fontSize, 14.0);
    QVERIFY(x.style(0, u"A1"_s).bold);
    QCOMPARE(x.style(0, u"A1"_s).horizontal, u"center"_s);
    QCOMPARE(x.style(0, u"C2"_s).horizontal, u"center"_s);
    QCOMPARE(x.style(0, u"K2"_s).horizontal, u"right"_s);
    QCOMPARE(x.style(0, u"R47"_s).fontSize, 10.0);
    for (const QString &ref : {u"D3"_s, u"E10"_s, u"J4"_s, u"P47"_s})
        QCOMPARE(x.style(0, ref).horizontal, u"center"_s);
    QCOMPARE(x.style(0, u"C3"_s).horizontal, QString());
}

void TestSurveySheet::gradeGroupWithoutClasses()
{
    TestSchool school;
    seed(school);
    school.closeDb();
    RecordedExports exports;
    WindowHarness h(school, {.today = kToday});
    auto *w = h.open<SurveySheetWindow>(kSurveySheetWindow);
    choose(w->gradeGroupCombo, u"初一年级组"_s);
    choose(w->classCombo, u"三班"_s);
    choose(w->gradeGroupCombo, u"初二年级组"_s);
    QCOMPARE(h.responder.texts(), QStringList{u"目前教导处在本年级组内无任何班级设置。"_s});
    QCOMPARE(w->classCombo->count(), 0);
    QCOMPARE(w->surveyGrid->Rows(), 1);

    QTest::mouseClick(w->printButton, Qt::LeftButton);
    QCOMPARE(exports.opener.paths().size(), 1);
    QString error;
    const auto book = ImportWorkbook::open(exports.opener.paths().first(), &error);
    QVERIFY2(book, qPrintable(error));
    QCOMPARE(book->sheetNames().first(), u"学籍表"_s);
    QVERIFY(book->selectSheet(0));
    QCOMPARE(book->usedRows(), 2);
    QCOMPARE(book->cell(1, 1), u"初二年级组学生学籍表"_s);
}

QTEST_MAIN(TestSurveySheet)
#include "tst_survey_sheet.moc"
