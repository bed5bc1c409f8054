// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/PendingTranscription.h"

#include <QList>
#include <QString>

// The retry queue's files: the pending folder with the kept recordings and its manifest
// "queue.json". Reading it repairs what a crash or a kill can leave behind; nothing recorded is
// given up for a manifest that is out of date or broken.
class RetryQueueStore final
{
public:
    static inline const QString recoveredReason =
        QStringLiteral("Recovered after an interrupted save");

    // Creates the folder (a failure is ignored: later moves fail and are logged there).
    explicit RetryQueueStore(QString pendingDirectory);

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
    // kept as "queue.json.bad" before the first save replaces it.
    Loaded load();
    // Writes the manifest atomically; a failure is ignored (the queue in memory is unaffected).
    void save(const QList<PendingTranscription> &items);

private:
    // The manifest's entries; empty and not decoded when it is absent or does not decode, and
    // then `*bad` tells whether a file is there that should be kept.
    std::optional<QList<PendingTranscription>> readManifest(bool *bad) const;
    QList<PendingTranscription> unlistedRecordings(const QList<PendingTranscription> &listed) const;

    QString m_pendingDirectory;
    QString m_manifestPath;
    bool m_keepBadManifest = false;
};
