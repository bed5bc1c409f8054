// SPDX-License-Identifier: GPL-3.0-or-later
#include "StandardPaths.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcPaths, "parlovox.paths", QtInfoMsg)

namespace platform::linux_impl {

namespace {

// XDG_RUNTIME_DIR is private by definition, but only when it really is ours and closed to others.
bool isPrivateFolder(const QString &path)
{
    struct stat info
    {
    };
    return QDir::isAbsolutePath(path) && ::lstat(QFile::encodeName(path).constData(), &info) == 0 &&
           S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// Opened without following links and checked through the open descriptor, so what is checked is
// what gets narrowed. In the sticky /tmp nobody else can rename or replace a folder of ours.
bool makePrivateFolder(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST) {
        qCCritical(lcPaths, "[Paths] Cannot create %s: %s", encoded.constData(),
                   std::strerror(errno));
        return false;
    }
    const int fd = ::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        qCCritical(lcPaths, "[Paths] Not recording into %s: it is not a folder",
                   encoded.constData());
        return false;
    }
    struct stat info
    {
    };
    bool ours = ::fstat(fd, &info) == 0 && info.st_uid == ::geteuid();
    if (!ours) {
        qCCritical(lcPaths, "[Paths] Not recording into %s: it belongs to another user",
                   encoded.constData());
    } else if ((info.st_mode & 07777) != 0700) {
        ours = ::fchmod(fd, 0700) == 0;
        if (ours)
            qCInfo(lcPaths, "[Paths] Closed %s to other users", encoded.constData());
        else
            qCCritical(lcPaths, "[Paths] Not recording into %s: cannot close it to others: %s",
                       encoded.constData(), std::strerror(errno));
    }
    ::close(fd);
    return ours;
}

} // namespace

QString StandardPaths::applicationSupportDirectory() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString StandardPaths::temporaryDirectory() const
{
    // Checked at every use: a temporary-file cleaner may remove the folder while the program runs.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString folder =
        isPrivateFolder(runtime)
            ? QDir::cleanPath(runtime) + QStringLiteral("/parlovox")
            : QDir::tempPath() + QStringLiteral("/parlovox-") + QString::number(::geteuid());
    return makePrivateFolder(folder) ? folder : QString();
}

} // namespace platform::linux_impl
