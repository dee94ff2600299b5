#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QString>

// A throw-away certificate authority and a server certificate for 127.0.0.1 and
// 127.0.0.2, made once per test process with the openssl tool.
class TestCertificates
{
public:
    [[nodiscard]] static const TestCertificates &instance();

    QSslCertificate authority;
    QSslCertificate server;
    QSslKey serverKey;
    QString authorityPath; // PEM, for peers outside this process
};
