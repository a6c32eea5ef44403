// 打印考号: the page as whole texts for the four layouts, the name padding on
// GBK widths, and the modal window handing the page to the print page.
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "register/exam_number_page.h"
#include "register/exam_number_window.h"
#include "shell/print_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QDate kToday(2025, 10, 15);   // 初一 is the cohort of 2025: 三班 is 202503
const QString kTitle12 = QString(24, u' ') + u"初一年级三班考试编号 (共12人)\r\n\r\n"_s;

// Students 学生A … of 三班, seats 01 … n.
QList<reg::ExamNumberStudent> students(int n)
{
    QList<reg::ExamNumberStudent> out;
    for (int i = 0; i < n; ++i)
        out.append({u"学生"_s + QChar(u'A' + i), u"202503%1"_s.arg(i + 1, 2, 10, QChar(u'0'))});
    return out;
}

QString title(int n)
{
    return QString(24, u' ') + u"初一年级三班考试编号 (共%1人)\r\n\r\n"_s.arg(n);
}

void seed(TestSchool &s, int n)
{
    s.addGradeGroup(u"初一年级组"_s);
    s.addGradeGroup(u"初二年级组"_s);
    s.addClass(u"初一年级组"_s, u"三班"_s, u"王老师"_s);
    s.addClass(u"初一年级组"_s, u"四班"_s);
    s.addClass(u"初二年级组"_s, u"一班"_s);
    for (const reg::ExamNumberStudent &st : students(n))
        s.addStudent(u"初中"_s, st.studentNumber, st.name);
    s.addStudent(u"初中"_s, u"92025030"_s, u"号中有码"_s);
}

} // namespace

class TestExamNumber : public QObject {
    Q_OBJECT

private slots:
    void namePadding_data();
    void namePadding();
    void page_data();
    void page();
    void nullNameIsEmpty();
    void windowHandsPageOver();
    void okWithoutClassDoesNothing();
    void menuShowsItModal();
};

void TestExamNumber::namePadding_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("entry");
    QTest::newRow("four full-width: no blank") << u"欧阳春秋"_s << u"欧阳春秋"_s;
    QTest::newRow("one full-width: 6 blanks") << u"王"_s << u"王      "_s;
    QTest::newRow("three half-width: 5 blanks") << u"Tom"_s << u"Tom     "_s;
    QTest::newRow("two full-width: 4 blanks") << u"张三"_s << u"张三    "_s;
    QTest::newRow("empty: 8 blanks") << QString() << QString(8, u' ');
    QTest::newRow("wider than 8 bytes: one blank") << u"欧阳春秋子"_s << u"欧阳春秋子 "_s;
    QTest::newRow("9 bytes mixed: one blank") << u"欧阳春秋A"_s << u"欧阳春秋A "_s;
}

void TestExamNumber::namePadding()
{
    QFETCH(QString, name);
    QFETCH(QString, entry);
    QCOMPARE(reg::examNumberName(name), entry);
}

void TestExamNumber::page_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("withName");
    QTest::addColumn<bool>("lastFour");
    QTest::addColumn<QString>("page");
    const QString note = reg::kExamNumberNote;
    QTest::newRow("name and last four, 12 students: 5, 5, 2")
        << 12 << true << true
        << title(12)
               + u"学生A   0301    学生B   0302    学生C   0303    学生D   0304    学生E   0305\r\n\r\n"_s
               + u"学生F   0306    学生G   0307    学生H   0308    学生I   0309    学生J   0310\r\n\r\n"_s
               + u"学生K   0311    学生L   0312    "_s + u"\r\n\r\n"_s + note;
    QTest::newRow("last four alone, exactly 10")
        << 10 << false << true
        << title(10) + u"0301    0302    0303    0304    0305    0306    0307    0308    0309    0310\r\n\r\n"_s
               + u"\r\n\r\n"_s + note;
    QTest::newRow("whole numbers alone, 7 a line")
        << 8 << false << false
        << title(8) + u"20250301   20250302   20250303   20250304   20250305   20250306   20250307\r\n\r\n"_s
               + u"20250308   "_s + u"\r\n\r\n"_s + note;
    QTest::newRow("name and whole number, 4 a line")
        << 5 << true << false
        << title(5) + u"学生A   20250301    学生B   20250302    学生C   20250303    学生D   20250304\r\n\r\n"_s
               + u"学生E   20250305    "_s + u"\r\n\r\n"_s + note;
}

void TestExamNumber::page()
{
    QFETCH(int, count);
    QFETCH(bool, withName);
    QFETCH(bool, lastFour);
    QFETCH(QString, page);
    QCOMPARE(reg::examNumberPage(u"初一年级组"_s, u"三班"_s, u"202503"_s, students(count), {withName, lastFour}),
             page);
}

