// SPDX-License-Identifier: GPL-3.0-or-later
#include "Modifiers.h"

namespace GlobalShortcuts {

namespace {

struct SymbolRow
{
    ModifierFlags cocoa;
    const char16_t *symbol;
};

// In display order: control, option, shift, command, function.
constexpr SymbolRow symbolRows[] = {
    {CocoaFlag::control, u"\u2303"},
    {CocoaFlag::option, u"\u2325"},
    {CocoaFlag::shift, u"\u21E7"},
    {CocoaFlag::command, u"\u2318"},
    // The globe with the text presentation selector, so it is drawn like the other symbols.
    {CocoaFlag::function, u"\U0001F310\uFE0E"},
};

} // namespace

QString symbolicRepresentation(ModifierFlags flags)
{
    QString text;
    for (const SymbolRow &row : symbolRows) {
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
