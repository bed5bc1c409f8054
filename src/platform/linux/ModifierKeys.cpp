// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModifierKeys.h"

#include "KeyPositionTable.h"
#include "platform/ModifierFlags.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>

namespace platform::linux_impl::modifierkeys {

bool isModifierKey(qint64 keyCode)
{
    return keyCode >= 54 && keyCode <= 63;
}

std::uint64_t flagForModifierKey(qint64 keyCode)
{
    switch (keyCode) {
    case 54: // right command
    case 55:
        return CocoaFlag::command;
    case 56:
    case 60:
        return CocoaFlag::shift;
    case 57:
        return capsLockFlag;
    case 58:
    case 61:
        return CocoaFlag::option;
    case 59:
    case 62:
        return CocoaFlag::control;
    case 63:
        return CocoaFlag::function;
    default:
        return 0;
    }
}

std::optional<qint64> carbonKeyCodeOf(const QKeyEvent &key)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return std::nullopt;
    return KeyPositionTable::carbonKeyCodeForXKeyCode(key.nativeScanCode());
}

std::optional<Event> eventFromQtKey(const QKeyEvent &key, QWindow *window)
{
    const auto keyCode = carbonKeyCodeOf(key);
    if (!keyCode)
        return std::nullopt;
    const bool press = key.type() == QEvent::KeyPress;
    Event event;
    event.keyCode = static_cast<quint16>(*keyCode);
    event.window = window;
    event.isARepeat = key.isAutoRepeat();
    event.modifierFlags = cocoaFromQt(key.modifiers());
    if (isModifierKey(*keyCode)) {
        if (key.isAutoRepeat())
            return std::nullopt;
        event.type = Event::Type::flagsChanged;
        const std::uint64_t flag = flagForModifierKey(*keyCode);
        if (press)
            event.modifierFlags |= flag;
        else
            event.modifierFlags &= ~flag;
    } else {
        event.type = press ? Event::Type::keyDown : Event::Type::keyUp;
    }
    return event;
}

} // namespace platform::linux_impl::modifierkeys
