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
    // See AudioRecorder::cleanupStaleRecordings.
    static QStringList recover(const platform::Paths &paths, qint64 largestBytes);

private:
    // Makes the header of a recording that was never finished count the audio it holds.
    static void completeHeader(const QString &path);
};
