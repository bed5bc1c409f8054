// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/KeyPositionTable.h"
#include "GlobalShortcuts/Key.h"

#include <QSet>

#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

using GlobalShortcuts::Key;
using platform::linux_impl::KeyPositionTable;

namespace {

TEST(KeyPositionTable, EveryNamedKeyButFnHasItsOwnXKeyCode)
{
    QSet<int> xKeyCodes;
#define CHECK_KEY(name, code)                                                                      \
    if (Key::name != Key::function) {                                                              \
        const auto x = KeyPositionTable::xKeyCodeForCarbonKeyCode(Key::name.rawValue);             \
        ASSERT_TRUE(x) << #name;                                                                   \
        EXPECT_FALSE(xKeyCodes.contains(*x)) << #name << " shares X key code " << int(*x);         \
        xKeyCodes.insert(*x);                                                                      \
        EXPECT_EQ(KeyPositionTable::carbonKeyCodeForXKeyCode(*x), Key::name.rawValue) << #name;    \
    }
    GLOBALSHORTCUTS_NAMED_KEYS(CHECK_KEY)
#undef CHECK_KEY
    EXPECT_EQ(xKeyCodes.size(), 112);
}

TEST(KeyPositionTable, KeysBeyondXAndUnknownCodesHaveNoXKeyCode)
{
    // The Fn key is known to the input layer but lies beyond what X key codes can name.
    EXPECT_EQ(KeyPositionTable::evdevCodeForCarbonKeyCode(Key::function.rawValue), KEY_FN);
    EXPECT_FALSE(KeyPositionTable::xKeyCodeForCarbonKeyCode(Key::function.rawValue));
    EXPECT_FALSE(KeyPositionTable::xKeyCodeForCarbonKeyCode(52));
    EXPECT_FALSE(KeyPositionTable::xKeyCodeForCarbonKeyCode(-1));
    EXPECT_FALSE(KeyPositionTable::carbonKeyCodeForXKeyCode(7));
    EXPECT_FALSE(KeyPositionTable::carbonKeyCodeForXKeyCode(256));
    EXPECT_EQ(KeyPositionTable::letterXKeyCodes().size(), 26);
}

} // namespace
