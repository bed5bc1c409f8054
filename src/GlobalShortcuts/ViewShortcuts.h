// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/EventStream.h"
#include "GlobalShortcuts/Name.h"

#include <functional>

class QAbstractButton;
class QWidget;

// Code run by a named shortcut inside the program's own windows. Main thread only; each returns
// the widget it was given, and what it adds ends with that widget.
namespace GlobalShortcuts {

// Calls `perform` with every press and release of the name's shortcut while `view` is shown
// (see ShortcutEventTask). The "Global" spellings do the same.
QWidget &onKeyboardShortcut(QWidget &view, const Name &name,
                            std::function<void(EventType)> perform);
QWidget &onGlobalKeyboardShortcut(QWidget &view, const Name &name,
                                  std::function<void(EventType)> perform);
// The same for the presses only, or the releases only.
QWidget &onKeyboardShortcut(QWidget &view, const Name &name, EventType type,
                            std::function<void()> perform);
QWidget &onGlobalKeyboardShortcut(QWidget &view, const Name &name, EventType type,
                                  std::function<void()> perform);

// The name's stored shortcut clicks `button` while the application is active (see
// GlobalKeyboardShortcutModifier).
QAbstractButton &globalKeyboardShortcut(QAbstractButton &button, const Name &name);

} // namespace GlobalShortcuts
