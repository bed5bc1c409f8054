// SPDX-License-Identifier: GPL-3.0-or-later
#include "RetryQueueManager.h"

#include "engine/DescribedError.h"
#include "engine/EngineLogging.h"
#include "engine/RecordingRelease.h"
#include "engine/TranscriptionLogger.h"
#include "engine/TranscriptionService.h"
#include "platform/CrashReporter.h"
#include "platform/Paths.h"
#include "platform/PrivateFiles.h"
#include "platform/Scheduler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <cmath>

RetryQueueManager::RetryQueueManager(TranscriptionService &transcriptionService,
                                     TranscriptionLogger &logger, Settings settings,
                                     const platform::Paths &paths, platform::Scheduler &scheduler,
                                     platform::CrashReporter &crashReporter, QObject *parent)
    : QObject(parent), m_transcriptionService(transcriptionService), m_logger(logger),
      m_settings(std::move(settings)), m_scheduler(scheduler), m_crashReporter(crashReporter),
      m_store(paths.applicationSupportDirectory() + QStringLiteral("/Parlovox/pending"))
{
    loadManifest();
}

RetryQueueManager::~RetryQueueManager() = default;

double RetryQueueManager::backoffSeconds(qint64 retryCount)
{
    if (retryCount < 1)
        return 0;
    return std::min(30.0 * std::pow(2.0, static_cast<double>(retryCount - 1)), 3600.0);
}

QString RetryQueueManager::wavPath(const PendingTranscription &entry) const
{
    return m_store.wavPath(entry.wavFilename);
}

void RetryQueueManager::loadManifest()
{
    // Entries whose record was logged before a kill are done; the others find their file again.
    const QStringList logged = RecordingRelease::settle(m_logger, m_store.pendingDirectory());
    for (const QString &name : logged)
        qCInfo(lcRetryQueue).noquote()
            << QStringLiteral("[RetryQueue] Removed %1, whose record was already logged").arg(name);
    RetryQueueStore::Loaded loaded = m_store.load(QSet<QString>(logged.cbegin(), logged.cend()));
    m_items = std::move(loaded.items);
    if (loaded.changed)
        saveManifest();
    setPendingCount(static_cast<int>(m_items.size()));
    // A manifest that did not decode is not "loaded", whatever was recovered beside it.
    if (loaded.decoded)
        qCInfo(lcRetryQueue).noquote()
            << QStringLiteral("[RetryQueue] Loaded %1 pending items").arg(m_pendingCount);
}

void RetryQueueManager::saveManifest()
{
    m_store.save(m_items);
}

bool RetryQueueManager::enqueue(const QString &filePath, const QString &failureReason)
{
    const QDateTime now = m_scheduler.now();
    PendingTranscription entry{
        QUuid::createUuid(), QFileInfo(filePath).fileName(), now, now, failureReason, 0};
    if (!PendingTranscription::isSafeFilename(entry.wavFilename)) {
        qCCritical(lcRetryQueue).noquote()
            << QStringLiteral("[RetryQueue] Failed to preserve WAV: %1")
                   .arg(QStringLiteral("Invalid file name \"%1\"").arg(entry.wavFilename));
        return false;
    }

    if (isQueued(entry.wavFilename) && m_store.holdsCopyOf(filePath, entry.wavFilename)) {
        // A move across filesystems was cut short after the copy was in place: the copy is
        // queued already, and the original left behind must not be uploaded a second time.
        QFile::remove(filePath);
        qCInfo(lcRetryQueue).noquote()
            << QStringLiteral("[RetryQueue] %1 was already queued").arg(entry.wavFilename);
        return true;
    }

    // The directory may have been removed since start-up; recreating it keeps the recording.
    platform::PrivateFiles::makeFolder(m_store.pendingDirectory());
    if (const std::optional<QString> failure = m_store.moveIn(filePath, entry.wavFilename)) {
        qCCritical(lcRetryQueue).noquote()
            << QStringLiteral("[RetryQueue] Failed to preserve WAV: %1").arg(*failure);
        return false;
    }

    m_items.append(entry);
    saveManifest();
    setPendingCount(static_cast<int>(m_items.size()));
    qCInfo(lcRetryQueue).noquote() << QStringLiteral("[RetryQueue] Enqueued %1 (%2 pending)")
                                          .arg(entry.wavFilename, QString::number(m_pendingCount));
    return true;
}

void RetryQueueManager::processQueue()
{
    if (m_isProcessing || m_items.isEmpty())
        return;
    setIsProcessing(true);
    m_retryTask = retryAll();
}

bool RetryQueueManager::isQueued(const QString &wavFilename) const
{
    return std::any_of(m_items.cbegin(), m_items.cend(), [&](const PendingTranscription &entry) {
        return entry.wavFilename == wavFilename;
    });
}

