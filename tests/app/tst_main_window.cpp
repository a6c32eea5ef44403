// The main window: start-up, caption and openpath, the school-name window,
// the menu and toolbar tables, and the window registry.
#include "fixtures/test_school.h"
#include "fixtures/files.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_steps.h"
#include "workbook/gbk.h"
#include "widgets/messages.h"
#include "app/main_window.h"
#include "widgets/icons.h"
#include "register/register_window.h"
#include "shell/school_name_window.h"
#include "kit/window_names.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using tessaly::test::TestSchool;

namespace {

// A stand-in for a window no issue has built yet: a dialog for top-level
// windows, a plain widget for MDI children.
QWidget *standIn(WindowHost &, QWidget *parent)
{
    if (parent)
        return new QDialog(parent);
    return new QWidget;
}

void registerStandIns(MainWindow &main)
{
    for (const WindowInfo &w : kWindows) {
        if (!main.hasWindow(w.name))
            main.registerWindow(w.name, standIn);
    }
}

// Records where it stands when the registry runs its Form_Load.
class LoadProbe : public QWidget, public FormWindow {
    Q_OBJECT
public:
    LoadProbe(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host) {}
    bool loaded = false;
    bool inMdi = false;
    bool topLevel = false;
    bool visibleAtLoad = true;
public slots:
    void Form_Load() override
    {
        loaded = true;
        inMdi = qobject_cast<QMdiSubWindow *>(parentWidget()) != nullptr;
        topLevel = isWindow();
        visibleAtLoad = isVisible();
    }
};

// Answers every close with `allowed`, counting the questions.
class CloseProbe : public QWidget, public FormWindow {
    Q_OBJECT
public:
    CloseProbe(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host) {}
    bool mayClose() override
    {
        ++asked;
        return allowed;
    }
    int asked = 0;
    bool allowed = false;
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void startupWithSchoolName_data();
    void startupWithSchoolName();
    void startupAsksForSchoolName_data();
    void startupAsksForSchoolName();
    void schoolNameFromMenu();
    void schoolNameRefused_data();
    void schoolNameRefused();

    void menuItems_data();
    void menuItems();
    void menuSeparators();
    void toolBar();
    void toolBarButtons_data();
    void toolBarButtons();
    void printDropDown();
    void switchedOffItemsKeepToolBar();

    void secondOpenRaises();
    void closedWindowIsBuiltAgain();
    void formLoadRunsAfterPlacement();
    void modalPlainWidget();
    void exitEndsAtOnce();
    void endingAsksAboutUnsavedInput();
    void everyCloseAsksTheWindow();
};

void TestMainWindow::startupWithSchoolName_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("caption");
    QTest::newRow("name") << QStringLiteral("实验中学") << QStringLiteral("实验中学Tessaly");
    QTest::newRow("blanks are a name") << QStringLiteral("  ") << QStringLiteral("  Tessaly");
}

void TestMainWindow::startupWithSchoolName()
{
    QFETCH(QString, line);
    QFETCH(QString, caption);
    TestSchool school;
    QVERIFY(school.writeSchoolName(line));
    ScriptedResponder responder;
    MainWindow main(school.folder());
    QCOMPARE(main.objectName(), QStringLiteral("主窗体"));
    QCOMPARE(main.windowTitle(), QStringLiteral("Tessaly"));
    bool asked = false;
    whenModal([&](QWidget *w) {
        asked = w != nullptr;
        if (w)
            w->close();
    });
    main.MDIForm_Load();
    QCoreApplication::processEvents();
    QVERIFY(!asked);
    QCOMPARE(main.windowTitle(), caption);
    QCOMPARE(main.size(), QSize(800, 600));   // 12000 x 9000 twips
    QCOMPARE(main.session().openpath, QDir(school.folder()).filePath(QStringLiteral("data.mdb")));
    QCOMPARE(main.session().denglu, QString());
    QVERIFY(responder.shown().isEmpty());
}

