#include "upload_day.h"

#include "db/database.h"
#include "db/schema.h"
#include "shell/server_transfer.h"

#include <QDir>
#include <QFile>

namespace tessaly::bench {

namespace {
const QString kMaths = QStringLiteral("Z25S数学250915");
const QString kEnglish = QStringLiteral("Z25S英语250915");

QString pristine(const UploadDay &day)
{
    return QDir(day.folder).filePath(QStringLiteral("day-server-pristine.mdb"));
}

QString number(int i)
{
    // Ten classes of 60 (and the added students in class 11).
    return QStringLiteral("2025%1%2").arg(i / 60 + 1, 2, 10, QLatin1Char('0')).arg(i % 60 + 1, 2, 10, QLatin1Char('0'));
}

bool fail(db::Connection &c, QString *error)
{
    *error = c.error().text;
    return false;
}
} // namespace

QString UploadDay::localPath() const
{
    return QDir(folder).filePath(QStringLiteral("day/data.mdb"));
}

QString UploadDay::serverPath() const
{
    return QDir(folder).filePath(QStringLiteral("day/share/data.mdb"));
}

bool prepareUploadDay(const UploadDay &day, QString *error)
{
    if (!db::createDeliveredDatabase(pristine(day), error))
        return false;
    db::Connection c(pristine(day));
    const bool ok = c.transaction([&] {
        if (!db::addColumn(c, QStringLiteral("初中"), kMaths, db::ColumnType::Real)
            || !db::addColumn(c, QStringLiteral("初中"), kEnglish, db::ColumnType::Real))
            return false;
        for (int i = 0; i < kDayStudents; ++i) {
            if (!c.exec(QStringLiteral(R"(INSERT INTO "初中" ("学籍号", "姓名") VALUES (?, ?))"),
                        {number(i), QStringLiteral("学生%1").arg(i)}))
                return false;
        }
        return true;
    });
    return ok || fail(c, error);
}

bool startUploadDay(const UploadDay &day, QString *error)
{
    QDir().mkpath(QFileInfo(day.serverPath()).absolutePath());
    QFile::remove(day.localPath());
    QFile::remove(day.serverPath());
    QFile::remove(uploadBasePath(day.localPath()));
    if (!QFile::copy(pristine(day), day.serverPath()) || !QFile::copy(pristine(day), day.localPath())) {
        *error = QStringLiteral("copy");
        return false;
    }
    db::Error baseError;
    if (!saveUploadBase(day.localPath(), baseError)) {
        *error = baseError.text;
        return false;
    }
    {
        const QString before = db::changeQueueFile();
        db::setChangeQueueFile(day.localPath());
        db::Connection a(day.localPath());
        db::setChangeQueueFile(before);
        const bool ok = a.transaction([&] {
            for (int i = 0; i < kDayStudents; ++i) {
                if (!a.exec(QStringLiteral(R"(UPDATE "初中" SET "%1" = ? WHERE "ID" = ?)").arg(kEnglish), {60 + i % 40, i + 1}))
                    return false;
            }
            for (int i = 0; i < kDayAdded; ++i) {
                if (!a.exec(QStringLiteral(R"(INSERT INTO "初中" ("学籍号", "姓名", "%1") VALUES (?, ?, ?))").arg(kEnglish),
                            {number(kDayStudents + i), QStringLiteral("新生%1").arg(i), 70}))
                    return false;
            }
            return a.exec(QStringLiteral(R"(INSERT INTO "初中考试结果" ("年级组", "班级名", "考试名", "满分") VALUES ('初一年级组', '一班', ?, '100'))"),
                          {kEnglish});
        });
        if (!ok)
            return fail(a, error);
    }
    db::Connection b(day.serverPath());
    const bool ok = b.transaction([&] {
        for (int i = 0; i < kDayStudents; ++i) {
            if (!b.exec(QStringLiteral(R"(UPDATE "初中" SET "%1" = ?, "备注" = ? WHERE "ID" = ?)").arg(kMaths),
                        {50 + i % 50, QStringLiteral("乙%1").arg(i), i + 1}))
                return false;
        }
        return true;
    });
    return ok || fail(b, error);
}

bool checkUploadDay(const UploadDay &day, UploadDayCheck *check, QString *error)
{
    db::Connection s(day.serverPath());
    const auto count = [&](const QString &sql) {
        const QVariant n = s.scalar(sql);
        if (s.error().isSet())
            *error = s.error().text;
        return n.toInt();
    };
    check->undone = count(QStringLiteral(R"(SELECT count(*) FROM "初中" WHERE "ID" <= %1 AND ("%2" IS NOT 50 + ("ID" - 1) %% 50 OR "备注" IS NOT '乙' || ("ID" - 1)))")
                              .arg(kDayStudents)
                              .arg(kMaths)
                              .replace(QStringLiteral("%%"), QStringLiteral("%")));
    check->duplicated = count(QStringLiteral(R"(SELECT (SELECT count(*) FROM "初中") - (SELECT count(DISTINCT "学籍号") FROM "初中"))"))
                        + count(QStringLiteral(R"(SELECT count(*) - count(DISTINCT "考试名") FROM "初中考试结果")"));
    check->missing = count(QStringLiteral(R"(SELECT count(*) FROM "初中" WHERE "ID" <= %1 AND "%2" IS NOT 60 + ("ID" - 1) %% 40)")
                               .arg(kDayStudents)
                               .arg(kEnglish)
                               .replace(QStringLiteral("%%"), QStringLiteral("%")))
                     + (kDayAdded - count(QStringLiteral(R"(SELECT count(DISTINCT "学籍号") FROM "初中" WHERE "姓名" LIKE '新生%%' AND "%1" = 70)")
                                               .arg(kEnglish)
                                               .replace(QStringLiteral("%%"), QStringLiteral("%"))))
                     + (count(QStringLiteral(R"(SELECT count(*) FROM "初中考试结果")")) > 0 ? 0 : 1);
    return error->isEmpty();
}

} // namespace tessaly::bench