void RetryQueueManager::restampFutureFailures()
{
    // Stamped by a clock that was ahead (or has been set back since): waiting for that moment
    // could take a day. Such an entry counts as failed now, and its back-off runs from now.
    const QDateTime now = m_scheduler.now();
    for (PendingTranscription &item : m_items)
        item.failedAt = std::min(item.failedAt, now);
}

bool RetryQueueManager::hasDueEntry()
{
    restampFutureFailures();
    return std::any_of(m_items.cbegin(), m_items.cend(), [this](const PendingTranscription &entry) {
        return entry.retryCount >= maxRetries || isDue(entry);
    });
}

bool RetryQueueManager::isDue(const PendingTranscription &entry) const
{
    if (entry.retryCount < 1)
        return true;
    const double waited = static_cast<double>(entry.failedAt.msecsTo(m_scheduler.now())) / 1000.0;
    return waited >= backoffSeconds(entry.retryCount);
}

void RetryQueueManager::dropExhausted(const PendingTranscription &entry)
{
    qCCritical(lcRetryQueue).noquote()
        << QStringLiteral("[RetryQueue] Dropping %1 after %2 retries")
               .arg(entry.wavFilename, QString::number(entry.retryCount));
    RecordingRelease::logAndRemove(m_logger, wavPath(entry), [&] {
        m_logger.logFailure(QStringLiteral("Retry exhausted after %1 attempts: %2")
                                .arg(QString::number(entry.retryCount), entry.failureReason),
                            0);
    });
    m_crashReporter.captureMessage(
        QStringLiteral("Retry queue exhausted"), platform::CrashReporter::Level::Warning,
        QStringLiteral("retry"),
        QVariantMap{{QStringLiteral("retry_count"), entry.retryCount},
                    {QStringLiteral("failure_reason"), entry.failureReason}});
}

void RetryQueueManager::countFailure(const QUuid &id)
{
    // The entry in the live list, not the run's snapshot; the enqueue's reason stays.
    for (PendingTranscription &item : m_items) {
        if (item.id == id) {
            item.retryCount += 1;
            item.failedAt = m_scheduler.now();
            return;
        }
    }
}

QCoro::Task<> RetryQueueManager::retryAll()
{
    // The manager may go away while an upload is in flight; nothing of it is touched then.
    const QPointer<RetryQueueManager> self(this);
    restampFutureFailures();
    const QList<PendingTranscription> snapshot = m_items;
    QSet<QUuid> removed;

    for (const PendingTranscription &entry : snapshot) {
        if (entry.retryCount >= maxRetries) {
            dropExhausted(entry);
            removed.insert(entry.id);
            continue;
        }
        if (!isDue(entry))
            continue;
        const QString path = wavPath(entry);
        if (!QFileInfo(path).isFile()) {
            qCCritical(lcRetryQueue).noquote()
                << QStringLiteral("[RetryQueue] WAV missing for %1, removing entry")
                       .arg(entry.wavFilename);
            removed.insert(entry.id);
            continue;
        }

        // Read at upload time, in this order, so a retry uses the current settings.
        const auto current = [](const StringGetter &get) { return get ? get() : QString(); };
        const QString serverURL = current(m_settings.getServerURL);
        const QString language = current(m_settings.getLanguage);
        const QString prompt = current(m_settings.getPrompt);
        const QString appSecret = current(m_settings.getAppSecret);

        std::optional<QString> text;
        QString failure;
        try {
            text = co_await m_transcriptionService.transcribe(path, serverURL, language, prompt,
                                                              appSecret, uploadTimeoutSeconds);
        } catch (...) {
            failure = DescribedError::describe(std::current_exception());
        }
        if (!self)
            co_return;

        if (!text) {
            countFailure(entry.id);
            qCInfo(lcRetryQueue).noquote() << QStringLiteral("[RetryQueue] Retry failed for %1: %2")
                                                  .arg(entry.wavFilename, failure);
            break;
        }

        // Logged and removed as one step, so a kill in between does not retry it once more.
        RecordingRelease::logAndRemove(m_logger, path, [&] { m_logger.logSuccess(*text, 0); });
        removed.insert(entry.id);
        qCInfo(lcRetryQueue).noquote()
            << QStringLiteral("[RetryQueue] Retry succeeded for %1").arg(entry.wavFilename);
        if (m_onRetrySuccess) {
            m_onRetrySuccess(*text);
            if (!self)
                co_return;
        }
    }

    m_items.removeIf(
        [&removed](const PendingTranscription &item) { return removed.contains(item.id); });
    saveManifest();
    setPendingCount(static_cast<int>(m_items.size()));
    // Last: a watcher of this signal may start the next run at once.
    setIsProcessing(false);
}

void RetryQueueManager::setPendingCount(int count)
{
    if (m_pendingCount == count)
        return;
    m_pendingCount = count;
    Q_EMIT pendingCountChanged();
}

void RetryQueueManager::setIsProcessing(bool processing)
{
    if (m_isProcessing == processing)
        return;
    m_isProcessing = processing;
    Q_EMIT isProcessingChanged();
}
