// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Event.h"
#include "platform/ModifierFlags.h"

#include <cstdint>
#include <optional>

class QKeyEvent;
class QWindow;

// Keys in our event numbering, as the Linux event monitors report them.
namespace platform::linux_impl::modifierkeys {

// Carbon key codes 54…63 are the modifier keys; their presses and releases are flags-changed
// events.
bool isModifierKey(qint64 keyCode);
// The Cocoa flag a modifier key holds (Caps Lock toggles its flag instead of holding it).
std::uint64_t flagForModifierKey(qint64 keyCode);
constexpr std::uint64_t capsLockFlag = CocoaFlag::capsLock;

// The Carbon key code of the physical key a Qt key event of one of our windows reports; none for
// a key without a Carbon position. Only xcb's native scan codes are X key codes, so other
// platforms give none.
std::optional<qint64> carbonKeyCodeOf(const QKeyEvent &key);

// A key event of one of our windows; none for keys without a Carbon position and for repeats
// of modifier keys. Only xcb's native scan codes are X key codes, so other platforms give none.
std::optional<Event> eventFromQtKey(const QKeyEvent &key, QWindow *window);

} // namespace platform::linux_impl::modifierkeys
