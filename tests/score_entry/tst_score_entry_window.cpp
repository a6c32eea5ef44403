// 任课教师录入成绩 driven through its controls: the cascade, the teacher's
// sign-in, opening an exam and creating one, on a school whose day is
// 15 October 2025 (初二年级组 is the cohort 2024).
#include "fixtures/sign_in_steps.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "school/exam_locks.h"
#include "kit/window_names.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "score_entry/exam_creation.h"
#include "score_entry/score_entry_window.h"
#include "school/score_sheet.h"
#include "shell/sign_in_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kJunior = u"初中"_s;
const QString kGrade = u"初二年级组"_s;
const QString kClass = u"三班"_s;
const QString kMidTerm = u"Z25S语文250915"_s;   // 张三 88.5, 李四 0, 王五 none
const QString kQuiz = u"C一单元语文251001"_s;    // nobody
const QString kFinal = u"M24X数学250628"_s;     // 张三 120
const QDate kToday(2025, 10, 15);

// 初二年级组 三班 (王芳, 实验): 语文 李明 (l1), 数学 赵刚 (no password), 英语 (no teacher);
// 四班 (钱红): 语文 孙丽. Students of 三班 01 张三, 02 李四, 04 王五 (stored out of
// order), and 四班's 20240401.
struct School {
    TestSchool school;
    School()
    {
        school.addGradeGroup(kGrade);
        school.addClass(kGrade, kClass, u"王芳"_s, u"w1"_s, u"实验"_s);
        school.addClass(kGrade, u"四班"_s, u"钱红"_s, u"q1"_s);
        school.addTeaching(kGrade, kClass, u"语文"_s, u"李明"_s, u"l1"_s);
        school.addTeaching(kGrade, kClass, u"数学"_s, u"赵刚"_s);
        school.addTeaching(kGrade, kClass, u"英语"_s, QString(), u"e1"_s);
        school.addTeaching(kGrade, u"四班"_s, u"语文"_s, u"孙丽"_s, u"s1"_s);
        for (const QString &c : {kMidTerm, u"P25S251015"_s, kQuiz, kFinal})
            c.startsWith(u'P') ? school.addEvaluationColumn(kJunior, c) : school.addExamColumn(kJunior, c);
        const int wang = school.addStudent(kJunior, u"20240304"_s, u"王五"_s, {{u"性别"_s, u"男"_s}});
        const int zhang = school.addStudent(kJunior, u"20240301"_s, u"张三"_s, {{u"性别"_s, u"男"_s}});
        const int li = school.addStudent(kJunior, u"20240302"_s, u"李四"_s, {{u"性别"_s, u"女"_s}});
        const int other = school.addStudent(kJunior, u"20240401"_s, u"孙八"_s);
        school.setScore(kJunior, zhang, kMidTerm, 88.5);
        school.setScore(kJunior, li, kMidTerm, 0);
        school.setScore(kJunior, zhang, kFinal, 120);
        school.setScore(kJunior, other, kMidTerm, 99);
        Q_UNUSED(wang);
        school.closeDb();
    }
};

WindowHarness::Options on(const QString &signedIn = QString())
{
    return {.signedIn = signedIn, .shown = false, .today = kToday};
}

ScoreEntryWindow *openWindow(WindowHarness &h)
{
    return h.open<ScoreEntryWindow>(kScoreEntryWindow);
}

void chooseSubject(ScoreEntryWindow *w, const QString &subject)
{
    choose(w->gradeGroupCombo, kGrade);
    choose(w->classCombo, kClass);
    choose(w->subjectCombo, subject);
}

// Opens the creation panel and asks for a new exam: kind 1 期中, 2 期末, 3 测验 (named quiz).
void createExam(ScoreEntryWindow *w, int kind, const QString &fullMark, const QString &quiz = QString())
{
    w->newExamButton->click();
    QRadioButton *option = kind == 1 ? w->midTermOption : kind == 2 ? w->finalOption : w->quizOption;
    option->click();
    if (kind == 3)
        w->examNameBox->setText(quiz);
    w->newFullMarkBox->setText(fullMark);
    w->createExamButton->click();
}

} // namespace

class TestScoreEntryWindow : public QObject {
    Q_OBJECT
private slots:
    void opensFromMenuAndToolbar();
    void choosingASubjectListsStudentsAndExams();
    void openExam_data();
    void openExam();
    void signInFromAnotherWindowCountsAtOnce();
    void toggleSignsInAndOut();
    void toggleRefuses_data();
    void toggleRefuses();
    void createdExamComesLastAndOpens();
    void unsavedScoresAreSettledBeforeCreation_data();
    void unsavedScoresAreSettledBeforeCreation();
    void storedFullMarkOpensWithTheExam();
    void captionFollowsTheChoice();
    void sameExamIsRefused_data();
    void sameExamIsRefused();
    void sameQuizNameInAnotherSubject();
    void refusedInputKeepsTheQuizName_data();
    void refusedInputKeepsTheQuizName();
    void failedCreationLeavesNothing();
    void creationNeedsTheSignInAtItsSave();
    void fullMarkBoxRestoresABadValue_data();
    void fullMarkBoxRestoresABadValue();
    void looksRight();
    void lockedExamRefusesChanges();
    void readsSavesAndCreationOpenNoFurtherConnection();
};

