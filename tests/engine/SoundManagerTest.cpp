// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/SoundManager.h"

#include "support/FakeSoundPlayer.h"

#include <gtest/gtest.h>

using testsupport::FakeSoundPlayer;

namespace {

TEST(SoundManager, LoadsTheThreeNamedSoundsInOrderAndRestartsThemWhenPlayed)
{
    FakeSoundPlayer player;
    SoundManager sounds(player);
    EXPECT_EQ(player.lookups(), (QStringList{"Tink", "Glass", "Basso"}));

    sounds.playStopSound();
    sounds.playStopSound();
    sounds.playStartSound();
    sounds.playWarningSound();
    EXPECT_EQ(player.transcript(), QStringLiteral("stop Glass, play Glass, stop Glass, play Glass, "
                                                  "stop Tink, play Tink, stop Basso, play Basso"));
}

TEST(SoundManager, ASoundTheSystemLacksStaysEmptyAndPlaysNothing)
{
    FakeSoundPlayer player({QStringLiteral("Tink"), QStringLiteral("Basso")});
    SoundManager sounds(player);
    EXPECT_EQ(sounds.stopSound(), nullptr);
    ASSERT_NE(sounds.startSound(), nullptr);

    sounds.playStopSound();
    SoundManager::play(nullptr);
    sounds.playStartSound();
    EXPECT_EQ(player.transcript(), QStringLiteral("stop Tink, play Tink"));
}

} // namespace
