#pragma once
// One way every window reports a save the database refused.
//
//   SaveOutcome r = saveWith<SaveOutcome>(connection(), [&](db::Connection &c) {
//       return SaveSomething(c, rows);
//   });
//   if (!r.ok) reportSaveFailure(this, u"学籍没有保存："_s, r.error, kTitleHintDots);
//
// A save's own result type derives from SaveOutcome and adds what that save
// tells (removed rows, numbers given, …).
#include "db/database.h"

#include <QString>
#include <utility>

class QWidget;

namespace tessaly {

struct SaveOutcome {
    bool ok = false;
    db::Error error;   // set when !ok and the database refused
};

// The words for a refused save: the sentence for a locked database whatever
// its text, else the error's own (Chinese for every engine failure).
QString saveErrorText(const db::Error &error);

// "<lead><error text><tail>", OK, under the title (the program's title when empty).
void reportSaveFailure(QWidget *parent, const QString &lead, const db::Error &error,
                       const QString &title = QString(), const QString &tail = QString());

// A read the database refused, in the same words as a refused save, after the
// data-error lead "数据错误事件命中错误：" (OK, the program's title).
void reportReadFailure(QWidget *parent, const db::Error &error);

// Opens the database at path and runs the save on it; a database that cannot be
// opened gives an outcome with ok false and the opening error.
// The same on a connection already open: the window's own (FormWindow::connection).
template <class Outcome, class Save>
Outcome saveWith(db::Connection &c, Save &&save)
{
    if (!c.ok()) {
        Outcome failed;
        failed.ok = false;
        failed.error = c.error();
        return failed;
    }
    return save(c);
}

template <class Outcome, class Save>
Outcome saveWith(const QString &path, Save &&save)
{
    db::Connection c(path);
    return saveWith<Outcome>(c, std::forward<Save>(save));
}

} // namespace tessaly
