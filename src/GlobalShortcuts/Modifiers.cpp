// SPDX-License-Identifier: GPL-3.0-or-later
#include "Modifiers.h"

namespace GlobalShortcuts {

namespace {

struct ModifierRow
{
    ModifierFlags cocoa;
    qint64 carbon;
    const char16_t *symbol;
};

// In display order: control, option, shift, command, function.
constexpr ModifierRow modifierRows[] = {
    {CocoaFlag::control, CarbonModifier::control, u"\u2303"},
    {CocoaFlag::option, CarbonModifier::option, u"\u2325"},
    {CocoaFlag::shift, CarbonModifier::shift, u"\u21E7"},
    {CocoaFlag::command, CarbonModifier::command, u"\u2318"},
    // The globe with the text presentation selector, so it is drawn like the other symbols.
    {CocoaFlag::function, CarbonModifier::function, u"\U0001F310\uFE0E"},
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

QString symbolicRepresentation(ModifierFlags flags)
{
    QString text;
    for (const ModifierRow &row : modifierRows) {
        if (flags & row.cocoa)
            text += QString::fromUtf16(row.symbol);
    }
    return text;
}

Qt::KeyboardModifiers toEventModifiers(ModifierFlags flags)
{
    Qt::KeyboardModifiers modifiers;
    if (flags & CocoaFlag::command)
        modifiers |= Qt::MetaModifier;
    if (flags & CocoaFlag::control)
        modifiers |= Qt::ControlModifier;
    if (flags & CocoaFlag::numericPad)
        modifiers |= Qt::KeypadModifier;
    if (flags & CocoaFlag::option)
        modifiers |= Qt::AltModifier;
    if (flags & CocoaFlag::shift)
        modifiers |= Qt::ShiftModifier;
    return modifiers;
}

} // namespace GlobalShortcuts
