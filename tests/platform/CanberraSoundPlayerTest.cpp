// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/CanberraSoundPlayer.h"

#include <gtest/gtest.h>

using platform::linux_impl::CanberraSoundPlayer;

namespace {

TEST(CanberraSoundPlayer, ResolvesTheProgramsSoundsFromTheTheme)
{
    CanberraSoundPlayer player;
    EXPECT_EQ(CanberraSoundPlayer::eventIdFor(QStringLiteral("Glass")), QStringLiteral("complete"));
    EXPECT_EQ(player.soundNamed(QStringLiteral("Ping")), nullptr);
    EXPECT_EQ(player.soundNamed(QStringLiteral("glass")), nullptr);
    EXPECT_TRUE(player.soundNamed(QStringLiteral("Tink")) &&
                player.soundNamed(QStringLiteral("Glass")) &&
                player.soundNamed(QStringLiteral("Basso")))
        << "is sound-theme-freedesktop installed?";
    // Stopping a sound that is not playing is harmless.
    if (auto sound = player.soundNamed(QStringLiteral("Glass")))
        sound->stop();
}

TEST(CanberraSoundPlayer, TheSoundsPlayAndAStoppedOnePlaysAgain)
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        GTEST_SKIP() << "needs the test audio server (scripts/with-test-env.sh)";
    CanberraSoundPlayer player;
    auto start = player.soundNamed(QStringLiteral("Tink"));
    auto stop = player.soundNamed(QStringLiteral("Glass"));
    auto warning = player.soundNamed(QStringLiteral("Basso"));
    ASSERT_TRUE(start && stop && warning) << "is sound-theme-freedesktop installed?";

    EXPECT_TRUE(stop->play());
    stop->stop();
    EXPECT_TRUE(stop->play()) << "a stopped sound plays again";
    EXPECT_TRUE(start->play());
    warning->stop();
    // The test microphone hears the test speakers: leave nothing playing for the next test.
    stop->stop();
    start->stop();
}

} // namespace
