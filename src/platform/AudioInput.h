// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

// Microphone recording into a WAV file with a level meter.
// Its operations are added with the first code that calls them.
class AudioInput
{
public:
    virtual ~AudioInput() = default;
};

} // namespace platform
