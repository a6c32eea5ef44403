// 帮助内容: the tree and texts from help.dll, the introduction, the splitter, a
// help file that is missing, broken or breaks the rules, and the delivered help
// source.
#include "fixtures/files.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/text_box.h"
#include "kit/window_names.h"
#include "db/database.h"
#include "widgets/units.h"
#include "shell/help_file.h"
#include "shell/help_window.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

using namespace tessaly;
using namespace tessaly::help;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

// Chapters A and B with topics A1, A2 and B1; B1 bears A1's title.
const QList<HelpRow> kRows = {
    {u"A"_s, u"第一章"_s, u"第一章的说明"_s},
    {u"A1"_s, u"开始使用"_s, u"A1的内容"_s},
    {u"A2"_s, u"登录"_s, u"A2的内容\r\n第二行"_s},
    {u"B"_s, u"第二章"_s, u"第二章的说明"_s},
    {u"B1"_s, u"开始使用"_s, u"B1的内容"_s},
};

QStringList childTexts(const QTreeWidgetItem *item)
{
    QStringList out;
    for (int i = 0; i < item->childCount(); ++i)
        out << item->child(i)->text(0);
    return out;
}

QStringList rootTexts(const QTreeWidget *tree)
{
    QStringList out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        out << tree->topLevelItem(i)->text(0);
    return out;
}

void clickNode(HelpWindow *w, QTreeWidgetItem *node)
{
    w->topicTree->scrollToItem(node);
    QTest::mouseClick(w->topicTree->viewport(), Qt::LeftButton, {}, w->topicTree->visualItemRect(node).center());
}

// Drags the splitter by the mouse to x pixels from its own left edge and lets go.
void drag(HelpWindow *w, int x, const std::function<void()> &whileDragging = {})
{
    QTest::mousePress(w->splitterHandle, Qt::LeftButton, {}, QPoint(2, 20));
    QTest::mouseMove(w->splitterHandle, QPoint(x, 20));
    if (whileDragging)
        whileDragging();
    QTest::mouseRelease(w->splitterHandle, Qt::LeftButton, {}, QPoint(x, 20));
}

} // namespace

