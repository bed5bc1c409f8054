// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace platform {

// The current keyboard layout: which text a physical key types, and which physical key a native
// key event came from. Key positions are Carbon virtual key codes (US-ANSI positions).
class Keyboard
{
public:
    virtual ~Keyboard() = default;

    // The text the key at `carbonKeyCode` types in the current layout and group with no modifier
    // held, exactly as the layout gives it (it may be more than one character). None when the
    // layout cannot be read, the key has no position on this keyboard, or it is a dead key.
    virtual std::optional<QString> textForKeyCode(qint64 carbonKeyCode) const = 0;

    // The Carbon key code of the physical key a native key event reports (a QKeyEvent's
    // nativeScanCode()); none for a key with no Carbon position.
    virtual std::optional<quint16> keyCodeForNativeScanCode(quint32 nativeScanCode) const = 0;
};

} // namespace platform