void TestMainWindow::startupAsksForSchoolName_data()
{
    QTest::addColumn<QByteArray>("content");   // null: no file
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("fileAfter");   // null: no file
    const QByteArray saved = toGbk(QStringLiteral("第一中学")) + "\r\n";
    QTest::newRow("empty line, saved") << QByteArray("\r\n") << true << QStringLiteral("第一中学Tessaly") << saved;
    QTest::newRow("empty line, cancelled") << QByteArray("\r\n") << false << QStringLiteral("Tessaly")
                                           << QByteArray("\r\n");
    QTest::newRow("missing, saved") << QByteArray() << true << QStringLiteral("第一中学Tessaly") << saved;
    QTest::newRow("missing, cancelled") << QByteArray() << false << QStringLiteral("Tessaly") << QByteArray();
    QTest::newRow("zero bytes, saved") << QByteArray("") << true << QStringLiteral("第一中学Tessaly") << saved;
    QTest::newRow("zero bytes, cancelled") << QByteArray("") << false << QStringLiteral("Tessaly")
                                           << QByteArray("");
}

void TestMainWindow::startupAsksForSchoolName()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, save);
    QFETCH(QString, caption);
    QFETCH(QByteArray, fileAfter);
    TestSchool school;
    const QString xm = school.file(QStringLiteral("XM.DLL"));
    if (!content.isNull()) {
        QFile f(xm);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    ScriptedResponder responder;
    MainWindow main(school.folder());
    QString modalName;
    QString shownText = QStringLiteral("not shown");
    bool mainShown = true;
    whenModal([&](QWidget *w) {
        auto *window = qobject_cast<SchoolNameWindow *>(w);
        if (!window)
            return;
        modalName = window->objectName();
        shownText = window->nameBox->text();
        mainShown = main.isVisible();
        if (save) {
            window->nameBox->setText(QStringLiteral("第一中学"));
            window->okButton->click();
        } else {
            window->cancelButton->click();
        }
    });
    main.MDIForm_Load();
    QCOMPARE(modalName, QStringLiteral("学校名称设置"));
    QCOMPARE(shownText, QString());
    QVERIFY(!mainShown);   // asked before the main window shows
    QCOMPARE(main.windowTitle(), caption);
    // The database path is set whatever XM.DLL held.
    QCOMPARE(main.session().openpath, QDir(school.folder()).filePath(QStringLiteral("data.mdb")));
    QCOMPARE(QFile::exists(xm), !fileAfter.isNull());
    if (!fileAfter.isNull())
        QCOMPARE(fileBytes(xm), fileAfter);
    QVERIFY(responder.shown().isEmpty());
    QVERIFY(!main.openWindow(kSchoolNameWindow));
}

void TestMainWindow::schoolNameFromMenu()
{
    TestSchool school;
    QVERIFY(school.writeSchoolName(QStringLiteral("旧校名")));
    WindowHarness h(school, {.shown = false});
    h.main.MDIForm_Load();
    h.trigger(QStringLiteral("XXMCSZ"));
    auto *window = h.openWindow<SchoolNameWindow>(kSchoolNameWindow);
    QVERIFY(window);
    QVERIFY(!window->isModal());
    QVERIFY(window->isWindow());
    QCOMPARE(window->windowTitle(), QStringLiteral("学校名称设置"));
    QCOMPARE(window->promptLabel->text(), QStringLiteral("请输入您学校的名称："));
    QCOMPARE(window->okButton->text(), QStringLiteral("确定"));
    QCOMPARE(window->cancelButton->text(), QStringLiteral("取  消"));
    QCOMPARE(window->nameBox->text(), QStringLiteral("旧校名"));

    window->nameBox->setText(QStringLiteral("新校名"));
    window->okButton->click();
    QCOMPARE(h.main.windowTitle(), QStringLiteral("新校名Tessaly"));
    QCOMPARE(fileBytes(school.file(QStringLiteral("XM.DLL"))), toGbk(QStringLiteral("新校名")) + "\r\n");
    QTRY_VERIFY(!h.isOpen(kSchoolNameWindow));

    // Cancel changes nothing.
    h.trigger(QStringLiteral("XXMCSZ"));
    window = h.openWindow<SchoolNameWindow>(kSchoolNameWindow);
    QVERIFY(window);
    window->nameBox->setText(QStringLiteral("不要"));
    window->cancelButton->click();
    QCOMPARE(h.main.windowTitle(), QStringLiteral("新校名Tessaly"));
    QCOMPARE(fileBytes(school.file(QStringLiteral("XM.DLL"))), toGbk(QStringLiteral("新校名")) + "\r\n");
    QVERIFY(h.responder.shown().isEmpty());
}

void TestMainWindow::schoolNameRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QString() << QStringLiteral("请输入学校名称");
    QTest::newRow("characters GBK has no code for")
        << QStringLiteral("首尔한국学校😀")
        << QStringLiteral("学校名称中的字符“한”“국”“😀”无法保存，请删除或改用其他字符。");
}

