// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <Qt>

#include <cstdint>
#include <optional>

struct xcb_connection_t;

// What the X11 hot-key service needs to know about the display's keyboard and our connection.
namespace platform::linux_impl::xcbkeys {

// The X modifier bits of the chord part of a grab (Shift, Control, Alt, Super).
constexpr std::uint16_t chordMask = 0x1 | 0x4 | 0x8 | 0x40;
constexpr std::uint16_t lockMask = 0x2;

// The program's own X connection; none unless Qt runs on xcb.
xcb_connection_t *applicationConnection();
// Option is Alt (Mod1) and command is Super (Mod4), as on every common X keyboard map. The
// function modifier has no X counterpart: a combination with it cannot be grabbed.
std::optional<std::uint16_t> xModifiersForCarbon(std::uint32_t carbonModifiers);
std::uint32_t carbonModifiersForQt(Qt::KeyboardModifiers modifiers);
// The modifier bit the Num Lock key sets; Mod2 when the keyboard map does not say.
std::uint16_t numLockMask(xcb_connection_t *connection);
// Asks the server to send a held key's repeats as presses only, without releases in between.
bool enableDetectableAutoRepeat(xcb_connection_t *connection);

} // namespace platform::linux_impl::xcbkeys
