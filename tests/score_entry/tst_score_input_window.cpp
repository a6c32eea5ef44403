// The three ways of typing scores into 任课教师录入成绩, with their key sounds,
// the statistics panel, the save and the question before unsaved scores go.
// 三班 of 初二年级组 has 25 students: seats 01 to 24 and 30; seat 23 is 张小三,
// seat 03 has 66 stored in the mid-term.
#include "fixtures/sign_in_steps.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "widgets/flex_grid.h"
#include "os/key_sound.h"
#include "widgets/messages.h"
#include "score_entry/score_entry_window.h"
#include "school/score_sheet.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kJunior = u"初中"_s;
const QString kGrade = u"初二年级组"_s;
const QString kMidTerm = u"Z25S语文250915"_s;
const QString kQuiz = u"C一单元语文251001"_s;
const QString kMidTermShown = u"25-26(上)语文期中成绩"_s;
const QString kQuizShown = u"一单元语文成绩"_s;

QString seatName(int seat)
{
    return seat == 23 ? u"张小三"_s : u"学生%1"_s.arg(seat, 2, 10, QLatin1Char('0'));
}

struct School {
    TestSchool school;
    QMap<int, int> ids;   // seat -> ID
    School()
    {
        school.addGradeGroup(kGrade);
        school.addClass(kGrade, u"三班"_s, u"王芳"_s, u"w1"_s, u"实验"_s);
        school.addTeaching(kGrade, u"三班"_s, u"语文"_s, u"李明"_s, u"l1"_s);
        school.addExamColumn(kJunior, kMidTerm);
        school.addExamColumn(kJunior, kQuiz);
        for (int seat = 1; seat <= 30; ++seat) {
            if (seat > 24 && seat < 30)
                continue;
            ids[seat] = school.addStudent(kJunior, u"202403%1"_s.arg(seat, 2, 10, QLatin1Char('0')), seatName(seat));
        }
        school.setScore(kJunior, ids[3], kMidTerm, 66);
        school.closeDb();
    }
    QVariant stored(int seat, const QString &exam = kMidTerm)
    {
        return school.value(u"SELECT \"%1\" FROM 初中 WHERE ID = ?"_s.arg(exam), {ids[seat]});
    }
};

// The grid row of a seat: seats 01 to 24 are rows 1 to 24, seat 30 row 25.
int rowOf(int seat)
{
    return seat == 30 ? 25 : seat;
}

struct Entry {
    School s;
    WindowHarness h{s.school, {.signedIn = u"李明"_s, .shown = true, .today = QDate(2025, 10, 15)}};
    SoundRecorder sounds;
    ScoreEntryWindow *w = nullptr;
    explicit Entry(const QString &exam = kMidTermShown)
    {
        w = h.open<ScoreEntryWindow>(kScoreEntryWindow);
        choose(w->gradeGroupCombo, kGrade);
        choose(w->classCombo, u"三班"_s);
        choose(w->subjectCombo, u"语文"_s);
        choose(w->examCombo, exam);
        h.responder.clear();
    }
    QStringList shownSeats() const
    {
        QStringList seats;
        for (int r = 1; r < w->scoreGrid->Rows(); ++r)
            if (w->scoreGrid->RowHeight(r) > 0)
                seats << w->scoreGrid->TextMatrix(r, school::kColShownId).right(2);
        return seats;
    }
    QString scoreOf(int seat) const { return w->scoreGrid->TextMatrix(rowOf(seat), school::kColScore); }
    QString stateOf(int seat) const { return w->scoreGrid->TextMatrix(rowOf(seat), school::kColRowState); }
    void enter(QLineEdit *box, const QString &keys)
    {
        box->setFocus();
        typeKeys(box, keys);
    }
    void pressEnter(QWidget *box) { QTest::keyClick(box, Qt::Key_Return); }
};

} // namespace

class TestScoreInputWindow : public QObject {
    Q_OBJECT
private slots:
    void seatBoxSearchesWithSounds();
    void separateEntryConfirms();
    void nameBoxFindsTheTarget();
    void mixedBoxStores_data();
    void mixedBoxStores();
    void mixedBoxRefuses_data();
    void mixedBoxRefuses();
    void pastedTextIsChecked_data();
    void pastedTextIsChecked();
    void gridEntryMovesDownPastHiddenRows();
    void correctingAScoreReplacesIt();
    void mouseCorrectionReplacesTheScore_data();
    void mouseCorrectionReplacesTheScore();
    void aboveFullMarkKeepsNothingTyped_data();
    void aboveFullMarkKeepsNothingTyped();
    void viewOptionsSetRowHeights();
    void statisticsPanelAndRanks();
    void statisticsWithoutScores();
    void saveWritesTheMarkedRows();
    void failedSaveKeepsTheMarks();
    void saveWithoutAnOpenExam();
    void saveNamesStudentsThatWereGone();
    void newExamShowsTheFirstRow();
    void entryEndsWithTheSignIn();
    void unsavedScoresAsk_data();
    void unsavedScoresAsk();
    void otherExamAsksFirst();
};

