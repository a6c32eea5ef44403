#include "app/main_window.h"

#include "db/database.h"
#include "widgets/icons.h"
#include "os/program_settings.h"
#include "widgets/units.h"
#include "shell/school_name.h"
#include "shell/server_transfer.h"
#include "kit/database_unavailable.h"
#include "kit/print_page_target.h"
#include "kit/window_names.h"

#include <QAction>
#include <QCloseEvent>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace tessaly {

namespace {

QString u16(const char16_t *s)
{
    return s ? QString::fromUtf16(s) : QString();
}

// One menu item; a null caption is a separator (its control name kept as objectName).
struct MenuItemSpec {
    const char *objectName;
    const char16_t *caption;
    const char16_t *window;   // nullptr: opens no window
    bool modal;
};

struct MenuSpec {
    const char *objectName;
    const char16_t *caption;
    std::initializer_list<MenuItemSpec> items;
};

const MenuSpec kMenus[] = {
    {"wenjian", u"文件操作(&F)", {
        {"XXMCSZ", u"学校名称设置", kSchoolNameWindow, false},
        {"LJFWQ", u"连接服务器设置", kServerSettingsWindow, false},
        {"TBSJ", u"下载服务器数据", kDownloadWindow, false},
        {"BDSC", u"本地数据上传", kUploadWindow, true},
        {"LO", nullptr, nullptr, false},
        {"tuichu", u"退出", nullptr, false},
    }},
    {"banzhuren", u"班主任工作(&N)", {
        {"richang", u"日常工作记录", kDailyRecordWindow, false},
        {"sixiang", u"学生发展记录", kDevelopmentRecordWindow, false},
        {"nianchu", u"年初工作计划", kPlanWindow, false},
        {"nianzhong", u"年终工作总结", kSummaryWindow, false},
        {"caoxing", u"学生操行评定", kConductWindow, false},
        {"jj", nullptr, nullptr, false},
        {"ruoxueke", u"薄弱学科查询", kWeakSubjectWindow, false},
        {"QUSHI", u"学生成绩发展趋势", kStudentTrendWindow, false},
        {"DBFX", u"平行班成绩对比分析", kComparisonWindow, false},
        {"xian2", nullptr, nullptr, false},
        {"xueji", u"学生学籍管理", kRegisterWindow, false},
        {"xian3", nullptr, nullptr, false},
        {"chengjidan", u"打印学生成绩单", kTranscriptWindow, false},
        {"PINGXINBAN", u"打印年级组成绩报表", kScoreReportWindow, false},
        {"DYKH", u"打印学生考号", kExamNumberWindow, true},
        {"dianming", u"打印点名册", kRollCallWindow, false},
        {"diaochabiao", u"打印学籍调查表", kSurveySheetWindow, false},
    }},
    {"renke", u"科任教师工作(&T)", {
        {"luru", u"考试成绩录入", kScoreEntryWindow, false},
        {"fenxi", u"单次成绩分析", kSingleExamWindow, false},
        {"DUOCIFENXI", u"多次成绩分析", kMultiExamWindow, false},
        {"xian5", nullptr, nullptr, false},
        {"dayinchengji", u"打印学生成绩单", kTranscriptWindow, false},
    }},
    {"jiaodao", u"教导处工作(&U)", {
        {"nianjizu", u"年 级 组 设 置", kGradeGroupWindow, false},
        {"banji", u"班级与班主任设置", kClassSetupWindow, false},
        {"XKSZ", u"学科及任课教师设置", kSubjectSetupWindow, false},
        {"luh", nullptr, nullptr, false},
        {"xitong", u"系统密码设置", kPasswordAdminWindow, false},
        {"weihu", u"数据安全维护", kDataMaintenanceWindow, false},
        {"xian7", nullptr, nullptr, false},
        {"fengong", u"查看班主任分工", kHeadTeacherListWindow, false},
        {"rengkejiaoshifengong", u"查看任课教师分工", kTeacherListWindow, false},
        {"jwxxgl", u"教务信息管理", kNoticeAdminWindow, false},
        {"ERT", nullptr, nullptr, false},
        {"NJZDBFX", u"年级组成绩对比分析", kComparisonWindow, false},
        {"xian6", nullptr, nullptr, false},
        {"xuekeduibi", u"打印学生成绩单", kTranscriptWindow, false},
        {"duibifenxi", u"打印年级组成绩报表", kScoreReportWindow, false},
        {"GHJKK", nullptr, nullptr, false},
        {"fengban", u"新生分班", kNewStudentWindow, false},
        {"LQTZS", u"打印新生录取通知书", kAdmissionNoticeWindow, false},
    }},
    {"jiaowuxinxi", u"教务信息(&M)", {
        {"fabuxinxi", u"发布信息", kPublishNoticeWindow, false},
        {"chakanxinxi", u"查看信息", kViewNoticesWindow, false},
    }},
    {"bangzhu", u"帮助(&H)", {
        {"xinxi", u"帮助信息", kHelpWindow, false},
        {"guanyu", u"关于软件", kAboutWindow, false},
    }},
};

// Toolbar buttons, left to right. The key is the button's objectName.
// "年级组间成绩对比" has no window to open: it stays disabled.
struct ToolSpec {
    const char16_t *key;
    const char16_t *tooltip;
    const char16_t *window;
    bool modal;
    char16_t glyph;          // drawn as the button's icon where the icon theme lacks `icon`
    const char *icon;        // freedesktop icon name
    bool separatorAfter;
};

const ToolSpec kTools[] = {
    {u"服务器设置", u"连接服务器", kServerSettingsWindow, false, u'服', "network-server", false},
    {u"下载服务器数据", u"下载服务器数据", kDownloadWindow, false, u'下', "download", false},
    {u"上传本地数据", u"上传本地数据", kUploadWindow, true, u'上', "cloud-upload", true},
    {u"打印", u"打印", nullptr, false, u'印', "document-print", true},
    {u"薄弱学科查询", u"单生薄弱学科查询", kWeakSubjectWindow, false, u'弱', "view-statistics", false},
    {u"发展趋势", u"单生成绩发展趋势", kStudentTrendWindow, false, u'势', "office-chart-line", false},
    {u"管理学籍", u"班主任管理学籍", kRegisterWindow, false, u'籍', "x-office-address-book", true},
    {u"录入成绩", u"录入成绩", kScoreEntryWindow, false, u'录', "document-edit", false},
    {u"单科单次成绩分析", u"单科单次成绩分析", kSingleExamWindow, false, u'单', "office-chart-bar", false},
    {u"单科多次成绩分析", u"单科多次成绩分析", kMultiExamWindow, false, u'多', "office-chart-area", true},
    {u"学生成绩单", u"学生成绩单", kTranscriptWindow, false, u'成', "x-office-spreadsheet", false},
    {u"年级组内成绩对比分析", u"年级组内成绩对比分析", kComparisonWindow, false, u'内', "office-chart-pie", false},
    {u"年级组间成绩对比", u"年级组间成绩对比分析", nullptr, false, u'间', "office-chart-scatter", true},
    {u"发布教学信息", u"发布教学信息", kPublishNoticeWindow, false, u'发', "mail-send", false},
    {u"查看教学信息", u"查看教学信息", kViewNoticesWindow, false, u'看', "mail-read", true},
    {u"帮助", u"帮助内容", kHelpWindow, false, u'帮', "help-contents", false},
    {u"关于", u"关于软件……", kAboutWindow, false, u'关', "help-about", false},
};

// Items of the drop-down of "打印": text, key, window.
struct PrintItemSpec {
    const char16_t *text;
    const char16_t *key;
    const char16_t *window;
};

const PrintItemSpec kPrintItems[] = {
    {u"成绩单", u"打印成绩单", kTranscriptWindow},
    {u"成绩报表", u"打印对比分析报表", kComparisonWindow},
};

QIcon glyphIcon(QChar glyph);

// The theme's icon of that name; the lettered icon where no theme has it.
QIcon toolIcon(const ToolSpec &tool)
{
    useIconTheme();
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(tool.icon));
    return themed.isNull() ? glyphIcon(QChar(tool.glyph)) : themed;
}

