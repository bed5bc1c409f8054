// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/EventMonitors.h"

#include <QKeyEvent>

#include <functional>
#include <map>
#include <optional>

namespace testsupport {

// Monitors the test feeds: `postGlobal` hands an event to every global monitor whose mask takes
// it, `postLocal` to the local ones (answering whether the event went through). Counts show which
// monitors are installed right now.
class FakeEventMonitors final : public platform::EventMonitors
{
public:
    std::unique_ptr<platform::EventMonitor> addGlobalMonitor(platform::EventMask mask,
                                                             GlobalHandler handler) override;
    std::unique_ptr<platform::EventMonitor> addLocalMonitor(platform::EventMask mask,
                                                            LocalHandler handler) override;
    bool isMenuTracking() const override { return m_menuTracking; }
    platform::FnKeyAccess fnKeyAccess() const override { return m_fnKeyAccess; }
    void setFnKeyAccess(platform::FnKeyAccess access)
    {
        m_fnKeyAccess = access;
        emit fnKeyAccessChanged();
    }

    // Without global monitoring (no display, no input devices) addGlobalMonitor gives nothing.
    void setGlobalMonitoringAvailable(bool available) { m_globalAvailable = available; }

    void postGlobal(const platform::Event &event);
    bool postLocal(const platform::Event &event);
    // A flags-changed event for a modifier key, as both kinds of monitor see it.
    static platform::Event flagsChanged(quint16 keyCode, quint64 modifierFlags);

    // The key code of the physical key a Qt key event's native scan code names, if any.
    using ScanCodeMap = std::function<std::optional<quint16>(quint32 nativeScanCode)>;

    // Also hands the local monitors the key and mouse events of the application's own windows,
    // keys translated through `keyCodeForScanCode`, as the desktop's monitors do; an event a
    // monitor swallows never reaches the window's widgets.
    void watchApplicationWindows(ScanCodeMap keyCodeForScanCode);

    void beginMenuTracking();
    void endMenuTracking();

    int globalMonitorCount() const { return static_cast<int>(m_global.size()); }
    int localMonitorCount() const { return static_cast<int>(m_local.size()); }
    // Every monitor ever added, removed ones included.
    int monitorsAdded() const { return m_added; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class FakeMonitor;
    struct Entry
    {
        platform::EventMask mask;
        GlobalHandler global;
        LocalHandler local;
    };
    void remove(std::uint64_t id);
    std::optional<platform::Event> keyEvent(const QKeyEvent &key, QWindow *window) const;

    std::map<std::uint64_t, Entry> m_global;
    std::map<std::uint64_t, Entry> m_local;
    std::uint64_t m_nextId = 1;
    int m_added = 0;
    bool m_globalAvailable = true;
    bool m_menuTracking = false;
    platform::FnKeyAccess m_fnKeyAccess = platform::FnKeyAccess::seen;
    ScanCodeMap m_keyCodeForScanCode;
};

} // namespace testsupport
