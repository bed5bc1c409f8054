// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtAudioFileRecorder.h"

#include <QAudioSource>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace platform::linux_impl {

namespace {

// 20 ms delivery periods: the first samples reach the file quickly and little is still in flight
// when the recording stops. The server buffers far more than this if the event loop is late.
constexpr int bufferMilliseconds = 20;

} // namespace

QtAudioFileRecorder::QtAudioFileRecorder(const QAudioDevice &device, const QAudioFormat &format)
    : m_device(device), m_format(format)
{}

QtAudioFileRecorder::~QtAudioFileRecorder()
{
    stop();
}

QString QtAudioFileRecorder::openFile(const QString &path)
{
    if (!m_writer.open(path, m_format.sampleRate(), m_format.channelCount(), 16))
        return QStringLiteral("Cannot write the recording file %1: %2")
            .arg(path, m_writer.errorString());
    return {};
}

bool QtAudioFileRecorder::prepareToRecord()
{
    if (m_finished || !m_writer.isOpen())
        return false;
    if (!m_source) {
        m_source = std::make_unique<QAudioSource>(m_device, m_format);
        m_source->setBufferSize(m_format.bytesForDuration(bufferMilliseconds * 1000));
    }
    return true;
}

bool QtAudioFileRecorder::record()
{
    if (m_recording)
        return true;
    if (!prepareToRecord())
        return false;
    QIODevice *input = m_source->start();
    if (!input || m_source->error() != QAudio::NoError) {
        m_source->stop();
        return false;
    }
    m_input = input;
    connect(input, &QIODevice::readyRead, this, &QtAudioFileRecorder::readAvailable);
    m_recording = true;
    return true;
}

void QtAudioFileRecorder::stop()
{
    if (!m_recording)
        return;
    // The source drops what it has not handed out yet when stopped: take it first.
    readAvailable();
    m_recording = false;
    if (m_input)
        disconnect(m_input, nullptr, this, nullptr);
    m_input = nullptr;
    m_writer.finish();
    m_finished = true;
    // Stopping and destroying the source may run a nested event loop, in which our owner may
    // let go of this recorder: nothing of it is touched afterwards.
    const std::unique_ptr<QAudioSource> source = std::move(m_source);
    source->stop();
}

void QtAudioFileRecorder::readAvailable()
{
    if (!m_recording || !m_input)
        return;
    const QByteArray bytes = m_input->readAll();
    if (!bytes.isEmpty())
        consume(bytes);
}

void QtAudioFileRecorder::consume(const QByteArray &bytes)
{
    // After a failed write the file has a hole: later audio appended to it would read as if
    // nothing had been lost.
    if (!m_writeError.isEmpty())
        return;
    if (!m_writer.append(bytes.constData(), bytes.size())) {
        m_writeError = m_writer.errorString();
        return;
    }
    if (!m_meteringEnabled)
        return;
    // Channel 0 only: with several channels, every channelCount-th sample.
    const int channels = std::max(1, m_format.channelCount());
    const QByteArray samples = m_meterCarry + bytes;
    const qint64 frameBytes = 2 * channels;
    const qint64 frames = samples.size() / frameBytes;
    for (qint64 i = 0; i < frames; ++i) {
        const double value =
            qFromLittleEndian<qint16>(samples.constData() + i * frameBytes) / 32768.0;
        m_sumOfSquares += value * value;
    }
    m_sampleCount += frames;
    m_meterCarry = samples.mid(frames * frameBytes);
}

void QtAudioFileRecorder::updateMeters()
{
    readAvailable();
    if (!m_meteringEnabled) {
        m_power = silencePower;
        return;
    }
    // Between two audio periods nothing new may have arrived: keep showing the last value.
    if (m_sampleCount == 0)
        return;
    const double rms = std::sqrt(m_sumOfSquares / double(m_sampleCount));
    m_power = rms > 0 ? std::max(silencePower, float(20.0 * std::log10(rms))) : silencePower;
    m_sumOfSquares = 0;
    m_sampleCount = 0;
}

float QtAudioFileRecorder::averagePower(int channel) const
{
    return channel == 0 ? m_power : silencePower;
}

} // namespace platform::linux_impl
