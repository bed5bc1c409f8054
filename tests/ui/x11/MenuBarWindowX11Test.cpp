// SPDX-License-Identifier: GPL-3.0-or-later
// The tray window on a real X server: a tray host shows the program's icon, a click on it opens
// the window next to it, and Escape, a click elsewhere or another click on the icon close it.
// Open, it has the focus but never grabs the keyboard, which would swallow the push-to-talk
// shortcut; a keyboard grab, ours or another program's, does not take its focus away.
// The test desktop's tray host sits in a panel in the top right corner.
#include "ui/menubar/MenuBarFixture.h"

#include "GlobalShortcuts/HotKeyHandlers.h"
#include "XTestClient.h"
#include "engine/HotkeyManager.h"
#include "platform/linux/X11HotKeyService.h"
#include "platform/linux/X11WindowSystem.h"
#include "support/TrayIconShown.h"
#include "ui/kit/Symbols.h"
#include "ui/menubar/MenuBarWindow.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWindow>

namespace {

using testsupport::HttpReply;

// Runs an xdotool command, as the user's mouse and keyboard.
bool xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished(3000) && process.exitCode() == 0;
}

bool clickAt(const QPoint &point)
{
    return xdotool({QStringLiteral("mousemove"), QString::number(point.x()),
                    QString::number(point.y()), QStringLiteral("click"), QStringLiteral("1")});
}

class MenuBarWindowX11 : public MenuBarFixture
{
protected:
    void SetUp() override
    {
        MenuBarFixture::SetUp();
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs an X server";
        // The test desktop has a tray host in a panel along the top of the screen.
        ASSERT_TRUE(
            testsupport::waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000))
            << "no system tray on the display";
    }
    void TearDown() override
    {
        // The window and AppState go before the hot keys they use.
        window.reset();
        app.reset();
        handlers.reset();
        m_hotKeys.reset();
        MenuBarFixture::TearDown();
    }

    bool isOpen() const { return window->isVisible(); }
    // Open for the user: on screen and focused, so a key or a click sent now reaches the window.
    bool isReady()
    {
        return isOpen() && window->windowHandle() && window->windowHandle()->isExposed() &&
               QGuiApplication::focusWindow() == window->windowHandle();
    }
    ::testing::AssertionResult waitUntilReady()
    {
        if (testsupport::waitUntil([this] { return isReady(); }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "open " << isOpen() << ", exposed "
               << (window->windowHandle() && window->windowHandle()->isExposed()) << ", focused "
               << (QGuiApplication::focusWindow() == window->windowHandle());
    }
    bool keyboardGrabbed() { return m_otherClient.isKeyboardGrabbed(); }
    // The tray host moves its icons about as others come and go: click where ours is now.
    static bool clickTrayIcon(const QSystemTrayIcon &tray)
    {
        return clickAt(tray.geometry().center());
    }

    // The program's window system and the recorded shortcut Control-Option-K as hot keys on the
    // X display, held through XTEST.
    void useTheDesktop()
    {
        m_windowSystem = std::make_unique<platform::linux_impl::X11WindowSystem>();
        handlers.reset();
        m_hotKeys = std::make_unique<platform::linux_impl::X11HotKeyService>();
        handlers = std::make_unique<GlobalShortcuts::HotKeyHandlers>(*shortcuts, *m_hotKeys);
        HotkeyManager::shortcutName().setShortcut(GlobalShortcuts::Shortcut(40, 0x1000 | 0x800));
        app->setHotkeyManager(std::make_unique<HotkeyManager>(app.get()));
        app->setUseFnKey(false);
    }
    void hold(std::uint8_t key, bool press)
    {
        for (const std::uint8_t held : {x11test::controlLeft, x11test::altLeft})
            if (press)
                m_typist.key(held, true);
        m_typist.key(key, press);
        for (const std::uint8_t held : {x11test::altLeft, x11test::controlLeft})
            if (!press)
                m_typist.key(held, false);
    }
    // Longer than Qt waits for the focus to come back before it deactivates a window.
    bool closesWithinAFocusLoss()
    {
        return testsupport::waitUntil([this] { return !isOpen(); }, 800);
    }

    x11test::XTestClient m_otherClient;
    x11test::XTestClient m_typist;

private:
    std::unique_ptr<platform::linux_impl::X11WindowSystem> m_windowSystem;
    std::unique_ptr<platform::linux_impl::X11HotKeyService> m_hotKeys;
};

// Opened while a dictation is transcribed, the window stays and shows it; when the transcript is
// pasted it makes way, and the paste waits until the window manager has made the window the user
// was in active again.
TEST_F(MenuBarWindowX11, OpenDuringTranscriptionItMakesWayAtThePasteWhichWaitsForTheFocus)
{
    services.windowSystem = std::make_unique<platform::linux_impl::X11WindowSystem>();
    platform::WindowSystem &windows = *services.windowSystem;
    HttpReply reply = HttpReply::json(200, R"({"text":"made way"})");
    reply.delayMs = 300;
    server.enqueue(reply, "/inference");
    ui::MenuBarWindow &menuBar = createWindow();
    QWidget userWindow;
    userWindow.setGeometry(300, 300, 200, 100);
    userWindow.show();
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return windows.activeWindow() == userWindow.winId(); }));

    std::optional<quint64> activeAtPaste;
    QObject::connect(app.get(), &AppState::stateChanged, &menuBar, [&] {
        if (app->state().isIdle() && !activeAtPaste)
            activeAtPaste = windows.activeWindow();
    });
    app->startRecording();
    scheduler->advance(1.5);
    app->stopRecording();
    ASSERT_TRUE(app->state().isProcessing());
    menuBar.showNear(QRect(100, 0, 24, 24));
    ASSERT_TRUE(waitUntilReady());
    EXPECT_TRUE(isOpen()) << "closed before the transcript came";

    ASSERT_TRUE(testsupport::waitUntil([this] { return app->state().isIdle(); }));
    EXPECT_FALSE(isOpen());
    EXPECT_EQ(keys->typed(), QStringLiteral("[Cmd+V]"));
    EXPECT_EQ(activeAtPaste, std::optional<quint64>(userWindow.winId()));
}

