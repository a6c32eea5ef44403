// A school's first day, driven through the main window's menus on a fresh program
// folder with the delivered database: the school name, the administrator's setup
// of grade group, classes, subjects and passwords, the head teacher's roster
// import and edit, the subject teacher's mid-term, and the program started again
// on the same folder showing all of it.
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "organisation/class_setup_window.h"
#include "organisation/grade_group_window.h"
#include "organisation/subject_setup_window.h"
#include "widgets/file_chooser.h"
#include "widgets/flex_grid.h"
#include "register/register_grid.h"
#include "register/register_import.h"
#include "register/register_window.h"
#include "score_entry/score_entry_window.h"
#include "school/score_sheet.h"
#include "shell/password_admin_window.h"
#include "shell/school_name_window.h"
#include "shell/sign_in_dialog.h"
#include "kit/cell_editor.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kSchool = u"青山中学"_s;
const QString kGrade = u"初一年级组"_s;
const QString kJunior = u"初中"_s;
const QDate kToday(2025, 10, 15);   // 初一年级组 is the cohort 2025: 一班 is 202501
const QString kClassCode = u"202501"_s;
const QString kRosterSheet = u"初一(1)班"_s;
const QString kRosters = QStringLiteral(TESSALY_WORKBOOKS "/rosters/");

struct ClassPlan {
    QString name, headTeacher, password;
};
const QList<ClassPlan> kClasses{{u"一班"_s, u"王老师"_s, u"w1"_s}, {u"二班"_s, u"李老师"_s, u"l2"_s}};
struct SubjectPlan {
    QString subject, teacher, password;
};
const QList<SubjectPlan> kSubjects{{u"语文"_s, u"张老师"_s, u"z3"_s}, {u"数学"_s, u"赵老师"_s, u"s4"_s}};
const QString kAdminPassword = u"root"_s;

// The roster's headers in binding order (the import's field order).
const QStringList kRosterHeaders{u"姓名"_s,   u"性别"_s, u"民族"_s,   u"出生日期"_s, u"原毕业学校"_s, u"联系电话"_s,
                                 u"家庭住址"_s, u"家长姓名"_s, u"家长单位"_s, u"住宿"_s,     u"备注"_s,       u"特长"_s,
                                 u"政治面貌"_s, u"户口性质"_s, u"籍贯"_s,   u"与生关系"_s};

WindowHarness::Options day() { return {.shown = false, .today = kToday, .realSize = true}; }

// Answers the next 登陆: checks the account it shows and types the password.
void whenSigningIn(const QString &account, const QString &password, bool *shown)
{
    *shown = false;
    whenModal([=](QWidget *w) {
        auto *d = qobject_cast<SignInDialog *>(w);
        QVERIFY2(d, "登陆 is not shown");
        QCOMPARE(d->accountBox->text(), account);
        typeKeys(d->passwordBox, password);
        d->okButton->click();
        *shown = true;
    });
}

// The program's start-up: 学校名称设置 answered with kSchool when it is asked for,
// the caption checked, the main window shown. Returns whether the name was asked.
bool startProgram(WindowHarness &h)
{
    bool asked = false;
    whenModal([&](QWidget *w) {
        auto *window = qobject_cast<SchoolNameWindow *>(w);
        if (!window)
            return;
        asked = true;
        window->nameBox->setText(kSchool);
        window->okButton->click();
    });
    h.main.MDIForm_Load();
    QCoreApplication::processEvents();
    [&] {
        QCOMPARE(h.main.windowTitle(), kSchool + u"Tessaly"_s);
        h.main.show();
        QVERIFY(QTest::qWaitForWindowActive(&h.main));
    }();
    return asked;
}

// 任课教师录入成绩 from its menu item, on 一班's 数学.
ScoreEntryWindow *openMathsOfClass1(WindowHarness &h)
{
    h.trigger(u"luru"_s);
    auto *entry = h.openWindow<ScoreEntryWindow>(kScoreEntryWindow);
    if (entry) {
        choose(entry->gradeGroupCombo, kGrade);
        choose(entry->classCombo, kClasses[0].name);
        choose(entry->subjectCombo, kSubjects[1].subject);
    }
    return entry;
}

