// The class context of the head-teacher windows: grade group → class (→ head
// teacher), the class's identity, the toggle's refusals and the sign-in state
// two windows see.
#include "fixtures/sign_in_steps.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/sign_in_toggle.h"
#include "kit/window_base.h"
#include "records/class_context.h"

#include <QComboBox>
#include <QPushButton>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::records;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kSignedIn = u"退出登陆 修改(&K)"_s;
const QString kSignedOut = u"班主任登陆 修改(&K)"_s;

// The selection part of a head-teacher window.
struct ContextWindow : QWidget, FormWindow {
    QComboBox *gradeGroupCombo = new QComboBox(this);
    QComboBox *classCombo = new QComboBox(this);
    QComboBox *headTeacherCombo = new QComboBox(this);
    QPushButton *signInButton = new QPushButton(this);
    QWidget *editFrame = new QWidget(this);
    ClassContext *context = nullptr;
    QStringList events;

    ContextWindow(WindowHost &host, ClassContext::Checks checks) : FormWindow(host)
    {
        for (QComboBox *box : {gradeGroupCombo, classCombo, headTeacherCombo})
            box->setEditable(true);
        context = new ClassContext({.gradeGroup = gradeGroupCombo,
                                    .klass = classCombo,
                                    .headTeachers = checks == ClassContext::Checks::Conduct ? nullptr : headTeacherCombo,
                                    .toggle = signInButton,
                                    .editors = {editFrame},
                                    .checks = checks},
                                   *this, this);
        connect(context, &ClassContext::gradeGroupChosen, this, [this] { events << u"grade"_s; });
        connect(context, &ClassContext::classChosen, this,
                [this] { events << u"class "_s + context->identity().classCode; });
        connect(context, &ClassContext::signInShown, this, [this](bool on, ClassContext::Shown when) {
            events << (when == ClassContext::Shown::ClassStep ? u"class step "_s : u"toggle "_s)
                          + (on ? u"in"_s : u"out"_s);
        });
        context->load();
    }
    void choose(const QString &grade, const QString &klass)
    {
        test::choose(gradeGroupCombo, grade);
        if (!klass.isEmpty())
            test::choose(classCombo, klass);
    }
};

bool signIn(ContextWindow &w, const QString &password)
{
    return signInThrough(w.signInButton, password);
}

// 初二年级组: 一班 (王老师, 111), 二班 (李老师, 222), 三班 (no head teacher),
// 四班 (赵老师, no password). 高一年级组: 二十班. 三年级组: no class.
void seed(TestSchool &school)
{
    school.addGradeGroup(u"初二年级组"_s);
    school.addGradeGroup(u"高一年级组"_s);
    school.addGradeGroup(u"三年级组"_s);
    school.addClass(u"初二年级组"_s, u"一班"_s, u"王老师"_s, u"111"_s);
    school.addClass(u"初二年级组"_s, u"二班"_s, u"李老师"_s, u"222"_s);
    school.addClass(u"初二年级组"_s, u"三班"_s);
    school.addClass(u"初二年级组"_s, u"四班"_s, u"赵老师"_s);
    school.addClass(u"高一年级组"_s, u"二十班"_s, u"钱老师"_s, u"333"_s);
    school.closeDb();
}

} // namespace

class TestClassContext : public QObject {
    Q_OBJECT

private slots:
    void classStepResolvesTheClass();
    void conductRefusalsInOrder();
    void eitherRefusals();
    void twoWindowsSeeOneSignIn();
    void classWithoutHeadTeacherNeverSignedIn();
    void headTeacherComboChoosesItsClass();
    void leaveCheckKeepsTheChoice();
};

