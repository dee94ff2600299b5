#include "CredentialLocation.h"

#include "Text.h"

#include <QStandardPaths>

namespace vorno {

QString CredentialLocation::directory(const QString &kind, const QUrl &origin, const QString &appIdentifier)
{
    const QString base = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation).value(0);
    return base + u'/' + appIdentifier + u'/' + kind + u'/' + Text::sha256Hex(origin.toString(QUrl::FullyEncoded).toUtf8());
}

} // namespace vorno
