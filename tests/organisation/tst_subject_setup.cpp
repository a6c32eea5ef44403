// 学科设置: ticks and grid from the stored teaching assignments, rebuilding by
// ticks, adding subjects, copying and pasting teacher names, the teacher cell
// editor and the save.
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "organisation/subject_setup_window.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "kit/cell_editor.h"
#include "shell/sign_in_dialog.h"
#include "kit/sign_in_toggle.h"
#include "kit/window_names.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using tessaly::test::TestSchool;
using W = SubjectSetupWindow;

namespace {

const QString kGrade = QStringLiteral("初一年级组");

// 初一年级组: 一班 (实验班, 王明) teaches 语文 数学 英语 书法; 二班 nothing;
// 三班 (李华) 语文 数学. 初二年级组 has no class.
struct School {
    TestSchool school;
    QMap<QString, int> ids;   // "三班语文" -> id
    School()
    {
        school.setAdminPassword(QStringLiteral("adm"));
        school.addGradeGroup(kGrade);
        school.addGradeGroup(QStringLiteral("初二年级组"));
        school.addClass(kGrade, QStringLiteral("一班"), QStringLiteral("王明"), QStringLiteral("w"),
                        QStringLiteral("实验班"));
        school.addClass(kGrade, QStringLiteral("二班"));
        school.addClass(kGrade, QStringLiteral("三班"), QStringLiteral("李华"), QStringLiteral("l"));
        const QList<QStringList> teaching = {
            {"一班", "语文", "赵老师", "a1"}, {"一班", "数学", "钱老师", "a2"}, {"三班", "语文", "张老师", "z1"},
            {"一班", "英语", "孙老师", "a3"}, {"三班", "数学", "李老师", "l2"}, {"一班", "书法", "周老师", "a4"},
        };
        for (const QStringList &t : teaching)
            ids.insert(t[0] + t[1], school.addTeaching(kGrade, t[0], t[1], t[2], t[3]));
        school.closeDb();
    }

    // The 任课 rows of a class as "科目 教师 密码", in id order.
    QStringList stored(const QString &klass, const QString &grade = kGrade)
    {
        QStringList out;
        QSqlQuery q = school.db().query(
            QStringLiteral(R"(select "其次","名称","密码" from "教导处" where "类别"='任课' and "对应内容"=? and "其它"=? order by "id")"),
            {grade, klass});
        while (q.next())
            out << QStringLiteral("%1 %2 %3").arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString());
        school.closeDb();
        return out;
    }
};

WindowHarness::Options signedIn(bool admin)
{
    return {.signedIn = admin ? WindowHarness::kAdmin : QString()};
}

// 学科设置 opened from its menu item.
W *openFromMenu(WindowHarness &h)
{
    h.trigger(QStringLiteral("XKSZ"));
    return h.openWindow<W>(kSubjectSetupWindow);
}

void chooseClass(W *w, const QString &klass, const QString &grade = kGrade)
{
    choose(w->gradeGroupCombo, grade);
    choose(w->classCombo, klass);
}

QStringList column(W *w, int col)
{
    return gridColumn(w->teacherGrid, col);
}

// Types a teacher's name into a cell of column 4 and commits it with Enter.
void typeTeacher(W *w, int row, const QString &name)
{
    clickCell(w->teacherGrid, row, W::kColTeacher);
    QVERIFY(w->cellEditorBox->isVisible());
    w->cellEditorBox->selectAll();
    typeKeys(w->cellEditorBox, name);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Return);
    QCOMPARE(w->teacherGrid->TextMatrix(row, W::kColTeacher), name);
}

// A question's answer from its letter: Y, N or C.
Answer answerOf(const QString &letter)
{
    return letter == u"Y" ? Answer::Yes : letter == u"N" ? Answer::No : Answer::Cancel;
}

} // namespace

