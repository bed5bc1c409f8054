// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

// The current keyboard layout: which character a key types.
// Its operations are added with the first code that calls them.
class Keyboard
{
public:
    virtual ~Keyboard() = default;
};

} // namespace platform
