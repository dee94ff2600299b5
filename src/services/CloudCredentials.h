#pragma once

#include "services/CredentialStore.h"

#include <QString>

namespace vorno {

// The vault over the desktop keyring (Secret Service), one item per key with
// the attributes service, origin and account: an item of another service or
// web origin is never read. Calls block while the keyring asks to be
// unlocked: keep them off the interface thread.
class CloudCredentials : public CredentialStore
{
public:
    explicit CloudCredentials(QString service, QString origin = {});

    std::optional<QByteArray> read(const QString &key) override;
    void write(const std::optional<QByteArray> &data, const QString &key) override;

private:
    QString m_service;
    QString m_origin;
};

} // namespace vorno
