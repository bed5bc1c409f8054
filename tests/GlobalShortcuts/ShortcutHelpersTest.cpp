// SPDX-License-Identifier: GPL-3.0-or-later
// Menu entries and widgets that show or answer to a named shortcut, following its changes.
#include "GlobalShortcuts/GlobalKeyboardShortcutModifier.h"
#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/MenuItemShortcut.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/Storage.h"
#include "GlobalShortcuts/ViewShortcuts.h"
#include "support/FakeHotKeyService.h"
#include "support/FixedLayoutKeyboard.h"
#include "support/MemoryUserDefaults.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace GlobalShortcuts;

namespace {

constexpr std::uint32_t controlOption = 0x1000 | 0x800;
constexpr std::uint32_t keyK = 40;
constexpr std::uint32_t keyL = 37;
const QKeySequence controlOptionK(Qt::CTRL | Qt::ALT | Qt::Key_K);
const QKeySequence controlOptionL(Qt::CTRL | Qt::ALT | Qt::Key_L);

void runEventLoopOnce()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

class ShortcutHelpersTest : public ::testing::Test
{
protected:
    // Changes what is stored without telling anyone, so only a re-read can see it.
    void storeSilently(const Name &name, const Shortcut &shortcut)
    {
        m_defaults.setString(storageKey(name), QString::fromUtf8(shortcut.toJson()));
    }

