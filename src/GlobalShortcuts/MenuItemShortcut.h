// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/Name.h"
#include "GlobalShortcuts/Shortcut.h"

#include <optional>

class QAction;

// A menu entry that shows a shortcut beside its text. Main thread only.
namespace GlobalShortcuts {

// Shows `shortcut` on the action, or nothing when none is given (or when the key has no
// character a menu could show). A name bound earlier with setShortcutFor keeps overwriting it
// whenever that name's shortcut changes.
void setShortcut(QAction &action, const std::optional<Shortcut> &shortcut);

// Shows the name's stored shortcut and follows every later change of it, applied on the next turn
// of the event loop. No name shows nothing and ends the action's latest binding; binding again
// without detaching first keeps the earlier binding alive as well (both keep following their
// names). Every binding ends with the action.
void setShortcutFor(QAction &action, const std::optional<Name> &name);

} // namespace GlobalShortcuts
