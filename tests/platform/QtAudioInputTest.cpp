// SPDX-License-Identifier: GPL-3.0-or-later
// Records for real through the audio server that scripts/with-test-env.sh starts: a null sink
// ($PARLOVOX_TEST_SINK) whose monitor feeds a virtual microphone.
#include "platform/linux/QtAudioInput.h"
#include "engine/AudioRecorder.h"
#include "platform/linux/QtScheduler.h"

#include "support/EventLoop.h"
#include "support/TempPaths.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <sys/resource.h>

using platform::linux_impl::QtAudioInput;
using platform::linux_impl::QtScheduler;
using testsupport::TempPaths;

namespace {

void spin(int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct Wav
{
    QByteArray header;
    QByteArray data;
    quint16 u16(int at) const { return qFromLittleEndian<quint16>(header.constData() + at); }
    quint32 u32(int at) const { return qFromLittleEndian<quint32>(header.constData() + at); }
    double seconds() const { return data.size() / 32000.0; }
    int peak() const
    {
        int peak = 0;
        for (qsizetype i = 0; i + 1 < data.size(); i += 2)
            peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(data.constData() + i))));
        return peak;
    }
};

Wav readWav(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = file.readAll();
    return {all.left(44), all.mid(44)};
}

void expectValidWav(const QString &path)
{
    const Wav wav = readWav(path);
    ASSERT_EQ(wav.header.size(), 44) << path.toStdString();
    EXPECT_EQ(wav.header.left(4), "RIFF");
    EXPECT_EQ(wav.u32(4), quint32(36 + wav.data.size()));
    EXPECT_EQ(wav.header.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(wav.u32(16), 16u);
    EXPECT_EQ(wav.u16(20), 1u) << "integer PCM";
    EXPECT_EQ(wav.u16(22), 1u) << "mono";
    EXPECT_EQ(wav.u32(24), 16000u);
    EXPECT_EQ(wav.u32(28), 32000u);
    EXPECT_EQ(wav.u16(32), 2u);
    EXPECT_EQ(wav.u16(34), 16u);
    EXPECT_EQ(wav.header.mid(36, 4), "data");
    EXPECT_EQ(wav.u32(40), quint32(wav.data.size()));
}

// Runs one test of this binary in a child process with `environment` added, so that the audio
// library meets the given server at its first use.
QString runChild(const QString &test, const QProcessEnvironment &environment, int *exitCode)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &key : environment.keys())
        env.insert(key, environment.value(key));
    env.insert(QStringLiteral("PARLOVOX_AUDIO_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=") + test});
    const bool finished = child.waitForFinished(20000);
    *exitCode = finished && child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    return QString::fromUtf8(child.readAll());
}

class RealAudioTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER") ||
            qEnvironmentVariableIsEmpty("PARLOVOX_TEST_SINK"))
            GTEST_SKIP() << "needs the test audio server (scripts/with-test-env.sh)";
        m_sink = qEnvironmentVariable("PARLOVOX_TEST_SINK");
        // The virtual microphone delivers at the pace its monitor was asked for; a low-latency
        // reader keeps it from handing out audio in long blocks.
        m_keepAlive.start(QStringLiteral("pacat"),
                          {QStringLiteral("-r"), QStringLiteral("--latency-msec=10"),
                           QStringLiteral("-d"), m_sink + QStringLiteral(".monitor")});
        m_keepAlive.setStandardOutputFile(QProcess::nullDevice());
        ASSERT_TRUE(m_keepAlive.waitForStarted());
    }

    // The monitor only switches to the low latency at the end of the block it is rendering (up
    // to 2 s when nothing asked for less before): wait until audio flows.
    void waitForSteadyMicrophone()
    {
        const QString probe = m_paths.root() + QStringLiteral("/probe.wav");
        auto created = m_input.createRecorder(probe, AudioRecorder::settings);
        ASSERT_TRUE(created.recorder) << created.errorDescription.toStdString();
        ASSERT_TRUE(created.recorder->record());
        ASSERT_TRUE(testsupport::waitUntil([&] { return QFileInfo(probe).size() > 44; }, 4000));
        spin(100);
    }
    void TearDown() override
    {
        m_keepAlive.kill();
        m_keepAlive.waitForFinished();
    }

    QString m_sink;
    QProcess m_keepAlive;
    TempPaths m_paths;
    QtAudioInput m_input;
    QtScheduler m_scheduler;
};

