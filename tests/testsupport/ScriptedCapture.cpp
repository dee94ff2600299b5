#include "ScriptedCapture.h"

#include "AwaitTask.h"
#include "stores/CloudStore.h"
#include "ScriptedTransport.h"
#include "ScriptedVault.h"

using namespace vorno;

ScriptedCapture::ScriptedCapture(const QString &home, bool signedIn, CloudStore *cloud, NativeFileClient *files,
                                 std::function<bool()> notchEnabled)
{
    if (!cloud) {
        auto scriptedApi = std::make_unique<ScriptedTransport>();
        auto scriptedVault = std::make_unique<ScriptedVault>();
        api = scriptedApi.get();
        vault = scriptedVault.get();
        if (signedIn)
            vault->entries.insert(QStringLiteral("session"), ScriptedTransport::sessionFor(QStringLiteral("user-1")).toJson());
        cloud = new CloudStore(std::move(scriptedApi), std::move(scriptedVault));
    }
    CaptureStoreOptions options;
    options.draft = DraftFile {home + QStringLiteral("/drafts/draft.json")};
    options.notchEnabled = notchEnabled ? std::move(notchEnabled) : [] { return true; };
    options.cloud = cloud;
    options.fileClient = files;
    options.outboxRoot = home + QStringLiteral("/outbox");
    store = std::make_unique<CaptureStore>(options);
    if (signedIn && api)
        awaitTask(store->cloud()->restore());
}
