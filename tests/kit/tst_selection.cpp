// The organisation routines: the administrator account, the grade-group and
// class combos, and the data-control steps.
#include "fixtures/test_school.h"
#include "kit/class_tree.h"
#include "kit/selection.h"
#include "kit/subject_selection.h"
#include "kit/window_steps.h"
#include "widgets/data_control.h"
#include "widgets/messages.h"
#include "kit/session.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

using namespace tessaly;
using tessaly::test::TestSchool;

class TestSelection : public QObject {
    Q_OBJECT

private slots:
    void adminAccountFound();
    void adminAccountMissing();

    void gradeGroups_data();
    void gradeGroups();
    void gradeGroupsKeepTableOrder();

    void classCombo_data();
    void classCombo();
    void classComboNoClass();
    void classComboTrimsAndBindsGradeGroup();
    void classComboNullColumnsAndDuplicates();
    void dropDownsShowTwentyItems();

    void positionTexts_data();
    void positionTexts();
    void repositionCaption();
    void dataErrorReported();
    void readFailureReported_data();
    void readFailureReported();
    void centreOnMainWindow();
};

void TestSelection::adminAccountFound()
{
    TestSchool school;
    QVERIFY(school.setAdminPassword(QStringLiteral("abc")));
    Account a{QStringLiteral("王老师"), QStringLiteral("999"), QStringLiteral("7")};
    db::Connection data(school.dbPath());
    ScriptedResponder responder;
    QVERIFY(LoadAdminAccount(data, a, nullptr) == AdminAccount::Found);
    QCOMPARE(a.name, QStringLiteral("管理员"));
    QCOMPARE(a.password, QStringLiteral("abc"));
    QCOMPARE(a.id, QString());
    QVERIFY(responder.shown().isEmpty());
}

void TestSelection::adminAccountMissing()
{
    TestSchool school;
    QVERIFY(school.removeAdmin());
    Account a{QStringLiteral("王老师"), QStringLiteral("999"), QStringLiteral("7")};   // an earlier candidate
    db::Connection data(school.dbPath());
    ScriptedResponder responder;
    QVERIFY(LoadAdminAccount(data, a, nullptr) == AdminAccount::Missing);
    QCOMPARE(responder.texts(),
             QStringList{QStringLiteral("管理员数据丢失,请确认服务器连接路径是否正确?否则无法登陆。")});
    QCOMPARE(responder.last().title, kProgramTitle);
    QCOMPARE(a.name, QStringLiteral("管理员"));
    QCOMPARE(a.password, QString());
}

void TestSelection::gradeGroups_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("message");
    QTest::newRow("common") << int(GradeGroupVariant::Common)
                            << QStringLiteral("目前教导处还没进行年级组设置。");
    QTest::newRow("class setup") << int(GradeGroupVariant::ClassSetup)
                                 << QStringLiteral("目前还不能加入班级名称，请先进行年级组设置。");
    QTest::newRow("password setup") << int(GradeGroupVariant::PasswordSetup)
                                    << QStringLiteral("目前还不能设置密码，请先进行年级组设置。");
}

void TestSelection::gradeGroups()
{
    QFETCH(int, variant);
    QFETCH(QString, message);
    const auto v = GradeGroupVariant(variant);
    TestSchool school;
    Session s;
    s.openpath = school.dbPath();
    db::Connection data(school.dbPath());
    QComboBox combo;
    combo.addItem(QStringLiteral("旧的"));
    ScriptedResponder responder;

    // No grade group: the window's message, once, and an empty combo.
    FillGradeGroupCombo(data, &combo, v, nullptr);
    QCOMPARE(responder.texts(), QStringList{message});
    QCOMPARE(responder.last().title, kProgramTitle);
    QCOMPARE(combo.count(), 0);

    // With grade groups: no message, names listed, nothing chosen.
    responder.clear();
    school.addGradeGroup(QStringLiteral("初一年级组"));
    school.addGradeGroup(QStringLiteral("初二年级组"));
    school.addClass(QStringLiteral("初一年级组"), QStringLiteral("一班"));
    FillGradeGroupCombo(data, &combo, v, nullptr);
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(combo.count(), 2);
    QCOMPARE(combo.itemText(0), QStringLiteral("初一年级组"));
    QCOMPARE(combo.itemText(1), QStringLiteral("初二年级组"));
    QCOMPARE(combo.currentIndex(), -1);
    QCOMPARE(combo.currentText(), QString());
}

