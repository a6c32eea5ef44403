// 系统安全密码设置: the administrator's sign-in, the three lists, the password
// cell editor with its 6-byte limit, and the save by id.
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "platform/flex_grid.h"
#include "platform/messages.h"
#include "kit/cell_editor.h"
#include "app/main_window.h"
#include "shell/password_admin_window.h"
#include "shell/sign_in_dialog.h"
#include "kit/window_names.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using tessaly::test::TestSchool;

namespace {

const QString kNotSignedIn = QStringLiteral("请管理员先登陆,才能查看和修改。");
const QString kTooLong = QStringLiteral("输入的密码内容不能超过6个半角字符长度。");

// 初一年级组: 一班 (实验班, 王明 / w1), 二班 (no head teacher, no password),
// 三班 (李华 / l3), and 张老师 teaching 语文 in 一班 (z1). 初二年级组 has no class.
struct School {
    TestSchool school;
    int adminRow = 0, yiban = 0, erban = 0, sanban = 0, yuwen = 0;
    School()
    {
        school.setAdminPassword(QStringLiteral("adm"));
        adminRow = school.value(QStringLiteral(R"(select "id" from "教导处" where "名称"='管理员')")).toInt();
        school.addGradeGroup(QStringLiteral("初一年级组"));
        school.addGradeGroup(QStringLiteral("初二年级组"));
        yiban = school.addClass(QStringLiteral("初一年级组"), QStringLiteral("一班"), QStringLiteral("王明"),
                                QStringLiteral("w1"), QStringLiteral("实验班"));
        erban = school.addClass(QStringLiteral("初一年级组"), QStringLiteral("二班"));
        sanban = school.addClass(QStringLiteral("初一年级组"), QStringLiteral("三班"), QStringLiteral("李华"),
                                 QStringLiteral("l3"));
        yuwen = school.addTeaching(QStringLiteral("初一年级组"), QStringLiteral("一班"), QStringLiteral("语文"),
                                   QStringLiteral("张老师"), QStringLiteral("z1"));
        school.closeDb();
    }
    QString password(int id)
    {
        return school.value(QStringLiteral(R"(select "密码" from "教导处" where "id"=?)"), {id}).toString();
    }
};

// The main window with 系统安全密码设置 opened from its menu item.
struct Opened {
    MainWindow main;
    PasswordAdminWindow *w = nullptr;
    Opened(TestSchool &school, bool signedIn) : main(school.folder())
    {
        main.session().openpath = school.dbPath();
        if (signedIn) {
            main.session().username = QStringLiteral("管理员");
            main.session().denglu = QStringLiteral("管理员");
        }
        main.show();
        main.findChild<QAction *>(QStringLiteral("xitong"))->trigger();
        w = qobject_cast<PasswordAdminWindow *>(main.openWindow(kPasswordAdminWindow));
    }
};

// Types text key by key, Chinese characters too (as an input method commits them
// one at a time).
void typeText(QWidget *w, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace

class TestPasswordAdmin : public QObject {
    Q_OBJECT

private slots:
    void opensSignedOut();
    void choiceRefusedWhileSignedOut_data();
    void choiceRefusedWhileSignedOut();
    void signInEnablesAndSignOutCutsTheList();
    void lists_data();
    void lists();
    void gradeGroupWithoutCategoryListsNothing();
    void editorOnlyOnThePasswordColumn();
    void passwordLimit_data();
    void passwordLimit();
    void longStoredPasswordIsNotCutByLooking();
    void saveWritesTheEditedPasswords();
    void passwordsLandById();
    void failedSaveChangesNothing();
    void namesWithApostrophes();
    void noGradeGroup();
    void looksRight();
};

void TestPasswordAdmin::opensSignedOut()
{
    School s;
    ScriptedResponder responder;
    Opened o(s.school, false);
    QVERIFY(o.w);
    QCOMPARE(o.w->objectName(), QStringLiteral("系统安全密码设置"));
    QCOMPARE(o.w->windowTitle(), QStringLiteral("系统安全密码设置"));
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(o.w->Command1->text(), QStringLiteral("管理员 登陆(&K)"));
    QCOMPARE(o.w->Command8->text(), QStringLiteral("退出密码设置(&E)"));
    QCOMPARE(o.w->Command5->text(), QStringLiteral("保存设定密码(&K)"));
    QVERIFY(!o.w->Frame1->isEnabled());
    QVERIFY(!o.w->Command5->isEnabled());
    QVERIFY(o.w->Frame2->isEnabled());
    QCOMPARE(o.w->Label2->text(), QStringLiteral("相关操作人员密码列表"));
    QCOMPARE(o.w->Label1[0]->text(), QStringLiteral("注意:密码是小于6位半角(或3位全角)字符"));
    QCOMPARE(o.w->Label3->text(), QStringLiteral("查看与修改密码"));
    QCOMPARE(o.w->Label1[5]->text(), QStringLiteral("选择类别"));
    QCOMPARE(o.w->Label1[4]->text(), QStringLiteral("选择范围"));
    QCOMPARE(o.w->Grid1->Rows(), 1);
    QCOMPARE(gridRow(o.w->Grid1, 0),
             (QStringList{"序号", "班级", "班实际名", " 姓  名 ", "密  码"}));
    QCOMPARE(o.w->Combo1->count(), 2);
    QCOMPARE(o.w->Combo1->currentIndex(), -1);
    QCOMPARE(o.w->Combo2->count(), 3);
    QVERIFY(o.w->Text1->isHidden());
    QCOMPARE(o.main.session().username, QStringLiteral("管理员"));
    QCOMPARE(o.main.session().userpas, QStringLiteral("adm"));
}

void TestPasswordAdmin::choiceRefusedWhileSignedOut_data()
{
    QTest::addColumn<bool>("category");
    QTest::newRow("category") << true;
    QTest::newRow("grade group") << false;
}

void TestPasswordAdmin::choiceRefusedWhileSignedOut()
{
    QFETCH(bool, category);
    School s;
    Opened o(s.school, false);
    ScriptedResponder responder;
    // The frame is disabled; a choice that still arrives is refused.
    if (category)
        choose(o.w->Combo2, QStringLiteral("管理员"));
    else
        choose(o.w->Combo1, QStringLiteral("初一年级组"));
    QCOMPARE(responder.texts(), QStringList{kNotSignedIn});
    QCOMPARE(responder.last().title, kProgramTitle);
    QCOMPARE(o.w->Grid1->Rows(), 1);
    QVERIFY(o.w->listedIds().isEmpty());
}

void TestPasswordAdmin::signInEnablesAndSignOutCutsTheList()
{
    School s;
    Opened o(s.school, false);
    whenModal([](QWidget *w) {
        auto *d = qobject_cast<SignInDialog *>(w);
        QVERIFY(d);
        d->txtPassword->setText(QStringLiteral("adm"));
        d->cmdOK->click();
    });
    o.w->Command1->click();
    QCOMPARE(o.w->Command1->text(), QStringLiteral("管理员退出登陆(&K)"));
    QVERIFY(o.w->Frame1->isEnabled());
    QVERIFY(o.w->Frame2->isEnabled());
    QVERIFY(o.w->Command5->isEnabled());

    choose(o.w->Combo2, QStringLiteral("班主任"));
    choose(o.w->Combo1, QStringLiteral("初一年级组"));
    QCOMPARE(o.w->Grid1->Rows(), 4);

    o.w->Command1->click();
    QCOMPARE(o.w->Command1->text(), QStringLiteral("管理员 登陆(&K)"));
    QCOMPARE(o.w->Grid1->Rows(), 1);
    QVERIFY(o.w->listedIds().isEmpty());
    QVERIFY(!o.w->Frame1->isEnabled());
    QVERIFY(!o.w->Frame2->isEnabled());
    QVERIFY(!o.w->Command5->isEnabled());
    QCOMPARE(o.main.session().denglu, QString());
}

void TestPasswordAdmin::lists_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("gradeGroup");
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<bool>("gradeGroupEnabled");

    QTest::newRow("administrator")
        << QStringLiteral("管理员") << QString() << QStringList{"序号", "管理员名称", "管理员密码"}
        << QStringLiteral("管理员密码列表") << QList<QStringList>{{"1", "管理员", "adm"}} << false;
    QTest::newRow("head teachers")
        << QStringLiteral("班主任") << QStringLiteral("初一年级组")
        << QStringList{"序号", "班　级", "班实际名", "班主任名", "密  码"} << QStringLiteral("初一年级组班主任密码列表")
        << QList<QStringList>{{"1", "一班", "实验班", "王明", "w1"}, {"2", "二班", "", "", ""},
                              {"3", "三班", "", "李华", "l3"}}
        << true;
    QTest::newRow("subject teachers")
        << QStringLiteral("任课教师") << QStringLiteral("初一年级组")
        << QStringList{"序号", "班　级", " 科  目 ", " 姓  名 ", "密  码"}
        << QStringLiteral("初一年级组任课教师密码列表") << QList<QStringList>{{"1", "一班", "语文", "张老师", "z1"}}
        << true;
    QTest::newRow("grade group without classes")
        << QStringLiteral("班主任") << QStringLiteral("初二年级组")
        << QStringList{"序号", "班　级", "班实际名", "班主任名", "密  码"} << QStringLiteral("初二年级组班主任密码列表")
        << QList<QStringList>{} << true;
}

void TestPasswordAdmin::lists()
{
    QFETCH(QString, category);
    QFETCH(QString, gradeGroup);
    QFETCH(QStringList, header);
    QFETCH(QString, title);
    QFETCH(QList<QStringList>, rows);
    QFETCH(bool, gradeGroupEnabled);
    School s;
    Opened o(s.school, true);
    QCOMPARE(o.w->Command1->text(), QStringLiteral("管理员退出登陆(&K)"));
    QVERIFY(o.w->Frame1->isEnabled());
    ScriptedResponder responder;
    choose(o.w->Combo2, category);
    if (!gradeGroup.isEmpty()) {
        QCOMPARE(o.w->Grid1->Rows(), 1);   // nothing new until a grade group is chosen
        choose(o.w->Combo1, gradeGroup);
    }
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(o.w->Combo1->isEnabled(), gradeGroupEnabled);
    QCOMPARE(gridRow(o.w->Grid1, 0), header);
    QCOMPARE(o.w->Label2->text(), title);
    QCOMPARE(o.w->Grid1->Rows(), 1 + int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        QCOMPARE(gridRow(o.w->Grid1, r + 1), rows[r]);
}

void TestPasswordAdmin::gradeGroupWithoutCategoryListsNothing()
{
    School s;
    Opened o(s.school, true);
    ScriptedResponder responder;
    choose(o.w->Combo1, QStringLiteral("初一年级组"));
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(o.w->Grid1->Rows(), 1);
}

void TestPasswordAdmin::editorOnlyOnThePasswordColumn()
{
    School s;
    Opened o(s.school, true);
    QVERIFY(QTest::qWaitForWindowActive(&o.main));
    choose(o.w->Combo2, QStringLiteral("班主任"));
    choose(o.w->Combo1, QStringLiteral("初一年级组"));
    for (int col = 0; col < 4; ++col) {
        clickCell(o.w->Grid1, 1, col);
        QVERIFY2(o.w->Text1->isHidden(), qPrintable(QString::number(col)));
    }
    clickCell(o.w->Grid1, 3, 4);
    QVERIFY(o.w->Text1->isVisible());
    QCOMPARE(o.w->Text1->text(), QStringLiteral("l3"));
    QCOMPARE(o.w->Text1->geometry().size(), o.w->Grid1->cellRect(3, 4).size());
    // Arrow keys move the caret only.
    QTest::keyClick(o.w->Text1, Qt::Key_Up);
    QTest::keyClick(o.w->Text1, Qt::Key_Left);
    QVERIFY(o.w->Text1->isVisible());
    QCOMPARE(o.w->cellEditor()->editRow(), 3);
    QTest::keyClick(o.w->Text1, Qt::Key_X);
    QCOMPARE(o.w->Text1->text(), QStringLiteral("lx3"));
    QTest::keyClick(o.w->Text1, Qt::Key_Return);
    QVERIFY(o.w->Text1->isHidden());
    QCOMPARE(o.w->Grid1->TextMatrix(3, 4), QStringLiteral("lx3"));
    QVERIFY(o.w->Grid1->hasFocus());
    QCOMPARE(s.password(s.sanban), QStringLiteral("l3"));   // nothing stored before the save
}

void TestPasswordAdmin::passwordLimit_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("pasted");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<int>("messages");
    QTest::newRow("7th half-width character") << QStringLiteral("1234567") << false << QStringLiteral("123456") << 1;
    QTest::newRow("4th full-width character") << QStringLiteral("一二三四") << false << QStringLiteral("一二三") << 1;
    QTest::newRow("mixed: 7 bytes") << QStringLiteral("12345一") << false << QStringLiteral("12345") << 1;
    QTest::newRow("5 full-width pasted at once") << QStringLiteral("一二三四五") << true << QStringLiteral("一二三") << 2;
    QTest::newRow("blanks around are not counted") << QStringLiteral(" 123456 ") << false
                                                   << QStringLiteral(" 123456 ") << 0;
    QTest::newRow("6 bytes fit") << QStringLiteral("ab一二") << false << QStringLiteral("ab一二") << 0;
}

void TestPasswordAdmin::passwordLimit()
{
    QFETCH(QString, typed);
    QFETCH(bool, pasted);
    QFETCH(QString, kept);
    QFETCH(int, messages);
    School s;
    Opened o(s.school, true);
    QVERIFY(QTest::qWaitForWindowActive(&o.main));
    choose(o.w->Combo2, QStringLiteral("班主任"));
    choose(o.w->Combo1, QStringLiteral("初一年级组"));
    clickCell(o.w->Grid1, 2, 4);   // 二班: an empty password
    QVERIFY(o.w->Text1->isVisible());
    ScriptedResponder responder;
    if (pasted) {
        QApplication::clipboard()->setText(typed);
        QTest::keyClick(o.w->Text1, Qt::Key_V, Qt::ControlModifier);
    } else {
        typeText(o.w->Text1, typed);
    }
    QCOMPARE(o.w->Text1->text(), kept);
    QCOMPARE(responder.shown().size(), messages);
    for (const auto &m : responder.shown()) {
        QCOMPARE(m.text, kTooLong);
        QCOMPARE(m.title, QStringLiteral("提示……"));
    }
    QTest::keyClick(o.w->Text1, Qt::Key_Return);
    QCOMPARE(o.w->Grid1->TextMatrix(2, 4), kept);
}

void TestPasswordAdmin::longStoredPasswordIsNotCutByLooking()
{
    // The sign-in dialog's password change stores up to 8 characters.
    School s;
    QVERIFY(s.school.db().exec(QStringLiteral(R"(update "教导处" set "密码"='abcd1234' where "id"=?)"), {s.sanban}));
    s.school.closeDb();
    Opened o(s.school, true);
    QVERIFY(QTest::qWaitForWindowActive(&o.main));
    choose(o.w->Combo2, QStringLiteral("班主任"));
    choose(o.w->Combo1, QStringLiteral("初一年级组"));
    ScriptedResponder responder;
    clickCell(o.w->Grid1, 3, 4);
    QCOMPARE(o.w->Text1->text(), QStringLiteral("abcd1234"));
    QTest::keyClick(o.w->Text1, Qt::Key_Return);
    QCOMPARE(o.w->Grid1->TextMatrix(3, 4), QStringLiteral("abcd1234"));
    QVERIFY(responder.shown().isEmpty());
    o.w->Command5->click();
    QCOMPARE(s.password(s.sanban), QStringLiteral("abcd1234"));
    // Typing into it is held to the rule.
    clickCell(o.w->Grid1, 3, 4);
    QTest::keyClick(o.w->Text1, Qt::Key_X);
    QCOMPARE(o.w->Text1->text(), QStringLiteral("abcd12"));
}

void TestPasswordAdmin::saveWritesTheEditedPasswords()
{
    School s;
    Opened o(s.school, true);
    QVERIFY(QTest::qWaitForWindowActive(&o.main));
    choose(o.w->Combo2, QStringLiteral("班主任"));
    choose(o.w->Combo1, QStringLiteral("初一年级组"));
    clickCell(o.w->Grid1, 2, 4);
    typeText(o.w->Text1, QStringLiteral("二'2"));
    QTest::keyClick(o.w->Text1, Qt::Key_Return);
    clickCell(o.w->Grid1, 1, 4);
    o.w->Text1->selectAll();
    typeText(o.w->Text1, QStringLiteral("新1"));
    ScriptedResponder responder;
    o.w->Command5->click();   // the editor is still open: the save takes its text
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("设定的密码,已经保存。")});
    QCOMPARE(s.password(s.yiban), QStringLiteral("新1"));
    QCOMPARE(s.password(s.erban), QStringLiteral("二'2"));
    QCOMPARE(s.password(s.sanban), QStringLiteral("l3"));
    QCOMPARE(s.password(s.yuwen), QStringLiteral("z1"));
    QCOMPARE(s.password(s.adminRow), QStringLiteral("adm"));

    // The administrator's own password.
    choose(o.w->Combo2, QStringLiteral("管理员"));
    clickCell(o.w->Grid1, 1, 2);
    o.w->Text1->selectAll();
    typeText(o.w->Text1, QStringLiteral("root"));
    QTest::keyClick(o.w->Text1, Qt::Key_Return);
    o.w->Command5->click();
    QCOMPARE(s.password(s.adminRow), QStringLiteral("root"));
    QCOMPARE(s.password(s.yiban), QStringLiteral("新1"));
}

