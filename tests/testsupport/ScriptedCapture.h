#pragma once

#include "stores/CaptureStore.h"

#include <functional>
#include <memory>

class ScriptedTransport;
class ScriptedVault;

// A capture store whose drafts and outbox live under `home` and whose cloud
// store talks to a scripted transport and vault (unless one is given),
// signed in as "user-1" when asked; the notch companion is on unless told.
struct ScriptedCapture
{
    ScriptedCapture(const QString &home, bool signedIn, vorno::CloudStore *cloud = nullptr,
                    vorno::NativeFileClient *files = nullptr, std::function<bool()> notchEnabled = {});

    std::unique_ptr<vorno::CaptureStore> store;
    ScriptedTransport *api = nullptr; // owned by the store; null for a given cloud store
    ScriptedVault *vault = nullptr;
};
