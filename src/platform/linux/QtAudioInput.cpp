// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtAudioInput.h"

#include "QtAudioFileRecorder.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QMediaDevices>

namespace platform::linux_impl {

namespace {

constexpr quint32 linearPCM = 1819304813; // 'lpcm'

QString unsupported(const AudioInput::Settings &settings)
{
    if (settings.formatID != linearPCM)
        return QStringLiteral("Unsupported audio format %1: only linear PCM is recorded")
            .arg(settings.formatID);
    if (settings.linearPCMIsFloat || settings.linearPCMBitDepth != 16)
        return QStringLiteral(
            "Unsupported sample format: only 16-bit integer samples are recorded");
    if (settings.linearPCMIsBigEndian)
        return QStringLiteral("Unsupported byte order: WAV files are little-endian");
    if (settings.numberOfChannels < 1 || settings.sampleRate < 1)
        return QStringLiteral("Unsupported channel count or sample rate");
    return {};
}

} // namespace

AudioInput::Creation QtAudioInput::createRecorder(const QString &filePath, const Settings &settings)
{
    if (const QString problem = unsupported(settings); !problem.isEmpty())
        return {nullptr, problem};

    // Without an audio server at its first use Qt lists no device and never looks again, so an
    // empty list covers both a missing microphone and a missing server.
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull())
        return {nullptr, QStringLiteral("No microphone available: the audio server lists no input "
                                        "device, or no audio server is running")};

    QAudioFormat format;
    format.setSampleRate(int(settings.sampleRate));
    format.setChannelCount(settings.numberOfChannels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return {nullptr, QStringLiteral("The microphone \"%1\" cannot record %2 Hz, %3 channel(s), "
                                        "16-bit PCM")
                             .arg(device.description())
                             .arg(format.sampleRate())
                             .arg(format.channelCount())};

    auto recorder = std::make_unique<QtAudioFileRecorder>(device, format);
    if (const QString error = recorder->openFile(filePath); !error.isEmpty())
        return {nullptr, error};
    return {std::move(recorder), QString()};
}

} // namespace platform::linux_impl
