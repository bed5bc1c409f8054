// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform::linux_impl {

// Leaves a small crash record behind when the program dies of a fatal signal (SIGSEGV, SIGABRT,
// SIGBUS, SIGFPE, SIGILL), so the next start can report it. The handler writes with
// async-signal-safe calls only and then lets the signal end the process as it would have.
class FatalSignalRecorder
{
public:
    struct Record
    {
        // The report's event id, chosen before the crash so that every attempt to send the
        // record is the same event; empty in records of the first format, which had none.
        QString eventId;
        int signal = 0;
        QString signalName; // "SIGSEGV", ...
        QStringList frames;
    };

    // Installs the handlers; the record goes to `directory` (created here). Once per process;
    // false when the directory cannot be made or the handlers are already installed.
    static bool install(const QString &directory);
    // The record files earlier runs left in `directory`.
    static QStringList recordFiles(const QString &directory);
    // A whole record, or nothing when `bytes` is truncated or not a record at all. Records of
    // the first format, without an event id, are still read.
    static std::optional<Record> parse(const QByteArray &bytes);
    static QString signalName(int signal);

    // Larger files are not records.
    static constexpr qint64 maxRecordBytes = 256 * 1024;
};

} // namespace platform::linux_impl