// The icon of the toolbar button that opens the same window; null when none does.
QIcon toolIconFor(QStringView window)
{
    for (const ToolSpec &tool : kTools) {
        if (tool.window && window == QStringView(tool.window))
            return toolIcon(tool);
    }
    return QIcon();
}

const QString kGeometryKey = QStringLiteral("MainWindow/geometry");

QIcon glyphIcon(QChar glyph)
{
    const int size = 24;
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x2f, 0x5d, 0x8a));
    p.setBrush(QColor(0xe8, 0xf0, 0xf8));
    p.drawRoundedRect(QRectF(1.5, 1.5, size - 3, size - 3), 4, 4);
    QFont f = p.font();
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QString(glyph));
    return QIcon(pm);
}

} // namespace

MainWindow::MainWindow(const QString &programFolder, QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("主窗体"));
    setWindowTitle(QStringLiteral("Tessaly"));
    setWindowIcon(programIcon());   // child windows inherit it
    m_session.programFolder = programFolder;
    m_quit = [] { QCoreApplication::exit(0); };
    // Changes saved into the local database wait in its upload queue.
    db::setChangeQueueFile(m_session.programFile(QStringLiteral("data.mdb")));
    removeDownloadLeftovers(programFolder);

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiArea"));
    m_mdi->setBackground(QColor(0xd8, 0xe2, 0xec));
    // A window larger than the area is reached by scrolling.
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    // Designed size until the start-up sets it: client area 11400 x 8310 twips.
    resize(twipsToPixels(11400), twipsToPixels(8310));

    buildMenus();
    buildToolBar();
    buildStatusBar();
    registerWindowFactories(*this);
    refreshEntries();
    connect(m_session.events.get(), &SignInEvents::signInChanged, this, &MainWindow::refreshStatus);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &MainWindow::refreshStatus);
}

