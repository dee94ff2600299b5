#include "Translations.h"

#include <QCoreApplication>
#include <QTranslator>

namespace vorno {

QTranslator *installTranslations(QCoreApplication &application, const QLocale &locale)
{
    auto *translator = new QTranslator(&application);
    if (translator->load(locale, QStringLiteral("vorno"), QStringLiteral("_"), QStringLiteral(":/i18n"))
        || translator->load(QStringLiteral(":/i18n/vorno_en.qm"))) {
        QCoreApplication::installTranslator(translator);
        return translator;
    }
    delete translator;
    return nullptr;
}

} // namespace vorno
