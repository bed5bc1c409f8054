// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Event.h"

#include <functional>
#include <memory>
#include <optional>

namespace platform {
class EventMonitor;
} // namespace platform

namespace GlobalShortcuts {

// Sees the application's own key and mouse events of the given types before their windows do,
// through a local monitor of the installed module context's event monitors. The callback returns
// the event to let it through, or none to swallow it. Created, started, and stopped only by
// destroying it (a scoped subscription). A context without event monitors sees nothing.
class LocalEventMonitor final
{
public:
    using Callback = std::function<std::optional<platform::Event>(const platform::Event &)>;

    LocalEventMonitor(platform::EventMask events, Callback callback);
    ~LocalEventMonitor();
    LocalEventMonitor(const LocalEventMonitor &) = delete;
    LocalEventMonitor &operator=(const LocalEventMonitor &) = delete;

    // Installs the monitor (once); returns this object so creation and start chain.
    LocalEventMonitor &start();

    platform::EventMask events() const { return m_events; }

private:
    platform::EventMask m_events;
    Callback m_callback;
    // Empty before start(). It only follows its service, so one that outlives the event monitors
    // (as at shutdown) removes nothing when dropped.
    std::unique_ptr<platform::EventMonitor> m_monitor;
};

} // namespace GlobalShortcuts
