// SPDX-License-Identifier: GPL-3.0-or-later
#include "LocalEventMonitor.h"

#include "GlobalShortcuts/ApplicationEventFilter.h"

namespace GlobalShortcuts {

LocalEventMonitor::LocalEventMonitor(platform::EventMask events, Callback callback)
    : m_events(events), m_callback(std::move(callback))
{}

LocalEventMonitor::~LocalEventMonitor()
{
    // The filter belongs to the application object; when that is gone, so is the filter.
    delete m_monitor.data();
}

LocalEventMonitor &LocalEventMonitor::start()
{
    if (!m_monitor)
        m_monitor = new ApplicationEventFilter(m_events, m_callback);
    return *this;
}

} // namespace GlobalShortcuts
