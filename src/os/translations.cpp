#include "os/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tessaly {

bool installQtTranslations()
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    bool base = false;
    for (const QString name : {QStringLiteral("qtbase"), QStringLiteral("qt")}) {
        auto *translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(chinese, name, QStringLiteral("_"), folder)
            && QCoreApplication::installTranslator(translator)) {
            base = base || name == QLatin1String("qtbase");
        } else {
            delete translator;
        }
    }
    return base;
}

} // namespace tessaly