class TestSubjectSetup : public QObject {
    Q_OBJECT

private slots:
    void opensSignedOut();
    void opensSignedIn();
    void ticksReflectStoredRows_data();
    void ticksReflectStoredRows();
    void gradeGroupListsAllItsClasses();
    void gradeGroupWithoutClasses();
    void ticksRebuildTheGridInListOrder();
    void addSubject_data();
    void addSubject();
    void saveAndReopenRoundTrips();
    void saveWithoutRowsRefuses();
    void gradeGroupSaveKeepsEachRowsClass();
    void namesWithApostrophes();
    void copyAndPaste_data();
    void copyAndPaste();
    void foreignClipboardChangesNothing_data();
    void foreignClipboardChangesNothing();
    void editorInTheTeacherColumn();
    void noGradeGroup();
    void closingWithUnsavedChangesAsks_data();
    void closingWithUnsavedChangesAsks();
    void otherChoiceWithUnsavedChangesAsks_data();
    void otherChoiceWithUnsavedChangesAsks();
    void looksRight();
};

void TestSubjectSetup::opensSignedOut()
{
    School s;
    WindowHarness h(s.school, signedIn(false));
    ScriptedResponder &responder = h.responder;
    W *w = openFromMenu(h);
    QVERIFY(w);
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(w->objectName(), QStringLiteral("学科设置"));
    QCOMPARE(w->windowTitle(), QStringLiteral("学科及任课教师设置"));
    QCOMPARE(w->signInButton->text(), QStringLiteral("管理员登陆(&K)"));
    QCOMPARE(w->addSubjectButton->text(), QStringLiteral("加入学科"));
    QCOMPARE(w->saveButton->text(), QStringLiteral("保 存(&S)"));
    QCOMPARE(w->closeButton->text(), QStringLiteral("关 闭(&C)"));
    QCOMPARE(w->copyTeacherButton->text(), QStringLiteral("复制教师名"));
    QCOMPARE(w->pasteTeacherButton->text(), QStringLiteral("粘贴教师名"));
    QCOMPARE(w->gridHeading->text(), QStringLiteral("已存在的任课教师"));
    QCOMPARE(w->titleLabel->text(), QStringLiteral("学科与任课教师设置"));
    QCOMPARE(w->captionLabels[1]->text(), QStringLiteral("选择班级"));
    QCOMPARE(w->captionLabels[4]->text(), QStringLiteral("(共有　　　学科)"));
    QCOMPARE(w->captionLabels[5]->text(), QStringLiteral("0"));
    QCOMPARE(w->gradeGroupCombo->placeholderText(), QStringLiteral("选年级组"));
    QCOMPARE(w->gradeGroupCombo->count(), 2);
    QCOMPARE(w->subjectList->count(), 17);
    QCOMPARE(w->subjectList->item(16)->text(), QStringLiteral("劳动"));
    QVERIFY(ticked(w->subjectList).isEmpty());
    QCOMPARE(w->teacherGrid->Rows(), 1);
    QCOMPARE(w->teacherGrid->TextMatrix(0, 4), QStringLiteral("任课教师名"));
    QCOMPARE(w->teacherGrid->ColWidth(W::kColPassword), 0);
    for (QWidget *c : QList<QWidget *>{w->teacherFrame, w->subjectList, w->addSubjectButton, w->saveButton, w->pasteTeacherButton})
        QVERIFY2(!c->isEnabled(), qPrintable(c->objectName()));

    // Without the sign-in the assignments can still be looked at.
    chooseClass(w, QStringLiteral("三班"));
    QCOMPARE(column(w, W::kColSubject), (QStringList{"语文", "数学"}));

    whenModal([](QWidget *w) {
        auto *d = qobject_cast<SignInDialog *>(w);
        QVERIFY(d);
        d->passwordBox->setText(QStringLiteral("adm"));
        d->okButton->click();
    });
    w->signInButton->click();
    QCOMPARE(w->signInButton->text(), QStringLiteral("管理员退出登陆(&K)"));
    for (QWidget *c : QList<QWidget *>{w->teacherFrame, w->subjectList, w->addSubjectButton, w->saveButton})
        QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
    w->signInButton->click();
    QCOMPARE(w->signInButton->text(), QStringLiteral("管理员 登陆(&K)"));
    for (QWidget *c : QList<QWidget *>{w->teacherFrame, w->subjectList, w->addSubjectButton, w->saveButton})
        QVERIFY2(!c->isEnabled(), qPrintable(c->objectName()));
}