void TestClassContext::classStepResolvesTheClass()
{
    TestSchool school;
    seed(school);
    WindowHarness h(school, {.today = QDate(2005, 10, 15)});
    ContextWindow w(h.main, ClassContext::Checks::Conduct);
    QCOMPARE(itemTexts(w.gradeGroupCombo), (QStringList{u"初二年级组"_s, u"高一年级组"_s, u"三年级组"_s}));
    w.choose(u"初二年级组"_s, u"二班"_s);
    QCOMPARE(itemTexts(w.classCombo), (QStringList{u"一班"_s, u"二班"_s, u"三班"_s, u"四班"_s}));
    QCOMPARE(w.context->identity().classCode, u"200402"_s);
    QCOMPARE(w.context->identity().sectionTable, u"初中"_s);
    QCOMPARE(w.context->headTeacher(), u"李老师"_s);
    const Account head = w.context->toggle()->ownAccount();
    QCOMPARE(head.name, u"李老师"_s);
    QCOMPARE(head.password, u"222"_s);
    QVERIFY(!head.id.isEmpty());
    QCOMPARE(w.events, (QStringList{u"grade"_s, u"class 200402"_s, u"class step out"_s}));

    w.choose(u"高一年级组"_s, u"二十班"_s);
    QCOMPARE(w.context->identity().classCode, u"200520"_s);
    QCOMPARE(w.context->identity().sectionTable, u"高中"_s);

    // A grade group without classes: its message, an empty class combo, no class.
    w.choose(u"三年级组"_s, {});
    QCOMPARE(h.responder.texts(), QStringList{u"目前教导处在本年级组内无任何班级设置。"_s});
    QCOMPARE(w.classCombo->count(), 0);
    QVERIFY(!w.context->hasClass());
}

void TestClassContext::conductRefusalsInOrder()
{
    TestSchool school;
    seed(school);
    WindowHarness h(school, {.today = QDate(2005, 10, 15)});
    ContextWindow w(h.main, ClassContext::Checks::Conduct);
    const auto refusal = [&] {
        h.responder.clear();
        const bool asked = signIn(w, u"x"_s);
        return asked ? u"登陆"_s : h.responder.texts().join(u'|');
    };
    QCOMPARE(refusal(), u"请选择一个年级组。"_s);
    w.choose(u"初二年级组"_s, {});
    QCOMPARE(refusal(), u"请至少选择一个班级。"_s);
    w.choose(u"初二年级组"_s, u"三班"_s);
    QCOMPARE(refusal(), u"没有班主任名,请教导处添加后,才能修改。"_s);
    w.choose(u"初二年级组"_s, u"四班"_s);
    QCOMPARE(refusal(), u"班主任还没定密码,请教导处添加,才能修改。"_s);
    for (const auto &m : h.responder.shown())
        QCOMPARE(m.title, u"提示"_s);
    QCOMPARE(w.signInButton->text(), kSignedOut);
    QVERIFY(!w.editFrame->isEnabled());

    w.choose(u"初二年级组"_s, u"一班"_s);
    QVERIFY(signIn(w, u"111"_s));
    QCOMPARE(w.signInButton->text(), kSignedIn);
    QVERIFY(w.editFrame->isEnabled());
    QCOMPARE(h.session().denglu, u"王老师"_s);
    QCOMPARE(w.events.last(), u"toggle in"_s);

    w.signInButton->click();   // sign out
    QCOMPARE(w.signInButton->text(), kSignedOut);
    QVERIFY(!w.editFrame->isEnabled());
    QVERIFY(h.session().denglu.isEmpty());
    QCOMPARE(w.events.last(), u"toggle out"_s);
    // Another class can be signed in without closing the window.
    w.choose(u"初二年级组"_s, u"二班"_s);
    QVERIFY(signIn(w, u"222"_s));
    QCOMPARE(h.session().denglu, u"李老师"_s);
}

void TestClassContext::eitherRefusals()
{
    TestSchool school;
    seed(school);
    WindowHarness h(school, {.today = QDate(2005, 10, 15)});
    ContextWindow w(h.main, ClassContext::Checks::EitherClassOrTeacher);
    w.choose(u"初二年级组"_s, {});
    QCOMPARE(itemTexts(w.headTeacherCombo), (QStringList{u"王老师"_s, u"李老师"_s, QString(), u"赵老师"_s}));
    w.signInButton->click();
    QCOMPARE(h.responder.texts(), QStringList{u"请至少选择一个班级名或班主任名。"_s});
    h.responder.clear();
    w.choose(u"初二年级组"_s, u"三班"_s);
    w.signInButton->click();
    QCOMPARE(h.responder.texts(), QStringList{u"班主任还没定密码,请教导处添加,才能修改。"_s});
}

