#pragma once
// 主窗体: the MDI main window. It owns the shared Session, builds the six menus
// and the toolbar tbToolBar, runs the start-up (MDIForm_Load) and keeps the
// window registry.
//
// Window registry: every window is made by a factory registered under its
// Chinese name (window_factories.cpp, one line per window). Each window exists
// at most once: showing an open one brings it to the front without loading it
// again. Child windows go into the MDI area, dialogs are top-level (see
// window_names.h). A window closed by the user is deleted; the next show
// builds it afresh. The registry calls a window's Form_Load (FormWindow) after
// placing it (MDI child or top-level) and before showing it, so Form_Load may
// centre the window on the main window.
//
// The main window is every window's host (WindowHost): windows see the session,
// modal showing, the widget to centre on and the caption, nothing more.
//
// A menu item or toolbar button whose window has no factory yet stays
// disabled, so nothing pretends to work.
#include "kit/window_base.h"
#include "kit/window_host.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <functional>

class QMdiArea;
class QMenu;
class QAction;
class QLabel;
class QToolBar;

namespace tessaly {

class MainWindow;

// Builds one window. parent is the main window for dialogs, nullptr for MDI children.
using WindowFactory = std::function<QWidget *(WindowHost &host, QWidget *parent)>;

// Registers every built window (window_factories.cpp).
void registerWindowFactories(MainWindow &main);

class MainWindow : public QMainWindow, public WindowHost {
    Q_OBJECT
public:
    explicit MainWindow(const QString &programFolder, QWidget *parent = nullptr);
    ~MainWindow() override;

    Session &session() override { return m_session; }
    const Session &session() const { return m_session; }

    // Registry. Names are the windows' Chinese names (window_names.h).
    void registerWindow(QStringView name, WindowFactory factory);
    bool hasWindow(QStringView name) const { return m_factories.contains(name.toString()); }
    // The open window of that name, or nullptr.
    QWidget *openWindow(QStringView name) const;
    // Shows a window modeless (brings an open one to the front). nullptr when
    // no factory is registered for the name.
    QWidget *showWindow(QStringView name) override;
    // Shows a window modally and returns when it has closed: the dialog's
    // result for a QDialog, else 0. An open window is only brought to the front.
    int showModal(QStringView name) override;
    QWidget *hostWidget() override { return this; }

    QMdiArea *mdiArea() const { return m_mdi; }

    // The caption: the school name directly followed by "Tessaly".
    void setSchoolName(const QString &name) override;
    // Opens 打印 (or brings it to the front) and hands it the document.
    void handToPrintPage(const QString &wenben) override;

    // The server dialogs switch menu items off for the rest of the run
    // (toolbar buttons are never switched off).
    void switchOffMenuItem(const QString &objectName) override;

    // What "退出" does after the open windows have closed (each settling its
    // unsaved input); ends the program unless a test replaces it.
    void setQuitHandler(std::function<void()> quit) { m_quit = std::move(quit); }
    void quitProgram() override { endProgramChosen(); }
    QStringList windowsUsing(const QString &path) const override;

public slots:
    // Start-up: school name from XM.DLL (asking for it when empty or missing),
    // caption, openpath = program folder's data.mdb, and the window's place: the
    // one it had when the program last ended, else maximised (12000 x 9000
    // twips, centred, when restored from maximised).
    void MDIForm_Load();
    // Reads the status bar afresh: which database, who is signed in, how many
    // changes wait for upload. Runs on sign-in changes and as windows close or
    // take turns, never on a timer.
    void refreshStatus();
    void endProgramChosen();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Closes every open window; false when one stays open.
    bool closeOpenWindows();
    // Keeps the window's place and size in the program's settings for the next start.
    void saveWindowPlace();
    void buildStatusBar();
    void buildMenus();
    void buildToolBar();
    void refreshEntries();
    QWidget *create(const QString &name, bool topLevel);
    void bringToFront(QWidget *w);

    Session m_session;
    QMdiArea *m_mdi = nullptr;
    QToolBar *tbToolBar = nullptr;
    QHash<QString, WindowFactory> m_factories;
    QHash<QString, QPointer<QWidget>> m_open;
    QHash<QString, QString> m_openedOn;   // window name -> openpath when it opened
    QSet<QString> m_switchedOff;
    std::function<void()> m_quit;

    struct Entry {
        QAction *action;
        QString window;   // empty for entries that open nothing
        bool menuItem;
    };
    QList<Entry> m_entries;
    QAction *m_printButton = nullptr;   // the drop-down button "打印"
    QLabel *m_databaseStatus = nullptr;
    QLabel *m_accountStatus = nullptr;
    QLabel *m_uploadStatus = nullptr;
};

} // namespace tessaly