    testsupport::MemoryUserDefaults m_defaults;
    testsupport::FixedLayoutKeyboard m_keyboard = testsupport::FixedLayoutKeyboard::usAnsi();
    ModuleContext m_context{m_defaults, &m_keyboard};
    testsupport::FakeHotKeyService m_service;
    HotKeyHandlers m_handlers{m_context, m_service};
    const Name m_name{QStringLiteral("parlovox")};
    const Name m_other{QStringLiteral("other")};
};

TEST_F(ShortcutHelpersTest, AMenuEntryFollowsItsOwnNameOnTheNextTurnOfTheEventLoop)
{
    m_name.setShortcut(Shortcut(keyK, controlOption));
    QAction action;
    setShortcutFor(action, m_name);
    EXPECT_EQ(action.shortcut(), controlOptionK);

    // Another name's change is none of its business, even when its own value moved meanwhile.
    storeSilently(m_name, Shortcut(keyL, controlOption));
    m_other.setShortcut(Shortcut(keyK, 0x100));
    runEventLoopOnce();
    EXPECT_EQ(action.shortcut(), controlOptionK);

    m_name.setShortcut(Shortcut(keyK, controlOption));
    m_name.setShortcut(std::nullopt);
    EXPECT_EQ(action.shortcut(), controlOptionK) << "applied only once the writer is done";
    runEventLoopOnce();
    EXPECT_TRUE(action.shortcut().isEmpty());

    // A key a menu cannot show (keypad 5) reads as no shortcut rather than as the bare modifiers.
    m_name.setShortcut(Shortcut(87, controlOption));
    runEventLoopOnce();
    EXPECT_TRUE(action.shortcut().isEmpty());
}

TEST_F(ShortcutHelpersTest, BindingAMenuEntryTwiceKeepsBothBindingsAndDetachingEndsTheLatest)
{
    auto action = std::make_unique<QAction>();
    setShortcutFor(*action, m_name);
    setShortcutFor(*action, m_name);
    setShortcutFor(*action, std::nullopt);
    EXPECT_TRUE(action->shortcut().isEmpty());

    // The first binding was never ended: it still writes the name's shortcut onto the entry,
    // also over a shortcut set by hand.
    setShortcut(*action, Shortcut(keyK, controlOption));
    EXPECT_EQ(action->shortcut(), controlOptionK);
    m_name.setShortcut(Shortcut(keyL, controlOption));
    runEventLoopOnce();
    EXPECT_EQ(action->shortcut(), controlOptionL);

    // Every binding ends with the entry, also a change already on its way.
    m_name.setShortcut(Shortcut(keyK, controlOption));
    action.reset();
    m_name.setShortcut(std::nullopt);
    runEventLoopOnce();
}

TEST_F(ShortcutHelpersTest, ADetachedMenuEntryNoLongerFollowsItsName)
{
    QAction action;
    setShortcutFor(action, m_name);
    setShortcutFor(action, std::nullopt);
    setShortcut(action, Shortcut(keyK, controlOption));
    m_name.setShortcut(Shortcut(keyL, controlOption));
    runEventLoopOnce();
    EXPECT_EQ(action.shortcut(), controlOptionK);
}

TEST_F(ShortcutHelpersTest, AButtonAnswersToItsNameUnlessARecorderRecords)
{
    m_name.setShortcut(Shortcut(keyK, controlOption));
    QPushButton button(QStringLiteral("Go"));
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    globalKeyboardShortcut(button, m_name);
    const auto *modifier = button.findChild<GlobalKeyboardShortcutModifier *>();
    ASSERT_NE(modifier, nullptr);
    EXPECT_EQ(modifier->keySequence(), controlOptionK);

    button.show();
    QApplication::setActiveWindow(&button);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&button));
    QTest::keyClick(&button, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(clicks, 1);

    Notifier &notifier = m_context.notifier();
    emit notifier.recorderActiveStatusDidChange(true);
    EXPECT_TRUE(modifier->keySequence().isEmpty());
    QTest::keyClick(&button, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(clicks, 1) << "the keys being recorded must not click the button";
    m_name.setShortcut(Shortcut(keyL, controlOption));
    EXPECT_TRUE(modifier->keySequence().isEmpty());

    emit notifier.recorderActiveStatusDidChange(false);
    EXPECT_EQ(modifier->keySequence(), controlOptionL);

    storeSilently(m_name, Shortcut(keyK, controlOption));
    m_other.setShortcut(Shortcut(keyL, controlOption));
    EXPECT_EQ(modifier->keySequence(), controlOptionL);
    postShortcutChange(m_name);
    EXPECT_EQ(modifier->keySequence(), controlOptionK);
}

TEST_F(ShortcutHelpersTest, AWidgetHearsItsNameOnlyWhileItIsShown)
{
    m_name.setShortcut(Shortcut(keyK, controlOption));
    m_service.clearLog();
    QWidget view;
    QStringList heard;
    int released = 0;
    onKeyboardShortcut(view, m_name, [&](EventType type) {
        heard << (type == EventType::keyDown ? QStringLiteral("down") : QStringLiteral("up"));
    });
    onGlobalKeyboardShortcut(view, m_name, EventType::keyUp, [&] { ++released; });
    m_service.press(keyK, controlOption);
    EXPECT_TRUE(heard.isEmpty());

    view.show();
    m_service.press(keyK, controlOption);
    m_service.release(keyK, controlOption);
    EXPECT_EQ(heard.join(QStringLiteral(", ")), QStringLiteral("down, up"));
    EXPECT_EQ(released, 1);

    // Hidden, its streams end, and with them the hot key nothing else needs.
    view.hide();
    EXPECT_EQ(m_service.log(), QStringLiteral("unregister #1"));
    heard.clear();
    m_service.press(keyK, controlOption);
    EXPECT_TRUE(heard.isEmpty());

    // Shown again it listens again; a press that hides a window is the last one that window
    // hears, and the other window goes on.
    view.show();
    int closingHeard = 0;
    QWidget closing;
    onKeyboardShortcut(closing, m_name, EventType::keyDown, [&] {
        ++closingHeard;
        closing.hide();
    });
    closing.show();
    m_service.press(keyK, controlOption);
    m_service.release(keyK, controlOption);
    m_service.press(keyK, controlOption);
    EXPECT_EQ(closingHeard, 1);
    EXPECT_EQ(heard.join(QStringLiteral(", ")), QStringLiteral("down, up, down"));
    view.hide();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_service.registered().isEmpty());
}

} // namespace
