// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

namespace platform {

// Named system sounds.
class SoundPlayer
{
public:
    // One named sound; valid while its player lives.
    class Sound
    {
    public:
        virtual ~Sound() = default;

        // Cuts this sound off if it is playing; otherwise does nothing.
        virtual void stop() = 0;
        // Starts playing from the beginning without waiting for the end; false when it could not
        // start (for example when there is no audio server).
        virtual bool play() = 0;
    };

    virtual ~SoundPlayer() = default;

    // The system sound called `name` ("Tink", "Glass", "Basso"), or null when the system has no
    // sound of that name.
    virtual std::unique_ptr<Sound> soundNamed(const QString &name) = 0;
};

} // namespace platform