void TestSelection::gradeGroupsKeepTableOrder()
{
    TestSchool school;
    school.addGradeGroup(QStringLiteral("高三年级组"));
    school.addGradeGroup(QStringLiteral("一年级组"));
    school.addGradeGroup(QStringLiteral("初二年级组"));
    Session s;
    s.openpath = school.dbPath();
    db::Connection data(school.dbPath());
    QComboBox combo;
    ScriptedResponder responder;
    FillGradeGroupCombo(data, &combo, GradeGroupVariant::Common, nullptr);
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    QCOMPARE(items, (QStringList{QStringLiteral("高三年级组"), QStringLiteral("一年级组"),
                                 QStringLiteral("初二年级组")}));
}

void TestSelection::classCombo_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<bool>("keepsNames");
    QTest::addColumn<bool>("keepsPassword");
    QTest::addColumn<bool>("keepsId");
    QTest::newRow("full") << int(ClassVariant::Full) << true << true << true;
    QTest::newRow("with password") << int(ClassVariant::WithPassword) << true << true << false;
    QTest::newRow("head teacher") << int(ClassVariant::HeadTeacher) << true << false << false;
    QTest::newRow("names only") << int(ClassVariant::NamesOnly) << false << false << false;
}

void TestSelection::classCombo()
{
    QFETCH(int, variant);
    QFETCH(bool, keepsNames);
    QFETCH(bool, keepsPassword);
    QFETCH(bool, keepsId);
    TestSchool school;
    school.addGradeGroup(QStringLiteral("初二年级组"));
    const int a = school.addClass(QStringLiteral("初二年级组"), QStringLiteral("三班"),
                                  QStringLiteral("王老师"), QStringLiteral("123"), QStringLiteral("实验班"));
    school.addClass(QStringLiteral("初一年级组"), QStringLiteral("一班"), QStringLiteral("李老师"));
    const int b = school.addClass(QStringLiteral("初二年级组"), QStringLiteral("一班"),
                                  QStringLiteral("赵老师"), QStringLiteral("456"));
    school.addTeaching(QStringLiteral("初二年级组"), QStringLiteral("三班"), QStringLiteral("语文"),
                       QStringLiteral("钱老师"));

    Session s;
    s.openpath = school.dbPath();
    db::Connection data(school.dbPath());
    QComboBox combo;
    ClassList list;
    list.entries.append(ClassEntry{QStringLiteral("旧"), {}, {}, {}});
    ScriptedResponder responder;
    FillClassCombo(data, QStringLiteral("初二年级组"), &combo, ClassVariant(variant), list,
                        nullptr);
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(combo.count(), 2);
    QCOMPARE(combo.itemText(0), QStringLiteral("三班"));
    QCOMPARE(combo.itemText(1), QStringLiteral("一班"));
    QCOMPARE(combo.currentIndex(), -1);
    QCOMPARE(list.size(), 2);

    const ClassEntry first = list.at(0);
    QCOMPARE(first.actualName, keepsNames ? QStringLiteral("实验班") : QString());
    QCOMPARE(first.headTeacher, keepsNames ? QStringLiteral("王老师") : QString());
    QCOMPARE(first.password, keepsPassword ? QStringLiteral("123") : QString());
    QCOMPARE(first.id, keepsId ? QString::number(a) : QString());
    const ClassEntry second = list.at(1);
    QCOMPARE(second.headTeacher, keepsNames ? QStringLiteral("赵老师") : QString());
    QCOMPARE(second.password, keepsPassword ? QStringLiteral("456") : QString());
    QCOMPARE(second.id, keepsId ? QString::number(b) : QString());
    // Out of range (nothing chosen): an empty entry.
    QCOMPARE(list.at(-1).headTeacher, QString());
    QCOMPARE(list.at(2).headTeacher, QString());
}

void TestSelection::classComboNoClass()
{
    TestSchool school;
    school.addGradeGroup(QStringLiteral("初二年级组"));
    school.addClass(QStringLiteral("初一年级组"), QStringLiteral("一班"), QStringLiteral("李老师"));
    Session s;
    s.openpath = school.dbPath();
    db::Connection data(school.dbPath());
    QComboBox combo;
    combo.addItem(QStringLiteral("上次的班"));
    ClassList list;
    list.entries.append(ClassEntry{});
    ScriptedResponder responder;
    FillClassCombo(data, QStringLiteral("初二年级组"), &combo, ClassVariant::Full, list,
                        nullptr);
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("目前教导处在本年级组内无任何班级设置。")});
    QCOMPARE(responder.last().title, kProgramTitle);
    QCOMPARE(combo.count(), 0);
    QCOMPARE(list.size(), 0);
}