void TestScoreInputWindow::seatBoxSearchesWithSounds()
{
    Entry e;
    e.enter(e.w->seatBox, u"2"_s);
    QCOMPARE(e.sounds.played(), QList<int>{2});
    QCOMPARE(e.shownSeats(), (QStringList{u"20"_s, u"21"_s, u"22"_s, u"23"_s, u"24"_s}));
    QCOMPARE(e.w->nameBox->text(), QString());
    typeKeys(e.w->seatBox, u"3"_s);
    QCOMPARE(e.sounds.played(), (QList<int>{2, 3}));
    QCOMPARE(e.shownSeats(), QStringList{u"23"_s});
    QCOMPARE(e.w->nameBox->text(), u"张小三"_s);
    QCOMPARE(QApplication::focusWidget(), e.w->scoreBox);

    // A third key past the full mark empties the score box with the error sound.
    e.sounds.clear();
    typeKeys(e.w->scoreBox, u"101"_s);
    QCOMPARE(e.sounds.played(), (QList<int>{1, 0, 1, 12}));
    QCOMPARE(e.w->scoreBox->text(), QString());
    // "。" is a point; a leading point, a second point and a letter are dropped.
    e.sounds.clear();
    typeKeys(e.w->scoreBox, u".9。5.x"_s);
    QCOMPARE(e.w->scoreBox->text(), u"9.5"_s);
    QCOMPARE(e.sounds.played(), (QList<int>{9, 10, 5}));

    // A seat nobody has: the error sound, the box emptied, every row back.
    e.w->scoreBox->clear();
    e.w->seatBox->clear();
    e.sounds.clear();
    e.enter(e.w->seatBox, u"9"_s);
    QCOMPARE(e.sounds.played(), (QList<int>{9, 12}));
    QCOMPARE(e.w->seatBox->text(), QString());
    QCOMPARE(e.shownSeats().size(), 25);

    // One digit and Enter: 3 becomes 03, with the slash sound, and the score box is next.
    e.sounds.clear();
    typeKeys(e.w->seatBox, u"3"_s);
    e.pressEnter(e.w->seatBox);
    QCOMPARE(e.w->seatBox->text(), u"03"_s);
    QCOMPARE(e.shownSeats(), QStringList{u"03"_s});
    QCOMPARE(e.w->nameBox->text(), u"学生03"_s);
    QCOMPARE(e.sounds.played(), (QList<int>{3, 11}));
    QCOMPARE(QApplication::focusWidget(), e.w->scoreBox);
}

void TestScoreInputWindow::separateEntryConfirms()
{
    Entry e;
    e.enter(e.w->seatBox, u"23"_s);
    typeKeys(e.w->scoreBox, u"79.5"_s);
    e.h.responder.answer(false);
    e.pressEnter(e.w->scoreBox);
    QCOMPARE(e.h.responder.last().text, u"(张小三)得分(79.5)对吗?"_s);
    QCOMPARE(e.h.responder.last().title, u"提示"_s);
    QCOMPARE(e.scoreOf(23), QString());   // No: nothing changes
    QCOMPARE(e.stateOf(23), QString());

    e.h.responder.answer(true);
    e.pressEnter(e.w->scoreBox);
    QCOMPARE(e.scoreOf(23), u"79.5"_s);
    QCOMPARE(e.stateOf(23), u"1"_s);
    QVERIFY(e.w->scoreRows()[22].score == 79.5f);
    QCOMPARE(e.w->seatBox->text(), QString());
    QCOMPARE(e.w->nameBox->text(), QString());
    QCOMPARE(e.w->scoreBox->text(), QString());
    QCOMPARE(QApplication::focusWidget(), e.w->nameBox);
    QCOMPARE(e.shownSeats().size(), 25);
    // Enter on an empty score box goes back to the name box and asks nothing.
    e.h.responder.clear();
    e.pressEnter(e.w->scoreBox);
    QVERIFY(e.h.responder.shown().isEmpty());
}

