// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace platform::linux_impl {

// One running copy of the program per user session: an exclusive lock on a file in the session's
// runtime folder, held for the life of this object (the process). The system frees it when the
// process dies, however it dies, so a crashed run never keeps the next one from starting.
class InstanceLock final
{
public:
    enum class Status {
        acquired,
        // Another process holds the lock: a copy of the program runs already.
        heldElsewhere,
        // The lock file could not be opened; nothing tells whether another copy runs.
        unavailable,
    };

    // Tries to take the lock on `filePath` without waiting.
    explicit InstanceLock(const QString &filePath);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    Status status() const { return m_status; }
    // Why the lock was unavailable.
    QString errorString() const { return m_error; }

    // "parlovox.lock" in the runtime folder (XDG_RUNTIME_DIR).
    static QString defaultFilePath();

private:
    int m_fd = -1;
    Status m_status = Status::unavailable;
    QString m_error;
};

} // namespace platform::linux_impl
