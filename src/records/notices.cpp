#include "records/notices.h"
#include "db/typed_read.h"

#include <QSqlQuery>

namespace tessaly::records {

std::optional<NoticeBox> firstEmptyBox(const Notice &notice)
{
    if (notice.title.isEmpty())
        return NoticeBox::Title;
    if (notice.unit.isEmpty())
        return NoticeBox::Unit;
    if (notice.time.isEmpty())
        return NoticeBox::Time;
    if (notice.content.isEmpty())
        return NoticeBox::Content;
    return std::nullopt;
}

QString emptyBoxMessage(NoticeBox box)
{
    switch (box) {
    case NoticeBox::Title:
        return QStringLiteral("请填写发布题目");
    case NoticeBox::Unit:
        return QStringLiteral("请填写发布单位");
    case NoticeBox::Time:
        return QStringLiteral("请填写发布时间");
    case NoticeBox::Content:
        return QStringLiteral("请填写教务信息内容");
    }
    return QString();
}

SaveOutcome publishNotice(db::Connection &c, const Notice &notice)
{
    SaveOutcome out;
    out.ok = c.exec(QStringLiteral(R"(insert into "信息" ("发布题目","发布单位","发布时间","发布内容") values (?,?,?,?))"),
                    {notice.title, notice.unit, notice.time, notice.content});
    if (!out.ok)
        out.error = c.error();
    return out;
}

NoticeRows readNotices(db::Connection &c)
{
    if (!c.ok())
        return {false, c.error(), {}};
    NoticeRows out;
    QSqlQuery q = c.query(QStringLiteral(R"(select "ID","发布题目","发布单位","发布时间","发布内容" from "信息" order by "ID")"));
    if (!q.isActive()) {
        out.error = c.error();
        return out;
    }
    while (q.next()) {
        out.rows.append({q.value(0).toLongLong(),
                         {q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                          q.value(4).toString()}});
    }
    if (!db::finishRead(c, q)) {
        out.error = c.error();
        return out;
    }
    out.ok = true;
    return out;
}

SaveOutcome deleteNotice(db::Connection &c, qint64 id)
{
    SaveOutcome out;
    out.ok = c.exec(QStringLiteral(R"(delete from "信息" where "ID"=?)"), {id});
    if (!out.ok) {
        out.error = c.error();
    } else if (c.rowsAffected() != 1) {
        out.ok = false;
        out.error = {3021, kNoCurrentRecord};
    }
    return out;
}

QStringList titlesLastToFirst(const QVector<StoredNotice> &rows)
{
    QStringList titles;
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        if (!it->notice.title.isEmpty())
            titles.append(it->notice.title);
    }
    return titles;
}

QStringList searchTitles(const QStringList &titles, const QString &keyword)
{
    QStringList found;
    for (const QString &title : titles) {
        if (title.contains(keyword, Qt::CaseSensitive))
            found.append(title);
    }
    return found;
}

NoticeDetails withNotice(NoticeDetails shown, const Notice &notice)
{
    if (!notice.unit.isEmpty())
        shown.unit = notice.unit;
    if (!notice.time.isEmpty())
        shown.time = notice.time;
    if (!notice.content.isEmpty())
        shown.content = notice.content;
    return shown;
}

TitleClick clickTitle(const QVector<StoredNotice> &rows, const QString &title,
                      const NoticeDetails &shown, TitleMatch match)
{
    TitleClick click{shown, -1};
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].notice.title != title)
            continue;
        click.details = withNotice(click.details, rows[i].notice);
        click.row = i;
        if (match == TitleMatch::FirstOnly)
            break;
    }
    return click;
}

QString deleteQuestion(const QString &title)
{
    return QStringLiteral(" 确 实 要 删 除 (") + title + QStringLiteral(") 这 一 记 录 ？");
}

} // namespace tessaly::records
