#pragma once

#include "BuildConstants.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace vorno {

// The one-time secrets of a browser sign-in: a PKCE (S256) verifier and an
// anti-forgery state. Never stored.
class NativeLogin
{
public:
    static constexpr qsizetype maximumCodeLength = 512; // user-perceived characters

    // A new pair from the system's CSPRNG: first the verifier, then the state.
    NativeLogin();
    // Rebuilds a pair whose secrets are already known.
    NativeLogin(QString verifier, QString state);

    [[nodiscard]] const QString &verifier() const { return m_verifier; }
    [[nodiscard]] const QString &state() const { return m_state; }
    [[nodiscard]] QString challenge() const;

    // The authorization code of a callback made for this pair, given as the raw
    // URL text. Throws CloudError(authentication) for any other URL.
    [[nodiscard]] QString code(QStringView url,
                               const QString &scheme = QString::fromLatin1(build::appIdentifier)) const;

    // Whether `url` is "<scheme>://auth/callback?…" with exactly one "state"
    // item equal to `state`, compared character by character.
    [[nodiscard]] static bool isCallback(QStringView url, const QString &state, const QString &scheme);

    friend bool operator==(const NativeLogin &, const NativeLogin &) = default;

private:
    QString m_verifier;
    QString m_state;
};

} // namespace vorno