void TestScoreEntryWindow::opensFromMenuAndToolbar()
{
    School s;
    for (const QString &action : {u"luru"_s, u"录入成绩"_s}) {
        WindowHarness h(s.school, on());
        h.trigger(action);
        auto *w = h.openWindow<ScoreEntryWindow>(kScoreEntryWindow);
        QVERIFY(w);
        QCOMPARE(w->objectName(), u"任课教师录入成绩"_s);
        QCOMPARE(itemTexts(w->gradeGroupCombo), QStringList{kGrade});
        QCOMPARE(w->gradeGroupCombo->currentIndex(), -1);
        QCOMPARE(w->scoreGrid->Rows(), 1);
        QCOMPARE(w->scoreGrid->TextMatrix(0, school::kColScore), u" 学科成绩 "_s);
        QCOMPARE(w->scoreGrid->ColWidth(school::kColId), 0);
        QCOMPARE(w->scoreGrid->ColWidth(school::kColRowState), 0);
        QCOMPARE(w->signInButton->text(), u"请任课教师 登陆(&K)"_s);
        QVERIFY(!w->entryFrame->isEnabled());
        QVERIFY(w->newExamFrame->isHidden());
        QCOMPARE(w->statusLabel->text(), u"提示：请选择年级组、班级和学科，并且任课教师登陆后，才可录入成绩。"_s);
        QVERIFY(h.responder.shown().isEmpty());
    }
}

void TestScoreEntryWindow::choosingASubjectListsStudentsAndExams()
{
    School s;
    WindowHarness h(s.school, on());
    ScoreEntryWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kGrade);
    QCOMPARE(itemTexts(w->classCombo), (QStringList{kClass, u"四班"_s}));
    choose(w->classCombo, kClass);
    QCOMPARE(itemTexts(w->subjectCombo), (QStringList{u"语文"_s, u"数学"_s, u"英语"_s}));
    QCOMPARE(w->titleLabel->text(), u"录入初二三班(实验)成绩 班主任:王芳"_s);
    QCOMPARE(w->gridCaption->text(), w->titleLabel->text());

    choose(w->subjectCombo, u"语文"_s);
    const Account teacher = w->toggle()->ownAccount();
    QCOMPARE(teacher.name, u"李明"_s);
    QCOMPARE(teacher.password, u"l1"_s);
    QVERIFY(!teacher.id.isEmpty());
    QCOMPARE(w->titleLabel->text(), u"录入初二三班(实验)语文成绩 任课教师:李明"_s);
    // Every 语文 column of the section, in column order, with the subject in mid-terms.
    QCOMPARE(itemTexts(w->examCombo), (QStringList{u"25-26(上)语文期中成绩"_s, u"一单元语文成绩"_s}));
    QCOMPARE(w->examList(), (QStringList{kMidTerm, kQuiz}));
    QCOMPARE(w->examCombo->currentIndex(), -1);
    // The class in seat order, without scores; nobody of 四班.
    QCOMPARE(gridRows(w->scoreGrid, 0, 5), (QStringList{u"01|20240301|张三|男||"_s, u"02|20240302|李四|女||"_s,
                                                    u"03|20240304|王五|男||"_s}));
    QCOMPARE(w->scoreRows().size(), 3);
    QVERIFY(w->scoreGrid->RowHeight(1) >= school::kFilledRowHeight);
    QCOMPARE(w->statusLabel->text(), u"任课教师(李明)没有登陆，还不可以输入成绩。"_s);
    QVERIFY(!w->entryFrame->isEnabled());
    QVERIFY(h.responder.shown().isEmpty());   // choosing a subject never says "no scores"
}

void TestScoreEntryWindow::openExam_data()
{
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("exam");
    QTest::addColumn<QStringList>("scores");
    QTest::addColumn<QString>("fullMark");
    QTest::addColumn<bool>("notice");
    QTest::newRow("scores at most 100, one of 0")
        << u"语文"_s << u"25-26(上)语文期中成绩"_s << QStringList{u"88.5"_s, u"0"_s, QString()} << u"100"_s << false;
    QTest::newRow("nobody has a score") << u"语文"_s << u"一单元语文成绩"_s << QStringList{QString(), QString(), QString()}
                                        << u"100"_s << true;
    QTest::newRow("a score of 120") << u"数学"_s << u"24-25(下)数学期末成绩"_s
                                    << QStringList{u"120"_s, QString(), QString()} << u"150"_s << false;
}

