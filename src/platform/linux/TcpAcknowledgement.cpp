// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TcpAcknowledgement.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace platform {

bool TcpAcknowledgement::sendNow(qintptr socket)
{
    // Turning quick acknowledgements on sends the one the kernel is holding back. The kernel
    // turns them off again by itself (it is not a lasting setting), hence a call per arrival.
    const int on = 1;
    return ::setsockopt(static_cast<int>(socket), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on) == 0;
}

} // namespace platform