// A refused name: the message, the window open with the text, the file and the
// caption as they were.
void TestMainWindow::schoolNameRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    TestSchool school;
    QVERIFY(school.writeSchoolName(QStringLiteral("旧校名")));
    WindowHarness h(school, {.shown = false});
    h.main.MDIForm_Load();
    h.trigger(QStringLiteral("XXMCSZ"));
    auto *window = h.openWindow<SchoolNameWindow>(kSchoolNameWindow);
    QVERIFY(window);
    window->nameBox->setText(name);
    window->okButton->click();
    QCOMPARE(h.responder.texts(), QStringList{message});
    QCOMPARE(h.responder.last().title, QStringLiteral("提示"));
    QCOMPARE(h.openWindow<SchoolNameWindow>(kSchoolNameWindow), window);   // stays open
    QCOMPARE(window->nameBox->text(), name);
    QCOMPARE(h.main.windowTitle(), QStringLiteral("旧校名Tessaly"));
    QCOMPARE(fileBytes(school.file(QStringLiteral("XM.DLL"))), toGbk(QStringLiteral("旧校名")) + "\r\n");
    window->close();
}

void TestMainWindow::menuItems_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("menuCaption");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("modal");
    struct Row {
        const char *menu;
        const char16_t *menuCaption;
        const char *item;
        const char16_t *caption;
        const char16_t *window;
        bool modal;
    };
    const Row rows[] = {
        {"wenjian", u"文件操作(&F)", "XXMCSZ", u"学校名称设置", u"学校名称设置", false},
        {"wenjian", u"文件操作(&F)", "LJFWQ", u"连接服务器设置", u"服务器设置", false},
        {"wenjian", u"文件操作(&F)", "TBSJ", u"下载服务器数据", u"下载服务器数据", false},
        {"wenjian", u"文件操作(&F)", "BDSC", u"本地数据上传", u"数据上传", true},
        {"banzhuren", u"班主任工作(&N)", "richang", u"日常工作记录", u"日常工作记录", false},
        {"banzhuren", u"班主任工作(&N)", "sixiang", u"学生发展记录", u"学生行为纪录", false},
        {"banzhuren", u"班主任工作(&N)", "nianchu", u"年初工作计划", u"年初工作计划", false},
        {"banzhuren", u"班主任工作(&N)", "nianzhong", u"年终工作总结", u"年终工作总结", false},
        {"banzhuren", u"班主任工作(&N)", "caoxing", u"学生操行评定", u"学生操行评定", false},
        {"banzhuren", u"班主任工作(&N)", "ruoxueke", u"薄弱学科查询", u"薄弱学科查询", false},
        {"banzhuren", u"班主任工作(&N)", "QUSHI", u"学生成绩发展趋势", u"学生发展趋势", false},
        {"banzhuren", u"班主任工作(&N)", "DBFX", u"平行班成绩对比分析", u"成绩对比分析", false},
        {"banzhuren", u"班主任工作(&N)", "xueji", u"学生学籍管理", u"学籍管理", false},
        {"banzhuren", u"班主任工作(&N)", "chengjidan", u"打印学生成绩单", u"打印成绩单", false},
        {"banzhuren", u"班主任工作(&N)", "PINGXINBAN", u"打印年级组成绩报表", u"打印成绩报表", false},
        {"banzhuren", u"班主任工作(&N)", "DYKH", u"打印学生考号", u"打印考号", true},
        {"banzhuren", u"班主任工作(&N)", "dianming", u"打印点名册", u"打印点名册", false},
        {"banzhuren", u"班主任工作(&N)", "diaochabiao", u"打印学籍调查表", u"打印学籍调查表", false},
        {"renke", u"科任教师工作(&T)", "luru", u"考试成绩录入", u"任课教师录入成绩", false},
        {"renke", u"科任教师工作(&T)", "fenxi", u"单次成绩分析", u"单科成绩分析", false},
        {"renke", u"科任教师工作(&T)", "DUOCIFENXI", u"多次成绩分析", u"单科多次成绩横向分析", false},
        {"renke", u"科任教师工作(&T)", "dayinchengji", u"打印学生成绩单", u"打印成绩单", false},
        {"jiaodao", u"教导处工作(&U)", "nianjizu", u"年 级 组 设 置", u"年级组设置", false},
        {"jiaodao", u"教导处工作(&U)", "banji", u"班级与班主任设置", u"班级设置", false},
        {"jiaodao", u"教导处工作(&U)", "XKSZ", u"学科及任课教师设置", u"学科设置", false},
        {"jiaodao", u"教导处工作(&U)", "xitong", u"系统密码设置", u"系统安全密码设置", false},
        {"jiaodao", u"教导处工作(&U)", "weihu", u"数据安全维护", u"系统数据安全维护", false},
        {"jiaodao", u"教导处工作(&U)", "fengong", u"查看班主任分工", u"班主任分工", false},
        {"jiaodao", u"教导处工作(&U)", "rengkejiaoshifengong", u"查看任课教师分工", u"任课教师分工", false},
        {"jiaodao", u"教导处工作(&U)", "jwxxgl", u"教务信息管理", u"教务信息管理", false},
        {"jiaodao", u"教导处工作(&U)", "NJZDBFX", u"年级组成绩对比分析", u"成绩对比分析", false},
        {"jiaodao", u"教导处工作(&U)", "xuekeduibi", u"打印学生成绩单", u"打印成绩单", false},
        {"jiaodao", u"教导处工作(&U)", "duibifenxi", u"打印年级组成绩报表", u"打印成绩报表", false},
        {"jiaodao", u"教导处工作(&U)", "fengban", u"新生分班", u"新生分班", false},
        {"jiaodao", u"教导处工作(&U)", "LQTZS", u"打印新生录取通知书", u"打印通知书", false},
        {"jiaowuxinxi", u"教务信息(&M)", "fabuxinxi", u"发布信息", u"发布信息", false},
        {"jiaowuxinxi", u"教务信息(&M)", "chakanxinxi", u"查看信息", u"查看信息", false},
        {"bangzhu", u"帮助(&H)", "xinxi", u"帮助信息", u"帮助内容", false},
        {"bangzhu", u"帮助(&H)", "guanyu", u"关于软件", u"关于", false},
    };
    for (const Row &r : rows) {
        QTest::newRow(r.item) << QString::fromLatin1(r.menu) << QString::fromUtf16(r.menuCaption)
                              << QString::fromLatin1(r.item) << QString::fromUtf16(r.caption)
                              << QString::fromUtf16(r.window) << r.modal;
    }
}