void TestScoreEntryWindow::openExam()
{
    QFETCH(QString, subject);
    QFETCH(QString, exam);
    QFETCH(QStringList, scores);
    QFETCH(QString, fullMark);
    QFETCH(bool, notice);
    School s;
    WindowHarness h(s.school, on());
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, subject);
    choose(w->examCombo, exam);
    QCOMPARE(gridColumn(w->scoreGrid, school::kColScore), scores);
    QCOMPARE(gridColumn(w->scoreGrid, school::kColName), (QStringList{u"张三"_s, u"李四"_s, u"王五"_s}));
    QCOMPARE(w->scoreGrid->TextMatrix(0, school::kColScore), subject + u"成绩"_s);
    QCOMPARE(w->scoreGrid->ColWidth(school::kColId), 0);
    QCOMPARE(w->fullMarkBox->text(), fullMark);
    QCOMPARE(w->examNameBox->text(), exam);
    QCOMPARE(w->titleLabel->text(), u"录入初二三班(实验)"_s + exam + u" 任课教师:"_s + w->toggle()->ownAccount().name);
    QCOMPARE(h.responder.texts(), notice ? QStringList{u"本次考试还没添写过任何人的成绩。"_s} : QStringList{});
    if (notice)
        QCOMPARE(h.responder.last().title, u"提示……"_s);
}

void TestScoreEntryWindow::signInFromAnotherWindowCountsAtOnce()
{
    School s;
    WindowHarness h(s.school, on(u"李明"_s));
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"语文"_s);
    QVERIFY(w->entryFrame->isEnabled());
    QCOMPARE(w->signInButton->text(), u"任课教师退出登陆(&K)"_s);
    QCOMPARE(w->statusLabel->text(), u"任课教师(李明)已经登陆，可以输入成绩。"_s);
    // Another class leaves no subject chosen: nothing can be created for it.
    choose(w->classCombo, u"四班"_s);
    QVERIFY(!w->entryFrame->isEnabled());
    // Another teacher's subject is signed out.
    choose(w->classCombo, kClass);
    choose(w->subjectCombo, u"数学"_s);
    QVERIFY(!w->entryFrame->isEnabled());
    QCOMPARE(w->signInButton->text(), u"请任课教师 登陆(&K)"_s);
}

void TestScoreEntryWindow::toggleSignsInAndOut()
{
    School s;
    WindowHarness h(s.school, on());
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"语文"_s);
    whenModal([](QWidget *modal) {
        auto *d = qobject_cast<SignInDialog *>(modal);
        QVERIFY(d);
        d->passwordBox->setText(u"l1"_s);
        d->okButton->click();
    });
    w->signInButton->click();
    QCOMPARE(h.session().denglu, u"李明"_s);
    QVERIFY(w->entryFrame->isEnabled());
    QCOMPARE(w->statusLabel->text(), u"任课教师(李明)已经登陆，可以输入成绩。"_s);
    w->signInButton->click();
    QCOMPARE(h.session().denglu, QString());
    QVERIFY(!w->entryFrame->isEnabled());
    QCOMPARE(w->signInButton->text(), u"请任课教师 登陆(&K)"_s);
    QCOMPARE(w->statusLabel->text(), u"任课教师(李明)退出了登陆，不可以再输入成绩了。"_s);
}

void TestScoreEntryWindow::toggleRefuses_data()
{
    QTest::addColumn<QString>("subject");   // empty: only a grade group is chosen
    QTest::addColumn<QString>("message");
    QTest::newRow("no class") << QString() << u"请选择一个班级。"_s;
    QTest::newRow("no teacher") << u"英语"_s << u"本学科还没设定教师名,请教导处管理人员添加,之后才能进行输分。"_s;
    QTest::newRow("no password") << u"数学"_s
                                 << u"任课教师(赵刚)还没定密码,请与教导处管理人员联系,添加后,才能输分。"_s;
}

void TestScoreEntryWindow::toggleRefuses()
{
    QFETCH(QString, subject);
    QFETCH(QString, message);
    School s;
    WindowHarness h(s.school, on());
    ScoreEntryWindow *w = openWindow(h);
    if (subject.isEmpty())
        choose(w->gradeGroupCombo, kGrade);
    else
        chooseSubject(w, subject);
    w->signInButton->click();
    QCOMPARE(h.responder.texts(), QStringList{message});
    QCOMPARE(h.responder.last().title, u"提示"_s);
    QCOMPARE(w->signInButton->text(), u"请任课教师 登陆(&K)"_s);
}

