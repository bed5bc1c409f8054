// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/RetryQueueStore.h"

#include "engine/EngineLogging.h"
#include "platform/FileRecovery.h"
#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <QTimeZone>

#include <algorithm>
#include <cstdio>

RetryQueueStore::RetryQueueStore(QString pendingDirectory,
                                 std::unique_ptr<platform::AtomicFileWriter> writer)
    : m_pendingDirectory(std::move(pendingDirectory)),
      m_manifestPath(m_pendingDirectory + QStringLiteral("/queue.json")),
      m_writer(std::move(writer))
{
    platform::PrivateFiles::makeFolder(m_pendingDirectory);
    // Recordings and manifests an earlier version left readable by everyone.
    platform::PrivateFiles::narrowFolder(m_pendingDirectory);
}

QString RetryQueueStore::wavPath(const QString &wavFilename) const
{
    return m_pendingDirectory + QLatin1Char('/') + wavFilename;
}

std::optional<QList<PendingTranscription>> RetryQueueStore::readManifest(bool *bad) const
{
    QFile file(m_manifestPath);
    *bad = file.exists();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    // One entry of the wrong shape fails the whole file, as it always has.
    QList<PendingTranscription> entries;
    for (const QJsonValue &value : document.array()) {
        const std::optional<PendingTranscription> entry =
            value.isObject() ? PendingTranscription::fromJson(value.toObject()) : std::nullopt;
        if (!entry)
            return std::nullopt;
        entries.append(*entry);
    }
    *bad = false;
    return entries;
}

RetryQueueStore::Loaded RetryQueueStore::load(const QSet<QString> &delivered)
{
    for (const QString &name : platform::FileRecovery::removeWriteLeftovers(m_manifestPath))
        qCInfo(lcRetryQueue).noquote()
            << QStringLiteral("[RetryQueue] Removed %1 left by an interrupted write").arg(name);
    removeInterruptedMoves();

    Loaded loaded;
    // A bad file stays until the next save, which keeps a copy of it first.
    const std::optional<QList<PendingTranscription>> manifest = readManifest(&m_keepBadManifest);
    loaded.decoded = manifest.has_value();
    for (const PendingTranscription &entry : manifest.value_or(QList<PendingTranscription>())) {
        if (delivered.contains(entry.wavFilename)) {
            // Its record is in the log and its file was removed.
        } else if (!PendingTranscription::isSafeFilename(entry.wavFilename)) {
            // An edited manifest must not point the queue at files outside its directory.
            qCCritical(lcRetryQueue).noquote()
                << QStringLiteral("[RetryQueue] Invalid file name %1, removing entry")
                       .arg(entry.wavFilename);
        } else if (!QFileInfo(wavPath(entry.wavFilename)).isFile()) {
            qCCritical(lcRetryQueue).noquote()
                << QStringLiteral("[RetryQueue] Orphaned entry for %1, removing")
                       .arg(entry.wavFilename);
        } else {
            loaded.items.append(entry);
            continue;
        }
        loaded.changed = true;
    }

    const QList<PendingTranscription> unlisted = unlistedRecordings(loaded.items);
    for (const PendingTranscription &entry : unlisted)
        qCInfo(lcRetryQueue).noquote()
            << QStringLiteral("[RetryQueue] Recovered %1, which no entry named")
                   .arg(entry.wavFilename);
    loaded.items.append(unlisted);
    loaded.changed = loaded.changed || !unlisted.isEmpty();
    return loaded;
}