void TestSelection::classComboTrimsAndBindsGradeGroup()
{
    TestSchool school;
    const QString quoted = QStringLiteral("初二'年级组");
    school.addClass(QStringLiteral("初二年级组"), QStringLiteral("二班"), QStringLiteral("孙老师"));
    school.addClass(quoted, QStringLiteral("五班"), QStringLiteral("周老师"));
    Session s;
    s.openpath = school.dbPath();
    db::Connection data(school.dbPath());
    QComboBox combo;
    ClassList list;
    ScriptedResponder responder;

    FillClassCombo(data, QStringLiteral("  初二年级组 "), &combo, ClassVariant::Full, list,
                        nullptr);
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(combo.count(), 1);
    QCOMPARE(combo.itemText(0), QStringLiteral("二班"));

    // A quote in the text is a value like any other, not SQL.
    FillClassCombo(data, quoted, &combo, ClassVariant::Full, list, nullptr);
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(combo.count(), 1);
    QCOMPARE(combo.itemText(0), QStringLiteral("五班"));
    QCOMPARE(list.at(0).headTeacher, QStringLiteral("周老师"));

    FillClassCombo(data, QStringLiteral("x' OR '1'='1"), &combo, ClassVariant::Full, list,
                        nullptr);
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("目前教导处在本年级组内无任何班级设置。")});
    QCOMPARE(combo.count(), 0);
}

void TestSelection::classComboNullColumnsAndDuplicates()
{
    TestSchool school;
    const int a = school.addClass(QStringLiteral("高一年级组"), QStringLiteral("二班"),
                                  QStringLiteral("吴老师"), QStringLiteral("111"), QStringLiteral("理科班"));
    const int b = school.addClass(QStringLiteral("高一年级组"), QStringLiteral("二班"),
                                  QStringLiteral("郑老师"), QStringLiteral("222"));
    QVERIFY(school.db().exec(
        QStringLiteral(R"(UPDATE "教导处" SET "其它"=NULL, "其次"=NULL, "密码"=NULL WHERE "id"=?)"), {b}));

    Session s;
    s.openpath = school.dbPath();
    db::Connection data(school.dbPath());
    QComboBox combo;
    ClassList list;
    ScriptedResponder responder;
    FillClassCombo(data, QStringLiteral("高一年级组"), &combo, ClassVariant::Full, list,
                        nullptr);
    QCOMPARE(combo.count(), 2);
    QCOMPARE(combo.itemText(0), QStringLiteral("二班"));
    QCOMPARE(combo.itemText(1), QStringLiteral("二班"));
    QCOMPARE(list.at(0).headTeacher, QStringLiteral("吴老师"));
    QCOMPARE(list.at(0).id, QString::number(a));
    QCOMPARE(list.at(1).actualName, QString());
    QCOMPARE(list.at(1).headTeacher, QString());
    QCOMPARE(list.at(1).password, QString());
    QCOMPARE(list.at(1).id, QString::number(b));
}

// The 12 grade groups show whole and the 30 classes of a grade group at least
// 20 at a time before the list scrolls.
void TestSelection::dropDownsShowTwentyItems()
{
    TestSchool school;
    for (int g = 1; g <= 12; ++g)
        school.addGradeGroup(QStringLiteral("年级组%1").arg(g));
    for (int c = 1; c <= 30; ++c)
        school.addClass(QStringLiteral("年级组1"), QStringLiteral("%1班").arg(c));
    Session s;
    s.openpath = school.dbPath();
    db::Connection data(school.dbPath());
    QWidget window;
    QComboBox grades(&window);
    QComboBox classes(&window);
    classes.move(0, 40);
    window.resize(300, 900);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ScriptedResponder responder;
    ClassList list;
    FillGradeGroupCombo(data, &grades, GradeGroupVariant::Common, nullptr);
    FillClassCombo(data, QStringLiteral("年级组1"), &classes, ClassVariant::NamesOnly, list, nullptr);
    QVERIFY(responder.shown().isEmpty());

    const QList<std::pair<QComboBox *, int>> expected = {{&grades, 12}, {&classes, 20}};
    for (const auto &[combo, rows] : expected) {
        combo->showPopup();
        QAbstractItemView *view = combo->view();
        QTRY_VERIFY(view->isVisible());
        const int shown = view->viewport()->height() / view->sizeHintForRow(0);
        QVERIFY2(shown >= rows, qPrintable(QStringLiteral("%1 of %2").arg(shown).arg(combo->count())));
        combo->hidePopup();
    }
}

