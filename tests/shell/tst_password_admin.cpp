// 系统安全密码设置: the administrator's sign-in, the three lists, the password
// cell editor with its 6-byte limit, and the save by id.
#include "fixtures/sign_in_steps.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "kit/cell_editor.h"
#include "kit/sign_in_toggle.h"
#include "shell/password_admin_window.h"
#include "shell/password_list.h"
#include "shell/sign_in_dialog.h"
#include "kit/window_names.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
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

WindowHarness::Options signedIn(bool admin)
{
    return {.signedIn = admin ? WindowHarness::kAdmin : QString()};
}

// 系统安全密码设置 opened from its menu item.
PasswordAdminWindow *openFromMenu(WindowHarness &h)
{
    h.trigger(QStringLiteral("xitong"));
    return h.openWindow<PasswordAdminWindow>(kPasswordAdminWindow);
}

// The head teachers of 初一年级组.
void listHeadTeachers(PasswordAdminWindow *w)
{
    choose(w->categoryCombo, QStringLiteral("班主任"));
    choose(w->gradeGroupCombo, QStringLiteral("初一年级组"));
}

// Replaces a password cell's text by typing and commits it with Enter.
void typePassword(PasswordAdminWindow *w, int row, const QString &text)
{
    clickCell(w->passwordGrid, row, w->passwordGrid->Cols() - 1);
    QVERIFY(w->cellEditorBox->isVisible());
    w->cellEditorBox->selectAll();
    typeKeys(w->cellEditorBox, text);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Return);
}

// Answers like a real message box as far as the focus goes: the box is a window
// of its own that takes the focus from the one that showed it, and after the box
// is dismissed nothing gives it back before the user clicks.
class BoxLikeResponder : public ScriptedResponder {
public:
    void notice(QWidget *parent, const QString &text, const QString &title) override
    {
        ScriptedResponder::notice(parent, text, title);
        QWidget box;
        box.setFocusPolicy(Qt::StrongFocus);
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
    }
};

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
    void overLengthMessageThenTheNextRowKeepsBoth();
    void longStoredPasswordIsNotCutByLooking();
    void whatIsSetCanBeTypedAtSignIn();
    void saveWritesTheEditedPasswords();
    void unsavedPasswordsAsk_data();
    void unsavedPasswordsAsk();
    void saveRefusedOnceTheAdministratorIsNotSignedIn();
    void signInElsewhereEndsThisOne();
    void passwordsLandById();
    void failedSaveChangesNothing();
    void namesWithApostrophes();
    void noGradeGroup();
    void looksRight();
};

void TestPasswordAdmin::opensSignedOut()
{
    School s;
    WindowHarness h(s.school, signedIn(false));
    PasswordAdminWindow *w = openFromMenu(h);
    QVERIFY(w);
    QCOMPARE(w->objectName(), QStringLiteral("系统安全密码设置"));
    QCOMPARE(w->windowTitle(), QStringLiteral("系统安全密码设置"));
    QVERIFY(h.responder.shown().isEmpty());
    QCOMPARE(w->signInButton->text(), QStringLiteral("管理员 登陆(&K)"));
    QCOMPARE(w->closeButton->text(), QStringLiteral("退出密码设置(&E)"));
    QCOMPARE(w->saveButton->text(), QStringLiteral("保存设定密码(&K)"));
    QVERIFY(!w->choiceFrame->isEnabled());
    QVERIFY(!w->saveButton->isEnabled());
    QVERIFY(w->listFrame->isEnabled());
    QCOMPARE(w->listHeading->text(), QStringLiteral("相关操作人员密码列表"));
    QCOMPARE(w->captionLabels[0]->text(), QStringLiteral("注意:密码是小于6位半角(或3位全角)字符"));
    QCOMPARE(w->choiceHeading->text(), QStringLiteral("查看与修改密码"));
    QCOMPARE(w->captionLabels[5]->text(), QStringLiteral("选择类别"));
    QCOMPARE(w->captionLabels[4]->text(), QStringLiteral("选择范围"));
    QCOMPARE(w->passwordGrid->Rows(), 1);
    QCOMPARE(gridRow(w->passwordGrid, 0),
             (QStringList{"序号", "班级", "班实际名", " 姓  名 ", "密  码"}));
    QCOMPARE(w->gradeGroupCombo->count(), 2);
    QCOMPARE(w->gradeGroupCombo->currentIndex(), -1);
    QCOMPARE(w->categoryCombo->count(), 3);
    QVERIFY(w->cellEditorBox->isHidden());
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
    WindowHarness h(s.school, signedIn(false));
    PasswordAdminWindow *w = openFromMenu(h);
    // The frame is disabled; a choice that still arrives is refused.
    if (category)
        choose(w->categoryCombo, QStringLiteral("管理员"));
    else
        choose(w->gradeGroupCombo, QStringLiteral("初一年级组"));
    QCOMPARE(h.responder.texts(), QStringList{kNotSignedIn});
    QCOMPARE(h.responder.last().title, kProgramTitle);
    QCOMPARE(w->passwordGrid->Rows(), 1);
    QVERIFY(w->listedIds().isEmpty());
}

