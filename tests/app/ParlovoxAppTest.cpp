// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ParlovoxApp.h"
#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/Recorder.h"
#include "GlobalShortcuts/Storage.h"
#include "engine/AppStateFixture.h"
#include "engine/HotkeyManager.h"
#include "engine/UpdaterManager.h"
#include "platform/linux/SentryCrashReporter.h"
#include "support/FakeEventMonitors.h"
#include "support/FakeHotKeyService.h"
#include "support/FakeUpdater.h"
#include "support/FakeWorkspace.h"
#include "support/FixedLayoutKeyboard.h"
#include "ui/ApplicationScenes.h"
#include "ui/menubar/MenuBarExtra.h"
#include "ui/settings/InputTab.h"
#include "ui/settings/SettingsView.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <QRegularExpression>

#include <csignal>

namespace {

class ParlovoxAppTest : public AppStateFixture
{
protected:
    ParlovoxAppTest()
    {
        install<testsupport::FakeEventMonitors>(services.eventMonitors);
        updater = install<testsupport::FakeUpdater>(services.updater);
        defaults->setString(QStringLiteral("serverURL"), server.url());
    }
    ~ParlovoxAppTest() override { parlovox.reset(); }

    testsupport::FakeUpdater *updater = nullptr;
    // Takes over from the fixture's capture: both "[App]" and "[AppState]" lines land here.
    testsupport::LogCapture appLog{QStringLiteral("parlovox.app")};
    std::unique_ptr<ParlovoxApp> parlovox;
};

TEST_F(ParlovoxAppTest, StartsCrashReportingWithAStableUpperCaseUserAndTheBuildsDsn)
{
    bundle->setInfoValue(QStringLiteral("SentryDSN"), QStringLiteral("https://key@example.org/4"));
    parlovox = std::make_unique<ParlovoxApp>(services);

    const platform::CrashReporter::Options &options = crashReporter->options();
    EXPECT_TRUE(crashReporter->started());
    EXPECT_EQ(options.dsn, QStringLiteral("https://key@example.org/4"));
    EXPECT_EQ(options.environment, QStringLiteral("production"));

    const QString user = crashReporter->user();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"))
                    .match(user)
                    .hasMatch())
        << user.toStdString();
    EXPECT_EQ(defaults->string(QStringLiteral("sentryUserId")), user);

    // The next launch keeps the identifier.
    parlovox.reset();
    bundle->removeInfoValue(QStringLiteral("SentryDSN"));
    parlovox = std::make_unique<ParlovoxApp>(services);
    EXPECT_EQ(crashReporter->user(), user);
    EXPECT_TRUE(crashReporter->options().dsn.isEmpty());
}

