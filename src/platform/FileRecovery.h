// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace platform {

// What a file written atomically needs after a crash or a kill: its unreadable content kept for
// the user, and the temporary files an interrupted write left beside it removed.
class FileRecovery final
{
public:
    // Copies `filePath` to the first free name of "<file>.bad", "<file>.bad.1", "<file>.bad.2"
    // …, so an earlier copy is never overwritten. The copy is the owner's only (0600). Returns the
    // copy's path, or empty on failure.
    static QString keepBadCopy(const QString &filePath);

    // Removes the temporary files that an interrupted atomic write of `filePath` (a save file,
    // "<file>.XXXXXX") or a copy into its folder ("qt_temp.XXXXXX") leaves; returns their names.
    static QStringList removeWriteLeftovers(const QString &filePath);

private:
    static bool copyPrivately(const QString &filePath, const QString &copyPath);
};

} // namespace platform
