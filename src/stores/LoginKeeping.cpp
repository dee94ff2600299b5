#include "stores/LoginKeeping.h"

#include "platform/TpmKeyStore.h"
#include "services/KeyringSession.h"
#include "services/PersistentCredentials.h"
#include "support/OffThread.h"
#include "support/Preferences.h"

#include <QPointer>

#include <utility>

namespace vorno {

LoginKeeping::LoginKeeping(PersistentCredentials *credentials, Preferences *preferences, Diagnose diagnose,
                           std::function<bool()> keyringAvailable, QObject *parent)
    : QObject(parent), m_credentials(credentials), m_preferences(preferences),
      m_diagnose(diagnose ? std::move(diagnose) : [] { return TpmKeyStore().diagnose(); }),
      m_keyringProbe(keyringAvailable ? std::move(keyringAvailable) : &KeyringSession::isServiceAvailable)
{
    m_credentials->setKeyringChosen(m_preferences->keepLoginInKeyring());
    connect(m_preferences, &Preferences::keepLoginInKeyringChanged, this, [this] {
        m_credentials->setKeyringChosen(m_preferences->keepLoginInKeyring());
        Q_EMIT changed();
    });
    connect(m_credentials->keyring(), &KeyringSession::failedChanged, this, &LoginKeeping::changed);
}

QCoro::Task<> LoginKeeping::check()
{
    if (m_checking)
        co_return;
    m_checking = true;
    const QPointer guard(this);
    // Slow on real hardware, and the TPM may be busy with another program;
    // asking the bus for a Secret Service waits for answers too.
    QFuture<std::pair<TpmHealth, bool>> checking
        = offThread(QThreadPool::globalInstance(),
                    [diagnose = m_diagnose, probe = m_keyringProbe] { return std::pair(diagnose(), probe()); });
    const auto [health, keyringAvailable] = co_await checking;
    if (!guard)
        co_return;
    m_checking = false;
    m_health = health;
    m_keyringAvailable = keyringAvailable;
    Q_EMIT changed();
}

Words LoginKeeping::summary() const
{
    using State = TpmHealth::State;
    if (m_credentials->keeper() == PersistentCredentials::Keeper::keyring)
        return m_credentials->keyring()->hasFailed() ? Words::keyringFailed : Words::keptInKeyring;
    if (!m_health)
        return Words::tpmChecking;
    switch (m_health->state) {
    case State::working:
        return m_credentials->sealedDidNotOpen() ? Words::tpmCleared : Words::keptByTpm;
    case State::noDevice:
        return Words::tpmMissing;
    case State::permission:
        return m_health->needsNewLogin ? Words::tpmNewLogin : Words::tpmPermission;
    case State::ownerPassword:
        return Words::tpmOwnerPassword;
    case State::lockout:
        return Words::tpmLockout;
    case State::fault:
        break;
    }
    return Words::tpmFault;
}

QString LoginKeeping::fixCommand() const
{
    return summary() == Words::tpmPermission ? m_health->fixCommand : QString();
}

bool LoginKeeping::offersKeyring() const
{
    return m_preferences->keepLoginInKeyring() || (m_health && m_health->state != TpmHealth::State::working);
}

} // namespace vorno
