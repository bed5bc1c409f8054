// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <Qt>

#include <optional>

namespace GlobalShortcuts {

// Keys that type no ordinary character. `return` and `delete` carry a trailing underscore.
// clang-format off
enum class SpecialKey {
    return_, delete_, deleteForward, end, escape, help, home, space, tab, pageUp, pageDown,
    upArrow, rightArrow, downArrow, leftArrow,
    f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17, f18, f19, f20,
    keypad0, keypad1, keypad2, keypad3, keypad4, keypad5, keypad6, keypad7, keypad8, keypad9,
    keypadClear, keypadDecimal, keypadDivide, keypadEnter, keypadEquals, keypadMinus,
    keypadMultiply, keypadPlus,
};
// clang-format on

// Carbon key code to special key, for all 53 of them.
const QHash<qint64, SpecialKey> &keyToSpecialKey();
std::optional<SpecialKey> specialKeyForKeyCode(qint64 carbonKeyCode);

// The text a shortcut shows for the key: arrows and other symbols, "F1"…"F20", keypad keys as
// their character in a keycap, and the capitalised localised word for space.
QString displayText(SpecialKey key);
// The key equivalent a menu item takes; none for keypad keys. Function keys are the platform's
// private-use characters U+F704 (F1) onwards.
std::optional<QString> menuKeyEquivalent(SpecialKey key);
// The Qt key a key sequence uses for it; none for keypad keys.
std::optional<Qt::Key> keyEquivalent(SpecialKey key);

// The platform's function-key characters F1 through F35 (U+F704…U+F726): a shortcut on one of
// these keys needs no modifier.
const QSet<char16_t> &functionKeys();
// The function-key character of a special key (F1…F20), if it is one.
std::optional<char16_t> functionKeyCharacter(SpecialKey key);

} // namespace GlobalShortcuts
