// The sign-in dialog, the password change and the sign-in toggles.
#include "fixtures/sign_in_steps.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "widgets/messages.h"
#include "shell/password_change_dialog.h"
#include "shell/sign_in_dialog.h"
#include "kit/sign_in_toggle.h"
#include "kit/window_names.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using tessaly::test::TestSchool;

namespace {

// Every 密码 of 教导处 by id.
QMap<int, QString> passwords(TestSchool &school)
{
    QMap<int, QString> out;
    QSqlQuery q = school.db().query(QStringLiteral(R"(select "id","密码" from "教导处")"));
    while (q.next())
        out.insert(q.value(0).toInt(), q.value(1).toString());
    return out;
}

// A school with the accounts the tests sign in with.
struct Accounts {
    TestSchool school;
    int classRow = 0;      // 初二年级组 三班, head teacher 王老师 / "t123"
    int teachingRow = 0;   // 王老师 teaches 语文 in 三班 / "w456"
    int otherRow = 0;      // 王老师 teaches 数学 in 一班 / "w789"
    Accounts()
    {
        school.setAdminPassword(QStringLiteral("adm"));
        school.addGradeGroup(QStringLiteral("初二年级组"));
        classRow = school.addClass(QStringLiteral("初二年级组"), QStringLiteral("三班"), QStringLiteral("王老师"),
                                   QStringLiteral("t123"));
        teachingRow = school.addTeaching(QStringLiteral("初二年级组"), QStringLiteral("三班"),
                                         QStringLiteral("语文"), QStringLiteral("王老师"), QStringLiteral("w456"));
        otherRow = school.addTeaching(QStringLiteral("初二年级组"), QStringLiteral("一班"), QStringLiteral("数学"),
                                      QStringLiteral("王老师"), QStringLiteral("w789"));
        school.closeDb();
    }
};

// A window with a sign-in toggle: the choices, the toggle and what it enables.
struct Host {
    QWidget window;
    QComboBox *gradeGroupCombo = new QComboBox(&window);
    QComboBox *classCombo = new QComboBox(&window);
    QComboBox *subjectCombo = new QComboBox(&window);
    QPushButton *signInButton = new QPushButton(&window);
    QWidget *editFrame = new QWidget(&window);
    SignInToggle *toggle = nullptr;
    Account account;   // the window's choice (not read by the administrator kind)

    // databasePath: the database the window opened; empty for a window on openpath.
    Host(SignInToggle::Kind kind, WindowHost &host, const QString &databasePath = QString())
    {
        gradeGroupCombo->addItem(QStringLiteral("初二年级组"));
        classCombo->addItem(QStringLiteral("三班"));
        subjectCombo->addItem(QStringLiteral("语文"));
        toggle = databasePath.isEmpty() ? new SignInToggle(kind, signInButton, host, &window)
                                        : new SignInToggle(kind, signInButton, host, databasePath, &window);
        toggle->setChoices(gradeGroupCombo, classCombo, kind == SignInToggle::Kind::Teacher ? subjectCombo : nullptr);
        toggle->setEditors({editFrame});
        if (kind != SignInToggle::Kind::Admin)
            toggle->setAccount([this] { return account; });
    }
};

} // namespace

class TestSignIn : public QObject {
    Q_OBJECT

private slots:
    void dialogOpensEmpty();
    void wrongPassword();
    void rightPassword_data();
    void rightPassword();
    void escapeCancels();
    void emptyStoredPassword();

    void passwordChange_data();
    void passwordChange();
    void passwordChangeRefusals_data();
    void passwordChangeRefusals();
    void passwordChangeWithoutRow_data();
    void passwordChangeWithoutRow();
    void passwordChangeCancelKeepsSignIn();
    void passwordChangeGoesToTheWindowsDatabase();
    void passwordTypedLongerThanTheBoxes();

    void toggleRefusals_data();
    void toggleRefusals();
    void adminToggleRefusesWithoutAdminRow();
    void toggleSignsInAndOut_data();
    void toggleSignsInAndOut();
    void toggleUsesItsOwnAccount();
    void toggleFailedSignInChangesNothing();
    void toggleShowsSessionState();
};

