#include "shell/password_list.h"

#include "school/school_tables.h"
#include "workbook/gbk.h"
#include "widgets/messages.h"
#include "db/typed_read.h"

#include <QSqlRecord>

namespace tessaly {

bool passwordFits(const QString &password)
{
    return gbkByteWidth(password) <= kPasswordMaxBytes;
}

void cutToPasswordRule(QWidget *parent, QString &text)
{
    while (!text.isEmpty() && !passwordFits(text)) {
        showNotice(parent, QStringLiteral("输入的密码内容不能超过6个半角字符长度。"), kTitleHintDots);
        // The last character, a whole surrogate pair when it is one.
        const bool pair = text.size() >= 2 && text.back().isLowSurrogate() && text[text.size() - 2].isHighSurrogate();
        text.chop(pair ? 2 : 1);
    }
}

QString passwordGridFormat(PasswordCategory category)
{
    switch (category) {
    case PasswordCategory::Admin:
        return QStringLiteral("^序号|^管理员名称|>管理员密码");
    case PasswordCategory::HeadTeachers:
        return QStringLiteral("^序号|^班　级|^班实际名|>班主任名|>密  码");
    case PasswordCategory::Teachers:
        return QStringLiteral("^序号|^班　级|^ 科  目 |> 姓  名 |>密  码");
    }
    return kPasswordGridFormatAtLoad;
}

PasswordQuery passwordQuery(PasswordCategory category, const QString &gradeGroup)
{
    switch (category) {
    case PasswordCategory::Admin:
        return {QStringLiteral(R"(select "id","名称","密码" from "教导处" where "名称"=? order by "id")"),
                {school::kAdminName}};
    case PasswordCategory::HeadTeachers:
        return {QStringLiteral(R"(select "id","名称","其它","其次","密码" from "教导处")"
                               R"( where "对应内容"=? AND "类别"=? order by "id")"),
                {gradeGroup.trimmed(), school::kKindClass}};
    case PasswordCategory::Teachers:
        return {QStringLiteral(R"(select "id","其它","其次","名称","密码" from "教导处")"
                               R"( where "对应内容"=? AND "类别"=? order by "id")"),
                {gradeGroup.trimmed(), school::kKindTeaching}};
    }
    return {};
}

std::optional<QVector<PasswordRow>> readPasswordRows(db::Connection &c, PasswordCategory category,
                                                     const QString &gradeGroup)
{
    const PasswordQuery q = passwordQuery(category, gradeGroup);
    return db::readRows<PasswordRow>(c, q.sql, q.params, [](const QSqlQuery &row) {
        PasswordRow listed{row.value(0).toLongLong(), {}};
        for (int i = 1; i < row.record().count(); ++i)
            listed.cells << db::textOf(row, i);
        return listed;
    });
}

PasswordSaveResult savePasswords(db::Connection &c, const QVector<PasswordEdit> &edits)
{
    PasswordSaveResult result;
    const bool ok = c.transaction([&] {
        for (const PasswordEdit &e : edits) {
            if (!c.exec(QStringLiteral(R"(update "教导处" set "密码"=? where "id"=?)"), {e.password, e.id}))
                return false;
            if (c.rowsAffected() > 0)
                ++result.written;
            else
                result.missing.append(e.id);
        }
        return true;
    });
    result.ok = ok;
    if (!ok) {
        result.written = 0;
        result.missing.clear();
        result.error = c.error();
    }
    return result;
}

} // namespace tessaly
