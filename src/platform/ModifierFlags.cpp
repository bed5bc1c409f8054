// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModifierFlags.h"

namespace platform {

namespace {

struct ModifierRow
{
    ModifierFlags cocoa;
    qint64 carbon;
};

constexpr ModifierRow modifierRows[] = {
    {CocoaFlag::control, CarbonModifier::control},   {CocoaFlag::option, CarbonModifier::option},
    {CocoaFlag::shift, CarbonModifier::shift},       {CocoaFlag::command, CarbonModifier::command},
    {CocoaFlag::function, CarbonModifier::function},
};

} // namespace

qint64 carbonFromCocoa(ModifierFlags flags)
{
    qint64 carbon = 0;
    for (const ModifierRow &row : modifierRows) {
        if (flags & row.cocoa)
            carbon |= row.carbon;
    }
    return carbon;
}

ModifierFlags cocoaFromCarbon(qint64 carbonModifiers)
{
    ModifierFlags flags = 0;
    for (const ModifierRow &row : modifierRows) {
        if (carbonModifiers & row.carbon)
            flags |= row.cocoa;
    }
    return flags;
}

ModifierFlags cocoaFromQt(Qt::KeyboardModifiers modifiers)
{
    ModifierFlags flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= CocoaFlag::shift;
    if (modifiers & Qt::ControlModifier)
        flags |= CocoaFlag::control;
    if (modifiers & Qt::AltModifier)
        flags |= CocoaFlag::option;
    if (modifiers & Qt::MetaModifier)
        flags |= CocoaFlag::command;
    if (modifiers & Qt::KeypadModifier)
        flags |= CocoaFlag::numericPad;
    return flags;
}

} // namespace platform