void TestExamNumber::nullNameIsEmpty()
{
    const QList<reg::ExamNumberStudent> s =
        reg::examNumberStudents({{QVariant(), u"20250301"_s}, {u"张三"_s, QVariant()}});
    QCOMPARE(s.size(), 2);
    QCOMPARE(s[0].name, QString());
    QCOMPARE(s[1].studentNumber, QString());
    QVERIFY(reg::examNumberPage(u"一年级组"_s, u"一班"_s, u"202501"_s, s, {true, true})
                .startsWith(QString(24, u' ') + u"一年级组一班考试编号 (共2人)\r\n\r\n"_s + QString(8, u' ')
                            + u"0301    张三    "_s));
}

void TestExamNumber::windowHandsPageOver()
{
    ProgramFontScope font;   // the program's look, for the picture
    TestSchool school;
    seed(school, 12);
    school.closeDb();
    WindowHarness h(school, {.today = kToday});
    auto *w = h.open<ExamNumberWindow>(kExamNumberWindow);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), u"打印考号"_s);
    QVERIFY(w->printNameCheck->isChecked());
    QVERIFY(w->lastFourCheck->isChecked());
    QCOMPARE(w->buttons.size(), 2);
    QCOMPARE(w->buttons[0]->text(), u"确定"_s);
    QCOMPARE(w->buttons[1]->text(), u"取消"_s);
    // Over the main window, not at the screen's corner.
    QVERIFY(h.main.frameGeometry().contains(w->frameGeometry().center()));

    choose(w->gradeGroupCombo, u"初一年级组"_s);
    choose(w->classCombo, u"三班"_s);
    QCOMPARE(w->students().size(), 12);
    saveShot(w->grab().toImage(), u"exam_number"_s);
    QTest::mouseClick(w->buttons[0], Qt::LeftButton);
    QTRY_VERIFY(!h.isOpen(kExamNumberWindow));
    auto *page = h.openWindow<PrintPage>(kPrintPage);
    QVERIFY(page);
    QCOMPARE(page->wenben, reg::examNumberPage(u"初一年级组"_s, u"三班"_s, u"202503"_s, students(12), {true, true}));
    QVERIFY(page->wenben.startsWith(kTitle12 + u"学生A   0301    "_s));
    QVERIFY(h.responder.shown().isEmpty());

    // Cleared boxes choose the layout: 7 whole numbers a line.
    w = h.open<ExamNumberWindow>(kExamNumberWindow);
    choose(w->gradeGroupCombo, u"初一年级组"_s);
    choose(w->classCombo, u"三班"_s);
    w->printNameCheck->setChecked(false);
    w->lastFourCheck->setChecked(false);
    QTest::mouseClick(w->buttons[0], Qt::LeftButton);
    QTRY_VERIFY(!h.isOpen(kExamNumberWindow));
    QVERIFY(h.openWindow<PrintPage>(kPrintPage)->wenben.contains(
        u"20250301   20250302   20250303   20250304   20250305   20250306   20250307\r\n\r\n20250308   "_s));
}

void TestExamNumber::okWithoutClassDoesNothing()
{
    TestSchool school;
    seed(school, 3);
    school.closeDb();
    WindowHarness h(school, {.today = kToday});
    auto *w = h.open<ExamNumberWindow>(kExamNumberWindow);
    auto pressOk = [&] {
        QTest::mouseClick(w->buttons[0], Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(h.isOpen(kExamNumberWindow));
        QVERIFY(!h.isOpen(kPrintPage));
    };
    pressOk();                                   // nothing chosen
    choose(w->gradeGroupCombo, u"初一年级组"_s);
    pressOk();                                   // a grade group, no class
    choose(w->classCombo, u"四班"_s);
    pressOk();                                   // a class without students
    choose(w->classCombo, u"三班"_s);
    choose(w->gradeGroupCombo, u"初二年级组"_s);
    QVERIFY(!w->hasChosenClass());
    pressOk();                                   // the class went with the grade group
    QVERIFY(h.responder.shown().isEmpty());

    QTest::mouseClick(w->buttons[1], Qt::LeftButton);
    QTRY_VERIFY(!h.isOpen(kExamNumberWindow));
    QVERIFY(!h.isOpen(kPrintPage));
}

void TestExamNumber::menuShowsItModal()
{
    TestSchool school;
    seed(school, 3);
    school.closeDb();
    WindowHarness h(school, {.today = kToday});
    bool wasModal = false;
    whenModal([&](QWidget *modal) {
        auto *w = qobject_cast<ExamNumberWindow *>(modal);
        wasModal = w != nullptr;
        if (!w)
            return;
        choose(w->gradeGroupCombo, u"初一年级组"_s);
        choose(w->classCombo, u"三班"_s);
        QTest::mouseClick(w->buttons[0], Qt::LeftButton);
    });
    h.trigger(u"DYKH"_s);
    QVERIFY(wasModal);
    QTRY_VERIFY(!h.isOpen(kExamNumberWindow));
    auto *page = h.openWindow<PrintPage>(kPrintPage);
    QVERIFY(page);
    QVERIFY(page->wenben.startsWith(QString(24, u' ') + u"初一年级三班考试编号 (共3人)"_s));
}

QTEST_MAIN(TestExamNumber)
#include "tst_exam_number.moc"
