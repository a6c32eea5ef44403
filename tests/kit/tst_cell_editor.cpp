// The cell editor on an offscreen register grid, driven with key and mouse events;
// and the component's options that the other grids use.
#include "widgets/flex_grid.h"
#include "kit/cell_editor.h"
#include "register/register_grid.h"

#include <QDir>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::reg;

namespace {

// One register row: 编号, 学籍号, 姓名 … 备注, ID, row state.
QStringList registerRow(int n, const QString &name, const QString &sex, const QString &id, const QString &state)
{
    QStringList row(kRegisterGridCols);
    row[kColNumber] = QString::number(n);
    row[kColStudentNumber] = QStringLiteral("200413%1").arg(n, 2, 10, QLatin1Char('0'));
    row[kColName] = name;
    row[kColSex] = sex;
    row[kColBirthDate] = QStringLiteral("1990/01/02");
    row[kColBoarding] = kYes;
    row[kColPhone] = QStringLiteral("13800000000");
    row[kColRemarks] = QStringLiteral("备注%1").arg(n);
    row[kColId] = id;
    row[kColRowState] = state;
    return row;
}

} // namespace

class TestCellEditor : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void registerKeyRuleTable_data();
    void registerKeyRuleTable();
    void keyRulesTyped_data();
    void keyRulesTyped();
    void keyRulesApplyToComposedText();
    void opensOnlyOnEditableCellsWhileSignedIn_data();
    void opensOnlyOnEditableCellsWhileSignedIn();
    void opensOverTheClickedCell();
    void clickElsewhereWritesBack_data();
    void clickElsewhereWritesBack();
    void openingWithoutTheFocusWritesBackFirst_data();
    void openingWithoutTheFocusWritesBackFirst();
    void rowMarking_data();
    void rowMarking();
    void unchangedTextWritesNothing();
    void movementLimits_data();
    void movementLimits();
    void rightWritesBackAndMovesOn();
    void upAndDownStopOnHiddenRows();
    void enterWritesBackAndReturnsToTheGrid();
    void scrollWritesBack();
    void skipNextWriteBackSuppressesExactlyOne();
    void closeBeforeAnActionWritesOnce();
    void keysOnTheGridChangeNoCell();
    void typingReplacesTheCellText();
    void refusedTextKeepsThePreviousText();
    void clickOnTheEditor_data();
    void clickOnTheEditor();
    void pressOnTheEditorKeepsTheSelection();
    void refusedWholeTextTakesTheCellTextBack();

    void scoreStyleEnterMovesDownPastHiddenRows();
    void newStudentStyleWritesUnchangedAndTransforms();
    void textCheckAndColumnsCountedFromTheEnd();

private:
    void fillRegister();
    void click(int row, int col);
    void open(int row, int col);

    QWidget *m_window = nullptr;
    FlexGrid *m_grid = nullptr;
    CellEditor *m_editor = nullptr;
    QLineEdit *m_text = nullptr;
    bool m_signedIn = true;
};

void TestCellEditor::init()
{
    m_signedIn = true;
    m_window = new QWidget;
    m_window->resize(900, 300);
    auto *layout = new QVBoxLayout(m_window);
    m_grid = new FlexGrid(m_window);
    m_grid->setObjectName(QStringLiteral("Grid1"));
    layout->addWidget(m_grid);
    fillRegister();
    m_editor = new CellEditor(m_grid, registerCellEditorConfig([this] { return m_signedIn; }));
    m_text = m_editor->lineEdit();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_grid->setFocus();
}

void TestCellEditor::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestCellEditor::fillRegister()
{
    m_grid->setRows(1);
    m_grid->setFixedRows(1);
    m_grid->setFixedCols(2);
    m_grid->setFormatString(kRegisterGridFormat);
    m_grid->setColWidth(kColId, 0);
    m_grid->setColWidth(kColRowState, 0);
    const QList<QStringList> rows = {
        registerRow(1, QStringLiteral("张三"), QStringLiteral("男"), QStringLiteral("11"), kRowUnchanged),
        registerRow(2, QStringLiteral("李四"), QStringLiteral("女"), QString(), kRowNew),
        registerRow(3, QStringLiteral("王五"), QStringLiteral("男"), QStringLiteral("13"), kRowDeleted),
        registerRow(4, QStringLiteral("赵六"), QStringLiteral("女"), QStringLiteral("14"), kRowUnchanged),
    };
    m_grid->setRows(1 + int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < kRegisterGridCols; ++c)
            m_grid->setTextMatrix(r + 1, c, rows[r][c]);
        m_grid->setRowHeight(r + 1, kLoadedRowHeight);
    }
    m_grid->setRowHeight(3, 0);   // the deleted row is hidden
}

// A mouse click on the middle of a visible cell, on whatever the grid shows there
// (the fixed rows and columns lie over the scrolling cells).
void TestCellEditor::click(int row, int col)
{
    m_grid->scrollTo(m_grid->model()->index(row, col));
    const QPoint at = m_grid->cellRect(row, col).center();
    QWidget *target = m_grid->childAt(at);
    QVERIFY(target);
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, target->mapFrom(m_grid, at));
}

