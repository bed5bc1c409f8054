// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunLoopLocalEventMonitor.h"

#include "GlobalShortcuts/ModuleContext.h"
#include "platform/EventMonitors.h"

#include <QApplication>

namespace GlobalShortcuts {

RunLoopLocalEventMonitor::RunLoopLocalEventMonitor(platform::EventMask events,
                                                   RunLoopMode runLoopMode, Callback callback)
    : m_events(events), m_runLoopMode(runLoopMode), m_callback(std::move(callback))
{}

RunLoopLocalEventMonitor::~RunLoopLocalEventMonitor()
{
    stop();
}

void RunLoopLocalEventMonitor::start()
{
    if (m_observer)
        return;
    const ModuleContext *context = ModuleContext::installed();
    platform::EventMonitors *monitors = context ? context->eventMonitors() : nullptr;
    if (!monitors)
        return;
    const bool onlyWhileTracking = m_runLoopMode == RunLoopMode::eventTracking;
    // The callback is copied: it may stop this monitor while it runs.
    m_observer = monitors->addLocalMonitor(
        m_events, [callback = m_callback, onlyWhileTracking](const platform::Event &event) {
            if (onlyWhileTracking && !QApplication::activePopupWidget())
                return true;
            return callback(event).has_value();
        });
}

void RunLoopLocalEventMonitor::stop()
{
    m_observer.reset();
}

} // namespace GlobalShortcuts
