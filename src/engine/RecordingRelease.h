// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class TranscriptionLogger;

// A recording whose outcome reached the transcription log must never be uploaded again, and one
// whose outcome did not must never be lost. Between the record and the removal of the file a kill
// would leave both, and the next start would transcribe the recording a second time. So the file
// is first renamed out of the recovery's reach, under a name that holds the log's length at that
// moment ("<recording>.release-<length>"), then the record is written, then the file removed.
// The next start settles a renamed recording by that length: the log holds its record (the file
// goes), or it does not (the file gets its name back and is recovered like any other).
class RecordingRelease final
{
public:
    // Calls `writeRecord`, which appends one record to `logger`'s log, and removes the recording.
    static void logAndRemove(const TranscriptionLogger &logger, const QString &recordingPath,
                             const std::function<void()> &writeRecord);

    // The names of the recordings removed because their record was logged.
    static QStringList settle(const TranscriptionLogger &logger, const QString &folder);
};