void TestSignIn::dialogOpensEmpty()
{
    Accounts a;
    WindowHarness h(a.school, {.shown = false});
    Account who{QStringLiteral("管理员"), QStringLiteral("adm")};
    h.session().denglu = QStringLiteral("别人");
    bool checked = false;
    whenModal([&](QWidget *w) {
        auto *d = qobject_cast<SignInDialog *>(w);
        QVERIFY(d);
        QCOMPARE(d->objectName(), QStringLiteral("登陆"));
        QCOMPARE(d->windowTitle(), QStringLiteral("登录"));
        QCOMPARE(d->captionLabels.size(), 2);
        QCOMPARE(d->captionLabels[0]->text(), QStringLiteral("用户名称(&U):"));
        QCOMPARE(d->captionLabels[1]->text(), QStringLiteral("密    码(&P):"));
        QCOMPARE(d->okButton->text(), QStringLiteral("登陆"));
        QCOMPARE(d->cancelButton->text(), QStringLiteral("取消"));
        QCOMPARE(d->changePasswordButton->text(), QStringLiteral("修改密码"));
        QCOMPARE(d->accountBox->text(), QStringLiteral("管理员"));
        // The stored password never appears: the box opens empty.
        QCOMPARE(d->passwordBox->text(), QString());
        QCOMPARE(d->passwordBox->echoMode(), QLineEdit::Password);
        QVERIFY(!d->passwordBox->testAttribute(Qt::WA_InputMethodEnabled));
        QCOMPARE(d->focusWidget(), d->passwordBox);
        saveShot(d->grab().toImage(), QStringLiteral("sign_in_dialog"));
        // Pressing 登陆 at once does not sign in.
        ScriptedResponder &responder = h.responder;
        d->okButton->click();
        QCOMPARE(responder.texts(), QStringList{QStringLiteral("无效的密码，请重试!")});
        checked = true;
        d->cancelButton->click();
    });
    QVERIFY(!runSignIn(h.main, who));
    QVERIFY(checked);
    QCOMPARE(h.session().denglu, QStringLiteral("别人"));
}

void TestSignIn::wrongPassword()
{
    Accounts a;
    WindowHarness h(a.school, {.shown = false});
    Account who{QStringLiteral("王老师"), QStringLiteral("t123"), QString::number(a.classRow)};
    ScriptedResponder &responder = h.responder;
    bool stayed = false;
    whenModal([&](QWidget *w) {
        auto *d = qobject_cast<SignInDialog *>(w);
        QVERIFY(d);
        d->passwordBox->setText(QStringLiteral("t12"));
        d->okButton->click();
        QCOMPARE(responder.texts(), QStringList{QStringLiteral("无效的密码，请重试!")});
        QCOMPARE(responder.last().title, QStringLiteral("登录"));
        QVERIFY(d->isVisible());
        QCOMPARE(d->passwordBox->selectedText(), QStringLiteral("t12"));
        QCOMPARE(d->focusWidget(), d->passwordBox);
        QCOMPARE(h.session().denglu, QString());
        stayed = true;
        // Retries are unlimited.
        d->passwordBox->setText(QStringLiteral("t123"));
        d->okButton->click();
    });
    QVERIFY(runSignIn(h.main, who));
    QVERIFY(stayed);
    QCOMPARE(h.session().denglu, QStringLiteral("王老师"));
    QCOMPARE(responder.shown().size(), 1);
}

void TestSignIn::rightPassword_data()
{
    QTest::addColumn<bool>("enterKey");
    QTest::newRow("button") << false;
    QTest::newRow("Enter in the password box") << true;
}

void TestSignIn::rightPassword()
{
    QFETCH(bool, enterKey);
    Accounts a;
    WindowHarness h(a.school, {.shown = false});
    Account who{QStringLiteral("王老师"), QStringLiteral("w456"), QString::number(a.teachingRow)};
    ScriptedResponder &responder = h.responder;
    whenModal([&](QWidget *w) {
        auto *d = qobject_cast<SignInDialog *>(w);
        QVERIFY(d);
        QTest::keyClicks(d->passwordBox, QStringLiteral("w456"));
        if (enterKey)
            QTest::keyClick(d->passwordBox, Qt::Key_Return);
        else
            d->okButton->click();
    });
    QVERIFY(runSignIn(h.main, who));
    QCOMPARE(h.session().denglu, QStringLiteral("王老师"));
    QVERIFY(responder.shown().isEmpty());
    QVERIFY(!h.isOpen(kSignInDialog));
}

