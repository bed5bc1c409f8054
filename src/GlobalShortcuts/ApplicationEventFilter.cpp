// SPDX-License-Identifier: GPL-3.0-or-later
#include "ApplicationEventFilter.h"

#include "GlobalShortcuts/ModuleContext.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

namespace GlobalShortcuts {

ApplicationEventFilter::ApplicationEventFilter(platform::EventMask events, Callback callback,
                                               std::function<bool()> isActive)
    : QObject(QCoreApplication::instance()), m_events(events), m_callback(std::move(callback)),
      m_isActive(std::move(isActive))
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

bool ApplicationEventFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        break;
    default:
        return false;
    }
    // Widgets receive a copy of what their window received; looking only at windows sees each
    // input once.
    if (!watched->isWindowType())
        return false;
    if (m_isActive && !m_isActive())
        return false;
    const ModuleContext *context = ModuleContext::installed();
    const auto translated = platform::eventFromQtEvent(*event, static_cast<QWindow *>(watched),
                                                       context ? context->keyboard() : nullptr);
    if (!translated || !platform::maskContains(m_events, translated->type))
        return false;
    // The callback may drop this monitor; keep the callback alive for the call.
    const Callback callback = m_callback;
    return !callback(*translated).has_value();
}

} // namespace GlobalShortcuts