void TestScoreInputWindow::nameBoxFindsTheTarget()
{
    Entry e;
    e.enter(e.w->nameBox, u"学生1"_s);
    QCOMPARE(e.shownSeats().size(), 10);   // 学生10 … 学生19
    QCOMPARE(e.w->seatBox->text(), QString());
    typeKeys(e.w->nameBox, u"7"_s);
    QCOMPARE(e.shownSeats(), QStringList{u"17"_s});
    QCOMPARE(e.w->seatBox->text(), u"20240317"_s);
    QCOMPARE(QApplication::focusWidget(), e.w->scoreBox);
    QVERIFY(e.sounds.played().isEmpty());   // names play no sound
    typeKeys(e.w->scoreBox, u"88"_s);
    e.h.responder.answer(true);
    e.pressEnter(e.w->scoreBox);
    QCOMPARE(e.scoreOf(17), u"88"_s);
    QCOMPARE(e.stateOf(17), u"1"_s);
}

void TestScoreInputWindow::mixedBoxStores_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QList<int>>("sounds");
    QTest::newRow("23/79") << u"23/79"_s << u"(张小三)得分(79)对吗?"_s << QList<int>{2, 3, 11, 7, 9};
    QTest::newRow("23/079") << u"23/079"_s << u"(张小三)得分(79)对吗?"_s << QList<int>{2, 3, 11, 0, 7, 9};
    QTest::newRow("slash first dropped") << u"/23/79"_s << u"(张小三)得分(79)对吗?"_s << QList<int>{2, 3, 11, 7, 9};
    QTest::newRow("points dropped before and after the slash")
        << u"23./.79。5"_s << u"(张小三)得分(79.5)对吗?"_s << QList<int>{2, 3, 11, 7, 9, 10, 5};
}

void TestScoreInputWindow::mixedBoxStores()
{
    QFETCH(QString, keys);
    QFETCH(QString, question);
    QFETCH(QList<int>, sounds);
    Entry e;
    e.enter(e.w->mixedBox, keys);
    QCOMPARE(e.sounds.played(), sounds);
    e.h.responder.answer(true);
    e.pressEnter(e.w->mixedBox);
    QCOMPARE(e.h.responder.texts(), QStringList{question});
    QCOMPARE(e.scoreOf(23), question.section(u'(', 2).section(u')', 0, 0));
    QCOMPARE(e.stateOf(23), u"1"_s);
    QCOMPARE(e.w->mixedBox->text(), QString());
    QCOMPARE(e.w->scoreBox->text(), QString());
    QCOMPARE(QApplication::focusWidget(), e.w->mixedBox);
    QCOMPARE(e.shownSeats().size(), 25);
}

void TestScoreInputWindow::mixedBoxRefuses_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("message");
    // The largest seat is 30, though the class has 25 students.
    QTest::newRow("seat 30 exists") << u"30"_s << u"30"_s << QString();
    QTest::newRow("first key 4") << u"4"_s << QString() << u"你的学籍中,不可能有这么大的学号"_s;
    QTest::newRow("31") << u"31"_s << QString() << u"你的学籍中,不可能有这么大的学号"_s;
    QTest::newRow("04") << u"04"_s << u"04"_s << QString();
    QTest::newRow("101 of 100") << u"23/101"_s << u"23/"_s << u"你输入的分比满分还多呢"_s;
    QTest::newRow("100.5 of 100, as numbers") << u"23/100.5"_s << u"23/"_s << u"你输入的分比满分还多呢"_s;
}

void TestScoreInputWindow::mixedBoxRefuses()
{
    QFETCH(QString, keys);
    QFETCH(QString, left);
    QFETCH(QString, message);
    Entry e;
    e.enter(e.w->mixedBox, keys);
    QCOMPARE(e.w->mixedBox->text(), left);
    QCOMPARE(e.h.responder.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(e.sounds.played().contains(12), !message.isEmpty());
    if (!message.isEmpty())
        QCOMPARE(e.h.responder.last().title, u"提示"_s);
    if (left == u"30"_s) {
        QCOMPARE(e.w->seatBox->text(), u"30"_s);
        QCOMPARE(e.w->nameBox->text(), u"学生30"_s);
        QCOMPARE(QApplication::focusWidget(), e.w->mixedBox);
    }
}

void TestScoreInputWindow::pastedTextIsChecked_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kept");
    QTest::newRow("score box: words") << u"Text4"_s << u"七十九"_s << QString();
    QTest::newRow("score box: a sign") << u"Text4"_s << u"-5"_s << QString();
    QTest::newRow("score box: a number") << u"Text4"_s << u"79"_s << u"79"_s;
    QTest::newRow("score box: full-width stop") << u"Text4"_s << u"79。5"_s << u"79.5"_s;
    QTest::newRow("score box: above the full mark") << u"Text4"_s << u"150"_s << QString();
    QTest::newRow("mixed box: two slashes") << u"Text5"_s << u"2/3/4"_s << QString();
    QTest::newRow("seat box: letters") << u"Text2"_s << u"ab"_s << QString();
    QTest::newRow("cell editor: words") << u"Text1"_s << u"abc"_s << QString();
    QTest::newRow("cell editor: above the full mark") << u"Text1"_s << u"1000"_s << QString();
    QTest::newRow("cell editor: a number") << u"Text1"_s << u"55"_s << u"55"_s;
}

