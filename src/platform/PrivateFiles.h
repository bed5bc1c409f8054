// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileDevice>
#include <QString>

namespace platform {

// The program's own files hold what the user said, their settings and their server's address:
// readable by the owner only, whatever the home folder allows.
class PrivateFiles final
{
public:
    // The mode of every file the program creates (0600).
    static constexpr QFileDevice::Permissions filePermissions =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner;

    // Creates `path` and its missing parents as 0700 folders and makes `path` itself 0700 when
    // it already existed (an earlier version made it 0755). False when it is not a folder then.
    // The files in it are left as they are: its owner narrows them once, at start (narrowFolder),
    // rather than on every write.
    static bool makeFolder(const QString &path);
    // Takes group and other access away from `path`, an existing folder, and from every file
    // directly in it, which an earlier version (or the user's umask) may have left readable.
    // Links are left alone, and so is a missing folder. False when a mode could not be changed.
    static bool narrowFolder(const QString &path);
};

} // namespace platform