void TestSignIn::escapeCancels()
{
    Accounts a;
    WindowHarness h(a.school, {.shown = false});
    Account who{QStringLiteral("管理员"), QStringLiteral("adm")};
    whenModal([&](QWidget *w) {
        auto *d = qobject_cast<SignInDialog *>(w);
        QVERIFY(d);
        d->passwordBox->setText(QStringLiteral("adm"));
        QTest::keyClick(d->passwordBox, Qt::Key_Escape);
    });
    QVERIFY(!runSignIn(h.main, who));
    QCOMPARE(h.session().denglu, QString());
}

void TestSignIn::emptyStoredPassword()
{
    TestSchool school;   // the delivered administrator row has an empty password
    WindowHarness h(school, {.shown = false});
    Account who{QStringLiteral("管理员"), QString()};
    whenModal([&](QWidget *w) { qobject_cast<SignInDialog *>(w)->okButton->click(); });
    QVERIFY(runSignIn(h.main, who));
    QCOMPARE(h.session().denglu, QStringLiteral("管理员"));
}

void TestSignIn::passwordChange_data()
{
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("oldPassword");
    QTest::addColumn<int>("row");   // 0 administrator, 1 class, 2 teaching
    QTest::addColumn<QString>("newPassword");
    QTest::newRow("administrator") << QStringLiteral("管理员") << QStringLiteral("adm") << 0 << QStringLiteral("new1");
    QTest::newRow("head teacher") << QStringLiteral("王老师") << QStringLiteral("t123") << 1
                                  << QStringLiteral("abcd12");   // 6 half-width characters: the most
    QTest::newRow("subject teacher") << QStringLiteral("王老师") << QStringLiteral("w456") << 2 << QStringLiteral("x");
}

void TestSignIn::passwordChange()
{
    QFETCH(QString, account);
    QFETCH(QString, oldPassword);
    QFETCH(int, row);
    QFETCH(QString, newPassword);
    Accounts a;
    const int adminRow = a.school.value(QStringLiteral(R"(select "id" from "教导处" where "名称"=?)"),
                                        {QStringLiteral("管理员")}).toInt();
    const int target = row == 0 ? adminRow : row == 1 ? a.classRow : a.teachingRow;
    WindowHarness h(a.school, {.shown = false});
    Account who{account, oldPassword, row == 0 ? QString() : QString::number(target)};
    QMap<int, QString> expected = passwords(a.school);
    expected[target] = newPassword;
    a.school.closeDb();

    ScriptedResponder &responder = h.responder;
    bool changed = false;
    whenChangingPassword(oldPassword, newPassword, [&](PasswordChangeDialog *c) {
        QCOMPARE(c->windowTitle(), QStringLiteral("修改个人密码"));
        QCOMPARE(c->accountBox->text(), account);
        QCOMPARE(c->focusWidget(), c->passwordBox);
        saveShot(c->grab().toImage(), QStringLiteral("password_change_dialog"));
        changed = true;
    });
    QVERIFY(runSignIn(h.main, who));   // the change signs the account in
    QVERIFY(changed);
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("密码修改成功。")});
    QCOMPARE(responder.last().title, QStringLiteral("提示……"));
    QCOMPARE(passwords(a.school), expected);   // exactly that row
    QCOMPARE(who.password, newPassword);
    QCOMPARE(h.session().denglu, account);
    QVERIFY(!h.isOpen(kSignInDialog));
    QVERIFY(!h.isOpen(kPasswordChangeDialog));
}

void TestSignIn::passwordChangeRefusals_data()
{
    QTest::addColumn<QString>("oldPassword");
    QTest::addColumn<QString>("new1");
    QTest::addColumn<QString>("new2");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("boxesAfter");   // txtPassword, Text1, Text2
    QTest::addColumn<QString>("focus");
    QTest::newRow("wrong old password")
        << QStringLiteral("t12") << QStringLiteral("n1") << QStringLiteral("n1")
        << QStringLiteral("你输入的原密码不正确，如果忘记，请与管理员联系。")
        << QStringList{QString(), QStringLiteral("n1"), QStringLiteral("n1")} << QStringLiteral("txtPassword");
    QTest::newRow("new passwords differ")
        << QStringLiteral("t123") << QStringLiteral("n1") << QStringLiteral("n2")
        << QStringLiteral("你两次输入的新密码不相同，请重新输入。")
        << QStringList{QStringLiteral("t123"), QString(), QString()} << QStringLiteral("Text1");
    QTest::newRow("new password empty")
        << QStringLiteral("t123") << QString() << QString()
        << QStringLiteral("新密码不能为空，请重新输入。")
        << QStringList{QStringLiteral("t123"), QString(), QString()} << QStringLiteral("Text1");
}

