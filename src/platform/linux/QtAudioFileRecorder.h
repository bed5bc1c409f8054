// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AudioInput.h"
#include "platform/WavFileWriter.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>
#include <QPointer>

#include <memory>

class QAudioSource;
class QIODevice;

namespace platform::linux_impl {

// One recording from a Qt audio source into one WAV file. The source only runs between record()
// and stop(), so the microphone is not held open while the next recording waits prepared.
class QtAudioFileRecorder final : public QObject, public AudioInput::Recorder
{
public:
    QtAudioFileRecorder(const QAudioDevice &device, const QAudioFormat &format);
    ~QtAudioFileRecorder() override;

    // Creates the file with an empty WAV header; the error text, or empty on success.
    QString openFile(const QString &path);

    void setMeteringEnabled(bool enabled) override { m_meteringEnabled = enabled; }
    bool prepareToRecord() override;
    bool record() override;
    void stop() override;
    bool isRecording() const override { return m_recording; }
    QString writeError() const override { return m_writeError; }
    void updateMeters() override;
    float averagePower(int channel) const override;

    // Floor of the meter: what exact silence reads as.
    static constexpr float silencePower = -160.0f;

private:
    void readAvailable();
    void consume(const QByteArray &bytes);

    QAudioDevice m_device;
    QAudioFormat m_format;
    std::unique_ptr<QAudioSource> m_source;
    QPointer<QIODevice> m_input;
    WavFileWriter m_writer;
    bool m_recording = false;
    bool m_finished = false;
    bool m_meteringEnabled = false;
    QString m_writeError;
    // Samples since the previous updateMeters(), as a sum of squares over full scale.
    double m_sumOfSquares = 0;
    qint64 m_sampleCount = 0;
    QByteArray m_meterCarry;
    float m_power = silencePower;
};

} // namespace platform::linux_impl
