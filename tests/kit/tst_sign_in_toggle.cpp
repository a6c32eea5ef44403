// The head-teacher toggle of 学籍管理 signs in against the password stored in
// 教导处 at the moment of the click, whatever the window read when the class
// was chosen.
#include "fixtures/sign_in_steps.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "widgets/messages.h"
#include "register/register_window.h"
#include "shell/sign_in_dialog.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kGrade = u"初二年级组"_s;
const QString kClass = u"三班"_s;
const QString kHead = u"王老师"_s;
const QString kSignedIn = u"退出登陆 修改(&K)"_s;
const QString kWrongPassword = u"无效的密码，请重试!"_s;

// 初二年级组 三班, head teacher 王老师 with the given password, one student.
struct School {
    TestSchool school;
    int classRow = 0;
    explicit School(const QString &password)
    {
        school.addGradeGroup(kGrade);
        classRow = school.addClass(kGrade, kClass, kHead, password);
        school.addStudent(u"初中"_s, u"20040301"_s, u"张三"_s);
        school.closeDb();
    }
    void setStoredPassword(const QString &password)
    {
        QVERIFY(school.db().exec(uR"(update "教导处" set "密码"=? where "id"=?)"_s, {password, classRow}));
        school.closeDb();
    }
};

struct Register {
    WindowHarness h;
    RegisterWindow *w = nullptr;
    explicit Register(School &s) : h(s.school, {.today = QDate(2005, 10, 15), .realSize = true})
    {
        w = h.open<RegisterWindow>(kRegisterWindow);
        QVERIFY(w);
        choose(w->gradeGroupCombo, kGrade);
        choose(w->classCombo, kClass);
    }
};

// Clicks the toggle to sign in; 登陆 gets each password in turn (登陆 pressed
// after each, until it closes) and is cancelled if it is still open after the
// last. True when 登陆 was shown.
bool signInTyping(Register &r, const QStringList &passwords)
{
    bool asked = false;
    whenModal([&asked, passwords](QWidget *w) {
        QPointer<SignInDialog> d = qobject_cast<SignInDialog *>(w);
        asked = d != nullptr;
        for (const QString &password : passwords) {
            if (!d || !d->isVisible())
                return;
            d->passwordBox->clear();
            typeKeys(d->passwordBox, password);
            d->okButton->click();
        }
        if (d && d->isVisible())
            d->cancelButton->click();
    });
    r.w->signInButton->click();
    QCoreApplication::processEvents();   // the check above runs when no dialog came too
    return asked;
}

} // namespace

class TestSignInToggle : public QObject {
    Q_OBJECT

private slots:
    void changedPasswordSignsIn_data();
    void changedPasswordSignsIn();
    void storedPasswordDecides_data();
    void storedPasswordDecides();
    void accountUnreadable_data();
    void accountUnreadable();
};

void TestSignInToggle::changedPasswordSignsIn_data()
{
    QTest::addColumn<bool>("saveFirst");
    QTest::newRow("signed out at once") << false;
    QTest::newRow("signed out after a save") << true;
}

// Change old1 to new2 through 修改密码, sign out, sign in again with new2.
void TestSignInToggle::changedPasswordSignsIn()
{
    QFETCH(bool, saveFirst);
    School s(u"old1"_s);
    Register r(s);
    QVERIFY(r.w);
    whenChangingPassword(u"old1"_s, u"new2"_s);
    r.w->signInButton->click();
    QCOMPARE(r.h.responder.texts(), QStringList{u"密码修改成功。"_s});
    QCOMPARE(r.w->signInButton->text(), kSignedIn);
    QCOMPARE(s.school.value(uR"(select "密码" from "教导处" where "id"=?)"_s, {s.classRow}).toString(), u"new2"_s);
    s.school.closeDb();
    if (saveFirst) {
        QVERIFY(r.w->saveButton->isEnabled());
        r.w->saveButton->click();
        QCOMPARE(r.h.responder.shown().size(), 1);   // nothing more to say
        QCOMPARE(r.w->signInButton->text(), kSignedIn);
    }

    r.w->signInButton->click();   // sign out
    QVERIFY(r.w->signInButton->text() != kSignedIn);
    r.h.responder.clear();
    QVERIFY(signInTyping(r, {u"old1"_s, u"new2"_s}));
    QCOMPARE(r.h.responder.texts(), QStringList{kWrongPassword});   // the old one only
    QCOMPARE(r.w->signInButton->text(), kSignedIn);
    QCOMPARE(r.h.session().denglu, kHead);
}