QList<PendingTranscription>
RetryQueueStore::unlistedRecordings(const QList<PendingTranscription> &listed) const
{
    QSet<QString> named;
    for (const PendingTranscription &entry : listed)
        named.insert(entry.wavFilename);
    QList<QFileInfo> files;
    const QFileInfoList candidates =
        QDir(m_pendingDirectory).entryInfoList({QStringLiteral("*.wav")}, QDir::Files);
    for (const QFileInfo &file : candidates) {
        if (!named.contains(file.fileName()) &&
            PendingTranscription::isSafeFilename(file.fileName()))
            files.append(file);
    }
    std::sort(files.begin(), files.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const QDateTime aTime = a.lastModified();
        const QDateTime bTime = b.lastModified();
        return aTime != bTime ? aTime < bTime : a.fileName() < b.fileName();
    });

    QList<PendingTranscription> adopted;
    for (const QFileInfo &file : std::as_const(files)) {
        // Recorded and failed when the file was last written: the closest moment known.
        const QDateTime modified = QDateTime::fromMSecsSinceEpoch(
            file.lastModified().toMSecsSinceEpoch(), QTimeZone::utc());
        adopted.append(PendingTranscription{QUuid::createUuid(), file.fileName(), modified,
                                            modified, recoveredReason, 0});
    }
    return adopted;
}

void RetryQueueStore::save(const QList<PendingTranscription> &items)
{
    if (m_keepBadManifest && QFileInfo::exists(m_manifestPath)) {
        const QString copy = platform::FileRecovery::keepBadCopy(m_manifestPath);
        qCCritical(lcRetryQueue).noquote()
            << (copy.isEmpty()
                    ? QStringLiteral("[RetryQueue] Could not keep the unreadable manifest")
                    : QStringLiteral("[RetryQueue] Kept the unreadable manifest as %1")
                          .arg(QFileInfo(copy).fileName()));
        // Without a copy the file is overwritten all the same: the queue must go on working.
        m_keepBadManifest = copy.isEmpty();
    }

    QJsonArray array;
    for (const PendingTranscription &entry : items)
        array.append(entry.toJson());
    // Written beside the old file and renamed over it, so a full disk or a crash leaves the
    // previous manifest whole.
    if (const std::optional<QString> failure = m_writer->replace(
            m_manifestPath, QJsonDocument(array).toJson(QJsonDocument::Compact))) {
        qCCritical(lcRetryQueue).noquote()
            << QStringLiteral("[RetryQueue] Failed to save the manifest: %1").arg(*failure);
        return;
    }
    m_keepBadManifest = false;
}

std::optional<QString> RetryQueueStore::moveIn(const QString &filePath, const QString &wavFilename)
{
    const QString destination = wavPath(wavFilename);
    if (QFileInfo::exists(destination))
        return QStringLiteral("Destination file exists");
    // Not QFile::rename: across filesystems it copies straight onto the final name, so a kill
    // midway would leave a truncated recording there.
    if (std::rename(QFile::encodeName(filePath).constData(),
                    QFile::encodeName(destination).constData()) == 0)
        return std::nullopt;
    QFile source(filePath);
    if (!source.open(QIODevice::ReadOnly))
        return source.errorString();
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return source.errorString();
    source.close();
    if (std::optional<QString> failure = m_writer->create(destination, bytes))
        return failure;
    QFile::remove(filePath);
    return std::nullopt;
}

bool RetryQueueStore::holdsCopyOf(const QString &filePath, const QString &wavFilename) const
{
    QFile original(filePath);
    QFile copy(wavPath(wavFilename));
    if (original.size() != copy.size() || !original.open(QIODevice::ReadOnly) ||
        !copy.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 chunk = 1 << 16;
    while (!original.atEnd()) {
        const QByteArray bytes = original.read(chunk);
        if (bytes.isEmpty() || bytes != copy.read(chunk))
            return false;
    }
    return true;
}

void RetryQueueStore::removeInterruptedMoves()
{
    // The temporary name of a copy: the recording's name and six letters or digits.
    static const QRegularExpression copyName(QStringLiteral("^.+\\.wav\\.[A-Za-z0-9]{6}$"));
    QDir folder(m_pendingDirectory);
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (copyName.match(name).hasMatch() && folder.remove(name))
            qCInfo(lcRetryQueue).noquote()
                << QStringLiteral("[RetryQueue] Removed %1 left by an interrupted move").arg(name);
    }
}