void TestPasswordAdmin::passwordsLandById()
{
    School s;
    Opened o(s.school, true);
    QVERIFY(QTest::qWaitForWindowActive(&o.main));
    choose(o.w->Combo2, QStringLiteral("班主任"));
    choose(o.w->Combo1, QStringLiteral("初一年级组"));
    QCOMPARE(o.w->listedIds(), (QVector<qint64>{s.yiban, s.erban, s.sanban}));

    // Meanwhile the table changed: 一班 went, 四班 came, 三班's password was changed
    // elsewhere. Read again, the records would no longer be in the listed order.
    QVERIFY(s.school.db().exec(QStringLiteral(R"(delete from "教导处" where "id"=?)"), {s.yiban}));
    const int siban = s.school.addClass(QStringLiteral("初一年级组"), QStringLiteral("四班"),
                                        QStringLiteral("赵四"), QStringLiteral("s4"));
    QVERIFY(s.school.db().exec(QStringLiteral(R"(update "教导处" set "密码"='elsewhere' where "id"=?)"), {s.sanban}));
    s.school.closeDb();

    const QList<std::pair<int, QString>> edits = {{1, QStringLiteral("x1")}, {2, QStringLiteral("x2")}};
    for (const auto &[row, text] : edits) {
        clickCell(o.w->Grid1, row, 4);
        o.w->Text1->selectAll();
        typeText(o.w->Text1, text);
        QTest::keyClick(o.w->Text1, Qt::Key_Return);
    }
    ScriptedResponder responder;
    o.w->Command5->click();
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("以下人员已不在教导处中,其密码没有保存:\r王明")});
    QCOMPARE(s.password(s.erban), QStringLiteral("x2"));
    QCOMPARE(s.password(siban), QStringLiteral("s4"));
    QCOMPARE(s.password(s.sanban), QStringLiteral("elsewhere"));   // not edited here: left alone
    QCOMPARE(s.school.count(QStringLiteral(R"(select count(*) from "教导处" where "密码"='x1')")), 0);
}