void TestSignInToggle::storedPasswordDecides_data()
{
    QTest::addColumn<QString>("whenChosen");
    QTest::addColumn<QString>("storedAtClick");
    QTest::addColumn<QStringList>("messages");   // shown by the click
    QTest::addColumn<bool>("signedIn");
    QTest::newRow("changed since the choice") << u"p1"_s << u"p2"_s << QStringList{kWrongPassword} << true;
    QTest::newRow("set since the choice") << QString() << u"p2"_s << QStringList{kWrongPassword} << true;
    QTest::newRow("emptied since the choice")
        << u"p1"_s << QString() << QStringList{u"班主任还没定密码,请教导处添加,才能修改。"_s} << false;
}

// The administrator changes the head teacher's password while 学籍管理 has the
// class chosen: the click asks for the password stored now. 登陆 is given
// "p1", then "p2".
void TestSignInToggle::storedPasswordDecides()
{
    QFETCH(QString, whenChosen);
    QFETCH(QString, storedAtClick);
    QFETCH(QStringList, messages);
    QFETCH(bool, signedIn);
    School s(whenChosen);
    Register r(s);
    QVERIFY(r.w);
    s.setStoredPassword(storedAtClick);
    const bool asked = signInTyping(r, {u"p1"_s, u"p2"_s});
    QCOMPARE(asked, signedIn);
    QCOMPARE(r.h.responder.texts(), messages);
    QCOMPARE(r.w->signInButton->text() == kSignedIn, signedIn);
    QCOMPARE(r.w->editFrame->isEnabled(), signedIn);
    QCOMPARE(r.h.session().denglu, signedIn ? kHead : QString());
}

void TestSignInToggle::accountUnreadable_data()
{
    QTest::addColumn<bool>("databaseGone");
    QTest::addColumn<QString>("message");   // the start of the message
    QTest::newRow("class row deleted")
        << false << u"找不到班主任(王老师)的账户数据，可能已被教导处删除或修改，请重新选择班级。"_s;
    QTest::newRow("database gone") << true << u"数据错误事件命中错误："_s;
}

// The class's row, or the database itself, is gone after the class was chosen:
// a message and no 登陆.
void TestSignInToggle::accountUnreadable()
{
    QFETCH(bool, databaseGone);
    QFETCH(QString, message);
    School s(u"p1"_s);
    Register r(s);
    QVERIFY(r.w);
    if (databaseGone) {
        QVERIFY(QFile::rename(s.school.dbPath(), s.school.dbPath() + u".moved"_s));
    } else {
        QVERIFY(s.school.db().exec(uR"(delete from "教导处" where "id"=?)"_s, {s.classRow}));
        s.school.closeDb();
    }
    QVERIFY(!signInTyping(r, {u"p1"_s}));
    QCOMPARE(r.h.responder.shown().size(), 1);
    QVERIFY2(r.h.responder.last().text.startsWith(message), qPrintable(r.h.responder.last().text));
    QCOMPARE(r.h.responder.last().title, u"提示"_s);
    QVERIFY(r.w->signInButton->text() != kSignedIn);
    QVERIFY(!r.w->editFrame->isEnabled());
    QCOMPARE(r.h.session().denglu, QString());
}

QTEST_MAIN(TestSignInToggle)
#include "tst_sign_in_toggle.moc"
