#pragma once
// What a window needs of the program around it: the shared session, showing
// another window modally or modeless by its Chinese name, the widget it is centred on, the
// program's caption and the print page. The main window is the one host of the program; a
// window never sees more of it than this.
#include "kit/session.h"

#include <QString>
#include <QStringView>

class QWidget;

namespace tessaly {

class WindowHost {
public:
    virtual ~WindowHost() = default;

    virtual Session &session() = 0;
    // Shows the named window modally and returns when it has closed: the dialog's
    // result for a QDialog, else 0. An open window is only brought to the front.
    virtual int showModal(QStringView name) = 0;
    // Shows the named window modeless; an open window is only brought to the front.
    virtual QWidget *showWindow(QStringView name) = 0;
    // The widget windows are centred on (the main window).
    virtual QWidget *hostWidget() = 0;
    // The caption: the school name directly followed by the program's title.
    virtual void setSchoolName(const QString &name) = 0;
    // The print hand-off: shows the print page 打印 modeless with the document
    // (title line first, lines ending in CR LF) as its wenben. An open page takes
    // the new document and comes to the front.
    virtual void handToPrintPage(const QString &wenben) = 0;
};

// Shows 登陆 modally for the account in the session; true when that account is
// signed in afterwards.
bool runSignIn(WindowHost &host);

} // namespace tessaly
