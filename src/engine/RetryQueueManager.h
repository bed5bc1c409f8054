// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/PendingTranscription.h"
#include "engine/RetryQueueStore.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <QCoroTask>

#include <functional>
#include <optional>

class TranscriptionLogger;
class TranscriptionService;

namespace platform {
class CrashReporter;
class Paths;
class Scheduler;
} // namespace platform

// Keeps recordings whose upload failed in a retryable way on disk, across restarts, and uploads
// them again when asked: one run walks the queue in order, drops entries retried 10 times, skips
// entries still in their back-off and stops at the first failed upload. Main thread only.
class RetryQueueManager final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int pendingCount READ pendingCount NOTIFY pendingCountChanged)
    Q_PROPERTY(bool isProcessing READ isProcessing NOTIFY isProcessingChanged)

public:
    using StringGetter = std::function<QString()>;
    using SuccessCallback = std::function<void(const QString &text)>;

    // Read at the moment of each upload, so a retry uses the settings current then.
    struct Settings
    {
        StringGetter getServerURL;
        StringGetter getLanguage;
        StringGetter getPrompt;
        StringGetter getAppSecret;
    };

    static constexpr int maxRetries = 10;
    static constexpr double uploadTimeoutSeconds = 120.0;

    // Creates the pending directory under `paths`' application-support root (a failure is
    // ignored) and loads the manifest, repairing what an interrupted save left (see
    // RetryQueueStore). The services must outlive the manager.
    RetryQueueManager(TranscriptionService &transcriptionService, TranscriptionLogger &logger,
                      Settings settings, const platform::Paths &paths,
                      platform::Scheduler &scheduler, platform::CrashReporter &crashReporter,
                      QObject *parent = nullptr);
    ~RetryQueueManager() override;

    // Number of entries; updated after load, after each enqueue and at the end of each run.
    int pendingCount() const { return m_pendingCount; }
    // True from processQueue() until the end of the run it started.
    bool isProcessing() const { return m_isProcessing; }

    // Receives the text of each successful retry (never pasted).
    void setOnRetrySuccess(SuccessCallback callback) { m_onRetrySuccess = std::move(callback); }

    const QList<PendingTranscription> &items() const { return m_items; }
    QString pendingDirectory() const { return m_store.pendingDirectory(); }
    QString manifestPath() const { return m_store.manifestPath(); }
    // The current or last run; replaced by each run.
    const std::optional<QCoro::Task<>> &retryTask() const { return m_retryTask; }

    // Moves (or copies) the failed recording into the pending directory and appends an entry.
    // When the file cannot be kept, logs it, leaves the queue and the file as they were and
    // returns false.
    bool enqueue(const QString &filePath, const QString &failureReason);
    // Starts one run unless one is going or the queue is empty.
    void processQueue();
    // Whether a run would do something for an entry now: one is due or retried too often. Sets a
    // last failure stamped in the future to now first, so its back-off counts from now.
    bool hasDueEntry();

    // Seconds after the last failure at which an entry with `retryCount` failed retries is due.
    static double backoffSeconds(qint64 retryCount);

Q_SIGNALS:
    void pendingCountChanged();
    void isProcessingChanged();

private:
    void loadManifest();
    void saveManifest();
    QCoro::Task<> retryAll();
    // Whether an entry's back-off after its last failure is over.
    bool isDue(const PendingTranscription &entry) const;
    // Gives up on an entry retried too often: logs it, records it and reports it.
    void dropExhausted(const PendingTranscription &entry);
    // One more failed retry for the entry with `id`, if it is still queued.
    void countFailure(const QUuid &id);
    // Whether an entry names the recording `wavFilename`.
    bool isQueued(const QString &wavFilename) const;
    // Sets every last failure that lies in the future to now.
    void restampFutureFailures();
    QString wavPath(const PendingTranscription &entry) const;
    void setPendingCount(int count);
    void setIsProcessing(bool processing);

    TranscriptionService &m_transcriptionService;
    TranscriptionLogger &m_logger;
    Settings m_settings;
    platform::Scheduler &m_scheduler;
    platform::CrashReporter &m_crashReporter;
    RetryQueueStore m_store;

    int m_pendingCount = 0;
    bool m_isProcessing = false;
    SuccessCallback m_onRetrySuccess;
    QList<PendingTranscription> m_items;
    std::optional<QCoro::Task<>> m_retryTask;
};
