#pragma once

#include "CredentialStore.h"

#include <QString>

namespace vorno {

// The vault over the desktop keyring (Secret Service), one item per key with
// the attributes service and account. The application does not use it: the
// login stays out of the keyring.
class CloudCredentials : public CredentialStore
{
public:
    explicit CloudCredentials(QString service);

    std::optional<QByteArray> read(const QString &key) override;
    void write(const std::optional<QByteArray> &data, const QString &key) override;

private:
    QString m_service;
};

} // namespace vorno
