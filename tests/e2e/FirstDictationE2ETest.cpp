// SPDX-License-Identifier: GPL-3.0-or-later
// Parlovox as a new user meets it: the real program, started with an empty home folder on the
// test display (window manager, tray host, private audio server), dictates into a text field of
// another program. The shortcut is held through XTEST while speech plays into the virtual
// microphone; the loopback speech server answers with a fixed transcript, which must land in the
// field. Onboarding is seeded as finished in the settings file for now.
#include "ProgramUnderTest.h"
#include "XTestClient.h"
#include "support/EventLoop.h"
#include "support/TestHttpServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

using e2e::ProgramUnderTest;
using testsupport::HttpReply;
using namespace x11test;

const QByteArray kTranscript = "Parlovox heard every word.";
// Bytes per second of the program's recordings: 16 kHz, mono, 16 bit.
constexpr qint64 kRecordingBytesPerSecond = 32000;
constexpr qint64 kWavHeaderBytes = 44;

// The loudest sample of the WAV file inside an upload's multipart body; -1 without one.
int peakOfUploadedWav(const QByteArray &body)
{
    const qsizetype riff = body.indexOf("RIFF");
    const qsizetype data = riff < 0 ? -1 : body.indexOf("data", riff);
    if (data < 0)
        return -1;
    const quint32 size = qFromLittleEndian<quint32>(body.constData() + data + 4);
    const QByteArray samples = body.mid(data + 8, size);
    int peak = 0;
    for (qsizetype i = 0; i + 1 < samples.size(); i += 2)
        peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(samples.constData() + i))));
    return peak;
}

