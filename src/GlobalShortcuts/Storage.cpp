// SPDX-License-Identifier: GPL-3.0-or-later
#include "Storage.h"

#include "GlobalShortcuts/ModuleContext.h"
#include "platform/UserDefaults.h"

namespace GlobalShortcuts {

namespace {

platform::UserDefaults &store()
{
    return ModuleContext::current().userDefaults();
}

// Releases the hot key of a shortcut `name` no longer stands for, by the module's one rule.
void releaseHotKey(const Shortcut &old, const Name &name)
{
    ModuleContext::current().releaseUnlessShared(old, {name});
}

} // namespace

QString storageKey(const Name &name)
{
    return QLatin1String(storageKeyPrefix) + name.rawValue();
}

std::optional<Shortcut> getShortcut(const Name &name)
{
    // Only a string can hold a shortcut; a stored false (or any other type) reads as none.
    const auto text = store().string(storageKey(name));
    if (!text)
        return std::nullopt;
    return Shortcut::fromJson(text->toUtf8());
}

void storeShortcut(const Shortcut &shortcut, const Name &name)
{
    const QByteArray json = shortcut.toJson();
    if (json.isEmpty())
        return;
    ModuleContext &context = ModuleContext::current();
    if (const auto old = getShortcut(name))
        releaseHotKey(*old, name);
    context.registerIfNeeded(shortcut);
    store().setString(storageKey(name), QString::fromUtf8(json));
    postShortcutChange(name);
}

void setShortcut(const std::optional<Shortcut> &shortcut, const Name &name)
{
    if (shortcut) {
        storeShortcut(*shortcut, name);
        return;
    }
    const auto old = getShortcut(name);
    if (!old)
        return;
    // With a default, false remembers that the user removed it, so the default is not stored again.
    if (name.defaultShortcut())
        store().setBool(storageKey(name), false);
    else
        store().remove(storageKey(name));
    releaseHotKey(*old, name);
    postShortcutChange(name);
}

void reset(const QList<Name> &names)
{
    for (const Name &name : names) {
        if (const auto &fallback = name.defaultShortcut()) {
            storeShortcut(*fallback, name);
            continue;
        }
        const auto old = getShortcut(name);
        if (!old)
            continue;
        store().remove(storageKey(name));
        releaseHotKey(*old, name);
        postShortcutChange(name);
    }
}

void resetAll()
{
    const QSet<Name> names = storedNames();
    reset(QList<Name>(names.cbegin(), names.cend()));
}

QSet<Name> storedNames()
{
    const QLatin1String prefix(storageKeyPrefix);
    QSet<Name> names;
    for (const QString &key : store().keys()) {
        if (key.startsWith(prefix))
            names.insert(Name(key.mid(prefix.size())));
    }
    return names;
}

bool hasStoredValue(const Name &name)
{
    return store().contains(storageKey(name));
}

bool isRefusedByDesktop(const Name &name)
{
    const auto shortcut = getShortcut(name);
    return shortcut && ModuleContext::current().isRegistrationRefused(*shortcut);
}

void postShortcutChange(const Name &name)
{
    emit ModuleContext::current().notifier().shortcutByNameDidChange(name);
}

bool isEnabled()
{
    return ModuleContext::current().isEnabled();
}

void setIsEnabled(bool enabled)
{
    ModuleContext::current().setIsEnabled(enabled);
}

bool isMenuOpen()
{
    return ModuleContext::current().isMenuOpen();
}

} // namespace GlobalShortcuts
