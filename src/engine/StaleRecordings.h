// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace platform {
class Paths;
}

// The temporary recordings an earlier run left behind: those that hold audio a press recorded
// are handed back for the retry queue, the rest removed or, when not plainly ours, left alone.
class StaleRecordings final
{
public:
    // Deletes the temporary recordings ("parlovox-*.wav") left behind in the temporary directory
    // that hold no audio (a recording prepared but never used) or that no press made (a warm-up
    // clip). Those that hold audio (a run killed while recording or uploading) have their header
    // made to count their audio and are returned for the retry queue, from the "recovered"
    // folder beside them, once they are known to be ours, regular files, no larger than
    // `largestBytes` and removable; the others are left alone, each with a log line.
    static QStringList recover(const platform::Paths &paths, qint64 largestBytes);

private:
    // Makes the header of a recording that was never finished count the audio it holds.
    static void completeHeader(const QString &path);
};