// The real reporter against a loopback server: what leaves the machine is read back as it went.
TEST_F(ParlovoxAppTest, TheLastRunsCrashGoesOutWithTheUserAndWithoutTheBinarysFolders)
{
    QTemporaryDir crashes;
    QFile record(crashes.filePath(QStringLiteral("crash-4242.record")));
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    // As glibc writes them: binary, symbol, address.
    record.write("parlovox-crash 1\nsignal 11\nbacktrace\n"
                 "/home/alice/src/parlovox (copy)/build/parlovox(+0x1a2b)[0x55d0c0de1a2b]\n"
                 "/lib/x86_64-linux-gnu/libc.so.6(__libc_start_main+0x85)[0x7f00deadbeef]\n"
                 "[0x7ffd00000000]\n"
                 "end\n");
    record.close();
    services.crashReporter = std::make_unique<platform::linux_impl::SentryCrashReporter>(
        crashes.path(), QStringLiteral("parlovox@test"));
    server.setDefaultReply(testsupport::HttpReply::json(200, R"({"id":"x"})"));
    bundle->setInfoValue(QStringLiteral("SentryDSN"),
                         QStringLiteral("http://key@127.0.0.1:%1/7").arg(server.port()));
    defaults->setString(QStringLiteral("sentryUserId"),
                        QStringLiteral("0F1E2D3C-0000-4000-8000-00000000ABCD"));

    parlovox = std::make_unique<ParlovoxApp>(services);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !record.exists(); }));
    ASSERT_EQ(server.requestCount(), 1);
    const testsupport::HttpRequest sent = server.requests().constFirst();
    EXPECT_EQ(sent.path, QByteArray("/api/7/envelope/"));
    const QList<QByteArray> lines = sent.body.split('\n');
    ASSERT_GE(lines.size(), 3);
    const QJsonObject event = QJsonDocument::fromJson(lines[2]).object();
    EXPECT_EQ(event[QStringLiteral("user")][QStringLiteral("id")].toString(),
              QStringLiteral("0F1E2D3C-0000-4000-8000-00000000ABCD"));
    EXPECT_EQ(
        event[QStringLiteral("contexts")][QStringLiteral("crash")][QStringLiteral("backtrace")]
            .toArray()
            .toVariantList(),
        QVariantList({QStringLiteral("parlovox(+0x1a2b)[0x55d0c0de1a2b]"),
                      QStringLiteral("libc.so.6(__libc_start_main+0x85)[0x7f00deadbeef]"),
                      QStringLiteral("[0x7ffd00000000]")}));
    EXPECT_FALSE(sent.body.contains("alice"));

    // And this run records its own crash, should it come.
    struct sigaction onSegfault
    {
    };
    ASSERT_EQ(sigaction(SIGSEGV, nullptr, &onSegfault), 0);
    EXPECT_NE(onSegfault.sa_handler, SIG_DFL);
}

TEST_F(ParlovoxAppTest, TheFallbackRunsLateInitHalfASecondAfterTheLoopStartsUnlessItRanAlready)
{
    parlovox = std::make_unique<ParlovoxApp>(services);
    scheduler->advance(1.0);
    EXPECT_FALSE(parlovox->appState().didLateInit()); // the event loop has not run yet

    QCoreApplication::processEvents();
    scheduler->advance(0.49);
    EXPECT_FALSE(parlovox->appState().didLateInit());
    scheduler->advance(0.01);
    EXPECT_TRUE(parlovox->appState().didLateInit());
    EXPECT_NE(parlovox->appState().hotkeyManager(), nullptr);
    const QStringList lines = appLog.lines(QStringLiteral("info"));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("[App] didFinishLaunching fallback firing lateInit"));
    EXPECT_EQ(lines.filter(QStringLiteral("[AppState] Bundle: ")).size(), 1);

    // The tray ran it first: the fallback finds the work done.
    parlovox.reset();
    parlovox = std::make_unique<ParlovoxApp>(services);
    parlovox->appState().lateInit();
    appLog.clear();
    QCoreApplication::processEvents();
    scheduler->advance(0.5);
    EXPECT_EQ(appLog.lines(QStringLiteral("info")),
              QStringList{QStringLiteral("[App] didFinishLaunching fallback firing lateInit")});
}

TEST_F(ParlovoxAppTest, TheUpdaterManagerIsMadeOnFirstUseAndKept)
{
    parlovox = std::make_unique<ParlovoxApp>(services);
    EXPECT_TRUE(updater->calls.isEmpty());
    UpdaterManager &first = parlovox->updaterManager();
    EXPECT_EQ(&parlovox->updaterManager(), &first);
    EXPECT_EQ(updater->calls,
              QStringList({QStringLiteral("start"), QStringLiteral("interval 3600")}));
}

// The tray is the first user of the update wrapper, so automatic checks start with it; its
// Settings entry opens one settings window whose Input tab is the real one.
TEST_F(ParlovoxAppTest, TheScenesStartTheUpdateCheckAndKeepOneSettingsWindow)
{
    install<testsupport::FakeWorkspace>(services.workspace);
    GlobalShortcuts::ModuleContext shortcuts(services);
    parlovox = std::make_unique<ParlovoxApp>(services);
    parlovox->showScenes();
    EXPECT_TRUE(updater->calls.contains(QStringLiteral("start")));
    ui::ApplicationScenes &scenes = *parlovox->scenes();
    EXPECT_EQ(scenes.settingsWindow(), nullptr);

    QMenu &menu = scenes.menuBarExtra().contextMenu();
    ASSERT_FALSE(menu.actions().isEmpty());
    menu.actions().constFirst()->trigger();
    ui::SettingsView *settings = scenes.settingsWindow();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->isVisible());
    EXPECT_NE(qobject_cast<ui::InputTab *>(settings->tabs().widget(1)), nullptr);
    settings->close();
    scenes.openSettings();
    EXPECT_EQ(scenes.settingsWindow(), settings);
    EXPECT_TRUE(settings->isVisible());
    parlovox.reset();
}

