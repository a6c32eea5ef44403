// The main window at the sizes schools run it: every window's buttons can be
// reached, the window keeps its place between runs, the status bar tells the
// database, the account and the upload queue, and the menu items carry the
// toolbar's icons.
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "app/main_window.h"
#include "kit/window_names.h"
#include "db/database.h"
#include "widgets/file_chooser.h"
#include "widgets/messages.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;

namespace {

// The part of `w` that its ancestors up to `top` leave showing, in top's coordinates.
QRect shownPart(const QWidget *w, const QWidget *top)
{
    QRect r(w->mapTo(top, QPoint(0, 0)), w->size());
    for (const QWidget *p = w->parentWidget(); p && p != top; p = p->parentWidget())
        r &= QRect(p->mapTo(top, QPoint(0, 0)), p->size());
    return r;
}

QString statusText(MainWindow &main, const char *name)
{
    auto *label = main.statusBar()->findChild<QLabel *>(QString::fromLatin1(name));
    return label && label->isVisibleTo(&main) ? label->text() : QString();
}

} // namespace

class TestWindowSpace : public QObject {
    Q_OBJECT

private slots:
    void buttonsReachable_data();
    void buttonsReachable();
    void dialogsOpenOverTheMainWindow_data();
    void dialogsOpenOverTheMainWindow();
    void captionsAsMeant_data();
    void captionsAsMeant();
    void firstStartMaximised();
    void placeRemembered();
    void fileDialogShowsColumns();
    void statusBar();
    void statusFollowsDatabaseSwitch();
    void menuItemsCarryToolIcons();
};

void TestWindowSpace::buttonsReachable_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QSize>("mainSize");
    for (const WindowInfo &w : kWindows) {
        for (const QSize size : {QSize(800, 600), QSize(1024, 768)}) {
            const QString name = QString::fromUtf16(w.name);
            QTest::addRow("%s %dx%d", qPrintable(name), size.width(), size.height()) << name << size;
        }
    }
}

// Every shown button of a window lies inside the part of the work area that
// scrolling brings into view, and is not cut by the window's own frame; a
// top-level window fits on the screen.
void TestWindowSpace::buttonsReachable()
{
    QFETCH(QString, window);
    QFETCH(QSize, mainSize);
    TestSchool school;
    school.addGradeGroup(QStringLiteral("初二年级组"));
    school.addClass(QStringLiteral("初二年级组"), QStringLiteral("三班"), QStringLiteral("王老师"), QStringLiteral("t1"));
    school.closeDb();
    WindowHarness h(school, {.signedIn = WindowHarness::kAdmin});
    h.main.resize(mainSize);
    QCoreApplication::processEvents();
    if (!h.main.hasWindow(window))
        QSKIP("no window of that name is built");
    QWidget *w = h.main.showWindow(window);
    QVERIFY(w);
    QCoreApplication::processEvents();
    QList<QPushButton *> buttons;
    for (QPushButton *b : w->findChildren<QPushButton *>()) {
        if (b->isVisibleTo(w))
            buttons << b;
    }
    auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
    if (!sub) {
        const QRect screen = w->screen()->availableGeometry();
        QVERIFY2(w->width() <= screen.width() && w->height() <= screen.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(w->width()).arg(w->height())));
        for (QPushButton *b : buttons)
            QVERIFY2(shownPart(b, w) == QRect(b->mapTo(w, QPoint(0, 0)), b->size()), qPrintable(b->objectName()));
        return;
    }
    QMdiArea *area = h.main.mdiArea();
    QWidget *viewport = area->viewport();
    QScrollBar *hbar = area->horizontalScrollBar();
    QScrollBar *vbar = area->verticalScrollBar();
    // What scrolling can show, in the coordinates of the scrolled content.
    const QRect reach(hbar->minimum(), vbar->minimum(), hbar->maximum() - hbar->minimum() + viewport->width(),
                      vbar->maximum() - vbar->minimum() + viewport->height());
    const QPoint scrolled(hbar->value(), vbar->value());
    const QRect frame = sub->geometry().translated(scrolled);
    QVERIFY2(reach.contains(frame), qPrintable(QStringLiteral("frame %1,%2 %3x%4 in %5x%6")
                                                   .arg(frame.x()).arg(frame.y()).arg(frame.width())
                                                   .arg(frame.height()).arg(reach.width()).arg(reach.height())));
    for (QPushButton *b : buttons) {
        const QRect whole(b->mapTo(sub, QPoint(0, 0)), b->size());
        const QRect shown = shownPart(b, sub) & sub->rect();
        QVERIFY2(shown == whole, qPrintable(b->objectName() + QStringLiteral(" cut by its window")));
        QVERIFY2(reach.contains(shown.translated(frame.topLeft())), qPrintable(b->objectName()));
    }
    saveShot(h.main.grab().toImage(), QStringLiteral("space_%1_%2").arg(window).arg(mainSize.width()));
}

void TestWindowSpace::dialogsOpenOverTheMainWindow_data()
{
    QTest::addColumn<QString>("window");
    for (const WindowInfo &w : kWindows) {
        if (w.kind == WindowKind::Dialog)
            QTest::newRow(qPrintable(QString::fromUtf16(w.name))) << QString::fromUtf16(w.name);
    }
}

