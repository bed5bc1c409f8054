// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/X11Keyboard.h"
#include "GlobalShortcuts/Key.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/Shortcut.h"
#include "support/MemoryUserDefaults.h"

#include <QGuiApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include <xcb/xcb.h>
// xkb.h names a member "explicit".
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

using namespace GlobalShortcuts;
using platform::linux_impl::X11Keyboard;

namespace {

// "a" for the constant a, "7" for seven; empty for every other name.
QString letterOrDigitOf(const char *name)
{
    static const QStringList digits{"zero", "one", "two",   "three", "four",
                                    "five", "six", "seven", "eight", "nine"};
    const QString text = QString::fromLatin1(name);
    if (text.size() == 1)
        return text;
    const qsizetype digit = digits.indexOf(text);
    return digit < 0 ? QString() : QString::number(digit);
}

class X11KeyboardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X display";
        setLayout(QStringLiteral("us"));
    }
    void TearDown() override
    {
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            setLayout(QStringLiteral("us"));
    }

    static void setLayout(const QString &layouts)
    {
        ASSERT_EQ(
            QProcess::execute(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), layouts}),
            0);
    }
    // Locks the keyboard's group, as a layout switch shortcut does.
    static void lockGroup(uint8_t group)
    {
        xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
        ASSERT_EQ(xcb_connection_has_error(connection), 0);
        free(xcb_xkb_use_extension_reply(connection, xcb_xkb_use_extension(connection, 1, 0),
                                         nullptr));
        xcb_generic_error_t *error = xcb_request_check(
            connection, xcb_xkb_latch_lock_state_checked(connection, XCB_XKB_ID_USE_CORE_KBD, 0, 0,
                                                         1, group, 0, 0, 0));
        EXPECT_EQ(error, nullptr);
        free(error);
        xcb_disconnect(connection);
    }

    X11Keyboard m_keyboard;
};

TEST_F(X11KeyboardTest, UsLayoutTypesTheUsPositions)
{
    EXPECT_EQ(m_keyboard.textForKeyCode(Key::a.rawValue), QStringLiteral("a"));
    EXPECT_EQ(m_keyboard.textForKeyCode(Key::q.rawValue), QStringLiteral("q"));
    EXPECT_EQ(m_keyboard.textForKeyCode(Key::zero.rawValue), QStringLiteral("0"));
    EXPECT_EQ(m_keyboard.textForKeyCode(Key::leftBracket.rawValue), QStringLiteral("["));
    EXPECT_EQ(m_keyboard.textForKeyCode(Key::slash.rawValue), QStringLiteral("/"));
    // Keys without text, and the Fn key, which X never sees.
    EXPECT_FALSE(m_keyboard.textForKeyCode(Key::f5.rawValue));
    EXPECT_FALSE(m_keyboard.textForKeyCode(Key::function.rawValue));
    EXPECT_FALSE(m_keyboard.textForKeyCode(52)); // no key at that Carbon code
}

TEST_F(X11KeyboardTest, FrenchLayoutMovesLettersAndHasDeadKeys)
{
    setLayout(QStringLiteral("fr"));
    EXPECT_EQ(m_keyboard.textForKeyCode(Key::a.rawValue), QStringLiteral("q"));
    EXPECT_EQ(m_keyboard.textForKeyCode(Key::q.rawValue), QStringLiteral("a"));
    EXPECT_FALSE(m_keyboard.textForKeyCode(Key::leftBracket.rawValue)); // dead circumflex

    testsupport::MemoryUserDefaults defaults;
    ModuleContext context(defaults, &m_keyboard);
    EXPECT_EQ(Shortcut(Key::a, CocoaFlag::command).description(), QStringLiteral("\u2318Q"));
    EXPECT_EQ(Shortcut(Key::leftBracket, 0).description(), QStringLiteral("\uFFFD"));
}

TEST_F(X11KeyboardTest, ShortcutsReadInTheFirstLatinLayoutWhateverGroupIsInEffect)
{
    testsupport::MemoryUserDefaults defaults;
    ModuleContext context(defaults, &m_keyboard);
    const Shortcut controlOptionA(Key::a, CocoaFlag::control | CocoaFlag::option);

    setLayout(QStringLiteral("ru,us"));
    EXPECT_EQ(controlOptionA.description(), QStringLiteral("\u2303\u2325A"));
    lockGroup(1);
    EXPECT_EQ(controlOptionA.description(), QStringLiteral("\u2303\u2325A"));
    lockGroup(0);
    EXPECT_EQ(controlOptionA.description(), QStringLiteral("\u2303\u2325A"));

    // The first Latin group wins, also when it is not the one in effect.
    setLayout(QStringLiteral("fr,us"));
    lockGroup(1);
    EXPECT_EQ(m_keyboard.textForKeyCode(Key::a.rawValue), QStringLiteral("q"));
}

TEST_F(X11KeyboardTest, EveryLetterAndDigitPositionTypesItsNameOnUsAnsi)
{
    // The names of the key constants are their US-ANSI characters, so they check the position
    // table against the server's own keymap.
    int checked = 0;
#define CHECK_KEY(name, code)                                                                      \
    if (const QString expected = letterOrDigitOf(#name); !expected.isEmpty()) {                    \
        EXPECT_EQ(m_keyboard.textForKeyCode(Key::name.rawValue), expected) << #name;               \
        ++checked;                                                                                 \
    }
    GLOBALSHORTCUTS_NAMED_KEYS(CHECK_KEY)
#undef CHECK_KEY
    EXPECT_EQ(checked, 36);
}

} // namespace
