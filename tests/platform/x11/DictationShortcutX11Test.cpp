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
#include "platform/linux/LinuxEventMonitors.h"
#include "platform/linux/X11HotKeyService.h"
#include "support/FakeEventMonitors.h"
#include "support/LogCapture.h"
#include "support/TrayIconShown.h"

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QThread>
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
        m_menuTracking.reset();
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
        // The program's menus suspend its grabs, as in the program.
        m_menuTracking = std::make_unique<platform::linux_impl::LinuxEventMonitors>();
        m_context = std::make_unique<GlobalShortcuts::ModuleContext>(*services.userDefaults,
                                                                     nullptr, m_menuTracking.get());
        m_handlers = std::make_unique<GlobalShortcuts::HotKeyHandlers>(*m_context, *m_hotKeys);
    }

    void key(quint8 keycode, bool press) { m_typist.key(keycode, press); }
    void useShortcut()
    {
        HotkeyManager::shortcutName().setShortcut(GlobalShortcuts::Shortcut(40, 0x1000 | 0x800));
        createDictating();
        app->setHotkeyManager(std::make_unique<HotkeyManager>(app.get()));
        app->setUseFnKey(false);
    }
    void holdKeys()
    {
        key(controlLeft, true);
        key(altLeft, true);
        key(keyK, true);
    }
    void letGoOfKeys()
    {
        key(keyK, false);
        key(altLeft, false);
        key(controlLeft, false);
    }
    // Whether `condition` holds within a moment; for what must not happen, since the raw key
    // events come on a connection of their own that no barrier of ours passes.
    static bool soon(const std::function<bool()> &condition)
    {
        return testsupport::waitUntil(condition, 300);
    }
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
    std::unique_ptr<platform::linux_impl::LinuxEventMonitors> m_menuTracking;
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

    // Held on, the key is repeated by the server to our grab; repeats are still on their way to
    // us when a menu opens and the grab is given back. They are no new press.
    ASSERT_NO_FATAL_FAILURE(pressShortcut());
    class RepeatCounter final : public QAbstractNativeEventFilter
    {
    public:
        bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override
        {
            const auto *event = static_cast<xcb_key_press_event_t *>(message);
            presses += (event->response_type & ~0x80) == XCB_KEY_PRESS && event->detail == keyK;
            return false;
        }
        int presses = 0;
    } repeats;
    QCoreApplication::instance()->installNativeEventFilter(&repeats);
    const bool repeated = testsupport::waitUntil([&repeats] { return repeats.presses > 0; });
    QCoreApplication::instance()->removeNativeEventFilter(&repeats);
    ASSERT_TRUE(repeated) << "the X server did not repeat the held key";
    QThread::msleep(100); // two repeats come meanwhile, unread
    QMenu menu;
    menu.addAction(QStringLiteral("Settings"));
    menu.popup(QPoint(100, 100));
    ASSERT_TRUE(m_context->isMenuOpen());
    EXPECT_FALSE(soon([this] { return !app->state().isRecording(); }))
        << "a repeat of the held key was taken for a new press after a missed release";
    EXPECT_GE(releaseShortcut(), 0) << "the recording outlived the shortcut released in a menu";
    menu.hide();
    ASSERT_TRUE(waitUntilSettled());
}

// With the tray icon's menu open the release reaches us twice: as the menu's own key event and
// through the raw key events. The engine hears it once, and the dictation is pasted.
TEST_F(DictationShortcutX11Test, ReleasedOverTheTrayMenuTheShortcutMakesOneRecordingThatIsPasted)
{
    server.enqueue(HttpReply::json(200, R"({"text":"over the menu"})"), "/inference");
    useShortcut();
    int presses = 0, releases = 0;
    GlobalShortcuts::onKeyDown(HotkeyManager::shortcutName(), [&presses] { ++presses; });
    GlobalShortcuts::onKeyUp(HotkeyManager::shortcutName(), [&releases] { ++releases; });
    ASSERT_TRUE(
        testsupport::waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000));
    QPixmap icon(16, 16);
    icon.fill(Qt::black);
    QSystemTrayIcon tray{QIcon(icon)};
    QMenu menu;
    menu.addAction(QStringLiteral("Settings"));
    tray.setContextMenu(&menu);
    tray.show();
    ASSERT_TRUE(testsupport::waitUntilTrayIconTakesClicks(tray));

    ASSERT_NO_FATAL_FAILURE(pressShortcut());
    scheduler->advance(1.5);
    const QPoint at = tray.geometry().center();
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(at.x()),
                       QString::number(at.y()), QStringLiteral("click"), QStringLiteral("3")});
    ASSERT_TRUE(testsupport::waitUntil([&] { return menu.isVisible(); }, 3000));
    ASSERT_TRUE(m_context->isMenuOpen());
    key(keyK, true); // held on, the server repeats K to the menu
    EXPECT_FALSE(soon([this] { return !app->state().isRecording(); }));
    EXPECT_GE(releaseShortcut(), 0) << "the recording outlived the shortcut";
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_FALSE(soon([&releases] { return releases > 1; }));
    EXPECT_EQ(releases, 1);
    EXPECT_EQ(presses, 1);
    menu.hide();

    EXPECT_EQ(server.requestsTo("/inference").size(), 1);
    EXPECT_EQ(app->transcriptionHistory(), QStringList{QStringLiteral("over the menu")});
    EXPECT_EQ(keys->typed(), QStringLiteral("[Cmd+V]"));
    EXPECT_TRUE(app->state().isIdle());
}

