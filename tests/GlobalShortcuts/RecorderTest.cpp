// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder field with real key events delivered to its window (offscreen): the monitor sees
// them first, as on the desktop, and the hot-key double stands in for the desktop's grabs.
#include "GlobalShortcuts/Recorder.h"
#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/Localization.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/Storage.h"
#include "support/FakeEventMonitors.h"
#include "support/FakeHotKeyService.h"
#include "support/FixedLayoutKeyboard.h"
#include "support/MemoryUserDefaults.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace GlobalShortcuts;

namespace {

constexpr quint16 keyK = 40, keyQ = 12, keyA = 0, keyF5 = 96, keyF12 = 111, keySpace = 49;
constexpr quint16 keyTab = 48, keyEscape = 53, keyDelete = 51;
constexpr qint64 controlOption = 0x1000 | 0x800;
// Scan codes the test keyboard maps back to Carbon codes.
constexpr quint32 scanOffset = 1000;

// Counts the key presses that reach a widget.
class KeySpy final : public QObject
{
public:
    int presses = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress)
            ++presses;
        return false;
    }
};

class RecorderTest : public ::testing::Test
{
protected:
    RecorderTest()
    {
        m_keyboard = testsupport::FixedLayoutKeyboard::usAnsi();
        m_monitors.watchApplicationWindows([](quint32 scanCode) -> std::optional<quint16> {
            if (scanCode < scanOffset || scanCode >= scanOffset + 128)
                return std::nullopt;
            return static_cast<quint16>(scanCode - scanOffset);
        });
        m_context.setAlertPresenter([this](QWidget *, const RecorderAlert &alert) {
            m_alerts << alert;
            if (m_duringAlert)
                m_duringAlert();
            return m_answer;
        });
        auto *layout = new QVBoxLayout(&m_window);
        m_recorder = new Recorder(m_name, [this](const std::optional<Shortcut> &shortcut) {
            m_changes << (shortcut ? shortcut->description() : QStringLiteral("none"));
        });
        layout->addWidget(m_recorder);
        m_other = new QPushButton(QStringLiteral("next"));
        layout->addWidget(m_other);
        m_window.show();
        m_window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m_window));
        QApplication::processEvents(); // the field may take focus from the next turn on
        field()->installEventFilter(&m_spy);
    }

    RecorderField *field() const { return m_recorder->field(); }
    void record()
    {
        field()->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(field()->isRecording());
    }
    void press(quint16 carbonKey, Qt::Key qtKey, Qt::KeyboardModifiers modifiers = {})
    {
        QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, scanOffset + carbonKey, 0, 0);
        QApplication::sendEvent(m_window.windowHandle(), &event);
    }
    std::optional<Shortcut> stored() const { return getShortcut(m_name); }

    testsupport::MemoryUserDefaults m_defaults;
    testsupport::FixedLayoutKeyboard m_keyboard;
    testsupport::FakeEventMonitors m_monitors;
    testsupport::FakeHotKeyService m_hotKeys;
    ModuleContext m_context{m_defaults, &m_keyboard, &m_monitors};
    HotKeyHandlers m_handlers{m_context, m_hotKeys};
    const Name m_name{QStringLiteral("parlovox")};
    QList<RecorderAlert> m_alerts;
    int m_answer = 0;
    std::function<void()> m_duringAlert;
    QStringList m_changes;
    KeySpy m_spy;
    QWidget m_window;
    Recorder *m_recorder = nullptr;
    QPushButton *m_other = nullptr;
};

TEST_F(RecorderTest, EscapeTabAndDeleteEndOrRestartRecordingAsTheyShould)
{
    QList<bool> active;
    QObject listening; // ends the connection with the test's body
    QObject::connect(&m_context.notifier(), &Notifier::recorderActiveStatusDidChange, &listening,
                     [&active](bool isActive) { active << isActive; });
    record();
    EXPECT_TRUE(m_context.isAnyRecorderActive());
    EXPECT_EQ(field()->placeholderText(), localized("press_shortcut"));

    // Escape ends recording and never reaches the field.
    press(keyEscape, Qt::Key_Escape);
    EXPECT_FALSE(field()->isRecording());
    EXPECT_FALSE(field()->hasFocus());
    EXPECT_EQ(m_spy.presses, 0);
    EXPECT_FALSE(m_context.isAnyRecorderActive());
    EXPECT_EQ(field()->placeholderText(), localized("record_shortcut"));
    EXPECT_EQ(active, (QList<bool>{true, false}));

    // Delete clears a shown shortcut and keeps recording; with nothing shown it does nothing.
    m_name.setShortcut(Shortcut(keyK, controlOption));
    EXPECT_EQ(field()->text(), QStringLiteral("⌃⌥K"));
    EXPECT_TRUE(field()->clearAction()->isVisible());
    record();
    press(keyDelete, Qt::Key_Backspace);
    EXPECT_FALSE(stored());
    EXPECT_TRUE(field()->text().isEmpty());
    EXPECT_FALSE(field()->clearAction()->isVisible());
    EXPECT_TRUE(field()->isRecording());
    EXPECT_EQ(m_changes, QStringList{QStringLiteral("none")});
    press(keyDelete, Qt::Key_Backspace);
    EXPECT_EQ(m_changes.size(), 1);
    EXPECT_EQ(m_spy.presses, 0);

    // Tab goes on to the window, whose focus moves to the next control.
    press(keyTab, Qt::Key_Tab);
    EXPECT_EQ(m_spy.presses, 1);
    EXPECT_TRUE(m_other->hasFocus());
    EXPECT_FALSE(field()->isRecording());
    EXPECT_FALSE(m_context.isAnyRecorderActive());
}

