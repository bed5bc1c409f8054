// SPDX-License-Identifier: GPL-3.0-or-later
// Global shortcuts while a menu of ours is open: the popup holds the keyboard, so the shortcut
// arrives as the menu's own key events.
#include "GlobalShortcuts/Name.h"

#include "HotKeyX11Fixture.h"

#include <QKeyEvent>
#include <QMenu>

namespace {

using platform::HotKeyService;
using namespace x11test;

// Stores Control+Shift+K as the shortcut and counts its key-downs and key-ups. Control+Shift,
// since a menu closes on its own when Alt goes down and up.
void countPressesOfControlShiftK(int &downs, int &ups)
{
    constexpr std::uint32_t controlShift = 0x1000 | 0x200;
    const GlobalShortcuts::Name name(QStringLiteral("parlovox"));
    name.setShortcut(GlobalShortcuts::Shortcut(carbonK, controlShift));
    GlobalShortcuts::onKeyDown(name, [&downs] { ++downs; });
    GlobalShortcuts::onKeyUp(name, [&ups] { ++ups; });
}

TEST_F(HotKeyX11Test, WithOurMenuOpenTheShortcutStillWorksThroughTheMenusOwnKeyEvents)
{
    int downs = 0, ups = 0;
    countPressesOfControlShiftK(downs, ups);
    const auto press = [this] {
        for (const quint8 key : {controlLeft, shiftLeft, keyK})
            m_typist.key(key, true);
        for (const quint8 key : {keyK, shiftLeft, controlLeft})
            m_typist.key(key, false);
    };

    QMenu menu;
    menu.addAction(QStringLiteral("Settings"));
    menu.popup(QPoint(100, 100));
    ASSERT_TRUE(testsupport::waitUntil([&menu] { return menu.isVisible(); }, 3000));
    ASSERT_TRUE(m_context->isMenuOpen());
    ASSERT_TRUE(testsupport::waitUntil([this] { return m_typist.isKeyboardGrabbed(); }, 3000));

    press();
    EXPECT_TRUE(testsupport::waitUntil([&ups] { return ups > 0; }, 3000));
    ASSERT_TRUE(barrier().pass(m_typist));
    EXPECT_EQ(downs, 1);
    EXPECT_TRUE(menu.isVisible()); // the keys were ours, not the menu's

    // Letting go of the modifiers before the key still ends the press.
    for (const quint8 key : {controlLeft, shiftLeft, keyK})
        m_typist.key(key, true);
    for (const quint8 key : {controlLeft, shiftLeft, keyK})
        m_typist.key(key, false);
    EXPECT_TRUE(testsupport::waitUntil([&ups] { return ups > 1; }, 3000));
    EXPECT_EQ(downs, 2);

    menu.hide();
    ASSERT_FALSE(m_context->isMenuOpen());
    press();
    EXPECT_TRUE(testsupport::waitUntil([&ups] { return ups > 2; }, 3000));
    EXPECT_EQ(downs, 3);
}

TEST_F(HotKeyX11Test, WithOurMenuOpenTheRepeatsOfAHeldShortcutNeverReachTheMenu)
{
    int downs = 0, ups = 0;
    countPressesOfControlShiftK(downs, ups);

    class Menu : public QMenu
    {
    public:
        // Control and Shift are not ours and reach the menu.
        int pressesOfK = 0;

    protected:
        void keyPressEvent(QKeyEvent *event) override
        {
            if (event->nativeScanCode() == keyK)
                ++pressesOfK;
            QMenu::keyPressEvent(event);
        }
    } menu;
    // K is the mnemonic a repeat would fire.
    menu.addAction(QStringLiteral("&Keep"));
    menu.popup(QPoint(100, 100));
    ASSERT_TRUE(testsupport::waitUntil([this] { return m_typist.isKeyboardGrabbed(); }, 3000));
    ASSERT_TRUE(m_context->isMenuOpen());

    // Installed after the hot-key service's filter, so it sees each key event before that one.
    class PressCounter : public QObject
    {
    public:
        int pressesOfK = 0;

    protected:
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::KeyPress && watched->isWindowType() &&
                static_cast<QKeyEvent *>(event)->nativeScanCode() == keyK)
                ++pressesOfK;
            return false;
        }
    } counter;
    QCoreApplication::instance()->installEventFilter(&counter);

    // Held until the server has repeated K: with detectable auto-repeat the repeats are
    // further presses.
    for (const quint8 key : {controlLeft, shiftLeft, keyK})
        m_typist.key(key, true);
    const bool repeated = testsupport::waitUntil([&counter] { return counter.pressesOfK >= 3; });
    // Without it, Qt marks them as repeats; those come as the window would get them.
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier, keyK,
                         0, 0, QStringLiteral("k"), true);
        QCoreApplication::sendEvent(menu.windowHandle(), &repeat);
    }
    ASSERT_TRUE(repeated) << "the X server did not repeat the held key";
    for (const quint8 key : {keyK, shiftLeft, controlLeft})
        m_typist.key(key, false);
    ASSERT_TRUE(testsupport::waitUntil([&ups] { return ups > 0; }, 3000));
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(menu.pressesOfK, 0);
    EXPECT_TRUE(menu.isVisible());
}

} // namespace