void TestScoreInputWindow::pastedTextIsChecked()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, kept);
    Entry e;
    if (box == u"Text1"_s)
        clickCell(e.w->scoreGrid, 1, school::kColScore);
    auto *edit = e.w->findChild<QLineEdit *>(box);
    QVERIFY(edit);
    edit->setFocus();
    commitText(edit, text);
    QCOMPARE(edit->text(), kept);
    if (box == u"Text1"_s) {
        e.w->scoreGrid->setFocus();   // leaving the editor writes it back
        QCOMPARE(e.scoreOf(1), kept);
        QCOMPARE(e.stateOf(1), kept.isEmpty() ? QString() : u"1"_s);
    }
}

void TestScoreInputWindow::gridEntryMovesDownPastHiddenRows()
{
    Entry e;
    e.w->showUnscoredOption->click();   // only unscored students: seat 03 is hidden
    QCOMPARE(e.w->scoreGrid->RowHeight(3), 0);
    clickCell(e.w->scoreGrid, 2, school::kColScore);
    QVERIFY(e.w->cellEditorBox->isVisible());
    typeKeys(e.w->cellEditorBox, u"8。5"_s);
    QCOMPARE(e.sounds.played(), (QList<int>{8, 10, 5}));
    QTest::keyClick(e.w->cellEditorBox, Qt::Key_Return);
    QCOMPARE(e.scoreOf(2), u"8.5"_s);
    QCOMPARE(e.stateOf(2), u"1"_s);
    QCOMPARE(e.w->scoreGrid->RowHeight(2), 0);   // scored: hidden
    QCOMPARE(e.w->scoreGrid->Row(), 4);           // past the hidden seat 03
    QVERIFY(e.w->cellEditorBox->isVisible());

    // Leaving right after a move keeps the editor where it is; a typed key first ends that.
    e.w->scoreGrid->setFocus();
    QVERIFY(e.w->cellEditorBox->isVisible());
    QCOMPARE(e.stateOf(4), QString());

    // Up passes over the hidden rows 03 and 02 to 01; a key that takes the score above
    // the full mark is refused with the error sound and the message, and nothing
    // of the typed score is kept.
    clickCell(e.w->scoreGrid, 4, school::kColScore);
    QTest::keyClick(e.w->cellEditorBox, Qt::Key_Up);
    QCOMPARE(e.w->scoreGrid->Row(), 1);
    e.sounds.clear();
    e.h.responder.clear();
    typeKeys(e.w->cellEditorBox, u"120"_s);
    QCOMPARE(e.w->cellEditorBox->text(), QString());
    QCOMPARE(e.sounds.played(), (QList<int>{1, 2, 0, 12}));
    QCOMPARE(e.h.responder.texts(), QStringList{u"你输入的分比满分还多呢"_s});

    // Down on the last row writes nothing and stays.
    clickCell(e.w->scoreGrid, 25, school::kColScore);
    typeKeys(e.w->cellEditorBox, u"7"_s);
    QTest::keyClick(e.w->cellEditorBox, Qt::Key_Down);
    QCOMPARE(e.w->scoreGrid->Row(), 25);
    QCOMPARE(e.stateOf(30), QString());
}