void TestSelection::positionTexts_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::newRow("register") << int(PositionText::Register) << 35 << 2
                              << QStringLiteral("记录导航(共35人 当前第2人)");
    QTest::newRow("register empty") << int(PositionText::Register) << 0 << 0
                                    << QStringLiteral("记录导航(共0人 当前第0人)");
    QTest::newRow("students") << int(PositionText::Students) << 40 << 40
                              << QStringLiteral("共40人 第40人");
    QTest::newRow("students empty") << int(PositionText::Students) << 0 << 0
                                    << QStringLiteral("共0人 第0人");
    QTest::newRow("entries") << int(PositionText::Entries) << 7 << 1 << QStringLiteral("共7条 第1条");
    QTest::newRow("none") << int(PositionText::None) << 7 << 1 << QString();
}

void TestSelection::positionTexts()
{
    QFETCH(int, kind);
    QFETCH(int, count);
    QFETCH(int, position);
    QFETCH(QString, text);
    QCOMPARE(recordPositionText(PositionText(kind), count, position), text);
}

void TestSelection::repositionCaption()
{
    TestSchool school;
    school.addGradeGroup(QStringLiteral("一年级组"));
    school.addGradeGroup(QStringLiteral("二年级组"));
    school.addGradeGroup(QStringLiteral("三年级组"));
    DataControl data;
    ShowRecordPosition(data, PositionText::Students);
    data.setDatabaseName(school.dbPath());
    data.setRecordSource(QStringLiteral(R"(select "名称" from "教导处" where "类别"=?)"),
                         {QStringLiteral("年级组名")});
    QVERIFY(data.Refresh());
    data.MoveFirst();
    QCOMPARE(data.Caption(), QStringLiteral("共3人 第1人"));
    data.MoveNext();
    QCOMPARE(data.Caption(), QStringLiteral("共3人 第2人"));
    data.MoveLast();
    QCOMPARE(data.Caption(), QStringLiteral("共3人 第3人"));

    // An empty set shows 0 and 0.
    data.setRecordSource(QStringLiteral(R"(select "名称" from "教导处" where "类别"=?)"),
                         {QStringLiteral("没有")});
    QVERIFY(data.Refresh());
    data.MoveFirst();
    QCOMPARE(data.Caption(), QStringLiteral("共0人 第0人"));

    // No position text: the caption keeps its text.
    DataControl other;
    ShowRecordPosition(other, PositionText::None);
    other.setCaption(QStringLiteral("计划"));
    other.setDatabaseName(school.dbPath());
    other.setRecordSource(QStringLiteral(R"(select "名称" from "教导处")"));
    QVERIFY(other.Refresh());
    other.MoveLast();
    QCOMPARE(other.Caption(), QStringLiteral("计划"));
}

void TestSelection::dataErrorReported()
{
    TestSchool school;
    ScriptedResponder responder;
    DataControl data;
    ReportDataError(data, nullptr);
    data.setDatabaseName(school.file(QStringLiteral("没有这个.mdb")));
    data.setRecordSource(QStringLiteral(R"(select * from "教导处")"));
    QVERIFY(!data.Refresh());
    // One message, ours: the control shows nothing of its own.
    QCOMPARE(responder.shown().size(), 1);
    QVERIFY(responder.last().text.startsWith(QStringLiteral("数据错误事件命中错误：")));
    QVERIFY(responder.last().text.size() > QStringLiteral("数据错误事件命中错误：").size());
    QCOMPARE(responder.last().title, kProgramTitle);

    // The plan window's control uses its own prefix.
    responder.clear();
    DataControl plan;
    ReportDataError(plan, nullptr, QStringLiteral("数据错误提示："));
    plan.setDatabaseName(school.dbPath());
    plan.setRecordSource(QStringLiteral(R"(select * from "没有的表")"));
    QVERIFY(!plan.Refresh());
    QCOMPARE(responder.shown().size(), 1);
    QVERIFY(responder.last().text.startsWith(QStringLiteral("数据错误提示：")));
}

enum class Read { Admin, GradeGroups, Classes, Subjects, Tree, Members, Students };

void TestSelection::readFailureReported_data()
{
    QTest::addColumn<int>("read");
    QTest::newRow("administrator") << int(Read::Admin);
    QTest::newRow("grade groups") << int(Read::GradeGroups);
    QTest::newRow("classes") << int(Read::Classes);
    QTest::newRow("subjects") << int(Read::Subjects);
    QTest::newRow("class tree") << int(Read::Tree);
    QTest::newRow("class members") << int(Read::Members);
    QTest::newRow("class students") << int(Read::Students);
}