void TestSubjectSetup::opensSignedIn()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    QCOMPARE(w->signInButton->text(), QStringLiteral("管理员退出登陆(&K)"));
    QVERIFY(w->teacherFrame->isEnabled());
    QVERIFY(w->subjectList->isEnabled());
    QVERIFY(w->saveButton->isEnabled());
    QVERIFY(!w->addSubjectButton->isEnabled());   // until a class is chosen
    chooseClass(w, QStringLiteral("三班"));
    QVERIFY(w->addSubjectButton->isEnabled());
}

void TestSubjectSetup::ticksReflectStoredRows_data()
{
    QTest::addColumn<QString>("klass");
    QTest::addColumn<QStringList>("subjects");
    QTest::addColumn<QStringList>("teachers");
    QTest::addColumn<QStringList>("passwords");
    QTest::addColumn<QString>("heading");
    QTest::newRow("三班") << QStringLiteral("三班") << QStringList{"语文", "数学"} << QStringList{"张老师", "李老师"}
                        << QStringList{"z1", "l2"} << QStringLiteral("初一三班()任课教师 班主任李华");
    QTest::newRow("一班 with 书法") << QStringLiteral("一班") << QStringList{"语文", "数学", "英语", "书法"}
                                 << QStringList{"赵老师", "钱老师", "孙老师", "周老师"}
                                 << QStringList{"a1", "a2", "a3", "a4"}
                                 << QStringLiteral("初一一班(实验班)任课教师 班主任王明");
    QTest::newRow("二班 without") << QStringLiteral("二班") << QStringList{} << QStringList{} << QStringList{}
                                << QStringLiteral("初一二班()任课教师 班主任");
}

void TestSubjectSetup::ticksReflectStoredRows()
{
    QFETCH(QString, klass);
    QFETCH(QStringList, subjects);
    QFETCH(QStringList, teachers);
    QFETCH(QStringList, passwords);
    QFETCH(QString, heading);
    School s;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    chooseClass(w, QStringLiteral("一班"));   // another class first: its ticks go
    chooseClass(w, klass);
    QCOMPARE(column(w, W::kColSubject), subjects);
    QCOMPARE(column(w, W::kColTeacher), teachers);
    QCOMPARE(column(w, W::kColPassword), passwords);
    QCOMPARE(column(w, W::kColClass), QStringList(subjects.size(), klass));
    QCOMPARE(column(w, W::kColGradeGroup), QStringList(subjects.size(), kGrade));
    QStringList numbers;
    for (int i = 1; i <= subjects.size(); ++i)
        numbers << QString::number(i);
    QCOMPARE(column(w, W::kColNumber), numbers);
    QStringList inListOrder;
    for (int i = 0; i < w->subjectList->count(); ++i) {
        if (subjects.contains(w->subjectList->item(i)->text()))
            inListOrder << w->subjectList->item(i)->text();
    }
    QCOMPARE(ticked(w->subjectList), inListOrder);
    QCOMPARE(w->captionLabels[5]->text(), QString::number(subjects.size()));
    QCOMPARE(w->gridHeading->text(), heading);
    // 书法 came from the data of 一班 and stays in the list, ticked only there.
    QCOMPARE(w->subjectList->count(), 18);
    QCOMPARE(w->subjectList->item(17)->text(), QStringLiteral("书法"));
}

void TestSubjectSetup::gradeGroupListsAllItsClasses()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    choose(w->gradeGroupCombo, kGrade);
    QCOMPARE(w->classCombo->count(), 3);
    QCOMPARE(w->classCombo->currentText(), QString());
    QCOMPARE(w->gridHeading->text(), QStringLiteral("初一年级组全部任课教师"));
    QCOMPARE(column(w, W::kColClass), (QStringList{"一班", "一班", "三班", "一班", "三班", "一班"}));
    QCOMPARE(column(w, W::kColSubject), (QStringList{"语文", "数学", "语文", "英语", "数学", "书法"}));
    QCOMPARE(w->captionLabels[5]->text(), QStringLiteral("6"));
    // Ticks before a class is chosen change nothing in the grid.
    tick(w->subjectList, QStringLiteral("物理"));
    tick(w->subjectList, QStringLiteral("语文"), false);
    QCOMPARE(w->teacherGrid->Rows(), 7);
    QCOMPARE(w->captionLabels[5]->text(), QStringLiteral("6"));
}