void TestMainWindow::menuItems()
{
    QFETCH(QString, menu);
    QFETCH(QString, menuCaption);
    QFETCH(QString, item);
    QFETCH(QString, caption);
    QFETCH(QString, window);
    QFETCH(bool, modal);
    ScriptedResponder quiet;   // a window may report an empty school when it loads
    TestSchool school;
    QVERIFY(school.writeSchoolName(QStringLiteral("实验中学")));
    MainWindow main(school.folder());
    main.MDIForm_Load();

    auto *m = main.findChild<QMenu *>(menu);
    QVERIFY(m);
    QCOMPARE(m->title(), menuCaption);
    auto *action = main.findChild<QAction *>(item);
    QVERIFY(action);
    QVERIFY(m->actions().contains(action));
    QCOMPARE(action->text(), caption);
    QVERIFY(action->shortcut().isEmpty());
    // Usable exactly when its window is built.
    QCOMPARE(action->isEnabled(), main.hasWindow(window));
    registerStandIns(main);
    QVERIFY(action->isEnabled());

    ScriptedResponder responder;   // a built window may report the empty school as it loads
    QString modalName;
    if (modal) {
        whenModal([&](QWidget *w) {
            if (!w)
                return;
            modalName = w->objectName();
            w->close();
        });
    }
    action->trigger();
    if (modal) {
        QCOMPARE(modalName, window);
        QTRY_VERIFY(!main.openWindow(window));
        return;
    }
    QWidget *w = main.openWindow(window);
    QVERIFY(w);
    QCOMPARE(w->objectName(), window);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(w->windowModality(), Qt::NonModal);
    const WindowInfo *info = windowInfo(window);
    QVERIFY(info);
    if (info->kind == WindowKind::Child) {
        auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
        QVERIFY(sub);
        QCOMPARE(sub->mdiArea(), main.mdiArea());
    } else {
        QVERIFY(w->isWindow());
    }
}

