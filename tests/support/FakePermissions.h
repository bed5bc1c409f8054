// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Permissions.h"

#include <QList>
#include <QStringList>

namespace testsupport {

// Permissions the test sets; microphone requests wait until the test answers them.
class FakePermissions final : public platform::Permissions
{
public:
    bool isProcessTrusted() const override { return trusted; }
    bool isProcessTrustedWithPrompt() override
    {
        ++trustPrompts;
        return trusted;
    }
    bool preflightPostEventAccess() const override { return postEvents; }
    bool requestPostEventAccess() override
    {
        ++postEventRequests;
        return postEvents;
    }
    bool preflightListenEventAccess() const override { return listenEvents; }
    void resetAccessibilityGrant(const QString &applicationIdentifier) override
    {
        accessibilityResets.append(applicationIdentifier);
    }
    bool microphoneAuthorized() const override { return microphone; }
    void requestMicrophoneAccess(std::function<void(bool granted)> completion) override
    {
        m_pendingMicrophoneRequests.append(std::move(completion));
    }

    int pendingMicrophoneRequests() const { return int(m_pendingMicrophoneRequests.size()); }
    // Answers every waiting microphone request with `granted` (also stored as the status).
    void answerMicrophoneRequests(bool granted);

    bool trusted = false;
    bool postEvents = false;
    bool listenEvents = false;
    bool microphone = false;
    int trustPrompts = 0;
    int postEventRequests = 0;
    QStringList accessibilityResets;

private:
    QList<std::function<void(bool)>> m_pendingMicrophoneRequests;
};

} // namespace testsupport