void TestSubjectSetup::gradeGroupWithoutClasses()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    ScriptedResponder responder;
    choose(w->gradeGroupCombo, QStringLiteral("初二年级组"));
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("目前还没有班级，不能添加任课教师，请先进行班级设置。")});
    QCOMPARE(w->classCombo->count(), 0);
    QCOMPARE(w->teacherGrid->Rows(), 1);
}

void TestSubjectSetup::ticksRebuildTheGridInListOrder()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    chooseClass(w, QStringLiteral("三班"));
    tick(w->subjectList, QStringLiteral("物理"));
    QCOMPARE(column(w, W::kColSubject), (QStringList{"语文", "数学", "物理"}));
    QCOMPARE(column(w, W::kColTeacher), (QStringList{"张老师", "李老师", ""}));
    QCOMPARE(column(w, W::kColPassword), (QStringList{"z1", "l2", ""}));
    QCOMPARE(column(w, W::kColNumber), (QStringList{"1", "2", "3"}));
    QCOMPARE(column(w, W::kColClass), (QStringList{"三班", "三班", "三班"}));
    QCOMPARE(w->captionLabels[5]->text(), QStringLiteral("3"));
    tick(w->subjectList, QStringLiteral("数学"), false);
    QCOMPARE(column(w, W::kColSubject), (QStringList{"语文", "物理"}));
    QCOMPARE(column(w, W::kColTeacher), (QStringList{"张老师", ""}));
    QCOMPARE(w->captionLabels[5]->text(), QStringLiteral("2"));
    // Ticked again, 数学 comes back empty.
    tick(w->subjectList, QStringLiteral("数学"));
    QCOMPARE(column(w, W::kColSubject), (QStringList{"语文", "数学", "物理"}));
    QCOMPARE(column(w, W::kColTeacher), (QStringList{"张老师", "", ""}));
}

void TestSubjectSetup::addSubject_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("items");
    QTest::addColumn<QStringList>("subjects");
    // The grade group's assignments put 书法 into the list: 18 items before the click.
    QTest::newRow("new subject") << QStringLiteral("  篆刻 ") << 19 << QStringList{"语文", "数学", "篆刻"};
    QTest::newRow("found in the data, unticked") << QStringLiteral("书法") << 18
                                                 << QStringList{"语文", "数学", "书法"};
    QTest::newRow("fixed, unticked") << QStringLiteral("物理") << 18 << QStringList{"语文", "数学", "物理"};
    QTest::newRow("fixed, ticked") << QStringLiteral("数学") << 18 << QStringList{"语文", "数学"};
    QTest::newRow("blanks only") << QStringLiteral("   ") << 18 << QStringList{"语文", "数学"};
}

void TestSubjectSetup::addSubject()
{
    QFETCH(QString, text);
    QFETCH(int, items);
    QFETCH(QStringList, subjects);
    School s;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    chooseClass(w, QStringLiteral("三班"));
    QCOMPARE(w->subjectList->count(), 18);
    w->newSubjectBox->setText(text);
    w->addSubjectButton->click();
    QCOMPARE(w->subjectList->count(), items);
    QCOMPARE(column(w, W::kColSubject), subjects);
    QCOMPARE(ticked(w->subjectList), subjects);
    QCOMPARE(column(w, W::kColTeacher).mid(0, 2), (QStringList{"张老师", "李老师"}));
    QCOMPARE(w->newSubjectBox->text(), text);
    w->addSubjectButton->click();   // a second time adds no twin
    QCOMPARE(w->subjectList->count(), items);
    QCOMPARE(column(w, W::kColSubject), subjects);
}