void TestMainWindow::menuSeparators()
{
    TestSchool school;
    MainWindow main(school.folder());
    // Each menu in order: item names, separators marked "-" before their control names.
    const QList<QPair<QString, QStringList>> menus = {
        {QStringLiteral("wenjian"), {"XXMCSZ", "LJFWQ", "TBSJ", "BDSC", "-LO", "tuichu"}},
        {QStringLiteral("banzhuren"), {"richang", "sixiang", "nianchu", "nianzhong", "caoxing", "-jj",
                                       "ruoxueke", "QUSHI", "DBFX", "-xian2", "xueji", "-xian3",
                                       "chengjidan", "PINGXINBAN", "DYKH", "dianming", "diaochabiao"}},
        {QStringLiteral("renke"), {"luru", "fenxi", "DUOCIFENXI", "-xian5", "dayinchengji"}},
        {QStringLiteral("jiaodao"), {"nianjizu", "banji", "XKSZ", "-luh", "xitong", "weihu", "-xian7",
                                     "fengong", "rengkejiaoshifengong", "jwxxgl", "-ERT", "NJZDBFX",
                                     "-xian6", "xuekeduibi", "duibifenxi", "-GHJKK", "fengban", "LQTZS"}},
        {QStringLiteral("jiaowuxinxi"), {"fabuxinxi", "chakanxinxi"}},
        {QStringLiteral("bangzhu"), {"xinxi", "guanyu"}},
    };
    QStringList bar;
    for (QAction *a : main.menuBar()->actions())
        bar << a->menu()->objectName();
    QStringList expectedBar;
    for (const auto &m : menus)
        expectedBar << m.first;
    QCOMPARE(bar, expectedBar);
    for (const auto &m : menus) {
        QStringList got;
        for (QAction *a : main.findChild<QMenu *>(m.first)->actions())
            got << (a->isSeparator() ? QStringLiteral("-") : QString()) + a->objectName();
        QCOMPARE(got, m.second);
    }
    auto *exit = main.findChild<QAction *>(QStringLiteral("tuichu"));
    QCOMPARE(exit->text(), QStringLiteral("退出"));
    QVERIFY(exit->isEnabled());
}

void TestMainWindow::toolBar()
{
    TestSchool school;
    MainWindow main(school.folder());
    auto *bar = main.findChild<QToolBar *>(QStringLiteral("tbToolBar"));
    QVERIFY(bar);
    QStringList got;
    for (QAction *a : bar->actions())
        got << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
    const QStringList expected = {
        QStringLiteral("服务器设置"), QStringLiteral("下载服务器数据"), QStringLiteral("上传本地数据"), "|",
        QStringLiteral("打印"), "|",
        QStringLiteral("薄弱学科查询"), QStringLiteral("发展趋势"), QStringLiteral("管理学籍"), "|",
        QStringLiteral("录入成绩"), QStringLiteral("单科单次成绩分析"), QStringLiteral("单科多次成绩分析"), "|",
        QStringLiteral("学生成绩单"), QStringLiteral("年级组内成绩对比分析"), QStringLiteral("年级组间成绩对比"), "|",
        QStringLiteral("发布教学信息"), QStringLiteral("查看教学信息"), "|",
        QStringLiteral("帮助"), QStringLiteral("关于"),
    };
    QCOMPARE(got, expected);
    QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    // Each key draws a themed icon (named by the theme) of its own, and every
    // window carries the program's icon.
    QSet<QString> iconNames;
    for (QAction *a : bar->actions()) {
        if (a->isSeparator())
            continue;
        QVERIFY2(!a->icon().isNull(), qPrintable(a->objectName()));
        QVERIFY2(!a->icon().name().isEmpty(), qPrintable(a->objectName()));
        QVERIFY2(!a->icon().pixmap(24).isNull(), qPrintable(a->objectName()));
        iconNames.insert(a->icon().name());
    }
    QCOMPARE(iconNames.size(), 17);
    QVERIFY(!main.windowIcon().pixmap(32).isNull());
    QCOMPARE(main.windowIcon().pixmap(32).toImage(), programIcon().pixmap(32).toImage());
    main.resize(1000, 200);
    tessaly::test::saveShot(main.grab().toImage(), QStringLiteral("main_window"));
}