// A teacher correcting a column: the editor opens on the stored score selected,
// so the typed score replaces it; one above the full mark never empties the cell.
void TestScoreInputWindow::correctingAScoreReplacesIt()
{
    Entry e;
    clickCell(e.w->scoreGrid, 3, school::kColScore);   // 66 stored
    QCOMPARE(e.w->cellEditorBox->selectedText(), u"66"_s);
    typeKeys(e.w->cellEditorBox, u"85"_s);
    QTest::keyClick(e.w->cellEditorBox, Qt::Key_Return);   // on to seat 04
    QCOMPARE(e.scoreOf(3), u"85"_s);
    typeKeys(e.w->cellEditorBox, u"92"_s);
    QTest::keyClick(e.w->cellEditorBox, Qt::Key_Up);       // back to seat 03: its 85 selected
    QCOMPARE(e.w->cellEditorBox->selectedText(), u"85"_s);
    typeKeys(e.w->cellEditorBox, u"90"_s);
    QTest::keyClick(e.w->cellEditorBox, Qt::Key_Down);
    QCOMPARE(e.scoreOf(3), u"90"_s);
    QCOMPARE(e.scoreOf(4), u"92"_s);

    // 92 then 8: 928 is refused and said so; the cell's 92 comes back selected, so
    // the next score typed replaces it.
    QTest::keyClick(e.w->cellEditorBox, Qt::Key_End);
    e.sounds.clear();
    e.h.responder.clear();
    typeKeys(e.w->cellEditorBox, u"8"_s);
    QCOMPARE(e.w->cellEditorBox->text(), u"92"_s);
    QCOMPARE(e.w->cellEditorBox->selectedText(), u"92"_s);
    QCOMPARE(e.sounds.played(), (QList<int>{8, 12}));
    QCOMPARE(e.h.responder.texts(), QStringList{u"你输入的分比满分还多呢"_s});
    QCOMPARE(e.h.responder.last().title, u"提示"_s);
    typeKeys(e.w->cellEditorBox, u"92.5"_s);
    QTest::keyClick(e.w->cellEditorBox, Qt::Key_Return);
    QCOMPARE(e.scoreOf(4), u"92.5"_s);
}

// Click, type, Enter, click the next row: the click lands on the editor that Enter
// moved there, which selects the score as a click on the cell does, so the typed
// score replaces it rather than being appended to it.
void TestScoreInputWindow::mouseCorrectionReplacesTheScore_data()
{
    QTest::addColumn<int>("seat");
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("typed");
    QTest::newRow("8 corrected to 85") << 2 << u"8"_s << u"85"_s;
    QTest::newRow("97 corrected to 88") << 4 << u"97"_s << u"88"_s;
    QTest::newRow("66 stored, corrected to 7") << 3 << u"66"_s << u"7"_s;
}

void TestScoreInputWindow::mouseCorrectionReplacesTheScore()
{
    QFETCH(int, seat);
    QFETCH(QString, old);
    QFETCH(QString, typed);
    Entry e;
    if (old != e.scoreOf(seat)) {
        clickCell(e.w->scoreGrid, rowOf(seat), school::kColScore);
        typeKeys(e.w->cellEditorBox, old);
        QTest::keyClick(e.w->cellEditorBox, Qt::Key_Return);
        QCOMPARE(e.scoreOf(seat), old);
    }
    // Enter on the row above moves the editor onto the seat, its score selected.
    clickCell(e.w->scoreGrid, rowOf(seat) - 1, school::kColScore);
    QTest::keyClick(e.w->cellEditorBox, Qt::Key_Return);
    QCOMPARE(e.w->scoreGrid->Row(), rowOf(seat));
    QCOMPARE(e.w->cellEditorBox->selectedText(), old);

    // The teacher clicks the seat's score: the editor lies over it.
    QTest::mouseClick(e.w->cellEditorBox, Qt::LeftButton, Qt::NoModifier,
                      QPoint(e.w->cellEditorBox->width() - 2, e.w->cellEditorBox->height() / 2));
    e.h.responder.clear();
    typeKeys(e.w->cellEditorBox, typed);
    QCOMPARE(e.w->cellEditorBox->text(), typed);
    QTest::keyClick(e.w->cellEditorBox, Qt::Key_Return);
    QCOMPARE(e.scoreOf(seat), typed);
    QVERIFY(e.h.responder.shown().isEmpty());

    e.w->saveButton->click();
    QCOMPARE(e.s.stored(seat).toDouble(), typed.toDouble());
}

// A score above the full mark is told in the window, and no part of it is stored:
// the cell keeps its score, whatever was typed before the refused key.
void TestScoreInputWindow::aboveFullMarkKeepsNothingTyped_data()
{
    QTest::addColumn<int>("seat");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("110 into an empty cell") << 1 << u"110"_s << QString();
    QTest::newRow("105 over a selected 66") << 3 << u"105"_s << u"66"_s;
    QTest::newRow("1000 into an empty cell") << 2 << u"1000"_s << QString();
    QTest::newRow("100.6 over 66") << 3 << u"100.6"_s << u"66"_s;
}

