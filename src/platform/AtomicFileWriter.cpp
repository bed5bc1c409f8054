// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFileWriter.h"

#include "platform/PrivateFiles.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace platform {

std::optional<QString> AtomicFileWriter::replace(const QString &path, const QByteArray &bytes) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // Also narrows a file an earlier version left readable by everyone.
    file.setPermissions(PrivateFiles::filePermissions);
    // QSaveFile renames whatever it holds at commit, even after a failed flush: check every step
    // ourselves and drop the temporary file (by not committing) when one fails.
    if (const std::optional<QString> failure = fill(file, bytes)) {
        file.cancelWriting();
        return failure;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> AtomicFileWriter::create(const QString &path, const QByteArray &bytes) const
{
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open())
        return file.errorString();
    if (const std::optional<QString> failure = fill(file, bytes))
        return failure;
    // Renaming a temporary file refuses an existing target, and the temporary file is removed
    // with the object when the rename fails.
    if (!file.rename(path))
        return file.errorString();
    file.setAutoRemove(false);
    return std::nullopt;
}

std::optional<QString> AtomicFileWriter::append(const QString &path, const QByteArray &bytes) const
{
    QFile file(path);
    // Unbuffered: a short write must not stay in a buffer that closing the file writes later,
    // after the cut.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                   PrivateFiles::filePermissions))
        return file.errorString();
    const qint64 end = file.size();
    if (const std::optional<QString> failure = writeAll(file, bytes)) {
        file.resize(end);
        return failure;
    }
    return std::nullopt;
}

std::optional<QString> AtomicFileWriter::fill(QFileDevice &file, const QByteArray &bytes) const
{
    if (std::optional<QString> failure = writeAll(file, bytes))
        return failure;
    return sync(file);
}

std::optional<QString> AtomicFileWriter::writeAll(QFileDevice &file, const QByteArray &bytes) const
{
    const qint64 written = file.write(bytes);
    if (written == bytes.size() && file.flush())
        return std::nullopt;
    // A short write sets no error of its own: the disk refused the rest.
    if (file.error() == QFileDevice::NoError)
        return QStringLiteral("Only %1 of %2 bytes written")
            .arg(QString::number(std::max<qint64>(written, 0)), QString::number(bytes.size()));
    return file.errorString();
}

std::optional<QString> AtomicFileWriter::sync(QFileDevice &file) const
{
    if (::fsync(file.handle()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return std::nullopt;
}

} // namespace platform
