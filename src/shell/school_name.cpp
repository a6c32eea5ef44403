#include "shell/school_name.h"

#include "workbook/gbk.h"

#include <QDir>

namespace tessaly {

namespace {
QString schoolNameFile(const QString &programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("XM.DLL"));
}
} // namespace

QString readSchoolName(const QString &programFolder)
{
    return readFirstLineGbk(schoolNameFile(programFolder)).value_or(QString());
}

QString schoolNameRefusal(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("请输入学校名称");
    const QStringList missing = gbkMissingCharacters(name);
    if (missing.isEmpty())
        return QString();
    return QStringLiteral("学校名称中的字符“%1”无法保存，请删除或改用其他字符。")
        .arg(missing.join(QStringLiteral("”“")));
}

bool saveSchoolName(const QString &programFolder, const QString &name)
{
    return writeLineGbk(schoolNameFile(programFolder), name);
}

QString mainCaption(const QString &schoolName)
{
    return schoolName + QStringLiteral("Tessaly");
}

} // namespace tessaly
