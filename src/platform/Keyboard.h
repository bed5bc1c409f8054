// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace platform {

// The current keyboard layout: which text a physical key types. Key positions are Carbon virtual
// key codes (US-ANSI positions).
class Keyboard
{
public:
    virtual ~Keyboard() = default;

    // The text the key at `carbonKeyCode` types with no modifier held in the current ASCII-capable
    // layout (one that types Latin letters, even while another layout is in effect), exactly as
    // the layout gives it (it may be more than one character). None when the layout cannot be
    // read, the key has no position on this keyboard, or it is a dead key.
    virtual std::optional<QString> textForKeyCode(qint64 carbonKeyCode) const = 0;
};

} // namespace platform
