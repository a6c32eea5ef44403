#pragma once
// The help file help.dll: an SQLite file in the program folder holding the table
// help (代码, 菜单, 内容), made at build time from a text source (data/help.txt):
//
//   lines before the first entry are notes for the writer
//   @A 第一章的标题          an entry: its code, a blank, its title
//   the entry's text, line by line, up to the next entry
//
// A one-character code is a chapter, a longer one a topic of the chapter named
// by its first character; the chapter comes first. The text loses the empty
// lines at its start and end; its lines are joined with CR LF.
#include "db/schema.h"
#include "shell/help_topics.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessaly::help {

// The entries of a help source, in order. Each fault found (an entry without a
// code or title, a code used twice, a topic before its chapter) is one line of
// *errors, naming the line.
QList<HelpRow> ParseHelpSource(const QString &text, QStringList *errors);

// The rows of an open help file in table order; nullopt when it cannot be read.
std::optional<QList<HelpRow>> ReadHelpFile(db::Connection &c);

// Writes a new help file at path with the rows in that order; never overwrites.
bool CreateHelpFile(const QString &path, const QList<HelpRow> &rows, QString *error = nullptr);

// The build step: folder/help.dll from the source file (UTF-8) unless a help.dll
// is there already, which is kept. A source with faults makes nothing.
db::InstallResult InstallHelpFile(const QString &folder, const QString &sourcePath,
                                  QString *error = nullptr);

} // namespace tessaly::help
