// SPDX-License-Identifier: GPL-3.0-or-later
#include "MenuItemShortcut.h"

#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/ObjectAssociation.h"
#include "GlobalShortcuts/Storage.h"

#include <QAction>
#include <QPointer>

namespace GlobalShortcuts {

namespace {

// One slot on every action for its latest binding.
ObjectAssociation<QMetaObject::Connection> &bindingSlot()
{
    static ObjectAssociation<QMetaObject::Connection> association(
        AssociationPolicy::retainNonatomic);
    return association;
}

} // namespace

void setShortcut(QAction &action, const std::optional<Shortcut> &shortcut)
{
    // A menu can only show a key with a character; modifiers alone would read as nothing.
    const std::optional<QKeySequence> sequence =
        shortcut ? shortcut->toKeySequence() : std::nullopt;
    action.setShortcut(sequence.value_or(QKeySequence()));
}

void setShortcutFor(QAction &action, const std::optional<Name> &name)
{
    if (!name) {
        setShortcut(action, std::nullopt);
        if (const auto binding = bindingSlot().value(&action))
            QObject::disconnect(*binding);
        bindingSlot().setValue(&action, std::nullopt);
        return;
    }

    setShortcut(action, getShortcut(*name));
    QPointer<QAction> target(&action);
    const QMetaObject::Connection binding =
        QObject::connect(&ModuleContext::current().notifier(), &Notifier::shortcutByNameDidChange,
                         &action, [target, bound = *name](const Name &changed) {
                             if (changed.rawValue() != bound.rawValue())
                                 return;
                             // On the next turn of the event loop: the change may come from a
                             // recorder inside this very menu, which must not be rebuilt under the
                             // caller.
                             QMetaObject::invokeMethod(
                                 target,
                                 [target, bound] {
                                     if (target && ModuleContext::installed())
                                         setShortcut(*target, getShortcut(bound));
                                 },
                                 Qt::QueuedConnection);
                         });
    bindingSlot().setValue(&action, binding);
}

} // namespace GlobalShortcuts
