// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpecialKey.h"

#include "GlobalShortcuts/Key.h"
#include "GlobalShortcuts/Localization.h"

namespace GlobalShortcuts {

namespace {

constexpr char16_t keycap = u'\u20E3';
constexpr char16_t firstFunctionKey = u'\uF704'; // F1; F2 is one more, and so on up to F35

struct SpecialKeyRow
{
    SpecialKey key;
    qint64 keyCode;
};

constexpr SpecialKeyRow specialKeyRows[] = {
    {SpecialKey::return_, Key::return_.rawValue},
    {SpecialKey::delete_, Key::delete_.rawValue},
    {SpecialKey::deleteForward, Key::deleteForward.rawValue},
    {SpecialKey::end, Key::end.rawValue},
    {SpecialKey::escape, Key::escape.rawValue},
    {SpecialKey::help, Key::help.rawValue},
    {SpecialKey::home, Key::home.rawValue},
    {SpecialKey::space, Key::space.rawValue},
    {SpecialKey::tab, Key::tab.rawValue},
    {SpecialKey::pageUp, Key::pageUp.rawValue},
    {SpecialKey::pageDown, Key::pageDown.rawValue},
    {SpecialKey::upArrow, Key::upArrow.rawValue},
    {SpecialKey::rightArrow, Key::rightArrow.rawValue},
    {SpecialKey::downArrow, Key::downArrow.rawValue},
    {SpecialKey::leftArrow, Key::leftArrow.rawValue},
    {SpecialKey::f1, Key::f1.rawValue},
    {SpecialKey::f2, Key::f2.rawValue},
    {SpecialKey::f3, Key::f3.rawValue},
    {SpecialKey::f4, Key::f4.rawValue},
    {SpecialKey::f5, Key::f5.rawValue},
    {SpecialKey::f6, Key::f6.rawValue},
    {SpecialKey::f7, Key::f7.rawValue},
    {SpecialKey::f8, Key::f8.rawValue},
    {SpecialKey::f9, Key::f9.rawValue},
    {SpecialKey::f10, Key::f10.rawValue},
    {SpecialKey::f11, Key::f11.rawValue},
    {SpecialKey::f12, Key::f12.rawValue},
    {SpecialKey::f13, Key::f13.rawValue},
    {SpecialKey::f14, Key::f14.rawValue},
    {SpecialKey::f15, Key::f15.rawValue},
    {SpecialKey::f16, Key::f16.rawValue},
    {SpecialKey::f17, Key::f17.rawValue},
    {SpecialKey::f18, Key::f18.rawValue},
    {SpecialKey::f19, Key::f19.rawValue},
    {SpecialKey::f20, Key::f20.rawValue},
    {SpecialKey::keypad0, Key::keypad0.rawValue},
    {SpecialKey::keypad1, Key::keypad1.rawValue},
    {SpecialKey::keypad2, Key::keypad2.rawValue},
    {SpecialKey::keypad3, Key::keypad3.rawValue},
    {SpecialKey::keypad4, Key::keypad4.rawValue},
    {SpecialKey::keypad5, Key::keypad5.rawValue},
    {SpecialKey::keypad6, Key::keypad6.rawValue},
    {SpecialKey::keypad7, Key::keypad7.rawValue},
    {SpecialKey::keypad8, Key::keypad8.rawValue},
    {SpecialKey::keypad9, Key::keypad9.rawValue},
    {SpecialKey::keypadClear, Key::keypadClear.rawValue},
    {SpecialKey::keypadDecimal, Key::keypadDecimal.rawValue},
    {SpecialKey::keypadDivide, Key::keypadDivide.rawValue},
    {SpecialKey::keypadEnter, Key::keypadEnter.rawValue},
    {SpecialKey::keypadEquals, Key::keypadEquals.rawValue},
    {SpecialKey::keypadMinus, Key::keypadMinus.rawValue},
    {SpecialKey::keypadMultiply, Key::keypadMultiply.rawValue},
    {SpecialKey::keypadPlus, Key::keypadPlus.rawValue},
};

bool isFunctionKey(SpecialKey key)
{
    return key >= SpecialKey::f1 && key <= SpecialKey::f20;
}

bool isKeypadKey(SpecialKey key)
{
    return key >= SpecialKey::keypad0;
}

QString inKeycap(QChar base)
{
    return QString(base) + QChar(keycap);
}

} // namespace

const QHash<qint64, SpecialKey> &keyToSpecialKey()
{
    static const QHash<qint64, SpecialKey> table = [] {
        QHash<qint64, SpecialKey> t;
        for (const SpecialKeyRow &row : specialKeyRows)
            t.insert(row.keyCode, row.key);
        return t;
    }();
    return table;
}

std::optional<SpecialKey> specialKeyForKeyCode(qint64 carbonKeyCode)
{
    const auto &table = keyToSpecialKey();
    const auto it = table.constFind(carbonKeyCode);
    if (it == table.constEnd())
        return std::nullopt;
    return *it;
}

std::optional<char16_t> functionKeyCharacter(SpecialKey key)
{
    if (!isFunctionKey(key))
        return std::nullopt;
    return char16_t(firstFunctionKey + (int(key) - int(SpecialKey::f1)));
}

QString displayText(SpecialKey key)
{
    if (isFunctionKey(key))
        return QStringLiteral("F%1").arg(int(key) - int(SpecialKey::f1) + 1);
    if (key >= SpecialKey::keypad0 && key <= SpecialKey::keypad9)
        return inKeycap(QChar(u'0' + (int(key) - int(SpecialKey::keypad0))));
    switch (key) {
    case SpecialKey::return_:
        return QStringLiteral("\u21A9");
    case SpecialKey::delete_:
        return QStringLiteral("\u232B");
    case SpecialKey::deleteForward:
        return QStringLiteral("\u2326");
    case SpecialKey::end:
        return QStringLiteral("\u2198");
    case SpecialKey::escape:
        return QStringLiteral("\u238B");
    case SpecialKey::help:
        return QStringLiteral("?\u20DD");
    case SpecialKey::home:
        return QStringLiteral("\u2196");
    case SpecialKey::space:
        return capitalized(localized("space_key"));
    case SpecialKey::tab:
        return QStringLiteral("\u21E5");
    case SpecialKey::pageUp:
        return QStringLiteral("\u21DE");
    case SpecialKey::pageDown:
        return QStringLiteral("\u21DF");
    case SpecialKey::upArrow:
        return QStringLiteral("\u2191");
    case SpecialKey::rightArrow:
        return QStringLiteral("\u2192");
    case SpecialKey::downArrow:
        return QStringLiteral("\u2193");
    case SpecialKey::leftArrow:
        return QStringLiteral("\u2190");
    case SpecialKey::keypadClear:
        return inKeycap(QChar(u'\u2612'));
    case SpecialKey::keypadDecimal:
        return inKeycap(u'.');
    case SpecialKey::keypadDivide:
        return inKeycap(u'/');
    case SpecialKey::keypadEnter:
        return inKeycap(QChar(u'\u21A9'));
    case SpecialKey::keypadEquals:
        return inKeycap(u'=');
    case SpecialKey::keypadMinus:
        return inKeycap(u'-');
    case SpecialKey::keypadMultiply:
        return inKeycap(u'*');
    case SpecialKey::keypadPlus:
        return inKeycap(u'+');
    default:
        return QString();
    }
}

std::optional<QString> menuKeyEquivalent(SpecialKey key)
{
    if (isKeypadKey(key))
        return std::nullopt;
    if (const auto character = functionKeyCharacter(key))
        return QString(QChar(*character));
    if (key == SpecialKey::space)
        return QStringLiteral(" ");
    // Every other menu text is the display symbol itself.
    return displayText(key);
}

std::optional<Qt::Key> keyEquivalent(SpecialKey key)
{
    if (isKeypadKey(key))
        return std::nullopt;
    if (isFunctionKey(key))
        return Qt::Key(Qt::Key_F1 + (int(key) - int(SpecialKey::f1)));
    switch (key) {
    case SpecialKey::return_:
        return Qt::Key_Return;
    case SpecialKey::delete_:
        return Qt::Key_Backspace;
    case SpecialKey::deleteForward:
        return Qt::Key_Delete;
    case SpecialKey::end:
        return Qt::Key_End;
    case SpecialKey::escape:
        return Qt::Key_Escape;
    case SpecialKey::help:
        return Qt::Key_Help;
    case SpecialKey::home:
        return Qt::Key_Home;
    case SpecialKey::space:
        return Qt::Key_Space;
    case SpecialKey::tab:
        return Qt::Key_Tab;
    case SpecialKey::pageUp:
        return Qt::Key_PageUp;
    case SpecialKey::pageDown:
        return Qt::Key_PageDown;
    case SpecialKey::upArrow:
        return Qt::Key_Up;
    case SpecialKey::rightArrow:
        return Qt::Key_Right;
    case SpecialKey::downArrow:
        return Qt::Key_Down;
    case SpecialKey::leftArrow:
        return Qt::Key_Left;
    default:
        return std::nullopt;
    }
}

const QSet<char16_t> &functionKeys()
{
    static const QSet<char16_t> keys = [] {
        QSet<char16_t> s;
        for (int i = 0; i < 35; ++i)
            s.insert(char16_t(firstFunctionKey + i));
        return s;
    }();
    return keys;
}

} // namespace GlobalShortcuts