// Opens the editor on a cell the way a click does, and checks that it opened.
void TestCellEditor::open(int row, int col)
{
    click(row, col);
    QVERIFY(m_editor->isOpen());
    QCOMPARE(m_editor->editRow(), row);
    QCOMPARE(m_editor->editCol(), col);
    QVERIFY(m_text->hasFocus());
}

void TestCellEditor::registerKeyRuleTable_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("key");
    QTest::addColumn<QString>("textAfter");
    QTest::addColumn<QChar>("typed");

    const QChar none;
    QTest::newRow("性别 empty") << int(kColSex) << "" << QChar('a') << "男" << none;
    QTest::newRow("性别 男") << int(kColSex) << "男" << QChar('1') << "女" << none;
    QTest::newRow("性别 女") << int(kColSex) << "女" << QChar(8) << "男" << none;
    QTest::newRow("性别 other text stays") << int(kColSex) << "M" << QChar('a') << "M" << none;
    QTest::newRow("住宿 empty") << int(kColBoarding) << "" << QChar('x') << "是" << none;
    QTest::newRow("住宿 是") << int(kColBoarding) << "是" << QChar(' ') << "否" << none;
    QTest::newRow("住宿 否") << int(kColBoarding) << "否" << QChar('y') << "是" << none;
    QTest::newRow("出生日期 digit") << int(kColBirthDate) << "19" << QChar('9') << "19" << QChar('9');
    QTest::newRow("出生日期 slash") << int(kColBirthDate) << "1990" << QChar('/') << "1990" << QChar('/');
    QTest::newRow("出生日期 hyphen") << int(kColBirthDate) << "1990" << QChar('-') << "1990" << QChar('-');
    QTest::newRow("出生日期 backspace") << int(kColBirthDate) << "1990" << QChar(8) << "1990" << QChar(8);
    QTest::newRow("出生日期 letter") << int(kColBirthDate) << "1990" << QChar('a') << "1990" << none;
    QTest::newRow("出生日期 space") << int(kColBirthDate) << "1990" << QChar(' ') << "1990" << none;
    QTest::newRow("出生日期 年") << int(kColBirthDate) << "1990" << QChar(0x5E74) << "1990" << none;
    QTest::newRow("联系电话 digit") << int(kColPhone) << "" << QChar('0') << "" << QChar('0');
    QTest::newRow("联系电话 letter") << int(kColPhone) << "" << QChar('x') << "" << none;
    QTest::newRow("联系电话 dot") << int(kColPhone) << "" << QChar('.') << "" << none;
    QTest::newRow("政治面貌 anything") << 5 << "团" << QChar(0x5458) << "团" << QChar(0x5458);
    QTest::newRow("姓名 letter") << int(kColName) << "" << QChar('a') << "" << QChar('a');
    QTest::newRow("原毕业学校 space") << 8 << "一中" << QChar(' ') << "一中" << QChar(' ');
}

void TestCellEditor::registerKeyRuleTable()
{
    QFETCH(int, col);
    QFETCH(QString, text);
    QFETCH(QChar, key);
    QFETCH(QString, textAfter);
    QFETCH(QChar, typed);
    QCOMPARE(registerKeyRule(col, key, text), typed);
    QCOMPARE(text, textAfter);
}

void TestCellEditor::keyRulesTyped_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("keys");   // '\b' is Backspace
    QTest::addColumn<QString>("shown");

    QTest::newRow("性别 once") << int(kColSex) << "" << "a" << "男";
    QTest::newRow("性别 twice") << int(kColSex) << "" << "ab" << "女";
    QTest::newRow("性别 three times") << int(kColSex) << "" << "abc" << "男";
    QTest::newRow("性别 backspace cycles") << int(kColSex) << "男" << "\b" << "女";
    QTest::newRow("住宿 once") << int(kColBoarding) << "" << "1" << "是";
    QTest::newRow("住宿 twice") << int(kColBoarding) << "" << "12" << "否";
    QTest::newRow("住宿 three times") << int(kColBoarding) << "" << "123" << "是";
    QTest::newRow("出生日期 filtered") << int(kColBirthDate) << "" << "2005/3-1a b" << "2005/3-1";
    QTest::newRow("出生日期 backspace") << int(kColBirthDate) << "1990" << "\b\b05" << "1905";
    QTest::newRow("联系电话 filtered") << int(kColPhone) << "" << "0571-8x8/6.5" << "0571-88/65";
    QTest::newRow("政治面貌 free") << 5 << "" << "Ab 1-!" << "Ab 1-!";
    QTest::newRow("原毕业学校 free") << 8 << "" << "No.1 school" << "No.1 school";
}

