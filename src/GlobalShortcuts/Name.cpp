// SPDX-License-Identifier: GPL-3.0-or-later
#include "Name.h"

#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/Storage.h"

namespace GlobalShortcuts {

Name::Name(const QString &rawValue, std::optional<Shortcut> defaultShortcut)
    : m_rawValue(rawValue), m_defaultShortcut(std::move(defaultShortcut))
{
    if (m_defaultShortcut && !hasStoredValue(*this))
        storeShortcut(*m_defaultShortcut, *this);
    ModuleContext::current().initializeIfNeeded();
}

std::optional<Shortcut> Name::shortcut() const
{
    return getShortcut(*this);
}

void Name::setShortcut(const std::optional<Shortcut> &shortcut) const
{
    GlobalShortcuts::setShortcut(shortcut, *this);
}

} // namespace GlobalShortcuts
