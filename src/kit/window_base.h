#pragma once
// The base of every window the host builds by name (window_names.h).
//
// A window derives from its Qt class and from FormWindow:
//   class GradeGroupWindow : public QWidget, public FormWindow {
//       Q_OBJECT
//   public:
//       explicit GradeGroupWindow(WindowHost &host, QWidget *parent = nullptr);
//   public slots:
//       void Form_Load() override;   // placing, reading the database, first state
//   };
// The host calls Form_Load once, after placing the window (MDI child or
// top-level) and before showing it, so Form_Load may centre the window.
//
// A window that holds input not yet saved answers mayClose(): every close asks
// it first (the window's own close button, the frame's close box, a step that
// closes it to open another window, the program's end), and false keeps the
// window open:
//   bool mayClose() override { return settleUnsavedChanges(this, question, [this] { return save(); }); }
#include "kit/window_host.h"
#include "db/database.h"

#include <QString>

class QWidget;

namespace tessaly {

class FormWindow {
public:
    explicit FormWindow(WindowHost &host) : m_host(host), m_databasePath(host.session().openpath) {}
    virtual ~FormWindow() = default;
    FormWindow(const FormWindow &) = delete;
    FormWindow &operator=(const FormWindow &) = delete;

    virtual void Form_Load() {}

    // Asked before the window closes, whatever closes it; false keeps it open
    // (the user stays with unsaved input). Nothing to settle by default.
    virtual bool mayClose() { return true; }
    // Makes every close of `self`, this window's own widget, ask mayClose()
    // first. The host calls it once, when it builds the window.
    void askBeforeClosing(QWidget &self);

    WindowHost &host() const { return m_host; }
    Session &session() const { return m_host.session(); }
    // The database this window opened: openpath when the window was made, just
    // before its loading. Its reads and saves stay on it when openpath later
    // switches to the server or back; windows opened afterwards take the new one.
    const QString &databasePath() const { return m_databasePath; }

    // The window's one connection to databasePath(): opened by the first call,
    // reused by every read and save after it, closed with the window. A file
    // replaced or gone since is opened again. Check ok()/error() after the call.
    db::Connection &connection();

protected:
    WindowHost &m_host;

private:
    const QString m_databasePath;
    db::Connection m_connection;
};

// Builds a window of class W for the host: the usual factory.
template <class W>
QWidget *makeWindow(WindowHost &host, QWidget *parent)
{
    return new W(host, parent);
}

// Gives a control its name from the window's design (Command1, Grid1, …) and
// returns it, so controls are made and named in one line.
template <class W>
W *named(W *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

} // namespace tessaly
