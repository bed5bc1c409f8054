// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace GlobalShortcuts {

// The module's own string table: "record_shortcut", "press_shortcut", "space_key",
// "keyboard_shortcut_used_by_menu_item" (one %1 placeholder), "keyboard_shortcut_disallowed",
// "keyboard_shortcut_used_by_system", "keyboard_shortcuts_can_be_changed", "ok",
// "force_use_shortcut". Answers the English text (translated through Qt's translators under the
// context "GlobalShortcuts"); an unknown key answers the empty text.
QString localized(const char *key);

// The platform's word capitalisation: in each word (text between white space) the first character
// in title case and the rest in lower case ("a" shows as "A", "space bar" as "Space Bar").
QString capitalized(const QString &text);

} // namespace GlobalShortcuts
