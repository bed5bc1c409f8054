// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace platform::linux_impl {

// Ends the event loop in order when the session ends or the user interrupts the program
// (SIGTERM, SIGHUP, SIGINT), so everything that runs at a normal quit runs then too: a recording
// whose upload is in flight is handed to the retry queue instead of being left in the temporary
// folder. A second such signal ends the program at once. One instance per process.
class TerminationSignalQuitter final : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignalQuitter(QObject *parent = nullptr);
    ~TerminationSignalQuitter() override;

private:
    void quitOnSignal();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace platform::linux_impl