class TestHelpWindow : public QObject {
    Q_OBJECT

private slots:
    void treeOfChaptersAndTopics()
    {
        TestSchool school;
        QVERIFY(CreateHelpFile(school.file(u"help.dll"_s), kRows));
        WindowHarness h(school);
        auto *w = h.open<HelpWindow>(kHelpWindow);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), u"帮助内容……"_s);
        QVERIFY(h.responder.shown().isEmpty());

        QCOMPARE(rootTexts(w->topicTree), (QStringList{u"第一章"_s, u"第二章"_s}));
        QTreeWidgetItem *a = w->node(u"A"_s);
        QTreeWidgetItem *b = w->node(u"B"_s);
        QCOMPARE(childTexts(a), (QStringList{u"开始使用"_s, u"登录"_s}));
        QCOMPARE(childTexts(b), (QStringList{u"开始使用"_s}));
        QCOMPARE(w->node(u"B1"_s)->parent(), b);
        // The last node is scrolled into view, its chapter expanded.
        QVERIFY(b->isExpanded());
        QVERIFY(!a->isExpanded());
        QVERIFY(w->topicTree->viewport()->rect().contains(w->topicTree->visualItemRect(w->node(u"B1"_s))));
        QCOMPARE(HelpWindow::nodeImage(a), u"BG"_s);
        QCOMPARE(HelpWindow::nodeImage(b), u"BK"_s);
        QCOMPARE(HelpWindow::nodeImage(w->node(u"A2"_s)), u"Z"_s);
        // Nothing chosen yet: the introduction.
        QCOMPARE(boxText(w->contentBox), HelpIntroduction());
        QVERIFY(w->contentBox->isReadOnly());
        saveShot(h.main.grab().toImage(), u"help_window"_s);
    }

    void topicText()
    {
        TestSchool school;
        QVERIFY(CreateHelpFile(school.file(u"help.dll"_s), kRows));
        WindowHarness h(school);
        auto *w = h.open<HelpWindow>(kHelpWindow);
        const QString heading = u"\r\n"_s + QString(15, u' ');

        clickNode(w, w->node(u"A2"_s));
        QCOMPARE(boxText(w->contentBox), heading + u"登录\r\n\r\nA2的内容\r\n第二行"_s);
        // Two topics bear the title: the later row's text, whichever is clicked.
        clickNode(w, w->node(u"A1"_s));
        QCOMPARE(boxText(w->contentBox), heading + u"开始使用\r\n\r\nB1的内容"_s);
        // A chapter whose title no topic bears changes nothing.
        clickNode(w, w->node(u"B"_s));
        QCOMPARE(boxText(w->contentBox), heading + u"开始使用\r\n\r\nB1的内容"_s);
        // The keyboard chooses as the mouse does.
        w->topicTree->setFocus();
        QTest::keyClick(w->topicTree, Qt::Key_Up);
        QCOMPARE(w->topicTree->currentItem(), w->node(u"A2"_s));
        QCOMPARE(boxText(w->contentBox), heading + u"登录\r\n\r\nA2的内容\r\n第二行"_s);
    }

    void chapterImagesFollowExpanding()
    {
        TestSchool school;
        QVERIFY(CreateHelpFile(school.file(u"help.dll"_s), kRows));
        WindowHarness h(school);
        auto *w = h.open<HelpWindow>(kHelpWindow);
        QTreeWidgetItem *a = w->node(u"A"_s);
        QTreeWidgetItem *b = w->node(u"B"_s);
        w->topicTree->collapseItem(b);
        QCOMPARE(HelpWindow::nodeImage(b), u"BG"_s);
        w->topicTree->expandItem(a);
        QCOMPARE(HelpWindow::nodeImage(a), u"BK"_s);
        w->topicTree->collapseItem(a);
        QCOMPARE(HelpWindow::nodeImage(a), u"BG"_s);
        QCOMPARE(HelpWindow::nodeImage(w->node(u"A1"_s)), u"Z"_s);
    }

    void introductionFollowsItsOutline()
    {
        const QString intro = HelpIntroduction();
        QVERIFY(!intro.endsWith(u"\n"_s));
        const QStringList lines = intro.split(u"\r\n"_s);
        QCOMPARE(lines.size(), 21);
        for (int empty : {0, 2, 4, 6})
            QCOMPARE(lines[empty], QString());
        QCOMPARE(lines[3], u"首先，非常感谢你使用本软件！"_s);
        QCOMPARE(lines[5], QString(10, u' ') + u"本软件功能简介："_s);
        const QStringList marks = {u"一、"_s, u"★"_s, u"★"_s, u"★"_s, u"二、"_s, u"★"_s, u"三、"_s,
                                   u"★"_s, u"四、"_s, u"五、"_s, u"六、"_s, u"七、"_s};
        for (int i = 0; i < marks.size(); ++i)
            QVERIFY2(lines[8 + i].startsWith(u"    "_s + marks[i]), qPrintable(lines[8 + i]));
        for (int i : {1, 7, 20}) {
            QVERIFY(lines[i].startsWith(u"    "_s));
            QVERIFY(!lines[i].startsWith(u"     "_s));
            QVERIFY(lines[i].size() > 10);
        }
    }

    void splitterRelease_data()
    {
        QTest::addColumn<int>("mouseX");   // pixels from the splitter's left edge
        QTest::addColumn<int>("bar");      // where the bar stands when released, twips
        QTest::addColumn<int>("tree");
        QTest::addColumn<int>("splitter");
        QTest::addColumn<int>("text");
        QTest::addColumn<int>("textWidth");
        // The splitter stands at 3400 twips; the window is 10455 wide.
        QTest::newRow("far left: 500, laid out as 1500") << -300 << 500 << 1100 << 1500 << 1700 << 8505;
        QTest::newRow("7000, laid out as 5500") << 240 << 7000 << 5100 << 5500 << 5700 << 4505;
        QTest::newRow("far right: width less 500") << 600 << 9955 << 5100 << 5500 << 5700 << 4505;
        QTest::newRow("in between") << -100 << 1900 << 1500 << 1900 << 2100 << 8105;
    }

    void splitterRelease()
    {
        QFETCH(int, mouseX);
        QFETCH(int, bar);
        QFETCH(int, tree);
        QFETCH(int, splitter);
        QFETCH(int, text);
        QFETCH(int, textWidth);
        TestSchool school;
        QVERIFY(CreateHelpFile(school.file(u"help.dll"_s), kRows));
        WindowHarness h(school);
        auto *w = h.open<HelpWindow>(kHelpWindow);
        QCOMPARE(w->windowWidthTwips(), 10455);
        QCOMPARE(w->twipsGeometry(w->splitterHandle).x(), 3400);

        drag(w, mouseX, [&] {
            QVERIFY(w->splitterShadow->isVisible());
            QCOMPARE(w->twipsGeometry(w->splitterShadow), QRect(bar, 600, 75, 5380));
        });
        QVERIFY(!w->splitterShadow->isVisible());
        QCOMPARE(w->twipsGeometry(w->topicTree), QRect(240, 600, tree, 5400));
        QCOMPARE(w->twipsGeometry(w->splitterHandle).x(), splitter);
        QCOMPARE(w->twipsGeometry(w->contentBox), QRect(text, 600, textWidth, 5400));
        QCOMPARE(w->twipsGeometry(w->treeHeading).width(), tree);
        QCOMPARE(w->twipsGeometry(w->textHeading), QRect(text, w->twipsGeometry(w->textHeading).y(), textWidth,
                                                   w->twipsGeometry(w->textHeading).height()));
        for (QFrame *shape : {w->treeFrame, w->treeBand})
            QCOMPARE(w->twipsGeometry(shape).width(), tree + 250);
        for (QFrame *shape : {w->textFrame, w->textBand}) {
            QCOMPARE(w->twipsGeometry(shape).x(), text - 100);
            QCOMPARE(w->twipsGeometry(shape).width(), textWidth + 200);
        }
        // The widgets stand where the twips say.
        QCOMPARE(w->contentBox->geometry(), QRect(twipsToPixels(text), twipsToPixels(600), twipsToPixels(textWidth),
                                             twipsToPixels(5400)));
        if (bar == 7000)
            saveShot(h.main.grab().toImage(), u"help_window_dragged"_s);
    }

    void brokenHelpFile_data()
    {
        QTest::addColumn<QByteArray>("file");   // empty: no help.dll at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a database") << QByteArray("这不是数据库文件，只是一些文字。\n").repeated(40);
    }

    void brokenHelpFile()
    {
        QFETCH(QByteArray, file);
        TestSchool school;
        if (!file.isEmpty())
            putFile(school.file(u"help.dll"_s), file);
        WindowHarness h(school);
        auto *w = h.open<HelpWindow>(kHelpWindow);
        QVERIFY(w);
        QCOMPARE(h.responder.texts(), QStringList{u"帮助文件help.dll不存在或者已经损坏，无法显示帮助内容。"_s});
        QCOMPARE(w->topicTree->topLevelItemCount(), 0);
        QCOMPARE(w->contentBox->toPlainText(), QString());
        // The window still works: the splitter moves and the window closes.
        drag(w, 240);
        QCOMPARE(w->twipsGeometry(w->topicTree).width(), 5100);
        QTest::mouseClick(w->closeButton, Qt::LeftButton);
        QTRY_VERIFY(!h.isOpen(kHelpWindow));
    }

    void emptyHelpTableLeavesBothPanesEmpty()
    {
        TestSchool school;
        QVERIFY(CreateHelpFile(school.file(u"help.dll"_s), {}));
        WindowHarness h(school);
        auto *w = h.open<HelpWindow>(kHelpWindow);
        QVERIFY(h.responder.shown().isEmpty());
        QCOMPARE(w->topicTree->topLevelItemCount(), 0);
        QCOMPARE(w->contentBox->toPlainText(), QString());
    }

    void rowsBreakingTheRules()
    {
        TestSchool school;
        {
            // A topic before its chapter, a topic without a chapter, a chapter code
            // used twice (no unique code in this file).
            db::Connection c;
            putFile(school.file(u"help.dll"_s), QByteArray());
            QVERIFY(c.open(school.file(u"help.dll"_s)));
            QVERIFY(c.exec(uR"(CREATE TABLE "help" ("代码" TEXT, "菜单" TEXT, "内容" TEXT))"_s));
            const QList<QStringList> rows = {{u"B1"_s, u"早到的题目"_s, u"b1"_s}, {u"B"_s, u"第二章"_s, u"b"_s},
                                             {u"X1"_s, u"无章的题目"_s, u"x1"_s}, {u"B"_s, u"又一个第二章"_s, u"b"_s},
                                             {u"B2"_s, u"题目二"_s, u"b2"_s}};
            for (const QStringList &r : rows)
                QVERIFY(c.exec(uR"(INSERT INTO "help" VALUES (?, ?, ?))"_s, {r[0], r[1], r[2]}));
        }
        WindowHarness h(school);
        auto *w = h.open<HelpWindow>(kHelpWindow);
        QVERIFY(h.responder.shown().isEmpty());
        QCOMPARE(rootTexts(w->topicTree), (QStringList{u"第二章"_s, u"无章的题目"_s, u"又一个第二章"_s}));
        QCOMPARE(childTexts(w->topicTree->topLevelItem(0)), (QStringList{u"早到的题目"_s, u"题目二"_s}));
        QCOMPARE(w->topicTree->topLevelItem(2)->childCount(), 0);
        clickNode(w, w->topicTree->topLevelItem(1));
        QCOMPARE(boxText(w->contentBox), u"\r\n"_s + QString(15, u' ') + u"无章的题目\r\n\r\nx1"_s);
    }

    void deliveredHelpFile()
    {
        const QString source = QStringLiteral(TESSALY_DATA "/help.txt");
        QStringList faults;
        const QList<HelpRow> rows = ParseHelpSource(QString::fromUtf8(fileBytes(source)), &faults);
        QCOMPARE(faults, QStringList());
        QVERIFY(rows.size() > 10);
        for (const HelpRow &row : rows)
            QVERIFY2(!row.content.trimmed().isEmpty(), qPrintable(row.code));

        TestSchool school;
        QCOMPARE(InstallHelpFile(school.folder(), source), db::InstallResult::Created);
        WindowHarness h(school);
        auto *w = h.open<HelpWindow>(kHelpWindow);
        QVERIFY(h.responder.shown().isEmpty());
        int nodes = 0;
        for (int i = 0; i < w->topicTree->topLevelItemCount(); ++i)
            nodes += 1 + w->topicTree->topLevelItem(i)->childCount();
        QCOMPARE(nodes, rows.size());
        QCOMPARE(w->topicTree->topLevelItemCount(), int(std::count_if(rows.begin(), rows.end(), isChapter)));
        clickNode(w, w->node(u"C1"_s));
        QVERIFY(boxText(w->contentBox).contains(u"请班主任 登陆"_s));
        // 关于软件 tells what 系统信息 shows where no system-information program starts.
        clickNode(w, w->node(u"E2"_s));
        QVERIFY(!boxText(w->contentBox).contains(u"不可用"_s));
        for (const QString &shown : {u"操作系统"_s, u"SQLite"_s, u"程序文件夹"_s})
            QVERIFY2(boxText(w->contentBox).contains(shown), qPrintable(shown));
        saveShot(h.main.grab().toImage(), u"help_window_delivered"_s);
    }

    void helpFileNeverOverwritten()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(u"help.txt"_s);
        putFile(source, "说明\n@A 第一章\n内容\n");
        const QString folder = dir.filePath(u"program"_s);
        QCOMPARE(InstallHelpFile(folder, source), db::InstallResult::Created);
        db::Connection c(QDir(folder).filePath(u"help.dll"_s));
        QCOMPARE(c.scalar(uR"(SELECT "内容" FROM "help" WHERE "代码" = ?)"_s, {u"A"_s}).toString(), u"内容"_s);
        c.close();

        putFile(QDir(folder).filePath(u"help.dll"_s), "delivered");
        QCOMPARE(InstallHelpFile(folder, source), db::InstallResult::Kept);
        QCOMPARE(fileBytes(QDir(folder).filePath(u"help.dll"_s)), QByteArray("delivered"));
    }

    void helpSource_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("lastContent");
        QTest::addColumn<int>("faults");
        QTest::newRow("notes, blank lines trimmed")
            << u"写给编写者的说明\n@A 第一章\n\n  第一行\n第二行\n\n@A1 题目\n正文\n"_s
            << QStringList{u"A"_s, u"A1"_s} << u"正文"_s << 0;
        QTest::newRow("CR LF source") << u"@A 第一章\r\n一\r\n@A1 题目\r\n甲\r\n乙\r\n"_s
                                      << QStringList{u"A"_s, u"A1"_s} << u"甲\r\n乙"_s << 0;
        QTest::newRow("code used twice") << u"@A 一\n@A 二\n"_s << QStringList{u"A"_s, u"A"_s} << QString() << 1;
        QTest::newRow("topic before its chapter") << u"@B1 题\n@B 章\n"_s << QStringList{u"B1"_s, u"B"_s}
                                                  << QString() << 1;
        QTest::newRow("no title") << u"@A\n@ 章\n"_s << QStringList{u"A"_s, u"章"_s} << QString() << 2;
    }

    void helpSource()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, codes);
        QFETCH(QString, lastContent);
        QFETCH(int, faults);
        QStringList errors;
        const QList<HelpRow> rows = ParseHelpSource(text, &errors);
        QStringList got;
        for (const HelpRow &row : rows)
            got << row.code;
        QCOMPARE(got, codes);
        QCOMPARE(errors.size(), faults);
        if (faults == 0) {
            QCOMPARE(rows.last().content, lastContent);
            QCOMPARE(rows.first().menu, u"第一章"_s);
        }
    }
};

QTEST_MAIN(TestHelpWindow)
#include "tst_help_window.moc"