TEST_F(RealAudioTest, RecordsSpeechIntoA16kMonoWavWithLevels)
{
    const QString speech = m_paths.root() + QStringLiteral("/speech.wav");
    ASSERT_EQ(QProcess::execute(QStringLiteral("espeak-ng"),
                                {QStringLiteral("-w"), speech,
                                 QStringLiteral("Hello, this is a dictation test.")}),
              0);

    AudioRecorder recorder(m_input, m_scheduler, m_paths);
    struct Level
    {
        bool speaking;
        float value;
    };
    std::vector<Level> levels;
    bool speaking = false;
    recorder.setOnAudioLevel([&](float level) { levels.push_back({speaking, level}); });
    waitForSteadyMicrophone();
    recorder.warmUp();
    spin(400);

    QElapsedTimer clock;
    clock.start();
    recorder.startRecording();
    spin(600);

    QProcess player;
    player.start(QStringLiteral("paplay"), {QStringLiteral("--latency-msec=20"),
                                            QStringLiteral("--device=") + m_sink, speech});
    ASSERT_TRUE(player.waitForStarted());
    speaking = true;
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return player.state() == QProcess::NotRunning; }, 10000));
    speaking = false;
    spin(300);
    const auto file = recorder.stopRecording();
    const double elapsed = clock.nsecsElapsed() / 1e9;
    ASSERT_TRUE(file);

    expectValidWav(*file);
    const Wav wav = readWav(*file);
    EXPECT_NEAR(wav.seconds(), elapsed, 0.1);
    EXPECT_GT(wav.peak(), 3000) << "the speech reached the file";

    // Nothing arrives in a handed-over file, even with audio still playing.
    player.start(QStringLiteral("paplay"), {QStringLiteral("--latency-msec=20"),
                                            QStringLiteral("--device=") + m_sink, speech});
    spin(400);
    EXPECT_EQ(readWav(*file).data, wav.data);
    player.kill();
    player.waitForFinished();

    // The first 0.5 s were silence: exact zeros, level 0 (a NaN would have read as full scale).
    int silentTicks = 0, loudTicks = 0;
    for (size_t i = 0; i < levels.size(); ++i) {
        if (!levels[i].speaking && i < 12) {
            EXPECT_EQ(levels[i].value, 0.0f) << "tick " << i;
            ++silentTicks;
        }
        if (levels[i].speaking && levels[i].value > 0)
            ++loudTicks;
    }
    EXPECT_GE(silentTicks, 10);
    EXPECT_GT(loudTicks, 10);
    QFile::remove(*file);
}

TEST_F(RealAudioTest, RecorderFilesAreCompleteAlsoWithoutSamples)
{
    const QString unused = m_paths.temporaryDirectory() + QStringLiteral("/unused.wav");
    const QString instant = m_paths.temporaryDirectory() + QStringLiteral("/instant.wav");
    {
        auto created = m_input.createRecorder(unused, AudioRecorder::settings);
        ASSERT_TRUE(created.recorder) << created.errorDescription.toStdString();
        EXPECT_TRUE(created.recorder->prepareToRecord());
    }
    expectValidWav(unused);
    EXPECT_EQ(QFileInfo(unused).size(), 44);

    auto created = m_input.createRecorder(instant, AudioRecorder::settings);
    ASSERT_TRUE(created.recorder);
    auto &recorder = *created.recorder;
    recorder.setMeteringEnabled(true);
    ASSERT_TRUE(recorder.record());
    EXPECT_TRUE(recorder.isRecording());
    spin(200);
    recorder.updateMeters();
    EXPECT_EQ(recorder.averagePower(0), -160.0f) << "silence is a very low finite power";
    recorder.stop();
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(recorder.record()) << "a finished file is not reopened";
    expectValidWav(instant);
}

TEST_F(RealAudioTest, ADiskThatFillsUpMidwayIsReportedAndTheFileStaysValid)
{
    const QString path = m_paths.temporaryDirectory() + QStringLiteral("/full.wav");
    auto created = m_input.createRecorder(path, AudioRecorder::settings);
    ASSERT_TRUE(created.recorder) << created.errorDescription.toStdString();
    auto &recorder = *created.recorder;
    // The file may grow by 0.1 s of audio and no more, as on a disk that is nearly full.
    struct rlimit previous = {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit nearlyFull = previous;
    nearlyFull.rlim_cur = 44 + 3200;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &nearlyFull), 0);
    ASSERT_TRUE(recorder.record());
    const bool reported =
        testsupport::waitUntil([&] { return !recorder.writeError().isEmpty(); }, 3000);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousSignal);
    ASSERT_TRUE(reported);
    EXPECT_TRUE(recorder.isRecording()) << "the owner decides what to do with it";

    // What follows the hole is never appended as if nothing had been lost.
    const qint64 size = QFileInfo(path).size();
    EXPECT_LE(size, 44 + 3200);
    spin(300);
    EXPECT_EQ(QFileInfo(path).size(), size);
    recorder.stop();
    expectValidWav(path);
}

