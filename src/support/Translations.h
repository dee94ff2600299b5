#pragma once

class QCoreApplication;

namespace vorno {

// Installs the translation of the interface's texts for the user's language,
// falling back to the English of this desktop. Call once, at start-up.
void installTranslations(QCoreApplication &application);

} // namespace vorno
