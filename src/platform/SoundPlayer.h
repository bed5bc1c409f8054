// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

// Named system sounds.
// Its operations are added with the first code that calls them.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
};

} // namespace platform
