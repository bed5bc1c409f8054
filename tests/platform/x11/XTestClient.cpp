// SPDX-License-Identifier: GPL-3.0-or-later
#include "XTestClient.h"

#include <xcb/xtest.h>

#include <cstdlib>

namespace x11test {

XTestClient::XTestClient() : m_connection(xcb_connect(nullptr, nullptr)) {}

XTestClient::~XTestClient()
{
    xcb_disconnect(m_connection);
}

bool XTestClient::isConnected() const
{
    return !xcb_connection_has_error(m_connection);
}

void XTestClient::key(std::uint8_t keycode, bool press)
{
    xcb_test_fake_input(m_connection, press ? XCB_KEY_PRESS : XCB_KEY_RELEASE, keycode,
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    sync();
}

void XTestClient::tap(std::uint8_t keycode)
{
    key(keycode, true);
    key(keycode, false);
}

bool XTestClient::grab(std::uint8_t keycode, std::uint16_t modifiers)
{
    auto *error = xcb_request_check(
        m_connection, xcb_grab_key_checked(m_connection, 0, root(), modifiers, keycode,
                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
}

void XTestClient::ungrab(std::uint8_t keycode, std::uint16_t modifiers)
{
    xcb_ungrab_key(m_connection, keycode, root(), modifiers);
    sync();
}

std::uint8_t XTestClient::requestKeyboardGrab()
{
    auto *reply =
        xcb_grab_keyboard_reply(m_connection,
                                xcb_grab_keyboard(m_connection, 0, root(), XCB_CURRENT_TIME,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                nullptr);
    // No answer is no grab, whoever holds the keyboard.
    const std::uint8_t status = reply ? reply->status : XCB_GRAB_STATUS_INVALID_TIME;
    std::free(reply);
    return status;
}

bool XTestClient::grabKeyboard()
{
    return requestKeyboardGrab() == XCB_GRAB_STATUS_SUCCESS;
}

void XTestClient::ungrabKeyboard()
{
    xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
    sync();
}

bool XTestClient::isKeyboardGrabbed()
{
    const std::uint8_t status = requestKeyboardGrab();
    if (status == XCB_GRAB_STATUS_SUCCESS)
        xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
    sync();
    return status == XCB_GRAB_STATUS_ALREADY_GRABBED;
}

bool XTestClient::isLockOn(std::uint16_t mask)
{
    auto *pointer =
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, root()), nullptr);
    const bool on = pointer && (pointer->mask & mask);
    std::free(pointer);
    return on;
}

bool XTestClient::isKeyDown(std::uint8_t keycode)
{
    auto *keymap = xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr);
    const bool down = keymap && (keymap->keys[keycode / 8] & (1 << (keycode % 8)));
    std::free(keymap);
    return down;
}

void XTestClient::sendMessage(xcb_window_t window, std::uint32_t value)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = XCB_ATOM_INTEGER;
    message.data.data32[0] = value;
    xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&message));
    sync();
}

xcb_window_t XTestClient::root() const
{
    return xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

void XTestClient::sync()
{
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

} // namespace x11test
