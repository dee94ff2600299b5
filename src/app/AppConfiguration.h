#pragma once

#include <QList>
#include <QProcessEnvironment>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

#include <optional>

namespace vorno {

// Where the application finds its service and whom it trusts there. A release
// build has exactly the build's constants; only a development build may be
// pointed elsewhere, at the stand-in service and its throw-away authority.
struct AppConfiguration
{
    QUrl origin;
    QList<QSslCertificate> authorities; // trusted besides the system store
    QString projectHostSuffix;
    QString directHostSuffix;

    static inline const QString originVariable = QStringLiteral("VORNO_DEV_ORIGIN");
    static inline const QString authorityVariable = QStringLiteral("VORNO_DEV_CA");
    static inline const QString projectSuffixVariable = QStringLiteral("VORNO_DEV_PROJECT_SUFFIX");
    static inline const QString directSuffixVariable = QStringLiteral("VORNO_DEV_DIRECT_SUFFIX");

    [[nodiscard]] static AppConfiguration release();
    // The release configuration with the development variables applied. The
    // error, when the variables are unusable, is one line for the user.
    [[nodiscard]] static AppConfiguration development(const QProcessEnvironment &environment, QString *error);
};

} // namespace vorno
