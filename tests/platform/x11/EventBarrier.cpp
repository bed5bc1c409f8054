// SPDX-License-Identifier: GPL-3.0-or-later
#include "EventBarrier.h"

#include "XTestClient.h"
#include "support/EventLoop.h"

#include <QCoreApplication>

#include <xcb/xcb.h>

namespace x11test {

EventBarrier::EventBarrier()
{
    m_window.create();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

EventBarrier::~EventBarrier()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool EventBarrier::pass(XTestClient &client)
{
    const std::uint32_t value = ++m_sent;
    client.sendMessage(static_cast<xcb_window_t>(m_window.winId()), value);
    if (!testsupport::waitUntil([this, value] { return m_arrived >= value; }, 3000))
        return false;
    // Key events reach windows through Qt's own queue, one turn after their X event.
    QCoreApplication::processEvents();
    return true;
}

bool EventBarrier::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    const std::uint8_t type = event->response_type & ~0x80;
    if (type == XCB_KEY_PRESS)
        ++m_presses[reinterpret_cast<xcb_key_press_event_t *>(event)->detail];
    if (type != XCB_CLIENT_MESSAGE)
        return false;
    auto *client = reinterpret_cast<xcb_client_message_event_t *>(event);
    if (client->window != static_cast<xcb_window_t>(m_window.winId()) ||
        client->type != XCB_ATOM_INTEGER)
        return false;
    m_arrived = client->data.data32[0];
    return true;
}

} // namespace x11test