void TestCellEditor::keyRulesTyped()
{
    QFETCH(int, col);
    QFETCH(QString, start);
    QFETCH(QString, keys);
    QFETCH(QString, shown);

    m_grid->setTextMatrix(1, col, start);
    open(1, col);
    QCOMPARE(m_text->text(), start);
    QTest::keyClick(m_text, Qt::Key_End);   // typing on after the cell's text
    for (QChar c : keys) {
        if (c == QChar(8))
            QTest::keyClick(m_text, Qt::Key_Backspace);
        else
            QTest::keyClick(m_text, c.toLatin1());
    }
    QCOMPARE(m_text->text(), shown);
    QVERIFY(m_editor->pendingEdit());
    QCOMPARE(m_grid->TextMatrix(1, col), start);   // nothing written while typing

    QTest::keyClick(m_text, Qt::Key_Return);
    QCOMPARE(m_grid->TextMatrix(1, col), shown);
}

// Text composed by an input method passes the same rules character by character.
void TestCellEditor::keyRulesApplyToComposedText()
{
    open(1, kColBirthDate);
    m_text->clear();
    QInputMethodEvent date;
    date.setCommitString(QStringLiteral("2005年3月"));
    QCoreApplication::sendEvent(m_text, &date);
    QCOMPARE(m_text->text(), QStringLiteral("20053"));

    QTest::keyClick(m_text, Qt::Key_Right);   // at the end: on to 户口性质
    QTest::keyClick(m_text, Qt::Key_Right);   // on to 原毕业学校 (empty)
    QCOMPARE(m_editor->editCol(), 8);
    QInputMethodEvent school;
    school.setCommitString(QStringLiteral("第一中学"));
    QCoreApplication::sendEvent(m_text, &school);
    QCOMPARE(m_text->text(), QStringLiteral("第一中学"));

    m_grid->setFocus();
    m_grid->setTextMatrix(4, kColSex, QStringLiteral("男"));
    open(4, kColSex);
    QInputMethodEvent sex;
    sex.setCommitString(QStringLiteral("男"));
    QCoreApplication::sendEvent(m_text, &sex);
    QCOMPARE(m_text->text(), QStringLiteral("女"));
}

void TestCellEditor::opensOnlyOnEditableCellsWhileSignedIn_data()
{
    QTest::addColumn<bool>("signedIn");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<bool>("opens");
    QTest::newRow("name") << true << 1 << int(kColName) << true;
    QTest::newRow("remarks") << true << 4 << int(kColRemarks) << true;
    QTest::newRow("编号") << true << 1 << int(kColNumber) << false;
    QTest::newRow("学籍号") << true << 1 << int(kColStudentNumber) << false;
    QTest::newRow("header") << true << 0 << int(kColName) << false;
    QTest::newRow("signed out") << false << 1 << int(kColName) << false;
}

void TestCellEditor::opensOnlyOnEditableCellsWhileSignedIn()
{
    QFETCH(bool, signedIn);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(bool, opens);
    m_signedIn = signedIn;
    click(row, col);
    QCOMPARE(m_editor->isOpen(), opens);
    QCOMPARE(m_editor->editRow(), opens ? row : 0);
    // The hidden columns never open it, whatever calls it.
    QVERIFY(!m_editor->BeginCellEdit(1, kColId));
    QVERIFY(!m_editor->BeginCellEdit(1, kColRowState));
}

void TestCellEditor::opensOverTheClickedCell()
{
    m_grid->setTextMatrix(4, 12, QStringLiteral("人民路1号"));
    open(4, 12);
    QCOMPARE(m_text->text(), QStringLiteral("人民路1号"));
    QCOMPARE(m_text->geometry(), m_grid->cellRect(4, 12));
    QCOMPARE(m_grid->Row(), 4);
    QCOMPARE(m_grid->Col(), 12);

    const QImage shot = m_window->grab().toImage();
    shot.save(QDir(QDir::tempPath()).filePath(QStringLiteral("tessaly_cell_editor.png")));
    QVERIFY(!shot.isNull());
}

void TestCellEditor::clickElsewhereWritesBack_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<bool>("opensThere");
    QTest::newRow("another editable cell") << 4 << 5 << true;
    QTest::newRow("编号") << 4 << int(kColNumber) << false;
    QTest::newRow("header") << 0 << 5 << false;
}

void TestCellEditor::clickElsewhereWritesBack()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(bool, opensThere);
    open(1, kColName);
    QTest::keyClicks(m_text, "Q");
    click(row, col);
    QCOMPARE(m_grid->TextMatrix(1, kColName), QStringLiteral("Q"));
    QCOMPARE(m_grid->TextMatrix(1, kColRowState), kRowChanged);
    QCOMPARE(m_editor->isOpen(), opensThere);
    QCOMPARE(m_editor->editRow(), opensThere ? row : 1);
}

void TestCellEditor::openingWithoutTheFocusWritesBackFirst_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::newRow("the next row") << 2 << int(kColName);
    QTest::newRow("another column") << 1 << int(kColRemarks);
}

