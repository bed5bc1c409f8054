// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunLoopLocalEventMonitor.h"

#include "GlobalShortcuts/ApplicationEventFilter.h"

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
    std::function<bool()> isActive;
    if (m_runLoopMode == RunLoopMode::eventTracking)
        isActive = [] { return QApplication::activePopupWidget() != nullptr; };
    m_observer = new ApplicationEventFilter(m_events, m_callback, std::move(isActive));
}

void RunLoopLocalEventMonitor::stop()
{
    // The filter belongs to the application object; when that is gone, so is the filter.
    delete m_observer.data();
}

bool RunLoopLocalEventMonitor::isStarted() const
{
    return !m_observer.isNull();
}

} // namespace GlobalShortcuts
