// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

namespace platform {

// Microphone recording into a WAV file with a level meter.
class AudioInput
{
public:
    // The six settings a recorder is created with. The defaults describe the only format the
    // program records: 16 kHz mono 16-bit signed little-endian integer PCM.
    struct Settings
    {
        quint32 formatID = 1819304813; // 'lpcm', linear PCM
        double sampleRate = 16000.0;
        int numberOfChannels = 1;
        int linearPCMBitDepth = 16;
        bool linearPCMIsFloat = false;
        bool linearPCMIsBigEndian = false;

        friend bool operator==(const Settings &, const Settings &) = default;
    };

    // One recorder bound to one file. Destroying it releases the microphone; a recording still
    // running is stopped first so the file is left complete.
    class Recorder
    {
    public:
        virtual ~Recorder() = default;

        // Whether updateMeters() measures the input; off, the power reads as silence.
        virtual void setMeteringEnabled(bool enabled) = 0;
        // Readies the file and the input so record() starts quickly; false when it cannot.
        virtual bool prepareToRecord() = 0;
        // Starts (or resumes) appending the microphone's samples to the file; false on failure.
        // Recording again after stop() is refused: a stopped file is finished.
        virtual bool record() = 0;
        // Stops recording and finishes the file (its header then describes every sample written).
        // Audio arriving afterwards is never appended. Does nothing when not recording.
        virtual void stop() = 0;
        // True between a successful record() and stop().
        virtual bool isRecording() const = 0;
        // Why samples could not be appended to the file (a full disk), or empty while every
        // sample was kept. Once set it stays: the file then lacks audio and nothing more is added.
        virtual QString writeError() const = 0;
        // Measures the samples received since the previous call. When none arrived (the call fell
        // between two audio periods), the previous reading stays.
        virtual void updateMeters() = 0;
        // Average power of `channel` at the last updateMeters(), in dB relative to full scale
        // (0 is full scale; silence gives a very low finite value, never NaN).
        virtual float averagePower(int channel) const = 0;
    };

    // What creating a recorder gives: the recorder, or none and the reason in words.
    struct Creation
    {
        std::unique_ptr<Recorder> recorder;
        QString errorDescription;
    };

    virtual ~AudioInput() = default;

    // Creates a recorder writing to `filePath` (created or truncated now, readable by its owner
    // only) from the default microphone with `settings`. Fails, with a description, when there is
    // no microphone, no audio server, the settings cannot be recorded or the file cannot be
    // written; a failed creation leaves no file.
    virtual Creation createRecorder(const QString &filePath, const Settings &settings) = 0;
};

} // namespace platform