void TestSignIn::passwordChangeRefusals()
{
    QFETCH(QString, oldPassword);
    QFETCH(QString, new1);
    QFETCH(QString, new2);
    QFETCH(QString, message);
    QFETCH(QStringList, boxesAfter);
    QFETCH(QString, focus);
    Accounts a;
    WindowHarness h(a.school, {.shown = false});
    Account who{QStringLiteral("王老师"), QStringLiteral("t123"), QString::number(a.classRow)};
    const QMap<int, QString> before = passwords(a.school);
    a.school.closeDb();

    ScriptedResponder &responder = h.responder;
    bool signInStayed = false;
    whenModal([&](QWidget *w) {
        auto *d = qobject_cast<SignInDialog *>(w);
        whenModal([&](QWidget *w2) {
            auto *c = qobject_cast<PasswordChangeDialog *>(w2);
            QVERIFY(c);
            c->passwordBox->setText(oldPassword);
            c->newPasswordBox->setText(new1);
            c->repeatPasswordBox->setText(new2);
            c->okButton->click();
            QCOMPARE(responder.texts(), QStringList{message});
            QCOMPARE(responder.last().title, QStringLiteral("提示……"));
            QCOMPARE((QStringList{c->passwordBox->text(), c->newPasswordBox->text(), c->repeatPasswordBox->text()}), boxesAfter);
            QCOMPARE(c->focusWidget()->objectName(), focus);
            QVERIFY(c->isVisible());
            c->cancelButton->click();
        });
        d->changePasswordButton->click();
        signInStayed = d->isVisible();
        d->cancelButton->click();
    });
    QVERIFY(!runSignIn(h.main, who));
    QVERIFY(signInStayed);
    QCOMPARE(passwords(a.school), before);
    QCOMPARE(who.password, QStringLiteral("t123"));
    QCOMPARE(h.session().denglu, QString());
}

void TestSignIn::passwordChangeWithoutRow_data()
{
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("removeAdmin");
    QTest::newRow("administrator row missing") << QStringLiteral("管理员") << QString() << true;
    QTest::newRow("deleted class row") << QStringLiteral("王老师") << QStringLiteral("999") << false;
    QTest::newRow("empty id") << QStringLiteral("王老师") << QString() << false;
    QTest::newRow("id that is no number") << QStringLiteral("王老师") << QStringLiteral("1 or 1=1") << false;
    QTest::newRow("name not on the row") << QStringLiteral("李老师") << QStringLiteral("CLASS") << false;
}

void TestSignIn::passwordChangeWithoutRow()
{
    QFETCH(QString, account);
    QFETCH(QString, id);
    QFETCH(bool, removeAdmin);
    Accounts a;
    if (removeAdmin)
        QVERIFY(a.school.removeAdmin());
    if (id == QStringLiteral("CLASS"))
        id = QString::number(a.classRow);
    WindowHarness h(a.school, {.shown = false});
    Account who{account, QStringLiteral("old"), id};
    const QMap<int, QString> before = passwords(a.school);
    a.school.closeDb();

    ScriptedResponder &responder = h.responder;
    whenModal([&](QWidget *w) {
        auto *d = qobject_cast<SignInDialog *>(w);
        whenModal([&](QWidget *w2) {
            auto *c = qobject_cast<PasswordChangeDialog *>(w2);
            QVERIFY(c);
            c->passwordBox->setText(QStringLiteral("old"));
            c->newPasswordBox->setText(QStringLiteral("new"));
            c->repeatPasswordBox->setText(QStringLiteral("new"));
            c->okButton->click();
            QVERIFY(c->isVisible());
            c->cancelButton->click();
        });
        d->changePasswordButton->click();
        d->cancelButton->click();
    });
    QVERIFY(!runSignIn(h.main, who));
    QCOMPARE(responder.shown().size(), 1);
    QVERIFY(responder.last().text.contains(account));
    QVERIFY(!responder.last().text.contains(QStringLiteral("成功")));
    QCOMPARE(passwords(a.school), before);
    QCOMPARE(who.password, QStringLiteral("old"));
    QCOMPARE(h.session().denglu, QString());
}

