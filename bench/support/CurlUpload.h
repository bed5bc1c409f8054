// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace bench {

// curl's arguments for the upload the program makes of the recording at `path` (the same form
// fields), to `url`'s inference endpoint, printing the transfer time in seconds and a line feed.
inline QStringList curlUpload(const QString &path, const QString &url)
{
    return {QStringLiteral("-F"),
            QStringLiteral("file=@%1;filename=recording.wav;type=audio/wav").arg(path),
            QStringLiteral("-F"),
            QStringLiteral("temperature=0.0"),
            QStringLiteral("-F"),
            QStringLiteral("response_format=json"),
            QStringLiteral("-F"),
            QStringLiteral("language=en"),
            QStringLiteral("-F"),
            QStringLiteral("prompt=Parlovox"),
            QStringLiteral("-F"),
            QStringLiteral("beam_size=5"),
            QStringLiteral("-F"),
            QStringLiteral("best_of=5"),
            QStringLiteral("-o"),
            QStringLiteral("/dev/null"),
            QStringLiteral("-w"),
            QStringLiteral("%{time_total}\\n"),
            url + QStringLiteral("/inference")};
}

} // namespace bench
