// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModuleContext.h"

#include "GlobalShortcuts/HotKeyLayer.h"
#include "GlobalShortcuts/Storage.h"
#include "platform/EventMonitors.h"
#include "platform/Keyboard.h"
#include "platform/Services.h"
#include "platform/UserDefaults.h"

#include <QtGlobal>

namespace GlobalShortcuts {

namespace {
ModuleContext *installedContext = nullptr;
}

ModuleContext::ModuleContext(platform::UserDefaults &userDefaults, platform::Keyboard *keyboard,
                             platform::EventMonitors *eventMonitors)
    : m_userDefaults(userDefaults), m_keyboard(keyboard), m_eventMonitors(eventMonitors),
      m_notifier(std::make_unique<Notifier>())
{
    if (installedContext)
        qFatal("GlobalShortcuts::ModuleContext: a context is already installed");
    installedContext = this;
}

ModuleContext::ModuleContext(platform::Services &services)
    : ModuleContext(*services.userDefaults, services.keyboard.get(), services.eventMonitors.get())
{}

ModuleContext::~ModuleContext()
{
    if (installedContext == this)
        installedContext = nullptr;
}

ModuleContext &ModuleContext::current()
{
    if (!installedContext)
        qFatal("GlobalShortcuts: no ModuleContext installed");
    return *installedContext;
}

ModuleContext *ModuleContext::installed()
{
    return installedContext;
}

void ModuleContext::registerIfNeeded(const Shortcut &shortcut)
{
    if (m_registeredShortcuts.contains(shortcut))
        return;
    if (m_hotKeys)
        m_hotKeys->registerShortcut(shortcut);
    m_registeredShortcuts.insert(shortcut);
}

void ModuleContext::unregister(const Shortcut &shortcut)
{
    if (m_hotKeys)
        m_hotKeys->unregisterShortcut(shortcut);
    m_registeredShortcuts.remove(shortcut);
}

void ModuleContext::releaseUnlessShared(const Shortcut &shortcut, const QSet<Name> &lettingGo)
{
    for (const Name &other : storedNames()) {
        if (!lettingGo.contains(other) && !isDisabled(other) && getShortcut(other) == shortcut)
            return;
    }
    unregister(shortcut);
}

void ModuleContext::setRegistrationRefused(const Shortcut &shortcut, bool refused)
{
    if (m_refusedShortcuts.contains(shortcut) == refused)
        return;
    if (refused)
        m_refusedShortcuts.insert(shortcut);
    else
        m_refusedShortcuts.remove(shortcut);
    emit m_notifier->registrationRefusalDidChange();
}

void ModuleContext::reserveShortcut(const Shortcut &shortcut, const QString &usedBy)
{
    m_reservedShortcuts.insert(shortcut, usedBy);
}

std::optional<QString> ModuleContext::reservation(const Shortcut &shortcut) const
{
    const auto it = m_reservedShortcuts.constFind(shortcut);
    if (it == m_reservedShortcuts.cend())
        return std::nullopt;
    return *it;
}

void ModuleContext::setDisabled(const Name &name, bool disabled)
{
    if (disabled)
        m_disabledNames.insert(name);
    else
        m_disabledNames.remove(name);
}

void ModuleContext::setIsEnabled(bool enabled)
{
    if (m_isEnabled == enabled)
        return;
    m_isEnabled = enabled;
    if (m_hotKeys)
        m_hotKeys->updateEventHandler();
}

void ModuleContext::setIsMenuOpen(bool open)
{
    if (m_isMenuOpen == open)
        return;
    m_isMenuOpen = open;
    if (m_hotKeys)
        m_hotKeys->updateEventHandler();
}

void ModuleContext::initializeIfNeeded()
{
    if (m_initialized)
        return;
    m_initialized = true;
    if (!m_eventMonitors)
        return;
    // The notifier is the connections' context, so they end with this context.
    QObject::connect(m_eventMonitors, &platform::EventMonitors::menuDidBeginTracking,
                     m_notifier.get(), [this] { setIsMenuOpen(true); });
    QObject::connect(m_eventMonitors, &platform::EventMonitors::menuDidEndTracking,
                     m_notifier.get(), [this] { setIsMenuOpen(false); });
}

} // namespace GlobalShortcuts