// The main window active again after a dialog, as the user's next click makes it.
void backToMain(WindowHarness &h)
{
    h.main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&h.main));
}

// Types into a grid cell through its editor and commits with Enter.
void typeCell(FlexGrid *grid, QLineEdit *editor, int row, int col, const QString &text)
{
    clickCell(grid, row, col);
    QVERIFY(editor->isVisible());
    editor->selectAll();
    // Chinese comes from the input method as committed text; passwords are keyed.
    bool latin = true;
    for (QChar c : text)
        latin = latin && c.unicode() < 128;
    if (latin)
        typeKeys(editor, text);
    else
        commitText(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(grid->TextMatrix(row, col), text);
}

QString password(TestSchool &school, const QString &name)
{
    return school.value(u"select \"密码\" from \"教导处\" where \"名称\"=?"_s, {name}).toString();
}

// The stored students of 一班, "学籍号 姓名" in number order.
QStringList storedStudents(TestSchool &school)
{
    QStringList out;
    const int n = school.count(u"select count(*) from \"初中\" where \"学籍号\" like ?"_s, {kClassCode + u'%'});
    for (int i = 0; i < n; ++i)
        out << school
                   .value(u"select \"学籍号\" || ' ' || \"姓名\" from \"初中\" where \"学籍号\" like ? "
                          "order by \"学籍号\" limit 1 offset ?"_s,
                          {kClassCode + u'%', i})
                   .toString();
    return out;
}

// Visible rows of the register grid, "学籍号|姓名|联系电话".
QStringList registerRows(RegisterWindow *w)
{
    QStringList out;
    for (int r = 1; r < w->registerGrid->Rows(); ++r) {
        if (w->registerGrid->RowHeight(r) == 0)
            continue;
        out << QStringList{w->registerGrid->TextMatrix(r, reg::kColStudentNumber), w->registerGrid->TextMatrix(r, reg::kColName),
                           w->registerGrid->TextMatrix(r, reg::kColPhone)}
                   .join(u'|');
    }
    return out;
}

} // namespace

class TestFirstDay : public QObject {
    Q_OBJECT
private slots:
    void firstDay_data();
    void firstDay();
};

void TestFirstDay::firstDay_data()
{
    QTest::addColumn<QString>("roster");
    QTest::newRow("xlsx") << u"roster-45.xlsx"_s;
    QTest::newRow("xls") << u"roster-45.xls"_s;
}

