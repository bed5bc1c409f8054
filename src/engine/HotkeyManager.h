// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Event.h"
#include "platform/ModifierFlags.h"

#include <QObject>
#include <QPointer>

#include <memory>

class AppState;

namespace GlobalShortcuts {
class Name;
}

namespace platform {
class EventMonitor;
}

// The push-to-talk trigger: turns presses of the user's key into AppState::startRecording and
// its releases into AppState::stopRecording. Either the Fn key alone, seen through the global
// and local flags-changed monitors, or the combination recorded for the shortcut name
// "parlovox", delivered by the shortcut module. Exactly one of the two is live at a time.
// Needs an installed GlobalShortcuts::ModuleContext. Main thread only.
class HotkeyManager final : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 fnKeyCode = 63;
    static constexpr quint64 functionFlag = platform::CocoaFlag::function;
    static constexpr platform::EventMask flagsChangedMask = 4096;

    // Holds `appState` weakly and installs nothing until configure().
    explicit HotkeyManager(AppState *appState, QObject *parent = nullptr);
    ~HotkeyManager() override;

    // Switches to the Fn key (true) or to the recorded shortcut (false); safe to repeat.
    void configure(bool useFnKey);

    // The one shortcut name of the program: "parlovox", without a default.
    static GlobalShortcuts::Name shortcutName();

    // Whether the trigger's key is down: a press came and its release has not. While it is,
    // our own grab takes the keyboard's events, a synthetic paste among them.
    bool isTriggerHeld() const { return m_triggerHeld; }

    bool hasFnMonitor() const { return m_fnMonitor != nullptr; }
    bool hasFnLocalMonitor() const { return m_fnLocalMonitor != nullptr; }

Q_SIGNALS:
    void triggerHeldChanged(bool held);

private:
    void setTriggerHeld(bool held);
    void installFnMonitors();
    void removeFnMonitors();
    void handleFnFlagsChanged(const platform::Event &event);

    QPointer<AppState> m_appState;
    // Dropping a monitor removes it.
    std::unique_ptr<platform::EventMonitor> m_fnMonitor;
    std::unique_ptr<platform::EventMonitor> m_fnLocalMonitor;
    bool m_triggerHeld = false;
};
