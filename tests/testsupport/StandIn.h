#pragma once

#include "services/CloudClient.h"
#include "services/NativeFileClient.h"

#include <QJsonObject>
#include <QProcess>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

// The stand-in web service (standin/server.mjs) on loopback, for one test:
// started with random ports, stopped when the object goes.
class StandIn
{
public:
    StandIn();
    ~StandIn();
    StandIn(const StandIn &) = delete;
    StandIn &operator=(const StandIn &) = delete;

    [[nodiscard]] bool isRunning() const { return m_process.state() == QProcess::Running && m_origin.isValid(); }
    [[nodiscard]] QString error() const { return m_error; }

    [[nodiscard]] QUrl origin() const { return m_origin; }   // web origin and storage project, 127.0.0.1
    [[nodiscard]] QUrl storage() const { return m_storage; } // direct storage host, 127.0.0.2
    [[nodiscard]] QSslCertificate authority() const { return m_authority; }
    [[nodiscard]] QString authorityPath() const { return m_authorityPath; }

    // Client options that trust this stand-in (or one whose CA is
    // `authority`, for a process that did not start it) and find its storage host.
    [[nodiscard]] vorno::CloudClientOptions apiOptions() const { return apiOptions(m_authority); }
    [[nodiscard]] vorno::NativeFileClientOptions fileOptions() const { return fileOptions(m_authority); }
    [[nodiscard]] static vorno::CloudClientOptions apiOptions(const QSslCertificate &authority);
    [[nodiscard]] static vorno::NativeFileClientOptions fileOptions(const QSslCertificate &authority);

    // POSTs `body` to the control interface ("accounts", "sessions", …) and
    // returns the answer; throws when the stand-in refuses.
    QJsonObject control(const QString &command, const QJsonObject &body = {});
    // What the stand-in stored and saw.
    [[nodiscard]] QJsonObject state();

private:
    QJsonObject request(const QByteArray &method, const QString &path, const QJsonObject &body);

    QProcess m_process;
    QUrl m_origin;
    QUrl m_storage;
    QSslCertificate m_authority;
    QString m_authorityPath;
    QString m_error;
};
