// SPDX-License-Identifier: GPL-3.0-or-later
#include "InstanceLock.h"

#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform::linux_impl {

InstanceLock::InstanceLock(const QString &filePath)
{
    // Opening leaves an existing file as it is: the second copy changes nothing on disk.
    m_fd = ::open(QFile::encodeName(filePath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        m_status = Status::acquired;
        return;
    }
    const int error = errno;
    m_status = error == EWOULDBLOCK ? Status::heldElsewhere : Status::unavailable;
    m_error = QString::fromLocal8Bit(std::strerror(error));
    ::close(m_fd);
    m_fd = -1;
}

InstanceLock::~InstanceLock()
{
    // Closing releases the lock; the file stays for the next start.
    if (m_fd >= 0)
        ::close(m_fd);
}

QString InstanceLock::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/parlovox.lock");
}

} // namespace platform::linux_impl
