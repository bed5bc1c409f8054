// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeAudioInput.h"

#include "platform/Scheduler.h"
#include "platform/WavFileWriter.h"

#include <QFileInfo>
#include <QtEndian>

#include <cmath>

namespace testsupport {

struct FakeAudioInput::State
{
    platform::Scheduler *clock = nullptr;
    float power = -20.0f;
    QString creationError;
    QString writeError;
    bool paused = false;
    int samplesPerRecording = 1600;
    QStringList events;
    int creationAttempts = 0;
    QStringList createdPaths;
    int liveRecorders = 0;
    QString recordingPath;
    Settings lastSettings;
    std::function<void()> duringStop;

    void log(const QString &what, const QString &path)
    {
        events.append(what + QLatin1Char(' ') + QFileInfo(path).fileName());
    }
};

namespace {

class FakeRecorder final : public platform::AudioInput::Recorder
{
public:
    FakeRecorder(std::shared_ptr<FakeAudioInput::State> state, QString path)
        : m_state(std::move(state)), m_path(std::move(path))
    {
        ++m_state->liveRecorders;
    }
    ~FakeRecorder() override
    {
        stop();
        --m_state->liveRecorders;
    }

    bool open() { return m_writer.open(m_path, 16000, 1, 16); }
    QString error() const { return m_writer.errorString(); }

    void setMeteringEnabled(bool enabled) override { m_metering = enabled; }
    bool prepareToRecord() override
    {
        m_state->log(QStringLiteral("prepare"), m_path);
        return m_writer.isOpen();
    }
    bool record() override
    {
        if (!m_writer.isOpen())
            return false;
        if (!m_recording) {
            m_recording = true;
            m_started = m_state->clock ? m_state->clock->monotonic() : 0;
            m_state->recordingPath = m_path;
            m_state->log(QStringLiteral("record"), m_path);
        }
        return true;
    }
    void stop() override
    {
        if (!m_recording)
            return;
        const bool diskFull = !writeError().isEmpty();
        m_recording = false;
        if (m_state->recordingPath == m_path)
            m_state->recordingPath.clear();
        m_state->log(QStringLiteral("stop"), m_path);
        // A copy: the work may replace itself.
        if (const std::function<void()> work = m_state->duringStop)
            work();
        const qint64 samples =
            m_state->clock ? qint64(std::llround((m_state->clock->monotonic() - m_started) * 16000))
                           : m_state->samplesPerRecording;
        // The disk filled up midway: the first half of the audio stands, nothing after it.
        writeSamples(diskFull ? samples / 2 : samples);
        m_writer.finish();
    }
    bool isRecording() const override { return m_recording && !m_state->paused; }
    QString writeError() const override
    {
        if (m_recording && m_writeError.isEmpty())
            m_writeError = m_state->writeError;
        return m_writeError;
    }
    void updateMeters() override
    {
        m_power = m_metering ? std::max(m_state->power, -160.0f) : -160.0f;
    }
    float averagePower(int) const override { return m_power; }

private:
    // A square wave of amplitude a has an RMS of exactly a, which makes the level predictable.
    void writeSamples(qint64 count)
    {
        const double amplitude =
            m_state->power <= -160.0f
                ? 0.0
                : std::min(32767.0, 32768.0 * std::pow(10.0, m_state->power / 20.0));
        const auto value = qint16(std::lround(amplitude));
        QByteArray bytes(count * 2, Qt::Uninitialized);
        for (qint64 i = 0; i < count; ++i)
            qToLittleEndian(qint16(i % 2 ? -value : value), bytes.data() + 2 * i);
        m_writer.append(bytes.constData(), bytes.size());
    }

    std::shared_ptr<FakeAudioInput::State> m_state;
    QString m_path;
    platform::linux_impl::WavFileWriter m_writer;
    bool m_metering = false;
    bool m_recording = false;
    mutable QString m_writeError;
    double m_started = 0;
    float m_power = -160.0f;
};

} // namespace

FakeAudioInput::FakeAudioInput(platform::Scheduler *clock) : m_state(std::make_shared<State>())
{
    m_state->clock = clock;
}

FakeAudioInput::~FakeAudioInput() = default;

platform::AudioInput::Creation FakeAudioInput::createRecorder(const QString &filePath,
                                                              const Settings &settings)
{
    ++m_state->creationAttempts;
    m_state->lastSettings = settings;
    if (!m_state->creationError.isEmpty()) {
        m_state->log(QStringLiteral("fail"), filePath);
        return {nullptr, m_state->creationError};
    }
    auto recorder = std::make_unique<FakeRecorder>(m_state, filePath);
    if (!recorder->open()) {
        m_state->log(QStringLiteral("fail"), filePath);
        return {nullptr, recorder->error()};
    }
    m_state->log(QStringLiteral("create"), filePath);
    m_state->createdPaths.append(filePath);
    return {std::move(recorder), QString()};
}

void FakeAudioInput::setPowerDecibels(float decibels)
{
    m_state->power = decibels;
}
void FakeAudioInput::setCreationError(const QString &description)
{
    m_state->creationError = description;
}
void FakeAudioInput::setWriteError(const QString &description)
{
    m_state->writeError = description;
}
void FakeAudioInput::setPaused(bool paused)
{
    m_state->paused = paused;
}

void FakeAudioInput::setDuringStop(std::function<void()> work)
{
    m_state->duringStop = std::move(work);
}
QStringList FakeAudioInput::events() const
{
    return m_state->events;
}
QString FakeAudioInput::transcript() const
{
    return m_state->events.join(QStringLiteral(", "));
}
void FakeAudioInput::clearEvents()
{
    m_state->events.clear();
}
int FakeAudioInput::creationAttempts() const
{
    return m_state->creationAttempts;
}
QStringList FakeAudioInput::createdPaths() const
{
    return m_state->createdPaths;
}
int FakeAudioInput::liveRecorders() const
{
    return m_state->liveRecorders;
}
QString FakeAudioInput::recordingPath() const
{
    return m_state->recordingPath;
}
platform::AudioInput::Settings FakeAudioInput::lastSettings() const
{
    return m_state->lastSettings;
}

} // namespace testsupport
