// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <xcb/xcb.h>

#include <cstdint>

namespace x11test {

// Key codes of the Xvfb keymap (evdev positions + 8).
constexpr std::uint8_t controlLeft = 37;
constexpr std::uint8_t altLeft = 64;
constexpr std::uint8_t shiftLeft = 50;
constexpr std::uint8_t keyK = 45;
constexpr std::uint8_t numLock = 77;

// Another X client: types through XTEST, as a user's keyboard would, and may hold grabs of its own.
class XTestClient
{
public:
    XTestClient();
    ~XTestClient();
    XTestClient(const XTestClient &) = delete;
    XTestClient &operator=(const XTestClient &) = delete;

    bool isConnected() const;
    // Presses or releases a key and waits until the server has handled it.
    void key(std::uint8_t keycode, bool press);
    void tap(std::uint8_t keycode);
    // A passive grab on the root window; false when another client holds it.
    bool grab(std::uint8_t keycode, std::uint16_t modifiers);
    void ungrab(std::uint8_t keycode, std::uint16_t modifiers);
    // An active grab of the whole keyboard, as a screen locker takes; false when another client
    // holds it.
    bool grabKeyboard();
    void ungrabKeyboard();
    // Whether some client (a popup menu) holds the keyboard right now.
    bool isKeyboardGrabbed();
    bool isLockOn(std::uint16_t mask);
    bool isKeyDown(std::uint8_t keycode);
    // Sends a client message carrying `value` to `window` and waits until the server has it.
    void sendMessage(xcb_window_t window, std::uint32_t value);

private:
    xcb_window_t root() const;
    void sync();
    // The status of an active grab of the whole keyboard asked for now.
    std::uint8_t requestKeyboardGrab();

    xcb_connection_t *m_connection;
};

} // namespace x11test
