// 班主任分工 and 任课教师分工: the report texts against a seeded school, the
// windows that show them, and their hand-off to the print page.
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/database_unavailable.h"
#include "kit/text_box.h"
#include "kit/window_names.h"
#include "organisation/assignment_report.h"
#include "organisation/head_teacher_list_window.h"
#include "organisation/teacher_list_window.h"
#include "shell/print_page.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::organisation;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

// Grade groups out of their list order, a grade group without classes, names
// of 6, 8 and 10 bytes, a class without actual name, one without head teacher,
// classes with 1, 2, 3 and no assignments, an assignment without teacher.
void seed(TestSchool &s)
{
    s.addGradeGroup(u"初二年级组"_s);
    s.addGradeGroup(u"初一年级组"_s);
    s.addGradeGroup(u"高一年级组"_s);
    s.addClass(u"初二年级组"_s, u"十一班"_s, u"李四"_s);
    s.addClass(u"初一年级组"_s, u"一班"_s, u"王老师"_s, u"1"_s, u"实验班"_s);
    s.addClass(u"初一年级组"_s, u"二班"_s, u"欧阳春秋"_s);
    s.addClass(u"初一年级组"_s, u"三班"_s, QString(), QString(), u"火箭班"_s);
    s.addClass(u"初一年级组"_s, u"四班"_s, u"欧阳春秋子"_s);
    s.addTeaching(u"初二年级组"_s, u"十一班"_s, u"物理"_s, u"李四"_s);
    s.addTeaching(u"初一年级组"_s, u"一班"_s, u"语文"_s, u"张三"_s);
    s.addTeaching(u"初一年级组"_s, u"一班"_s, u"数学"_s, u"李四"_s);
    s.addTeaching(u"初一年级组"_s, u"一班"_s, u"英语"_s, u"Tom"_s);
    s.addTeaching(u"初一年级组"_s, u"二班"_s, u"化学"_s, u"王五"_s);
    s.addTeaching(u"初一年级组"_s, u"二班"_s, u"体育"_s, QString());
    // A class name of another grade group lists nothing here.
    s.addTeaching(u"初二年级组"_s, u"一班"_s, u"历史"_s, u"赵六"_s);
}

const QString kHeadTeacherReport =
    u"　　　　　　　各年级组班主任分工表\r\n"
    u"初二年级组:\r\n"
    u"　　十一班  　　李四    \r\n"
    u"初一年级组:\r\n"
    u"　　一班    　　实验班  　　王老师  \r\n"
    u"　　二班    　　欧阳春秋\r\n"
    u"　　三班    　　火箭班  无班主任信息\r\n"
    u"　　四班    　　欧阳春秋子\r\n"
    u"高一年级组:\r\n"_s;

const QString kTeacherReport =
    u"　　　　　各年级组各班任课教师分工表\r\n"
    u"\r\n"
    u"初二年级组(十一班):\r\n"
    u"　　李四     物理     "
    u"\r\n"
    u"初一年级组(一班):\r\n"
    u"　　张三     语文     　　李四     数学     \r\n"
    u"　　Tom      英语     "
    u"\r\n"
    u"初一年级组(二班):\r\n"
    u"　　王五     化学      体育     \r\n"
    u"\r\n"
    u"初一年级组(三班):\r\n"
    u"　　无教师信息"
    u"\r\n"
    u"初一年级组(四班):\r\n"
    u"　　无教师信息"_s;

} // namespace

class TestAssignmentReport : public QObject {
    Q_OBJECT

private slots:
    void reportTexts()
    {
        TestSchool school;
        seed(school);
        const AssignmentReport head = BuildHeadTeacherReport(school.db());
        QVERIFY(head.ok());
        QCOMPARE(head.text, kHeadTeacherReport);
        const AssignmentReport teachers = BuildTeacherReport(school.db());
        QVERIFY(teachers.ok());
        QCOMPARE(teachers.text, kTeacherReport);
    }

    void withoutGradeGroupsOnlyTheNotice()
    {
        TestSchool school;
        // Classes and assignments without their grade-group row do not count.
        school.addClass(u"初一年级组"_s, u"一班"_s, u"王老师"_s);
        school.addTeaching(u"初一年级组"_s, u"一班"_s, u"语文"_s, u"张三"_s);
        QCOMPARE(BuildHeadTeacherReport(school.db()).text, u"目前教导处还没有设置年级组,无法显示班主任分工。"_s);
        QCOMPARE(BuildTeacherReport(school.db()).text, u"目前教导处还没有设置年级组,无法显示任课教师分工。"_s);
    }

    void windowsShowTheirReports_data()
    {
        QTest::addColumn<QString>("menuItem");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("handedOver");
        QTest::newRow("班主任分工") << u"fengong"_s << u"班主任分工"_s << u" 班 主 任 分 工 表"_s
                                << kHeadTeacherReport << u"       "_s + kHeadTeacherReport;
        QTest::newRow("任课教师分工") << u"rengkejiaoshifengong"_s << u"任课教师分工"_s << u"任课教师分工表"_s
                                  << kTeacherReport << kTeacherReport;
    }
    void windowsShowTheirReports()
    {
        QFETCH(QString, menuItem);
        QFETCH(QString, caption);
        QFETCH(QString, heading);
        QFETCH(QString, report);
        QFETCH(QString, handedOver);
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.realSize = true});
        h.trigger(menuItem);
        auto *w = h.openWindow<AssignmentReportWindow>(caption);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(w->headingLabel->text(), heading);
        QCOMPARE(w->printButton->text(), u"打印(&P)"_s);
        QCOMPARE(w->closeButton->text(), u"关闭(&C)"_s);
        QCOMPARE(boxText(w->reportBox), report);
        QVERIFY(h.responder.shown().isEmpty());
        saveShot(h.main.grab().toImage(), caption);

        QTest::mouseClick(w->printButton, Qt::LeftButton);
        auto *page = h.openWindow<PrintPage>(kPrintPage);
        QVERIFY(page);
        QCOMPARE(page->wenben, handedOver);
        QCOMPARE(boxText(page->documentBox), handedOver);

        // What the box holds now is what goes over; the open page takes it.
        w->reportBox->appendPlainText(u"补充一行"_s);
        QTest::mouseClick(w->printButton, Qt::LeftButton);
        QCOMPARE(h.openWindow<PrintPage>(kPrintPage), page);
        QCOMPARE(page->wenben, handedOver + u"\r\n补充一行"_s);

        QTest::mouseClick(w->closeButton, Qt::LeftButton);
        QTRY_VERIFY(!h.isOpen(caption));
        QVERIFY(h.isOpen(kPrintPage));
    }

    void aDatabaseThatCannotBeOpenedIsReported()
    {
        TestSchool school;
        WindowHarness h(school);
        h.session().openpath = school.file(u"missing.mdb"_s);
        int quits = 0;
        h.main.setQuitHandler([&] { ++quits; });
        h.responder.answer(true);   // go on: the download window opens
        h.trigger(u"fengong"_s);
        auto *w = h.openWindow<HeadTeacherListWindow>(kHeadTeacherListWindow);
        QVERIFY(w);
        QCOMPARE(h.responder.texts(), QStringList{databaseUnavailableText(false)});
        QCOMPARE(quits, 0);
        QCOMPARE(boxText(w->reportBox), QString());
    }
};

QTEST_MAIN(TestAssignmentReport)
#include "tst_assignment_report.moc"