// Another window (a message box) took the focus from the open editor, and the
// grid is clicked before the focus comes back: the typed text goes into its
// cell before the editor opens anew.
void TestCellEditor::openingWithoutTheFocusWritesBackFirst()
{
    QFETCH(int, row);
    QFETCH(int, col);
    open(1, kColName);
    QTest::keyClicks(m_text, "Q");
    QWidget box;
    box.setFocusPolicy(Qt::StrongFocus);
    box.show();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    QVERIFY(!m_text->hasFocus());
    QVERIFY(m_editor->isOpen());   // losing the focus to another window ends no edit

    click(row, col);
    QCOMPARE(m_grid->TextMatrix(1, kColName), QStringLiteral("Q"));
    QCOMPARE(m_grid->TextMatrix(1, kColRowState), kRowChanged);
    QVERIFY(m_editor->isOpen());
    QCOMPARE(m_editor->editRow(), row);
    QCOMPARE(m_editor->editCol(), col);
    QCOMPARE(m_text->text(), m_grid->TextMatrix(row, col));
}

void TestCellEditor::rowMarking_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("stateAfter");
    QTest::newRow("loaded row becomes changed") << 1 << kRowChanged;
    QTest::newRow("new row stays new") << 2 << kRowNew;
    QTest::newRow("deleted row stays deleted") << 3 << kRowDeleted;
}

void TestCellEditor::rowMarking()
{
    QFETCH(int, row);
    QFETCH(QString, stateAfter);
    if (m_grid->RowHeight(row) == 0)
        QVERIFY(m_editor->BeginCellEdit(row, kColName));
    else
        open(row, kColName);
    m_text->setFocus();
    QTest::keyClicks(m_text, "X");
    m_grid->setFocus();   // the editor loses the focus
    QVERIFY(!m_editor->isOpen());
    QVERIFY(m_grid->TextMatrix(row, kColName).endsWith(QLatin1Char('X')));
    QCOMPARE(m_grid->TextMatrix(row, kColRowState), stateAfter);
    QVERIFY(!m_editor->pendingEdit());

    // A second change keeps the state.
    if (m_grid->RowHeight(row) == 0)
        QVERIFY(m_editor->BeginCellEdit(row, kColRemarks));
    else
        open(row, kColRemarks);
    m_text->setFocus();
    QTest::keyClicks(m_text, "Y");
    m_grid->setFocus();
    QCOMPARE(m_grid->TextMatrix(row, kColRowState), stateAfter);
}

void TestCellEditor::unchangedTextWritesNothing()
{
    open(1, kColName);
    QTest::keyClick(m_text, Qt::Key_End);
    QTest::keyClicks(m_text, "Z");
    QTest::keyClick(m_text, Qt::Key_Backspace);   // typed, but back to the cell's text
    m_grid->setFocus();
    QCOMPARE(m_grid->TextMatrix(1, kColName), QStringLiteral("张三"));
    QCOMPARE(m_grid->TextMatrix(1, kColRowState), kRowUnchanged);

    // Cycling back to the same text is no change either.
    open(1, kColSex);
    QTest::keyClicks(m_text, "ab");
    QCOMPARE(m_text->text(), QStringLiteral("男"));
    m_grid->setFocus();
    QCOMPARE(m_grid->TextMatrix(1, kColRowState), kRowUnchanged);
}

void TestCellEditor::movementLimits_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("caret");   // caret position before the key; -1: at the end
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("rowAfter");
    QTest::addColumn<int>("colAfter");

    QTest::newRow("Left at start of column 2") << 1 << 2 << 0 << int(Qt::Key_Left) << 1 << 2;
    QTest::newRow("Right at end of column 17") << 1 << 17 << -1 << int(Qt::Key_Right) << 1 << 17;
    QTest::newRow("Up on row 1") << 1 << 5 << -1 << int(Qt::Key_Up) << 1 << 5;
    QTest::newRow("Down on the last row") << 4 << 5 << -1 << int(Qt::Key_Down) << 4 << 5;
    QTest::newRow("Left inside the text") << 1 << 5 << 1 << int(Qt::Key_Left) << 1 << 5;
    QTest::newRow("Right inside the text") << 1 << 5 << 1 << int(Qt::Key_Right) << 1 << 5;
    QTest::newRow("Right at the start") << 1 << 5 << 0 << int(Qt::Key_Right) << 1 << 5;
    QTest::newRow("Left at start") << 1 << 5 << 0 << int(Qt::Key_Left) << 1 << 4;
    QTest::newRow("Right at end") << 1 << 16 << -1 << int(Qt::Key_Right) << 1 << 17;
    QTest::newRow("Up") << 2 << 7 << 0 << int(Qt::Key_Up) << 1 << 7;
    QTest::newRow("Down") << 1 << 7 << 1 << int(Qt::Key_Down) << 2 << 7;
}