TEST_F(RecorderTest, OnlyFunctionKeysMayGoWithoutCommandOptionOrControl)
{
    record();
    press(keyA, Qt::Key_A);
    press(keyA, Qt::Key_A, Qt::ShiftModifier);
    press(keySpace, Qt::Key_Space);
    EXPECT_FALSE(stored());
    EXPECT_TRUE(field()->isRecording());
    EXPECT_EQ(m_spy.presses, 0);

    press(keyF5, Qt::Key_F5);
    EXPECT_EQ(stored(), Shortcut(keyF5, 0));
    EXPECT_EQ(field()->text(), QStringLiteral("F5"));
    EXPECT_FALSE(field()->isRecording());
    EXPECT_TRUE(m_hotKeys.registered().contains(QStringLiteral("96/0x0")));

    record();
    press(keyF5, Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_EQ(stored(), Shortcut(keyF5, 0x200));
    EXPECT_EQ(m_hotKeys.registered(), QStringList{QStringLiteral("96/0x200")});
    EXPECT_EQ(m_changes, (QStringList{QStringLiteral("F5"), QStringLiteral("⇧F5")}));
    EXPECT_TRUE(m_alerts.isEmpty());
}

TEST_F(RecorderTest, AShortcutOfOurOwnMenuIsRefusedWithTheItemsName)
{
    QMenu menu;
    QAction *quit = menu.addAction(QStringLiteral("&Quit Parlovox"));
    quit->setShortcut(QKeySequence(Qt::META | Qt::Key_Q));
    record();
    press(keyQ, Qt::Key_Q, Qt::MetaModifier);
    ASSERT_EQ(m_alerts.size(), 1);
    EXPECT_EQ(
        m_alerts[0].messageText,
        localized("keyboard_shortcut_used_by_menu_item").arg(QStringLiteral("Quit Parlovox")));
    EXPECT_EQ(m_alerts[0].buttons, QStringList{localized("ok")});
    EXPECT_FALSE(stored());
    EXPECT_TRUE(field()->isRecording()); // back to recording after the alert
    // A shortcut of a submenu's item counts too; an upper-case letter stands for shift.
    QMenu *more = menu.addMenu(QStringLiteral("More"));
    more->addAction(QStringLiteral("Shout"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+Q")));
    press(keyQ, Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(m_alerts.size(), 2);
    EXPECT_TRUE(m_alerts[1].messageText.contains(QStringLiteral("Shout")));
    EXPECT_FALSE(stored());
}

TEST_F(RecorderTest, ACombinationTheDesktopHoldsAsksAndOnlyForceUseStoresIt)
{
    m_hotKeys.refuse(keyK, controlOption);
    record();
    press(keyK, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(m_alerts.size(), 1);
    EXPECT_EQ(m_alerts[0].messageText, localized("keyboard_shortcut_used_by_system"));
    EXPECT_EQ(m_alerts[0].informativeText, localized("keyboard_shortcuts_can_be_changed"));
    EXPECT_EQ(m_alerts[0].buttons, (QStringList{localized("ok"), localized("force_use_shortcut")}));
    EXPECT_FALSE(stored());
    EXPECT_TRUE(field()->isRecording());

    m_answer = 1;
    press(keyK, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(stored(), Shortcut(keyK, controlOption));
    EXPECT_FALSE(field()->isRecording());

    // A listed system shortcut asks too; F12 alone never does.
    m_hotKeys.setSystemHotKeys({{true, keyF12, 0}, {true, keySpace, 0x100}});
    m_answer = 0;
    record();
    press(keySpace, Qt::Key_Space, Qt::MetaModifier);
    EXPECT_EQ(m_alerts.size(), 3);
    press(keyF12, Qt::Key_F12);
    EXPECT_EQ(m_alerts.size(), 3);
    EXPECT_EQ(stored(), Shortcut(keyF12, 0));
}

TEST_F(RecorderTest, HotKeysDoNotFireWhileRecordingNorWhileAnAlertIsShown)
{
    int fired = 0;
    m_name.setShortcut(Shortcut(keyK, controlOption));
    onKeyDown(m_name, [&fired] { ++fired; });
    record();
    EXPECT_EQ(m_hotKeys.press(keyK, controlOption), platform::HotKeyService::noErr);
    EXPECT_EQ(fired, 0);

    m_hotKeys.refuse(keyA, controlOption);
    m_duringAlert = [&] { m_hotKeys.press(keyK, controlOption); };
    press(keyA, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(m_alerts.size(), 1);
    EXPECT_EQ(fired, 0);

    press(keyEscape, Qt::Key_Escape);
    m_hotKeys.press(keyK, controlOption);
    EXPECT_EQ(fired, 1);
}

} // namespace
