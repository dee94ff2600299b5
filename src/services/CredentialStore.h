#pragma once

#include <QByteArray>
#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

namespace vorno {

// The cloud store's key-value vault: "session", "draft:" + user id and
// "pending:" + user id, over opaque bytes. Failures are CloudError(storage)
// unless a store says otherwise.
class CredentialStore
{
public:
    virtual ~CredentialStore() = default;

    // The bytes last written under `key`, or nothing.
    [[nodiscard]] virtual std::optional<QByteArray> read(const QString &key) = 0;
    // Replaces the entry; nothing removes it (removing an absent one is fine).
    virtual void write(const std::optional<QByteArray> &data, const QString &key) = 0;
    // Ends before the first read: for a store that must fetch from elsewhere.
    virtual QCoro::Task<> prepare() { co_return; }
};

} // namespace vorno
