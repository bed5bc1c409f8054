// SPDX-License-Identifier: GPL-3.0-or-later
// Global shortcuts for real: X11 grabs on the root window, pressed and held through XTEST from a
// client of our own, as a user's keyboard would.
#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/LocalEventMonitor.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/Name.h"
#include "platform/linux/LinuxEventMonitors.h"
#include "platform/linux/X11HotKeyService.h"
#include "platform/linux/XInputRawKeyWatcher.h"

#include "EventBarrier.h"
#include "XTestClient.h"
#include "support/EventLoop.h"
#include "support/MemoryUserDefaults.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWindow>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using platform::HotKeyService;
using platform::linux_impl::X11HotKeyService;

using namespace x11test;

constexpr std::uint32_t carbonK = 40;
constexpr std::uint32_t controlOption = 0x1000 | 0x800;

class HotKeyX11Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X11 display";
        ASSERT_TRUE(m_typist.isConnected());
        m_service = std::make_unique<X11HotKeyService>();
        ASSERT_TRUE(m_service->isAvailable());
        m_monitors = std::make_unique<platform::linux_impl::LinuxEventMonitors>();
        m_context =
            std::make_unique<GlobalShortcuts::ModuleContext>(m_defaults, nullptr, m_monitors.get());
        m_handlers = std::make_unique<GlobalShortcuts::HotKeyHandlers>(*m_context, *m_service);
    }
    void TearDown() override
    {
        m_barrier.reset();
        m_handlers.reset();
        m_context.reset();
        m_monitors.reset();
        m_service.reset();
    }

    // Made once the hot keys' filter is installed (at the first registration), so it sees the
    // grabbed keys first.
    EventBarrier &barrier()
    {
        if (!m_barrier)
            m_barrier = std::make_unique<EventBarrier>();
        return *m_barrier;
    }

    // Presses Control+Option+K, holds it (with `untilRepeated`, until the server has repeated K
    // twice), and lets go of K first.
    void holdShortcut(bool untilRepeated = false)
    {
        const int before = barrier().pressesOf(keyK);
        m_typist.key(controlLeft, true);
        m_typist.key(altLeft, true);
        m_typist.key(keyK, true);
        const bool repeated = !untilRepeated || testsupport::waitUntil([this, before] {
            return barrier().pressesOf(keyK) >= before + 3;
        });
        m_typist.key(keyK, false);
        m_typist.key(altLeft, false);
        m_typist.key(controlLeft, false);
        EXPECT_TRUE(repeated) << "the X server did not repeat the held key";
    }

    testsupport::MemoryUserDefaults m_defaults;
    std::unique_ptr<X11HotKeyService> m_service;
    std::unique_ptr<platform::linux_impl::LinuxEventMonitors> m_monitors;
    std::unique_ptr<GlobalShortcuts::ModuleContext> m_context;
    std::unique_ptr<GlobalShortcuts::HotKeyHandlers> m_handlers;
    XTestClient m_typist;
    std::unique_ptr<EventBarrier> m_barrier;
};

TEST_F(HotKeyX11Test, HoldingTheShortcutGivesOnePressAndOneReleaseAlsoWithNumLockOn)
{
    const GlobalShortcuts::Name name(QStringLiteral("parlovox"));
    name.setShortcut(GlobalShortcuts::Shortcut(carbonK, controlOption));
    int downs = 0, ups = 0;
    GlobalShortcuts::onKeyDown(name, [&downs] { ++downs; });
    GlobalShortcuts::onKeyUp(name, [&ups] { ++ups; });

    holdShortcut(true);
    ASSERT_TRUE(barrier().pass(m_typist));
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);

    m_typist.tap(numLock);
    ASSERT_TRUE(m_typist.isLockOn(XCB_MOD_MASK_2));
    holdShortcut();
    const bool released = testsupport::waitUntil([&ups] { return ups > 1; }, 3000);
    m_typist.tap(numLock);
    ASSERT_TRUE(released);
    EXPECT_EQ(downs, 2);
    EXPECT_EQ(ups, 2);

    // Given back: the keys reach nobody of ours any more.
    GlobalShortcuts::disable(name);
    holdShortcut();
    ASSERT_TRUE(barrier().pass(m_typist));
    EXPECT_EQ(downs, 2);
}