void TestScoreEntryWindow::createdExamComesLastAndOpens()
{
    School s;
    WindowHarness h(s.school, on(u"李明"_s));
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"语文"_s);
    w->newExamButton->click();
    QVERIFY(!w->newExamFrame->isHidden());
    QVERIFY(!w->entryFrame->isEnabled());
    QVERIFY(!w->choiceFrame->isEnabled());
    w->finalOption->click();
    QCOMPARE(w->examNameBox->text(), u"25-26(下)语文期末成绩"_s);
    QCOMPARE(w->columnNameBox->text(), u"M25X语文251015"_s);
    w->newFullMarkBox->setText(u"120"_s);
    h.responder.answer(true);
    w->createExamButton->click();

    QCOMPARE(h.responder.texts(), (QStringList{u"尊敬的李明老师,您要添加（25-26(下)语文期末成绩）吗?"_s,
                                               u"本次考试还没添写过任何人的成绩。"_s}));
    QCOMPARE(h.responder.shown().first().title, u"提示……"_s);
    QCOMPARE(itemTexts(w->examCombo),
             (QStringList{u"25-26(上)语文期中成绩"_s, u"一单元语文成绩"_s, u"25-26(下)语文期末成绩"_s}));
    QCOMPARE(w->examCombo->currentIndex(), 2);
    QCOMPARE(w->examList().last(), u"M25X语文251015"_s);
    QCOMPARE(w->fullMarkBox->text(), u"120"_s);
    QCOMPARE(gridColumn(w->scoreGrid, school::kColShownId), (QStringList{u"20240301"_s, u"20240302"_s, u"20240304"_s}));
    QCOMPARE(gridColumn(w->scoreGrid, school::kColScore), (QStringList{QString(), QString(), QString()}));
    QCOMPARE(w->scoreGrid->TextMatrix(0, school::kColScore), u"语文成绩"_s);
    QCOMPARE(w->titleLabel->text(), u"录入初二三班(实验)25-26(下)语文期末成绩 任课教师:李明"_s);
    QCOMPARE(w->gridCaption->text(), w->titleLabel->text());
    QVERIFY(w->newExamFrame->isHidden());
    QVERIFY(w->entryFrame->isEnabled());
    QVERIFY(w->choiceFrame->isEnabled());
    QVERIFY(!w->createExamButton->isEnabled());

    QCOMPARE(s.school.columns(kJunior).last(), u"M25X语文251015"_s);
    QCOMPARE(s.school.dump(u"初中考试结果"_s), QStringList{u"1|初二年级组|三班|王芳|M25X语文251015|李明|120"_s});
    // The typed full mark stays with the new exam when it is opened again.
    choose(w->examCombo, u"25-26(上)语文期中成绩"_s);
    QCOMPARE(w->fullMarkBox->text(), u"100"_s);
    choose(w->examCombo, u"25-26(下)语文期末成绩"_s);
    QCOMPARE(w->fullMarkBox->text(), u"120"_s);

    // Every class of the section finds it.
    choose(w->classCombo, u"四班"_s);
    choose(w->subjectCombo, u"语文"_s);
    QCOMPARE(itemTexts(w->examCombo).last(), u"25-26(下)语文期末成绩"_s);
}

void TestScoreEntryWindow::unsavedScoresAreSettledBeforeCreation_data()
{
    QTest::addColumn<int>("answer");   // to the question about the unsaved score
    QTest::addColumn<bool>("created");
    QTest::newRow("cancel creates nothing") << int(Answer::Cancel) << false;
    QTest::newRow("yes saves into the open exam, then creates") << int(Answer::Yes) << true;
}

