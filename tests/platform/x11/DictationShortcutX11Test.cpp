// SPDX-License-Identifier: GPL-3.0-or-later
// The whole road from a real key to a transcript: the recorded shortcut, grabbed on the X
// display and held through XTEST, starts and stops a dictation of AppState (microphone, sounds
// and paste on doubles, a loopback speech server, virtual time for the recording itself).
#include "engine/AppStateFixture.h"

#include "EventBarrier.h"
#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "XTestClient.h"
#include "engine/HotkeyManager.h"
#include "platform/linux/X11HotKeyService.h"
#include "support/FakeEventMonitors.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace {

using testsupport::HttpReply;

// Key codes of the Xvfb keymap (evdev positions + 8).
using namespace x11test;

class DictationShortcutX11Test : public AppStateFixture
{
protected:
    ~DictationShortcutX11Test() override
    {
        if (app)
            app->setHotkeyManager(nullptr);
        m_handlers.reset();
        m_context.reset();
    }

    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X11 display";
        AppStateFixture::SetUp();
        auto hotKeys = std::make_unique<platform::linux_impl::X11HotKeyService>();
        ASSERT_TRUE(hotKeys->isAvailable());
        m_hotKeys = hotKeys.get();
        services.hotKeys = std::move(hotKeys);
        install<testsupport::FakeEventMonitors>(services.eventMonitors);
        m_context = std::make_unique<GlobalShortcuts::ModuleContext>(*services.userDefaults);
        m_handlers = std::make_unique<GlobalShortcuts::HotKeyHandlers>(*m_context, *m_hotKeys);
    }

    void key(quint8 keycode, bool press) { m_typist.key(keycode, press); }
    void pressShortcut()
    {
        key(controlLeft, true);
        key(altLeft, true);
        key(keyK, true);
        ASSERT_TRUE(testsupport::waitUntil([this] { return app->state().isRecording(); }, 3000));
    }
    // Lets go of K, then the modifiers; the milliseconds until the recording ended, or -1.
    qint64 releaseShortcut()
    {
        QElapsedTimer sinceRelease;
        qint64 endedAfter = -1;
        const auto connection = QObject::connect(app.get(), &AppState::stateChanged, [&] {
            if (endedAfter < 0 && !app->state().isRecording())
                endedAfter = sinceRelease.elapsed();
        });
        sinceRelease.start();
        key(keyK, false);
        key(altLeft, false);
        key(controlLeft, false);
        testsupport::waitUntil([&] { return endedAfter >= 0; }, 3000);
        QObject::disconnect(connection);
        return endedAfter;
    }
    // A popup of ours, as a menu or the old tray window: it takes the keyboard while shown.
    std::unique_ptr<QWidget> openPopup()
    {
        auto popup = std::make_unique<QWidget>(nullptr, Qt::Popup);
        popup->setGeometry(100, 100, 120, 80);
        popup->show();
        EXPECT_TRUE(testsupport::waitUntil([&] { return m_other.isKeyboardGrabbed(); }, 3000));
        return popup;
    }

    XTestClient m_typist;
    XTestClient m_other;
    platform::linux_impl::X11HotKeyService *m_hotKeys = nullptr;
    std::unique_ptr<GlobalShortcuts::ModuleContext> m_context;
    std::unique_ptr<GlobalShortcuts::HotKeyHandlers> m_handlers;
};

TEST_F(DictationShortcutX11Test, HoldingTheRecordedShortcutDictates)
{
    server.enqueue(HttpReply::json(200, R"({"text":"held and spoken"})"), "/inference");
    HotkeyManager::shortcutName().setShortcut(GlobalShortcuts::Shortcut(40, 0x1000 | 0x800));
    createDictating();
    app->setHotkeyManager(std::make_unique<HotkeyManager>(app.get()));
    app->setUseFnKey(false);

    EventBarrier barrier; // after the hot key's filter, so it sees the grabbed key first
    key(controlLeft, true);
    key(altLeft, true);
    key(keyK, true);
    ASSERT_TRUE(testsupport::waitUntil([this] { return app->state().isRecording(); }, 3000));
    scheduler->advance(1.5); // the microphone double records on virtual time
    // Held until the server repeats K: the repeats must not end or restart the recording.
    EXPECT_TRUE(testsupport::waitUntil([&barrier] { return barrier.pressesOf(keyK) >= 3; }));
    ASSERT_TRUE(barrier.pass(m_typist));
    EXPECT_TRUE(app->state().isRecording());
    key(keyK, false);
    key(altLeft, false);
    key(controlLeft, false);

    ASSERT_TRUE(testsupport::waitUntil([this] { return !app->state().isRecording(); }, 3000));
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(app->transcriptionHistory(), QStringList{QStringLiteral("held and spoken")});
    EXPECT_EQ(server.requestsTo("/inference").size(), 1);

    // Back on the Fn key, the combination does nothing although it stays stored.
    app->setUseFnKey(true);
    key(controlLeft, true);
    key(altLeft, true);
    key(keyK, true);
    key(keyK, false);
    key(altLeft, false);
    key(controlLeft, false);
    ASSERT_TRUE(barrier.pass(m_typist));
    EXPECT_TRUE(app->state().isIdle());
}

// The release may go elsewhere: to a popup of ours that took the keyboard meanwhile, or to
// another client (a screen locker) that grabbed it once ours was closed. The key's real state
// still ends the recording, at once.
TEST_F(DictationShortcutX11Test, NoRecordingOutlivesTheHeldShortcutWhateverHoldsTheKeyboard)
{
    HotkeyManager::shortcutName().setShortcut(GlobalShortcuts::Shortcut(40, 0x1000 | 0x800));
    createDictating();
    app->setHotkeyManager(std::make_unique<HotkeyManager>(app.get()));
    app->setUseFnKey(false);

    ASSERT_NO_FATAL_FAILURE(pressShortcut());
    auto popup = openPopup();
    const qint64 endedAfterPopup = releaseShortcut();
    EXPECT_GE(endedAfterPopup, 0) << "the recording outlived the shortcut released in a popup";
    EXPECT_LT(endedAfterPopup, 100);
    popup.reset();
    ASSERT_TRUE(waitUntilSettled());

    ASSERT_NO_FATAL_FAILURE(pressShortcut());
    openPopup().reset(); // a menu opened and closed: nothing holds the keyboard, K is still down
    ASSERT_TRUE(testsupport::waitUntil([this] { return m_other.grabKeyboard(); }, 3000));
    const qint64 endedAfterLocker = releaseShortcut();
    m_other.ungrabKeyboard();
    EXPECT_GE(endedAfterLocker, 0) << "the recording outlived the shortcut released in a grab";
    EXPECT_LT(endedAfterLocker, 100);
    ASSERT_TRUE(waitUntilSettled());
}

} // namespace
