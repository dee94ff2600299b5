#pragma once

#include "platform/TpmHealth.h"
#include "support/Words.h"

#include <QObject>
#include <QString>

#include <QCoro/QCoroTask>

#include <functional>
#include <optional>

namespace vorno {

class PersistentCredentials;
class Preferences;

// How the login is kept on this computer, and when it cannot be, why and
// what fixes it: the TPM's diagnosis, read away from the interface thread,
// and the user's choice of the keyring where no TPM will do.
class LoginKeeping : public QObject
{
    Q_OBJECT

public:
    using Diagnose = std::function<TpmHealth()>;

    // `credentials` and `preferences` outlive this object. `diagnose`
    // defaults to the TPM the vault uses; `keyringAvailable` to asking the
    // session bus for a Secret Service.
    LoginKeeping(PersistentCredentials *credentials, Preferences *preferences, Diagnose diagnose = {},
                 std::function<bool()> keyringAvailable = {}, QObject *parent = nullptr);

    // Runs the diagnosis again (at start and whenever Settings opens).
    QCoro::Task<> check();

    [[nodiscard]] bool isKeyringAvailable() const { return m_keyringAvailable; }
    // The line the account card shows.
    [[nodiscard]] Words summary() const;
    // The command to copy, when the summary asks for one.
    [[nodiscard]] QString fixCommand() const;
    // Whether the keyring switch is shown: where the TPM does not keep the
    // login, or while the keyring does.
    [[nodiscard]] bool offersKeyring() const;

Q_SIGNALS:
    void changed();

private:
    PersistentCredentials *m_credentials;
    Preferences *m_preferences;
    Diagnose m_diagnose;
    std::function<bool()> m_keyringProbe;
    std::optional<TpmHealth> m_health;
    bool m_keyringAvailable = false;
    bool m_checking = false;
};

} // namespace vorno