// A score typed for the mid-term (full mark 100) and not saved, then a 期末 of 120
// asked for: the question about the score comes before anything is created.
void TestScoreEntryWindow::unsavedScoresAreSettledBeforeCreation()
{
    QFETCH(int, answer);
    QFETCH(bool, created);
    School s;
    const QStringList columns = s.school.columns(kJunior);
    s.school.closeDb();
    WindowHarness h(s.school, {.signedIn = u"李明"_s, .shown = true, .today = kToday});
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"语文"_s);
    choose(w->examCombo, u"25-26(上)语文期中成绩"_s);
    clickCell(w->scoreGrid, 1, school::kColScore);   // 张三, 88.5 stored
    typeKeys(w->cellEditorBox, u"95"_s);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Return);
    QCOMPARE(w->scoreGrid->TextMatrix(1, school::kColRowState), u"1"_s);

    h.responder.clear();
    h.responder.answer(true);
    h.responder.answer(Answer(answer));
    createExam(w, 2, u"120"_s);
    QCOMPARE(h.responder.texts().mid(0, 2), (QStringList{u"尊敬的李明老师,您要添加（25-26(下)语文期末成绩）吗?"_s,
                                                         u"录入的成绩还没有保存，要先保存吗?"_s}));
    const QVariant stored = s.school.value(u"SELECT \"%1\" FROM 初中 WHERE 姓名 = '张三'"_s.arg(kMidTerm));
    if (!created) {
        QCOMPARE(s.school.columns(kJunior), columns);
        QCOMPARE(s.school.count(uR"(select count(*) from "初中考试结果")"_s), 0);
        QCOMPARE(w->examCombo->currentText(), u"25-26(上)语文期中成绩"_s);
        QCOMPARE(w->fullMarkBox->text(), u"100"_s);   // the mid-term keeps its own full mark
        QCOMPARE(w->scoreGrid->TextMatrix(1, school::kColScore), u"95"_s);
        QCOMPARE(w->scoreGrid->TextMatrix(1, school::kColRowState), u"1"_s);
        QCOMPARE(stored.toDouble(), 88.5);
        return;
    }
    QCOMPARE(stored.toDouble(), 95.0);
    QCOMPARE(s.school.columns(kJunior).last(), u"M25X语文251015"_s);
    QCOMPARE(w->examCombo->currentText(), u"25-26(下)语文期末成绩"_s);
    QCOMPARE(w->fullMarkBox->text(), u"120"_s);
    choose(w->examCombo, u"25-26(上)语文期中成绩"_s);
    QCOMPARE(w->fullMarkBox->text(), u"100"_s);
}

// A full mark stored with the exam is the exam's full mark: the class's own
// registry row, else one of its grade group; the column is shared by every grade
// group of the section, so another grade group's row is none of its business.
// Without one the scores decide (100, or 150 above 100).
void TestScoreEntryWindow::storedFullMarkOpensWithTheExam()
{
    School s;
    // Oldest first: the newer rows of others must not win.
    QVERIFY(s.school.db().exec(
        uR"(INSERT INTO "初中考试结果" ("年级组","班级名","考试名","满分") VALUES (?,?,?,?),(?,?,?,?),(?,?,?,?),(?,?,?,?),(?,?,?,?))"_s,
        {kGrade, kClass, kMidTerm, u"120"_s,              // 三班's own
         kGrade, u"四班"_s, kMidTerm, u"110"_s,           // another class of the grade group
         u"初一年级组"_s, kClass, kMidTerm, u"100"_s,     // 初一's 三班
         kGrade, u"四班"_s, kFinal, u"130"_s,             // the grade group's only row
         u"初一年级组"_s, u"一班"_s, kQuiz, u"120"_s}));   // 初一's only
    s.school.closeDb();
    WindowHarness h(s.school, on(u"李明"_s));
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"语文"_s);
    choose(w->examCombo, u"25-26(上)语文期中成绩"_s);
    QCOMPARE(w->fullMarkBox->text(), u"120"_s);
    choose(w->examCombo, u"一单元语文成绩"_s);
    QCOMPARE(w->fullMarkBox->text(), u"100"_s);
    choose(w->subjectCombo, u"数学"_s);
    choose(w->examCombo, u"24-25(下)数学期末成绩"_s);   // 120 scored: the rule would give 150
    QCOMPARE(w->fullMarkBox->text(), u"130"_s);
}

// The caption over the grid names the class, subject, exam and teacher chosen last.
void TestScoreEntryWindow::captionFollowsTheChoice()
{
    School s;
    WindowHarness h(s.school, on());
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"语文"_s);
    QCOMPARE(w->gridCaption->text(), u"录入初二三班(实验)语文成绩 任课教师:李明"_s);
    choose(w->examCombo, u"25-26(上)语文期中成绩"_s);
    QCOMPARE(w->gridCaption->text(), u"录入初二三班(实验)25-26(上)语文期中成绩 任课教师:李明"_s);
    choose(w->subjectCombo, u"数学"_s);
    QCOMPARE(w->gridCaption->text(), u"录入初二三班(实验)数学成绩 任课教师:赵刚"_s);
    QCOMPARE(w->titleLabel->text(), w->gridCaption->text());
    choose(w->gradeGroupCombo, kGrade);
    QCOMPARE(w->gridCaption->text(), u"显示学生成绩"_s);
}

void TestScoreEntryWindow::sameExamIsRefused_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("quiz");
    QTest::addColumn<QString>("shown");
    QTest::newRow("a second mid-term of the half-year") << 1 << QString() << u"25-26(上)语文期中成绩"_s;
    QTest::newRow("the same quiz on another day") << 3 << u"一单元"_s << u"一单元语文测验"_s;
}