void TestSignIn::passwordChangeCancelKeepsSignIn()
{
    Accounts a;
    WindowHarness h(a.school, {.shown = false});
    Account who{QStringLiteral("王老师"), QStringLiteral("t123"), QString::number(a.classRow)};
    bool signInOpen = false;
    int maxLength = 0;
    whenModal([&](QWidget *w) {
        auto *d = qobject_cast<SignInDialog *>(w);
        whenModal([&](QWidget *w2) {
            auto *c = qobject_cast<PasswordChangeDialog *>(w2);
            QVERIFY(c);
            QCOMPARE(c->okButton->text(), QStringLiteral("确定(&Y)"));
            QCOMPARE(c->cancelButton->text(), QStringLiteral("取消(&C)"));
            QCOMPARE(c->captionLabels.last()->text(), QStringLiteral("密码最多6位数字或英文字符"));
            for (QLineEdit *box : {c->passwordBox, c->newPasswordBox, c->repeatPasswordBox}) {
                QCOMPARE(box->echoMode(), QLineEdit::Password);
                QVERIFY(!box->testAttribute(Qt::WA_InputMethodEnabled));
            }
            QTest::keyClicks(c->newPasswordBox, QStringLiteral("123456789"));
            maxLength = c->newPasswordBox->text().size();
            QTest::keyClick(c->newPasswordBox, Qt::Key_Escape);
        });
        d->changePasswordButton->click();
        signInOpen = d->isVisible();
        d->passwordBox->setText(QStringLiteral("t123"));
        d->okButton->click();
    });
    QVERIFY(runSignIn(h.main, who));
    QVERIFY(signInOpen);   // cancelling the change closes only the change
    QCOMPARE(maxLength, 6);    // the password rule
}

// A new password is held to the password rule as it is typed; typed the same
// way into 登陆 it is the same password.
void TestSignIn::passwordChangeGoesToTheWindowsDatabase()
{
    // A window opened on the local database, then openpath switched to the server
    // (a database with the same rows): the change is written where the window signs in.
    Accounts local;
    Accounts server;
    const QMap<int, QString> serverPasswords = passwords(server.school);
    server.school.closeDb();
    WindowHarness h(local.school, {.shown = false});
    Host window(SignInToggle::Kind::HeadTeacher, h.main, h.session().openpath);
    window.account = Account{QStringLiteral("王老师"), QStringLiteral("t123"), QString::number(local.classRow)};
    h.session().openpath = server.school.dbPath();

    whenChangingPassword(QStringLiteral("t123"), QStringLiteral("n1"));
    window.signInButton->click();
    QVERIFY(window.toggle->isSignedIn());
    QCOMPARE(h.responder.texts(), QStringList{QStringLiteral("密码修改成功。")});
    QCOMPARE(passwords(local.school).value(local.classRow), QStringLiteral("n1"));
    local.school.closeDb();
    QCOMPARE(passwords(server.school), serverPasswords);
    server.school.closeDb();

    // The window signs in with the new password afterwards.
    window.signInButton->click();
    QVERIFY(!window.toggle->isSignedIn());
    QVERIFY(signInThrough(window.signInButton, QStringLiteral("n1")));
    QVERIFY(window.toggle->isSignedIn());
}

void TestSignIn::passwordTypedLongerThanTheBoxes()
{
    // The new password keeps the rule of every box that sets one (6 GBK bytes,
    // blanks included); 登陆 then takes it as typed.
    Accounts a;
    WindowHarness h(a.school, {.shown = false});
    Account who{QStringLiteral("王老师"), QStringLiteral("t123"), QString::number(a.classRow)};
    const QString kTooLong = QStringLiteral("输入的密码内容不能超过6个半角字符长度。");
    whenChangingPassword(QStringLiteral("t123"), QStringLiteral(" abcd12345"));
    QVERIFY(runSignIn(h.main, who));
    QCOMPARE(a.school.value(QStringLiteral(R"(select "密码" from "教导处" where "id"=?)"), {a.classRow}).toString(),
             QStringLiteral(" abcd1"));
    QCOMPARE(h.responder.texts(), QStringList(8, kTooLong) << QStringLiteral("密码修改成功。"));
    a.school.closeDb();

    h.signOut();
    h.responder.clear();
    QString inBox;
    whenModal([&](QWidget *w) {
        auto *d = qobject_cast<SignInDialog *>(w);
        QVERIFY(d);
        QCOMPARE(d->passwordBox->maxLength(), 8);
        typeKeys(d->passwordBox, QStringLiteral(" abcd1"));
        inBox = d->passwordBox->text();
        QTest::keyClick(d->passwordBox, Qt::Key_Return);
    });
    QVERIFY(runSignIn(h.main, who));
    QCOMPARE(inBox, QStringLiteral(" abcd1"));
    QVERIFY(h.responder.shown().isEmpty());
}

