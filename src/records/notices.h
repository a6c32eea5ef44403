#pragma once
// Academic notices, the rows of 信息: publishing one, reading them all, the
// title list (last row first), the keyword search and which row a clicked
// title shows. Every value is bound; nothing here touches a widget.
#include "kit/save_report.h"
#include "db/database.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace tessaly::records {

struct Notice {
    QString title;     // 发布题目
    QString unit;      // 发布单位
    QString time;      // 发布时间
    QString content;   // 发布内容
};

// A row of 信息 as read: its key and its texts (NULL reads as empty).
struct StoredNotice {
    qint64 id = 0;
    Notice notice;
};

// The publishing boxes in the order they are tested.
enum class NoticeBox { Title, Unit, Time, Content };

// The first box whose text is empty, in the order title, unit, time, content;
// none when all four hold text (blanks count as text).
std::optional<NoticeBox> firstEmptyBox(const Notice &notice);
// What an empty box is refused with.
QString emptyBoxMessage(NoticeBox box);

// Adds the notice as one row, each text exactly as given.
SaveOutcome publishNotice(db::Connection &c, const Notice &notice);

struct NoticeRows {
    bool ok = false;
    db::Error error;
    QVector<StoredNotice> rows;   // in table order
};
// Every notice in table order; a connection that is not open gives its error.
NoticeRows readNotices(db::Connection &c);

// Removes the notice with that key. A key no longer in the table is refused with
// the text kNoCurrentRecord, so nothing counts as deleted that was not.
SaveOutcome deleteNotice(db::Connection &c, qint64 id);
inline const QString kNoCurrentRecord = QStringLiteral(" 无 当 前 记 录");

// The non-empty titles from the last row to the first.
QStringList titlesLastToFirst(const QVector<StoredNotice> &rows);

// The titles that contain the keyword, in their order; case-sensitive, and an
// empty keyword is in every title.
QStringList searchTitles(const QStringList &titles, const QString &keyword);

// The details a window shows: unit, time and content.
struct NoticeDetails {
    QString unit;
    QString time;
    QString content;
    bool operator==(const NoticeDetails &) const = default;
};

// Puts the notice's non-empty texts over the details shown; an empty text
// leaves the one shown before.
NoticeDetails withNotice(NoticeDetails shown, const Notice &notice);

// Which equal title a click shows.
enum class TitleMatch {
    EveryInTurn,   // every equal row applied in table order: the last one wins
    FirstOnly,     // the first equal row only
};

struct TitleClick {
    NoticeDetails details;   // what the window shows afterwards
    int row = -1;            // the (last) row applied; -1 when no row was equal
};

// The details after a click on the title, starting from those shown.
TitleClick clickTitle(const QVector<StoredNotice> &rows, const QString &title,
                      const NoticeDetails &shown, TitleMatch match);

// The question before deleting the notice with that title.
QString deleteQuestion(const QString &title);

} // namespace tessaly::records
