#include "shell/help_file.h"

#include "db/database.h"
#include "db/typed_read.h"

#include <QFile>
#include <QSet>

namespace tessaly::help {

namespace {

void finish(HelpRow *row, QStringList &lines)
{
    while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (row)
        row->content = lines.join(QStringLiteral("\r\n"));
    lines.clear();
}

} // namespace

QList<HelpRow> ParseHelpSource(const QString &text, QStringList *errors)
{
    QList<HelpRow> rows;
    QSet<QString> codes;
    QStringList lines;
    const QStringList sourceLines = QString(text).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    const auto fault = [errors](int line, const QString &what) {
        if (errors)
            *errors << QStringLiteral("line %1: %2").arg(line).arg(what);
    };
    for (int i = 0; i < sourceLines.size(); ++i) {
        const QString &line = sourceLines[i];
        if (!line.startsWith(QLatin1Char('@'))) {
            lines << line;
            continue;
        }
        finish(rows.isEmpty() ? nullptr : &rows.last(), lines);
        const QString entry = line.mid(1).trimmed();
        const qsizetype blank = entry.indexOf(QLatin1Char(' '));
        HelpRow row;
        row.code = blank < 0 ? entry : entry.left(blank);
        row.menu = blank < 0 ? QString() : entry.mid(blank + 1).trimmed();
        if (row.code.isEmpty() || row.menu.isEmpty())
            fault(i + 1, QStringLiteral("an entry needs a code and a title"));
        else if (codes.contains(row.code))
            fault(i + 1, QStringLiteral("code %1 is used twice").arg(row.code));
        else if (!isChapter(row) && !codes.contains(row.code.left(1)))
            fault(i + 1, QStringLiteral("topic %1 comes before its chapter %2").arg(row.code, row.code.left(1)));
        codes.insert(row.code);
        rows.append(row);
    }
    finish(rows.isEmpty() ? nullptr : &rows.last(), lines);
    return rows;
}

std::optional<QList<HelpRow>> ReadHelpFile(db::Connection &c)
{
    return db::readRows<HelpRow>(c, QStringLiteral(R"(select "代码","菜单","内容" from help)"), {},
                                 [](const QSqlQuery &q) {
                                     return HelpRow{db::textOf(q, 0), db::textOf(q, 1), db::textOf(q, 2)};
                                 });
}

bool CreateHelpFile(const QString &path, const QList<HelpRow> &rows, QString *error)
{
    return db::createDatabaseFile(path, [&rows](db::Connection &c, QString *fillError) {
        const bool ok = c.transaction([&] {
            if (!c.exec(QStringLiteral(R"(CREATE TABLE "help" ("代码" TEXT NOT NULL UNIQUE, "菜单" TEXT, "内容" TEXT))")))
                return false;
            for (const HelpRow &row : rows) {
                if (!c.exec(QStringLiteral(R"(INSERT INTO "help" ("代码", "菜单", "内容") VALUES (?, ?, ?))"),
                            {row.code, row.menu, row.content}))
                    return false;
            }
            return true;
        });
        if (!ok && fillError)
            *fillError = c.error().text;
        return ok;
    }, error);
}

db::InstallResult InstallHelpFile(const QString &folder, const QString &sourcePath, QString *error)
{
    return db::installOnce(folder, QStringLiteral("help.dll"), [&sourcePath](const QString &path, QString *createError) {
        QFile source(sourcePath);
        if (!source.open(QIODevice::ReadOnly)) {
            if (createError)
                *createError = QStringLiteral("%1: %2").arg(sourcePath, source.errorString());
            return false;
        }
        QStringList faults;
        const QList<HelpRow> rows = ParseHelpSource(QString::fromUtf8(source.readAll()), &faults);
        if (!faults.isEmpty()) {
            if (createError)
                *createError = sourcePath + QStringLiteral(": ") + faults.join(QStringLiteral("; "));
            return false;
        }
        return CreateHelpFile(path, rows, createError);
    }, error);
}

} // namespace tessaly::help
