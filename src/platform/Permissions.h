// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

namespace platform {

// Permission queries and requests: Accessibility, posting and listening to input events, and the
// microphone. Queries are cheap enough to poll every second.
class Permissions
{
public:
    virtual ~Permissions() = default;

    // Whether the program may drive other applications (read their UI, synthesise input).
    virtual bool isProcessTrusted() const = 0;
    // The same test, also asking the system to show its grant prompt when not trusted.
    virtual bool isProcessTrustedWithPrompt() = 0;

    // Whether synthetic keyboard events may be posted to the session.
    virtual bool preflightPostEventAccess() const = 0;
    // Asks for that access (the system may prompt); answers whether it is granted now.
    virtual bool requestPostEventAccess() = 0;
    // Whether global input events may be observed.
    virtual bool preflightListenEventAccess() const = 0;
    // Forgets the Accessibility grant the system keeps for `applicationIdentifier`, so that a
    // grant made for an earlier build stops standing in the way of a new one. Returns once done;
    // failures are not reported.
    virtual void resetAccessibilityGrant(const QString &applicationIdentifier) = 0;

    // Whether microphone access is authorised.
    virtual bool microphoneAuthorized() const = 0;
    // Asks for microphone access. `completion` receives the answer exactly once, possibly before
    // this call returns; it runs on the main thread.
    virtual void requestMicrophoneAccess(std::function<void(bool granted)> completion) = 0;
};

} // namespace platform
