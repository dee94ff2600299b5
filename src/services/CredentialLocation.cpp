#include "services/CredentialLocation.h"

#include <QCryptographicHash>
#include <QStandardPaths>

namespace vorno {

QString CredentialLocation::directory(const QString &kind, const QUrl &origin, const QString &appIdentifier)
{
    const QString base = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation).value(0);
    // Qt's own digest for this short name: OpenSSL's first use loads its
    // configuration and providers, which the start should not wait for.
    const QByteArray name
        = QCryptographicHash::hash(origin.toString(QUrl::FullyEncoded).toUtf8(), QCryptographicHash::Sha256);
    return base + u'/' + appIdentifier + u'/' + kind + u'/' + QString::fromLatin1(name.toHex());
}

} // namespace vorno