// The recorder refuses what the program itself answers to or presses: Control+Q, Quit in the
// tray window, and Control+V, which it posts to paste (a hot key of ours would swallow it).
TEST_F(ParlovoxAppTest, TheRecorderRefusesTheTrayWindowsQuitAndThePasteKeystroke)
{
    constexpr quint16 keyQ = 12, keyV = 9;
    constexpr quint32 scanOffset = 1000; // scan codes the test keyboard maps back to key codes
    install<testsupport::FakeWorkspace>(services.workspace);
    auto *hotKeys = install<testsupport::FakeHotKeyService>(services.hotKeys);
    services.keyboard = std::make_unique<testsupport::FixedLayoutKeyboard>(
        testsupport::FixedLayoutKeyboard::usAnsi());
    static_cast<testsupport::FakeEventMonitors *>(services.eventMonitors.get())
        ->watchApplicationWindows([](quint32 scanCode) -> std::optional<quint16> {
            if (scanCode < scanOffset || scanCode >= scanOffset + 128)
                return std::nullopt;
            return static_cast<quint16>(scanCode - scanOffset);
        });
    GlobalShortcuts::ModuleContext shortcuts(services);
    GlobalShortcuts::HotKeyHandlers handlers(shortcuts, *hotKeys);
    QStringList alerts;
    shortcuts.setAlertPresenter([&alerts](QWidget *, const GlobalShortcuts::RecorderAlert &alert) {
        alerts << alert.messageText;
        return 0;
    });
    defaults->setBool(QStringLiteral("onboardingComplete"), true);
    defaults->setBool(QStringLiteral("useFnKey"), false);
    parlovox = std::make_unique<ParlovoxApp>(services);
    parlovox->showScenes();
    parlovox->scenes()->openSettings();
    ui::SettingsView *settings = parlovox->scenes()->settingsWindow();
    ASSERT_NE(settings, nullptr);
    settings->tabs().setCurrentIndex(1);
    settings->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(settings));
    QCoreApplication::processEvents(); // the field may take focus from the next turn on
    GlobalShortcuts::RecorderField *field =
        qobject_cast<ui::InputTab *>(settings->tabs().widget(1))->recorder()->field();
    field->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(field->isRecording());
    const auto press = [settings](quint16 key, Qt::Key qtKey, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, scanOffset + key, 0, 0);
        QApplication::sendEvent(settings->windowHandle(), &event);
    };

    press(keyQ, Qt::Key_Q, Qt::ControlModifier);
    press(keyV, Qt::Key_V, Qt::ControlModifier);
    // The keystroke terminals paste with.
    press(keyV, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    const QString toPaste = QStringLiteral("This keyboard shortcut cannot be used as it's "
                                           "already used by Parlovox to paste.");
    EXPECT_EQ(alerts, (QStringList{QStringLiteral("This keyboard shortcut cannot be used as it's "
                                                  "already used by the “Quit Parlovox” menu item."),
                                   toPaste, toPaste}));
    EXPECT_FALSE(GlobalShortcuts::getShortcut(HotkeyManager::shortcutName()));
    EXPECT_TRUE(field->isRecording());

    // With Option added, neither is ours.
    press(keyV, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(alerts.size(), 3);
    EXPECT_EQ(GlobalShortcuts::getShortcut(HotkeyManager::shortcutName()),
              GlobalShortcuts::Shortcut(keyV, 0x1000 | 0x800));
    parlovox.reset();
}

} // namespace
