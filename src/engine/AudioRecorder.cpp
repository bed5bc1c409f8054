// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioRecorder.h"

#include "platform/Paths.h"
#include "platform/Scheduler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <QtEndian>

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

void AudioRecorder::prepareRecorder()
{
    const QString name = QStringLiteral("parlovox-") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() +
                         QStringLiteral(".wav");
    m_currentPath = QDir(m_paths.temporaryDirectory()).filePath(name);

    auto creation = m_audioInput.createRecorder(*m_currentPath, settings);
    if (creation.recorder) {
        m_recorder = std::move(creation.recorder);
        m_recorder->setMeteringEnabled(true);
        m_recorder->prepareToRecord();
        return;
    }
    const QByteArray line = QStringLiteral("[AudioRecorder] Failed to prepare: %1\n")
                                .arg(creation.errorDescription)
                                .toUtf8();
    std::fputs(line.constData(), stdout);
    std::fflush(stdout);
    m_recorder.reset();
    m_currentPath.reset();
}

void AudioRecorder::warmUp()
{
    // A warm-up ending during a dictation would stop it and delete its file; while a recording
    // runs the input is up anyway.
    if (isRecordingInProgress())
        return;
    if (!m_recorder)
        prepareRecorder();
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
    prepareRecorder();
}

void AudioRecorder::startRecording()
{
    if (m_isWarmingUp)
        endWarmUp();
    if (!m_recorder)
        prepareRecorder();
    if (m_recorder) {
        m_recorder->setMeteringEnabled(true);
        m_recorder->record();
    }
    startMetering();
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
        prepareRecorder();
    return result;
}

void AudioRecorder::setOnAudioLevel(std::function<void(float)> onAudioLevel)
{
    m_onAudioLevel = std::move(onAudioLevel);
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
    if (!m_recorder || !m_recorder->isRecording())
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

void AudioRecorder::completeHeader(const QString &path)
{
    // A run killed while recording never wrote the final sizes: the header says there is no
    // audio, and the server would hear none.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return;
    const QByteArray header = file.read(wavHeaderBytes);
    if (header.size() < wavHeaderBytes || !header.startsWith("RIFF") || header.mid(36, 4) != "data")
        return;
    // Whole 16-bit samples only; a 32-bit size is all a WAV header can hold.
    const qint64 dataBytes = (file.size() - wavHeaderBytes) & ~qint64(1);
    if (dataBytes > 0xFFFFFFFFLL - 36 ||
        qFromLittleEndian<quint32>(header.constData() + 40) == quint32(dataBytes))
        return;
    char size[4];
    qToLittleEndian(quint32(36 + dataBytes), size);
    file.seek(4);
    file.write(size, 4);
    qToLittleEndian(quint32(dataBytes), size);
    file.seek(40);
    file.write(size, 4);
}

QStringList AudioRecorder::cleanupStaleRecordings(const platform::Paths &paths)
{
    const QDir directory(paths.temporaryDirectory());
    QStringList withAudio;
    if (!directory.exists())
        return withAudio;
    const QStringList names =
        directory.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        // The extension is what follows the last dot, compared case-sensitively.
        if (!name.startsWith(QLatin1String("parlovox-")) ||
            QFileInfo(name).suffix() != QLatin1String("wav"))
            continue;
        const QString path = directory.filePath(name);
        // A link is removed itself: following it would empty whatever it points at.
        const QFileInfo entry(path);
        if (entry.isFile() && !entry.isSymLink() && entry.size() > wavHeaderBytes) {
            completeHeader(path);
            withAudio.append(path);
        } else if (entry.isDir() && !entry.isSymLink())
            QDir(path).removeRecursively();
        else
            QFile::remove(path);
    }
    return withAudio;
}