void TestCellEditor::movementLimits()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, caret);
    QFETCH(int, key);
    QFETCH(int, rowAfter);
    QFETCH(int, colAfter);

    for (int c = 2; c <= 17; ++c)
        if (m_grid->TextMatrix(row, c).isEmpty())
            m_grid->setTextMatrix(row, c, QStringLiteral("文本"));
    open(row, col);
    QTest::keyClick(m_text, Qt::Key_End);
    QTest::keyClick(m_text, Qt::Key_X);   // a change that a move writes back, a limit does not
    m_text->setCursorPosition(caret < 0 ? m_text->text().size() : caret);
    const QString typed = m_text->text();
    const int caretBefore = m_text->cursorPosition();
    const QString state = m_grid->TextMatrix(row, kColRowState);

    QTest::keyClick(m_text, Qt::Key(key));

    QVERIFY(m_editor->isOpen());
    QCOMPARE(m_editor->editRow(), rowAfter);
    QCOMPARE(m_editor->editCol(), colAfter);
    QCOMPARE(m_grid->Row(), rowAfter);
    QCOMPARE(m_grid->Col(), colAfter);
    if (rowAfter != row || colAfter != col) {
        QCOMPARE(m_grid->TextMatrix(row, col), typed);
        QCOMPARE(m_text->text(), m_grid->TextMatrix(rowAfter, colAfter));
        QCOMPARE(m_text->cursorPosition(), m_text->text().size());
        QCOMPARE(m_text->geometry(), m_grid->cellRect(rowAfter, colAfter));
    } else {
        QVERIFY(m_grid->TextMatrix(row, col) != typed);   // not written back
        QCOMPARE(m_grid->TextMatrix(row, kColRowState), state);
        QCOMPARE(m_text->text(), typed);
        // Inside the text Left and Right only move the caret.
        if (key == Qt::Key_Left && caretBefore > 0)
            QCOMPARE(m_text->cursorPosition(), caretBefore - 1);
        if (key == Qt::Key_Right && caretBefore < typed.size())
            QCOMPARE(m_text->cursorPosition(), caretBefore + 1);
    }
}

void TestCellEditor::rightWritesBackAndMovesOn()
{
    open(1, kColName);
    QTest::keyClick(m_text, Qt::Key_Backspace);
    QTest::keyClick(m_text, Qt::Key_Backspace);
    QTest::keyClicks(m_text, "Li");
    QTest::keyClick(m_text, Qt::Key_Right);
    QCOMPARE(m_grid->TextMatrix(1, kColName), QStringLiteral("Li"));
    QCOMPARE(m_grid->TextMatrix(1, kColRowState), kRowChanged);
    QCOMPARE(m_editor->editCol(), int(kColSex));
    QCOMPARE(m_text->text(), QStringLiteral("男"));
    QCOMPARE(m_text->cursorPosition(), 1);
    QVERIFY(m_text->hasFocus());
    QVERIFY(!m_editor->pendingEdit());
}

// Up and Down do not pass over a deleted (hidden) row: the editor lies on it, and the
// next key moves on.
void TestCellEditor::upAndDownStopOnHiddenRows()
{
    open(2, kColName);
    QTest::keyClick(m_text, Qt::Key_Down);
    QCOMPARE(m_editor->editRow(), 3);
    QVERIFY(m_editor->isOpen());
    QCOMPARE(m_text->height(), 0);
    QCOMPARE(m_text->text(), QStringLiteral("王五"));
    QTest::keyClick(m_text, Qt::Key_Down);
    QCOMPARE(m_editor->editRow(), 4);
    QCOMPARE(m_text->text(), QStringLiteral("赵六"));
    QCOMPARE(m_grid->TextMatrix(3, kColRowState), kRowDeleted);
}

void TestCellEditor::enterWritesBackAndReturnsToTheGrid()
{
    open(4, 13);
    QTest::keyClicks(m_text, "chess");
    QTest::keyClick(m_text, Qt::Key_Return);
    QVERIFY(!m_editor->isOpen());
    QVERIFY(m_grid->hasFocus());
    QCOMPARE(m_grid->TextMatrix(4, 13), QStringLiteral("chess"));
    QCOMPARE(m_grid->TextMatrix(4, kColRowState), kRowChanged);
}

void TestCellEditor::scrollWritesBack()
{
    m_grid->setRows(60);
    for (int r = 5; r < 60; ++r)
        m_grid->setTextMatrix(r, kColName, QStringLiteral("学生%1").arg(r));
    open(1, kColName);
    QTest::keyClicks(m_text, "A");
    QScrollBar *bar = m_grid->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(bar->value() + 3);
    QVERIFY(!m_editor->isOpen());
    QCOMPARE(m_grid->TextMatrix(1, kColName), QStringLiteral("A"));
    QCOMPARE(m_grid->TextMatrix(1, kColRowState), kRowChanged);
}

void TestCellEditor::skipNextWriteBackSuppressesExactlyOne()
{
    open(1, kColName);
    QTest::keyClicks(m_text, "B");
    m_editor->setSkipNextWriteBack(true);
    m_grid->setFocus();
    QCOMPARE(m_grid->TextMatrix(1, kColName), QStringLiteral("张三"));
    QCOMPARE(m_grid->TextMatrix(1, kColRowState), kRowUnchanged);
    QVERIFY(!m_editor->skipNextWriteBack());
    QVERIFY(m_editor->isOpen());   // only the mark was cleared

    m_text->setFocus();
    m_grid->setFocus();
    QCOMPARE(m_grid->TextMatrix(1, kColName), QStringLiteral("B"));
    QCOMPARE(m_grid->TextMatrix(1, kColRowState), kRowChanged);
    QVERIFY(!m_editor->isOpen());
}

