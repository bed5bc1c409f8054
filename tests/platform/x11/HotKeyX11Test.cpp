// SPDX-License-Identifier: GPL-3.0-or-later
// Global shortcuts for real: X11 grabs on the root window, pressed and held through XTEST from a
// client of our own, as a user's keyboard would.
#include "GlobalShortcuts/Name.h"
#include "platform/linux/XInputRawKeyWatcher.h"

#include "HotKeyX11Fixture.h"

#include <xcb/xcb.h>

namespace {

using platform::HotKeyService;
using namespace x11test;

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

} // namespace
