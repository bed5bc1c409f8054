// SPDX-License-Identifier: GPL-3.0-or-later
// Parlovox as a new user meets it: the real program, started with an empty home folder on the
// test display (window manager, tray host, private audio server), dictates into a text field of
// another program. The shortcut is held through XTEST while speech plays into the virtual
// microphone; the loopback speech server answers with a fixed transcript, which must land in the
// field. Onboarding is seeded as finished in the settings file.
#include "DictationE2EFixture.h"

#include <QElapsedTimer>
#include <QProcess>

namespace {

using namespace e2e;

class FirstDictationE2ETest : public e2e::DictationE2EFixture
{
};

TEST_F(FirstDictationE2ETest, HoldingTheShortcutWhileSpeakingTypesTheTranscriptIntoAnotherProgram)
{
    ASSERT_NO_FATAL_FAILURE(makeSpeech());
    ASSERT_NO_FATAL_FAILURE(seedSettings());
    ASSERT_NO_FATAL_FAILURE(startTextField());

    ASSERT_TRUE(m_parlovox.start(QStringLiteral(PARLOVOX_PROGRAM), {}, freshEnvironment()));
    // Logged once the shortcut is grabbed and the health check runs.
    ASSERT_TRUE(m_parlovox.waitForLine("[AppState] onboardingComplete: true", 20000))
        << qPrintable(m_parlovox.output());
    ASSERT_NO_FATAL_FAILURE(focusTextField());
    ASSERT_NO_FATAL_FAILURE(dictateIntoTextField());
}

// The tray window open, the shortcut still does its work, and the transcript still lands in the
// program the user was in. The trigger held while the window opens is K alone: the window
// manager takes clicks made with Alt held.
TEST_F(FirstDictationE2ETest, TheTrayWindowNeitherSwallowsTheShortcutNorOutlivesIt)
{
    ASSERT_NO_FATAL_FAILURE(makeSpeech());
    ASSERT_NO_FATAL_FAILURE(seedSettings());
    ASSERT_NO_FATAL_FAILURE(startTextField());
    const QByteArray silence = "Nothing was said.";
    m_server.setHandler("/inference", [&](const auto &) {
        return HttpReply::json(200, R"({"text":")" + silence + R"("})");
    });
    ASSERT_TRUE(m_parlovox.start(QStringLiteral(PARLOVOX_PROGRAM), {}, freshEnvironment()));
    ASSERT_TRUE(m_parlovox.waitForLine("[AppState] onboardingComplete: true", 20000))
        << qPrintable(m_parlovox.output());
    ASSERT_NO_FATAL_FAILURE(findTrayIcon());
    ASSERT_NO_FATAL_FAILURE(focusTextField());

    pressShortcut();
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return !recordingLongerThan(kWavHeaderBytes + kRecordingBytesPerSecond).isEmpty(); },
        10000))
        << qPrintable(m_parlovox.output());
    m_keyboard.key(altLeft, false);
    m_keyboard.key(controlLeft, false);
    ASSERT_NO_FATAL_FAILURE(openTrayWindow());
    QElapsedTimer sinceRelease;
    qint64 uploadedAfter = -1;
    QObject::connect(&m_server, &testsupport::TestHttpServer::requestReceived, &m_server,
                     [&](const testsupport::HttpRequest &request) {
                         if (request.path == "/inference" && uploadedAfter < 0)
                             uploadedAfter = sinceRelease.elapsed();
                     });
    sinceRelease.start();
    m_keyboard.key(keyK, false);
    m_shortcutHeld = false;
    ASSERT_TRUE(testsupport::waitUntil([&] { return uploadedAfter >= 0; }, 5000))
        << "the recording outlived the shortcut\n"
        << qPrintable(m_parlovox.output());
    EXPECT_LT(uploadedAfter, 100);
    ASSERT_TRUE(m_field.waitForLine("TEXT " + QUrl::toPercentEncoding(QString::fromUtf8(silence))))
        << "the tray window kept the focus from the paste\n"
        << qPrintable(m_field.output()) << "\nParlovox:\n"
        << qPrintable(m_parlovox.output());

    m_field.write("CLEAR");
    ASSERT_TRUE(m_field.waitForLine("CLEARED"));
    m_server.setHandler("/inference", [](const auto &) {
        return HttpReply::json(200, R"({"text":")" + kTranscript + R"("})");
    });
    ASSERT_NO_FATAL_FAILURE(openTrayWindow());
    ASSERT_NO_FATAL_FAILURE(dictateIntoTextField());
}

// Releases that reach the program twice, or while it is still stopping the last recording,
// neither crash it nor lose a dictation: the shortcut let go over the tray icon's menu, then the
// modifiers held throughout while K is tapped and then held, ten times.
TEST_F(FirstDictationE2ETest, ReleasesOverTheTrayMenuOrRightAfterATapEachEndOneDictation)
{
    ASSERT_NO_FATAL_FAILURE(seedSettings());
    ASSERT_NO_FATAL_FAILURE(startTextField());
    m_server.setHandler("/inference", [](const auto &) {
        HttpReply reply = HttpReply::json(200, R"({"text":"One."})");
        reply.delayMs = 300;
        return reply;
    });
    ASSERT_TRUE(m_parlovox.start(QStringLiteral(PARLOVOX_PROGRAM), {}, freshEnvironment()));
    ASSERT_TRUE(m_parlovox.waitForLine("[AppState] onboardingComplete: true", 20000))
        << qPrintable(m_parlovox.output());
    ASSERT_NO_FATAL_FAILURE(findTrayIcon());
    ASSERT_NO_FATAL_FAILURE(focusTextField());
    const auto pause = [](int milliseconds) {
        testsupport::waitUntil([] { return false; }, milliseconds);
    };
    const auto xdotool = [](const QStringList &arguments) {
        return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
    };

    pressShortcut();
    pause(800);
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), m_trayIcon,
                         QStringLiteral("8"), QStringLiteral("8"), QStringLiteral("click"),
                         QStringLiteral("3")}));
    ASSERT_TRUE(testsupport::waitUntil([&] { return m_keyboard.isKeyboardGrabbed(); }))
        << "the tray icon's menu did not open";
    pause(600);
    releaseShortcut();
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    ASSERT_TRUE(m_field.waitForLine("TEXT One.", 10000))
        << qPrintable(m_field.output()) << "\nParlovox:\n"
        << qPrintable(m_parlovox.output());
    ASSERT_TRUE(m_parlovox.isRunning()) << qPrintable(m_parlovox.output());
    EXPECT_EQ(m_server.requestsTo("/inference").size(), 1);

    for (int i = 2; i <= 11; ++i) {
        m_shortcutHeld = true;
        m_keyboard.key(controlLeft, true);
        m_keyboard.key(altLeft, true);
        m_keyboard.key(keyK, true);
        pause(200);
        m_keyboard.key(keyK, false);
        pause(1000);
        m_keyboard.key(keyK, true);
        pause(1500);
        releaseShortcut();
        ASSERT_TRUE(testsupport::waitUntil(
            [&] { return m_server.requestsTo("/inference").size() == i; }, 10000))
            << "hold " << i << " was not transcribed\n"
            << qPrintable(m_parlovox.output());
        ASSERT_TRUE(m_parlovox.isRunning()) << qPrintable(m_parlovox.output());
    }
    EXPECT_FALSE(
        testsupport::waitUntil([&] { return m_server.requestsTo("/inference").size() > 11; }, 500));
    EXPECT_TRUE(m_parlovox.isRunning()) << qPrintable(m_parlovox.output());
}

} // namespace
