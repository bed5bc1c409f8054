// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AudioInput.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace platform {
class Paths;
class Scheduler;
class TimerHandle;
} // namespace platform

// Turns the microphone into one WAV file per dictation. Between dictations the next recording is
// already prepared (a recorder bound to a fresh file name), so a press only has to start writing.
// The file handed back by stopRecording() belongs to the caller; the only files deleted here are
// the warm-up clip and stale recordings of an earlier run.
class AudioRecorder final
{
public:
    // The recording settings: 16 kHz mono 16-bit signed little-endian PCM.
    static const platform::AudioInput::Settings settings;
    // How long the throw-away warm-up clip records.
    static constexpr double warmUpDuration = 0.3;
    // Interval of the level meter while recording.
    static constexpr double meteringInterval = 1.0 / 30.0;
    // The size of a WAV header: a recording no longer than this holds no audio.
    static constexpr qint64 wavHeaderBytes = 44;
    // The start of every recording's file name.
    static constexpr QLatin1String recordingPrefix{"parlovox-"};
    // The start of the warm-up clip's name: still "parlovox-…wav", so an earlier version's
    // start-up removes it too, but never recovered, since no press made it.
    static constexpr QLatin1String warmUpPrefix{"parlovox-warmup-"};

    // Prepares nothing yet: the first preparation happens in warmUp() or startRecording().
    AudioRecorder(platform::AudioInput &audioInput, platform::Scheduler &scheduler,
                  platform::Paths &paths);
    // Releases the recorder, the meter and the callback. The prepared next recording holds no
    // audio and is deleted; a recording still running is kept for the next start to recover.
    ~AudioRecorder();
    AudioRecorder(const AudioRecorder &) = delete;
    AudioRecorder &operator=(const AudioRecorder &) = delete;

    // Records a throw-away clip for 0.3 s to bring up the audio input, then prepares a fresh file.
    // The clip has a name of its own that start-up never recovers: no press made it.
    void warmUp();
    // Starts writing the prepared file (ending a warm-up first) and reporting levels. Returns why
    // nothing is being recorded when no file could be prepared or the input refused to start.
    std::optional<QString> startRecording();
    // Stops and hands over the file just written, or nothing when no file was prepared; the next
    // recording is prepared before returning.
    std::optional<QString> stopRecording();

    // Called on the main thread with each level (0 to 1) while recording.
    void setOnAudioLevel(std::function<void(float)> onAudioLevel);
    // Called on the main thread, once per recording, with the reason as soon as the recording can
    // no longer be written (a full disk): its file then lacks the audio that followed.
    void setOnRecordingFailed(std::function<void(const QString &)> onRecordingFailed);

    // The most a recording limited to `maxRecordingDuration` seconds can hold, with some leeway.
    static qint64 largestRecordingBytes(double maxRecordingDuration);
    // The level shown for an average power of `decibels` dBFS.
    static float levelForPower(float decibels);

    bool isWarmingUp() const { return m_isWarmingUp; }
    // The file the prepared (or running) recorder writes to, if any.
    std::optional<QString> currentPath() const { return m_currentPath; }

private:
    // Makes a recorder for a new file named `prefix` + UUID + ".wav"; its failure is kept.
    void prepareRecorder(QLatin1String prefix);
    void endWarmUp();
    void startMetering();
    void updateMeter();
    bool isRecordingInProgress() const { return m_meteringTimer != nullptr; }

    platform::AudioInput &m_audioInput;
    platform::Scheduler &m_scheduler;
    platform::Paths &m_paths;

    std::unique_ptr<platform::AudioInput::Recorder> m_recorder;
    std::optional<QString> m_currentPath;
    std::unique_ptr<platform::TimerHandle> m_meteringTimer;
    bool m_isWarmingUp = false;
    std::function<void(float)> m_onAudioLevel;
    std::function<void(const QString &)> m_onRecordingFailed;
    bool m_failureReported = false;
    // Why the last preparation made no recorder.
    QString m_prepareError;
    // Work posted for later holds this weakly, so it does nothing once the recorder is gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
