// SPDX-License-Identifier: GPL-3.0-or-later
#include "Event.h"

#include "Keyboard.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace platform {

namespace {

quint64 cocoaFlags(Qt::KeyboardModifiers modifiers)
{
    quint64 flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= 0x20000;
    if (modifiers & Qt::ControlModifier)
        flags |= 0x40000;
    if (modifiers & Qt::AltModifier)
        flags |= 0x80000;
    // Super, which X11 combinations use for command.
    if (modifiers & Qt::MetaModifier)
        flags |= 0x100000;
    if (modifiers & Qt::KeypadModifier)
        flags |= 0x200000;
    return flags;
}

} // namespace

std::optional<Event> eventFromQtEvent(const QEvent &event, QWindow *window,
                                      const Keyboard *keyboard)
{
    Event result;
    result.window = window;
    switch (event.type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto &keyEvent = static_cast<const QKeyEvent &>(event);
        if (!keyboard)
            return std::nullopt;
        const auto keyCode = keyboard->keyCodeForNativeScanCode(keyEvent.nativeScanCode());
        if (!keyCode)
            return std::nullopt;
        result.type = event.type() == QEvent::KeyPress ? Event::Type::keyDown : Event::Type::keyUp;
        result.keyCode = *keyCode;
        result.modifierFlags = cocoaFlags(keyEvent.modifiers());
        result.isARepeat = keyEvent.isAutoRepeat();
        return result;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        const auto &mouseEvent = static_cast<const QMouseEvent &>(event);
        const bool press = event.type() == QEvent::MouseButtonPress;
        if (mouseEvent.button() == Qt::LeftButton)
            result.type = press ? Event::Type::leftMouseDown : Event::Type::leftMouseUp;
        else if (mouseEvent.button() == Qt::RightButton)
            result.type = press ? Event::Type::rightMouseDown : Event::Type::rightMouseUp;
        else
            return std::nullopt;
        result.modifierFlags = cocoaFlags(mouseEvent.modifiers());
        result.locationInWindow = mouseEvent.position();
        return result;
    }
    default:
        return std::nullopt;
    }
}

} // namespace platform
