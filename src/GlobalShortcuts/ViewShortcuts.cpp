// SPDX-License-Identifier: GPL-3.0-or-later
#include "ViewShortcuts.h"

#include "GlobalShortcuts/GlobalKeyboardShortcutModifier.h"
#include "GlobalShortcuts/ShortcutEventTask.h"

#include <QAbstractButton>

namespace GlobalShortcuts {

QWidget &onKeyboardShortcut(QWidget &view, const Name &name, std::function<void(EventType)> perform)
{
    new ShortcutEventTask(view, name, std::nullopt, std::move(perform));
    return view;
}

QWidget &onGlobalKeyboardShortcut(QWidget &view, const Name &name,
                                  std::function<void(EventType)> perform)
{
    return onKeyboardShortcut(view, name, std::move(perform));
}

QWidget &onKeyboardShortcut(QWidget &view, const Name &name, EventType type,
                            std::function<void()> perform)
{
    new ShortcutEventTask(view, name, type,
                          [perform = std::move(perform)](EventType) { perform(); });
    return view;
}

QWidget &onGlobalKeyboardShortcut(QWidget &view, const Name &name, EventType type,
                                  std::function<void()> perform)
{
    return onKeyboardShortcut(view, name, type, std::move(perform));
}

QAbstractButton &globalKeyboardShortcut(QAbstractButton &button, const Name &name)
{
    new GlobalKeyboardShortcutModifier(button, name);
    return button;
}

} // namespace GlobalShortcuts