// A dialog opens over the main window, wherever that stands on the screen.
void TestWindowSpace::dialogsOpenOverTheMainWindow()
{
    QFETCH(QString, window);
    TestSchool school;
    school.closeDb();
    WindowHarness h(school, {.signedIn = WindowHarness::kAdmin});
    h.main.setGeometry(120, 90, 640, 480);
    QCoreApplication::processEvents();
    if (!h.main.hasWindow(window))
        QSKIP("no window of that name is built");
    QWidget *w = h.main.showWindow(window);
    QVERIFY(w);
    QVERIFY(w->isWindow());
    QVERIFY2(h.main.frameGeometry().contains(w->frameGeometry().center()),
             qPrintable(QStringLiteral("at %1,%2").arg(w->x()).arg(w->y())));
    QVERIFY(!w->windowTitle().isEmpty());
}

void TestWindowSpace::captionsAsMeant_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");   // empty: the window's caption
    QTest::addColumn<QString>("text");
    QTest::newRow("admission notice") << QString::fromUtf16(kAdmissionNoticeWindow) << QString()
                                      << QStringLiteral("打印入学通知书");
    QTest::newRow("upload") << QString::fromUtf16(kUploadWindow) << QStringLiteral("Label1")
                            << QStringLiteral("其它网络机器不能看见。");
    QTest::newRow("report title") << QString::fromUtf16(kScoreReportWindow) << QStringLiteral("Label4")
                                  << QStringLiteral("打印成绩报表");
    QTest::newRow("report frame") << QString::fromUtf16(kScoreReportWindow) << QStringLiteral("Label13")
                                  << QStringLiteral("显示各科成绩报表内容");
    QTest::newRow("entry filter") << QString::fromUtf16(kScoreEntryWindow) << QStringLiteral("Option4")
                                  << QStringLiteral("只显示未输分者");
    QTest::newRow("entry status") << QString::fromUtf16(kScoreEntryWindow) << QStringLiteral("Label5")
                                  << QStringLiteral("提示：请选择年级组、班级和学科，并且任课教师登陆后，才可录入成绩。");
}

// Texts a user reads end as they are meant: no doubled word or stop.
void TestWindowSpace::captionsAsMeant()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, text);
    TestSchool school;
    school.closeDb();
    WindowHarness h(school, {.shown = false});
    QWidget *w = h.main.showWindow(window);
    QVERIFY(w);
    QString shown = w->windowTitle();
    if (!control.isEmpty()) {
        QObject *c = w->findChild<QObject *>(control);
        QVERIFY(c);
        shown = c->property("text").toString();
    }
    QVERIFY2(shown.endsWith(text), qPrintable(shown));
}

void TestWindowSpace::firstStartMaximised()
{
    ScriptedResponder quiet;
    TestSchool school;
    QVERIFY(school.writeSchoolName(QStringLiteral("实验中学")));
    MainWindow main(school.folder());
    main.MDIForm_Load();
    QVERIFY(main.windowState() & Qt::WindowMaximized);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    const QRect screen = main.screen()->availableGeometry();
    QCOMPARE(main.frameGeometry().size().boundedTo(screen.size()), screen.size());
}

// The place and size the window had when the program ended come back at the next
// start, from the program folder's own settings.
void TestWindowSpace::placeRemembered()
{
    ScriptedResponder quiet;
    TestSchool school;
    QVERIFY(school.writeSchoolName(QStringLiteral("实验中学")));
    {
        MainWindow main(school.folder());
        main.setQuitHandler([] {});
        main.MDIForm_Load();
        main.setWindowState(Qt::WindowNoState);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.setGeometry(40, 50, 700, 500);
        QCoreApplication::processEvents();
        main.findChild<QAction *>(QStringLiteral("tuichu"))->trigger();
    }
    QVERIFY(QFile::exists(QDir(school.folder()).filePath(QStringLiteral("Tessaly.ini"))));
    MainWindow again(school.folder());
    again.MDIForm_Load();
    QVERIFY(!(again.windowState() & Qt::WindowMaximized));
    QCOMPARE(again.size(), QSize(700, 500));
    QCOMPARE(again.pos(), QPoint(40, 50));
}

