// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Permissions.h"

#include <optional>

namespace platform::linux_impl {

// On an X11 desktop nothing is granted per application: whoever can talk to the display may
// synthesise input (XTEST) and watch raw input (XInput 2), and whoever can reach the audio server
// may record. So each "permission" is whether the facility exists in this session.
class LinuxPermissions final : public Permissions
{
public:
    bool isProcessTrusted() const override;
    bool isProcessTrustedWithPrompt() override { return isProcessTrusted(); }
    bool preflightPostEventAccess() const override { return isProcessTrusted(); }
    bool requestPostEventAccess() override { return isProcessTrusted(); }
    bool preflightListenEventAccess() const override;
    // No grant is kept per application, so there is none to forget: nothing runs.
    void resetAccessibilityGrant(const QString &) override {}
    bool microphoneAuthorized() const override;
    void requestMicrophoneAccess(std::function<void(bool granted)> completion) override;

private:
    struct DisplayFacts
    {
        bool xtest = false;
        bool xinput2 = false;
    };
    // The display's extensions do not change while it runs, so one look is enough; a display
    // that could not be reached is looked at again next time.
    DisplayFacts displayFacts() const;

    mutable std::optional<DisplayFacts> m_facts;
};

} // namespace platform::linux_impl
