// 打印: the print hand-off, the title beside the text, the set-up panel with its
// digit filter, and printing the box's text into a PDF file.
#include "fixtures/pdf.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/text_box.h"
#include "kit/window_names.h"
#include "widgets/messages.h"
#include "widgets/text_printer.h"
#include "shell/print_layout.h"
#include "shell/print_page.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

// A document of a title and n numbered lines "第k行 line k", lines ending CR LF.
QString document(const QString &title, int n)
{
    QString out = title + u"\r\n"_s;
    for (int k = 1; k <= n; ++k)
        out += u"第%1行 line %1\r\n"_s.arg(k);
    return out;
}

} // namespace

class TestPrintPage : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString file(const QString &name) const { return m_dir.filePath(name); }

    static PrintPage *handOver(WindowHarness &h, const QString &text)
    {
        h.main.handToPrintPage(text);
        return h.openWindow<PrintPage>(kPrintPage);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void handOffShowsTextAndTitle()
    {
        TestSchool school;
        WindowHarness h(school);
        const QString report = u"       　　　　　　　各年级组班主任分工表\r\n初一年级组:\r\n"_s;
        PrintPage *page = handOver(h, report);
        QVERIFY(page);
        QCOMPARE(page->windowTitle(), u"打印页面"_s);
        QCOMPARE(page->wenben, report);
        QCOMPARE(boxText(page->documentBox), report);
        QCOMPARE(page->titleShadow->text(), u"　　　　　　　各年级组班主任分工表"_s);
        QCOMPARE(page->titleText->text(), page->titleShadow->text());
        QVERIFY(!page->setupPanel->isVisible());
        QVERIFY(page->a4Option->isChecked());
        QCOMPARE(page->parentWidget()->pos(), QPoint(0, 0));
        QVERIFY(h.responder.shown().isEmpty());
        // The long title stands whole in its column, every character inside the page.
        for (QLabel *title : {page->titleShadow, page->titleText}) {
            const VerticalTitle t = fitVerticalTitle(title->text(), title->font(), title->size());
            QCOMPARE(t.characters.join(QString()), u"各年级组班主任分工表"_s);
            QVERIFY(t.characters.size() * t.lineHeight <= title->height());
            QVERIFY(page->rect().contains(QRect(title->mapTo(page, QPoint(0, 0)), title->size())));
        }
        saveShot(h.main.grab().toImage(), u"print_page"_s);
    }

    void secondHandOffReplacesTextAndTitle()
    {
        TestSchool school;
        WindowHarness h(school);
        PrintPage *page = handOver(h, u"第一份\r\n内容一\r\n"_s);
        page->documentBox->appendPlainText(u"用户改过"_s);
        h.main.showWindow(kRegisterWindow);   // another window in front
        PrintPage *again = handOver(h, u"第二份\r\n内容二"_s);
        QCOMPARE(again, page);
        const QList<QMdiSubWindow *> subs = h.main.mdiArea()->subWindowList();
        QCOMPARE(std::count_if(subs.begin(), subs.end(),
                               [](QMdiSubWindow *s) { return qobject_cast<PrintPage *>(s->widget()); }),
                 1);
        QCOMPARE(h.main.mdiArea()->activeSubWindow()->widget(), page);
        QCOMPARE(boxText(page->documentBox), u"第二份\r\n内容二"_s);
        QCOMPARE(page->titleShadow->text(), u"第二份"_s);
        QCOMPARE(page->titleText->text(), u"第二份"_s);
        // Without a line end there is no title, and the whole text is shown.
        handOver(h, u"只有一行"_s);
        QCOMPARE(page->titleShadow->text(), QString());
        QCOMPARE(boxText(page->documentBox), u"只有一行"_s);
    }

    void panelOpensAndCloses()
    {
        TestSchool school;
        WindowHarness h(school);
        PrintPage *page = handOver(h, document(u"标题"_s, 3));
        QTest::mouseClick(page->startPrintButton, Qt::LeftButton);
        QVERIFY(page->setupPanel->isVisible());
        QTRY_VERIFY(page->b5TopBox->hasFocus());
        const QStringList boxes = {page->b5TopBox->text(), page->b5LinesBox->text(), page->b5LeftBox->text(),
                                   page->b5CharsBox->text(), page->a4TopBox->text(), page->a4LinesBox->text(),
                                   page->a4LeftBox->text(), page->a4CharsBox->text()};
        QCOMPARE(boxes, (QStringList{u"1400"_s, u"59"_s, u"1100"_s, u"80"_s, u"1600"_s, u"70"_s,
                                     u"1300"_s, u"96"_s}));
        QCOMPARE(page->b5TopBox->maxLength(), 4);
        QCOMPARE(page->a4CharsBox->maxLength(), 2);
        saveShot(h.main.grab().toImage(), u"print_page_setup"_s);
        QTest::mouseClick(page->cancelPrintButton, Qt::LeftButton);
        QVERIFY(!page->setupPanel->isVisible());
    }

    void setupBoxesTakeDigitsOnly_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byInputMethod");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("messages");
        QTest::newRow("digits") << u"7"_s << false << u"7"_s << 0;
        QTest::newRow("a letter") << u"a"_s << false << QString() << 1;
        QTest::newRow("digit, letter, digit") << u"1x2"_s << false << u"12"_s << 1;
        QTest::newRow("blank") << u" "_s << false << QString() << 1;
        QTest::newRow("full-width digit key") << u"５"_s << false << QString() << 1;
        QTest::newRow("Chinese from an input method") << u"七十"_s << true << QString() << 1;
        QTest::newRow("digits from an input method") << u"70"_s << true << u"70"_s << 0;
    }
    void setupBoxesTakeDigitsOnly()
    {
        QFETCH(QString, typed);
        QFETCH(bool, byInputMethod);
        QFETCH(QString, box);
        QFETCH(int, messages);
        TestSchool school;
        WindowHarness h(school);
        PrintPage *page = handOver(h, document(u"标题"_s, 1));
        QTest::mouseClick(page->startPrintButton, Qt::LeftButton);
        page->a4LinesBox->clear();
        page->a4LinesBox->setFocus();
        if (byInputMethod)
            commitText(page->a4LinesBox, typed);
        else
            typeKeys(page->a4LinesBox, typed);
        QCOMPARE(page->a4LinesBox->text(), box);
        QCOMPARE(h.responder.shown().size(), messages);
        for (const ScriptedResponder::Shown &m : h.responder.shown()) {
            QCOMPARE(m.text, u"你改成“半角的数字”输入，否则累死你，也输不上新字符，嘿嘿……。"_s);
            QCOMPARE(m.title, u"提示"_s);
        }
        // Backspace is no typing to refuse.
        h.responder.clear();
        page->a4LinesBox->setText(u"70"_s);
        page->a4LinesBox->end(false);
        QTest::keyClick(page->a4LinesBox, Qt::Key_Backspace);
        QCOMPARE(page->a4LinesBox->text(), u"7"_s);
        QVERIFY(h.responder.shown().isEmpty());
    }

    void printsTheBoxTextWithThePreset_data()
    {
        QTest::addColumn<bool>("b5");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::addColumn<QString>("firstOfPage2");
        // 1 title line, 140 numbered lines and the user's line: 142 lines.
        QTest::newRow("A4: 70 lines a page") << false << 3 << QPageSize::A4 << u"第70行 line 70"_s;
        QTest::newRow("B5: 59 lines a page") << true << 3 << QPageSize::B5 << u"第59行 line 59"_s;
    }
    void printsTheBoxTextWithThePreset()
    {
        QFETCH(bool, b5);
        QFETCH(int, pages);
        QFETCH(QPageSize::PageSizeId, paper);
        QFETCH(QString, firstOfPage2);
        TestSchool school;
        WindowHarness h(school);
        const QString pdf = file(u"%1.pdf"_s.arg(b5 ? u"b5"_s : u"a4"_s));
        PdfPrinterChooser chooser(pdf);
        PrintPage *page = handOver(h, u"       "_s + document(u"　　打印测试"_s, 140));
        page->documentBox->appendPlainText(u"用户加的一行"_s);
        QTest::mouseClick(page->startPrintButton, Qt::LeftButton);
        // The margin boxes are not read.
        page->b5TopBox->setText(u"1"_s);
        page->a4TopBox->setText(u"9999"_s);
        (b5 ? page->b5Option : page->a4Option)->click();
        QTest::mouseClick(page->confirmPrintButton, Qt::LeftButton);

        QVERIFY(h.responder.shown().isEmpty());
        QCOMPARE(chooser.runs(), 1);
        QCOMPARE(chooser.lastPaper(), paper);
        QVERIFY(!page->setupPanel->isVisible());
        QCOMPARE(pdfPageCount(pdf), pages);
        const QStringList text = pdfPages(pdf);
        QCOMPARE(text.size(), pages);
        QVERIFY2(text[0].contains(u"打印测试"_s), qPrintable(text[0].left(80)));
        QVERIFY2(text[1].trimmed().startsWith(firstOfPage2), qPrintable(text[1].left(80)));
        QVERIFY2(text[2].contains(u"第140行 line 140"_s), qPrintable(text[2]));
        QVERIFY2(text[2].trimmed().endsWith(u"用户加的一行"_s), qPrintable(text[2]));
        // The first line keeps its blanks: the title stands right of the margin.
        const QList<QRectF> words = pdfWordBoxes(pdf);
        QVERIFY(!words.isEmpty());
        QVERIFY2(qAbs(words[0].top() - 70) < 0.5, qPrintable(QString::number(words[0].top())));
        QVERIFY2(qAbs(words[0].left() - (55 + 7 * 5 + 2 * 10)) < 0.5,
                 qPrintable(QString::number(words[0].left())));
    }

    void countsOfTheChosenPresetAreChecked_data()
    {
        QTest::addColumn<bool>("b5");
        QTest::addColumn<QString>("box");   // object name of the box changed
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("refused");
        QTest::newRow("A4 characters 0") << false << u"Text9"_s << u"0"_s << true;
        QTest::newRow("A4 lines empty") << false << u"Text7"_s << QString() << true;
        QTest::newRow("A4 lines 0") << false << u"Text7"_s << u"0"_s << true;
        QTest::newRow("B5 characters empty") << true << u"Text5"_s << QString() << true;
        QTest::newRow("B5 lines pasted letters") << true << u"Text3"_s << u"5x"_s << true;
        QTest::newRow("B5's box empty, A4 chosen") << false << u"Text3"_s << QString() << false;
        QTest::newRow("A4's box 0, B5 chosen") << true << u"Text9"_s << u"0"_s << false;
    }
    void countsOfTheChosenPresetAreChecked()
    {
        QFETCH(bool, b5);
        QFETCH(QString, box);
        QFETCH(QString, value);
        QFETCH(bool, refused);
        TestSchool school;
        WindowHarness h(school);
        const QString pdf = file(u"count.pdf"_s);
        QFile::remove(pdf);
        PdfPrinterChooser chooser(pdf);
        PrintPage *page = handOver(h, document(u"标题"_s, 3));
        QTest::mouseClick(page->startPrintButton, Qt::LeftButton);
        (b5 ? page->b5Option : page->a4Option)->click();
        page->findChild<QLineEdit *>(box)->setText(value);   // as pasted
        QTest::mouseClick(page->confirmPrintButton, Qt::LeftButton);
        if (refused) {
            QCOMPARE(h.responder.texts(), QStringList{PrintPage::kCountRefusedMessage});
            QCOMPARE(h.responder.last().title, u"提示信息……"_s);
            QCOMPARE(chooser.runs(), 0);
            QVERIFY(!QFile::exists(pdf));
            QVERIFY(page->setupPanel->isVisible());
        } else {
            QVERIFY(h.responder.shown().isEmpty());
            QCOMPARE(pdfPageCount(pdf), 1);
        }
    }

    void cancellingTheDialogSaysNothing()
    {
        TestSchool school;
        WindowHarness h(school);
        const QString pdf = file(u"cancel.pdf"_s);
        PdfPrinterChooser chooser(pdf);
        chooser.setCancel(true);
        PrintPage *page = handOver(h, document(u"标题"_s, 3));
        QTest::mouseClick(page->startPrintButton, Qt::LeftButton);
        QTest::mouseClick(page->confirmPrintButton, Qt::LeftButton);
        QCOMPARE(chooser.runs(), 1);
        QVERIFY(h.responder.shown().isEmpty());
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(page->setupPanel->isVisible());
    }

    void aFailedPrintIsShown()
    {
        TestSchool school;
        WindowHarness h(school);
        const QString pdf = file(u"no/such/folder/out.pdf"_s);
        PdfPrinterChooser chooser(pdf);
        PrintPage *page = handOver(h, document(u"标题"_s, 3));
        QTest::mouseClick(page->startPrintButton, Qt::LeftButton);
        QTest::mouseClick(page->confirmPrintButton, Qt::LeftButton);
        QCOMPARE(h.responder.shown().size(), 1);
        QCOMPARE(h.responder.last().title, u"提示信息……"_s);
        QVERIFY2(h.responder.last().text.contains(pdf), qPrintable(h.responder.last().text));
        QVERIFY(page->setupPanel->isVisible());
    }

    void reopeningStartsFromTheDefaults()
    {
        TestSchool school;
        WindowHarness h(school);
        PrintPage *page = handOver(h, document(u"标题"_s, 1));
        QTest::mouseClick(page->startPrintButton, Qt::LeftButton);
        page->b5Option->click();
        page->a4LinesBox->setText(u"9"_s);
        QTest::mouseClick(page->closeButton, Qt::LeftButton);
        QTRY_VERIFY(!h.isOpen(kPrintPage));
        page = handOver(h, u"新的\r\n"_s);
        QVERIFY(page);
        QCOMPARE(page->a4LinesBox->text(), u"70"_s);
        QVERIFY(page->a4Option->isChecked());
        QVERIFY(!page->setupPanel->isVisible());
        QCOMPARE(page->titleShadow->text(), u"新的"_s);
    }
};

QTEST_MAIN(TestPrintPage)
#include "tst_print_page.moc"
