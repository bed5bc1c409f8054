// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundManager.h"

SoundManager::SoundManager(platform::SoundPlayer &player)
    : m_startSound(player.soundNamed(QStringLiteral("Tink"))),
      m_stopSound(player.soundNamed(QStringLiteral("Glass"))),
      m_warningSound(player.soundNamed(QStringLiteral("Basso")))
{}

SoundManager::~SoundManager() = default;

void SoundManager::play(platform::SoundPlayer::Sound *sound)
{
    if (!sound)
        return;
    sound->stop();
    sound->play();
}
