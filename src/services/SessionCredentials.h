#pragma once

#include "services/CredentialStore.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace vorno {

// Drafts and pending notes as plain private files, one per key, named by the
// key's SHA-256. A "session" entry is kept in memory only.
class SessionCredentials : public CredentialStore
{
public:
    static constexpr qsizetype maximumKeyLength = 200; // user-perceived characters
    static constexpr qint64 readLimit = 64 * 1024 * 1024;

    // `directory` defaults to <support>/<app id>/session-drafts/<H(origin)>.
    explicit SessionCredentials(const QUrl &origin, std::optional<QString> directory = std::nullopt);

    [[nodiscard]] const QString &directory() const { return m_directory; }

    std::optional<QByteArray> read(const QString &key) override;
    void write(const std::optional<QByteArray> &data, const QString &key) override;

    // Whether `key` names a draft or pending entry this store accepts.
    [[nodiscard]] static bool isEntryKey(const QString &key);

private:
    [[nodiscard]] QString entryName(const QString &key) const;
    // Removes what interrupted writes left, once per process.
    void sweepOnce();

    std::optional<QByteArray> m_session;
    QString m_directory;
    bool m_swept = false;
};

} // namespace vorno
