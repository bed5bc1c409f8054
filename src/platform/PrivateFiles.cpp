// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform {

namespace {

constexpr QFileDevice::Permissions folderPermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// Only ever narrower: a file the user made read-only stays read-only.
bool narrow(const QFileInfo &entry)
{
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileDevice::Permissions current = entry.permissions();
    if (!(current & others))
        return true;
    return QFile::setPermissions(entry.filePath(), current & folderPermissions);
}

} // namespace

bool PrivateFiles::narrowFolder(const QString &path)
{
    const QFileInfo folder(path);
    // setPermissions follows links: a link could point it at anything.
    if (folder.isSymLink() || !folder.isDir())
        return true;
    bool narrowed = narrow(folder);
    const QFileInfoList entries =
        QDir(path).entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QFileInfo &entry : entries)
        narrowed = narrow(entry) && narrowed;
    return narrowed;
}

bool PrivateFiles::makeFolder(const QString &path)
{
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
