#include "TestCertificates.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <stdexcept>

namespace {

void openssl(const QString &directory, const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(directory);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("openssl"), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw std::runtime_error("openssl failed: " + process.readAll().toStdString());
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.readAll();
}

TestCertificates make()
{
    static QTemporaryDir directory;
    const QString dir = directory.path();
    const QString ec = QStringLiteral("-newkey");
    openssl(dir, {QStringLiteral("req"), QStringLiteral("-x509"), ec, QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                  QStringLiteral("ec_paramgen_curve:P-256"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                  QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=Vorno Test CA"),
                  QStringLiteral("-keyout"), QStringLiteral("ca.key"), QStringLiteral("-out"), QStringLiteral("ca.pem")});
    openssl(dir, {QStringLiteral("req"), QStringLiteral("-new"), ec, QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                  QStringLiteral("ec_paramgen_curve:P-256"), QStringLiteral("-nodes"), QStringLiteral("-subj"),
                  QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-keyout"), QStringLiteral("server.key"),
                  QStringLiteral("-out"), QStringLiteral("server.csr")});
    QFile extensions(dir + QStringLiteral("/san.ext"));
    if (!extensions.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write san.ext");
    extensions.write("subjectAltName=IP:127.0.0.1,IP:127.0.0.2,DNS:localhost\n");
    extensions.close();
    openssl(dir, {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), QStringLiteral("server.csr"),
                  QStringLiteral("-CA"), QStringLiteral("ca.pem"), QStringLiteral("-CAkey"), QStringLiteral("ca.key"),
                  QStringLiteral("-CAcreateserial"), QStringLiteral("-days"), QStringLiteral("2"),
                  QStringLiteral("-extfile"), QStringLiteral("san.ext"), QStringLiteral("-out"), QStringLiteral("server.pem")});

    TestCertificates certificates;
    certificates.authorityPath = dir + QStringLiteral("/ca.pem");
    certificates.authority = QSslCertificate(contents(certificates.authorityPath));
    certificates.server = QSslCertificate(contents(dir + QStringLiteral("/server.pem")));
    certificates.serverKey = QSslKey(contents(dir + QStringLiteral("/server.key")), QSsl::Ec);
    if (certificates.authority.isNull() || certificates.server.isNull() || certificates.serverKey.isNull())
        throw std::runtime_error("could not load the test certificates");
    return certificates;
}

} // namespace

const TestCertificates &TestCertificates::instance()
{
    static const TestCertificates certificates = make();
    return certificates;
}