void TestFirstDay::firstDay()
{
    QFETCH(QString, roster);
    TestSchool school;
    QVERIFY(school.isValid());
    QCOMPARE(school.count(u"select count(*) from \"教导处\""_s), 1);   // the delivered administrator only
    QCOMPARE(password(school, WindowHarness::kAdmin), QString());
    school.closeDb();

    QStringList students;            // what the import and edit left, "学籍号 姓名"
    QString editedNumber;            // the student whose phone was edited
    const QString editedPhone = u"13900001111"_s;
    QMap<int, QString> scores;       // seat -> score entered
    QString examShown;               // the mid-term as the exam list shows it
    QString examColumn;              // and its column

    {
        WindowHarness h(school, day());
        ScriptedResponder &responder = h.responder;

        // Start-up asks for the school name.
        QVERIFY(startProgram(h));   // asks for the school name

        // The administrator signs in with the delivered empty password and sets the grade group.
        h.trigger(u"nianjizu"_s);
        auto *grades = h.openWindow<GradeGroupWindow>(kGradeGroupWindow);
        QVERIFY(grades);
        QVERIFY(!grades->saveButton->isEnabled());
        bool signedIn = false;
        whenSigningIn(WindowHarness::kAdmin, QString(), &signedIn);
        grades->signInButton->click();
        QVERIFY(signedIn);
        backToMain(h);
        QCOMPARE(grades->signInButton->text(), u"管理员退出登陆(&K)"_s);
        QCOMPARE(h.session().denglu, WindowHarness::kAdmin);
        tick(grades->gradeGroupList, kGrade);
        responder.clear();
        grades->saveButton->click();
        QCOMPARE(responder.last().text, u"年级组设置已经保存。"_s);
        QCOMPARE(school.count(u"select count(*) from \"教导处\" where \"类别\"='年级组名' and \"名称\"=?"_s, {kGrade}), 1);
        school.closeDb();

        // Classes and their head teachers.
        h.trigger(u"banji"_s);
        auto *classes = h.openWindow<ClassSetupWindow>(kClassSetupWindow);
        QVERIFY(classes);
        choose(classes->gradeGroupCombo, kGrade);
        QVERIFY(classes->saveButton->isEnabled());
        for (const ClassPlan &c : kClasses)
            tick(classes->classList, c.name);
        for (int k = 0; k < kClasses.size(); ++k)
            typeCell(classes->classGrid, classes->cellEditorBox, k + 1, 3, kClasses[k].headTeacher);
        responder.clear();
        classes->saveButton->click();
        QCOMPARE(responder.texts(), QStringList{u"您设置的初一年级组所有班级,已经保存。"_s});
        for (const ClassPlan &c : kClasses)
            QCOMPARE(school.value(u"select \"其次\" from \"教导处\" where \"类别\"='班级名' and \"对应内容\"=? and \"名称\"=?"_s,
                                  {kGrade, c.name})
                         .toString(),
                     c.headTeacher);
        school.closeDb();

        // Subjects and their teachers, for both classes.
        h.trigger(u"XKSZ"_s);
        auto *subjects = h.openWindow<SubjectSetupWindow>(kSubjectSetupWindow);
        QVERIFY(subjects);
        for (const ClassPlan &c : kClasses) {
            choose(subjects->gradeGroupCombo, kGrade);
            choose(subjects->classCombo, c.name);
            for (const QString &t : ticked(subjects->subjectList))
                tick(subjects->subjectList, t, false);
            for (const SubjectPlan &p : kSubjects)
                tick(subjects->subjectList, p.subject);
            QCOMPARE(gridColumn(subjects->teacherGrid, SubjectSetupWindow::kColSubject),
                     (QStringList{kSubjects[0].subject, kSubjects[1].subject}));
            for (int k = 0; k < kSubjects.size(); ++k)
                typeCell(subjects->teacherGrid, subjects->cellEditorBox, k + 1, SubjectSetupWindow::kColTeacher,
                         kSubjects[k].teacher);
            responder.clear();
            subjects->saveButton->click();
            QCOMPARE(responder.texts(),
                     QStringList{u"您设置的初一年级组%1的所有任课教师,已经保存完毕。"_s.arg(c.name)});
        }
        QCOMPARE(school.count(u"select count(*) from \"教导处\" where \"类别\"='任课' and \"其次\" in ('语文','数学')"_s), 4);
        school.closeDb();

        // Passwords: head teachers, subject teachers, the administrator's own.
        h.trigger(u"xitong"_s);
        auto *passwords = h.openWindow<PasswordAdminWindow>(kPasswordAdminWindow);
        QVERIFY(passwords);
        QVERIFY(passwords->saveButton->isEnabled());
        choose(passwords->categoryCombo, u"班主任"_s);
        choose(passwords->gradeGroupCombo, kGrade);
        QCOMPARE(gridColumn(passwords->passwordGrid, 3), (QStringList{kClasses[0].headTeacher, kClasses[1].headTeacher}));
        for (int k = 0; k < kClasses.size(); ++k)
            typeCell(passwords->passwordGrid, passwords->cellEditorBox, k + 1, passwords->passwordGrid->Cols() - 1, kClasses[k].password);
        responder.clear();
        passwords->saveButton->click();
        QCOMPARE(responder.texts(), QStringList{u"设定的密码,已经保存。"_s});

        choose(passwords->categoryCombo, u"任课教师"_s);
        choose(passwords->gradeGroupCombo, kGrade);
        const int teacherCol = 3;
        QCOMPARE(passwords->passwordGrid->Rows() - 1, 4);
        for (int r = 1; r < passwords->passwordGrid->Rows(); ++r) {
            const QString teacher = passwords->passwordGrid->TextMatrix(r, teacherCol);
            const auto plan = std::find_if(kSubjects.begin(), kSubjects.end(),
                                           [&](const SubjectPlan &p) { return p.teacher == teacher; });
            QVERIFY2(plan != kSubjects.end(), qPrintable(teacher));
            typeCell(passwords->passwordGrid, passwords->cellEditorBox, r, passwords->passwordGrid->Cols() - 1, plan->password);
        }
        responder.clear();
        passwords->saveButton->click();
        QCOMPARE(responder.texts(), QStringList{u"设定的密码,已经保存。"_s});

        choose(passwords->categoryCombo, u"管理员"_s);
        typeCell(passwords->passwordGrid, passwords->cellEditorBox, 1, passwords->passwordGrid->Cols() - 1, kAdminPassword);
        passwords->saveButton->click();
        for (const ClassPlan &c : kClasses)
            QCOMPARE(school.value(u"select \"密码\" from \"教导处\" where \"类别\"='班级名' and \"名称\"=?"_s,
                                  {c.name})
                         .toString(),
                     c.password);
        for (const SubjectPlan &p : kSubjects)
            QCOMPARE(school.count(u"select count(*) from \"教导处\" where \"类别\"='任课' and \"名称\"=? and \"密码\"=?"_s,
                                  {p.teacher, p.password}),
                     2);
        QCOMPARE(password(school, WindowHarness::kAdmin), kAdminPassword);
        school.closeDb();

        // The administrator signs out.
        passwords->signInButton->click();
        QCOMPARE(h.session().denglu, QString());

        // The head teacher of 一班 imports the roster, edits a student and saves.
        ScriptedFileChooser chooser;
        h.trigger(u"xueji"_s);
        auto *reg = h.openWindow<RegisterWindow>(kRegisterWindow);
        QVERIFY(reg);
        choose(reg->gradeGroupCombo, kGrade);
        choose(reg->classCombo, kClasses[0].name);
        QCOMPARE(reg->registerGrid->Rows(), 1);
        whenSigningIn(kClasses[0].headTeacher, kClasses[0].password, &signedIn);
        reg->signInButton->click();
        QVERIFY(signedIn);
        backToMain(h);
        QCOMPARE(reg->statusLabel->text(), u"班主任(王老师)登陆成功，可以修改学籍内容。"_s);
        responder.clear();
        reg->importButton->click();
        chooser.answer(kRosters + roster);
        reg->browseButton->click();
        choose(reg->sheetCombo, kRosterSheet);
        for (int f = 0; f < reg::kImportFieldCount; ++f) {
            reg->fieldOption(f)->click();
            const QList<QListWidgetItem *> items = reg->sheetHeaderList->findItems(kRosterHeaders[f], Qt::MatchExactly);
            QVERIFY2(!items.isEmpty(), qPrintable(kRosterHeaders[f]));
            reg->sheetHeaderList->scrollToItem(items.first());
            QTest::mouseClick(reg->sheetHeaderList->viewport(), Qt::LeftButton, {},
                              reg->sheetHeaderList->visualItemRect(items.first()).center());
        }
        QVERIFY(reg->importModeOptions[0]->isChecked());   // preset for a class without students
        reg->importModeOptions[0]->click();                // and chosen again
        QVERIFY(reg->importModeOptions[0]->isChecked());
        reg->startImportButton->click();
        QVERIFY2(reg->importReportBox->toPlainText().contains(u"学生人数共：45人,全部导入"_s),
                 qPrintable(reg->importReportBox->toPlainText() + responder.texts().join(u'/')));
        QVERIFY(reg->importReportBox->toPlainText().contains(u"学生人数共：45人,全部导入"_s));
        reg->closeReportButton->click();
        QStringList shown = registerRows(reg);
        QCOMPARE(shown.size(), 45);
        QCOMPARE(shown.first().section(u'|', 0, 1), kClassCode + u"01|杜英"_s);
        for (int k = 1; k <= 45; ++k)
            QVERIFY(shown[k - 1].startsWith(kClassCode + u"%1|"_s.arg(k, 2, 10, QLatin1Char('0'))));

        // One student's phone changes.
        const int editRow = 3;
        clickCell(reg->registerGrid, editRow, reg::kColPhone);
        QVERIFY(reg->cellEditor()->isOpen());
        reg->cellEditorBox->end(false);
        for (int i = reg->cellEditorBox->text().size(); i > 0; --i)
            QTest::keyClick(reg->cellEditorBox, Qt::Key_Backspace);
        typeKeys(reg->cellEditorBox, editedPhone);
        QTest::keyClick(reg->cellEditorBox, Qt::Key_Return);
        QCOMPARE(reg->registerGrid->TextMatrix(editRow, reg::kColPhone), editedPhone);
        editedNumber = reg->registerGrid->TextMatrix(editRow, reg::kColStudentNumber);
        responder.clear();
        reg->saveButton->click();
        QVERIFY(responder.shown().isEmpty());   // a save that works says nothing
        for (const QString &row : registerRows(reg))
            students << row.section(u'|', 0, 0) + u' ' + row.section(u'|', 1, 1);
        QCOMPARE(storedStudents(school), students);
        QCOMPARE(school.value(u"select \"联系电话\" from \"初中\" where \"学籍号\"=?"_s, {editedNumber}).toString(),
                 editedPhone);
        school.closeDb();
        reg->signInButton->click();   // signs out
        QCOMPARE(h.session().denglu, QString());

        // The 数学 teacher creates a mid-term and enters scores three ways.
        auto *entry = openMathsOfClass1(h);
        QVERIFY(entry);
        whenSigningIn(kSubjects[1].teacher, kSubjects[1].password, &signedIn);
        entry->signInButton->click();
        QVERIFY(signedIn);
        backToMain(h);
        QCOMPARE(entry->signInButton->text(), u"任课教师退出登陆(&K)"_s);
        QCOMPARE(entry->scoreGrid->Rows() - 1, 45);
        const QStringList columnsBefore = school.columns(kJunior);
        school.closeDb();
        entry->newExamButton->click();
        entry->midTermOption->click();
        QCOMPARE(entry->examNameBox->text(), u"25-26(上)数学期中成绩"_s);
        QCOMPARE(entry->columnNameBox->text(), u"Z25S数学251015"_s);
        entry->newFullMarkBox->setText(u"100"_s);
        responder.clear();
        responder.answer(true);
        entry->createExamButton->click();
        QCOMPARE(responder.texts(), (QStringList{u"尊敬的赵老师,您要添加（25-26(上)数学期中成绩）吗?"_s,
                                                 u"本次考试还没添写过任何人的成绩。"_s}));
        QStringList added = school.columns(kJunior);
        school.closeDb();
        for (const QString &c : columnsBefore)
            added.removeOne(c);
        QCOMPARE(added, QStringList{u"Z25S数学251015"_s});
        examColumn = added.first();
        examShown = entry->examCombo->currentText();
        QCOMPARE(examShown, u"25-26(上)数学期中成绩"_s);
        QCOMPARE(entry->fullMarkBox->text(), u"100"_s);

        // Separate boxes: seat, then score, confirmed.
        entry->seatBox->setFocus();
        typeKeys(entry->seatBox, u"01"_s);
        QCOMPARE(entry->nameBox->text(), shown[0].section(u'|', 1, 1));
        typeKeys(entry->scoreBox, u"95"_s);
        responder.answer(true);
        QTest::keyClick(entry->scoreBox, Qt::Key_Return);
        scores[1] = u"95"_s;
        // The mixed box: seat/score.
        entry->mixedBox->setFocus();
        typeKeys(entry->mixedBox, u"2/88"_s);
        responder.answer(true);
        QTest::keyClick(entry->mixedBox, Qt::Key_Return);
        scores[2] = u"88"_s;
        // The grid.
        clickCell(entry->scoreGrid, 3, school::kColScore);
        QVERIFY(entry->cellEditorBox->isVisible());
        typeKeys(entry->cellEditorBox, u"59.5"_s);
        QTest::keyClick(entry->cellEditorBox, Qt::Key_Return);
        scores[3] = u"59.5"_s;
        for (auto it = scores.cbegin(); it != scores.cend(); ++it) {
            QCOMPARE(entry->scoreGrid->TextMatrix(it.key(), school::kColScore), it.value());
            QCOMPARE(entry->scoreGrid->TextMatrix(it.key(), school::kColRowState), u"1"_s);
        }
        responder.clear();
        entry->saveButton->click();
        QCOMPARE(responder.texts(), QStringList{u"已经保存了3个学生的成绩。"_s});
        for (auto it = scores.cbegin(); it != scores.cend(); ++it)
            QCOMPARE(school.value(u"select \"%1\" from \"初中\" where \"学籍号\"=?"_s.arg(examColumn),
                                  {shown[it.key() - 1].section(u'|', 0, 0)})
                         .toDouble(),
                     it.value().toDouble());
        QCOMPARE(school.count(u"select count(*) from \"初中\" where \"%1\" is not null"_s.arg(examColumn)), 3);
        school.closeDb();

        entry->statisticsButton->click();
        QVERIFY(entry->statisticsPanel->isVisible());
        QCOMPARE(entry->statisticsLabel->text(),
                 u"\r\n　　　本次考试情况统计如下\r\n\r\n参试人数:3人\r\n试题满分:100分\r\n优秀人数(≥90分):1人\r\n优 秀 率:33.33%\r\n"
                 "优良人数:2人\r\n优 良 率:66.67%\r\n及格人数:2人\r\n及 格 率:66.67%\r\n总    分:242.50分\r\n平 均 分:80.83分"_s);
        entry->closeStatisticsButton->click();
    }

    // The program started again on the same folder.
    WindowHarness h(school, day());
    QVERIFY(!startProgram(h));   // the name is known

    // The administrator's new password is the one 登陆 asks for.
    h.trigger(u"xitong"_s);
    auto *passwords = h.openWindow<PasswordAdminWindow>(kPasswordAdminWindow);
    QVERIFY(passwords);
    bool signedIn = false;
    whenSigningIn(WindowHarness::kAdmin, kAdminPassword, &signedIn);
    passwords->signInButton->click();
    QVERIFY(signedIn);
    backToMain(h);
    QCOMPARE(h.session().denglu, WindowHarness::kAdmin);
    choose(passwords->categoryCombo, u"班主任"_s);
    choose(passwords->gradeGroupCombo, kGrade);
    QCOMPARE(gridRows(passwords->passwordGrid, 1, passwords->passwordGrid->Cols() - 1),
             (QStringList{u"一班||王老师|w1"_s, u"二班||李老师|l2"_s}));
    choose(passwords->categoryCombo, u"任课教师"_s);
    choose(passwords->gradeGroupCombo, kGrade);
    QStringList teachers = gridRows(passwords->passwordGrid, 1, passwords->passwordGrid->Cols() - 1);
    teachers.sort();
    QCOMPARE(teachers, (QStringList{u"一班|数学|赵老师|s4"_s, u"一班|语文|张老师|z3"_s, u"二班|数学|赵老师|s4"_s,
                                    u"二班|语文|张老师|z3"_s}));
    passwords->signInButton->click();   // signs out

    // The class, its roster and the edit.
    h.trigger(u"xueji"_s);
    auto *reg = h.openWindow<RegisterWindow>(kRegisterWindow);
    QVERIFY(reg);
    choose(reg->gradeGroupCombo, kGrade);
    choose(reg->classCombo, kClasses[0].name);
    const QStringList rows = registerRows(reg);
    QStringList shownStudents;
    for (const QString &row : rows)
        shownStudents << row.section(u'|', 0, 0) + u' ' + row.section(u'|', 1, 1);
    QCOMPARE(shownStudents, students);
    QCOMPARE(reg->registerGrid->TextMatrix(findRow(reg->registerGrid, reg::kColStudentNumber, editedNumber), reg::kColPhone),
             editedPhone);

    // The mid-term and its scores; the teacher's password still signs in.
    auto *entry = openMathsOfClass1(h);
    QVERIFY(entry);
    QVERIFY(itemTexts(entry->examCombo).contains(examShown));
    choose(entry->examCombo, examShown);
    QCOMPARE(entry->fullMarkBox->text(), u"100"_s);
    for (auto it = scores.cbegin(); it != scores.cend(); ++it)
        QCOMPARE(entry->scoreGrid->TextMatrix(it.key(), school::kColScore), it.value());
    whenSigningIn(kSubjects[1].teacher, kSubjects[1].password, &signedIn);
    entry->signInButton->click();
    QVERIFY(signedIn);
    backToMain(h);
    QCOMPARE(entry->signInButton->text(), u"任课教师退出登陆(&K)"_s);
}

QTEST_MAIN(TestFirstDay)
#include "tst_first_day.moc"

