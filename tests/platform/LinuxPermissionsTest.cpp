// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/LinuxPermissions.h"
#include "platform/linux/XInputRawKeyWatcher.h"
#include "support/ChildProcessCounter.h"

#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

using platform::linux_impl::LinuxPermissions;

TEST(LinuxPermissions, AnXServerWithXtestAndXInput2GrantsPostingAndListening)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "no X display";
    LinuxPermissions permissions;
    EXPECT_TRUE(permissions.isProcessTrusted());
    EXPECT_TRUE(permissions.preflightPostEventAccess());
    EXPECT_TRUE(permissions.requestPostEventAccess());
    EXPECT_TRUE(permissions.preflightListenEventAccess());
}

TEST(LinuxPermissions, ListeningNeedsXInputTwoPointTwo)
{
    using platform::linux_impl::XInputRawKeyWatcher;
    // A 2.0 or 2.1 server is refused, not taken for a working one.
    EXPECT_FALSE(XInputRawKeyWatcher::isSufficientVersion(1, 5));
    EXPECT_FALSE(XInputRawKeyWatcher::isSufficientVersion(2, 0));
    EXPECT_FALSE(XInputRawKeyWatcher::isSufficientVersion(2, 1));
    EXPECT_TRUE(XInputRawKeyWatcher::isSufficientVersion(2, 2));
    EXPECT_TRUE(XInputRawKeyWatcher::isSufficientVersion(2, 4));
    EXPECT_TRUE(XInputRawKeyWatcher::isSufficientVersion(3, 0));
}

TEST(LinuxPermissions, NoDisplayMeansNothingCanBePostedAndNoGrantToForget)
{
    const QByteArray saved = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    LinuxPermissions permissions;
    const bool trusted = permissions.isProcessTrusted();
    const bool listen = permissions.preflightListenEventAccess();
    if (!saved.isEmpty())
        qputenv("DISPLAY", saved);
    EXPECT_FALSE(trusted);
    EXPECT_FALSE(listen);

    // What a start without XTEST asks for: no grant is kept per program, so nothing runs.
    testsupport::ChildProcessCounter children;
    permissions.resetAccessibilityGrant(QStringLiteral("org.parlovox.Parlovox"));
    EXPECT_EQ(children.ended(), 0);
}

TEST(LinuxPermissions, TheMicrophoneRequestAnswersAtOnceWithTheCurrentStatus)
{
    LinuxPermissions permissions;
    int answers = 0;
    bool granted = false;
    permissions.requestMicrophoneAccess([&](bool answer) {
        ++answers;
        granted = answer;
    });
    EXPECT_EQ(answers, 1);
    EXPECT_EQ(granted, permissions.microphoneAuthorized());
    // The test desktop provides a virtual microphone.
    if (!qEnvironmentVariableIsEmpty("PARLOVOX_TEST_SINK")) {
        EXPECT_TRUE(granted);
    }
}
