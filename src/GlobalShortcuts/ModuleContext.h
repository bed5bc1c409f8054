// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/Name.h"
#include "GlobalShortcuts/Notifier.h"
#include "GlobalShortcuts/RecorderAlert.h"
#include "GlobalShortcuts/Shortcut.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

namespace platform {
class EventMonitors;
class Keyboard;
class UserDefaults;
struct Services;
} // namespace platform

namespace GlobalShortcuts {

class HotKeyLayer;

// The shortcut module's whole state and the platform services it uses. The program creates one on
// the main thread before any Name and keeps it for the life of the process; a test creates one per
// test. Constructing it installs it (ModuleContext::current()), destroying it uninstalls it; only
// one can be installed at a time.
//
//     GlobalShortcuts::ModuleContext shortcuts(*services);          // in main
//     GlobalShortcuts::ModuleContext context(defaults, &keyboard);  // in a test
class ModuleContext final
{
public:
    // The module's local event monitors and its menu-open state come from `eventMonitors`;
    // without one, nothing is monitored and no menu is ever seen open.
    ModuleContext(platform::UserDefaults &userDefaults, platform::Keyboard *keyboard = nullptr,
                  platform::EventMonitors *eventMonitors = nullptr);
    // Uses the services' user defaults, keyboard and event monitors (the last two may be absent).
    explicit ModuleContext(platform::Services &services);
    ~ModuleContext();
    ModuleContext(const ModuleContext &) = delete;
    ModuleContext &operator=(const ModuleContext &) = delete;

    // The installed context; aborts when none is installed (a programming error).
    static ModuleContext &current();
    static ModuleContext *installed();

    platform::UserDefaults &userDefaults() const { return m_userDefaults; }
    platform::Keyboard *keyboard() const { return m_keyboard; }
    platform::EventMonitors *eventMonitors() const { return m_eventMonitors; }
    Notifier &notifier() const { return *m_notifier; }

    // The hot-key layer; not owned, must outlive its installation (install nullptr to detach).
    void setHotKeyLayer(HotKeyLayer *layer) { m_hotKeys = layer; }
    HotKeyLayer *hotKeyLayer() const { return m_hotKeys; }

    // What the module has registered with the hot-key layer; decides whether a shortcut still needs
    // registering.
    const QSet<Shortcut> &registeredShortcuts() const { return m_registeredShortcuts; }
    // Registers through the hot-key layer and records it, unless it is recorded already.
    void registerIfNeeded(const Shortcut &shortcut);
    // Unregisters through the hot-key layer and forgets it.
    void unregister(const Shortcut &shortcut);
    // The one rule by which a combination's hot key is given back once the names in `lettingGo`
    // no longer need it (a name stores another shortcut, is disabled, loses its actions or its
    // last stream): it stays registered while another stored name that is not disabled stands
    // for the same combination, so that name keeps working.
    void releaseUnlessShared(const Shortcut &shortcut, const QSet<Name> &lettingGo);

    // Combinations whose hot key the desktop refused at their last registration (another
    // program holds them): stored, but they trigger nothing. Set by the hot-key layer.
    bool isRegistrationRefused(const Shortcut &shortcut) const
    {
        return m_refusedShortcuts.contains(shortcut);
    }
    void setRegistrationRefused(const Shortcut &shortcut, bool refused);

    // Combinations the program itself needs free, with what uses them (for example the keystroke
    // it posts to paste, which a hot key of ours would catch): the recorder refuses them.
    void reserveShortcut(const Shortcut &shortcut, const QString &usedBy);
    std::optional<QString> reservation(const Shortcut &shortcut) const;

    // Names switched off with GlobalShortcuts::disable until enabled or given actions again:
    // their actions and streams are not called, also while another name keeps the hot key.
    bool isDisabled(const Name &name) const { return m_disabledNames.contains(name); }
    void setDisabled(const Name &name, bool disabled);

    bool isEnabled() const { return m_isEnabled; }
    void setIsEnabled(bool enabled);
    bool isMenuOpen() const { return m_isMenuOpen; }
    void setIsMenuOpen(bool open);
    // Set by a recorder control while it records: hot-key dispatch pauses.
    bool isAnyRecorderActive() const { return m_isAnyRecorderActive; }
    void setIsAnyRecorderActive(bool active) { m_isAnyRecorderActive = active; }

    // Where the recorder control's alerts go; empty: the module's own warning box.
    const AlertPresenter &alertPresenter() const { return m_alertPresenter; }
    void setAlertPresenter(AlertPresenter presenter) { m_alertPresenter = std::move(presenter); }

    // Run by every Name constructor: the first time, starts following the event monitors' menu
    // tracking.
    void initializeIfNeeded();

private:
    platform::UserDefaults &m_userDefaults;
    platform::Keyboard *m_keyboard = nullptr;
    platform::EventMonitors *m_eventMonitors = nullptr;
    std::unique_ptr<Notifier> m_notifier;
    HotKeyLayer *m_hotKeys = nullptr;
    QSet<Shortcut> m_registeredShortcuts;
    QSet<Shortcut> m_refusedShortcuts;
    QHash<Shortcut, QString> m_reservedShortcuts;
    QSet<Name> m_disabledNames;
    bool m_isEnabled = true;
    bool m_isMenuOpen = false;
    bool m_isAnyRecorderActive = false;
    bool m_initialized = false;
    AlertPresenter m_alertPresenter;
};

} // namespace GlobalShortcuts