TEST_F(HotKeyX11Test, WithOurMenuOpenTheShortcutStillWorksThroughTheMenusOwnKeyEvents)
{
    // Control+Shift: a menu closes on its own when Alt goes down and up.
    constexpr std::uint32_t controlShift = 0x1000 | 0x200;
    const GlobalShortcuts::Name name(QStringLiteral("parlovox"));
    name.setShortcut(GlobalShortcuts::Shortcut(carbonK, controlShift));
    int downs = 0, ups = 0;
    GlobalShortcuts::onKeyDown(name, [&downs] { ++downs; });
    GlobalShortcuts::onKeyUp(name, [&ups] { ++ups; });
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
    constexpr std::uint32_t controlShift = 0x1000 | 0x200;
    const GlobalShortcuts::Name name(QStringLiteral("parlovox"));
    name.setShortcut(GlobalShortcuts::Shortcut(carbonK, controlShift));
    int downs = 0, ups = 0;
    GlobalShortcuts::onKeyDown(name, [&downs] { ++downs; });
    GlobalShortcuts::onKeyUp(name, [&ups] { ++ups; });

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

TEST_F(HotKeyX11Test, ACombinationAnotherClientHoldsIsRefusedAndLeavesNoGrabBehind)
{
    XTestClient owner;
    ASSERT_TRUE(owner.grab(keyK, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    auto refused = m_service->registerHotKey(carbonK, controlOption, {0x5056484B, 1});
    EXPECT_EQ(refused.status, HotKeyService::eventHotKeyExistsErr);
    EXPECT_EQ(refused.hotKey, nullptr);

    // Through the module: reported on standard output, nothing else.
    testing::internal::CaptureStdout();
    GlobalShortcuts::Name(QStringLiteral("parlovox"))
        .setShortcut(GlobalShortcuts::Shortcut(carbonK, controlOption));
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Error registering hotkey ", 0), 0u);

    // The lock variants we did get were given back: once the owner lets go, all four are ours.
    owner.ungrab(keyK, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
    auto granted = m_service->registerHotKey(carbonK, controlOption, {0x5056484B, 2});
    EXPECT_EQ(granted.status, HotKeyService::noErr);
    // ...and while we hold it, the other client is the one refused, and so are we a second time.
    EXPECT_FALSE(owner.grab(keyK, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_LOCK));
    EXPECT_EQ(m_service->registerHotKey(carbonK, controlOption, {0x5056484B, 3}).status,
              HotKeyService::eventHotKeyExistsErr);

    // Dropping the registration gives every variant back.
    granted.hotKey.reset();
    EXPECT_TRUE(owner.grab(keyK, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_LOCK));
}

TEST_F(HotKeyX11Test, DestroyingTheServiceGivesItsGrabsBack)
{
    auto held = m_service->registerHotKey(carbonK, controlOption, {0x5056484B, 1});
    ASSERT_EQ(held.status, HotKeyService::noErr);
    m_handlers.reset();
    m_context.reset();
    m_service.reset();

    XTestClient owner;
    EXPECT_TRUE(owner.grab(keyK, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    EXPECT_TRUE(owner.grab(keyK, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_2));
    held.hotKey.reset(); // outlived the service: nothing left to give back, and no crash
}

TEST_F(HotKeyX11Test, KeysWithoutAnX11KeyAreRefusedWithAStatus)
{
    // Fn (63) never reaches X; the function modifier has no X counterpart.
    EXPECT_EQ(m_service->registerHotKey(63, 0, {0x5056484B, 1}).status,
              HotKeyService::eventHotKeyInvalidErr);
    EXPECT_EQ(m_service->registerHotKey(carbonK, 0x20000, {0x5056484B, 2}).status,
              HotKeyService::eventHotKeyInvalidErr);
}

TEST_F(HotKeyX11Test, RawKeysArriveOnTheirOwnConnectionEvenWhileOurGrabIsActive)
{
    platform::linux_impl::XInputRawKeyWatcher watcher;
    ASSERT_TRUE(watcher.start()) << qPrintable(watcher.error());
    QList<QPair<quint32, bool>> seen;
    QObject::connect(&watcher, &platform::linux_impl::XInputRawKeyWatcher::rawKey,
                     [&seen](quint32 keycode, bool pressed) {
                         seen.append({keycode, pressed});
                     });
    auto grab = m_service->registerHotKey(carbonK, controlOption, {0x5056484B, 1});
    ASSERT_EQ(grab.status, HotKeyService::noErr);

    holdShortcut();
    ASSERT_TRUE(testsupport::waitUntil([&seen] { return seen.size() >= 6; }, 3000));
    EXPECT_TRUE(seen.contains(QPair<quint32, bool>(keyK, true)));
    EXPECT_TRUE(seen.contains(QPair<quint32, bool>(keyK, false)));
}

TEST_F(HotKeyX11Test, GlobalMonitorsReportModifierKeysAsFlagsChanged)
{
    platform::linux_impl::LinuxEventMonitors monitors;
    QList<platform::Event> events;
    auto monitor = monitors.addGlobalMonitor(
        4096, [&events](const platform::Event &event) { events.append(event); });
    ASSERT_NE(monitor, nullptr); // raw keys work even where no input device reports Fn

    m_typist.tap(shiftLeft);
    ASSERT_TRUE(testsupport::waitUntil([&events] { return events.size() >= 2; }, 3000));
    EXPECT_EQ(events[0].type, platform::Event::Type::flagsChanged);
    EXPECT_EQ(events[0].keyCode, 56);
    EXPECT_EQ(events[0].modifierFlags, 0x20000u);
    EXPECT_EQ(events[1].modifierFlags, 0u);

    // Dropping the monitor ends its reports; one that stays shows when they would have come.
    QList<platform::Event> kept;
    auto keeper = monitors.addGlobalMonitor(
        4096, [&kept](const platform::Event &event) { kept.append(event); });
    monitor.reset();
    m_typist.tap(shiftLeft);
    ASSERT_TRUE(testsupport::waitUntil([&kept] { return kept.size() >= 2; }, 3000));
    EXPECT_EQ(events.size(), 2);
}

TEST_F(HotKeyX11Test, LocalMonitorsSeeOurFocusedWindowsKeysFirstAndMaySwallowThem)
{
    platform::linux_impl::LinuxEventMonitors monitors;
    QList<platform::Event> local, global;
    auto localMonitor = monitors.addLocalMonitor(
        platform::eventMask(platform::Event::Type::flagsChanged) |
            platform::eventMask(platform::Event::Type::keyDown),
        [&local](const platform::Event &event) {
            local.append(event);
            return event.type != platform::Event::Type::keyDown; // swallow key-downs
        });
    auto globalMonitor = monitors.addGlobalMonitor(
        4096, [&global](const platform::Event &event) { global.append(event); });

    class Window : public QWindow
    {
    public:
        int keyPresses = 0;

    protected:
        void keyPressEvent(QKeyEvent *) override { ++keyPresses; }
    } window;
    window.resize(200, 100);
    window.show();
    // X refuses to focus a window that is not mapped yet: ask again until the focus is taken.
    ASSERT_TRUE(testsupport::waitUntil(
        [&window] {
            if (QGuiApplication::focusWindow() == &window)
                return true;
            if (window.isExposed())
                window.requestActivate();
            return false;
        },
        3000));

    m_typist.key(shiftLeft, true);
    m_typist.tap(keyK);
    m_typist.key(shiftLeft, false);
    ASSERT_TRUE(testsupport::waitUntil([&local] { return local.size() >= 3; }, 3000));
    EXPECT_EQ(local[0].type, platform::Event::Type::flagsChanged);
    EXPECT_EQ(local[0].keyCode, 56);
    EXPECT_EQ(local[0].modifierFlags & 0x20000, 0x20000u);
    EXPECT_EQ(local[1].type, platform::Event::Type::keyDown);
    EXPECT_EQ(local[1].keyCode, 40);
    EXPECT_EQ(local[1].window, &window);
    EXPECT_EQ(local[2].modifierFlags & 0x20000, 0u);
    EXPECT_EQ(window.keyPresses, 1); // Shift went through, K was swallowed
    // Ours, so not reported as another program's: once the window is gone, a tap of Shift is
    // the first thing the global monitor reports (raw events come in order).
    window.hide();
    ASSERT_TRUE(testsupport::waitUntil([] { return !QGuiApplication::focusWindow(); }, 3000));
    m_typist.tap(shiftLeft);
    ASSERT_TRUE(testsupport::waitUntil([&global] { return global.size() >= 2; }, 3000));
    EXPECT_EQ(global.size(), 2);
    EXPECT_EQ(global[0].keyCode, 56);
}

TEST_F(HotKeyX11Test, TheModulesLocalMonitorTakesOurWindowsKeysAsTheirKeyPositions)
{
    class Window : public QWindow
    {
    public:
        QStringList received;

    protected:
        void keyPressEvent(QKeyEvent *e) override
        {
            received << QStringLiteral("down %1").arg(e->nativeScanCode());
        }
        void keyReleaseEvent(QKeyEvent *e) override
        {
            received << QStringLiteral("up %1").arg(e->nativeScanCode());
        }
    } window;
    const auto key = [&window](QEvent::Type type, quint32 xKeyCode,
                               Qt::KeyboardModifiers modifiers = {}) {
        QKeyEvent event(type, Qt::Key_unknown, modifiers, xKeyCode, 0, 0);
        QCoreApplication::sendEvent(&window, &event);
    };
    constexpr quint32 xKeyQ = 24, xKeyW = 25; // Carbon 12 and 13
    QList<platform::Event> seen;
    GlobalShortcuts::LocalEventMonitor monitor(
        platform::eventMask(platform::Event::Type::keyDown),
        [&seen](const platform::Event &e) -> std::optional<platform::Event> {
            seen << e;
            if (e.keyCode == 12)
                return std::nullopt;
            return e;
        });
    monitor.start();

    key(QEvent::KeyPress, xKeyQ, Qt::ControlModifier | Qt::MetaModifier);
    key(QEvent::KeyPress, xKeyW);
    key(QEvent::KeyRelease, xKeyQ); // not in the mask
    key(QEvent::KeyPress, 3);       // no key position
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].keyCode, 12);
    EXPECT_EQ(seen[0].modifierFlags, 0x40000u | 0x100000u);
    EXPECT_EQ(seen[0].window, &window);
    EXPECT_EQ(seen[1].keyCode, 13);
    EXPECT_EQ(window.received, (QStringList{QStringLiteral("down 25"), QStringLiteral("up 24"),
                                            QStringLiteral("down 3")}));
}

} // namespace
