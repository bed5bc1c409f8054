// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <Qt>
#include <QtGlobal>

namespace platform {

// Cocoa event modifier flags, as key events carry them.
using ModifierFlags = quint64;

namespace CocoaFlag {
inline constexpr ModifierFlags capsLock = 0x10000;
inline constexpr ModifierFlags shift = 0x20000;
inline constexpr ModifierFlags control = 0x40000;
inline constexpr ModifierFlags option = 0x80000;
inline constexpr ModifierFlags command = 0x100000;
inline constexpr ModifierFlags numericPad = 0x200000;
inline constexpr ModifierFlags help = 0x400000;
inline constexpr ModifierFlags function = 0x800000;
} // namespace CocoaFlag

// Carbon modifier bits, in which shortcuts are stored and registered.
namespace CarbonModifier {
inline constexpr qint64 command = 0x100;
inline constexpr qint64 shift = 0x200;
inline constexpr qint64 capsLock = 0x400;
inline constexpr qint64 option = 0x800;
inline constexpr qint64 control = 0x1000;
inline constexpr qint64 rightShift = 0x2000;
inline constexpr qint64 rightOption = 0x4000;
inline constexpr qint64 rightControl = 0x8000;
inline constexpr qint64 function = 0x20000;
} // namespace CarbonModifier

// Cocoa flags to Carbon bits. Only control, option, shift, command and function survive; caps
// lock, numeric pad, help and device-dependent bits are dropped.
qint64 carbonFromCocoa(ModifierFlags flags);

// Carbon bits to Cocoa flags, again only the five modifiers above (right-hand and caps-lock bits
// are dropped).
ModifierFlags cocoaFromCarbon(qint64 carbonModifiers);

// The flags of the modifiers a Qt key or mouse event reports: Meta is command (the Super key that
// X11 combinations use for it), Keypad is numeric pad. Qt reports neither caps lock nor Fn.
ModifierFlags cocoaFromQt(Qt::KeyboardModifiers modifiers);

} // namespace platform
