// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>
#include <QPointer>
#include <QWindow>

#include <optional>

class QEvent;

namespace platform {

// One keyboard or mouse event in the numbering the rest of the program uses: Carbon virtual key
// codes (US-ANSI positions) and Cocoa modifier flags.
struct Event
{
    // The event types our code tells apart; the values are the design's event-type numbers.
    enum class Type : int {
        leftMouseDown = 1,
        leftMouseUp = 2,
        rightMouseDown = 3,
        rightMouseUp = 4,
        mouseMoved = 5,
        keyDown = 10,
        keyUp = 11,
        flagsChanged = 12,
    };

    Type type = Type::keyDown;
    // Carbon virtual key code of the physical key; 0xFFFF for mouse events.
    quint16 keyCode = 0xFFFF;
    // Cocoa modifier flags (control 0x40000, option 0x80000, shift 0x20000, command 0x100000,
    // function 0x800000, caps lock 0x10000, numeric pad 0x200000).
    quint64 modifierFlags = 0;
    // Where a mouse event happened, in the coordinates of `window`.
    QPointF locationInWindow;
    QPointer<QWindow> window;
    // A key held down long enough to repeat.
    bool isARepeat = false;

    friend bool operator==(const Event &, const Event &) = default;
};

// A set of event types: bit n stands for type n (key-down and key-up are 1 << 10 | 1 << 11 = 3072).
using EventMask = quint64;

constexpr EventMask eventMask(Event::Type type)
{
    return EventMask(1) << static_cast<int>(type);
}

constexpr bool maskContains(EventMask mask, Event::Type type)
{
    return (mask & eventMask(type)) != 0;
}

// The event a Qt mouse event delivered to a window stands for; none for other Qt events. `event`
// must have been delivered to `window`, so its location is in that window's coordinates. (Key
// events need the desktop's key positions; the platform's event monitors translate those.)
std::optional<Event> eventFromQtMouseEvent(const QEvent &event, QWindow *window);

} // namespace platform