void TestScoreEntryWindow::sameExamIsRefused()
{
    QFETCH(int, kind);
    QFETCH(QString, quiz);
    QFETCH(QString, shown);
    School s;
    const QStringList columns = s.school.columns(kJunior);
    s.school.closeDb();
    WindowHarness h(s.school, on(u"李明"_s));
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"语文"_s);
    createExam(w, kind, u"100"_s, quiz);
    QCOMPARE(h.responder.texts(),
             QStringList{u"尊敬的李明老师,您要添加的考试（%1）已经存在了,直接输入成绩即可。"_s.arg(shown)});
    QCOMPARE(w->examNameBox->text(), QString());
    QCOMPARE(w->newFullMarkBox->text(), QString());
    QVERIFY(!w->createExamButton->isEnabled());
    QVERIFY(!w->newExamFrame->isHidden());
    QCOMPARE(s.school.columns(kJunior), columns);
    QCOMPARE(s.school.count(uR"(select count(*) from "初中考试结果")"_s), 0);
}

void TestScoreEntryWindow::sameQuizNameInAnotherSubject()
{
    School s;
    WindowHarness h(s.school, on(u"赵刚"_s));
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"数学"_s);
    h.responder.answer(true);
    createExam(w, 3, u"100"_s, u"一单元"_s);
    QCOMPARE(h.responder.shown().first().text, u"尊敬的赵刚老师,您要添加（一单元数学测验）吗?"_s);
    QCOMPARE(s.school.columns(kJunior).last(), u"C一单元数学251015"_s);
    QCOMPARE(w->examCombo->currentText(), u"一单元数学成绩"_s);
}

void TestScoreEntryWindow::refusedInputKeepsTheQuizName_data()
{
    QTest::addColumn<QString>("quiz");
    QTest::addColumn<QString>("fullMark");
    QTest::addColumn<QString>("message");
    const QString name = u"请添写3个字以内的考试名称,否则无法创建。"_s;
    const QString mark = u"请输入本次考试满分成绩值。"_s;
    QTest::newRow("no quiz name") << QString() << u"100"_s << name;
    const QString chars = u"测验名称中不能有%1。测验名称里不能用大写字母S、X、Z、M、R"_s;
    QTest::newRow("quote") << u"一'单元"_s << u"100"_s << chars.arg(u"“'”"_s);
    QTest::newRow("bracket") << u"[一]"_s << u"100"_s << chars.arg(u"“[”、“]”"_s);
    QTest::newRow("dot") << u"1.1"_s << u"100"_s << chars.arg(u"“.”"_s);
    QTest::newRow("exclamation mark") << u"好!"_s << u"100"_s << chars.arg(u"“!”"_s);
    QTest::newRow("control character") << u"一\n单元"_s << u"100"_s << chars.arg(u"控制字符"_s);
    QTest::newRow("leading blank") << u" 一单元"_s << u"100"_s << chars.arg(u"开头的空格"_s);
    QTest::newRow("capital S") << u"单元S"_s << u"100"_s << chars.arg(u"“S”"_s);
    QTest::newRow("capital X") << u"X1"_s << u"100"_s << chars.arg(u"“X”"_s);
    QTest::newRow("no full mark") << u"二单元"_s << QString() << mark;
    QTest::newRow("full mark 0") << u"二单元"_s << u"0"_s << mark;
    QTest::newRow("negative full mark") << u"二单元"_s << u"-100"_s << mark;
    QTest::newRow("full mark above 1000") << u"二单元"_s << u"1001"_s << mark;
    QTest::newRow("full mark not a number") << u"二单元"_s << u"一百"_s << mark;
}

void TestScoreEntryWindow::refusedInputKeepsTheQuizName()
{
    QFETCH(QString, quiz);
    QFETCH(QString, fullMark);
    QFETCH(QString, message);
    School s;
    const QStringList columns = s.school.columns(kJunior);
    s.school.closeDb();
    WindowHarness h(s.school, on(u"李明"_s));
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"语文"_s);
    createExam(w, 3, fullMark, quiz);
    QCOMPARE(h.responder.texts().size(), 1);
    QVERIFY2(h.responder.texts().first().startsWith(message), qPrintable(h.responder.texts().first()));
    QCOMPARE(h.responder.last().title, u"提示"_s);
    QCOMPARE(w->examNameBox->text(), quiz);
    QVERIFY(!w->newExamFrame->isHidden());
    QCOMPARE(s.school.columns(kJunior), columns);
    QCOMPARE(s.school.count(uR"(select count(*) from "初中考试结果")"_s), 0);
}

