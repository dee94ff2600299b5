#pragma once

#include "BuildConstants.h"

#include <QString>
#include <QUrl>

namespace vorno {

// Where the credential stores keep their files: <application support>/<app
// identifier>/<kind>/<SHA-256 of the origin>, so every origin has its own.
namespace CredentialLocation {

[[nodiscard]] QString directory(const QString &kind, const QUrl &origin,
                                const QString &appIdentifier = QString::fromLatin1(build::appIdentifier));
} // namespace CredentialLocation

} // namespace vorno