void TestPasswordAdmin::signInEnablesAndSignOutCutsTheList()
{
    School s;
    WindowHarness h(s.school, signedIn(false));
    PasswordAdminWindow *w = openFromMenu(h);
    whenModal([](QWidget *dialog) {
        auto *d = qobject_cast<SignInDialog *>(dialog);
        QVERIFY(d);
        d->passwordBox->setText(QStringLiteral("adm"));
        d->okButton->click();
    });
    w->signInButton->click();
    QCOMPARE(w->signInButton->text(), QStringLiteral("管理员退出登陆(&K)"));
    QVERIFY(w->choiceFrame->isEnabled());
    QVERIFY(w->listFrame->isEnabled());
    QVERIFY(w->saveButton->isEnabled());

    listHeadTeachers(w);
    QCOMPARE(w->passwordGrid->Rows(), 4);

    w->signInButton->click();
    QCOMPARE(w->signInButton->text(), QStringLiteral("管理员 登陆(&K)"));
    QCOMPARE(w->passwordGrid->Rows(), 1);
    QVERIFY(w->listedIds().isEmpty());
    QVERIFY(!w->choiceFrame->isEnabled());
    QVERIFY(!w->listFrame->isEnabled());
    QVERIFY(!w->saveButton->isEnabled());
    QCOMPARE(h.session().denglu, QString());
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
    WindowHarness h(s.school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    QCOMPARE(w->signInButton->text(), QStringLiteral("管理员退出登陆(&K)"));
    QVERIFY(w->choiceFrame->isEnabled());
    choose(w->categoryCombo, category);
    if (!gradeGroup.isEmpty()) {
        QCOMPARE(w->passwordGrid->Rows(), 1);   // nothing new until a grade group is chosen
        choose(w->gradeGroupCombo, gradeGroup);
    }
    QVERIFY(h.responder.shown().isEmpty());
    QCOMPARE(w->gradeGroupCombo->isEnabled(), gradeGroupEnabled);
    QCOMPARE(gridRow(w->passwordGrid, 0), header);
    QCOMPARE(w->listHeading->text(), title);
    QCOMPARE(w->passwordGrid->Rows(), 1 + int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        QCOMPARE(gridRow(w->passwordGrid, r + 1), rows[r]);
}

void TestPasswordAdmin::gradeGroupWithoutCategoryListsNothing()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    choose(w->gradeGroupCombo, QStringLiteral("初一年级组"));
    QVERIFY(h.responder.shown().isEmpty());
    QCOMPARE(w->passwordGrid->Rows(), 1);
}

void TestPasswordAdmin::editorOnlyOnThePasswordColumn()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    listHeadTeachers(w);
    for (int col = 0; col < 4; ++col) {
        clickCell(w->passwordGrid, 1, col);
        QVERIFY2(w->cellEditorBox->isHidden(), qPrintable(QString::number(col)));
    }
    clickCell(w->passwordGrid, 3, 4);
    QVERIFY(w->cellEditorBox->isVisible());
    QCOMPARE(w->cellEditorBox->text(), QStringLiteral("l3"));
    QCOMPARE(w->cellEditorBox->geometry().size(), w->passwordGrid->cellRect(3, 4).size());
    // Arrow keys move the caret only.
    QTest::keyClick(w->cellEditorBox, Qt::Key_Up);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Left);
    QVERIFY(w->cellEditorBox->isVisible());
    QCOMPARE(w->cellEditor()->editRow(), 3);
    QTest::keyClick(w->cellEditorBox, Qt::Key_X);
    QCOMPARE(w->cellEditorBox->text(), QStringLiteral("lx3"));
    QTest::keyClick(w->cellEditorBox, Qt::Key_Return);
    QVERIFY(w->cellEditorBox->isHidden());
    QCOMPARE(w->passwordGrid->TextMatrix(3, 4), QStringLiteral("lx3"));
    QVERIFY(w->passwordGrid->hasFocus());
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
    QTest::newRow("blanks count") << QStringLiteral(" 123456 ") << false << QStringLiteral(" 12345") << 2;
    QTest::newRow("6 bytes fit") << QStringLiteral("ab一二") << false << QStringLiteral("ab一二") << 0;
}