void TestScoreInputWindow::aboveFullMarkKeepsNothingTyped()
{
    QFETCH(int, seat);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    Entry e;
    QCOMPARE(e.w->fullMarkBox->text(), u"100"_s);
    clickCell(e.w->scoreGrid, rowOf(seat), school::kColScore);
    typeKeys(e.w->cellEditorBox, typed);
    QCOMPARE(e.h.responder.texts(), QStringList{u"你输入的分比满分还多呢"_s});
    QCOMPARE(e.w->cellEditorBox->text(), kept);
    QCOMPARE(e.w->cellEditorBox->selectedText(), kept);
    QTest::keyClick(e.w->cellEditorBox, Qt::Key_Return);
    QCOMPARE(e.scoreOf(seat), kept);
    QCOMPARE(e.stateOf(seat), QString());

    // The score box refuses it the same way.
    e.h.responder.clear();
    e.enter(e.w->scoreBox, typed);
    QCOMPARE(e.w->scoreBox->text(), QString());
    QCOMPARE(e.h.responder.texts(), QStringList{u"你输入的分比满分还多呢"_s});

    e.w->saveButton->click();
    QCOMPARE(e.s.stored(seat).isNull(), kept.isEmpty());
    if (!kept.isEmpty())
        QCOMPARE(e.s.stored(seat).toString(), kept);
}

void TestScoreInputWindow::viewOptionsSetRowHeights()
{
    Entry e;
    const FlexGrid *g = e.w->scoreGrid;
    e.w->showUnscoredOption->click();
    QCOMPARE(g->RowHeight(rowOf(3)), 0);
    QVERIFY(g->RowHeight(1) >= 255);
    const int unscored = g->RowHeight(1);
    e.w->showAllOption->click();
    QVERIFY(g->RowHeight(rowOf(3)) >= 225);
    QVERIFY(g->RowHeight(1) <= unscored);
    QCOMPARE(g->RowHeight(1), g->RowHeight(rowOf(3)));
}

void TestScoreInputWindow::statisticsPanelAndRanks()
{
    Entry e;
    QVERIFY(e.w->statisticsPanel->isHidden());
    for (const QString &pair : {u"1/95"_s, u"2/88"_s, u"3/70"_s}) {
        e.enter(e.w->mixedBox, pair);
        e.h.responder.answer(true);
        e.pressEnter(e.w->mixedBox);
    }
    e.w->statisticsButton->click();
    QVERIFY(e.w->statisticsPanel->isVisible());
    QCOMPARE(e.w->statisticsLabel->text(),
             u"\r\n　　　本次考试情况统计如下\r\n\r\n参试人数:3人\r\n试题满分:100分\r\n优秀人数(≥90分):1人\r\n优 秀 率:33.33%\r\n"
             "优良人数:2人\r\n优 良 率:66.67%\r\n及格人数:3人\r\n及 格 率:100.00%\r\n总    分:253.00分\r\n平 均 分:84.33分"_s);
    QCOMPARE(gridColumn(e.w->scoreGrid, school::kColRank).mid(0, 4), (QStringList{u"1"_s, u"2"_s, u"3"_s, QString()}));
    e.w->closeStatisticsButton->click();
    QVERIFY(e.w->statisticsPanel->isHidden());

    // The top score cleared: counted again, that row shows no rank.
    clickCell(e.w->scoreGrid, 1, school::kColScore);
    QTest::keyClick(e.w->cellEditorBox, Qt::Key_Backspace);
    QTest::keyClick(e.w->cellEditorBox, Qt::Key_Return);
    QCOMPARE(e.scoreOf(1), QString());
    e.w->statisticsButton->click();
    QCOMPARE(gridColumn(e.w->scoreGrid, school::kColRank).mid(0, 4), (QStringList{QString(), u"1"_s, u"2"_s, QString()}));
    QCOMPARE(e.w->scoreRows().first().rank, QString());
}

void TestScoreInputWindow::statisticsWithoutScores()
{
    Entry e(kQuizShown);
    e.w->statisticsButton->click();
    QCOMPARE(e.h.responder.texts(), QStringList{u"学生成绩还没有添入,请添入后再进行分析"_s});
    QCOMPARE(e.h.responder.last().title, u"提示……"_s);
    QVERIFY(e.w->statisticsPanel->isHidden());
}

void TestScoreInputWindow::saveWritesTheMarkedRows()
{
    Entry e;
    for (const QString &pair : {u"1/95"_s, u"23/0"_s}) {
        e.enter(e.w->mixedBox, pair);
        e.h.responder.answer(true);
        e.pressEnter(e.w->mixedBox);
    }
    // Seat 03's stored 66 is emptied in the grid.
    clickCell(e.w->scoreGrid, 3, school::kColScore);
    e.w->cellEditorBox->selectAll();
    QTest::keyClick(e.w->cellEditorBox, Qt::Key_Backspace);
    e.w->scoreGrid->setFocus();
    QCOMPARE(e.stateOf(3), u"1"_s);
    e.h.responder.clear();

    e.w->saveButton->click();
    QCOMPARE(e.h.responder.texts(), QStringList{u"已经保存了3个学生的成绩。"_s});
    QCOMPARE(e.s.stored(1).toDouble(), 95.0);
    QCOMPARE(e.s.stored(23).toDouble(), 0.0);
    QVERIFY(!e.s.stored(23).isNull());
    QVERIFY(e.s.stored(3).isNull());
    QVERIFY(e.s.stored(2).isNull());
    QVERIFY(e.s.stored(1, kQuiz).isNull());
    QCOMPARE(e.stateOf(1), QString());   // marks cleared: closing asks nothing
    e.h.responder.clear();
    e.w->closeButton->click();
    QTRY_VERIFY(!e.h.isOpen(kScoreEntryWindow));
    QVERIFY(e.h.responder.shown().isEmpty());
}

