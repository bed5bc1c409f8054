// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Event.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

namespace GlobalShortcuts {

class ApplicationEventFilter;

// Sees the application's own key and mouse events of the given types before their windows do.
// The callback returns the event to let it through, or none to swallow it. Created, started, and
// stopped only by destroying it (a scoped subscription). Key events need the module context's
// keyboard to know their physical key; without one only mouse events are seen.
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
    // Owned by the application object; empty before start() and after the application is gone.
    QPointer<ApplicationEventFilter> m_monitor;
};

} // namespace GlobalShortcuts
