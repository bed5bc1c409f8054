// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QFileDevice;

namespace platform {

// Writes a file whole or not at all: the bytes go to a temporary file beside the target
// ("<file>.XXXXXX"), are flushed and synced to disk, and only then renamed to the target. When any
// step fails (a full disk, a sync error) the temporary file is removed and the target keeps what
// it held. Appending works the same way round: what a failed append got out is cut off again.
// The steps that touch the disk are virtual, so a test can make them fail.
class AtomicFileWriter
{
public:
    virtual ~AtomicFileWriter() = default;

    // Replaces `path` with `bytes`. Returns nothing on success, else why it failed.
    std::optional<QString> replace(const QString &path, const QByteArray &bytes) const;
    // Creates `path` with `bytes`; a file already there is never touched and is a failure.
    std::optional<QString> create(const QString &path, const QByteArray &bytes) const;
    // Appends `bytes` to `path` (created when missing): a write that falls short, on a full disk,
    // is cut back to where the file ended, so what was there before stays whole and nothing half
    // written is left for the next append to follow.
    std::optional<QString> append(const QString &path, const QByteArray &bytes) const;

protected:
    // Writes every byte and flushes it to the system; nothing on success, else why not.
    virtual std::optional<QString> writeAll(QFileDevice &file, const QByteArray &bytes) const;
    // Waits until the system has the written bytes on disk; nothing on success, else why not.
    virtual std::optional<QString> sync(QFileDevice &file) const;

private:
    std::optional<QString> fill(QFileDevice &file, const QByteArray &bytes) const;
};

} // namespace platform
