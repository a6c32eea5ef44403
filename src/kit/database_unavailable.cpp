#include "kit/database_unavailable.h"

#include "kit/window_base.h"
#include "kit/window_host.h"
#include "kit/window_names.h"
#include "db/database.h"
#include "widgets/messages.h"

#include <QStringList>
#include <QWidget>

namespace tessaly {

bool isNetworkMode(const QString &openpath)
{
    // Either separator: "\\PC1\…" and "//PC1/…" name the same share.
    QString p = openpath;
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return p.contains(QLatin1String("\\\\"));
}

QString databaseUnavailableText(bool networkMode)
{
    const QStringList lines = networkMode
        ? QStringList{QStringLiteral("错误提示:"), QString(),
                      QStringLiteral("    现在不能与网络服务器数据库连接，你的使用可能会受到限制。"),
                      QStringLiteral("        1、你可以与网络管理员联系。"),
                      QStringLiteral("        2、你可以使用本地数据库。"),
                      QStringLiteral("        3、你可以过会再试。"), QString(),
                      QStringLiteral("    你继续使用本软件吗？")}
        : QStringList{QStringLiteral("错误提示:"), QString(),
                      QStringLiteral("    现在您使用的是本机数据库，无法与数据库连接，本软件不能使用，原因有以下几种。"),
                      QStringLiteral("        1、本地数据库损坏。"),
                      QStringLiteral("        2、本地数据库被非法删除。"),
                      QStringLiteral("    你可以与管理员联系，或下载服务器数据库。"), QString(),
                      QStringLiteral("    你继续使用本软件吗？")};
    return lines.join(QLatin1Char('\r'));
}

void ReportDatabaseUnavailable(WindowHost &host, QWidget *parent)
{
    const bool network = isNetworkMode(host.session().openpath);
    if (!askYesNo(parent, databaseUnavailableText(network), kTitleHintDots)) {
        host.quitProgram();
        return;
    }
    host.showWindow(network ? kConnectionFailureDialog : kDownloadWindow);
}

namespace {

// True unless the file is missing, unreachable or not the school's database.
bool usable(db::Connection &c)
{
    db::Error error;
    if (db::isSchoolDatabase(c, error))
        return true;
    const int number = error.number;
    return number != db::kErrPathNotFound && number != db::kErrNotADatabase && number != db::kErrNotSchoolDatabase;
}

} // namespace

bool databaseAvailable(WindowHost &host, QWidget *parent)
{
    // Only read: no upload queue is set up for the check.
    db::Connection c(host.session().openpath, db::Connection::Access::ReadOnly);
    if (usable(c))
        return true;
    c.close();
    ReportDatabaseUnavailable(host, parent);
    return false;
}

bool databaseAvailable(FormWindow &window, QWidget *parent)
{
    db::Connection &c = window.connection();
    if (usable(c))
        return true;
    c.close();
    ReportDatabaseUnavailable(window.host(), parent);
    return false;
}

} // namespace tessaly
