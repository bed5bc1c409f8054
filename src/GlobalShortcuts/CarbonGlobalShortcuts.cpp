// SPDX-License-Identifier: GPL-3.0-or-later
#include "CarbonGlobalShortcuts.h"

#include "GlobalShortcuts/Modifiers.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "platform/HotKeyService.h"

#include <QLoggingCategory>

#include <cstdio>
#include <limits>

Q_LOGGING_CATEGORY(lcGlobalShortcuts, "parlovox.globalshortcuts", QtInfoMsg)

namespace GlobalShortcuts {

using platform::HotKeyEvent;
using platform::HotKeyService;

namespace {

void reportRegistrationError(const Shortcut &shortcut, int status)
{
    const QByteArray description = shortcut.description().toUtf8();
    std::printf("Error registering hotkey %s: %d\n", description.constData(), status);
    std::fflush(stdout);
    // The shortcut stays stored and shown, yet nothing will ever trigger it.
    qCCritical(lcGlobalShortcuts,
               "[GlobalShortcuts] Hotkey %s is not active: the desktop refused it (%d)",
               description.constData(), status);
}

bool fitsUnsigned32(qint64 value)
{
    return value >= 0 && value <= qint64(std::numeric_limits<std::uint32_t>::max());
}

// Only command, shift, option, control and function survive the round trip.
std::uint32_t normalisedModifiers(qint64 carbonModifiers)
{
    return static_cast<std::uint32_t>(carbonFromCocoa(cocoaFromCarbon(carbonModifiers)));
}

} // namespace

CarbonGlobalShortcuts::CarbonGlobalShortcuts(ModuleContext &context, HotKeyService &service)
    : m_context(context), m_service(service)
{}

CarbonGlobalShortcuts::~CarbonGlobalShortcuts()
{
    if (m_handlerInstalled) {
        m_service.setHotKeyEventsEnabled(false);
        m_service.setRawKeyEventsEnabled(false);
        m_service.installEventHandler({});
    }
}

void CarbonGlobalShortcuts::registerHotKey(const Shortcut &shortcut, Action onKeyDown,
                                           Action onKeyUp)
{
    const std::uint32_t id = ++m_hotKeyIdCounter;
    HotKeyService::Registration registration;
    if (fitsUnsigned32(shortcut.carbonKeyCode()) && fitsUnsigned32(shortcut.carbonModifiers())) {
        registration = m_service.registerHotKey(
            static_cast<std::uint32_t>(shortcut.carbonKeyCode()),
            static_cast<std::uint32_t>(shortcut.carbonModifiers()), {signature, id});
    } else {
        registration.status = HotKeyService::eventHotKeyInvalidErr; // never asked of the desktop
    }
    if (registration.status != HotKeyService::noErr || !registration.hotKey) {
        reportRegistrationError(shortcut, registration.status);
        m_context.setRegistrationRefused(shortcut, true);
        return;
    }
    m_hotKeys.emplace(id, HotKey{shortcut, id, std::move(registration.hotKey), std::move(onKeyDown),
                                 std::move(onKeyUp)});
    m_context.setRegistrationRefused(shortcut, false);
    installHandlerIfNeeded();
}

void CarbonGlobalShortcuts::installHandlerIfNeeded()
{
    if (m_handlerInstalled)
        return;
    // A refusal is silent; the next successful registration tries again.
    if (!m_service.installEventHandler(
            [this](const HotKeyEvent &event) { return handleEvent(event); }))
        return;
    m_handlerInstalled = true;
    updateEventHandler();
}

void CarbonGlobalShortcuts::unregisterHotKey(const Shortcut &shortcut)
{
    for (auto it = m_hotKeys.begin(); it != m_hotKeys.end();) {
        const Shortcut &held = it->second.shortcut;
        if (held.carbonKeyCode() == shortcut.carbonKeyCode() &&
            held.carbonModifiers() == shortcut.carbonModifiers())
            it = m_hotKeys.erase(it); // dropping the registration gives the hot key back
        else
            ++it;
    }
    m_context.setRegistrationRefused(shortcut, false); // no longer wanted
}

void CarbonGlobalShortcuts::unregisterAll()
{
    for (auto &[id, hotKey] : m_hotKeys)
        hotKey.carbonHotKey.reset();
    m_service.setHotKeyEventsEnabled(false);
}

void CarbonGlobalShortcuts::registerUnregisteredHotKeys()
{
    for (auto it = m_hotKeys.begin(); it != m_hotKeys.end();) {
        HotKey &hotKey = it->second;
        if (hotKey.carbonHotKey) {
            ++it;
            continue;
        }
        auto registration =
            m_service.registerHotKey(static_cast<std::uint32_t>(hotKey.shortcut.carbonKeyCode()),
                                     static_cast<std::uint32_t>(hotKey.shortcut.carbonModifiers()),
                                     {signature, hotKey.carbonHotKeyId});
        if (registration.status == HotKeyService::noErr && registration.hotKey) {
            hotKey.carbonHotKey = std::move(registration.hotKey);
            ++it;
        } else {
            // The shortcut stays in registeredShortcuts: the module still counts it as enabled.
            reportRegistrationError(hotKey.shortcut, registration.status);
            m_context.setRegistrationRefused(hotKey.shortcut, true);
            it = m_hotKeys.erase(it);
        }
    }
}

void CarbonGlobalShortcuts::updateEventHandler()
{
    if (!m_handlerInstalled)
        return;
    // A menu open holds the keyboard, so its keys come as the program's own key events (raw key
    // events) while the hot keys are suspended.
    if (m_context.isEnabled() && m_context.isMenuOpen()) {
        unregisterAll();
        m_service.setRawKeyEventsEnabled(true);
    } else if (m_context.isEnabled()) {
        registerUnregisteredHotKeys();
        m_service.setRawKeyEventsEnabled(false);
        m_service.setHotKeyEventsEnabled(true);
    } else {
        unregisterAll();
        m_service.setRawKeyEventsEnabled(false);
    }
}

int CarbonGlobalShortcuts::handleEvent(const HotKeyEvent &event)
{
    switch (event.kind) {
    case HotKeyEvent::Kind::rawKeyDown:
    case HotKeyEvent::Kind::rawKeyUp:
        return handleRawKeyEvent(event);
    case HotKeyEvent::Kind::hotKeyPressed:
    case HotKeyEvent::Kind::hotKeyReleased:
        return handleHotKeyEvent(event);
    }
    return HotKeyService::eventNotHandledErr;
}

int CarbonGlobalShortcuts::handleHotKeyEvent(const HotKeyEvent &event)
{
    if (event.hotKeyId.signature != signature)
        return HotKeyService::eventNotHandledErr; // someone else's hot key
    const auto it = m_hotKeys.find(event.hotKeyId.id);
    if (it == m_hotKeys.end())
        return HotKeyService::eventNotHandledErr;
    // The action may replace the record (storing another shortcut), so it runs from copies.
    const Shortcut shortcut = it->second.shortcut;
    const Action action =
        event.kind == HotKeyEvent::Kind::hotKeyPressed ? it->second.onKeyDown : it->second.onKeyUp;
    if (action)
        action(shortcut);
    return HotKeyService::noErr;
}

int CarbonGlobalShortcuts::handleRawKeyEvent(const HotKeyEvent &event)
{
    const std::uint32_t modifiers = normalisedModifiers(event.modifiers);
    for (const auto &[id, hotKey] : m_hotKeys) {
        if (hotKey.shortcut.carbonKeyCode() != qint64(event.keyCode) ||
            hotKey.shortcut.carbonModifiers() != qint64(modifiers))
            continue;
        const Shortcut shortcut = hotKey.shortcut;
        const Action action =
            event.kind == HotKeyEvent::Kind::rawKeyUp ? hotKey.onKeyUp : hotKey.onKeyDown;
        if (action)
            action(shortcut);
        return HotKeyService::noErr;
    }
    return HotKeyService::eventNotHandledErr;
}

QList<Shortcut> CarbonGlobalShortcuts::systemHotKeys() const
{
    QList<Shortcut> shortcuts;
    for (const auto &key : m_service.systemHotKeys())
        if (key.enabled)
            shortcuts << Shortcut(key.keyCode, normalisedModifiers(key.modifiers));
    return shortcuts;
}

int CarbonGlobalShortcuts::trialRegistration(const Shortcut &shortcut)
{
    for (const auto &[id, hotKey] : m_hotKeys)
        if (hotKey.carbonHotKey && hotKey.shortcut.carbonKeyCode() == shortcut.carbonKeyCode() &&
            hotKey.shortcut.carbonModifiers() == shortcut.carbonModifiers())
            return HotKeyService::noErr;
    if (!fitsUnsigned32(shortcut.carbonKeyCode()) || !fitsUnsigned32(shortcut.carbonModifiers()))
        return HotKeyService::eventHotKeyInvalidErr;
    // Its own signature: no event of ours ever carries it, and the grab is gone again at once.
    constexpr std::uint32_t trialSignature = 0x50565452; // "PVTR"
    const auto registration = m_service.registerHotKey(
        static_cast<std::uint32_t>(shortcut.carbonKeyCode()),
        static_cast<std::uint32_t>(shortcut.carbonModifiers()), {trialSignature, 0});
    if (registration.status == HotKeyService::noErr && !registration.hotKey)
        return HotKeyService::eventInternalErr;
    return registration.status;
}

QList<std::uint32_t> CarbonGlobalShortcuts::hotKeyIds() const
{
    QList<std::uint32_t> ids;
    for (const auto &[id, hotKey] : m_hotKeys)
        ids << id;
    return ids;
}

} // namespace GlobalShortcuts