void TestMainWindow::toolBarButtons_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QString>("window");   // empty: opens nothing
    QTest::addColumn<bool>("modal");
    struct Row {
        const char16_t *key;
        const char16_t *tooltip;
        const char16_t *window;
        bool modal;
    };
    const Row rows[] = {
        {u"服务器设置", u"连接服务器", u"服务器设置", false},
        {u"下载服务器数据", u"下载服务器数据", u"下载服务器数据", false},
        {u"上传本地数据", u"上传本地数据", u"数据上传", true},
        {u"薄弱学科查询", u"单生薄弱学科查询", u"薄弱学科查询", false},
        {u"发展趋势", u"单生成绩发展趋势", u"学生发展趋势", false},
        {u"管理学籍", u"班主任管理学籍", u"学籍管理", false},
        {u"录入成绩", u"录入成绩", u"任课教师录入成绩", false},
        {u"单科单次成绩分析", u"单科单次成绩分析", u"单科成绩分析", false},
        {u"单科多次成绩分析", u"单科多次成绩分析", u"单科多次成绩横向分析", false},
        {u"学生成绩单", u"学生成绩单", u"打印成绩单", false},
        {u"年级组内成绩对比分析", u"年级组内成绩对比分析", u"成绩对比分析", false},
        {u"年级组间成绩对比", u"年级组间成绩对比分析", u"", false},
        {u"发布教学信息", u"发布教学信息", u"发布信息", false},
        {u"查看教学信息", u"查看教学信息", u"查看信息", false},
        {u"帮助", u"帮助内容", u"帮助内容", false},
        {u"关于", u"关于软件……", u"关于", false},
    };
    for (const Row &r : rows) {
        QTest::newRow(QString::fromUtf16(r.key).toUtf8().constData())
            << QString::fromUtf16(r.key) << QString::fromUtf16(r.tooltip) << QString::fromUtf16(r.window)
            << r.modal;
    }
}

void TestMainWindow::toolBarButtons()
{
    QFETCH(QString, key);
    QFETCH(QString, tooltip);
    QFETCH(QString, window);
    QFETCH(bool, modal);
    ScriptedResponder quiet;   // a window may report an empty school when it loads
    TestSchool school;
    QVERIFY(school.writeSchoolName(QStringLiteral("实验中学")));
    MainWindow main(school.folder());
    main.MDIForm_Load();
    auto *bar = main.findChild<QToolBar *>(QStringLiteral("tbToolBar"));
    QAction *button = nullptr;
    for (QAction *a : bar->actions()) {
        if (a->objectName() == key)
            button = a;
    }
    QVERIFY(button);
    QCOMPARE(button->toolTip(), tooltip);
    QCOMPARE(button->isEnabled(), !window.isEmpty() && main.hasWindow(window));
    registerStandIns(main);
    if (window.isEmpty()) {
        // No window answers this key: it stays disabled.
        QVERIFY(!button->isEnabled());
        return;
    }
    QVERIFY(button->isEnabled());
    QString modalName;
    if (modal) {
        whenModal([&](QWidget *w) {
            if (!w)
                return;
            modalName = w->objectName();
            w->close();
        });
    }
    button->trigger();
    if (modal) {
        QCOMPARE(modalName, window);
        return;
    }
    QWidget *w = main.openWindow(window);
    QVERIFY(w);
    QCOMPARE(w->windowModality(), Qt::NonModal);
}

void TestMainWindow::printDropDown()
{
    ScriptedResponder quiet;   // 打印成绩单 reports the empty school as it loads
    TestSchool school;
    QVERIFY(school.writeSchoolName(QStringLiteral("实验中学")));
    MainWindow main(school.folder());
    main.MDIForm_Load();
    auto *print = main.findChild<QAction *>(QStringLiteral("打印"));
    QVERIFY(print);
    QVERIFY(print->menu());
    // Both items are built: 成绩单 and the comparison behind "成绩报表".
    QCOMPARE(print->menu()->actions().size(), 2);
    QVERIFY(print->menu()->actions().at(0)->isEnabled());
    QVERIFY(print->menu()->actions().at(1)->isEnabled());
    QVERIFY(print->isEnabled());
    registerStandIns(main);
    QVERIFY(print->isEnabled());
    const QList<QAction *> items = print->menu()->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->text(), QStringLiteral("成绩单"));
    QCOMPARE(items[0]->objectName(), QStringLiteral("打印成绩单"));
    QCOMPARE(items[1]->text(), QStringLiteral("成绩报表"));
    QCOMPARE(items[1]->objectName(), QStringLiteral("打印对比分析报表"));

    ScriptedResponder responder;   // a built window may report the empty school as it loads
    // A click on the button itself opens nothing.
    print->trigger();
    QVERIFY(main.mdiArea()->subWindowList().isEmpty());

    items[0]->trigger();
    QVERIFY(main.openWindow(kTranscriptWindow));
    // "成绩报表" opens the comparison, not the score report.
    items[1]->trigger();
    QVERIFY(main.openWindow(kComparisonWindow));
    QVERIFY(!main.openWindow(kScoreReportWindow));
}