void TestPasswordAdmin::passwordLimit()
{
    QFETCH(QString, typed);
    QFETCH(bool, pasted);
    QFETCH(QString, kept);
    QFETCH(int, messages);
    School s;
    WindowHarness h(s.school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    listHeadTeachers(w);
    clickCell(w->passwordGrid, 2, 4);   // 二班: an empty password
    QVERIFY(w->cellEditorBox->isVisible());
    if (pasted) {
        QApplication::clipboard()->setText(typed);
        QTest::keyClick(w->cellEditorBox, Qt::Key_V, Qt::ControlModifier);
    } else {
        typeKeys(w->cellEditorBox, typed);
    }
    QCOMPARE(w->cellEditorBox->text(), kept);
    QCOMPARE(h.responder.shown().size(), messages);
    for (const auto &m : h.responder.shown()) {
        QCOMPARE(m.text, kTooLong);
        QCOMPARE(m.title, QStringLiteral("提示……"));
    }
    QTest::keyClick(w->cellEditorBox, Qt::Key_Return);
    QCOMPARE(w->passwordGrid->TextMatrix(2, 4), kept);
}

// Seven characters typed into a password cell, the over-length message
// dismissed, the next row's cell clicked before the focus is back, a password
// typed there and saved: both rows keep what was typed.
void TestPasswordAdmin::overLengthMessageThenTheNextRowKeepsBoth()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    listHeadTeachers(w);
    BoxLikeResponder boxes;
    clickCell(w->passwordGrid, 2, 4);   // 二班: an empty password
    typeKeys(w->cellEditorBox, QStringLiteral("1234567"));
    QCOMPARE(boxes.texts(), QStringList{kTooLong});
    QCOMPARE(w->cellEditorBox->text(), QStringLiteral("123456"));
    QVERIFY(!w->cellEditorBox->hasFocus());

    clickCell(w->passwordGrid, 3, 4);
    QVERIFY(w->cellEditorBox->isVisible());
    QCOMPARE(w->cellEditorBox->text(), QStringLiteral("l3"));
    w->cellEditorBox->selectAll();
    typeKeys(w->cellEditorBox, QStringLiteral("new3"));
    w->saveButton->click();
    QCOMPARE(boxes.texts(), (QStringList{kTooLong, QStringLiteral("设定的密码,已经保存。")}));
    QCOMPARE(s.password(s.erban), QStringLiteral("123456"));
    QCOMPARE(s.password(s.sanban), QStringLiteral("new3"));
    QCOMPARE(w->passwordGrid->TextMatrix(2, 4), QStringLiteral("123456"));
}

