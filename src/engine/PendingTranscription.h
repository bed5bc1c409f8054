// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

// One recording waiting in the retry queue, stored as one object of the queue manifest.
struct PendingTranscription
{
    QUuid id;
    // Name of the WAV file inside the pending directory; never a path.
    QString wavFilename;
    // The moment of enqueueing.
    QDateTime recordedAt;
    // The last failure: the enqueue, then each failed retry.
    QDateTime failedAt;
    // What the user was told when the live upload failed; later failures keep it.
    QString failureReason;
    qint64 retryCount = 0;

    friend bool operator==(const PendingTranscription &, const PendingTranscription &) = default;

    // The manifest object: all six keys, the id in upper case, dates as seconds since
    // 2001-01-01 00:00:00 UTC.
    QJsonObject toJson() const;
    // Empty when a key is missing or of the wrong type.
    static std::optional<PendingTranscription> fromJson(const QJsonObject &object);

    // Whether `name` names a file directly inside the pending directory (no separator, no "..",
    // not the manifest itself), so an edited manifest cannot reach files elsewhere.
    static bool isSafeFilename(const QString &name);

    static double secondsSinceReferenceDate(const QDateTime &date);
    static QDateTime fromSecondsSinceReferenceDate(double seconds);
};
