// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModifierKeys.h"

#include "CarbonKeyTable.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>

namespace platform::linux_impl::modifierkeys {

namespace {

// Cocoa modifier flags.
constexpr std::uint64_t shiftFlag = 0x20000;
constexpr std::uint64_t controlFlag = 0x40000;
constexpr std::uint64_t optionFlag = 0x80000;
constexpr std::uint64_t commandFlag = 0x100000;
constexpr std::uint64_t numericPadFlag = 0x200000;
constexpr std::uint64_t functionFlag = 0x800000;

std::uint64_t cocoaFlags(Qt::KeyboardModifiers modifiers)
{
    std::uint64_t flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= shiftFlag;
    if (modifiers & Qt::ControlModifier)
        flags |= controlFlag;
    if (modifiers & Qt::AltModifier)
        flags |= optionFlag;
    if (modifiers & Qt::MetaModifier)
        flags |= commandFlag;
    if (modifiers & Qt::KeypadModifier)
        flags |= numericPadFlag;
    return flags;
}

} // namespace

bool isModifierKey(qint64 keyCode)
{
    return keyCode >= 54 && keyCode <= 63;
}

std::uint64_t flagForModifierKey(qint64 keyCode)
{
    switch (keyCode) {
    case 54: // right command
    case 55:
        return commandFlag;
    case 56:
    case 60:
        return shiftFlag;
    case 57:
        return capsLockFlag;
    case 58:
    case 61:
        return optionFlag;
    case 59:
    case 62:
        return controlFlag;
    case 63:
        return functionFlag;
    default:
        return 0;
    }
}

std::optional<Event> eventFromQtKey(const QKeyEvent &key, QWindow *window)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return std::nullopt;
    const auto keyCode = CarbonKeyTable::carbonKeyCodeForXKeyCode(key.nativeScanCode());
    if (!keyCode)
        return std::nullopt;
    const bool press = key.type() == QEvent::KeyPress;
    Event event;
    event.keyCode = static_cast<quint16>(*keyCode);
    event.window = window;
    event.isARepeat = key.isAutoRepeat();
    event.modifierFlags = cocoaFlags(key.modifiers());
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