void TestSubjectSetup::saveAndReopenRoundTrips()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    chooseClass(w, QStringLiteral("三班"));
    tick(w->subjectList, QStringLiteral("物理"));
    tick(w->subjectList, QStringLiteral("数学"), false);
    typeTeacher(w, 2, QStringLiteral("O'Neil"));
    typeTeacher(w, 1, QStringLiteral("王'五"));
    ScriptedResponder responder;
    w->saveButton->click();
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("您设置的初一年级组三班的所有任课教师,已经保存完毕。")});
    QCOMPARE(s.stored(QStringLiteral("三班")), (QStringList{"语文 王'五 z1", "物理 O'Neil "}));
    QCOMPARE(s.school.value(QStringLiteral(R"(select "名称" from "教导处" where "id"=?)"),
                            {s.ids.value(QStringLiteral("三班语文"))})
                 .toString(),
             QStringLiteral("王'五"));
    QCOMPARE(s.stored(QStringLiteral("一班")).size(), 4);
    s.school.closeDb();

    w->closeButton->click();
    QTRY_VERIFY(!h.isOpen(kSubjectSetupWindow));
    w = openFromMenu(h);
    QVERIFY(w);
    chooseClass(w, QStringLiteral("三班"));
    QCOMPARE(ticked(w->subjectList), (QStringList{"语文", "物理"}));
    QCOMPARE(column(w, W::kColSubject), (QStringList{"语文", "物理"}));
    QCOMPARE(column(w, W::kColTeacher), (QStringList{"王'五", "O'Neil"}));
}

void TestSubjectSetup::saveWithoutRowsRefuses()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    chooseClass(w, QStringLiteral("三班"));
    tick(w->subjectList, QStringLiteral("语文"), false);
    tick(w->subjectList, QStringLiteral("数学"), false);
    ScriptedResponder responder;
    w->saveButton->click();
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("没有任何学科,无法保存。")});
    QCOMPARE(s.stored(QStringLiteral("三班")).size(), 2);
}

void TestSubjectSetup::gradeGroupSaveKeepsEachRowsClass()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    choose(w->gradeGroupCombo, kGrade);
    typeTeacher(w, 3, QStringLiteral("新老师"));   // 三班 语文
    typeTeacher(w, 6, QStringLiteral("吴老师"));   // 一班 书法
    ScriptedResponder responder;
    w->saveButton->click();
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("您设置的初一年级组的所有任课教师,已经保存完毕。")});
    QCOMPARE(s.stored(QStringLiteral("三班")), (QStringList{"语文 新老师 z1", "数学 李老师 l2"}));
    QCOMPARE(s.stored(QStringLiteral("一班")),
             (QStringList{"语文 赵老师 a1", "数学 钱老师 a2", "英语 孙老师 a3", "书法 吴老师 a4"}));
    QCOMPARE(s.school.count(QStringLiteral(R"(select count(*) from "教导处" where "类别"='任课')")), 6);
}

void TestSubjectSetup::namesWithApostrophes()
{
    TestSchool school;
    const QString grade = QStringLiteral("初一'年级组");
    const QString klass = QStringLiteral("三'班");
    school.addGradeGroup(grade);
    school.addClass(grade, klass, QStringLiteral("O'Hara"));
    school.addTeaching(grade, klass, QStringLiteral("语文"), QStringLiteral("D'Arcy"), QStringLiteral("p"));
    school.closeDb();
    WindowHarness h(school, signedIn(true));
    W *w = openFromMenu(h);
    chooseClass(w, klass, grade);
    QCOMPARE(column(w, W::kColTeacher), QStringList{"D'Arcy"});
    QCOMPARE(w->gridHeading->text(), QStringLiteral("初一三'班()任课教师 班主任O'Hara"));
    tick(w->subjectList, QStringLiteral("数学"));
    typeTeacher(w, 2, QStringLiteral("L'Estrange"));
    ScriptedResponder responder;
    w->saveButton->click();
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("您设置的初一'年级组三'班的所有任课教师,已经保存完毕。")});
    QSqlQuery q = school.db().query(
        QStringLiteral(R"(select "其次","名称","密码" from "教导处" where "对应内容"=? and "其它"=? and "类别"='任课' order by "id")"),
        {grade, klass});
    QStringList rows;
    while (q.next())
        rows << q.value(0).toString() + q.value(1).toString() + q.value(2).toString();
    QCOMPARE(rows, (QStringList{"语文D'Arcyp", "数学L'Estrange"}));
}