MainWindow::~MainWindow()
{
    // The windows closing with the area must not refresh a status bar whose
    // session is gone.
    m_mdi->disconnect(this);
    if (db::changeQueueFile() == m_session.programFile(QStringLiteral("data.mdb")))
        db::setChangeQueueFile(QString());
}

void MainWindow::buildMenus()
{
    for (const MenuSpec &menuSpec : kMenus) {
        QMenu *menu = menuBar()->addMenu(u16(menuSpec.caption));
        menu->setObjectName(QString::fromLatin1(menuSpec.objectName));
        for (const MenuItemSpec &item : menuSpec.items) {
            QAction *a = nullptr;
            if (!item.caption) {
                a = menu->addSeparator();
            } else {
                a = menu->addAction(u16(item.caption));
            }
            a->setObjectName(QString::fromLatin1(item.objectName));
            if (!item.caption)
                continue;
            const QString window = u16(item.window);
            a->setIcon(toolIconFor(window));
            if (QByteArrayView(item.objectName) == "tuichu") {
                connect(a, &QAction::triggered, this, &MainWindow::endProgramChosen);
            } else if (!window.isEmpty()) {
                const bool modal = item.modal;
                connect(a, &QAction::triggered, this, [this, window, modal] {
                    if (modal)
                        showModal(window);
                    else
                        showWindow(window);
                });
            }
            m_entries.append({a, window, true});
        }
    }
}

void MainWindow::buildToolBar()
{
    tbToolBar = addToolBar(QStringLiteral("tbToolBar"));
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setIconSize(QSize(24, 24));
    tbToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const ToolSpec &tool : kTools) {
        const QString key = u16(tool.key);
        QAction *a = new QAction(toolIcon(tool), key, tbToolBar);
        a->setObjectName(key);
        a->setData(key);
        a->setToolTip(u16(tool.tooltip));
        tbToolBar->addAction(a);
        const QString window = u16(tool.window);
        if (key == QStringLiteral("打印")) {
            // A drop-down button: a click on the button itself only opens the list.
            auto *menu = new QMenu(this);
            menu->setObjectName(QStringLiteral("打印菜单"));
            for (const PrintItemSpec &item : kPrintItems) {
                QAction *ia = menu->addAction(u16(item.text));
                ia->setObjectName(u16(item.key));
                ia->setData(u16(item.key));
                const QString target = u16(item.window);
                connect(ia, &QAction::triggered, this, [this, target] { showWindow(target); });
                m_entries.append({ia, target, false});
            }
            a->setMenu(menu);
            if (auto *button = qobject_cast<QToolButton *>(tbToolBar->widgetForAction(a)))
                button->setPopupMode(QToolButton::InstantPopup);
            m_printButton = a;
        } else {
            const bool modal = tool.modal;
            connect(a, &QAction::triggered, this, [this, window, modal] {
                if (window.isEmpty())
                    return;
                if (modal)
                    showModal(window);
                else
                    showWindow(window);
            });
            m_entries.append({a, window, false});
        }
        if (tool.separatorAfter)
            tbToolBar->addSeparator();
    }
}

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    m_databaseStatus = new QLabel(bar);
    m_databaseStatus->setObjectName(QStringLiteral("databaseStatus"));
    m_accountStatus = new QLabel(bar);
    m_accountStatus->setObjectName(QStringLiteral("accountStatus"));
    m_uploadStatus = new QLabel(bar);
    m_uploadStatus->setObjectName(QStringLiteral("uploadStatus"));
    bar->addWidget(m_databaseStatus);
    bar->addWidget(m_accountStatus);
    bar->addWidget(m_uploadStatus);
    refreshStatus();
}

