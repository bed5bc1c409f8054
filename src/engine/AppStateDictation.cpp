// SPDX-License-Identifier: GPL-3.0-or-later
// AppState: the dictation cycle, from the press of the trigger to the text in the front
// application, the error state or the retry queue.
#include "AppState.h"

#include "engine/AudioRecorder.h"
#include "engine/DescribedError.h"
#include "engine/EngineLogging.h"
#include "engine/HotkeyManager.h"
#include "engine/PasteManager.h"
#include "engine/RecordingRelease.h"
#include "engine/RetryQueueManager.h"
#include "engine/ServerEndpoint.h"
#include "engine/SoundManager.h"
#include "engine/TranscriptionError.h"
#include "engine/TranscriptionLogger.h"
#include "engine/TranscriptionService.h"
#include "engine/TransportError.h"
#include "platform/CrashReporter.h"
#include "platform/Scheduler.h"
#include "platform/Services.h"

#include <QFile>
#include <QPointer>
#include <QVariantMap>

#include <utility>

namespace {

// What a Linux user can do: access to the microphone is an input device the sound server lists,
// and pasting needs an X server that accepts synthetic keys.
const QString kMicrophoneRequired =
    QStringLiteral("Microphone access required — connect or enable an audio input device");
const QString kPasteFailed =
    QStringLiteral("Paste failed — use an X11 session with the XTEST extension");
const QString kNotQueued = QStringLiteral("Recording could not be queued for retry: %1");
const QString kRecordingFailed = QStringLiteral("Recording failed: %1");

// A server URL that cannot be used: the upload never left, and only the user can help.
bool isNotAServer(const std::exception_ptr &error)
{
    if (!error)
        return false;
    try {
        std::rethrow_exception(error);
    } catch (const TransportError &e) {
        return e.kind() == TransportError::Kind::notAServer;
    } catch (...) {
        return false;
    }
}

void deleteRecording(const QString &filePath)
{
    // A failure is ignored: the next start would find the file and queue it once more.
    QFile::remove(filePath);
}

} // namespace

void AppState::startRecording()
{
    if (m_state.isError())
        setState(RecordingState::idle());
    if (!m_state.isIdle())
        return;
    if (!m_micPermissionGranted) {
        setState(RecordingState::error(kMicrophoneRequired));
        return;
    }

    platform::Scheduler &scheduler = *m_services.scheduler;
    setCurrentAudioLevel(0);
    setState(RecordingState::recording());
    setRecordingStartTime(scheduler.now());
    m_soundManager->playStartSound();
    if (const std::optional<QString> failure = m_recorder->startRecording()) {
        recordingFailed(*failure);
        return;
    }
    readClipboardAhead();

    // The timers hand their work to the event loop instead of acting inside the timer's own
    // callback: stopping the recording destroys the very timer that fired.
    QPointer<AppState> self(this);
    const double warningDelay = m_maxRecordingDuration - recordingWarningLeadSeconds;
    if (warningDelay > 0) {
        m_recordingWarningTimer = scheduler.singleShot(warningDelay, [self, &scheduler] {
            scheduler.after(0, [self] {
                if (self)
                    self->m_soundManager->playWarningSound();
            });
        });
    }
    m_recordingLimitTimer = scheduler.singleShot(m_maxRecordingDuration, [self, &scheduler] {
        scheduler.after(0, [self] {
            if (self)
                self->stopRecording();
        });
    });
}

void AppState::readClipboardAhead()
{
    // While the user speaks, not between the server's answer and the paste; after the start,
    // which must not wait for another program.
    QPointer<AppState> self(this);
    m_services.scheduler->after(0, [self] {
        if (self && self->m_state.isRecording() && self->pastesTranscripts())
            self->m_pasteManager->readPreviousTextAhead();
    });
}

