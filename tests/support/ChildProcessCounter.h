// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <csignal>

namespace testsupport {

// Counts the child processes of this process that end while it lives (each sends SIGCHLD, also
// one whose program could not be started), so a test can see that a call ran no program.
// Main thread only; one at a time.
class ChildProcessCounter final
{
public:
    ChildProcessCounter()
    {
        s_ended = 0;
        struct sigaction counting = {};
        counting.sa_handler = [](int) { s_ended = s_ended + 1; };
        sigemptyset(&counting.sa_mask);
        counting.sa_flags = SA_RESTART;
        ::sigaction(SIGCHLD, &counting, &m_previous);
    }
    ~ChildProcessCounter() { ::sigaction(SIGCHLD, &m_previous, nullptr); }
    ChildProcessCounter(const ChildProcessCounter &) = delete;
    ChildProcessCounter &operator=(const ChildProcessCounter &) = delete;

    int ended() const { return s_ended; }

private:
    static inline volatile sig_atomic_t s_ended = 0;
    struct sigaction m_previous = {};
};

} // namespace testsupport