void TestPasswordAdmin::namesWithApostrophes()
{
    TestSchool school;
    school.setAdminPassword(QStringLiteral("adm"));
    const QString grade = QStringLiteral("初三'年级组");
    school.addGradeGroup(grade);
    const int row = school.addClass(grade, QStringLiteral("一'班"), QStringLiteral("O'Hara"), QStringLiteral("p'1"));
    school.closeDb();
    Opened o(school, true);
    QVERIFY(QTest::qWaitForWindowActive(&o.main));
    choose(o.w->Combo2, QStringLiteral("班主任"));
    choose(o.w->Combo1, grade);
    QCOMPARE(gridRow(o.w->Grid1, 1), (QStringList{"1", "一'班", "", "O'Hara", "p'1"}));
    clickCell(o.w->Grid1, 1, 4);
    o.w->Text1->selectAll();
    typeText(o.w->Text1, QStringLiteral("q'2"));
    ScriptedResponder responder;
    o.w->Command5->click();
    QCOMPARE(school.value(QStringLiteral(R"(select "密码" from "教导处" where "id"=?)"), {row}).toString(),
             QStringLiteral("q'2"));
}

void TestPasswordAdmin::failedSaveChangesNothing()
{
    School s;
    QVERIFY(s.school.db().exec(QStringLiteral(
        R"(create trigger "refuse" before update on "教导处" when new."密码"='bad' begin select raise(abort,'refused'); end)")));
    s.school.closeDb();
    Opened o(s.school, true);
    QVERIFY(QTest::qWaitForWindowActive(&o.main));
    choose(o.w->Combo2, QStringLiteral("班主任"));
    choose(o.w->Combo1, QStringLiteral("初一年级组"));
    const QList<std::pair<int, QString>> edits = {{1, QStringLiteral("ok1")}, {3, QStringLiteral("bad")}};
    for (const auto &[row, text] : edits) {
        clickCell(o.w->Grid1, row, 4);
        o.w->Text1->selectAll();
        typeText(o.w->Text1, text);
        QTest::keyClick(o.w->Text1, Qt::Key_Return);
    }
    ScriptedResponder responder;
    o.w->Command5->click();
    QCOMPARE(responder.shown().size(), 1);
    QVERIFY(responder.last().text.startsWith(QStringLiteral("密码没有保存：")));
    QVERIFY(responder.last().text.contains(QStringLiteral("refused")));
    QCOMPARE(s.password(s.yiban), QStringLiteral("w1"));
    QCOMPARE(s.password(s.sanban), QStringLiteral("l3"));
    QCOMPARE(o.w->Grid1->TextMatrix(1, 4), QStringLiteral("ok1"));   // the typed passwords stay
    QCOMPARE(o.w->Grid1->TextMatrix(3, 4), QStringLiteral("bad"));
}