void TestScoreInputWindow::failedSaveKeepsTheMarks()
{
    Entry e;
    e.enter(e.w->mixedBox, u"1/95"_s);
    e.h.responder.answer(true);
    e.pressEnter(e.w->mixedBox);
    e.enter(e.w->mixedBox, u"2/90"_s);
    e.h.responder.answer(true);
    e.pressEnter(e.w->mixedBox);
    QVERIFY(e.s.school.db().exec(u"CREATE TRIGGER refuse BEFORE UPDATE ON 初中 WHEN NEW.ID = %1 "
                                 "BEGIN SELECT RAISE(ABORT, 'refused'); END"_s.arg(e.s.ids[2])));
    e.s.school.closeDb();
    const QStringList before = e.s.school.dump(kJunior);
    e.s.school.closeDb();
    e.h.responder.clear();
    e.w->saveButton->click();
    QVERIFY(e.h.responder.last().text.startsWith(u"成绩没有保存："_s));
    QCOMPARE(e.s.school.dump(kJunior), before);
    e.s.school.closeDb();
    QCOMPARE(e.stateOf(1), u"1"_s);
    QCOMPARE(e.stateOf(2), u"1"_s);
    QCOMPARE(e.scoreOf(2), u"90"_s);
}

// Scores are saved only under the teacher signed in: a save checks it when it
// runs, and another account's sign-in ends this window's at once.
void TestScoreInputWindow::entryEndsWithTheSignIn()
{
    Entry e;
    e.enter(e.w->mixedBox, u"1/95"_s);
    e.h.responder.answer(true);
    e.pressEnter(e.w->mixedBox);
    QCOMPARE(e.stateOf(1), u"1"_s);
    const QString refusal = u"任课教师(李明)没有登陆，成绩没有保存。请登陆后再保存。"_s;

    // denglu changed with the window not yet told.
    e.h.signIn(u"王芳"_s);
    e.h.responder.clear();
    e.w->saveButton->click();
    QCOMPARE(e.h.responder.texts(), QStringList{refusal});
    QVERIFY(e.s.stored(1).isNull());
    QCOMPARE(e.w->signInButton->text(), u"请任课教师 登陆(&K)"_s);
    QVERIFY(!e.w->entryFrame->isEnabled());
    QVERIFY(!e.w->saveButton->isEnabled());
    QCOMPARE(e.stateOf(1), u"1"_s);

    // Signed in again here, then another account signs in elsewhere.
    QVERIFY(signInThrough(e.w->signInButton, u"l1"_s));
    QVERIFY(e.w->saveButton->isEnabled());
    QVERIFY(signInElsewhere(e.h.main, u"王芳"_s, u"w1"_s));
    QCOMPARE(e.w->signInButton->text(), u"请任课教师 登陆(&K)"_s);
    QVERIFY(!e.w->entryFrame->isEnabled());
    QVERIFY(!e.w->saveButton->isEnabled());
    QCOMPARE(e.w->statusLabel->text(), u"任课教师(李明)退出了登陆，不可以再输入成绩了。"_s);
    e.h.responder.clear();
    e.h.responder.answer(true);   // save first: refused, the window stays with the scores
    QVERIFY(!e.w->parentWidget()->close());
    QCOMPARE(e.h.responder.texts(), (QStringList{u"录入的成绩还没有保存，要先保存吗?"_s, refusal}));
    QVERIFY(e.s.stored(1).isNull());
}

void TestScoreInputWindow::saveWithoutAnOpenExam()
{
    Entry e;
    choose(e.w->subjectCombo, u"语文"_s);   // the subject again: no exam open
    clickCell(e.w->scoreGrid, 1, school::kColScore);
    typeKeys(e.w->cellEditorBox, u"80"_s);
    e.w->scoreGrid->setFocus();
    QCOMPARE(e.stateOf(1), u"1"_s);
    const QStringList before = e.s.school.dump(kJunior);
    e.s.school.closeDb();
    e.h.responder.clear();
    e.w->saveButton->click();
    QCOMPARE(e.h.responder.texts(),
             QStringList{u"还没有打开或创建考试，成绩没有保存。请先选择已有的考试或创建新的考试。"_s});
    QCOMPARE(e.s.school.dump(kJunior), before);
    QCOMPARE(e.stateOf(1), u"1"_s);
}