TEST_F(RealAudioTest, UnwritableTemporaryDirectoryFailsPreparation)
{
    m_paths.setTemporaryDirectory(m_paths.root() + QStringLiteral("/missing"));
    AudioRecorder recorder(m_input, m_scheduler, m_paths);
    testing::internal::CaptureStdout();
    recorder.startRecording();
    const auto file = recorder.stopRecording();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(file, std::nullopt);
    EXPECT_EQ(out.rfind("[AudioRecorder] Failed to prepare: Cannot write the recording file", 0),
              0u)
        << out;
}

// Runs only inside the child processes below (disabled, so the test list leaves it out).
TEST(AudioInputChild, DISABLED_PreparationFailsWithoutMicrophone)
{
    if (qEnvironmentVariableIsEmpty("PARLOVOX_AUDIO_CHILD"))
        GTEST_SKIP() << "runs as a child of the tests below";
    TempPaths paths;
    QtAudioInput input;
    QtScheduler scheduler;
    AudioRecorder recorder(input, scheduler, paths);
    recorder.warmUp();
    recorder.startRecording();
    spin(100);
    EXPECT_EQ(recorder.stopRecording(), std::nullopt);
    EXPECT_TRUE(QDir(paths.temporaryDirectory()).isEmpty());
}

TEST(AudioInputWithoutServer, PreparationFailsAndNothingHangs)
{
    TempPaths paths;
    QProcessEnvironment env;
    env.insert(QStringLiteral("PULSE_SERVER"),
               QStringLiteral("unix:") + paths.root() + QStringLiteral("/no-server"));
    int exitCode = 0;
    const QString out = runChild(QStringLiteral("AudioInputChild.*"), env, &exitCode);
    EXPECT_EQ(exitCode, 0) << out.toStdString();
    EXPECT_TRUE(out.contains(
        QStringLiteral("\n[AudioRecorder] Failed to prepare: No microphone available")))
        << out.toStdString();
}

TEST(AudioInputWithoutDevice, PreparationFailsAndNothingHangs)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty())
        GTEST_SKIP() << "needs pulseaudio";
    // A server of our own with an output only: its monitor is no microphone.
    TempPaths paths;
    const QString socket = paths.root() + QStringLiteral("/pulse.socket");
    QFile config(paths.root() + QStringLiteral("/pulse.pa"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("load-module module-native-protocol-unix auth-anonymous=1 socket=" +
                 socket.toUtf8() + "\nload-module module-null-sink sink_name=speakers\n");
    config.close();
    QDir(paths.root()).mkdir(QStringLiteral("runtime"));
    QProcess server;
    QProcessEnvironment serverEnv = QProcessEnvironment::systemEnvironment();
    serverEnv.insert(QStringLiteral("HOME"), paths.root());
    serverEnv.insert(QStringLiteral("XDG_RUNTIME_DIR"), paths.root() + QStringLiteral("/runtime"));
    serverEnv.remove(QStringLiteral("PULSE_SERVER"));
    server.setProcessEnvironment(serverEnv);
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral("pulseaudio"),
                 {QStringLiteral("-n"), QStringLiteral("-F"), config.fileName(),
                  QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                  QStringLiteral("--use-pid-file=no")});
    ASSERT_TRUE(server.waitForStarted());
    ASSERT_TRUE(testsupport::waitUntil([&] { return QFile::exists(socket); }, 5000))
        << server.readAll().toStdString();
    spin(200);

    QProcessEnvironment env;
    env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + socket);
    int exitCode = 0;
    const QString out = runChild(QStringLiteral("AudioInputChild.*"), env, &exitCode);
    server.kill();
    server.waitForFinished();
    EXPECT_EQ(exitCode, 0) << out.toStdString();
    EXPECT_TRUE(out.contains(
        QStringLiteral("\n[AudioRecorder] Failed to prepare: No microphone available")))
        << out.toStdString();
}

} // namespace
