// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioRecorder.h"

#include "platform/Paths.h"
#include "platform/Scheduler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

const platform::AudioInput::Settings AudioRecorder::settings{};

AudioRecorder::AudioRecorder(platform::AudioInput &audioInput, platform::Scheduler &scheduler,
                             platform::Paths &paths)
    : m_audioInput(audioInput), m_scheduler(scheduler), m_paths(paths)
{}

AudioRecorder::~AudioRecorder()
{
    if (isRecordingInProgress() || !m_currentPath)
        return;
    // Closed first, so nothing writes to the file after it is gone.
    m_recorder.reset();
    QFile::remove(*m_currentPath);
}

void AudioRecorder::prepareRecorder(QLatin1String prefix)
{
    const QString folder = m_paths.temporaryDirectory();
    platform::AudioInput::Creation creation;
    if (folder.isEmpty()) {
        m_currentPath.reset();
        creation.errorDescription = QStringLiteral("No private folder to record into");
    } else {
        m_currentPath = QDir(folder).filePath(
            prefix + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() +
            QStringLiteral(".wav"));
        creation = m_audioInput.createRecorder(*m_currentPath, settings);
    }
    if (creation.recorder) {
        m_recorder = std::move(creation.recorder);
        m_recorder->setMeteringEnabled(true);
        m_recorder->prepareToRecord();
        m_prepareError.clear();
        return;
    }
    const QByteArray line = QStringLiteral("[AudioRecorder] Failed to prepare: %1\n")
                                .arg(creation.errorDescription)
                                .toUtf8();
    std::fputs(line.constData(), stdout);
    std::fflush(stdout);
    m_prepareError = creation.errorDescription;
    m_recorder.reset();
    m_currentPath.reset();
}

void AudioRecorder::warmUp()
{
    // A warm-up ending during a dictation would stop it and delete its file; while a recording
    // runs the input is up anyway.
    if (isRecordingInProgress())
        return;
    // Not into the prepared file: a run killed during the warm-up would leave audio there that the
    // next start takes for a dictation.
    m_recorder.reset();
    if (m_currentPath)
        QFile::remove(*m_currentPath);
    prepareRecorder(warmUpPrefix);
    m_isWarmingUp = true;
    if (m_recorder)
        m_recorder->record();
    m_scheduler.after(warmUpDuration, [alive = std::weak_ptr<bool>(m_alive), this] {
        if (alive.lock())
            endWarmUp();
    });
}

void AudioRecorder::endWarmUp()
{
    if (!m_isWarmingUp)
        return;
    m_isWarmingUp = false;
    if (m_recorder)
        m_recorder->stop();
    if (m_currentPath)
        QFile::remove(*m_currentPath);
    m_recorder.reset();
    m_currentPath.reset();
    prepareRecorder(recordingPrefix);
}

std::optional<QString> AudioRecorder::startRecording()
{
    if (m_isWarmingUp)
        endWarmUp();
    if (!m_recorder)
        prepareRecorder(recordingPrefix);
    m_failureReported = false;
    std::optional<QString> failure;
    if (!m_recorder) {
        failure = m_prepareError;
    } else {
        m_recorder->setMeteringEnabled(true);
        if (!m_recorder->record())
            failure = QStringLiteral("The microphone did not start");
    }
    startMetering();
    return failure;
}

std::optional<QString> AudioRecorder::stopRecording()
{
    m_meteringTimer.reset();
    // Taken out before stopping: the platform may run the event loop meanwhile, and a call made
    // from there must find nothing left to stop rather than free the recorder under this one.
    const std::unique_ptr<platform::AudioInput::Recorder> recorder = std::move(m_recorder);
    std::optional<QString> result = std::exchange(m_currentPath, std::nullopt);
    if (recorder)
        recorder->stop();
    if (!m_recorder)
        prepareRecorder(recordingPrefix);
    return result;
}

void AudioRecorder::setOnAudioLevel(std::function<void(float)> onAudioLevel)
{
    m_onAudioLevel = std::move(onAudioLevel);
}

void AudioRecorder::setOnRecordingFailed(std::function<void(const QString &)> onRecordingFailed)
{
    m_onRecordingFailed = std::move(onRecordingFailed);
}

void AudioRecorder::startMetering()
{
    m_meteringTimer =
        m_scheduler.repeating(meteringInterval, [alive = std::weak_ptr<bool>(m_alive), this] {
            if (alive.lock())
                updateMeter();
        });
}

void AudioRecorder::updateMeter()
{
    if (!m_recorder)
        return;
    const QString writeError = m_recorder->writeError();
    if (!writeError.isEmpty() && !m_failureReported) {
        m_failureReported = true;
        // Through the event loop: the owner stops the recording, which ends this very timer.
        m_scheduler.after(0, [alive = std::weak_ptr<bool>(m_alive), this, writeError] {
            if (alive.lock() && m_onRecordingFailed)
                m_onRecordingFailed(writeError);
        });
    }
    if (!m_recorder->isRecording())
        return;
    m_recorder->updateMeters();
    const float power = m_recorder->averagePower(0);
    if (m_onAudioLevel)
        m_onAudioLevel(levelForPower(power));
}

float AudioRecorder::levelForPower(float decibels)
{
    // A NaN power fails the comparison and counts as full scale.
    const float normalised = decibels < 0.0f ? (std::max(decibels, -45.0f) + 45.0f) / 45.0f : 1.0f;
    return normalised < 0.05f ? 0.0f : std::sqrt(normalised);
}

qint64 AudioRecorder::largestRecordingBytes(double maxRecordingDuration)
{
    // Never below the longest limit the settings offer, so lowering the limit after a crash loses
    // nothing; a minute more for a late stop. A WAV header cannot count more than 4 GiB.
    constexpr double longestOffered = 600.0;
    constexpr double bytesPerSecond = 16000.0 * 2.0;
    const double seconds = std::isfinite(maxRecordingDuration)
                               ? std::max(maxRecordingDuration, longestOffered)
                               : longestOffered;
    return qint64(
        std::min((seconds + 60.0) * bytesPerSecond + double(wavHeaderBytes), double(0xFFFFFFFFLL)));
}