void MainWindow::refreshStatus()
{
    const QString local = m_session.programFile(QStringLiteral("data.mdb"));
    const QString &path = m_session.openpath;
    if (path.isEmpty()) {
        m_databaseStatus->clear();
        m_databaseStatus->setToolTip(QString());
    } else {
        const bool isLocal = path == local || db::isSameFile(path, local);
        m_databaseStatus->setText(isLocal ? QStringLiteral("本机数据库") : QStringLiteral("服务器数据库"));
        m_databaseStatus->setToolTip(QDir::toNativeSeparators(path));
    }
    m_accountStatus->setText(m_session.denglu.isEmpty() ? QStringLiteral("未登录")
                                                        : QStringLiteral("当前用户：") + m_session.denglu);
    // The queue is the local database's, whichever database the windows work on.
    const int queued = pendingUploadCount(local);
    const bool waiting = queued > 0;
    m_uploadStatus->setText(waiting ? QStringLiteral("上传表：%1条记录待上传").arg(queued) : QString());
    m_uploadStatus->setVisible(waiting);
}

void MainWindow::refreshEntries()
{
    for (const Entry &e : m_entries) {
        bool on = !e.window.isEmpty() && hasWindow(e.window);
        if (e.menuItem && m_switchedOff.contains(e.action->objectName()))
            on = false;
        if (e.action->objectName() == QStringLiteral("tuichu"))
            on = true;
        e.action->setEnabled(on);
    }
    // The drop-down button is usable while one of its items is.
    if (m_printButton) {
        bool any = false;
        for (const QAction *item : m_printButton->menu()->actions())
            any = any || item->isEnabled();
        m_printButton->setEnabled(any);
    }
}

void MainWindow::registerWindow(QStringView name, WindowFactory factory)
{
    m_factories.insert(name.toString(), std::move(factory));
    refreshEntries();
}

void MainWindow::switchOffMenuItem(const QString &objectName)
{
    m_switchedOff.insert(objectName);
    refreshEntries();
}

QWidget *MainWindow::openWindow(QStringView name) const
{
    const auto it = m_open.constFind(name.toString());
    return it == m_open.constEnd() ? nullptr : it->data();
}

QWidget *MainWindow::create(const QString &name, bool topLevel)
{
    const auto factory = m_factories.constFind(name);
    if (factory == m_factories.constEnd())
        return nullptr;
    QWidget *w = (*factory)(*this, topLevel ? this : nullptr);
    if (!w)
        return nullptr;
    w->setObjectName(name);
    w->setAttribute(Qt::WA_DeleteOnClose);
    if (topLevel) {
        if (!w->isWindow())
            w->setWindowFlags(w->windowFlags() | Qt::Dialog);
    } else {
        QMdiSubWindow *sub = m_mdi->addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->adjustSize();
    }
    m_open.insert(name, w);
    m_openedOn.insert(name, m_session.openpath);
    // A window that closes may have switched the database, signed in or saved.
    connect(w, &QObject::destroyed, this, &MainWindow::refreshStatus, Qt::QueuedConnection);
    if (auto *form = dynamic_cast<FormWindow *>(w)) {
        form->askBeforeClosing(*w);
        form->Form_Load();
    }
    return m_open.value(name).data();
}