TEST_F(MenuBarWindowX11, OpensFromTheTrayIconNextToItAndClosesOnEscapeAndOnAClickElsewhere)
{
    ui::MenuBarWindow &menuBar = createWindow();
    QSystemTrayIcon tray(ui::Symbols::icon(QStringLiteral("waveform"), Qt::black));
    QObject::connect(&tray, &QSystemTrayIcon::activated, &menuBar,
                     [&](QSystemTrayIcon::ActivationReason reason) {
                         // Quick clicks arrive as a double click: each still toggles.
                         if (reason == QSystemTrayIcon::Trigger ||
                             reason == QSystemTrayIcon::DoubleClick)
                             menuBar.toggleNear(tray.geometry());
                     });
    tray.show();
    ASSERT_TRUE(testsupport::waitUntilTrayIconTakesClicks(tray));

    ASSERT_TRUE(clickTrayIcon(tray));
    ASSERT_TRUE(waitUntilReady());
    settle();
    EXPECT_FALSE(keyboardGrabbed());
    const QRect icon = tray.geometry();
    const QRect opened = menuBar.frameGeometry();
    // Under the icon, and under the panel when the panel reserves more room than the icon.
    EXPECT_GT(opened.top(), icon.bottom());
    EXPECT_LE(opened.top(), icon.bottom() + 12);
    EXPECT_LE(opened.left(), icon.left());
    EXPECT_GE(opened.right(), icon.left());
    EXPECT_TRUE(menuBar.screen()->geometry().contains(opened));
    EXPECT_EQ(opened.width(), ui::MenuBarView::width);

    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !isOpen(); }));

    ASSERT_TRUE(clickTrayIcon(tray));
    ASSERT_TRUE(waitUntilReady());
    ASSERT_TRUE(clickAt(QPoint(40, 700)));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !isOpen(); }));

    // A second click on the icon closes the window and does not open it again.
    ASSERT_TRUE(clickTrayIcon(tray));
    ASSERT_TRUE(waitUntilReady());
    ASSERT_TRUE(clickTrayIcon(tray));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !isOpen(); }));
    EXPECT_FALSE(testsupport::waitUntil([&] { return isOpen(); }, 500));

    // The window has the focus while open, so Control-Q reaches Quit.
    ASSERT_TRUE(clickTrayIcon(tray));
    ASSERT_TRUE(waitUntilReady());
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+q")}));
    EXPECT_TRUE(testsupport::waitUntil([&] { return workspace->requests.contains("terminate"); }));
}

// The shortcut's press is a keyboard grab, and so is another program's hot key: neither takes
// the focus, so the window stays and shows the dictation live, "Transcribing…" too when nothing
// is to be pasted. Escape and a click elsewhere still close it.
TEST_F(MenuBarWindowX11, AHeldHotKeyLeavesItOpenShowingTheDictation)
{
    defaults->setBool(QStringLiteral("autoPaste"), false);
    ui::MenuBarWindow &menuBar = createWindow();
    useTheDesktop();
    server.enqueue(testsupport::HttpReply::json(200, R"({"text":"seen live"})"), "/inference");
    bool showedTranscribing = false;
    QObject::connect(app.get(), &AppState::stateChanged, &menuBar, [&] {
        if (app->state().isProcessing())
            showedTranscribing = isOpen() && shows(QStringLiteral("processingRow"));
    });
    menuBar.showNear(QRect(1200, 0, 24, 24));
    ASSERT_TRUE(waitUntilReady());

    hold(x11test::keyK, true);
    ASSERT_TRUE(testsupport::waitUntil([this] { return app->state().isRecording(); }, 3000));
    EXPECT_FALSE(closesWithinAFocusLoss()) << "the shortcut's grab closed the window";
    EXPECT_TRUE(shows(QStringLiteral("recordingLabel")));
    EXPECT_EQ(QGuiApplication::focusWindow(), menuBar.windowHandle());
    scheduler->advance(1.0);
    hold(x11test::keyK, false);
    ASSERT_TRUE(testsupport::waitUntil([this] { return !app->state().isRecording(); }, 3000));
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_TRUE(showedTranscribing);
    EXPECT_EQ(app->transcriptionHistory(), QStringList{QStringLiteral("seen live")});
    EXPECT_TRUE(isOpen());

    constexpr std::uint8_t keyJ = 44;
    ASSERT_TRUE(m_otherClient.grab(keyJ, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    hold(keyJ, true);
    EXPECT_FALSE(closesWithinAFocusLoss()) << "another program's hot key closed the window";
    hold(keyJ, false);
    m_otherClient.ungrab(keyJ, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
    ASSERT_TRUE(waitUntilReady());
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !isOpen(); }));

    menuBar.showNear(QRect(1200, 0, 24, 24));
    ASSERT_TRUE(waitUntilReady());
    hold(x11test::keyK, true);
    hold(x11test::keyK, false);
    ASSERT_TRUE(waitUntilReady());
    ASSERT_TRUE(clickAt(QPoint(40, 700)));
    EXPECT_TRUE(testsupport::waitUntil([&] { return !isOpen(); }));
}

} // namespace