// The account's row deleted since the window read it.
const QString kRowGone = QStringLiteral("<deleted>");

void TestSignIn::toggleRefusals_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("gradeGroup");
    QTest::addColumn<QString>("klass");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("username");
    QTest::addColumn<QString>("stored");   // 密码 of the account's row at the click, or kRowGone
    QTest::addColumn<QString>("message");
    const int head = int(SignInToggle::Kind::HeadTeacher);
    const int teacher = int(SignInToggle::Kind::Teacher);
    const QString g = QStringLiteral("初二年级组"), c = QStringLiteral("三班"), s = QStringLiteral("语文");
    const QString u = QStringLiteral("王老师"), p = QStringLiteral("t123");
    QTest::newRow("head: no grade group") << head << QString() << c << QString() << u << p
                                          << QStringLiteral("请选择一个年级组。");
    QTest::newRow("head: no class") << head << g << QString() << QString() << u << p
                                    << QStringLiteral("请至少选择一个班级。");
    QTest::newRow("head: no head teacher") << head << g << c << QString() << QString() << p
                                           << QStringLiteral("没有班主任名,请教导处添加后,才能修改。");
    QTest::newRow("head: no password") << head << g << c << QString() << u << QString()
                                       << QStringLiteral("班主任还没定密码,请教导处添加,才能修改。");
    QTest::newRow("head: row deleted")
        << head << g << c << QString() << u << kRowGone
        << QStringLiteral("找不到班主任(王老师)的账户数据，可能已被教导处删除或修改，请重新选择班级。");
    QTest::newRow("teacher: no grade group") << teacher << QString() << c << s << u << p
                                             << QStringLiteral("请选择一个年级组。");
    QTest::newRow("teacher: no class") << teacher << g << QString() << s << u << p
                                       << QStringLiteral("请选择一个班级。");
    QTest::newRow("teacher: no subject") << teacher << g << c << QString() << u << p
                                         << QStringLiteral("请选择一个学科。");
    QTest::newRow("teacher: no teacher") << teacher << g << c << s << QString() << p
                                         << QStringLiteral("本学科还没设定教师名,请教导处管理人员添加,之后才能进行输分。");
    QTest::newRow("teacher: no password")
        << teacher << g << c << s << u << QString()
        << QStringLiteral("任课教师(王老师)还没定密码,请与教导处管理人员联系,添加后,才能输分。");
    QTest::newRow("teacher: row deleted")
        << teacher << g << c << s << u << kRowGone
        << QStringLiteral("找不到任课教师(王老师)的账户数据，可能已被教导处删除或修改，请重新选择学科。");
}

