// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SoundPlayer.h"

#include <memory>

// The three short system sounds of the dictation cycle, loaded once. A name the system cannot
// resolve leaves its sound empty, and playing it then does nothing.
class SoundManager final
{
public:
    explicit SoundManager(platform::SoundPlayer &player);
    ~SoundManager();
    SoundManager(const SoundManager &) = delete;
    SoundManager &operator=(const SoundManager &) = delete;

    // "Tink": a recording starts.
    platform::SoundPlayer::Sound *startSound() const { return m_startSound.get(); }
    // "Glass": a transcript was obtained.
    platform::SoundPlayer::Sound *stopSound() const { return m_stopSound.get(); }
    // "Basso": the recording stops automatically soon.
    platform::SoundPlayer::Sound *warningSound() const { return m_warningSound.get(); }

    // Restarts `sound` from its beginning (cutting off an earlier play); nothing when empty.
    static void play(platform::SoundPlayer::Sound *sound);
    void playStartSound() const { play(startSound()); }
    void playStopSound() const { play(stopSound()); }
    void playWarningSound() const { play(warningSound()); }

private:
    std::unique_ptr<platform::SoundPlayer::Sound> m_startSound;
    std::unique_ptr<platform::SoundPlayer::Sound> m_stopSound;
    std::unique_ptr<platform::SoundPlayer::Sound> m_warningSound;
};
