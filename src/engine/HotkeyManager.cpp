// SPDX-License-Identifier: GPL-3.0-or-later
#include "HotkeyManager.h"

#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/Name.h"
#include "engine/AppState.h"
#include "engine/EngineLogging.h"
#include "platform/EventMonitors.h"
#include "platform/Scheduler.h"
#include "platform/Services.h"

HotkeyManager::HotkeyManager(AppState *appState, QObject *parent)
    : QObject(parent), m_appState(appState)
{}

HotkeyManager::~HotkeyManager() = default;

GlobalShortcuts::Name HotkeyManager::shortcutName()
{
    // A name is a value compared by its text; making it afresh is the same name every time.
    return GlobalShortcuts::Name(QStringLiteral("parlovox"));
}

void HotkeyManager::configure(bool useFnKey)
{
    // Names live in the shortcut module's context; without one there is no shortcut to use.
    const bool hasShortcutModule = GlobalShortcuts::ModuleContext::installed() != nullptr;
    // The other trigger's release may never come here once its hooks are gone.
    setTriggerHeld(false);
    if (useFnKey) {
        // The recorded combination stays stored but no longer triggers anything.
        if (hasShortcutModule)
            GlobalShortcuts::disable(QList<GlobalShortcuts::Name>{shortcutName()});
        installFnMonitors();
        return;
    }
    removeFnMonitors();
    if (!hasShortcutModule) {
        qCCritical(lcHotkeyManager,
                   "[HotkeyManager] The shortcut module is not set up: no shortcut can trigger");
        return;
    }
    // Earlier switches to this mode left their handlers attached; AppState ignores a start
    // unless idle and a stop unless recording, so one press still makes one recording.
    const QPointer<HotkeyManager> self(this);
    GlobalShortcuts::onKeyDown(shortcutName(), [self] {
        if (!self || !self->m_appState)
            return;
        self->setTriggerHeld(true);
        self->m_appState->startRecording();
    });
    GlobalShortcuts::onKeyUp(shortcutName(), [self] {
        if (!self || !self->m_appState)
            return;
        self->setTriggerHeld(false);
        self->m_appState->stopRecording();
    });
}

void HotkeyManager::installFnMonitors()
{
    // Either monitor present means the pair was installed (the global one may be unavailable).
    if (m_fnMonitor || m_fnLocalMonitor || !m_appState)
        return;
    platform::EventMonitors *monitors = m_appState->services().eventMonitors.get();
    if (!monitors)
        return;
    const QPointer<HotkeyManager> self(this);
    // Sees the key while another program is in front.
    m_fnMonitor =
        monitors->addGlobalMonitor(flagsChangedMask, [self](const platform::Event &event) {
            if (self)
                self->handleFnFlagsChanged(event);
        });
    // Sees it while the program itself is, and hands the event on to its windows.
    m_fnLocalMonitor =
        monitors->addLocalMonitor(flagsChangedMask, [self](const platform::Event &event) {
            if (self)
                self->handleFnFlagsChanged(event);
            return true;
        });
}

void HotkeyManager::removeFnMonitors()
{
    m_fnMonitor.reset();
    m_fnLocalMonitor.reset();
}

void HotkeyManager::handleFnFlagsChanged(const platform::Event &event)
{
    if (event.keyCode != fnKeyCode || !m_appState)
        return; // other modifier keys never trigger
    const bool pressed = (event.modifierFlags & functionFlag) != 0;
    // AppState is called on a later turn of the event loop, never inside the monitor itself.
    const QPointer<HotkeyManager> self(this);
    m_appState->services().scheduler->after(0, [self, pressed] {
        if (!self || !self->m_appState)
            return;
        self->setTriggerHeld(pressed);
        if (pressed)
            self->m_appState->startRecording();
        else
            self->m_appState->stopRecording();
    });
}

void HotkeyManager::setTriggerHeld(bool held)
{
    if (held == m_triggerHeld)
        return;
    m_triggerHeld = held;
    Q_EMIT triggerHeldChanged(held);
}
