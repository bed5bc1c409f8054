// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/AudioRecorder.h"
#include "engine/StaleRecordings.h"

#include "support/FakeAudioInput.h"
#include "support/TempPaths.h"
#include "support/VirtualScheduler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using testsupport::FakeAudioInput;
using testsupport::TempPaths;
using testsupport::VirtualScheduler;

namespace {

QString fileName(const std::optional<QString> &path)
{
    return path ? QFileInfo(*path).fileName() : QString();
}

class AudioRecorderTest : public ::testing::Test
{
protected:
    VirtualScheduler scheduler;
    TempPaths paths;
    FakeAudioInput input{&scheduler};
    std::unique_ptr<AudioRecorder> recorder =
        std::make_unique<AudioRecorder>(input, scheduler, paths);
    std::vector<float> levels;

    void collectLevels()
    {
        recorder->setOnAudioLevel([this](float level) { levels.push_back(level); });
    }
};

TEST(AudioRecorderLevel, MapsPowerToLevelWithTheFloorAndCeiling)
{
    EXPECT_EQ(AudioRecorder::levelForPower(0.0f), 1.0f);
    EXPECT_EQ(AudioRecorder::levelForPower(6.0f), 1.0f);
    EXPECT_EQ(AudioRecorder::levelForPower(std::numeric_limits<float>::quiet_NaN()), 1.0f);
    EXPECT_EQ(AudioRecorder::levelForPower(-45.0f), 0.0f);
    EXPECT_EQ(AudioRecorder::levelForPower(-160.0f), 0.0f);
    EXPECT_EQ(AudioRecorder::levelForPower(-std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_EQ(AudioRecorder::levelForPower(-42.75f), std::sqrt(0.05f));
    EXPECT_NEAR(AudioRecorder::levelForPower(-42.75f), 0.2236f, 1e-4);
    EXPECT_EQ(AudioRecorder::levelForPower(std::nextafter(-42.75f, -100.0f)), 0.0f);
    EXPECT_NEAR(AudioRecorder::levelForPower(-22.5f), 0.7071f, 1e-4);
    EXPECT_NEAR(AudioRecorder::levelForPower(-11.25f), 0.8660f, 1e-4);
}

TEST_F(AudioRecorderTest, RecordsIntoFreshlyNamedFilesThatAreHandedOver)
{
    EXPECT_EQ(input.creationAttempts(), 0) << "nothing is prepared before the first use";

    recorder->startRecording();
    const QString first = input.recordingPath();
    ASSERT_FALSE(first.isEmpty());
    EXPECT_EQ(QFileInfo(first).absolutePath(), QDir(paths.temporaryDirectory()).absolutePath());
    static const QRegularExpression name(QStringLiteral(
        "^parlovox-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.wav$"));
    EXPECT_TRUE(name.match(QFileInfo(first).fileName()).hasMatch()) << first.toStdString();
    EXPECT_EQ(input.lastSettings(), AudioRecorder::settings);
    EXPECT_EQ(AudioRecorder::settings.formatID, 1819304813u);

    scheduler.advance(1.0);
    const auto handed = recorder->stopRecording();
    ASSERT_TRUE(handed);
    EXPECT_EQ(*handed, first);
    // 1 s at 16 kHz, 16-bit mono, after the 44-byte header.
    EXPECT_EQ(QFileInfo(first).size(), 44 + 32000);

    // The next recording is prepared at once, under a new name.
    ASSERT_EQ(input.createdPaths().size(), 2);
    const auto next = recorder->currentPath();
    ASSERT_TRUE(next);
    EXPECT_NE(*next, first);
    EXPECT_EQ(input.transcript(),
              QStringLiteral("create %1, prepare %1, record %1, stop %1, create %2, prepare %2")
                  .arg(fileName(first), fileName(next)));

    recorder->startRecording();
    EXPECT_EQ(input.recordingPath(), *next) << "the press only starts the prepared recorder";
    scheduler.advance(0.5);
    const auto second = recorder->stopRecording();
    EXPECT_EQ(second, next);
    EXPECT_NE(recorder->currentPath(), second);

    // Handed-over files are the caller's: neither the next preparation nor teardown touches them.
    recorder.reset();
    EXPECT_TRUE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(*second));
}

TEST_F(AudioRecorderTest, WarmUpRecordsAThrowAwayClipThenPreparesAFreshFile)
{
    collectLevels();
    recorder->warmUp();
    EXPECT_TRUE(recorder->isWarmingUp());
    const QString clip = input.recordingPath();
    ASSERT_FALSE(clip.isEmpty());

    scheduler.advance(0.29);
    EXPECT_TRUE(QFile::exists(clip));
    scheduler.advance(0.02);
    EXPECT_FALSE(recorder->isWarmingUp());
    EXPECT_FALSE(QFile::exists(clip));
    EXPECT_TRUE(input.recordingPath().isEmpty());
    ASSERT_TRUE(recorder->currentPath());
    EXPECT_NE(*recorder->currentPath(), clip);
    EXPECT_TRUE(QFile::exists(*recorder->currentPath()));
    EXPECT_EQ(input.liveRecorders(), 1);
    EXPECT_TRUE(levels.empty()) << "a warm-up is not metered";
}

TEST_F(AudioRecorderTest, StartDuringWarmUpNeverRecordsIntoTheClip)
{
    recorder->warmUp();
    const QString clip = input.recordingPath();
    scheduler.advance(0.1);

    recorder->startRecording();
    EXPECT_FALSE(recorder->isWarmingUp());
    EXPECT_FALSE(QFile::exists(clip));
    const QString dictation = input.recordingPath();
    ASSERT_FALSE(dictation.isEmpty());
    EXPECT_NE(dictation, clip);

    // The warm-up end still pending finds the warm-up over and leaves the dictation alone.
    input.clearEvents();
    scheduler.advance(0.5);
    EXPECT_EQ(input.transcript(), QString());
    EXPECT_EQ(input.recordingPath(), dictation);
    EXPECT_EQ(recorder->stopRecording(), dictation);
    EXPECT_TRUE(QFile::exists(dictation));
}

TEST_F(AudioRecorderTest, WarmUpDuringADictationLeavesTheDictationAlone)
{
    recorder->startRecording();
    const QString dictation = input.recordingPath();
    recorder->warmUp();
    scheduler.advance(1.0);
    EXPECT_EQ(input.recordingPath(), dictation);
    EXPECT_EQ(recorder->stopRecording(), dictation);
    EXPECT_EQ(QFileInfo(dictation).size(), 44 + 32000);
}

TEST_F(AudioRecorderTest, FailedPreparationReportsOnceAndRetriesAtTheNextStart)
{
    input.setCreationError(QStringLiteral("no microphone"));
    collectLevels();

    testing::internal::CaptureStdout();
    recorder->startRecording();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[AudioRecorder] Failed to prepare: no microphone\n");
    EXPECT_FALSE(recorder->currentPath());
    scheduler.advance(0.5);
    EXPECT_TRUE(levels.empty()) << "the meter runs but has nothing to measure";

    testing::internal::CaptureStdout();
    EXPECT_EQ(recorder->stopRecording(), std::nullopt);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[AudioRecorder] Failed to prepare: no microphone\n")
        << "stopping still prepares the next recording";
    EXPECT_EQ(input.creationAttempts(), 2);

    input.setCreationError(QString());
    recorder->startRecording();
    EXPECT_EQ(input.creationAttempts(), 3);
    EXPECT_FALSE(input.recordingPath().isEmpty());
}

TEST_F(AudioRecorderTest, UnwritableTemporaryDirectoryFailsPreparation)
{
    paths.setTemporaryDirectory(paths.root() + QStringLiteral("/missing"));
    testing::internal::CaptureStdout();
    recorder->warmUp();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("[AudioRecorder] Failed to prepare: ", 0), 0u) << out;
    EXPECT_NE(out.find('\n'), std::string::npos);
    testing::internal::CaptureStdout();
    scheduler.advance(0.5);
    recorder->startRecording();
    EXPECT_EQ(recorder->stopRecording(), std::nullopt);
    testing::internal::GetCapturedStdout();
}

TEST_F(AudioRecorderTest, MetersThirtyTimesASecondOnlyWhileRecording)
{
    collectLevels();
    input.setPowerDecibels(-22.5f);
    recorder->startRecording();
    scheduler.advance(1.0);
    ASSERT_GE(levels.size(), 29u);
    ASSERT_LE(levels.size(), 30u);
    EXPECT_NEAR(levels.front(), 0.7071f, 1e-4);

    input.setPowerDecibels(-200.0f);
    scheduler.advance(0.1);
    EXPECT_EQ(levels.back(), 0.0f);

    // A recorder that is not recording delivers nothing, so the listener keeps the last level.
    input.setPowerDecibels(0.0f);
    input.setPaused(true);
    const size_t before = levels.size();
    scheduler.advance(0.5);
    EXPECT_EQ(levels.size(), before);

    input.setPaused(false);
    recorder->stopRecording();
    scheduler.advance(1.0);
    EXPECT_EQ(levels.size(), before);
    EXPECT_EQ(scheduler.pendingCount(), 0) << "the meter stops with the recording";
}

TEST_F(AudioRecorderTest, WorkLeftBehindDoesNothingOnceTheRecorderIsGone)
{
    collectLevels();
    recorder->warmUp();
    recorder.reset();
    EXPECT_EQ(input.liveRecorders(), 0);
    input.clearEvents();
    scheduler.advance(1.0);
    EXPECT_EQ(input.transcript(), QString()) << "the pending warm-up end prepared nothing";
}

TEST(AudioRecorderCleanup, RemovesOnlyTemporaryRecordings)
{
    TempPaths paths;
    const QDir temp(paths.temporaryDirectory());
    const QStringList removed = {
        QStringLiteral("parlovox-0A1B2C3D-0000-0000-0000-000000000000.wav"),
        QStringLiteral("parlovox-.wav"), QStringLiteral("parlovox-x.tar.wav")};
    const QStringList kept = {
        QStringLiteral("parlovox-x.WAV"), QStringLiteral("parlovox-x.wav.part"),
        QStringLiteral("parlovox-x.txt"), QStringLiteral("other.wav"),
        QStringLiteral("Parlovox-x.wav"), QStringLiteral(".parlovox-x.wav")};
    for (const QString &name : removed + kept) {
        QFile file(temp.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    temp.mkdir(QStringLiteral("nested"));
    QFile nested(temp.filePath(QStringLiteral("nested/parlovox-y.wav")));
    ASSERT_TRUE(nested.open(QIODevice::WriteOnly));
    nested.close();
    // A matching link goes, but what it points at is not ours.
    ASSERT_TRUE(QFile::link(temp.filePath(QStringLiteral("nested")),
                            temp.filePath(QStringLiteral("parlovox-link.wav"))));

    // A file an earlier run prepared but never recorded into is stale too.
    VirtualScheduler scheduler;
    FakeAudioInput input(&scheduler);
    {
        AudioRecorder earlier(input, scheduler, paths);
        earlier.startRecording();
        earlier.stopRecording();
    }
    ASSERT_EQ(input.createdPaths().size(), 2);

    StaleRecordings::recover(paths, AudioRecorder::largestRecordingBytes(300));
    for (const QString &name : removed)
        EXPECT_FALSE(temp.exists(name)) << name.toStdString();
    for (const QString &name : kept)
        EXPECT_TRUE(temp.exists(name)) << name.toStdString();
    EXPECT_TRUE(nested.exists());
    EXPECT_FALSE(QFileInfo(temp.filePath(QStringLiteral("parlovox-link.wav"))).isSymLink());
    for (const QString &path : input.createdPaths())
        EXPECT_FALSE(QFile::exists(path));

    paths.setTemporaryDirectory(paths.root() + QStringLiteral("/missing"));
    StaleRecordings::recover(
        paths, AudioRecorder::largestRecordingBytes(300)); // an unreadable directory is no error
}

} // namespace
