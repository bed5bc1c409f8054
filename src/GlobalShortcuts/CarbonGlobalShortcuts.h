// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/Shortcut.h"

#include <QList>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace platform {
class HotKeyRegistration;
class HotKeyService;
struct HotKeyEvent;
} // namespace platform

namespace GlobalShortcuts {

class ModuleContext;

// The hot keys the module holds with the desktop, one record per successful registration, each
// with the functions to call on its press and release. While a menu of the program is open, or
// the module is switched off, the records stay but their hot keys are given back (suspended);
// with a menu open the program's own key events stand in for the hot keys.
class CarbonGlobalShortcuts final
{
public:
    // "PVHK": marks our hot keys among the desktop's events.
    static constexpr std::uint32_t signature = 0x5056484B;

    using Action = std::function<void(const Shortcut &)>;

    CarbonGlobalShortcuts(ModuleContext &context, platform::HotKeyService &service);
    ~CarbonGlobalShortcuts();
    CarbonGlobalShortcuts(const CarbonGlobalShortcuts &) = delete;
    CarbonGlobalShortcuts &operator=(const CarbonGlobalShortcuts &) = delete;

    // Registers the combination under a new id and keeps the record. A refusal writes "Error
    // registering hotkey <description>: <status>" on standard output, logs it as an error, keeps
    // nothing and marks the combination refused in the context until it is registered or
    // given up.
    void registerHotKey(const Shortcut &shortcut, Action onKeyDown, Action onKeyUp);
    // Gives back and forgets every record with this key code and modifier mask.
    void unregisterHotKey(const Shortcut &shortcut);
    // Applies the module switch and the menu state: suspends or resumes the hot keys and chooses
    // which events the handler receives. Does nothing before the handler is installed.
    void updateEventHandler();
    // The desktop's own enabled shortcuts, normalised, in the desktop's order.
    QList<Shortcut> systemHotKeys() const;
    // Whether the desktop would let us hold the combination: noErr when a live record of ours
    // holds it or a trial registration succeeds (given back at once), else the refusal status.
    // X11 keeps no list of the desktop's shortcuts; a grab another client holds is the only sign.
    int trialRegistration(const Shortcut &shortcut);

    // The installed handler: answers noErr for an event it took, eventNotHandledErr otherwise.
    int handleEvent(const platform::HotKeyEvent &event);

    // Ids of the records, registered and suspended ones, in registration order.
    QList<std::uint32_t> hotKeyIds() const;

private:
    struct HotKey
    {
        Shortcut shortcut;
        std::uint32_t carbonHotKeyId = 0;
        // Empty while suspended.
        std::unique_ptr<platform::HotKeyRegistration> carbonHotKey;
        Action onKeyDown;
        Action onKeyUp;
    };

    int handleHotKeyEvent(const platform::HotKeyEvent &event);
    int handleRawKeyEvent(const platform::HotKeyEvent &event);
    void unregisterAll();
    void registerUnregisteredHotKeys();
    void installHandlerIfNeeded();

    ModuleContext &m_context;
    platform::HotKeyService &m_service;
    std::map<std::uint32_t, HotKey> m_hotKeys;
    std::uint32_t m_hotKeyIdCounter = 0;
    bool m_handlerInstalled = false;
};

} // namespace GlobalShortcuts