// A window button ends the edit first: the typed text lands once, and the next edit is
// written back as usual.
void TestCellEditor::closeBeforeAnActionWritesOnce()
{
    int writes = 0;
    connect(m_editor, &CellEditor::cellWritten, this, [&writes] { ++writes; });
    open(1, kColName);
    QTest::keyClicks(m_text, "C");
    QVERIFY(m_editor->pendingEdit());
    m_editor->CloseCellEditor();   // the editor still has the focus, as after a shortcut key
    QVERIFY(!m_editor->isOpen());
    QCOMPARE(m_grid->TextMatrix(1, kColName), QStringLiteral("C"));
    QCOMPARE(m_grid->TextMatrix(1, kColRowState), kRowChanged);
    QCOMPARE(writes, 1);
    QVERIFY(!m_editor->pendingEdit());
    QVERIFY(!m_editor->skipNextWriteBack());
    QCOMPARE(m_editor->editRow(), 1);   // the row a deletion acts on

    open(4, kColName);
    QTest::keyClicks(m_text, "D");
    m_grid->setFocus();
    QCOMPARE(m_grid->TextMatrix(4, kColName), QStringLiteral("D"));
    QCOMPARE(m_grid->TextMatrix(4, kColRowState), kRowChanged);
    QCOMPARE(writes, 2);
}

void TestCellEditor::keysOnTheGridChangeNoCell()
{
    m_grid->setRow(1);
    m_grid->setCol(kColName);
    m_grid->setFocus();
    QTest::keyClicks(m_grid, "abc");
    QTest::keyClick(m_grid, Qt::Key_Return);
    QTest::keyClick(m_grid, Qt::Key_Backspace);
    QVERIFY(!m_editor->isOpen());
    QCOMPARE(m_grid->TextMatrix(1, kColName), QStringLiteral("张三"));
    QCOMPARE(m_grid->TextMatrix(1, kColRowState), kRowUnchanged);
    QVERIFY(m_grid->findChildren<QLineEdit *>().size() == 1);   // no item editor of the table either
}

// The score grid's kind of editor: one column, Enter and Down move to the next row
// that is not hidden, a changed row is marked "1".
void TestCellEditor::scoreStyleEnterMovesDownPastHiddenRows()
{
    delete m_editor;
    CellEditorConfig c;
    c.firstColumn = c.lastColumn = kColRemarks;
    c.moveKeys = CellEditorConfig::MoveUp | CellEditorConfig::MoveDown;
    c.enterMovesDown = true;
    c.moveSkipsHiddenRows = true;
    c.rowStateColumn = -1;
    c.changedState = QStringLiteral("1");
    m_editor = new CellEditor(m_grid, c);
    m_text = m_editor->lineEdit();
    m_grid->setTextMatrix(1, kColRowState, QString());
    m_grid->setTextMatrix(4, kColRowState, QString());

    open(2, kColRemarks);   // row 2; row 3 is hidden
    QTest::keyClicks(m_text, "9");
    QTest::keyClick(m_text, Qt::Key_Return);
    QCOMPARE(m_grid->TextMatrix(2, kColRemarks), QStringLiteral("9"));
    QCOMPARE(m_editor->editRow(), 4);
    QVERIFY(m_editor->isOpen());
    QTest::keyClick(m_text, Qt::Key_Left);   // no sideways moves
    QCOMPARE(m_editor->editCol(), int(kColRemarks));
    QTest::keyClicks(m_text, "7");
    QTest::keyClick(m_text, Qt::Key_Up);     // past the hidden row
    QCOMPARE(m_editor->editRow(), 2);
    QCOMPARE(m_grid->TextMatrix(4, kColRowState), QStringLiteral("1"));

    // Every row below hidden: the editor stays on the row it wrote.
    m_grid->setRowHeight(4, 0);
    QTest::keyClicks(m_text, "5");
    QTest::keyClick(m_text, Qt::Key_Down);
    QCOMPARE(m_editor->editRow(), 2);
    QCOMPARE(m_grid->TextMatrix(2, kColRemarks), QStringLiteral("5"));
    QVERIFY(m_editor->isOpen());
}