void TestScoreEntryWindow::failedCreationLeavesNothing()
{
    // The registry refuses the row: it cannot be stored, so the column is not added.
    School s;
    QVERIFY(s.school.db().exec(
        uR"(CREATE TRIGGER "refuse" BEFORE INSERT ON "初中考试结果" BEGIN SELECT raise(abort, '不能写入'); END)"_s));
    const QStringList columns = s.school.columns(kJunior);
    s.school.closeDb();
    WindowHarness h(s.school, on(u"李明"_s));
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"语文"_s);
    h.responder.answer(true);
    createExam(w, 2, u"100"_s);
    QCOMPARE(h.responder.shown().size(), 2);
    QVERIFY2(h.responder.last().text.startsWith(u"考试没有创建："_s), qPrintable(h.responder.last().text));
    QCOMPARE(s.school.columns(kJunior), columns);
    QCOMPARE(itemTexts(w->examCombo).size(), 2);
    QVERIFY(!w->newExamFrame->isHidden());
}

// Another account signs in while the creation panel is open: nothing is created.
void TestScoreEntryWindow::creationNeedsTheSignInAtItsSave()
{
    School s;
    const QStringList columns = s.school.columns(kJunior);
    s.school.closeDb();
    WindowHarness h(s.school, on(u"李明"_s));
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"语文"_s);
    w->newExamButton->click();
    w->finalOption->click();
    w->newFullMarkBox->setText(u"100"_s);
    QVERIFY(signInElsewhere(h.main, u"孙丽"_s, u"s1"_s));
    h.responder.clear();
    w->createExamButton->click();
    QCOMPARE(h.responder.texts(), QStringList{u"任课教师(李明)没有登陆，考试没有创建。请登陆后再创建。"_s});
    QCOMPARE(s.school.columns(kJunior), columns);
    QCOMPARE(itemTexts(w->examCombo).size(), 2);
}

void TestScoreEntryWindow::fullMarkBoxRestoresABadValue_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("120") << u"120"_s << u"120"_s;
    QTest::newRow("0") << u"0"_s << u"100"_s;
    QTest::newRow("1001") << u"1001"_s << u"100"_s;
    QTest::newRow("text") << u"满分"_s << u"100"_s;
    QTest::newRow("empty") << QString() << u"100"_s;
}

void TestScoreEntryWindow::fullMarkBoxRestoresABadValue()
{
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    School s;
    WindowHarness h(s.school, on(u"李明"_s));
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"语文"_s);
    choose(w->examCombo, u"25-26(上)语文期中成绩"_s);
    w->fullMarkBox->setText(typed);
    QTest::keyClick(w->fullMarkBox, Qt::Key_Return);
    QCOMPARE(w->fullMarkBox->text(), kept);
}

void TestScoreEntryWindow::looksRight()
{
    School s;
    ProgramFontScope font;
    WindowHarness h(s.school, {.signedIn = u"李明"_s, .today = kToday, .realSize = true});
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"语文"_s);
    choose(w->examCombo, u"25-26(上)语文期中成绩"_s);
    const auto check = [w](const QString &what) {
        QApplication::processEvents();
        // Every caption fits its control, and every text its cell.
        for (QPushButton *b : w->findChildren<QPushButton *>()) {
            if (b->isVisible())
                QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(what + b->text()));
        }
        for (QLabel *l : w->findChildren<QLabel *>()) {
            if (l->isVisible() && !l->wordWrap())
                QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(what + l->text()));
        }
        for (QComboBox *c : w->findChildren<QComboBox *>()) {
            if (c->isVisible())
                QVERIFY2(c->width() >= c->minimumSizeHint().width(), qPrintable(what + c->objectName()));
        }
        QVERIFY(w->scoreGrid->height() > 100);
        const QFontMetrics fm(w->scoreGrid->font());
        for (int r = 1; r < w->scoreGrid->Rows(); ++r) {
            if (w->scoreGrid->rowHeight(r) == 0)
                continue;   // hidden by 只显示未输分者
            QVERIFY(w->scoreGrid->rowHeight(r) >= fm.height());
            for (int c = 0; c < school::kColId; ++c)
                QVERIFY2(fm.horizontalAdvance(w->scoreGrid->TextMatrix(r, c)) < w->scoreGrid->columnWidth(c),
                         qPrintable(what + w->scoreGrid->TextMatrix(r, c)));
        }
    };
    check(u"exam open: "_s);
    saveShot(h.main.grab().toImage(), u"score_entry"_s);
    w->newExamButton->click();
    w->quizOption->click();
    check(u"creation panel: "_s);
    saveShot(h.main.grab().toImage(), u"score_entry_creation"_s);
    w->cancelExamButton->click();

    // Each input mode in use, and the statistics panel.
    w->seatBox->setText(u"0"_s);
    check(u"separate entry: "_s);
    saveShot(h.main.grab().toImage(), u"score_entry_separate"_s);
    w->mixedBox->setText(u"2/7"_s);
    check(u"mixed entry: "_s);
    saveShot(h.main.grab().toImage(), u"score_entry_mixed"_s);
    w->mixedBox->clear();
    w->showUnscoredOption->click();
    QVERIFY(!w->showAllOption->isChecked());
    clickCell(w->scoreGrid, 3, school::kColScore);
    QVERIFY(w->cellEditorBox->isVisible());
    QCOMPARE(w->cellEditorBox->geometry().size(), w->scoreGrid->cellRect(3, school::kColScore).size());
    check(u"grid entry: "_s);
    saveShot(h.main.grab().toImage(), u"score_entry_grid"_s);
    w->showAllOption->click();
    w->statisticsButton->click();
    QVERIFY(w->statisticsPanel->isVisible());
    check(u"statistics: "_s);
    QVERIFY(w->statisticsLabel->height() >= w->statisticsLabel->sizeHint().height());
    QVERIFY(w->statisticsPanel->geometry().intersects(w->scoreGrid->geometry()));
    saveShot(h.main.grab().toImage(), u"score_entry_statistics"_s);
}

