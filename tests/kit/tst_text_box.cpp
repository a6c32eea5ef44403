// Text boxes as documents: a line break counts as CR LF, and a limited box
// stops every way a user puts text in at its limit, while the program's own
// text is never cut.
#include "fixtures/ui_helpers.h"
#include "kit/text_box.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

using namespace tessaly;
using namespace Qt::StringLiterals;

namespace {

enum Way { Keys, Enter, Commit, Paste, Backspace };

} // namespace

class TestTextBox : public QObject {
    Q_OBJECT

private slots:
    void documentLengthCountsLineBreaksTwice_data();
    void documentLengthCountsLineBreaksTwice();
    void userInputStopsAtTheLimit_data();
    void userInputStopsAtTheLimit();
    void programTextIsNotCut();
};

void TestTextBox::documentLengthCountsLineBreaksTwice_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");
    QTest::newRow("plain") << u"abc中文"_s << 5;
    QTest::newRow("LF") << u"a\nb"_s << 4;
    QTest::newRow("CR LF") << u"a\r\nb"_s << 4;
    QTest::newRow("CR alone") << u"a\rb"_s << 4;
    QTest::newRow("paragraph and line separators") << u"a\u2029b\u2028"_s << 6;
}

void TestTextBox::documentLengthCountsLineBreaksTwice()
{
    QFETCH(QString, text);
    QFETCH(int, length);
    QCOMPARE(documentLength(text), length);
}

void TestTextBox::userInputStopsAtTheLimit_data()
{
    QTest::addColumn<QString>("start");   // set by the program, caret at the end
    QTest::addColumn<bool>("selectAll");
    QTest::addColumn<int>("way");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("result");
    // The limit is 5 throughout.
    QTest::newRow("keys fill the room") << u"abc"_s << false << int(Keys) << u"defg"_s << u"abcde"_s;
    QTest::newRow("Enter takes two") << u"abc"_s << false << int(Enter) << QString() << u"abc\n"_s;
    QTest::newRow("Enter without two left") << u"abcd"_s << false << int(Enter) << QString() << u"abcd"_s;
    QTest::newRow("input method text cut") << u"abc"_s << false << int(Commit) << u"一二三"_s << u"abc一二"_s;
    QTest::newRow("paste cut, its line break taking two") << u"ab"_s << false << int(Paste) << u"x\r\nyz"_s
                                                           << u"abx\n"_s;
    QTest::newRow("paste over the selection") << u"abcde"_s << true << int(Paste) << u"123456"_s << u"12345"_s;
    QTest::newRow("typing over the selection") << u"abcde"_s << true << int(Keys) << u"z"_s << u"z"_s;
    QTest::newRow("above the limit: typing refused") << u"abcdefg"_s << false << int(Keys) << u"h"_s << u"abcdefg"_s;
    QTest::newRow("above the limit: paste refused") << u"abcdefg"_s << false << int(Paste) << u"h"_s << u"abcdefg"_s;
    QTest::newRow("above the limit: deleting allowed") << u"abcdefg"_s << false << int(Backspace) << QString()
                                                       << u"abcdef"_s;
}

void TestTextBox::userInputStopsAtTheLimit()
{
    QFETCH(QString, start);
    QFETCH(bool, selectAll);
    QFETCH(int, way);
    QFETCH(QString, input);
    QFETCH(QString, result);
    LimitedTextBox box(5);
    box.setPlainText(start);
    box.moveCursor(QTextCursor::End);
    if (selectAll)
        box.selectAll();
    switch (way) {
    case Keys:
        test::typeKeys(&box, input);
        break;
    case Enter:
        QTest::keyClick(&box, Qt::Key_Return);
        break;
    case Commit:
        test::commitText(&box, input);
        break;
    case Paste:
        QGuiApplication::clipboard()->setText(input);
        QTest::keySequence(&box, QKeySequence::Paste);
        break;
    case Backspace:
        QTest::keyClick(&box, Qt::Key_Backspace);
        break;
    }
    QCOMPARE(box.toPlainText(), result);
    QVERIFY(documentLength(boxText(&box)) <= std::max(5, documentLength(start)));
}

void TestTextBox::programTextIsNotCut()
{
    LimitedTextBox box(5);
    box.setPlainText(u"abcdef"_s);
    box.moveCursor(QTextCursor::End);
    box.insertPlainText(u"gh"_s);
    QCOMPARE(boxText(&box), u"abcdefgh"_s);
    // Read-only, the box takes no text at all.
    box.setReadOnly(true);
    box.clear();
    test::typeKeys(&box, u"x"_s);
    QVERIFY(box.toPlainText().isEmpty());
}

QTEST_MAIN(TestTextBox)
#include "tst_text_box.moc"