// The new-student grid's kind of editor: no moves, the text written back even when
// unchanged, and 性别 written only as 男 or 女.
void TestCellEditor::newStudentStyleWritesUnchangedAndTransforms()
{
    delete m_editor;
    CellEditorConfig c;
    c.firstColumn = 1;
    c.lastColumn = -2;
    c.moveKeys = CellEditorConfig::MoveNone;
    c.commitOnScroll = false;
    c.writeUnchanged = true;
    c.commitText = [](int col, const QString &text) {
        if (col == kColSex && text != QStringLiteral("男") && text != QStringLiteral("女"))
            return QString();
        return text;
    };
    m_editor = new CellEditor(m_grid, c);
    m_text = m_editor->lineEdit();
    int writes = 0;
    connect(m_editor, &CellEditor::cellWritten, this, [&writes] { ++writes; });

    open(1, kColStudentNumber);   // column 1 is editable here
    QTest::keyClick(m_text, Qt::Key_Down);
    QCOMPARE(m_editor->editRow(), 1);
    m_grid->setFocus();
    QCOMPARE(writes, 1);   // unchanged, written all the same
    QCOMPARE(m_grid->TextMatrix(1, kColRowState), kRowUnchanged);   // no row state here

    open(1, kColSex);
    QTest::keyClicks(m_text, "x");
    m_grid->setFocus();
    QCOMPARE(m_grid->TextMatrix(1, kColSex), QString());
    QVERIFY(!m_editor->BeginCellEdit(1, kColRowState));   // the last column is not editable
}

// The password grid's kind of editor: the last column only, and a text check that
// keeps the text within its limit however it arrives.
void TestCellEditor::textCheckAndColumnsCountedFromTheEnd()
{
    delete m_editor;
    CellEditorConfig c;
    c.firstColumn = c.lastColumn = -1;
    c.moveKeys = CellEditorConfig::MoveNone;
    int checks = 0;
    c.textCheck = [&checks](int, QString &text) {
        while (text.size() > 6) {
            text.chop(1);
            ++checks;
        }
    };
    m_editor = new CellEditor(m_grid, c);
    m_text = m_editor->lineEdit();

    QVERIFY(!m_editor->BeginCellEdit(1, kColName));
    QVERIFY(m_editor->BeginCellEdit(1, kColRowState));
    m_text->clear();
    QTest::keyClicks(m_text, "1234567");
    QCOMPARE(m_text->text(), QStringLiteral("123456"));
    QCOMPARE(checks, 1);
    m_text->clear();
    m_text->insert(QStringLiteral("abcdefghi"));   // a paste
    QCOMPARE(m_text->text(), QStringLiteral("abcdef"));
    QCOMPARE(checks, 4);
    m_grid->setFocus();
    QCOMPARE(m_grid->TextMatrix(1, kColRowState), QStringLiteral("abcdef"));

    // The column moves with the column count.
    m_grid->setCols(5);
    QVERIFY(m_editor->canEdit(1, 4));
    QVERIFY(!m_editor->canEdit(1, 3));
}

// Opening on (or moving to) a filled cell selects its text: typing replaces it,
// and Left or Right leave the cell at once.
void TestCellEditor::typingReplacesTheCellText()
{
    open(1, kColName);
    QCOMPARE(m_text->selectedText(), QStringLiteral("张三"));
    QTest::keyClicks(m_text, "Li");
    QCOMPARE(m_text->text(), QStringLiteral("Li"));
    QTest::keyClick(m_text, Qt::Key_Down);   // past nothing: row 2
    QCOMPARE(m_editor->editRow(), 2);
    QCOMPARE(m_grid->TextMatrix(1, kColName), QStringLiteral("Li"));
    QCOMPARE(m_text->selectedText(), QStringLiteral("李四"));
    QTest::keyClicks(m_text, "Wang");
    QTest::keyClick(m_text, Qt::Key_Return);
    QCOMPARE(m_grid->TextMatrix(2, kColName), QStringLiteral("Wang"));

    m_grid->setTextMatrix(1, kColRemarks - 1, QStringLiteral("左"));
    open(1, kColRemarks);
    QTest::keyClick(m_text, Qt::Key_Left);
    QCOMPARE(m_editor->editCol(), int(kColRemarks) - 1);
    QCOMPARE(m_text->selectedText(), QStringLiteral("左"));
    QTest::keyClick(m_text, Qt::Key_Right);
    QCOMPARE(m_editor->editCol(), int(kColRemarks));
    QCOMPARE(m_grid->TextMatrix(1, kColRemarks), QStringLiteral("备注1"));   // moving changed nothing
}

// A check that refuses a change puts back the text before it, not an empty one.
void TestCellEditor::refusedTextKeepsThePreviousText()
{
    delete m_editor;
    CellEditorConfig c;
    c.firstColumn = c.lastColumn = kColRemarks;
    c.textCheck = [this](int, QString &text) {
        if (text.size() > 3)
            text = m_editor->checkedText();
    };
    m_editor = new CellEditor(m_grid, c);
    m_text = m_editor->lineEdit();

    open(1, kColRemarks);
    QTest::keyClicks(m_text, "12345");
    QCOMPARE(m_text->text(), QStringLiteral("123"));
    QTest::keyClick(m_text, Qt::Key_Backspace);
    QTest::keyClicks(m_text, "9");
    QCOMPARE(m_text->text(), QStringLiteral("129"));
    m_text->insert(QStringLiteral("abcdef"));   // a paste
    QCOMPARE(m_text->text(), QStringLiteral("129"));
    m_grid->setFocus();
    QCOMPARE(m_grid->TextMatrix(1, kColRemarks), QStringLiteral("129"));
    // Opening another cell starts from its own text.
    open(2, kColRemarks);
    QCOMPARE(m_editor->checkedText(), QStringLiteral("备注2"));
}