QStringList MainWindow::windowsUsing(const QString &path) const
{
    static const QStringList noSchoolData{
        QString::fromUtf16(kDownloadWindow), QString::fromUtf16(kUploadWindow), QString::fromUtf16(kPrintPage),
        QString::fromUtf16(kAboutWindow), QString::fromUtf16(kHelpWindow), QString::fromUtf16(kServerSettingsWindow),
        QString::fromUtf16(kConnectionFailureDialog)};
    QStringList captions;
    for (auto it = m_open.cbegin(); it != m_open.cend(); ++it) {
        if (!it.value() || noSchoolData.contains(it.key()) || !db::isSameFile(m_openedOn.value(it.key()), path))
            continue;
        captions << (it.value()->windowTitle().isEmpty() ? it.key() : it.value()->windowTitle());
    }
    captions.sort();
    return captions;
}

void MainWindow::bringToFront(QWidget *w)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget())) {
        if (sub->isMinimized())
            sub->showNormal();
        sub->show();
        m_mdi->setActiveSubWindow(sub);
        sub->raise();
    } else {
        w->show();
        w->raise();
        w->activateWindow();
    }
}

QWidget *MainWindow::showWindow(QStringView name)
{
    if (QWidget *open = openWindow(name)) {
        bringToFront(open);
        return open;
    }
    const WindowInfo *info = windowInfo(name);
    const bool topLevel = info && info->kind == WindowKind::Dialog;
    QWidget *w = create(name.toString(), topLevel);
    if (!w)
        return nullptr;
    bringToFront(w);
    return w;
}

int MainWindow::showModal(QStringView name)
{
    if (QWidget *open = openWindow(name)) {
        bringToFront(open);
        return 0;
    }
    QPointer<QWidget> w = create(name.toString(), true);
    if (!w)
        return 0;
    if (auto *dialog = qobject_cast<QDialog *>(w.data()))
        return dialog->exec();
    w->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(w, &QObject::destroyed, &loop, &QEventLoop::quit);
    w->show();
    loop.exec(QEventLoop::DialogExec);
    return 0;
}

void MainWindow::setSchoolName(const QString &name)
{
    setWindowTitle(mainCaption(name));
}

void MainWindow::handToPrintPage(const QString &wenben)
{
    if (auto *page = dynamic_cast<PrintPageTarget *>(showWindow(kPrintPage)))
        page->setWenben(wenben);
}

void MainWindow::MDIForm_Load()
{
    // The database path comes first: a missing or unreadable XM.DLL must not
    // leave every window without a database.
    m_session.openpath = m_session.programFile(QStringLiteral("data.mdb"));
    const QString name = readSchoolName(m_session.programFolder);
    setSchoolName(name);
    if (name.isEmpty())
        showModal(kSchoolNameWindow);   // saving sets the caption
    const QByteArray place =
        QSettings(programSettingsFile(m_session.programFolder), QSettings::IniFormat).value(kGeometryKey).toByteArray();
    if (place.isEmpty() || !restoreGeometry(place)) {
        resize(twipsToPixels(12000), twipsToPixels(9000));
        if (QScreen *s = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(s->availableGeometry().center());
            move(frame.topLeft());
        }
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    refreshStatus();
    // A missing, damaged or foreign data.mdb is told now, before any window fails on it.
    databaseAvailable(*this, this);
}

bool MainWindow::closeOpenWindows()
{
    // Each window settles its own unsaved input as it closes; one that stays
    // open (the user chose to stay) stops the program's end.
    const auto open = m_open;
    for (const QPointer<QWidget> &w : open) {
        if (!w)
            continue;
        QWidget *frame = w.data();
        if (auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget()))
            frame = sub;
        if (!frame->close())
            return false;
    }
    return true;
}

void MainWindow::saveWindowPlace()
{
    QSettings settings(programSettingsFile(m_session.programFolder), QSettings::IniFormat);
    settings.setValue(kGeometryKey, saveGeometry());
}

void MainWindow::endProgramChosen()
{
    if (!closeOpenWindows())
        return;
    saveWindowPlace();
    if (m_quit)
        m_quit();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!closeOpenWindows()) {
        event->ignore();
        return;
    }
    saveWindowPlace();
    QMainWindow::closeEvent(event);
}

} // namespace tessaly
