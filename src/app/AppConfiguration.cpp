#include "app/AppConfiguration.h"

#include "BuildConstants.h"

#include <QFile>

namespace vorno {

AppConfiguration AppConfiguration::release()
{
    return {
        .origin = QUrl(QString::fromLatin1(build::webOrigin)),
        .authorities = {},
        .projectHostSuffix = QString::fromLatin1(build::storageProjectHostSuffix),
        .directHostSuffix = QString::fromLatin1(build::directStorageHostSuffix),
    };
}

AppConfiguration AppConfiguration::development(const QProcessEnvironment &environment, QString *error)
{
    AppConfiguration configuration = release();
    const auto fail = [&](QString message) {
        if (error)
            *error = std::move(message);
        return release();
    };
    if (const QString origin = environment.value(originVariable); !origin.isEmpty()) {
        const QUrl url(origin, QUrl::StrictMode);
        // An origin only: https, a host, nothing after it.
        if (url.scheme() != u"https" || url.host().isEmpty() || !url.path().isEmpty() || url.hasQuery()
            || url.hasFragment() || !url.userInfo().isEmpty())
            return fail(QStringLiteral("%1 must be an https origin such as https://127.0.0.1:8443, not \"%2\"")
                            .arg(originVariable, origin));
        configuration.origin = url;
    }
    if (const QString path = environment.value(authorityVariable); !path.isEmpty()) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("%1: cannot read %2: %3").arg(authorityVariable, path, file.errorString()));
        configuration.authorities = QSslCertificate::fromData(file.readAll(), QSsl::Pem);
        if (configuration.authorities.isEmpty())
            return fail(QStringLiteral("%1: %2 holds no PEM certificate").arg(authorityVariable, path));
    }
    configuration.projectHostSuffix = environment.value(projectSuffixVariable, configuration.projectHostSuffix);
    configuration.directHostSuffix = environment.value(directSuffixVariable, configuration.directHostSuffix);
    return configuration;
}

} // namespace vorno