// A refused read says so through the one channel, once, and lists nothing:
// 教导处 (or the class's section table) is gone under the window's connection.
void TestSelection::readFailureReported()
{
    QFETCH(int, read);
    TestSchool school;
    school.addGradeGroup(QStringLiteral("初二年级组"));
    school.addClass(QStringLiteral("初二年级组"), QStringLiteral("一班"), QStringLiteral("王老师"));
    school.addTeaching(QStringLiteral("初二年级组"), QStringLiteral("一班"), QStringLiteral("数学"),
                       QStringLiteral("李老师"));
    const school::ClassIdentity identity =
        school::ResolveClassCode(QStringLiteral("初二年级组"), QStringLiteral("一班"), QDate(2026, 10, 1));
    QVERIFY(identity.isValid());
    const QString dropped = Read(read) == Read::Members || Read(read) == Read::Students ? identity.sectionTable : QStringLiteral("教导处");
    QVERIFY(school.db().exec(QStringLiteral("drop table \"%1\"").arg(dropped)));
    school.closeDb();

    db::Connection c(school.dbPath());
    Account admin{QStringLiteral("王老师"), QStringLiteral("999"), QString()};
    QComboBox combo;
    combo.addItem(QStringLiteral("旧的"));
    ClassList classes;
    classes.entries.append(ClassEntry{});
    SubjectList subjects;
    ScriptedResponder responder;
    bool listedNothing = false;
    switch (Read(read)) {
    case Read::Admin:
        QCOMPARE(LoadAdminAccount(c, admin, nullptr), AdminAccount::ReadFailed);
        listedNothing = admin.password.isEmpty();
        break;
    case Read::GradeGroups:
        QVERIFY(!FillGradeGroupCombo(c, &combo, GradeGroupVariant::Common, nullptr));
        listedNothing = combo.count() == 0;
        break;
    case Read::Classes:
        QVERIFY(!FillClassCombo(c, QStringLiteral("初二年级组"), &combo, ClassVariant::Full, classes, nullptr));
        listedNothing = combo.count() == 0 && classes.size() == 0;
        break;
    case Read::Subjects:
        QVERIFY(!FillSubjectCombo(c, QStringLiteral("初二年级组"), QStringLiteral("一班"), &combo, subjects,
                                         nullptr));
        listedNothing = combo.count() == 0 && subjects.size() == 0;
        break;
    case Read::Tree:
        listedNothing = ReadClassTree(c, nullptr).isEmpty();
        break;
    case Read::Members:
        listedNothing = loadClassMembers(c, identity, {}, nullptr).rows.isEmpty();
        break;
    case Read::Students: {
        const ClassStudents loaded = OpenClassStudents(c, identity, nullptr);
        listedNothing = loaded.students.isEmpty() && loaded.columns.isEmpty();
        break;
    }
    }
    QVERIFY(listedNothing);
    QCOMPARE(responder.texts().size(), 1);
    QVERIFY2(responder.texts().first().startsWith(kDataErrorPrefix), qPrintable(responder.texts().first()));
}

void TestSelection::centreOnMainWindow()
{
    // A main window of 12000 x 9000 twips with an MDI area.
    QWidget main;
    main.resize(800, 600);
    QMdiArea mdi(&main);
    mdi.setGeometry(0, 0, 800, 560);
    auto *child = new QWidget;
    child->resize(400, 300);
    QMdiSubWindow *sub = mdi.addSubWindow(child);
    sub->resize(400, 300);
    // (12000 - 6000) / 2 = 3000 twips = 200 px; (9000 - 4500) / 2 - 600 = 1650 twips = 110 px.
    CentreOnMainWindow(child, &main, 600);
    QCOMPARE(sub->pos(), QPoint(200, 110));

    // A window taller than the room left above is kept at the top.
    CentreOnMainWindow(child, &main, 6000);
    QCOMPARE(sub->pos().y(), 0);

    // A top-level window is placed relative to the main window.
    main.move(100, 50);
    QWidget dialog(&main, Qt::Dialog);
    dialog.resize(200, 100);
    CentreOnMainWindow(&dialog, &main, 400);
    // (800 - 200) / 2 = 300 px; (600 - 100) / 2 px - 400 twips = 250 - 27 px.
    QCOMPARE(dialog.pos(), main.pos() + QPoint(300, 223));
}

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
