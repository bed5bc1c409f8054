// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlobalShortcuts/Shortcut.h"
#include "GlobalShortcuts/Key.h"
#include "GlobalShortcuts/KeyToCharacter.h"
#include "GlobalShortcuts/Localization.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/SpecialKey.h"
#include "platform/Event.h"
#include "support/FixedLayoutKeyboard.h"
#include "support/MemoryUserDefaults.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace GlobalShortcuts;
using platform::Event;

namespace {

const QString control = QStringLiteral("\u2303");
const QString option = QStringLiteral("\u2325");
const QString shift = QStringLiteral("\u21E7");
const QString command = QStringLiteral("\u2318");
const QString globe = QStringLiteral("\U0001F310\uFE0E");

class ShortcutTest : public ::testing::Test
{
protected:
    testsupport::MemoryUserDefaults m_defaults;
    testsupport::FixedLayoutKeyboard m_keyboard = testsupport::FixedLayoutKeyboard::usAnsi();
    ModuleContext m_context{m_defaults, &m_keyboard};
};

Event keyEvent(Event::Type type, quint16 keyCode, ModifierFlags flags)
{
    Event event;
    event.type = type;
    event.keyCode = keyCode;
    event.modifierFlags = flags;
    return event;
}

TEST(ShortcutValues, ConstructorsKeepOnlyTheFiveKnownModifiers)
{
    // Caps lock (0x400) and right control (0x8000) are Carbon bits the module does not keep.
    const Shortcut fromCarbon(0, 0x1000 | 0x400 | 0x8000);
    EXPECT_EQ(fromCarbon.carbonKeyCode(), 0);
    EXPECT_EQ(fromCarbon.carbonModifiers(), 0x1000);

    const Shortcut fromFlags(Key::k, CocoaFlag::control | CocoaFlag::capsLock |
                                         CocoaFlag::numericPad | CocoaFlag::function | 0xFF);
    EXPECT_EQ(fromFlags.carbonKeyCode(), 40);
    EXPECT_EQ(fromFlags.carbonModifiers(), 0x1000 | 0x20000);
    EXPECT_EQ(fromFlags.modifiers(), CocoaFlag::control | CocoaFlag::function);
}

TEST(ShortcutValues, ModifierNumberingsMapRowByRow)
{
    EXPECT_EQ(carbonFromCocoa(CocoaFlag::command), 0x100);
    EXPECT_EQ(carbonFromCocoa(CocoaFlag::shift), 0x200);
    EXPECT_EQ(carbonFromCocoa(CocoaFlag::option), 0x800);
    EXPECT_EQ(carbonFromCocoa(CocoaFlag::control), 0x1000);
    EXPECT_EQ(carbonFromCocoa(CocoaFlag::function), 0x20000);
    EXPECT_EQ(cocoaFromCarbon(0x100 | 0x200 | 0x800 | 0x1000 | 0x20000),
              ModifierFlags(0x40000 | 0x80000 | 0x20000 | 0x100000 | 0x800000));
    EXPECT_EQ(cocoaFromCarbon(0x400 | 0x2000 | 0x4000 | 0x8000), 0u);
    EXPECT_EQ(carbonFromCocoa(CocoaFlag::capsLock | CocoaFlag::numericPad | CocoaFlag::help), 0);
}

TEST(ShortcutValues, EventsGiveShortcutsWithoutTheFunctionModifier)
{
    const auto down = Shortcut::fromEvent(
        keyEvent(Event::Type::keyDown, 96,
                 CocoaFlag::command | CocoaFlag::function | CocoaFlag::numericPad));
    ASSERT_TRUE(down);
    EXPECT_EQ(down->carbonKeyCode(), 96);
    EXPECT_EQ(down->carbonModifiers(), 0x100);

    EXPECT_TRUE(Shortcut::fromEvent(keyEvent(Event::Type::keyUp, 96, 0)));
    EXPECT_FALSE(Shortcut::fromEvent(keyEvent(Event::Type::flagsChanged, 63, CocoaFlag::function)));
    EXPECT_FALSE(Shortcut::fromEvent(keyEvent(Event::Type::leftMouseUp, 0, 0)));
}

TEST(ShortcutValues, DifferentModifiersMakeDifferentSetMembers)
{
    QSet<Shortcut> set{Shortcut(40, 0x100), Shortcut(40, 0x200), Shortcut(40, 0x100)};
    EXPECT_EQ(set.size(), 2);
    EXPECT_TRUE(set.contains(Shortcut(Key::k, CocoaFlag::shift)));
}

TEST(ShortcutValues, NamedKeysAndSpecialKeyTables)
{
    QSet<qint64> codes;
    int count = 0;
#define COUNT_KEY(name, code)                                                                      \
    ++count;                                                                                       \
    codes.insert(Key::name.rawValue);
    GLOBALSHORTCUTS_NAMED_KEYS(COUNT_KEY)
#undef COUNT_KEY
    EXPECT_EQ(count, 113);
    EXPECT_EQ(codes.size(), 113); // no two names share a position
    EXPECT_EQ(Key::a.rawValue, 0);
    EXPECT_EQ(Key::s.rawValue, 1);
    EXPECT_EQ(Key::f20.rawValue, 90);

    EXPECT_EQ(keyToSpecialKey().size(), 53);
    EXPECT_EQ(functionKeys().size(), 35);
    EXPECT_TRUE(functionKeys().contains(u'\uF704'));
    EXPECT_TRUE(functionKeys().contains(u'\uF726'));
    EXPECT_EQ(functionKeyCharacter(SpecialKey::f20), u'\uF717');
}

TEST(ShortcutJson, EncodesExactlyTheTwoMembersInOrder)
{
    EXPECT_EQ(Shortcut(40, 0x1800).toJson(),
              QByteArray(R"({"carbonKeyCode":40,"carbonModifiers":6144})"));
}

TEST(ShortcutJson, DecodesWithoutNormalising)
{
    const auto decoded = Shortcut::fromJson(R"({"carbonModifiers":1024,"carbonKeyCode":0})");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->carbonModifiers(), 0x400);
    EXPECT_NE(*decoded, Shortcut(0, 0x400)); // the constructor would have dropped the bit
    const auto roundTrip = Shortcut::fromJson(Shortcut(122, 0x20000).toJson());
    ASSERT_TRUE(roundTrip);
    EXPECT_EQ(*roundTrip, Shortcut(122, 0x20000));
    // Members the type does not know are ignored; integral numbers written as 1.0 are integers.
    EXPECT_TRUE(Shortcut::fromJson(R"({"carbonKeyCode":1.0,"carbonModifiers":0,"extra":"x"})"));
}

