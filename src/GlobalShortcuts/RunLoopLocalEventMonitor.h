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

// Offers the application's own events of the given types to a callback while started, which
// passes them on (returns the event) or drops them (returns none); other events pass unchanged and
// in order. It watches through a local monitor of the installed module context's event monitors
// (a context without them sees nothing). The hot-key layer uses it while a menu is open: a popup
// menu grabs the keyboard, so hot keys only arrive as the application's own key events then.
class RunLoopLocalEventMonitor final
{
public:
    using Callback = std::function<std::optional<platform::Event>(const platform::Event &)>;

    enum class RunLoopMode {
        // Every event of the application.
        defaultMode,
        // Only while a popup (a menu) has the input, as the platform's event-tracking mode.
        eventTracking,
    };

    RunLoopLocalEventMonitor(platform::EventMask events, RunLoopMode runLoopMode,
                             Callback callback);
    ~RunLoopLocalEventMonitor();
    RunLoopLocalEventMonitor(const RunLoopLocalEventMonitor &) = delete;
    RunLoopLocalEventMonitor &operator=(const RunLoopLocalEventMonitor &) = delete;

    // Starting a started monitor and stopping a stopped one do nothing.
    void start();
    void stop();
    bool isStarted() const { return m_observer != nullptr; }

    RunLoopMode runLoopMode() const { return m_runLoopMode; }

private:
    platform::EventMask m_events;
    RunLoopMode m_runLoopMode;
    Callback m_callback;
    std::unique_ptr<platform::EventMonitor> m_observer;
};

} // namespace GlobalShortcuts