void TestSubjectSetup::copyAndPaste_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QStringList>("fromTicks");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QStringList>("toTicks");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QStringList>("teachers");
    QTest::newRow("four names into two rows")
        << QStringLiteral("一班") << QStringList{} << QStringLiteral("三班") << QStringList{} << true << true
        << QStringList{"赵老师", "钱老师"};
    QTest::newRow("answered No") << QStringLiteral("一班") << QStringList{} << QStringLiteral("三班")
                                 << QStringList{} << false << true << QStringList{"张老师", "李老师"};
    QTest::newRow("two names into four rows")
        << QStringLiteral("三班") << QStringList{} << QStringLiteral("一班") << QStringList{} << true << true
        << QStringList{"张老师", "李老师", "孙老师", "周老师"};
    QTest::newRow("an empty name empties the row")
        << QStringLiteral("二班") << QStringList{"语文"} << QStringLiteral("三班") << QStringList{} << true << true
        << QStringList{"", "李老师"};
    QTest::newRow("no teacher yet: nothing asked")
        << QStringLiteral("三班") << QStringList{} << QStringLiteral("二班") << QStringList{"语文", "数学", "物理"}
        << false << false << QStringList{"张老师", "李老师", ""};
}

void TestSubjectSetup::copyAndPaste()
{
    QFETCH(QString, from);
    QFETCH(QStringList, fromTicks);
    QFETCH(QString, to);
    QFETCH(QStringList, toTicks);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(QStringList, teachers);
    School s;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    chooseClass(w, from);
    for (const QString &t : fromTicks)
        tick(w->subjectList, t);
    const QStringList copied = column(w, W::kColTeacher);
    QVERIFY(!w->pasteTeacherButton->isEnabled());
    w->copyTeacherButton->click();
    QVERIFY(w->pasteTeacherButton->isEnabled());
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("#*#") + copied.join(QStringLiteral("#*#")));

    if (!fromTicks.isEmpty())
        h.responder.answer(Answer::No);   // the ticks were for the copy only: not saved
    choose(w->classCombo, to);
    for (const QString &t : toTicks)
        tick(w->subjectList, t);
    const QStringList passwords = column(w, W::kColPassword);
    ScriptedResponder responder;
    responder.answer(answer);
    w->pasteTeacherButton->click();
    if (asked) {
        QCOMPARE(responder.texts(), QStringList{QStringLiteral("你真的要把所有任课教师姓名都更换为复制内容吗？")});
        QVERIFY(responder.last().isQuestion);
        QCOMPARE(responder.last().title, QStringLiteral("提示……"));
    } else {
        QVERIFY(responder.shown().isEmpty());
    }
    QCOMPARE(column(w, W::kColTeacher), teachers);
    QCOMPARE(column(w, W::kColPassword), passwords);   // passwords are not pasted
}

void TestSubjectSetup::foreignClipboardChangesNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("separated like a copy") << QStringLiteral("#*#甲#*#乙");
    QTest::newRow("plain text") << QStringLiteral("张三");
    QTest::newRow("empty") << QString();
}

void TestSubjectSetup::foreignClipboardChangesNothing()
{
    QFETCH(QString, text);
    School s;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    chooseClass(w, QStringLiteral("一班"));
    w->copyTeacherButton->click();
    choose(w->classCombo, QStringLiteral("三班"));
    QApplication::clipboard()->setText(text);   // another program's text since the copy
    ScriptedResponder responder;
    w->pasteTeacherButton->click();
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(column(w, W::kColTeacher), (QStringList{"张老师", "李老师"}));
}

