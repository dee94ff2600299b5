#pragma once

#include <QList>
#include <QLocale>

class QCoreApplication;
class QTranslator;

namespace vorno {

// Installs the translation of the interface's texts for the given language,
// falling back to the English of this desktop, and Qt's own translation of
// its texts where the system has one. Returns the installed translators
// (owned by the application), ours first.
QList<QTranslator *> installTranslations(QCoreApplication &application, const QLocale &locale = QLocale());

} // namespace vorno