TEST(ShortcutJson, RejectsAnythingThatIsNotTwoIntegers)
{
    for (const char *text : {"", "0", "false", "[40, 256]", "{\"carbonKeyCode\":40}",
                             "{\"carbonKeyCode\":40,\"carbonModifiers\":\"256\"}",
                             "{\"carbonKeyCode\":40.5,\"carbonModifiers\":256}",
                             "{\"carbonKeyCode\":true,\"carbonModifiers\":256}",
                             "{\"carbonKeyCode\":1e30,\"carbonModifiers\":256}",
                             "{\"carbonKeyCode\":40,\"carbonModifiers\":256"})
        EXPECT_FALSE(Shortcut::fromJson(text)) << text;
}

TEST_F(ShortcutTest, DescriptionShowsTheFiveSymbolsInOrderThenTheKey)
{
    EXPECT_EQ(Shortcut(Key::k, CocoaFlag::function | CocoaFlag::command | CocoaFlag::shift |
                                   CocoaFlag::option | CocoaFlag::control)
                  .description(),
              control + option + shift + command + globe + QStringLiteral("K"));
    EXPECT_EQ(Shortcut(Key::a, CocoaFlag::command | CocoaFlag::shift).description(),
              shift + command + QStringLiteral("A"));
    EXPECT_EQ(Shortcut(Key::space, CocoaFlag::control | CocoaFlag::option).description(),
              control + option + QStringLiteral("Space"));
    EXPECT_EQ(Shortcut(Key::f12, 0).description(), QStringLiteral("F12"));
    EXPECT_EQ(Shortcut(Key::keypad5, 0).description(), QStringLiteral("5\u20E3"));
    EXPECT_EQ(Shortcut(Key::keypadClear, 0).description(), QStringLiteral("\u2612\u20E3"));
    EXPECT_EQ(Shortcut(Key::help, 0).description(), QStringLiteral("?\u20DD"));
}

TEST_F(ShortcutTest, DescriptionFollowsTheLayout)
{
    m_keyboard.setText(0, QStringLiteral("q")); // AZERTY-like: the "a" position types q
    EXPECT_EQ(Shortcut(Key::a, CocoaFlag::command).description(), command + QStringLiteral("Q"));
    m_keyboard.setDeadKey(0);
    EXPECT_EQ(Shortcut(Key::a, 0).description(), QStringLiteral("\uFFFD"));
    m_keyboard.setText(0, QStringLiteral("\u00E9"));
    EXPECT_EQ(Shortcut(Key::a, 0).description(), QStringLiteral("\u00C9"));
}