void TestSubjectSetup::editorInTheTeacherColumn()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    chooseClass(w, QStringLiteral("一班"));
    for (int col = 0; col < W::kColTeacher; ++col) {
        clickCell(w->teacherGrid, 2, col);
        QVERIFY2(w->cellEditorBox->isHidden(), qPrintable(QString::number(col)));
    }
    clickCell(w->teacherGrid, 1, W::kColTeacher);
    QVERIFY(w->cellEditorBox->isVisible());
    QCOMPARE(w->cellEditorBox->text(), QStringLiteral("赵老师"));
    QTest::keyClick(w->cellEditorBox, Qt::Key_Up);   // first row: stays
    QCOMPARE(w->cellEditor()->editRow(), 1);
    typeKeys(w->cellEditorBox, QStringLiteral("甲"));   // replaces the selected name, not appended to it
    QTest::keyClick(w->cellEditorBox, Qt::Key_Down);   // writes back and moves
    QCOMPARE(w->teacherGrid->TextMatrix(1, W::kColTeacher), QStringLiteral("甲"));
    QCOMPARE(w->cellEditor()->editRow(), 2);
    QCOMPARE(w->cellEditorBox->text(), QStringLiteral("钱老师"));
    QTest::keyClick(w->cellEditorBox, Qt::Key_Down);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Down);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Down);   // last row: stays
    QCOMPARE(w->cellEditor()->editRow(), 4);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Left);   // no sideways move
    QCOMPARE(w->cellEditor()->editCol(), W::kColTeacher);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Return);
    QVERIFY(w->cellEditorBox->isHidden());
    QVERIFY(w->teacherGrid->hasFocus());
    QCOMPARE(column(w, W::kColPassword), (QStringList{"a1", "a2", "a3", "a4"}));
    QCOMPARE(s.stored(QStringLiteral("一班")).first(), QStringLiteral("语文 赵老师 a1"));   // not before the save
}

void TestSubjectSetup::noGradeGroup()
{
    TestSchool school;
    WindowHarness h(school, signedIn(false));
    ScriptedResponder &responder = h.responder;
    W *w = openFromMenu(h);
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("目前还不能加入班级名称，请先进行年级组设置。")});
    QCOMPARE(w->gradeGroupCombo->count(), 0);
}

void TestSubjectSetup::closingWithUnsavedChangesAsks_data()
{
    QTest::addColumn<QString>("change");   // "teacher" 新老师 for 语文, "same" 张老师 again, "tick" 物理, "none left"
    QTest::addColumn<bool>("signOut");     // signed out elsewhere before closing
    QTest::addColumn<QString>("answer");   // Y, N or C; empty: no question
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("after");    // the message after the question
    const QStringList before{"语文 张老师 z1", "数学 李老师 l2"};
    QTest::newRow("typed teacher, Yes saves")
        << "teacher" << false << "Y" << true << QStringList{"语文 新老师 z1", "数学 李老师 l2"}
        << "您设置的初一年级组三班的所有任课教师,已经保存完毕。";
    QTest::newRow("ticked subject, No drops") << "tick" << false << "N" << true << before << QString();
    QTest::newRow("Cancel stays") << "teacher" << false << "C" << false << before << QString();
    QTest::newRow("Yes while signed out: stays")
        << "teacher" << true << "Y" << false << before << "请管理员先登陆,才能查看和修改。";
    QTest::newRow("Yes with no subject left: stays")
        << "none left" << false << "Y" << false << before << "没有任何学科,无法保存。";
    QTest::newRow("the same name typed: nothing asked") << "same" << false << QString() << true << before << QString();
}

void TestSubjectSetup::closingWithUnsavedChangesAsks()
{
    QFETCH(QString, change);
    QFETCH(bool, signOut);
    QFETCH(QString, answer);
    QFETCH(bool, closes);
    QFETCH(QStringList, stored);
    QFETCH(QString, after);
    School s;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    chooseClass(w, QStringLiteral("三班"));
    QVERIFY(!w->hasUnsavedChanges());
    if (change == QLatin1String("teacher")) {
        typeTeacher(w, 1, QStringLiteral("新老师"));
    } else if (change == QLatin1String("same")) {
        typeTeacher(w, 1, QStringLiteral("张老师"));
    } else if (change == QLatin1String("tick")) {
        tick(w->subjectList, QStringLiteral("物理"));
    } else {
        tick(w->subjectList, QStringLiteral("语文"), false);
        tick(w->subjectList, QStringLiteral("数学"), false);
    }
    const QStringList teachers = column(w, W::kColTeacher);
    if (signOut)
        h.signOut();
    if (!answer.isEmpty())
        h.responder.answer(answerOf(answer));
    w->closeButton->click();

    QStringList texts;
    if (!answer.isEmpty())
        texts << QStringLiteral("请问?是否将初一年级组三班的任课教师保存为现在的设置？");
    if (!after.isEmpty())
        texts << after;
    QCOMPARE(h.responder.texts(), texts);
    if (!answer.isEmpty()) {
        QVERIFY(h.responder.shown().first().hasCancel);
        QCOMPARE(h.responder.shown().first().title, QStringLiteral("提示……"));
    }
    QCOMPARE(s.stored(QStringLiteral("三班")), stored);
    if (closes) {
        QTRY_VERIFY(!h.isOpen(kSubjectSetupWindow));
        return;
    }
    QCoreApplication::processEvents();
    QVERIFY(h.isOpen(kSubjectSetupWindow));
    QCOMPARE(column(w, W::kColTeacher), teachers);   // the changes stay
    QVERIFY(w->hasUnsavedChanges());
}

