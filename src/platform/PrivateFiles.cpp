// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform {

bool PrivateFiles::makeFolder(const QString &path)
{
    constexpr QFileDevice::Permissions folderPermissions =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const QString folder = QDir::cleanPath(QDir(path).absolutePath());
    QStringList missing;
    for (QString next = folder; !QFileInfo::exists(next);) {
        missing.prepend(next);
        const QString parent = QFileInfo(next).path();
        if (parent == next)
            break;
        next = parent;
    }
    // Made with the mode at once: a folder created 0755 and tightened later is open meanwhile.
    for (const QString &created : std::as_const(missing))
        QDir().mkdir(created, folderPermissions);
    return QFileInfo(folder).isDir() && QFile::setPermissions(folder, folderPermissions);
}

} // namespace platform