// Another computer deleted a student meanwhile: only the rows written count, and
// the message names the student whose score found no row.
void TestScoreInputWindow::saveNamesStudentsThatWereGone()
{
    Entry e;
    for (const QString &pair : {u"1/95"_s, u"2/90"_s, u"23/80"_s}) {
        e.enter(e.w->mixedBox, pair);
        e.h.responder.answer(true);
        e.pressEnter(e.w->mixedBox);
    }
    QVERIFY(e.s.school.db().exec(u"DELETE FROM 初中 WHERE ID IN (?, ?)"_s, {e.s.ids[2], e.s.ids[23]}));
    e.s.school.closeDb();
    e.h.responder.clear();
    e.w->saveButton->click();
    QCOMPARE(e.h.responder.texts(),
             QStringList{u"已经保存了1个学生的成绩。\r学生02、张小三的学籍已不在(可能已在别的电脑上删除),成绩没有保存。"_s});
    QCOMPARE(e.s.stored(1).toDouble(), 95.0);
    QCOMPARE(e.s.school.count(u"SELECT count(*) FROM 初中"_s), 23);
}

// The grid was scrolled down to the last seats: a new exam shows seat 01 first.
void TestScoreInputWindow::newExamShowsTheFirstRow()
{
    Entry e;
    QScrollBar *bar = e.w->scoreGrid->verticalScrollBar();
    QApplication::processEvents();
    QVERIFY2(bar->maximum() > 0, qPrintable(QString::number(e.w->scoreGrid->height())));
    bar->setValue(bar->maximum());
    e.h.responder.answer(true);
    e.w->newExamButton->click();
    e.w->finalOption->click();
    e.w->newFullMarkBox->setText(u"100"_s);
    e.w->createExamButton->click();
    QCOMPARE(e.w->examCombo->currentText(), u"25-26(下)语文期末成绩"_s);
    QApplication::processEvents();
    QCOMPARE(bar->value(), 0);
    QCOMPARE(e.w->gridCaption->text(), u"录入初二三班(实验)25-26(下)语文期末成绩 任课教师:李明"_s);
}

void TestScoreInputWindow::unsavedScoresAsk_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("saved");
    QTest::newRow("cancel stays") << int(Answer::Cancel) << true << false;
    QTest::newRow("no drops") << int(Answer::No) << false << false;
    QTest::newRow("yes saves") << int(Answer::Yes) << false << true;
}

void TestScoreInputWindow::unsavedScoresAsk()
{
    QFETCH(int, answer);
    QFETCH(bool, open);
    QFETCH(bool, saved);
    Entry e;
    e.enter(e.w->mixedBox, u"05/60"_s);
    e.h.responder.answer(true);
    e.pressEnter(e.w->mixedBox);
    e.h.responder.clear();
    e.h.responder.answer(Answer(answer));
    e.w->closeButton->click();
    QCOMPARE(e.h.responder.shown().first().text, u"录入的成绩还没有保存，要先保存吗?"_s);
    QVERIFY(e.h.responder.shown().first().hasCancel);
    if (open)
        QVERIFY(e.h.isOpen(kScoreEntryWindow));
    else
        QTRY_VERIFY(!e.h.isOpen(kScoreEntryWindow));
    QCOMPARE(e.s.stored(5).isNull(), !saved);
    if (open)
        QCOMPARE(e.stateOf(5), u"1"_s);
}

void TestScoreInputWindow::otherExamAsksFirst()
{
    Entry e;
    e.enter(e.w->mixedBox, u"05/60"_s);
    e.h.responder.answer(true);
    e.pressEnter(e.w->mixedBox);
    e.h.responder.clear();
    e.h.responder.answer(Answer::Cancel);
    choose(e.w->examCombo, kQuizShown);
    QCOMPARE(e.h.responder.texts(), QStringList{u"录入的成绩还没有保存，要先保存吗?"_s});
    QCOMPARE(e.w->examCombo->currentText(), kMidTermShown);
    QCOMPARE(e.scoreOf(5), u"60"_s);
    QCOMPARE(e.stateOf(5), u"1"_s);
    // No: the other exam opens and the scores are gone.
    e.h.responder.answer(Answer::No);
    choose(e.w->examCombo, kQuizShown);
    QCOMPARE(e.scoreOf(5), QString());
    QVERIFY(e.s.stored(5).isNull());
}

QTEST_MAIN(TestScoreInputWindow)
#include "tst_score_input_window.moc"