void TestPasswordAdmin::noGradeGroup()
{
    TestSchool school;
    school.setAdminPassword(QStringLiteral("adm"));
    school.closeDb();
    MainWindow main(school.folder());
    main.session().openpath = school.dbPath();
    ScriptedResponder responder;
    main.showWindow(kPasswordAdminWindow);
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("目前还不能设置密码，请先进行年级组设置。")});
    auto *w = qobject_cast<PasswordAdminWindow *>(main.openWindow(kPasswordAdminWindow));
    QVERIFY(w);
    QCOMPARE(w->Combo1->count(), 0);
}

void TestPasswordAdmin::looksRight()
{
    School s;
    ProgramFontScope programFont;
    Opened o(s.school, true);
    QVERIFY(QTest::qWaitForWindowExposed(&o.main));
    choose(o.w->Combo2, QStringLiteral("班主任"));
    choose(o.w->Combo1, QStringLiteral("初一年级组"));
    clickCell(o.w->Grid1, 1, 4);
    // Every caption fits its control.
    for (auto *b : o.w->findChildren<QPushButton *>())
        QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
    for (auto *l : o.w->findChildren<QLabel *>())
        QVERIFY2(l->width() >= l->minimumSizeHint().width(), qPrintable(l->text()));
    const QImage shot = o.w->parentWidget()->grab().toImage();
    QVERIFY(!shot.isNull());
    saveShot(shot, QStringLiteral("password_admin"));
}

QTEST_MAIN(TestPasswordAdmin)
#include "tst_password_admin.moc"
