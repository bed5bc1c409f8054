// SPDX-License-Identifier: GPL-3.0-or-later
#include "MenuItemSearch.h"

#include "GlobalShortcuts/Shortcut.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

namespace GlobalShortcuts {

namespace {

bool isSubmenu(const QMenu *menu)
{
    for (const QObject *owner : menu->menuAction()->associatedObjects())
        if (qobject_cast<const QMenu *>(owner) || qobject_cast<const QMenuBar *>(owner))
            return true;
    return false;
}

} // namespace

QAction *MenuItemSearch::menuItemWithMatchingShortcut(const QList<QAction *> &items,
                                                      const Shortcut &shortcut)
{
    const auto wanted = shortcut.toKeySequence();
    for (QAction *item : items) {
        // Qt spells a capital letter as its key with Shift, so comparing key and modifiers of
        // the combination also covers a key equivalent written in upper case.
        if (wanted) {
            for (const QKeySequence &sequence : item->shortcuts())
                if (sequence.count() == 1 && sequence[0] == (*wanted)[0])
                    return item;
        }
        if (QMenu *submenu = item->menu())
            if (QAction *found = menuItemWithMatchingShortcut(submenu->actions(), shortcut))
                return found;
    }
    return nullptr;
}

QList<QAction *> MenuItemSearch::applicationMenuItems()
{
    QList<QAction *> items;
    for (QWidget *widget : QApplication::allWidgets()) {
        if (auto *bar = qobject_cast<QMenuBar *>(widget))
            items += bar->actions();
        else if (auto *menu = qobject_cast<QMenu *>(widget); menu && !isSubmenu(menu))
            items += menu->actions();
    }
    return items;
}

std::optional<QString>
MenuItemSearch::applicationCommandWithMatchingShortcut(const Shortcut &shortcut)
{
    if (const QAction *item = menuItemWithMatchingShortcut(applicationMenuItems(), shortcut))
        return title(item);
    const auto wanted = shortcut.toKeySequence();
    if (!wanted)
        return std::nullopt;
    const auto matches = [&wanted](const QKeySequence &sequence) {
        return sequence.count() == 1 && sequence[0] == (*wanted)[0];
    };
    // Hidden ones too: the tray window's commands answer whenever it is open.
    for (QWidget *widget : QApplication::allWidgets()) {
        if (auto *button = qobject_cast<QAbstractButton *>(widget);
            button && matches(button->shortcut()) &&
            button->shortcut() != QKeySequence::mnemonic(button->text()))
            return title(button->text());
        for (const QAction *action : widget->actions())
            for (const QKeySequence &sequence : action->shortcuts())
                if (matches(sequence))
                    return title(action);
    }
    return std::nullopt;
}

QString MenuItemSearch::title(const QAction *item)
{
    return title(item->text());
}

QString MenuItemSearch::title(const QString &itemText)
{
    QString text = itemText;
    text = text.section(QLatin1Char('\t'), 0, 0);
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

} // namespace GlobalShortcuts
