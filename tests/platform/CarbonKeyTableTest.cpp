// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/CarbonKeyTable.h"
#include "GlobalShortcuts/Key.h"

#include <QSet>

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

TEST(CarbonKeyTable, PositionsFollowTheUsAnsiLayout)
{
    EXPECT_EQ(CarbonKeyTable::evdevCodeForCarbonKeyCode(Key::a.rawValue), KEY_A);
    EXPECT_EQ(CarbonKeyTable::xKeyCodeForCarbonKeyCode(Key::a.rawValue), 38);
    EXPECT_EQ(CarbonKeyTable::evdevCodeForCarbonKeyCode(Key::command.rawValue), KEY_LEFTMETA);
    EXPECT_EQ(CarbonKeyTable::evdevCodeForCarbonKeyCode(Key::help.rawValue), KEY_INSERT);
    EXPECT_EQ(CarbonKeyTable::evdevCodeForCarbonKeyCode(Key::keypadClear.rawValue), KEY_NUMLOCK);
    // The Fn key is known to the input layer but lies beyond what X key codes can name.
    EXPECT_EQ(CarbonKeyTable::evdevCodeForCarbonKeyCode(Key::function.rawValue), KEY_FN);
    EXPECT_FALSE(CarbonKeyTable::xKeyCodeForCarbonKeyCode(Key::function.rawValue));
    EXPECT_FALSE(CarbonKeyTable::xKeyCodeForCarbonKeyCode(52));
    EXPECT_FALSE(CarbonKeyTable::xKeyCodeForCarbonKeyCode(-1));
    EXPECT_FALSE(CarbonKeyTable::carbonKeyCodeForXKeyCode(7));
    EXPECT_FALSE(CarbonKeyTable::carbonKeyCodeForXKeyCode(256));
}

} // namespace
