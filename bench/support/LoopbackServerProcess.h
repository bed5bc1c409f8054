// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QString>

#include <cstdio>

namespace bench {

// Starts this bench again with "--serve" in `server`, where it prints its loopback port on the
// first line, so the server's work never shares the measured thread. The server's URL, or an
// empty one when it did not start.
inline QString startLoopbackServer(QProcess &server)
{
    server.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve")});
    if (!server.waitForReadyRead(10000)) {
        std::fprintf(stderr, "loopback server did not start\n");
        return {};
    }
    return QStringLiteral("http://127.0.0.1:%1").arg(server.readLine().trimmed().toUInt());
}

} // namespace bench