void TestSignIn::toggleRefusals()
{
    QFETCH(int, kind);
    QFETCH(QString, gradeGroup);
    QFETCH(QString, klass);
    QFETCH(QString, subject);
    QFETCH(QString, username);
    QFETCH(QString, stored);
    QFETCH(QString, message);
    Accounts a;
    const int row = kind == int(SignInToggle::Kind::Teacher) ? a.teachingRow : a.classRow;
    if (stored == kRowGone)
        QVERIFY(a.school.db().exec(QStringLiteral(R"(delete from "教导处" where "id"=?)"), {row}));
    else
        QVERIFY(a.school.db().exec(QStringLiteral(R"(update "教导处" set "密码"=? where "id"=?)"), {stored, row}));
    a.school.closeDb();
    WindowHarness h(a.school, {.shown = false});
    Host host(SignInToggle::Kind(kind), h.main);
    const QString signedOut = host.signInButton->text();
    host.gradeGroupCombo->setCurrentIndex(gradeGroup.isEmpty() ? -1 : 0);
    host.classCombo->setCurrentIndex(klass.isEmpty() ? -1 : 0);
    host.subjectCombo->setCurrentIndex(subject.isEmpty() ? -1 : 0);
    // The password as the window read it when the account was chosen: the
    // stored one decides.
    host.account = Account{username, QStringLiteral("t123"), QString::number(row)};
    ScriptedResponder &responder = h.responder;
    bool dialogShown = false;
    whenModal([&](QWidget *w) {
        dialogShown = w != nullptr;
        if (w)
            w->close();
    });
    host.signInButton->click();
    QCoreApplication::processEvents();
    QVERIFY(!dialogShown);
    QCOMPARE(responder.texts(), QStringList{message});
    QCOMPARE(responder.last().title, QStringLiteral("提示"));
    QCOMPARE(host.signInButton->text(), signedOut);
    QVERIFY(!host.editFrame->isEnabled());
    QCOMPARE(h.session().denglu, QString());
}

void TestSignIn::adminToggleRefusesWithoutAdminRow()
{
    Accounts a;
    QVERIFY(a.school.removeAdmin());
    a.school.closeDb();
    WindowHarness h(a.school, {.shown = false});
    Host host(SignInToggle::Kind::Admin, h.main);
    QCOMPARE(host.signInButton->text(), QStringLiteral("管理员 登陆(&K)"));
    ScriptedResponder &responder = h.responder;
    bool dialogShown = false;
    whenModal([&](QWidget *w) {
        dialogShown = w != nullptr;
        if (w)
            w->close();
    });
    host.signInButton->click();
    QCoreApplication::processEvents();
    QVERIFY(!dialogShown);
    QCOMPARE(responder.texts(),
             QStringList{QStringLiteral("管理员数据丢失,请确认服务器连接路径是否正确?否则无法登陆。")});
    QCOMPARE(h.session().denglu, QString());
    QCOMPARE(host.signInButton->text(), QStringLiteral("管理员 登陆(&K)"));
    QVERIFY(!host.editFrame->isEnabled());
}

void TestSignIn::toggleSignsInAndOut_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("signedOut");
    QTest::addColumn<QString>("signedIn");
    QTest::newRow("admin") << int(SignInToggle::Kind::Admin) << QStringLiteral("adm")
                           << QStringLiteral("管理员 登陆(&K)") << QStringLiteral("管理员退出登陆(&K)");
    QTest::newRow("head teacher") << int(SignInToggle::Kind::HeadTeacher) << QStringLiteral("t123")
                                  << QStringLiteral("班主任登陆 修改(&K)") << QStringLiteral("退出登陆 修改(&K)");
    QTest::newRow("teacher") << int(SignInToggle::Kind::Teacher) << QStringLiteral("w456")
                             << QStringLiteral("请任课教师 登陆(&K)") << QStringLiteral("任课教师退出登陆(&K)");
}

void TestSignIn::toggleSignsInAndOut()
{
    QFETCH(int, kind);
    QFETCH(QString, password);
    QFETCH(QString, signedOut);
    QFETCH(QString, signedIn);
    Accounts a;
    WindowHarness h(a.school, {.shown = false});
    Host host(SignInToggle::Kind(kind), h.main);
    // A password read before it was changed: the toggle asks for the stored one.
    if (kind == int(SignInToggle::Kind::HeadTeacher))
        host.account = Account{QStringLiteral("王老师"), QStringLiteral("earlier"), QString::number(a.classRow)};
    if (kind == int(SignInToggle::Kind::Teacher))
        host.account = Account{QStringLiteral("王老师"), QStringLiteral("earlier"), QString::number(a.teachingRow)};
    QCOMPARE(host.signInButton->text(), signedOut);
    QVERIFY(!host.editFrame->isEnabled());
    QSignalSpy shown(host.toggle, &SignInToggle::stateShown);

    whenModal([&](QWidget *w) {
        auto *d = qobject_cast<SignInDialog *>(w);
        QVERIFY(d);
        d->passwordBox->setText(password);
        d->okButton->click();
    });
    host.signInButton->click();
    QCOMPARE(host.signInButton->text(), signedIn);
    QVERIFY(host.toggle->isSignedIn());
    QVERIFY(host.editFrame->isEnabled());
    QCOMPARE(h.session().denglu, kind == int(SignInToggle::Kind::Admin) ? QStringLiteral("管理员") : QStringLiteral("王老师"));
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.last().at(0).toBool(), true);

    host.signInButton->click();   // sign out: no dialog
    QCOMPARE(host.signInButton->text(), signedOut);
    QVERIFY(!host.editFrame->isEnabled());
    QCOMPARE(h.session().denglu, QString());
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.last().at(0).toBool(), false);
}