void AppState::stopRecording()
{
    // Stopping the microphone may run a nested event loop, in which a second release or the
    // limit timer calls here again while the state still says recording: the stop under way
    // is the one.
    if (!m_state.isRecording() || m_stoppingRecording)
        return;
    m_recordingWarningTimer.reset();
    m_recordingLimitTimer.reset();

    m_stoppingRecording = true;
    const std::optional<QString> file = m_recorder->stopRecording();
    m_stoppingRecording = false;
    if (!file) {
        setState(RecordingState::idle());
        setRecordingStartTime(std::nullopt);
        return;
    }

    platform::Scheduler &scheduler = *m_services.scheduler;
    const QDateTime now = scheduler.now();
    const double duration =
        m_recordingStartTime ? double(m_recordingStartTime->msecsTo(now)) / 1000.0 : 0.0;
    setRecordingStartTime(std::nullopt);

    // Strictly shorter is discarded: a recording exactly as long as the minimum is uploaded.
    if (m_minimumRecordingDuration > duration) {
        setState(RecordingState::idle());
        deleteRecording(*file);
        flashDiscarded();
        return;
    }

    setState(RecordingState::processing());
    // The task runs on by itself; it catches every failure of the upload.
    transcribeRecording(*file, scheduler.now());
}

void AppState::recordingFailed(const QString &reason)
{
    if (!m_state.isRecording())
        return;
    m_recordingWarningTimer.reset();
    m_recordingLimitTimer.reset();
    setRecordingStartTime(std::nullopt);
    if (const std::optional<QString> file = m_recorder->stopRecording())
        deleteRecording(*file);
    qCCritical(lcAppState, "[AppState] Recording failed: %s", qUtf8Printable(reason));
    setState(RecordingState::error(kRecordingFailed.arg(reason)));
    scheduleErrorReset();
}

void AppState::flashDiscarded()
{
    setShowDiscardedFlash(true);
    // Never cancelled: a second flash within the second is cleared by the first one's reset.
    QPointer<AppState> self(this);
    m_services.scheduler->after(discardFlashSeconds, [self] {
        if (self)
            self->setShowDiscardedFlash(false);
    });
}

QCoro::Task<> AppState::transcribeRecording(QString filePath, QDateTime startedAt)
{
    QPointer<AppState> self(this);
    std::optional<QString> text;
    std::exception_ptr failure;
    m_uploadingRecording = filePath;
    try {
        text = co_await m_transcriptionService->transcribe(filePath, m_serverURL, m_language,
                                                           buildPrompt(), appSecret(),
                                                           transcriptionTimeoutSeconds);
    } catch (...) {
        failure = std::current_exception();
    }
    // Gone meanwhile: it handed the recording to the queue on its way out.
    if (!self)
        co_return;
    m_uploadingRecording.reset();

    const qint64 durationMs = startedAt.msecsTo(m_services.scheduler->now());
    if (text)
        finishWithTranscript(filePath, *text, durationMs);
    else
        finishWithFailure(filePath, failure, durationMs);
}

void AppState::finishWithTranscript(const QString &filePath, const QString &text, qint64 durationMs)
{
    addToHistory(text);
    if (!pastesTranscripts() || text.isEmpty()) {
        completeTranscript(filePath, text, durationMs, false);
        return;
    }
    // Still processing while it waits: the text is not where the user wants it yet.
    m_awaitingPaste = AwaitingPaste{filePath, text, durationMs};
    pasteWhenFree();
}

void AppState::pasteWhenFree()
{
    if (!m_awaitingPaste || (m_hotkeyManager && m_hotkeyManager->isTriggerHeld()))
        return;
    m_pasteHolders.removeAll(nullptr);
    if (m_pasteHolders.isEmpty())
        Q_EMIT pasteDue();
    if (!m_pasteHolders.isEmpty() || !m_awaitingPaste)
        return;
    const AwaitingPaste paste = *std::exchange(m_awaitingPaste, std::nullopt);
    completeTranscript(paste.filePath, paste.text, paste.durationMs, true);
}

