// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace GlobalShortcuts {

// The one character (one grapheme) the key types in the user's current layout with no modifier,
// read through the module context's keyboard. None for special keys (never translated), without
// a keyboard, for dead keys, and when the layout gives no text or more than one character.
std::optional<QString> keyToCharacter(qint64 carbonKeyCode);

// True when the environment held "APP_SANDBOX_CONTAINER_ID" at first use (its value is ignored).
bool isSandboxed();

} // namespace GlobalShortcuts
