// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/EventMonitors.h"

#include <QSet>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>

namespace platform::linux_impl {

class FnKeyWatcher;
class InputDeviceSource;
class XInputRawKeyWatcher;

// Local monitors: an application-wide Qt event filter that sees each key and mouse event as its
// window receives it, before any widget. Global monitors: key presses and releases anywhere on
// the X display (XInput 2.2 raw key events), turned into flags-changed events for modifier keys,
// and the Fn key from the input devices, followed as keyboards come and go. While the program
// itself is in front, the local monitors see its keys, so the global ones leave those out (the Fn
// key excepted, which Qt never sees). Menu tracking follows the program's QMenus.
class LinuxEventMonitors final : public EventMonitors
{
public:
    // Makes the source of input devices the Fn key is read from, each time global monitoring
    // starts.
    using DeviceSourceFactory = std::function<std::unique_ptr<InputDeviceSource>()>;

    // Input devices come from udev unless another source is given.
    explicit LinuxEventMonitors(DeviceSourceFactory deviceSources = {});
    ~LinuxEventMonitors() override;

    std::unique_ptr<EventMonitor> addGlobalMonitor(EventMask mask, GlobalHandler handler) override;
    std::unique_ptr<EventMonitor> addLocalMonitor(EventMask mask, LocalHandler handler) override;
    bool isMenuTracking() const override { return !m_openMenus.isEmpty(); }
    // From the watched devices while global monitoring runs, else from one look at them.
    FnKeyAccess fnKeyAccess() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Monitor;
    struct Entry
    {
        EventMask mask = 0;
        GlobalHandler global;
        LocalHandler local;
    };

    void removeMonitor(bool global, std::uint64_t id);
    bool startGlobalSources();
    void onRawKey(quint32 xKeyCode, bool pressed);
    void onFnKey(bool pressed);
    void deliverGlobal(const Event &event);
    bool deliverLocal(QObject *window, QEvent *event);
    void menuShown(QObject *menu);
    void menuGone(QObject *menu);

    DeviceSourceFactory m_deviceSources;
    std::map<std::uint64_t, Entry> m_globalMonitors;
    std::map<std::uint64_t, Entry> m_localMonitors;
    std::uint64_t m_nextId = 1;
    std::unique_ptr<XInputRawKeyWatcher> m_rawKeys;
    std::unique_ptr<FnKeyWatcher> m_fnKey;
    // Modifier keys (Carbon key codes) held down as the global monitors saw them.
    QSet<quint16> m_heldModifiers;
    bool m_capsLock = false;
    QSet<QObject *> m_openMenus;
};

} // namespace platform::linux_impl
