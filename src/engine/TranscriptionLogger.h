// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <memory>

namespace platform {
class AtomicFileWriter;
class Paths;
class Scheduler;
} // namespace platform

// Append-only record of every transcription attempt that reached the server:
// <application support>/Parlovox/transcriptions.jsonl, one compact JSON object per line with
// sorted keys. Never rotated; a record is written whole or not at all, and a failure loses only
// that record (it is logged, the caller goes on).
class TranscriptionLogger final
{
public:
    // Creates the folder (failures ignored) and removes a record an earlier run was killed in
    // the middle of writing. The clock stamps each record's "ts".
    TranscriptionLogger(const platform::Paths &paths, const platform::Scheduler &clock);
    ~TranscriptionLogger();

    // Replaces what writes the records, so a test can fill the disk.
    void setWriter(std::unique_ptr<platform::AtomicFileWriter> writer);

    // {"duration_ms":…,"ok":true,"text":…,"ts":…}
    void logSuccess(const QString &text, qint64 durationMs);
    // {"duration_ms":…,"error":…,"ok":false,"text":"","ts":…}
    void logFailure(const QString &errorText, qint64 durationMs);

    QUrl logURL() const { return QUrl::fromLocalFile(m_logPath); }
    QString logPath() const { return m_logPath; }

    // The log's length in bytes now (0 when there is none): the next record starts there.
    qint64 length() const;
    // Whether a whole record was written from `offset` on.
    bool holdsRecordFrom(qint64 offset) const;

private:
    void append(const QJsonObject &record);
    // Cuts the log back to its last line feed: only a kill during a write leaves anything after.
    void removeBrokenRecord();

    const platform::Scheduler &m_clock;
    QString m_logPath;
    std::unique_ptr<platform::AtomicFileWriter> m_writer;
};
