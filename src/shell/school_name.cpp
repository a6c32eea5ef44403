#include "shell/school_name.h"

#include "platform/gbk.h"

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

bool saveSchoolName(const QString &programFolder, const QString &name)
{
    return writeLineGbk(schoolNameFile(programFolder), name);
}

QString mainCaption(const QString &schoolName)
{
    return schoolName + QStringLiteral("Tessaly");
}

} // namespace tessaly
