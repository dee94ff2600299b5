#include "support/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vorno {

QList<QTranslator *> installTranslations(QCoreApplication &application, const QLocale &locale)
{
    QList<QTranslator *> installed;
    const auto install = [&](bool loaded, QTranslator *translator) {
        if (loaded && QCoreApplication::installTranslator(translator))
            installed.append(translator);
        else
            delete translator;
    };
    auto *ours = new QTranslator(&application);
    install(ours->load(locale, QStringLiteral("vorno"), QStringLiteral("_"), QStringLiteral(":/i18n"))
                || ours->load(QStringLiteral(":/i18n/vorno_en.qm")),
            ours);
    // Qt's own texts (the editor's menu, the file dialog) in the same language,
    // where the system has them; they stay English otherwise.
    auto *qt = new QTranslator(&application);
    install(qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)),
            qt);
    return installed;
}

} // namespace vorno