void AppState::holdPaste(QObject *holder)
{
    if (!holder || m_pasteHolders.contains(holder))
        return;
    m_pasteHolders.append(holder);
    // A holder gone without letting go lets go on the next turn of the event loop: not from
    // inside its destruction, and not at all when the program is quitting, which destroys this
    // state next and keeps the transcript in the log instead.
    connect(holder, &QObject::destroyed, this, &AppState::pasteWhenFree,
            Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
}

void AppState::releasePaste(QObject *holder)
{
    m_pasteHolders.removeAll(holder);
    pasteWhenFree();
}

void AppState::completeTranscript(const QString &filePath, const QString &text, qint64 durationMs,
                                  bool pastes)
{
    // The paste goes first: the sound and the log line take a few milliseconds that the text in
    // the front application would otherwise wait for.
    const bool pasted = pastes && m_pasteManager->pasteText(text);
    m_soundManager->playStopSound();
    // Logged and removed as one step: a kill in between must neither lose the transcript nor
    // leave the recording for the next start to transcribe once more.
    RecordingRelease::logAndRemove(*m_logger, filePath,
                                   [&] { m_logger->logSuccess(text, durationMs); });
    if (pastes && !pasted) {
        // The transcript stays on the clipboard, in the history and in the log.
        setState(RecordingState::error(kPasteFailed));
        return;
    }
    setState(RecordingState::idle());
}

void AppState::finishWithFailure(const QString &filePath, const std::exception_ptr &error,
                                 qint64 durationMs)
{
    const QString reason = DescribedError::describe(error);
    const bool retryable = isRetryableError(error);
    const auto logFailure = [&] { m_logger->logFailure(reason, durationMs); };
    // A rejected recording is given up with its record, so no later start uploads it again.
    if (retryable)
        logFailure();
    else
        RecordingRelease::logAndRemove(*m_logger, filePath, logFailure);
    m_services.crashReporter->captureError(
        reason, QStringLiteral("transcription"),
        QVariantMap{
            {QStringLiteral("duration_ms"), durationMs},
            {QStringLiteral("server_url"),
             ServerEndpoint::redacted(m_serverURL, ServerEndpoint::Redaction::forReport)},
            {QStringLiteral("is_retryable"), retryable},
        });

    if (retryable) {
        if (!m_retryQueueManager->enqueue(filePath, reason)) {
            // The queue could not keep the file (it logged why): the recording is left in place
            // for the next start to recover, and the user must hear that it is not safe yet.
            setState(RecordingState::error(kNotQueued.arg(reason)));
        } else if (!isNotAServer(error)) {
            setState(RecordingState::error(QStringLiteral("Queued for retry (%1 pending)")
                                               .arg(m_retryQueueManager->pendingCount())));
        } else {
            // Kept for when the server URL is fixed, but the user must hear that it is wrong.
            setState(RecordingState::error(reason));
        }
    } else {
        setState(RecordingState::error(reason));
    }
    scheduleErrorReset();
}

void AppState::scheduleErrorReset()
{
    // Never cancelled: it clears whatever error stands when it wakes, also a later one.
    QPointer<AppState> self(this);
    m_services.scheduler->after(errorResetSeconds, [self] {
        if (self && self->m_state.isError())
            self->setState(RecordingState::idle());
    });
}

bool AppState::isRetryableError(const std::exception_ptr &error)
{
    if (!error)
        return true;
    try {
        std::rethrow_exception(error);
    } catch (const TransportError &) {
        return true;
    } catch (const TranscriptionError &e) {
        switch (e.kind()) {
        case TranscriptionError::Kind::invalidURL:
            // A typing error in the settings must not cost the recording: it waits for the fix.
            return true;
        case TranscriptionError::Kind::invalidResponse:
            return true;
        case TranscriptionError::Kind::serverError:
            return e.statusCode() > 499;
        }
        return true;
    } catch (...) {
        return true;
    }
}
