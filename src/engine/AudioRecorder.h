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

    // Prepares nothing yet: the first preparation happens in warmUp() or startRecording().
    AudioRecorder(platform::AudioInput &audioInput, platform::Scheduler &scheduler,
                  platform::Paths &paths);
    // Releases the recorder, the meter and the callback. The prepared next recording holds no
    // audio and is deleted; a recording still running is kept for the next start to recover.
    ~AudioRecorder();
    AudioRecorder(const AudioRecorder &) = delete;
    AudioRecorder &operator=(const AudioRecorder &) = delete;

    // Records a throw-away clip for 0.3 s to bring up the audio input, then prepares a fresh file.
    void warmUp();
    // Starts writing the prepared file (ending a warm-up first) and reporting levels.
    void startRecording();
    // Stops and hands over the file just written, or nothing when no file was prepared; the next
    // recording is prepared before returning.
    std::optional<QString> stopRecording();

    // Called on the main thread with each level (0 to 1) while recording.
    void setOnAudioLevel(std::function<void(float)> onAudioLevel);

    // Deletes the temporary recordings ("parlovox-*.wav") left behind in the temporary directory
    // that hold no audio (a recording prepared but never used). Those that hold audio (a run
    // killed while recording or uploading) are left in place, their header made to count their
    // audio, and returned for the retry queue.
    static QStringList cleanupStaleRecordings(const platform::Paths &paths);
    // The level shown for an average power of `decibels` dBFS.
    static float levelForPower(float decibels);

    bool isWarmingUp() const { return m_isWarmingUp; }
    // The file the prepared (or running) recorder writes to, if any.
    std::optional<QString> currentPath() const { return m_currentPath; }

private:
    // Makes the header of a recording that was never finished count the audio it holds.
    static void completeHeader(const QString &path);
    void prepareRecorder();
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
    // Work posted for later holds this weakly, so it does nothing once the recorder is gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