TEST(ShortcutValues, WordCapitalisationTitleCasesEveryWord)
{
    // A translation of the space key's name may have more than one word.
    EXPECT_EQ(capitalized(QStringLiteral("barra ESPACIADORA")),
              QStringLiteral("Barra Espaciadora"));
    // Title case, not upper case: the digraph dz with caron shows as Dz, not DZ.
    EXPECT_EQ(capitalized(QStringLiteral("\u01C6")), QStringLiteral("\u01C5"));
    EXPECT_EQ(capitalized(QStringLiteral("\U00010428")), QStringLiteral("\U00010400"));
}

TEST_F(ShortcutTest, KeyToCharacterWantsExactlyOneGrapheme)
{
    m_keyboard.setText(0, QStringLiteral("ab"));
    EXPECT_FALSE(keyToCharacter(0));
    m_keyboard.setText(0, QStringLiteral("e\u0301")); // one grapheme of two code points
    EXPECT_EQ(keyToCharacter(0), QStringLiteral("e\u0301"));
    m_keyboard.setText(0, QString());
    EXPECT_FALSE(keyToCharacter(0));
    // Special keys are never translated, even where the layout has text for them.
    m_keyboard.setText(Key::space.rawValue, QStringLiteral(" "));
    const int before = m_keyboard.lookups();
    EXPECT_FALSE(keyToCharacter(Key::space.rawValue));
    EXPECT_EQ(m_keyboard.lookups(), before);
    EXPECT_FALSE(keyToCharacter(-1));
    EXPECT_FALSE(keyToCharacter(0x10000));
}

TEST_F(ShortcutTest, MenuKeyEquivalents)
{
    EXPECT_FALSE(Shortcut(Key::keypad5, 0).nsMenuItemKeyEquivalent());
    EXPECT_EQ(Shortcut(Key::f3, 0).nsMenuItemKeyEquivalent(), QStringLiteral("\uF706"));
    EXPECT_EQ(Shortcut(Key::space, 0).nsMenuItemKeyEquivalent(), QStringLiteral(" "));
    EXPECT_EQ(Shortcut(Key::return_, 0).nsMenuItemKeyEquivalent(), QStringLiteral("\u21A9"));
    // A character key shows as typed, not capitalised.
    EXPECT_EQ(Shortcut(Key::q, CocoaFlag::command | CocoaFlag::shift).nsMenuItemKeyEquivalent(),
              QStringLiteral("q"));
    m_keyboard.setDeadKey(Key::q.rawValue);
    EXPECT_FALSE(Shortcut(Key::q, 0).nsMenuItemKeyEquivalent());
}

TEST_F(ShortcutTest, KeySequences)
{
    EXPECT_EQ(Shortcut(Key::a, CocoaFlag::command | CocoaFlag::shift).toKeySequence(),
              QKeySequence(Qt::META | Qt::SHIFT | Qt::Key_A));
    EXPECT_EQ(Shortcut(Key::comma, CocoaFlag::control | CocoaFlag::option).toKeySequence(),
              QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Comma));
    EXPECT_EQ(Shortcut(Key::f5, CocoaFlag::function).toKeySequence(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(Shortcut(Key::deleteForward, 0).toKeySequence(), QKeySequence(Qt::Key_Delete));
    EXPECT_FALSE(Shortcut(Key::keypadEnter, 0).toKeySequence());
    m_keyboard.setDeadKey(Key::a.rawValue);
    EXPECT_FALSE(Shortcut(Key::a, CocoaFlag::command).toKeySequence());
}

TEST(ShortcutValues, SandboxFlagNeedsOnlyTheVariableToExistAndIsReadOnce)
{
    // Only this test reads the flag in this program, so its first use is here.
    qputenv("APP_SANDBOX_CONTAINER_ID", QByteArray());
    EXPECT_TRUE(isSandboxed());
    qunsetenv("APP_SANDBOX_CONTAINER_ID");
    EXPECT_TRUE(isSandboxed());
}

TEST(ShortcutValues, WithoutAKeyboardNoKeyHasACharacter)
{
    testsupport::MemoryUserDefaults defaults;
    ModuleContext context(defaults);
    EXPECT_FALSE(keyToCharacter(0));
    EXPECT_EQ(Shortcut(Key::a, 0).description(), QStringLiteral("\uFFFD"));
    EXPECT_EQ(Shortcut(Key::tab, 0).description(), QStringLiteral("\u21E5"));
}

} // namespace
