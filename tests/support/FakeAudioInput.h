// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AudioInput.h"

#include <QStringList>

#include <functional>
#include <memory>

namespace platform {
class Scheduler;
}

namespace testsupport {

// A microphone producing synthetic samples at a chosen dBFS. Each recorder writes a real WAV file:
// the header at creation, the samples at stop (as many as the recording lasted on the given clock,
// or 0.1 s worth without one). Everything that happens is kept as events naming the file, for
// example "create parlovox-….wav", "record …", "stop …".
class FakeAudioInput final : public platform::AudioInput
{
public:
    // With a clock, a recording holds as many samples as the clock advanced while it recorded.
    explicit FakeAudioInput(platform::Scheduler *clock = nullptr);
    ~FakeAudioInput() override;

    Creation createRecorder(const QString &filePath, const Settings &settings) override;

    // The average power every recorder reports and records (default −20 dBFS). −160 or below
    // gives exact zeros.
    void setPowerDecibels(float decibels);
    // Non-empty: every creation fails with this description (no file is made). Empty: succeeds.
    void setCreationError(const QString &description);
    // Non-empty: a recorder that is recording from now on reports this write error and appends
    // no more samples, as when the disk fills up. Empty: writes succeed again.
    void setWriteError(const QString &description);
    // While paused, recorders report that they are not recording.
    void setPaused(bool paused);
    // Runs while a recorder stops, as a platform that runs the event loop meanwhile would.
    void setDuringStop(std::function<void()> work);

    QStringList events() const;
    // The events joined by ", ".
    QString transcript() const;
    void clearEvents();
    int creationAttempts() const;
    // Full paths of successful creations, in order.
    QStringList createdPaths() const;
    // Recorders that exist now (not yet destroyed by their owner).
    int liveRecorders() const;
    // Full path of the file being recorded now, or empty.
    QString recordingPath() const;
    Settings lastSettings() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

} // namespace testsupport