void TestMainWindow::switchedOffItemsKeepToolBar()
{
    TestSchool school;
    MainWindow main(school.folder());
    main.switchOffMenuItem(QStringLiteral("LJFWQ"));
    registerStandIns(main);
    main.switchOffMenuItem(QStringLiteral("TBSJ"));
    main.switchOffMenuItem(QStringLiteral("BDSC"));
    QVERIFY(!main.findChild<QAction *>(QStringLiteral("LJFWQ"))->isEnabled());
    QVERIFY(!main.findChild<QAction *>(QStringLiteral("TBSJ"))->isEnabled());
    QVERIFY(!main.findChild<QAction *>(QStringLiteral("BDSC"))->isEnabled());
    // Toolbar buttons are never switched off.
    auto *server = main.findChild<QAction *>(QStringLiteral("服务器设置"));
    auto *download = main.findChild<QAction *>(QStringLiteral("下载服务器数据"));
    QVERIFY(server->isEnabled());
    QVERIFY(download->isEnabled());
    server->trigger();
    QVERIFY(main.openWindow(kServerSettingsWindow));
}

void TestMainWindow::secondOpenRaises()
{
    ScriptedResponder responder;   // a built window may report the empty school as it loads
    TestSchool school;
    QVERIFY(school.writeSchoolName(QStringLiteral("实验中学")));
    MainWindow main(school.folder());
    main.MDIForm_Load();
    main.show();
    int built = 0;
    main.registerWindow(kRegisterWindow, [&](WindowHost &, QWidget *) {
        ++built;
        return new QWidget;
    });
    registerStandIns(main);
    main.findChild<QAction *>(QStringLiteral("xueji"))->trigger();
    QWidget *first = main.openWindow(kRegisterWindow);
    QVERIFY(first);
    QCOMPARE(built, 1);

    // Another window comes to the front, then the register is chosen again.
    main.findChild<QAction *>(QStringLiteral("luru"))->trigger();
    QCOMPARE(main.mdiArea()->activeSubWindow()->widget(), main.openWindow(kScoreEntryWindow));
    main.findChild<QAction *>(QStringLiteral("管理学籍"))->trigger();
    QCOMPARE(main.openWindow(kRegisterWindow), first);
    QCOMPARE(built, 1);
    QCOMPARE(main.mdiArea()->subWindowList().size(), 2);
    QCOMPARE(main.mdiArea()->activeSubWindow()->widget(), first);

    // A top-level window is raised the same way.
    QWidget *name = main.showWindow(kSchoolNameWindow);
    QVERIFY(name);
    QCOMPARE(main.showWindow(kSchoolNameWindow), name);
    name->close();
}

void TestMainWindow::closedWindowIsBuiltAgain()
{
    TestSchool school;
    MainWindow main(school.folder());
    int built = 0;
    main.registerWindow(kRegisterWindow, [&](WindowHost &, QWidget *) {
        ++built;
        return new QWidget;
    });
    QWidget *first = main.showWindow(kRegisterWindow);
    QVERIFY(first);
    // A window closes itself with its frame: no empty frame stays behind.
    CloseWindow(first);
    QTRY_VERIFY(!main.openWindow(kRegisterWindow));
    QTRY_VERIFY(main.mdiArea()->subWindowList().isEmpty());
    QVERIFY(main.showWindow(kRegisterWindow));
    QCOMPARE(built, 2);
}

void TestMainWindow::formLoadRunsAfterPlacement()
{
    TestSchool school;
    MainWindow main(school.folder());
    main.registerWindow(kRegisterWindow, makeWindow<LoadProbe>);
    main.registerWindow(kUploadWindow, makeWindow<LoadProbe>);
    auto *child = qobject_cast<LoadProbe *>(main.showWindow(kRegisterWindow));
    QVERIFY(child);
    QVERIFY(child->loaded);
    QVERIFY(child->inMdi);
    QVERIFY(!child->visibleAtLoad);
    QCOMPARE(child->objectName(), QStringLiteral("学籍管理"));
    auto *dialog = qobject_cast<LoadProbe *>(main.showWindow(kUploadWindow));
    QVERIFY(dialog);
    QVERIFY(dialog->loaded);
    QVERIFY(dialog->topLevel);
    QVERIFY(!dialog->visibleAtLoad);
    dialog->close();
}

