// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QString>
#include <QUrl>

namespace platform {
class Paths;
class Scheduler;
} // namespace platform

// Append-only record of every transcription attempt that reached the server:
// <application support>/Parlovox/transcriptions.jsonl, one compact JSON object per line with
// sorted keys. Never read back, rotated or truncated; every failure is silent and loses only
// that record.
class TranscriptionLogger final
{
public:
    // Creates the folder (failures ignored). The clock stamps each record's "ts".
    TranscriptionLogger(const platform::Paths &paths, const platform::Scheduler &clock);

    // {"duration_ms":…,"ok":true,"text":…,"ts":…}
    void logSuccess(const QString &text, qint64 durationMs);
    // {"duration_ms":…,"error":…,"ok":false,"text":"","ts":…}
    void logFailure(const QString &errorText, qint64 durationMs);

    QUrl logURL() const { return QUrl::fromLocalFile(m_logPath); }
    QString logPath() const { return m_logPath; }

private:
    void append(const QJsonObject &record);

    const platform::Scheduler &m_clock;
    QString m_logPath;
};
