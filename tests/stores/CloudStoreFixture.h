#pragma once

#include "AwaitTask.h"
#include "support/CancelledError.h"
#include "core/CloudError.h"
#include "stores/AccountEncouragement.h"
#include "stores/AccountNote.h"
#include "stores/CloudStore.h"
#include "DataCases.h"
#include "ScriptedTransport.h"
#include "ScriptedVault.h"
#include "services/TransportError.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>



using namespace vorno;
using namespace std::chrono_literals;

namespace cloudfixture {

const QString user = u"user-1"_qs;
const QString scheme = u"app.vorno.desktop"_qs;
const QUrl origin(u"https://vorno.example"_qs);

inline ScriptedTransport::Step answer(ScriptedTransport::Value value)
{
    return {std::move(value), {}, {}};
}

inline ScriptedTransport::Step gated(const ScriptedTransport::Gate &gate)
{
    return {{}, {}, gate};
}

inline ScriptedTransport::Step failing(CloudFailure failure)
{
    return ScriptedTransport::failing(CloudError(failure));
}

// An answer as the case tables write it: "" for the script's default, a
// failure's name, "network" or "timeout", "session <user> [serial]", "state of
// <user>" (encouragement), or "claim <owner or -> <due or expired>".
inline ScriptedTransport::Step step(const QString &text)
{
    const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};
    if (words[0] == u"network" || words[0] == u"timeout")
        return ScriptedTransport::failing(
            TransportError(words[0] == u"network" ? TransportError::Kind::network : TransportError::Kind::timeout));
    if (words[0] == u"session")
        return answer(ScriptedTransport::sessionFor(words.value(1), words.value(2, u"1"_qs).toInt()));
    if (words[0] == u"state") {
        EncouragementState state;
        state.ownerId = words.value(2);
        state.available = true;
        return answer(state);
    }
    if (words[0] == u"claim") {
        const EncouragementNote due {u"n1"_qs, u"Nice work on the parser."_qs, u"2999-01-01T00:00:00Z"_qs};
        const EncouragementNote expired {u"n2"_qs, u"Old news."_qs, u"2000-01-01T00:00:00Z"_qs};
        return answer(EncouragementClaim {words.value(1) == u"-" ? std::nullopt : std::optional(words.value(1)),
                                          words.value(2) == u"due" ? due : expired});
    }
    for (const CloudFailure failure : {CloudFailure::authentication, CloudFailure::unavailable, CloudFailure::changed,
                                       CloudFailure::storage, CloudFailure::invalid}) {
        if (words[0] == QLatin1StringView(name(failure)))
            return failing(failure);
    }
    qFatal("unknown answer in a case table: %s", qPrintable(text));
}

inline QString noticeName(const std::optional<Words> &notice)
{
    return notice ? notice->rawValue() : QString();
}

} // namespace cloudfixture

using namespace cloudfixture;

// A cloud store over a fresh script and vault, whose browser calls back at
// once with the state it was given unless a test wants the sign-in waiting.
class CloudStoreFixture : public QObject
{
protected:
    void reset()
    {
        m_browserAnswers = true;
        m_store.reset();
        m_vault = nullptr;
        makeStore();
    }

    // For a restart, the store keeps a copy of the current vault; the raw
    // pointers stay valid while it lives.
    void makeStore(CloudStoreOptions options = CloudStoreOptions(), bool restart = false)
    {
        auto api = std::make_unique<ScriptedTransport>();
        auto vault = std::make_unique<ScriptedVault>();
        if (restart)
            vault->entries = m_vault->entries;
        m_api = api.get();
        m_vault = vault.get();
        options.openBrowser = [this](const QUrl &url) {
            if (!m_browserAnswers)
                return true;
            const QString state = QUrlQuery(url).queryItemValue(u"state"_qs, QUrl::FullyDecoded);
            return m_store->browser()->receive(scheme + u"://auth/callback?state="_qs + state + u"&code=vm1_abc"_qs);
        };
        options.callbackScheme = scheme;
        m_store = std::make_unique<CloudStore>(std::move(api), std::move(vault), std::move(options));
    }

    // Signs in through restore() with a stored session for `id`.
    void signIn(const QString &id = user)
    {
        m_vault->entries.insert(u"session"_qs, ScriptedTransport::sessionFor(id).toJson());
        awaitTask(m_store->restore());
        QVERIFY(m_store->isSignedIn());
    }

    std::unique_ptr<CloudStore> m_store;
    bool m_browserAnswers = true;
    ScriptedTransport *m_api = nullptr;
    ScriptedVault *m_vault = nullptr;
};
