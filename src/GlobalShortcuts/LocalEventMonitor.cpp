// SPDX-License-Identifier: GPL-3.0-or-later
#include "LocalEventMonitor.h"

#include "GlobalShortcuts/ModuleContext.h"
#include "platform/EventMonitors.h"

namespace GlobalShortcuts {

LocalEventMonitor::LocalEventMonitor(platform::EventMask events, Callback callback)
    : m_events(events), m_callback(std::move(callback))
{}

LocalEventMonitor::~LocalEventMonitor() = default;

LocalEventMonitor &LocalEventMonitor::start()
{
    if (m_monitor)
        return *this;
    const ModuleContext *context = ModuleContext::installed();
    platform::EventMonitors *monitors = context ? context->eventMonitors() : nullptr;
    if (!monitors)
        return *this;
    // A copy: the callback may drop this object while it runs.
    m_monitor =
        monitors->addLocalMonitor(m_events, [callback = m_callback](const platform::Event &event) {
            return callback(event).has_value();
        });
    return *this;
}

} // namespace GlobalShortcuts
