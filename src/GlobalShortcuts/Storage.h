// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/Name.h"
#include "GlobalShortcuts/Shortcut.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// Named shortcuts in the installed ModuleContext's settings store. The key is "GlobalShortcuts_"
// followed by the name; the value is the shortcut's JSON text, or the Boolean false once the user
// removed a shortcut that has a default. Anything else under the key reads as no shortcut.
// Every write keeps the hot-key registration (ModuleContext::registeredShortcuts) in step and
// emits Notifier::shortcutByNameDidChange. All of this runs on the main thread and never fails
// loudly: an unreadable value is no shortcut.
namespace GlobalShortcuts {

inline constexpr auto storageKeyPrefix = "GlobalShortcuts_";
QString storageKey(const Name &name);

// Reads the store afresh every time (nothing is cached).
std::optional<Shortcut> getShortcut(const Name &name);
// Stores the shortcut, or clears it when none is given (removing the key, or storing false when
// the name has a default). Clearing a name that reads no shortcut does nothing at all.
void setShortcut(const std::optional<Shortcut> &shortcut, const Name &name);
// Unregisters the previously stored hot key, registers the new one, writes and notifies, even
// when the same combination is stored again.
void storeShortcut(const Shortcut &shortcut, const Name &name);

// Back to each name's default (stored and notified whatever was there); a name without default
// loses a valid stored shortcut and keeps a stored false or unreadable text.
void reset(const QList<Name> &names);
template <typename... Names> void reset(const Name &first, const Names &...rest)
{
    reset(QList<Name>{first, rest...});
}
// Resets every stored name. Names rebuilt from the store carry no default, so defaults are not
// restored: every valid stored shortcut is removed.
void resetAll();

// Every name with a key in the store (whatever its value), without defaults.
QSet<Name> storedNames();
// Whether the store holds any value under the name's key.
bool hasStoredValue(const Name &name);
// Whether the name's stored shortcut is stored but triggers nothing, because the desktop
// refused its hot key (ModuleContext::isRegistrationRefused).
bool isRefusedByDesktop(const Name &name);
// Emits the change signal of the module's notifier for the name.
void postShortcutChange(const Name &name);

// The module-wide switch: while false no hot key is active. Changing it updates the hot-key layer.
bool isEnabled();
void setIsEnabled(bool enabled);

// Whether one of the application's menus is open (followed by the module's menu-tracking observer).
bool isMenuOpen();

} // namespace GlobalShortcuts
