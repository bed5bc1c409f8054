// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AtomicFileWriter.h"

#include <QFileDevice>

#include <csignal>

namespace testsupport {

// A disk that fills up on demand: the write gets half the bytes out and then fails with "No space
// left on device", or the sync fails; or the process is killed halfway through the write, as a
// user's kill -9 would.
class FullDiskWriter final : public platform::AtomicFileWriter
{
public:
    enum class Failing { nothing, write, sync, killedDuringWrite };

    Failing failing = Failing::nothing;
    static inline const QString noSpace = QStringLiteral("No space left on device");

protected:
    std::optional<QString> writeAll(QFileDevice &file, const QByteArray &bytes) const override
    {
        if (failing == Failing::nothing || failing == Failing::sync)
            return AtomicFileWriter::writeAll(file, bytes);
        file.write(bytes.left(bytes.size() / 2));
        file.flush();
        if (failing == Failing::killedDuringWrite)
            std::raise(SIGKILL);
        return noSpace;
    }
    std::optional<QString> sync(QFileDevice &file) const override
    {
        if (failing == Failing::sync)
            return noSpace;
        return AtomicFileWriter::sync(file);
    }
};

} // namespace testsupport