void TestClassContext::twoWindowsSeeOneSignIn()
{
    TestSchool school;
    seed(school);
    WindowHarness h(school, {.today = QDate(2005, 10, 15)});
    ContextWindow a(h.main, ClassContext::Checks::Conduct);
    ContextWindow b(h.main, ClassContext::Checks::EitherClassOrTeacher);
    a.choose(u"初二年级组"_s, u"一班"_s);
    QVERIFY(signIn(a, u"111"_s));

    // The same head teacher's class shows signed in at once.
    b.choose(u"初二年级组"_s, u"一班"_s);
    QCOMPARE(b.signInButton->text(), kSignedIn);
    QVERIFY(b.editFrame->isEnabled());
    QCOMPARE(b.events.last(), u"class step in"_s);
    // Another head teacher's class shows signed out and leaves denglu alone.
    b.choose(u"初二年级组"_s, u"二班"_s);
    QCOMPARE(b.signInButton->text(), kSignedOut);
    QCOMPARE(h.session().denglu, u"王老师"_s);
    b.choose(u"初二年级组"_s, u"一班"_s);
    QCOMPARE(b.signInButton->text(), kSignedIn);

    // A sign-out in b ends a's sign-in of the same account at once.
    b.signInButton->click();
    QVERIFY(h.session().denglu.isEmpty());
    QCOMPARE(a.signInButton->text(), kSignedOut);
    QVERIFY(!a.editFrame->isEnabled());
}

void TestClassContext::classWithoutHeadTeacherNeverSignedIn()
{
    TestSchool school;
    seed(school);
    WindowHarness h(school, {.today = QDate(2005, 10, 15)});
    ContextWindow w(h.main, ClassContext::Checks::EitherClassOrTeacher);
    QVERIFY(h.session().denglu.isEmpty());
    w.choose(u"初二年级组"_s, u"三班"_s);
    QVERIFY(w.context->toggle()->ownAccount().name.isEmpty());
    QCOMPARE(w.signInButton->text(), kSignedOut);
    QVERIFY(!w.editFrame->isEnabled());
}

void TestClassContext::headTeacherComboChoosesItsClass()
{
    TestSchool school;
    seed(school);
    WindowHarness h(school, {.today = QDate(2005, 10, 15)});
    ContextWindow w(h.main, ClassContext::Checks::EitherClassOrTeacher);
    w.choose(u"初二年级组"_s, u"一班"_s);
    QCOMPARE(w.headTeacherCombo->currentText(), u"王老师"_s);
    choose(w.headTeacherCombo, u"赵老师"_s);
    QCOMPARE(w.classCombo->currentText(), u"四班"_s);
    QCOMPARE(w.context->identity().classCode, u"200404"_s);
    QCOMPARE(w.context->toggle()->ownAccount().name, u"赵老师"_s);
    // A new grade group empties both.
    w.choose(u"高一年级组"_s, {});
    QCOMPARE(w.headTeacherCombo->currentIndex(), -1);
    QVERIFY(!w.context->hasClass());
}

void TestClassContext::leaveCheckKeepsTheChoice()
{
    TestSchool school;
    seed(school);
    WindowHarness h(school, {.today = QDate(2005, 10, 15)});
    ContextWindow w(h.main, ClassContext::Checks::EitherClassOrTeacher);
    w.choose(u"初二年级组"_s, u"一班"_s);
    bool mayLeave = false;
    int asked = 0;
    w.context->setLeaveCheck([&] {
        ++asked;
        return mayLeave;
    });
    w.events.clear();
    choose(w.classCombo, u"二班"_s);
    choose(w.headTeacherCombo, u"李老师"_s);
    choose(w.gradeGroupCombo, u"高一年级组"_s);
    QCOMPARE(asked, 3);
    QCOMPARE(w.classCombo->currentText(), u"一班"_s);
    QCOMPARE(w.headTeacherCombo->currentText(), u"王老师"_s);
    QCOMPARE(w.gradeGroupCombo->currentText(), u"初二年级组"_s);
    QCOMPARE(w.context->identity().classCode, u"200401"_s);
    QVERIFY(w.events.isEmpty());
    mayLeave = true;
    choose(w.classCombo, u"二班"_s);
    QCOMPARE(w.context->identity().classCode, u"200402"_s);
}

QTEST_MAIN(TestClassContext)
#include "tst_class_context.moc"