QTEST_MAIN(TestScoreEntryWindow)
// An exam the administrator locked opens read-only, for its own teacher too; a
// lock set while an exam is open refuses the save. The stored scores stay.
void TestScoreEntryWindow::lockedExamRefusesChanges()
{
    School s;
    QVERIFY(school::saveExamLocks(s.school.db(), {{kJunior, kMidTerm}}));
    const QStringList stored = s.school.dump(kJunior);
    s.school.closeDb();
    WindowHarness h(s.school, on(u"李明"_s));
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"语文"_s);
    QVERIFY(w->saveButton->isEnabled());
    choose(w->examCombo, w->examCombo->itemText(int(w->examList().indexOf(kMidTerm))));
    QCOMPARE(h.responder.texts(), QStringList{u"本次考试已经被管理员锁定，成绩不能再修改。"_s});
    QCOMPARE(gridColumn(w->scoreGrid, school::kColScore), (QStringList{u"88.5"_s, u"0"_s, QString()}));
    QVERIFY(!w->saveButton->isEnabled());
    QVERIFY(!w->scoreBox->isEnabled() && !w->mixedBox->isEnabled());
    clickCell(w->scoreGrid, 3, school::kColScore);
    QVERIFY(!w->cellEditorBox->isVisible());

    choose(w->examCombo, w->examCombo->itemText(int(w->examList().indexOf(kQuiz))));
    QVERIFY(w->saveButton->isEnabled());
    typeKeys(w->mixedBox, u"01/77"_s);
    h.responder.answer(true);   // "(张三)得分(77)对吗?"
    QTest::keyClick(w->mixedBox, Qt::Key_Return);
    QCOMPARE(w->scoreRows()[0].state, u"1"_s);
    {
        db::Connection c(s.school.dbPath());
        QVERIFY(school::saveExamLocks(c, {{kJunior, kMidTerm}, {kJunior, kQuiz}}));
    }
    h.responder.clear();
    w->saveButton->click();
    QCOMPARE(h.responder.texts(), QStringList{u"成绩没有保存：本次考试已经被管理员锁定，成绩不能再修改。\r录入的成绩还在表中，没有写入任何成绩。"_s});
    QCOMPARE(w->scoreRows()[0].state, u"1"_s);
    QCOMPARE(s.school.dump(kJunior), stored);
}

// Once the subject is chosen, the exam's sheet, the save and a new exam column
// all run on the window's one connection, which sees the new column at once.
void TestScoreEntryWindow::readsSavesAndCreationOpenNoFurtherConnection()
{
    School s;
    WindowHarness h(s.school, on(u"李明"_s));
    ScoreEntryWindow *w = openWindow(h);
    chooseSubject(w, u"语文"_s);
    const int before = connectionMark(s.school.dbPath());

    choose(w->examCombo, u"25-26(上)语文期中成绩"_s);
    typeKeys(w->mixedBox, u"04/66"_s);
    h.responder.answer(true);   // "(王五)得分(66)对吗?"
    QTest::keyClick(w->mixedBox, Qt::Key_Return);
    w->saveButton->click();
    h.responder.answer(true);   // the new exam
    createExam(w, 2, u"120"_s);
    choose(w->examCombo, u"25-26(上)语文期中成绩"_s);

    QCOMPARE(connectionMark(s.school.dbPath()), before + 1);
    QCOMPARE(gridColumn(w->scoreGrid, school::kColScore), (QStringList{u"88.5"_s, u"0"_s, u"66"_s}));
    QCOMPARE(w->examList().last(), u"M25X语文251015"_s);
}

#include "tst_score_entry_window.moc"