class FirstDictationE2ETest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb") ||
            qEnvironmentVariableIsEmpty("PARLOVOX_TEST_SINK"))
            GTEST_SKIP() << "needs the test desktop (scripts/with-test-env.sh)";
        ASSERT_TRUE(m_home.isValid() && m_scratch.isValid());
        ASSERT_TRUE(m_server.start());
        m_server.setHandler("/health", [](const auto &) { return HttpReply::json(200, "{}"); });
        m_server.setHandler("/inference", [](const auto &) {
            return HttpReply::json(200, R"({"text":" )" + kTranscript + R"( "})");
        });
    }

    QString home(const QString &relative) const { return m_home.filePath(relative); }

    // A home folder nobody has used, with the XDG folders inside it.
    QProcessEnvironment freshEnvironment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home(QStringLiteral(".config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home(QStringLiteral(".local/share")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home(QStringLiteral(".cache")));
        environment.insert(QStringLiteral("XDG_STATE_HOME"), home(QStringLiteral(".local/state")));
        environment.insert(QStringLiteral("TMPDIR"), home(QStringLiteral("tmp")));
        environment.insert(QStringLiteral("QT_FORCE_STDERR_LOGGING"), QStringLiteral("1"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        return environment;
    }

    // What onboarding leaves behind: the server, finished onboarding and a recorded shortcut
    // (Control-Option-K in the shortcut module's stored form) used instead of the Fn key.
    void seedSettings()
    {
        QJsonObject settings{
            {QStringLiteral("serverURL"), m_server.url()},
            {QStringLiteral("onboardingComplete"), true},
            {QStringLiteral("useFnKey"), false},
            {QStringLiteral("GlobalShortcuts_parlovox"),
             QStringLiteral(R"({"carbonKeyCode":40,"carbonModifiers":6144})")},
        };
        // A developer's seed file beside the checkout would replace the server on a first launch.
        QDir checkout = QFileInfo(QStringLiteral(PARLOVOX_PROGRAM)).dir();
        checkout.cdUp();
        checkout.cdUp();
        checkout.cdUp();
        if (checkout.exists(QStringLiteral("local-defaults.json")))
            settings.insert(QStringLiteral("hasLaunchedBefore"), true);
        QDir().mkpath(home(QStringLiteral(".config/Parlovox")));
        QDir().mkpath(home(QStringLiteral("tmp")));
        QFile file(home(QStringLiteral(".config/Parlovox/defaults.json")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(settings).toJson());
    }

    // The text field of another program, focused.
    void startTextField()
    {
        ASSERT_TRUE(m_field.start(QStringLiteral(PARLOVOX_PASTE_TARGET), {},
                                  QProcessEnvironment::systemEnvironment()));
        ASSERT_TRUE(m_field.waitForLine("WINDOW ")) << qPrintable(m_field.output());
        ASSERT_NO_FATAL_FAILURE(focusTextField());
    }
    void focusTextField()
    {
        const QString window = QString::fromLatin1(m_field.lineContaining("WINDOW ").mid(7));
        // X refuses to focus a window the window manager has not mapped yet.
        ASSERT_TRUE(testsupport::waitUntil([&] {
            QProcess focus;
            focus.start(QStringLiteral("xdotool"),
                        {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
            return focus.waitForFinished(3000) && focus.exitCode() == 0;
        }));
        ASSERT_TRUE(testsupport::waitUntil([&] { return textFieldHasFocus(); }))
            << qPrintable(m_field.output());
    }
    bool textFieldHasFocus()
    {
        const QByteArrayList &lines = m_field.lines();
        for (auto line = lines.crbegin(); line != lines.crend(); ++line)
            if (*line == "FOCUS" || *line == "BLUR")
                return *line == "FOCUS";
        return false;
    }

    // The recording the program is writing now (a warm-up's file is gone after 0.3 s and never
    // gets this long), or empty.
    QString recordingLongerThan(qint64 bytes) const
    {
        const QDir temporary(home(QStringLiteral("tmp")));
        for (const QFileInfo &file :
             temporary.entryInfoList({QStringLiteral("parlovox-*.wav")}, QDir::Files))
            if (file.size() > bytes)
                return file.filePath();
        return {};
    }

    void pressShortcut()
    {
        m_shortcutHeld = true;
        for (const quint8 key : {controlLeft, altLeft, keyK})
            m_keyboard.key(key, true);
    }
    void releaseShortcut()
    {
        for (const quint8 key : {keyK, altLeft, controlLeft})
            m_keyboard.key(key, false);
        m_shortcutHeld = false;
    }
    // Keys left down by a failed test would hold every later test's keyboard.
    void TearDown() override
    {
        if (m_shortcutHeld)
            releaseShortcut();
    }

    QTemporaryDir m_home;
    QTemporaryDir m_scratch;
    testsupport::TestHttpServer m_server;
    XTestClient m_keyboard;
    bool m_shortcutHeld = false;
    ProgramUnderTest m_field;
    ProgramUnderTest m_parlovox;
};

TEST_F(FirstDictationE2ETest, HoldingTheShortcutWhileSpeakingTypesTheTranscriptIntoAnotherProgram)
{
    const QString speech = m_scratch.filePath(QStringLiteral("speech.wav"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("espeak-ng"),
                                {QStringLiteral("-w"), speech, QString::fromUtf8(kTranscript)}),
              0);
    // espeak-ng writes 22050 Hz mono 16 bit.
    const double speechSeconds = double(QFileInfo(speech).size() - kWavHeaderBytes) / 44100.0;
    ASSERT_NO_FATAL_FAILURE(seedSettings());
    ASSERT_NO_FATAL_FAILURE(startTextField());

    ASSERT_TRUE(m_parlovox.start(QStringLiteral(PARLOVOX_PROGRAM), {}, freshEnvironment()));
    // Logged once the shortcut is grabbed and the health check runs.
    ASSERT_TRUE(m_parlovox.waitForLine("[AppState] onboardingComplete: true", 20000))
        << qPrintable(m_parlovox.output());
    ASSERT_NO_FATAL_FAILURE(focusTextField());

    pressShortcut();
    // Speak only once the microphone is taking audio, as a user waits for the start sound.
    QString recording;
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            recording = recordingLongerThan(kWavHeaderBytes + kRecordingBytesPerSecond / 2);
            return !recording.isEmpty();
        },
        10000))
        << qPrintable(m_parlovox.output());
    const qint64 sizeBeforeSpeech = QFileInfo(recording).size();
    QProcess player;
    player.start(QStringLiteral("paplay"),
                 {QStringLiteral("--latency-msec=20"),
                  QStringLiteral("--device=") + qEnvironmentVariable("PARLOVOX_TEST_SINK"),
                  speech});
    ASSERT_TRUE(player.waitForStarted());
    // Until the whole sentence is in the recording, not just played.
    const qint64 speechBytes = qint64(speechSeconds * kRecordingBytesPerSecond);
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            return player.state() == QProcess::NotRunning &&
                   QFileInfo(recording).size() - sizeBeforeSpeech >= speechBytes;
        },
        20000));
    releaseShortcut();

    const QByteArray typed = "TEXT " + QUrl::toPercentEncoding(QString::fromUtf8(kTranscript));
    ASSERT_TRUE(m_field.waitForLine(typed, 15000))
        << "text field:\n"
        << qPrintable(m_field.output()) << "\nParlovox:\n"
        << qPrintable(m_parlovox.output());

    const auto uploads = m_server.requestsTo("/inference");
    ASSERT_EQ(uploads.size(), 1);
    EXPECT_GT(peakOfUploadedWav(uploads.front().body), 3000) << "the speech reached the server";
    EXPECT_FALSE(m_server.requestsTo("/health").isEmpty());
    // The log is where the README says, in the new home; the recording is gone.
    QFile log(home(QStringLiteral(".local/share/Parlovox/transcriptions.jsonl")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains(kTranscript));
    EXPECT_TRUE(testsupport::waitUntil([&] { return !QFileInfo::exists(recording); }));
}

} // namespace
