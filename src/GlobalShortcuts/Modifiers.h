// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ModifierFlags.h"

#include <QString>
#include <Qt>

namespace GlobalShortcuts {

// The two numberings and their conversion are the platform layer's; the module names them too.
using platform::ModifierFlags;
namespace CocoaFlag = platform::CocoaFlag;
namespace CarbonModifier = platform::CarbonModifier;
using platform::carbonFromCocoa;
using platform::cocoaFromCarbon;

// The symbols of the set modifiers, always in the order ⌃ ⌥ ⇧ ⌘ and the Fn globe; empty for none.
QString symbolicRepresentation(ModifierFlags flags);

// Cocoa flags to Qt keyboard modifiers, for key sequences shown or matched by Qt: control to
// Control, option to Alt, shift to Shift, command to Meta (the Super key that recorded X11
// combinations use for command), numeric pad to Keypad. Qt has no caps-lock or Fn modifier, so
// those two are dropped with every other flag.
Qt::KeyboardModifiers toEventModifiers(ModifierFlags flags);

} // namespace GlobalShortcuts