// A click on the editor itself while it holds nothing typed since it opened or
// moved is a click on its cell: the text is selected and typing replaces it. Once
// a key was typed, the click places the caret as in any text box.
void TestCellEditor::clickOnTheEditor_data()
{
    QTest::addColumn<QString>("before");   // what happened since the editor opened on row 1's 姓名
    QTest::addColumn<int>("row");          // the editor's row when clicked
    QTest::addColumn<QString>("result");   // its text after the click and the keys "Li"
    QTest::newRow("opened by a click") << QString() << 1 << QStringLiteral("Li");
    QTest::newRow("moved down") << QStringLiteral("down") << 2 << QStringLiteral("Li");
    QTest::newRow("moved down and back up") << QStringLiteral("down up") << 1 << QStringLiteral("Li");
    QTest::newRow("a key typed: the caret where clicked") << QStringLiteral("Wa") << 1 << QStringLiteral("WaLi");
    QTest::newRow("a key typed after a move") << QStringLiteral("down Wa") << 2 << QStringLiteral("WaLi");
}

void TestCellEditor::clickOnTheEditor()
{
    QFETCH(QString, before);
    QFETCH(int, row);
    QFETCH(QString, result);
    open(1, kColName);
    for (const QString &step : before.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step == QStringLiteral("down"))
            QTest::keyClick(m_text, Qt::Key_Down);
        else if (step == QStringLiteral("up"))
            QTest::keyClick(m_text, Qt::Key_Up);
        else
            QTest::keyClicks(m_text, step.toLatin1());
    }
    QCOMPARE(m_editor->editRow(), row);
    // Past the end of the text: a plain text box puts the caret after it.
    QTest::mouseClick(m_text, Qt::LeftButton, Qt::NoModifier, QPoint(m_text->width() - 2, m_text->height() / 2));
    QVERIFY(m_text->hasFocus());
    QTest::keyClicks(m_text, "Li");
    QCOMPARE(m_text->text(), result);
    QTest::keyClick(m_text, Qt::Key_Return);
    QCOMPARE(m_grid->TextMatrix(row, kColName), result);
}

// A double click, or a press that drags across the text, leaves the untyped text
// selected as well.
void TestCellEditor::pressOnTheEditorKeepsTheSelection()
{
    open(2, kColRemarks);
    // From past the text's end to its middle.
    const QPoint start(m_text->width() - 2, m_text->height() / 2);
    const QPoint end(m_text->fontMetrics().horizontalAdvance(m_text->text()) / 2, m_text->height() / 2);
    QTest::mousePress(m_text, Qt::LeftButton, Qt::NoModifier, start);
    QMouseEvent drag(QEvent::MouseMove, QPointF(end), m_text->mapToGlobal(QPointF(end)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_text, &drag);
    QTest::mouseRelease(m_text, Qt::LeftButton, Qt::NoModifier, end);
    QCOMPARE(m_text->selectedText(), QStringLiteral("备注2"));
    QTest::mouseDClick(m_text, Qt::LeftButton, Qt::NoModifier, end);
    QCOMPARE(m_text->selectedText(), QStringLiteral("备注2"));
    QCOMPARE(m_editor->editRow(), 2);
    QCOMPARE(m_grid->TextMatrix(2, kColRowState), kRowNew);
    QVERIFY(!m_editor->pendingEdit());
}

// A whole text refused (a score above the full mark) gives the cell's text back,
// selected, so no part of the refused text is kept and the next key starts afresh.
void TestCellEditor::refusedWholeTextTakesTheCellTextBack()
{
    delete m_editor;
    CellEditorConfig c;
    c.firstColumn = c.lastColumn = kColRemarks;
    c.refuses = [](int, const QString &text) { return text.size() > 3; };
    int refusals = 0;
    c.refused = [&refusals](int col) {
        QCOMPARE(col, int(kColRemarks));
        ++refusals;
    };
    m_editor = new CellEditor(m_grid, c);
    m_text = m_editor->lineEdit();

    open(1, kColRemarks);
    QTest::keyClicks(m_text, "1234");
    QCOMPARE(refusals, 1);
    QCOMPARE(m_text->text(), QStringLiteral("备注1"));
    QCOMPARE(m_text->selectedText(), QStringLiteral("备注1"));
    QVERIFY(!m_editor->pendingEdit());
    QTest::keyClicks(m_text, "56");
    QCOMPARE(m_text->text(), QStringLiteral("56"));
    m_text->insert(QStringLiteral("abcdef"));   // a paste
    QCOMPARE(refusals, 2);
    QCOMPARE(m_text->text(), QStringLiteral("备注1"));
    m_grid->setFocus();
    QCOMPARE(m_grid->TextMatrix(1, kColRemarks), QStringLiteral("备注1"));
    QCOMPARE(m_grid->TextMatrix(1, kColRowState), kRowUnchanged);
}

QTEST_MAIN(TestCellEditor)
#include "tst_cell_editor.moc"
