// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/Shortcut.h"

#include <QMetaType>
#include <QString>

#include <optional>

namespace GlobalShortcuts {

// A named shortcut slot. Which combination the name stands for lives in the settings store
// (see Storage.h), so the recorder can change it without the name's owner. Equality and hashing
// use the name string only: two names with different defaults are the same name.
//
// Creating a name needs an installed ModuleContext (it may store the default and it sets up the
// menu-tracking observer once).
class Name
{
public:
    // An empty name that touches nothing; exists so the type can travel in signals and containers.
    Name() = default;
    // Stores the default when one is given and the store holds nothing at all under the name's key
    // (a stored false, meaning "the user removed it", keeps the default out).
    explicit Name(const QString &rawValue, std::optional<Shortcut> defaultShortcut = std::nullopt);

    const QString &rawValue() const { return m_rawValue; }
    const std::optional<Shortcut> &defaultShortcut() const { return m_defaultShortcut; }

    // The stored shortcut (getShortcut) and its assignment (setShortcut; none clears it).
    std::optional<Shortcut> shortcut() const;
    void setShortcut(const std::optional<Shortcut> &shortcut) const;

    friend bool operator==(const Name &a, const Name &b) { return a.m_rawValue == b.m_rawValue; }

private:
    QString m_rawValue;
    std::optional<Shortcut> m_defaultShortcut;
};

inline size_t qHash(const Name &name, size_t seed = 0) noexcept
{
    return ::qHash(name.rawValue(), seed);
}

} // namespace GlobalShortcuts

Q_DECLARE_METATYPE(GlobalShortcuts::Name)
