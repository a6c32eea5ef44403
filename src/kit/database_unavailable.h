#pragma once
// Where the database is and what a window does when it cannot open it.
//
// Network mode: openpath holds "\\" somewhere (a server share, or a program
// folder that is itself on a share).
//
// A window's loading asks databaseAvailable() before it reads the database:
//   if (!databaseAvailable(host(), this))
//       return;   // the prompt has run; the window stays open and empty
#include <QString>

class QWidget;

namespace tessaly {

class WindowHost;

bool isNetworkMode(const QString &openpath);

// The Yes/No prompt's text, lines joined by a carriage return.
QString databaseUnavailableText(bool networkMode);

// The prompt (title "提示……"). No ends the program. Yes opens 与服务器的连接
// in network mode, else the download 下载服务器数据, both modeless, and returns.
void ReportDatabaseUnavailable(WindowHost &host, QWidget *parent);

// Opens the database at openpath once, read-only. When it is missing, unreachable or no
// database, runs ReportDatabaseUnavailable and returns false. A database that
// is only busy counts as available: the window's own reads report it.
bool databaseAvailable(WindowHost &host, QWidget *parent);
// The same check on the window's own connection, which stays open for its reads.
class FormWindow;
bool databaseAvailable(FormWindow &window, QWidget *parent);

} // namespace tessaly