void TestSubjectSetup::otherChoiceWithUnsavedChangesAsks_data()
{
    QTest::addColumn<bool>("gradeGroup");   // another grade group, else another class
    QTest::addColumn<QString>("answer");    // Y, N or C
    QTest::addColumn<QString>("stored");    // 三班's 语文 row afterwards
    QTest::newRow("another class, Cancel stays") << false << "C" << "语文 张老师 z1";
    QTest::newRow("another class, Yes saves") << false << "Y" << "语文 新老师 z1";
    QTest::newRow("another grade group, No drops") << true << "N" << "语文 张老师 z1";
    QTest::newRow("another grade group, Cancel stays") << true << "C" << "语文 张老师 z1";
}

void TestSubjectSetup::otherChoiceWithUnsavedChangesAsks()
{
    QFETCH(bool, gradeGroup);
    QFETCH(QString, answer);
    QFETCH(QString, stored);
    School s;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    chooseClass(w, QStringLiteral("三班"));
    typeTeacher(w, 1, QStringLiteral("新老师"));
    h.responder.answer(answerOf(answer));
    if (gradeGroup)
        choose(w->gradeGroupCombo, QStringLiteral("初二年级组"));
    else
        choose(w->classCombo, QStringLiteral("一班"));

    QCOMPARE(h.responder.texts().value(0), QStringLiteral("请问?是否将初一年级组三班的任课教师保存为现在的设置？"));
    QCOMPARE(s.stored(QStringLiteral("三班")).value(0), stored);
    if (answer == u"C") {
        // The changes stay, with the choices they belong to.
        QCOMPARE(w->gradeGroupCombo->currentText(), kGrade);
        QCOMPARE(w->classCombo->currentText(), QStringLiteral("三班"));
        QCOMPARE(column(w, W::kColTeacher), (QStringList{"新老师", "李老师"}));
        QVERIFY(w->hasUnsavedChanges());
        return;
    }
    QVERIFY(!w->hasUnsavedChanges());
    if (gradeGroup)
        QCOMPARE(w->gradeGroupCombo->currentText(), QStringLiteral("初二年级组"));
    else
        QCOMPARE(column(w, W::kColTeacher), (QStringList{"赵老师", "钱老师", "孙老师", "周老师"}));
}

void TestSubjectSetup::looksRight()
{
    School s;
    ProgramFontScope programFont;
    WindowHarness h(s.school, signedIn(true));
    W *w = openFromMenu(h);
    QVERIFY(QTest::qWaitForWindowExposed(&h.main));
    chooseClass(w, QStringLiteral("一班"));
    clickCell(w->teacherGrid, 2, W::kColTeacher);
    for (auto *b : w->findChildren<QPushButton *>())
        QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
    for (auto *l : w->findChildren<QLabel *>()) {
        if (!l->wordWrap())
            QVERIFY2(l->width() >= l->minimumSizeHint().width(), qPrintable(l->text()));
        else
            QVERIFY2(l->height() >= l->heightForWidth(l->width()), qPrintable(l->text()));
    }
    const QImage shot = w->parentWidget()->grab().toImage();
    QVERIFY(!shot.isNull());
    saveShot(shot, QStringLiteral("subject_setup"));
}

QTEST_MAIN(TestSubjectSetup)
#include "tst_subject_setup.moc"
