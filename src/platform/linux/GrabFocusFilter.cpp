// SPDX-License-Identifier: GPL-3.0-or-later
#include "GrabFocusFilter.h"

#include <QCoreApplication>

#include <xcb/xcb.h>

namespace platform::linux_impl {

GrabFocusFilter::GrabFocusFilter()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installNativeEventFilter(this);
}

GrabFocusFilter::~GrabFocusFilter()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeNativeEventFilter(this);
}

bool GrabFocusFilter::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_FOCUS_OUT)
        return false;
    // The focus-in at the grab's end is left to Qt: it finds the window still active, or active
    // again where the focus moved away and back during the grab.
    return reinterpret_cast<const xcb_focus_out_event_t *>(event)->mode == XCB_NOTIFY_MODE_GRAB;
}

} // namespace platform::linux_impl