void TestWindowSpace::fileDialogShowsColumns()
{
    QFileDialog dialog(nullptr, QStringLiteral("打开"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    showFileDetails(dialog);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *view = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
    QVERIFY(view);
    QVERIFY(view->isVisible());
    QHeaderView *header = view->header();
    QCOMPARE(header->count(), 4);   // name, size, type, date
    for (int i = 0; i < header->count(); ++i) {
        QVERIFY(!header->isSectionHidden(i));
        QVERIFY2(header->sectionViewportPosition(i) + header->sectionSize(i) <= header->viewport()->width(),
                 qPrintable(header->model()->headerData(i, Qt::Horizontal).toString()));
    }
    const QRect screen = dialog.screen()->availableGeometry();
    QVERIFY(dialog.width() <= screen.width() && dialog.height() <= screen.height());
}

void TestWindowSpace::statusBar()
{
    TestSchool school;
    WindowHarness h(school);
    h.main.refreshStatus();
    QCOMPARE(statusText(h.main, "databaseStatus"), QStringLiteral("本机数据库"));
    QCOMPARE(h.main.statusBar()->findChild<QLabel *>(QStringLiteral("databaseStatus"))->toolTip(),
             QDir::toNativeSeparators(school.dbPath()));
    QCOMPARE(statusText(h.main, "accountStatus"), QStringLiteral("未登录"));
    QCOMPARE(statusText(h.main, "uploadStatus"), QString());   // an empty queue is not shown

    h.session().setSignedIn(QStringLiteral("王老师"));
    QCOMPARE(statusText(h.main, "accountStatus"), QStringLiteral("当前用户：王老师"));

    // Changes saved meanwhile show once a window closes.
    {
        db::Connection c(school.dbPath());
        QVERIFY(c.ok());
        QVERIFY(c.exec(QStringLiteral(R"(INSERT INTO "上传表" ("表名", "ID", "新增") VALUES (?, ?, 1), (?, ?, 1))"),
                       {QStringLiteral("教导处"), 1, QStringLiteral("教导处"), 2}));
    }
    QWidget *about = h.main.showWindow(kAboutWindow);
    QVERIFY(about);
    about->parentWidget()->close();
    QTRY_COMPARE(statusText(h.main, "uploadStatus"), QStringLiteral("上传表：2条记录待上传"));

    h.session().setSignedIn(QString());
    QCOMPARE(statusText(h.main, "accountStatus"), QStringLiteral("未登录"));
}

void TestWindowSpace::statusFollowsDatabaseSwitch()
{
    TestSchool school;
    TestSchool server;
    WindowHarness h(school);
    h.main.refreshStatus();
    QCOMPARE(statusText(h.main, "databaseStatus"), QStringLiteral("本机数据库"));
    QWidget *about = h.main.showWindow(kAboutWindow);
    QVERIFY(about);
    h.session().openpath = server.dbPath();   // as 服务器设置 does before it closes
    about->parentWidget()->close();
    QTRY_COMPARE(statusText(h.main, "databaseStatus"), QStringLiteral("服务器数据库"));
    QCOMPARE(h.main.statusBar()->findChild<QLabel *>(QStringLiteral("databaseStatus"))->toolTip(),
             QDir::toNativeSeparators(server.dbPath()));
}

// A menu item that opens the window of a toolbar button shows that button's icon.
void TestWindowSpace::menuItemsCarryToolIcons()
{
    TestSchool school;
    MainWindow main(school.folder());
    auto *bar = main.findChild<QToolBar *>(QStringLiteral("tbToolBar"));
    QVERIFY(bar);
    const QList<std::pair<QString, QString>> pairs = {
        {QStringLiteral("LJFWQ"), QStringLiteral("服务器设置")},
        {QStringLiteral("TBSJ"), QStringLiteral("下载服务器数据")},
        {QStringLiteral("BDSC"), QStringLiteral("上传本地数据")},
        {QStringLiteral("ruoxueke"), QStringLiteral("薄弱学科查询")},
        {QStringLiteral("QUSHI"), QStringLiteral("发展趋势")},
        {QStringLiteral("xueji"), QStringLiteral("管理学籍")},
        {QStringLiteral("luru"), QStringLiteral("录入成绩")},
        {QStringLiteral("fenxi"), QStringLiteral("单科单次成绩分析")},
        {QStringLiteral("DUOCIFENXI"), QStringLiteral("单科多次成绩分析")},
        {QStringLiteral("chengjidan"), QStringLiteral("学生成绩单")},
        {QStringLiteral("dayinchengji"), QStringLiteral("学生成绩单")},
        {QStringLiteral("DBFX"), QStringLiteral("年级组内成绩对比分析")},
        {QStringLiteral("NJZDBFX"), QStringLiteral("年级组内成绩对比分析")},
        {QStringLiteral("fabuxinxi"), QStringLiteral("发布教学信息")},
        {QStringLiteral("chakanxinxi"), QStringLiteral("查看教学信息")},
        {QStringLiteral("xinxi"), QStringLiteral("帮助")},
        {QStringLiteral("guanyu"), QStringLiteral("关于")},
    };
    for (const auto &[item, key] : pairs) {
        QAction *menuItem = main.menuBar()->findChild<QAction *>(item);
        QAction *button = bar->findChild<QAction *>(key);
        QVERIFY2(menuItem && button, qPrintable(item));
        QVERIFY2(!menuItem->icon().isNull(), qPrintable(item));
        QCOMPARE(menuItem->icon().pixmap(16).toImage(), button->icon().pixmap(16).toImage());
    }
    // An item without a button of its own stays plain.
    QAction *plain = main.menuBar()->findChild<QAction *>(QStringLiteral("nianjizu"));
    QVERIFY(plain);
    QVERIFY(plain->icon().isNull());
}

QTEST_MAIN(TestWindowSpace)
#include "tst_window_space.moc"
