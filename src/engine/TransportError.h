// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/DescribedError.h"

// The upload did not get a usable answer from the server: no connection, a timeout, a reply cut
// short, a redirect away from the server URL, or a server URL that cannot be used. Always
// worth retrying: the recording waits until the server (or its URL) is right.
class TransportError final : public DescribedError
{
public:
    enum class Kind {
        failed,     // no connection, reset, cut short, TLS failure and the like
        timedOut,   // idle too long or past the upload's deadline
        cancelled,  // the program stopped the upload (it is quitting)
        redirected, // the server sent the upload elsewhere in a way it cannot follow
        notAServer, // the server URL is no URL, or has no http or https scheme and host
    };

    TransportError(Kind kind, const QString &text) : m_kind(kind), m_text(text) {}

    Kind kind() const { return m_kind; }
    // The client's own text for the failure; "Invalid server URL" for notAServer.
    QString description() const override { return m_text; }

private:
    Kind m_kind;
    QString m_text;
};
