// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <optional>

class QAction;

namespace GlobalShortcuts {

class Shortcut;

// The program's own menu items whose key equivalent is this combination, so the recorder can
// refuse a shortcut that one of them already answers to.
class MenuItemSearch final
{
public:
    // The first item, depth first in the order given (submenus searched after their item), whose
    // shortcut is exactly the combination: same key and the same modifiers.
    static QAction *menuItemWithMatchingShortcut(const QList<QAction *> &items,
                                                 const Shortcut &shortcut);
    // The items of the program's menus: every menu bar and every menu that is nobody's submenu.
    static QList<QAction *> applicationMenuItems();
    // The title of the program's command the combination already triggers: a menu item as
    // above, else a button or action one of the program's windows binds to it (Quit in the tray
    // window). Shortcuts a button takes from a mnemonic in its text do not count.
    static std::optional<QString> applicationCommandWithMatchingShortcut(const Shortcut &shortcut);
    // The item's title as a person reads it (mnemonic marks and the shortcut column left out).
    static QString title(const QAction *item);
    static QString title(const QString &itemText);
};

} // namespace GlobalShortcuts
