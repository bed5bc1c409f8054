// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/CarbonKeyTable.h"
#include "GlobalShortcuts/Key.h"

#include <QSet>

#include <iterator>

#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

using GlobalShortcuts::Key;
using platform::linux_impl::CarbonKeyTable;

namespace {

TEST(CarbonKeyTable, EveryNamedKeyButFnHasItsOwnXKeyCode)
{
    QSet<int> xKeyCodes;
#define CHECK_KEY(name, code)                                                                      \
    if (Key::name != Key::function) {                                                              \
        const auto x = CarbonKeyTable::xKeyCodeForCarbonKeyCode(Key::name.rawValue);               \
        ASSERT_TRUE(x) << #name;                                                                   \
        EXPECT_FALSE(xKeyCodes.contains(*x)) << #name << " shares X key code " << int(*x);         \
        xKeyCodes.insert(*x);                                                                      \
        EXPECT_EQ(CarbonKeyTable::carbonKeyCodeForXKeyCode(*x), Key::name.rawValue) << #name;      \
    }
    GLOBALSHORTCUTS_NAMED_KEYS(CHECK_KEY)
#undef CHECK_KEY
    EXPECT_EQ(xKeyCodes.size(), 112);
}

// Every named key and the PC key at its place, written out apart from both tables so that a
// code swapped in either one shows here.
#define P(name, evdev)                                                                             \
    {                                                                                              \
#name, Key::name, evdev                                                                    \
    }
// clang-format off
const struct
{
    const char *name;
    Key key;
    int evdev;
} pcKeys[] = {
    P(a, KEY_A), P(b, KEY_B), P(c, KEY_C), P(d, KEY_D), P(e, KEY_E), P(f, KEY_F), P(g, KEY_G),
    P(h, KEY_H), P(i, KEY_I), P(j, KEY_J), P(k, KEY_K), P(l, KEY_L), P(m, KEY_M), P(n, KEY_N),
    P(o, KEY_O), P(p, KEY_P), P(q, KEY_Q), P(r, KEY_R), P(s, KEY_S), P(t, KEY_T), P(u, KEY_U),
    P(v, KEY_V), P(w, KEY_W), P(x, KEY_X), P(y, KEY_Y), P(z, KEY_Z),
    P(zero, KEY_0), P(one, KEY_1), P(two, KEY_2), P(three, KEY_3), P(four, KEY_4),
    P(five, KEY_5), P(six, KEY_6), P(seven, KEY_7), P(eight, KEY_8), P(nine, KEY_9),
    P(capsLock, KEY_CAPSLOCK), P(shift, KEY_LEFTSHIFT), P(function, KEY_FN),
    P(control, KEY_LEFTCTRL), P(option, KEY_LEFTALT), P(command, KEY_LEFTMETA),
    P(rightCommand, KEY_RIGHTMETA), P(rightOption, KEY_RIGHTALT), P(rightControl, KEY_RIGHTCTRL),
    P(rightShift, KEY_RIGHTSHIFT),
    P(return_, KEY_ENTER), P(backslash, KEY_BACKSLASH), P(backtick, KEY_GRAVE),
    P(comma, KEY_COMMA), P(equal, KEY_EQUAL), P(minus, KEY_MINUS), P(period, KEY_DOT),
    P(quote, KEY_APOSTROPHE), P(semicolon, KEY_SEMICOLON), P(slash, KEY_SLASH),
    P(space, KEY_SPACE), P(tab, KEY_TAB), P(leftBracket, KEY_LEFTBRACE),
    P(rightBracket, KEY_RIGHTBRACE),
    P(pageUp, KEY_PAGEUP), P(pageDown, KEY_PAGEDOWN), P(home, KEY_HOME), P(end, KEY_END),
    P(upArrow, KEY_UP), P(rightArrow, KEY_RIGHT), P(downArrow, KEY_DOWN), P(leftArrow, KEY_LEFT),
    P(escape, KEY_ESC), P(delete_, KEY_BACKSPACE), P(deleteForward, KEY_DELETE),
    P(help, KEY_INSERT), P(mute, KEY_MUTE), P(volumeUp, KEY_VOLUMEUP),
    P(volumeDown, KEY_VOLUMEDOWN),
    P(f1, KEY_F1), P(f2, KEY_F2), P(f3, KEY_F3), P(f4, KEY_F4), P(f5, KEY_F5), P(f6, KEY_F6),
    P(f7, KEY_F7), P(f8, KEY_F8), P(f9, KEY_F9), P(f10, KEY_F10), P(f11, KEY_F11),
    P(f12, KEY_F12), P(f13, KEY_F13), P(f14, KEY_F14), P(f15, KEY_F15), P(f16, KEY_F16),
    P(f17, KEY_F17), P(f18, KEY_F18), P(f19, KEY_F19), P(f20, KEY_F20),
    P(keypad0, KEY_KP0), P(keypad1, KEY_KP1), P(keypad2, KEY_KP2), P(keypad3, KEY_KP3),
    P(keypad4, KEY_KP4), P(keypad5, KEY_KP5), P(keypad6, KEY_KP6), P(keypad7, KEY_KP7),
    P(keypad8, KEY_KP8), P(keypad9, KEY_KP9),
    P(keypadClear, KEY_NUMLOCK), P(keypadDecimal, KEY_KPDOT), P(keypadDivide, KEY_KPSLASH),
    P(keypadEnter, KEY_KPENTER), P(keypadEquals, KEY_KPEQUAL), P(keypadMinus, KEY_KPMINUS),
    P(keypadMultiply, KEY_KPASTERISK), P(keypadPlus, KEY_KPPLUS),
};
// clang-format on
#undef P

TEST(CarbonKeyTable, EveryNamedKeySitsOnThePcKeyAtItsPlace)
{
    EXPECT_EQ(std::size(pcKeys), 113u);
    for (const auto &pc : pcKeys)
        EXPECT_EQ(CarbonKeyTable::evdevCodeForCarbonKeyCode(pc.key.rawValue), pc.evdev) << pc.name;
    EXPECT_EQ(CarbonKeyTable::xKeyCodeForCarbonKeyCode(Key::a.rawValue), 38);
    // The Fn key is known to the input layer but lies beyond what X key codes can name.
    EXPECT_FALSE(CarbonKeyTable::xKeyCodeForCarbonKeyCode(Key::function.rawValue));
    EXPECT_FALSE(CarbonKeyTable::xKeyCodeForCarbonKeyCode(52));
    EXPECT_FALSE(CarbonKeyTable::xKeyCodeForCarbonKeyCode(-1));
    EXPECT_FALSE(CarbonKeyTable::carbonKeyCodeForXKeyCode(7));
    EXPECT_FALSE(CarbonKeyTable::carbonKeyCodeForXKeyCode(256));
}

} // namespace
