#pragma once

#include <QLocale>

class QCoreApplication;
class QTranslator;

namespace vorno {

// Installs the translation of the interface's texts for the given language,
// falling back to the English of this desktop. Returns the installed
// translator (owned by the application), or null when no table loads.
QTranslator *installTranslations(QCoreApplication &application, const QLocale &locale = QLocale());

} // namespace vorno