void TestMainWindow::modalPlainWidget()
{
    TestSchool school;
    MainWindow main(school.folder());
    main.registerWindow(kExamNumberWindow, [](WindowHost &, QWidget *parent) { return new QWidget(parent); });
    Qt::WindowModality modality = Qt::NonModal;
    whenModal([&](QWidget *w) {
        if (!w)
            return;
        modality = w->windowModality();
        w->close();
    });
    main.showModal(kExamNumberWindow);   // returns once the window has closed
    QCOMPARE(modality, Qt::ApplicationModal);
    QTRY_VERIFY(!main.openWindow(kExamNumberWindow));
}

void TestMainWindow::exitEndsAtOnce()
{
    ScriptedResponder quiet;   // a window may report an empty school when it loads
    TestSchool school;
    MainWindow main(school.folder());
    registerStandIns(main);
    main.showWindow(kRegisterWindow);
    int quits = 0;
    main.setQuitHandler([&] { ++quits; });
    ScriptedResponder responder;
    main.findChild<QAction *>(QStringLiteral("tuichu"))->trigger();
    QCOMPARE(quits, 1);
    QVERIFY(responder.shown().isEmpty());   // nothing is asked
}

// Ending the program closes the open windows first, so unsaved input is asked
// about as when the window itself is closed; staying keeps the program running.
void TestMainWindow::endingAsksAboutUnsavedInput()
{
    TestSchool school;
    school.addGradeGroup(QStringLiteral("初二年级组"));
    school.addClass(QStringLiteral("初二年级组"), QStringLiteral("三班"), QStringLiteral("王老师"), QStringLiteral("t1"));
    school.closeDb();
    WindowHarness h(school, {.signedIn = QStringLiteral("王老师"), .today = QDate(2005, 10, 15)});
    int quits = 0;
    h.main.setQuitHandler([&] { ++quits; });
    auto *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    choose(w->gradeGroupCombo, QStringLiteral("初二年级组"));
    choose(w->classCombo, QStringLiteral("三班"));
    QVERIFY(w->addStudentButton->isEnabled());
    w->addStudentButton->click();   // a new student, not saved

    h.responder.answer(Answer::Cancel);
    h.trigger(QStringLiteral("tuichu"));
    QCOMPARE(quits, 0);
    QVERIFY(h.isOpen(kRegisterWindow));
    QCOMPARE(h.responder.shown().size(), 1);
    QVERIFY(h.responder.last().hasCancel);

    h.responder.answer(Answer::Cancel);
    QVERIFY(!h.main.close());
    QVERIFY(h.isOpen(kRegisterWindow));

    h.responder.answer(Answer::No);
    h.trigger(QStringLiteral("tuichu"));
    QCOMPARE(quits, 1);
    QTRY_VERIFY(!h.isOpen(kRegisterWindow));
    QCOMPARE(school.count(QStringLiteral(R"(select count(*) from "初中")")), 0);
}

void TestMainWindow::everyCloseAsksTheWindow()
{
    TestSchool school;
    MainWindow main(school.folder());
    int quits = 0;
    main.setQuitHandler([&] { ++quits; });
    main.registerWindow(kRegisterWindow, makeWindow<CloseProbe>);
    main.registerWindow(kUploadWindow, makeWindow<CloseProbe>);
    QPointer<CloseProbe> child = qobject_cast<CloseProbe *>(main.showWindow(kRegisterWindow));
    QPointer<CloseProbe> dialog = qobject_cast<CloseProbe *>(main.showWindow(kUploadWindow));
    QVERIFY(child && dialog);
    auto *frame = qobject_cast<QMdiSubWindow *>(child->parentWidget());
    QVERIFY(frame);

    // Refused: its own 关闭, the frame's close box, a dialog's close, the program's end.
    QVERIFY(!CloseWindow(child));
    QVERIFY(!frame->close());
    QVERIFY(!dialog->close());
    main.endProgramChosen();
    QCOMPARE(quits, 0);
    QCOMPARE(child->asked + dialog->asked, 3 + 1);   // the end stops at the first refusal
    QVERIFY(main.openWindow(kRegisterWindow));
    QVERIFY(main.openWindow(kUploadWindow));

    child->allowed = true;
    dialog->allowed = true;
    main.endProgramChosen();
    QCOMPARE(quits, 1);
    QTRY_VERIFY(!child && !dialog);
    QVERIFY(!main.openWindow(kRegisterWindow));
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