// The raw key events tell of a release the grab may also bring: they end a press only when the
// grab did not, and only while the key is really up.
TEST_F(DictationShortcutX11Test, ARawReleaseEndsAPressOnlyWhenTheGrabMissedItAndTheKeyIsUp)
{
    testsupport::LogCapture hotKeysLog(QStringLiteral("parlovox.hotkeys"));
    const QString rescued = QStringLiteral("released, as the raw key events tell");
    useShortcut();

    // Ordinary releases come through the grab, whatever the raw key events say first.
    for (int i = 0; i < 5; ++i) {
        ASSERT_NO_FATAL_FAILURE(pressShortcut());
        EXPECT_GE(releaseShortcut(), 0);
    }
    EXPECT_FALSE(soon([&] { return hotKeysLog.lines().join(u'\n').contains(rescued); }));

    // Another client takes the keyboard while K is held; K goes up and down again before we
    // hear of its release: the recording goes on.
    ASSERT_NO_FATAL_FAILURE(pressShortcut());
    openPopup().reset(); // ended our grab's hold on the keyboard
    ASSERT_TRUE(testsupport::waitUntil([this] { return m_other.grabKeyboard(); }, 3000));
    key(keyK, false);
    key(keyK, true);
    EXPECT_FALSE(soon([this] { return !app->state().isRecording(); }))
        << "a release was delivered while the key was down";
    m_other.ungrabKeyboard();

    // Its final release reaches no grab of ours: the raw key events end the recording, once.
    EXPECT_GE(releaseShortcut(), 0) << "the recording outlived the shortcut";
    EXPECT_EQ(hotKeysLog.lines().filter(rescued).size(), 1);
}

// While the shortcut is held our grab would take the paste chord: a transcript that arrives
// meanwhile waits for the release. Transcripts arrive in the order they were spoken.
TEST_F(DictationShortcutX11Test, ATranscriptArrivingWhileTheShortcutIsHeldIsPastedOnItsRelease)
{
    defaults->setNumber(QStringLiteral("maxRecordingDuration"), 3);
    server.enqueue(HttpReply::json(200, R"({"text":"past the limit"})"), "/inference");
    useShortcut();

    // The limit ends the recording; the key is still down when the transcript comes back.
    ASSERT_NO_FATAL_FAILURE(pressShortcut());
    scheduler->advance(3.5);
    ASSERT_TRUE(testsupport::waitUntil([this] { return !app->transcriptionHistory().isEmpty(); }));
    EXPECT_FALSE(soon([this] { return !keys->typed().isEmpty(); })) << "pasted while held";
    EXPECT_TRUE(app->state().isProcessing());
    letGoOfKeys();
    ASSERT_TRUE(testsupport::waitUntil([this] { return app->state().isIdle(); }));
    EXPECT_EQ(keys->typed(), QStringLiteral("[Cmd+V]"));
    EXPECT_EQ(pasteboard->string(), QStringLiteral("past the limit"));

    // Pressed again while the next one is transcribed: that press starts nothing, but the
    // transcript waits for its release and goes before anything said later.
    HttpReply slow = HttpReply::json(200, R"({"text":"second"})");
    slow.delayMs = 200;
    server.enqueue(slow, "/inference");
    server.enqueue(HttpReply::json(200, R"({"text":"third"})"), "/inference");
    ASSERT_NO_FATAL_FAILURE(pressShortcut());
    scheduler->advance(1.5);
    EXPECT_GE(releaseShortcut(), 0);
    ASSERT_TRUE(app->state().isProcessing());
    holdKeys();
    ASSERT_TRUE(testsupport::waitUntil([this] { return app->transcriptionHistory().size() == 2; }));
    EXPECT_FALSE(soon([this] { return keys->typed().size() > 7; })) << "pasted while held";
    letGoOfKeys();
    ASSERT_TRUE(testsupport::waitUntil([this] { return app->state().isIdle(); }));
    EXPECT_EQ(pasteboard->string(), QStringLiteral("second"));
    ASSERT_NO_FATAL_FAILURE(pressShortcut());
    scheduler->advance(1.5);
    EXPECT_GE(releaseShortcut(), 0);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(keys->typed(), QStringLiteral("[Cmd+V][Cmd+V][Cmd+V]"));
    EXPECT_EQ(pasteboard->string(), QStringLiteral("third"));
    EXPECT_EQ(app->transcriptionHistory().first(), QStringLiteral("third"));
}

} // namespace
