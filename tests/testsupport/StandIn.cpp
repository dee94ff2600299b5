#include "StandIn.h"

#include "StopProcess.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QTimer>

#include <stdexcept>

StandIn::StandIn()
{
    endWithParent(m_process);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("node"), {QStringLiteral(VORNO_SOURCE_DIR "/standin/server.mjs")});
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("node did not start: ") + m_process.errorString();
        return;
    }
    while (!m_process.canReadLine() && m_process.waitForReadyRead(30000)) {
    }
    const QJsonObject line = QJsonDocument::fromJson(m_process.readLine()).object();
    m_origin = QUrl(line.value(u"origin").toString());
    m_storage = QUrl(line.value(u"storage").toString());
    m_authorityPath = line.value(u"ca").toString();
    QFile ca(m_authorityPath);
    if (!m_origin.isValid() || !ca.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("the stand-in did not report its addresses (is `npm ci` done in standin/?)");
        m_origin = QUrl();
        return;
    }
    m_authority = QSslCertificate(ca.readAll());
}

StandIn::~StandIn()
{
    stopProcess(m_process);
}

vorno::CloudClientOptions StandIn::apiOptions(const QSslCertificate &authority)
{
    vorno::CloudClientOptions options;
    options.extraAuthorities = {authority};
    return options;
}

vorno::NativeFileClientOptions StandIn::fileOptions(const QSslCertificate &authority)
{
    vorno::NativeFileClientOptions options;
    // 127.0.0.1 is the storage project, 127.0.0.2 its direct storage host.
    options.projectHostSuffix = QStringLiteral(".0.0.1");
    options.directHostSuffix = QStringLiteral(".0.0.2");
    options.extraAuthorities = {authority};
    return options;
}

QJsonObject StandIn::control(const QString &command, const QJsonObject &body)
{
    return request("POST", QStringLiteral("/_control/") + command, body);
}

QJsonObject StandIn::state()
{
    return request("GET", QStringLiteral("/_control/state"), {});
}

QJsonObject StandIn::request(const QByteArray &method, const QString &path, const QJsonObject &body)
{
    QNetworkAccessManager network;
    QNetworkRequest outgoing(m_origin.resolved(QUrl(path)));
    QSslConfiguration tls = outgoing.sslConfiguration();
    tls.addCaCertificates({m_authority});
    outgoing.setSslConfiguration(tls);
    outgoing.setRawHeader("content-type", "application/json");
    QNetworkReply *reply = method == "GET"
        ? network.get(outgoing)
        : network.sendCustomRequest(outgoing, method, QJsonDocument(body).toJson(QJsonDocument::Compact));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray answer = reply->readAll();
    delete reply;
    if (status != 200)
        throw std::runtime_error("stand-in control " + path.toStdString() + " answered " + std::to_string(status));
    return QJsonDocument::fromJson(answer).object();
}
