// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The whole program on the test desktop (window manager, tray host, private audio server) with
// a fresh home, a loopback speech server answering a fixed transcript, a text field of another
// program, and speech played into the virtual microphone while the shortcut is held through XTEST.
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
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>

#include <gtest/gtest.h>

namespace e2e {

using testsupport::HttpReply;
using namespace x11test;

inline const QByteArray kTranscript = "Parlovox heard every word.";
// Bytes per second of the program's recordings: 16 kHz, mono, 16 bit.
inline constexpr qint64 kRecordingBytesPerSecond = 32000;
inline constexpr qint64 kWavHeaderBytes = 44;

// The loudest sample of the WAV file inside an upload's multipart body; -1 without one.
inline int peakOfUploadedWav(const QByteArray &body)
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

class DictationE2EFixture : public ::testing::Test
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
        // The single-copy lock lives there: each test's program is the only one of its session.
        QDir().mkpath(home(QStringLiteral("runtime")));
        QFile::setPermissions(home(QStringLiteral("runtime")), QFileDevice::ReadOwner |
                                                                   QFileDevice::WriteOwner |
                                                                   QFileDevice::ExeOwner);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home(QStringLiteral("runtime")));
        environment.insert(QStringLiteral("QT_FORCE_STDERR_LOGGING"), QStringLiteral("1"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        return environment;
    }

    // The server, and unless `onboarded` is false what onboarding leaves behind: finished
    // onboarding and a recorded shortcut (Control-Option-K in the shortcut module's stored form)
    // used instead of the Fn key.
    void seedSettings(bool onboarded = true)
    {
        QJsonObject settings{{QStringLiteral("serverURL"), m_server.url()}};
        if (onboarded) {
            settings.insert(QStringLiteral("onboardingComplete"), true);
            settings.insert(QStringLiteral("useFnKey"), false);
            settings.insert(QStringLiteral("GlobalShortcuts_parlovox"),
                            QStringLiteral(R"({"carbonKeyCode":40,"carbonModifiers":6144})"));
        }
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

    // Finds the program's tray icon: at rest, its only window on screen.
    void findTrayIcon()
    {
        ASSERT_TRUE(testsupport::waitUntil([&] {
            QProcess search;
            search.start(QStringLiteral("xdotool"),
                         {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                          QStringLiteral("--pid"), QString::number(m_parlovox.processId())});
            const QStringList found = search.waitForFinished(3000)
                                          ? QString::fromLatin1(search.readAllStandardOutput())
                                                .split('\n', Qt::SkipEmptyParts)
                                          : QStringList();
            m_trayIcon = found.size() == 1 ? found.front() : QString();
            return !m_trayIcon.isEmpty();
        })) << "no tray icon";
    }
    // Clicks the tray icon and waits until the tray window has taken the focus from the text
    // field.
    void openTrayWindow()
    {
        QProcess click;
        click.start(QStringLiteral("xdotool"),
                    {QStringLiteral("mousemove"), QStringLiteral("--window"), m_trayIcon,
                     QStringLiteral("8"), QStringLiteral("8"), QStringLiteral("click"),
                     QStringLiteral("1")});
        ASSERT_TRUE(click.waitForFinished(3000) && click.exitCode() == 0);
        ASSERT_TRUE(testsupport::waitUntil([&] { return !textFieldHasFocus(); }))
            << "the tray window did not open\n"
            << qPrintable(m_parlovox.output());
    }

    // The recording the program is writing now (a warm-up's file is gone after 0.3 s and never
    // gets this long), or empty.
    QString recordingLongerThan(qint64 bytes) const
    {
        const QDir temporary(home(QStringLiteral("runtime/parlovox")));
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
    // Speech saying the transcript, for the virtual microphone.
    void makeSpeech()
    {
        m_speech = m_scratch.filePath(QStringLiteral("speech.wav"));
        ASSERT_EQ(QProcess::execute(QStringLiteral("espeak-ng"), {QStringLiteral("-w"), m_speech,
                                                                  QString::fromUtf8(kTranscript)}),
                  0);
    }

    // Holds the shortcut while the speech plays into the microphone; the transcript must be
    // typed into the focused text field.
    void dictateIntoTextField()
    {
        const QString speech = m_speech;
        // espeak-ng writes 22050 Hz mono 16 bit.
        const double speechSeconds = double(QFileInfo(speech).size() - kWavHeaderBytes) / 44100.0;
        const qsizetype uploadsBefore = m_server.requestsTo("/inference").size();
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
        ASSERT_EQ(uploads.size(), uploadsBefore + 1);
        EXPECT_GT(peakOfUploadedWav(uploads.back().body), 3000) << "the speech reached the server";
        EXPECT_FALSE(m_server.requestsTo("/health").isEmpty());
        // The log is where the README says, in the new home; the recording is gone.
        QFile log(home(QStringLiteral(".local/share/Parlovox/transcriptions.jsonl")));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        EXPECT_TRUE(log.readAll().contains(kTranscript));
        EXPECT_TRUE(testsupport::waitUntil([&] { return !QFileInfo::exists(recording); }));
    }

    // Keys left down by a failed test would hold every later test's keyboard, and the program's
    // last sound (played into the test sink, whose monitor is the virtual microphone) would be
    // heard by the next audio test, which expects silence at first.
    void TearDown() override
    {
        if (m_shortcutHeld)
            releaseShortcut();
        m_parlovox.stop();
        testsupport::waitUntil(
            [] {
                QProcess inputs;
                inputs.start(QStringLiteral("pactl"),
                             {QStringLiteral("list"), QStringLiteral("short"),
                              QStringLiteral("sink-inputs")});
                return inputs.waitForFinished(3000) &&
                       inputs.readAllStandardOutput().trimmed().isEmpty();
            },
            5000);
        // What the sink had buffered still reaches its monitor.
        testsupport::waitUntil([] { return false; }, 500);
    }

    QTemporaryDir m_home;
    QTemporaryDir m_scratch;
    QString m_speech;
    testsupport::TestHttpServer m_server;
    XTestClient m_keyboard;
    bool m_shortcutHeld = false;
    QString m_trayIcon;
    ProgramUnderTest m_field;
    ProgramUnderTest m_parlovox;
};

} // namespace e2e
