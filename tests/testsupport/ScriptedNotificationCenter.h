#pragma once

#include "platform/NotificationCenter.h"

// A notification centre that answers as told and counts what it was asked.
class ScriptedNotificationCenter : public vorno::NotificationCenter
{
public:
    bool settings = true;
    Authorization current = Authorization::unknown;
    bool grants = true;     // the answer to a request; it also sets `current`
    bool testAccepted = true;
    int requests = 0;
    int tests = 0;

    [[nodiscard]] bool hasSettings() const override { return settings; }
    QCoro::Task<Authorization> authorization() override { co_return current; }
    QCoro::Task<bool> requestAuthorization() override
    {
        ++requests;
        current = grants ? Authorization::authorized : Authorization::denied;
        co_return grants;
    }
    QCoro::Task<bool> sendTest() override
    {
        ++tests;
        co_return testAccepted;
    }
};
