// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/PendingTranscription.h"
#include "platform/AtomicFileWriter.h"

#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

// The retry queue's files: the pending folder with the kept recordings and its manifest
// "queue.json". Reading it repairs what a crash or a kill can leave behind; nothing recorded is
// given up for a manifest that is out of date or broken.
class RetryQueueStore final
{
public:
    static inline const QString recoveredReason =
        QStringLiteral("Recovered after an interrupted save");

    // Creates the folder (a failure is ignored: later moves fail and are logged there).
    explicit RetryQueueStore(QString pendingDirectory,
                             std::unique_ptr<platform::AtomicFileWriter> writer =
                                 std::make_unique<platform::AtomicFileWriter>());

    QString pendingDirectory() const { return m_pendingDirectory; }
    QString manifestPath() const { return m_manifestPath; }
    QString wavPath(const QString &wavFilename) const;

    struct Loaded
    {
        QList<PendingTranscription> items;
        // A manifest was there and decoded.
        bool decoded = false;
        // The items differ from the manifest on disk: they should be saved.
        bool changed = false;
    };
    // The manifest's entries whose recording is in the folder, in order, followed by one entry
    // per recording no entry names (oldest first, see recoveredReason). Entries whose file is
    // gone or lies outside the folder are dropped, each with a log line; so are the temporary
    // files of an interrupted write. A manifest that does not decode counts as empty and is
    // kept as "queue.json.bad" before the first save replaces it. Entries naming one of the
    // `delivered` recordings are dropped without a word: their file is gone on purpose.
    Loaded load(const QSet<QString> &delivered = {});
    // Writes the manifest atomically; a failure is logged and leaves the old manifest whole (the
    // queue in memory is unaffected and the next save writes it all).
    void save(const QList<PendingTranscription> &items);
    // Moves the recording at `filePath` into the folder as `wavFilename`, never over an existing
    // file. Across filesystems it is copied whole under a temporary name, synced and renamed
    // before the original is removed, so a kill at any moment leaves one complete recording.
    // Returns nothing on success, else why the recording stayed where it was.
    std::optional<QString> moveIn(const QString &filePath, const QString &wavFilename);
    // Whether the folder holds `wavFilename` with the very bytes of the file at `filePath`: a
    // move across filesystems that was killed after the copy, before the original was removed.
    bool holdsCopyOf(const QString &filePath, const QString &wavFilename) const;

private:
    // The manifest's entries; empty and not decoded when it is absent or does not decode, and
    // then `*bad` tells whether a file is there that should be kept.
    std::optional<QList<PendingTranscription>> readManifest(bool *bad) const;
    QList<PendingTranscription> unlistedRecordings(const QList<PendingTranscription> &listed) const;

    // Removes the temporary copies of recordings whose move into the folder was interrupted; their
    // originals are still where they were.
    void removeInterruptedMoves();

    QString m_pendingDirectory;
    QString m_manifestPath;
    std::unique_ptr<platform::AtomicFileWriter> m_writer;
    bool m_keepBadManifest = false;
};