void TestSignIn::toggleUsesItsOwnAccount()
{
    // Two windows with different classes chosen: each signs in its own head
    // teacher, and counts as signed in only while that account is.
    Accounts a;
    const int siban = a.school.addClass(QStringLiteral("初二年级组"), QStringLiteral("四班"), QStringLiteral("李老师"),
                                        QStringLiteral("l888"));
    a.school.closeDb();
    WindowHarness h(a.school, {.shown = false});
    Host first(SignInToggle::Kind::HeadTeacher, h.main);
    Host second(SignInToggle::Kind::HeadTeacher, h.main);
    first.account = Account{QStringLiteral("王老师"), QStringLiteral("t123"), QString::number(a.classRow)};
    second.account = Account{QStringLiteral("李老师"), QStringLiteral("l888"), QString::number(siban)};
    QStringList offered;
    const auto answer = [&](const QString &password) {
        whenModal([&offered, password](QWidget *w) {
            auto *d = qobject_cast<SignInDialog *>(w);
            QVERIFY(d);
            offered << d->accountBox->text();
            d->passwordBox->setText(password);
            d->okButton->click();
        });
    };
    answer(QStringLiteral("t123"));
    first.signInButton->click();
    QVERIFY(first.toggle->isSignedIn());
    answer(QStringLiteral("l888"));
    second.signInButton->click();
    QVERIFY(second.toggle->isSignedIn());
    QVERIFY(!first.toggle->isSignedIn());
    QCOMPARE(offered, (QStringList{QStringLiteral("王老师"), QStringLiteral("李老师")}));
    QCOMPARE(h.session().denglu, QStringLiteral("李老师"));
    QVERIFY(h.responder.shown().isEmpty());

    // Shown again, each window reads the sign-in against its own account.
    first.toggle->showState();
    second.toggle->showState();
    QVERIFY(!first.toggle->isSignedIn());
    QVERIFY(second.toggle->isSignedIn());
    answer(QStringLiteral("t123"));
    first.signInButton->click();
    QCOMPARE(offered.last(), QStringLiteral("王老师"));
    QVERIFY(first.toggle->isSignedIn());
    QVERIFY(!second.toggle->isSignedIn());
}

void TestSignIn::toggleFailedSignInChangesNothing()
{
    Accounts a;
    WindowHarness h(a.school, {.shown = false});
    Host host(SignInToggle::Kind::Admin, h.main);
    QSignalSpy shown(host.toggle, &SignInToggle::stateShown);
    whenModal([&](QWidget *w) { qobject_cast<SignInDialog *>(w)->cancelButton->click(); });
    host.signInButton->click();
    QCOMPARE(host.signInButton->text(), QStringLiteral("管理员 登陆(&K)"));
    QVERIFY(!host.editFrame->isEnabled());
    QCOMPARE(h.session().denglu, QString());
    QCOMPARE(shown.size(), 0);
}

void TestSignIn::toggleShowsSessionState()
{
    Accounts a;
    WindowHarness h(a.school, {.shown = false});
    Host host(SignInToggle::Kind::HeadTeacher, h.main);
    // Signed in in another window with the same account.
    host.account = Account{QStringLiteral("王老师"), QStringLiteral("t123"), QString::number(a.classRow)};
    h.session().denglu = QStringLiteral("王老师");
    host.toggle->showState();
    QVERIFY(host.toggle->isSignedIn());
    QVERIFY(host.editFrame->isEnabled());
    // A class without a head teacher is never signed in, even with denglu empty.
    host.account = Account{QString(), QString()};
    h.session().denglu.clear();
    host.toggle->showState();
    QVERIFY(!host.toggle->isSignedIn());
    QVERIFY(!host.editFrame->isEnabled());
}

QTEST_MAIN(TestSignIn)
#include "tst_sign_in.moc"