void TestPasswordAdmin::longStoredPasswordIsNotCutByLooking()
{
    // The sign-in dialog's password change stores up to 8 characters.
    School s;
    QVERIFY(s.school.db().exec(QStringLiteral(R"(update "教导处" set "密码"='abcd1234' where "id"=?)"), {s.sanban}));
    s.school.closeDb();
    WindowHarness h(s.school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    listHeadTeachers(w);
    clickCell(w->passwordGrid, 3, 4);
    QCOMPARE(w->cellEditorBox->text(), QStringLiteral("abcd1234"));
    QTest::keyClick(w->cellEditorBox, Qt::Key_Return);
    QCOMPARE(w->passwordGrid->TextMatrix(3, 4), QStringLiteral("abcd1234"));
    QVERIFY(h.responder.shown().isEmpty());
    w->saveButton->click();
    QCOMPARE(s.password(s.sanban), QStringLiteral("abcd1234"));
    // Typing into it is held to the rule.
    clickCell(w->passwordGrid, 3, 4);
    QTest::keyClick(w->cellEditorBox, Qt::Key_End);
    QTest::keyClick(w->cellEditorBox, Qt::Key_X);
    QCOMPARE(w->cellEditorBox->text(), QStringLiteral("abcd12"));
}

void TestPasswordAdmin::whatIsSetCanBeTypedAtSignIn()
{
    // Blanks around count: what the administrator can store fits the 8-character
    // box of 登陆, and typing it there signs the head teacher in.
    School s;
    WindowHarness h(s.school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    listHeadTeachers(w);
    typePassword(w, 3, QStringLiteral("  abcdef  "));
    w->saveButton->click();
    const QString stored = s.password(s.sanban);
    QVERIFY2(stored.startsWith(QStringLiteral("  abc")), qPrintable(stored));
    QVERIFY2(passwordFits(stored), qPrintable(stored));
    s.school.closeDb();

    QVERIFY(signInElsewhere(h.main, QStringLiteral("李华"), stored, QString::number(s.sanban)));
    QCOMPARE(h.session().denglu, QStringLiteral("李华"));
}

void TestPasswordAdmin::saveWritesTheEditedPasswords()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    listHeadTeachers(w);
    clickCell(w->passwordGrid, 2, 4);
    typeKeys(w->cellEditorBox, QStringLiteral("二'2"));
    QTest::keyClick(w->cellEditorBox, Qt::Key_Return);
    clickCell(w->passwordGrid, 1, 4);
    w->cellEditorBox->selectAll();
    typeKeys(w->cellEditorBox, QStringLiteral("新1"));
    w->saveButton->click();   // the editor is still open: the save takes its text
    QCOMPARE(h.responder.texts(), QStringList{QStringLiteral("设定的密码,已经保存。")});
    QCOMPARE(s.password(s.yiban), QStringLiteral("新1"));
    QCOMPARE(s.password(s.erban), QStringLiteral("二'2"));
    QCOMPARE(s.password(s.sanban), QStringLiteral("l3"));
    QCOMPARE(s.password(s.yuwen), QStringLiteral("z1"));
    QCOMPARE(s.password(s.adminRow), QStringLiteral("adm"));

    // The administrator's own password.
    choose(w->categoryCombo, QStringLiteral("管理员"));
    typePassword(w, 1, QStringLiteral("root"));
    w->saveButton->click();
    QCOMPARE(s.password(s.adminRow), QStringLiteral("root"));
    QCOMPARE(s.password(s.yiban), QStringLiteral("新1"));
}

void TestPasswordAdmin::passwordsLandById()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    listHeadTeachers(w);
    QCOMPARE(w->listedIds(), (QVector<qint64>{s.yiban, s.erban, s.sanban}));

    // Meanwhile the table changed: 一班 went, 四班 came, 三班's password was changed
    // elsewhere. Read again, the records would no longer be in the listed order.
    QVERIFY(s.school.db().exec(QStringLiteral(R"(delete from "教导处" where "id"=?)"), {s.yiban}));
    const int siban = s.school.addClass(QStringLiteral("初一年级组"), QStringLiteral("四班"),
                                        QStringLiteral("赵四"), QStringLiteral("s4"));
    QVERIFY(s.school.db().exec(QStringLiteral(R"(update "教导处" set "密码"='elsewhere' where "id"=?)"), {s.sanban}));
    s.school.closeDb();

    typePassword(w, 1, QStringLiteral("x1"));
    typePassword(w, 2, QStringLiteral("x2"));
    w->saveButton->click();
    QCOMPARE(h.responder.texts(), QStringList{QStringLiteral("以下人员已不在教导处中,其密码没有保存:\r王明")});
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
    WindowHarness h(school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    choose(w->categoryCombo, QStringLiteral("班主任"));
    choose(w->gradeGroupCombo, grade);
    QCOMPARE(gridRow(w->passwordGrid, 1), (QStringList{"1", "一'班", "", "O'Hara", "p'1"}));
    clickCell(w->passwordGrid, 1, 4);
    w->cellEditorBox->selectAll();
    typeKeys(w->cellEditorBox, QStringLiteral("q'2"));
    w->saveButton->click();
    QCOMPARE(school.value(QStringLiteral(R"(select "密码" from "教导处" where "id"=?)"), {row}).toString(),
             QStringLiteral("q'2"));
}

void TestPasswordAdmin::failedSaveChangesNothing()
{
    School s;
    QVERIFY(s.school.db().exec(QStringLiteral(
        R"(create trigger "refuse" before update on "教导处" when new."密码"='bad' begin select raise(abort,'refused'); end)")));
    s.school.closeDb();
    WindowHarness h(s.school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    listHeadTeachers(w);
    typePassword(w, 1, QStringLiteral("ok1"));
    typePassword(w, 3, QStringLiteral("bad"));
    w->saveButton->click();
    QCOMPARE(h.responder.shown().size(), 1);
    QVERIFY(h.responder.last().text.startsWith(QStringLiteral("密码没有保存：")));
    QVERIFY(h.responder.last().text.contains(QStringLiteral("refused")));
    QCOMPARE(s.password(s.yiban), QStringLiteral("w1"));
    QCOMPARE(s.password(s.sanban), QStringLiteral("l3"));
    QCOMPARE(w->passwordGrid->TextMatrix(1, 4), QStringLiteral("ok1"));   // the typed passwords stay
    QCOMPARE(w->passwordGrid->TextMatrix(3, 4), QStringLiteral("bad"));
}

enum class ListGoes { Close, OtherGradeGroup, AdminList, SignOut };

void TestPasswordAdmin::unsavedPasswordsAsk_data()
{
    QTest::addColumn<ListGoes>("how");
    QTest::newRow("close") << ListGoes::Close;
    QTest::newRow("another grade group") << ListGoes::OtherGradeGroup;
    QTest::newRow("the administrator's list") << ListGoes::AdminList;
    QTest::newRow("sign-out") << ListGoes::SignOut;
}

// A typed password is never dropped without a question: Cancel keeps it and
// the list it is in, Yes saves it and goes on.
void TestPasswordAdmin::unsavedPasswordsAsk()
{
    QFETCH(ListGoes, how);
    School s;
    WindowHarness h(s.school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    listHeadTeachers(w);
    typePassword(w, 3, QStringLiteral("new3"));
    const auto listGoes = [&] {
        switch (how) {
        case ListGoes::Close:
            w->closeButton->click();
            break;
        case ListGoes::OtherGradeGroup:
            choose(w->gradeGroupCombo, QStringLiteral("初二年级组"));
            break;
        case ListGoes::AdminList:
            choose(w->categoryCombo, QStringLiteral("管理员"));
            break;
        case ListGoes::SignOut:
            w->signInButton->click();
            break;
        }
        QCoreApplication::processEvents();
    };

    h.responder.answer(Answer::Cancel);
    listGoes();
    QCOMPARE(h.responder.texts(),
             QStringList{QStringLiteral("初一年级组班主任密码列表中修改的密码还没有保存，要先保存吗?")});
    QVERIFY(h.responder.last().hasCancel);
    QVERIFY(h.isOpen(kPasswordAdminWindow));
    QVERIFY(w->toggle()->isSignedIn());
    QCOMPARE(w->categoryCombo->currentText(), QStringLiteral("班主任"));
    QCOMPARE(w->gradeGroupCombo->currentText(), QStringLiteral("初一年级组"));
    QCOMPARE(w->passwordGrid->TextMatrix(3, 4), QStringLiteral("new3"));
    QCOMPARE(s.password(s.sanban), QStringLiteral("l3"));

    h.responder.clear();
    h.responder.answer(Answer::Yes);
    listGoes();
    QCOMPARE(h.responder.texts().size(), 2);
    QCOMPARE(h.responder.texts().last(), QStringLiteral("设定的密码,已经保存。"));
    QCOMPARE(s.password(s.sanban), QStringLiteral("new3"));
    QCOMPARE(h.isOpen(kPasswordAdminWindow), how != ListGoes::Close);
}

void TestPasswordAdmin::saveRefusedOnceTheAdministratorIsNotSignedIn()
{
    // The save writes every account's password: it asks who is signed in when
    // it runs, not what the window showed.
    School s;
    WindowHarness h(s.school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    listHeadTeachers(w);
    typePassword(w, 3, QStringLiteral("new3"));
    h.signOut();
    w->saveButton->click();
    QCOMPARE(h.responder.texts(), QStringList{kNotSignedIn});
    QCOMPARE(s.password(s.sanban), QStringLiteral("l3"));
    QCOMPARE(w->signInButton->text(), QStringLiteral("管理员 登陆(&K)"));
    QVERIFY(!w->saveButton->isEnabled());
}

void TestPasswordAdmin::signInElsewhereEndsThisOne()
{
    // A head teacher signs in in another window: the administrator's list goes.
    School s;
    WindowHarness h(s.school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    listHeadTeachers(w);
    QCOMPARE(w->passwordGrid->Rows(), 4);
    QVERIFY(signInElsewhere(h.main, QStringLiteral("王明"), QStringLiteral("w1"), QString::number(s.yiban)));
    QCOMPARE(w->signInButton->text(), QStringLiteral("管理员 登陆(&K)"));
    QCOMPARE(w->passwordGrid->Rows(), 1);
    QVERIFY(!w->choiceFrame->isEnabled());
    QVERIFY(!w->saveButton->isEnabled());
}

void TestPasswordAdmin::noGradeGroup()
{
    TestSchool school;
    school.setAdminPassword(QStringLiteral("adm"));
    school.closeDb();
    WindowHarness h(school, {.shown = false});
    auto *w = h.open<PasswordAdminWindow>(kPasswordAdminWindow);
    QCOMPARE(h.responder.texts(), QStringList{QStringLiteral("目前还不能设置密码，请先进行年级组设置。")});
    QVERIFY(w);
    QCOMPARE(w->gradeGroupCombo->count(), 0);
}

void TestPasswordAdmin::looksRight()
{
    School s;
    ProgramFontScope programFont;
    WindowHarness h(s.school, signedIn(true));
    PasswordAdminWindow *w = openFromMenu(h);
    QVERIFY(QTest::qWaitForWindowExposed(&h.main));
    listHeadTeachers(w);
    clickCell(w->passwordGrid, 1, 4);
    // Every caption fits its control.
    for (auto *b : w->findChildren<QPushButton *>())
        QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
    for (auto *l : w->findChildren<QLabel *>())
        QVERIFY2(l->width() >= l->minimumSizeHint().width(), qPrintable(l->text()));
    const QImage shot = w->parentWidget()->grab().toImage();
    QVERIFY(!shot.isNull());
    saveShot(shot, QStringLiteral("password_admin"));
}

QTEST_MAIN(TestPasswordAdmin)
#include "tst_password_admin.moc"
