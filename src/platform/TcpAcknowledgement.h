// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace platform {

// Acknowledging what has arrived on a TCP connection without the usual delay. A server that
// writes a reply's head and body apart, with Nagle's algorithm on, sends the body only once the
// head is acknowledged; a receiver that delays its acknowledgements (Linux does, by up to 40 ms,
// on a connection that has already carried a request and its reply) holds every such reply back
// by that much.
class TcpAcknowledgement final
{
public:
    // Acknowledges at once what has arrived on `socket`, and what arrives next until the system
    // goes back to delaying on its own: call it again each time data comes in. False when the
    // system offers no such control.
    static bool sendNow(qintptr socket);
};

} // namespace platform
