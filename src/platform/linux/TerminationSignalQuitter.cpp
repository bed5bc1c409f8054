// SPDX-License-Identifier: GPL-3.0-or-later
#include "TerminationSignalQuitter.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSignals, "parlovox.app", QtInfoMsg)

namespace platform::linux_impl {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
// The handler may only write to a pipe; the event loop reads it.
int signalPipe[2] = {-1, -1};

void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    // A second signal is not asked twice: it ends the program as if we had no handler.
    std::signal(signalNumber, SIG_DFL);
    errno = savedErrno;
}

} // namespace

TerminationSignalQuitter::TerminationSignalQuitter(QObject *parent) : QObject(parent)
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCCritical(lcSignals, "[App] Cannot watch for termination signals");
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this,
            &TerminationSignalQuitter::quitOnSignal);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kSignals)
        sigaction(signalNumber, &action, nullptr);
}

TerminationSignalQuitter::~TerminationSignalQuitter()
{
    if (!m_notifier)
        return;
    for (const int signalNumber : kSignals)
        std::signal(signalNumber, SIG_DFL);
    m_notifier.reset();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void TerminationSignalQuitter::quitOnSignal()
{
    unsigned char byte = 0;
    while (::read(signalPipe[0], &byte, 1) == 1)
        qCInfo(lcSignals, "[App] Quitting on signal %d", int(byte));
    QCoreApplication::quit();
}

} // namespace platform::linux_impl
