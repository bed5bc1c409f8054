// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Scheduler.h"

#include <map>

namespace testsupport {

// Virtual time: nothing fires until the test calls advance(), which runs every due piece of work
// in time order (ties in the order they were scheduled).
class VirtualScheduler final : public platform::Scheduler
{
public:
    explicit VirtualScheduler(QDateTime start = QDateTime(QDate(2025, 1, 15), QTime(10, 20, 30),
                                                          Qt::UTC));
    ~VirtualScheduler() override;

    QDateTime now() const override;
    double monotonic() const override { return m_elapsed; }
    std::unique_ptr<platform::TimerHandle> singleShot(double seconds,
                                                      std::function<void()> work) override;
    std::unique_ptr<platform::TimerHandle> repeating(double seconds,
                                                     std::function<void()> work) override;
    void after(double seconds, std::function<void()> work) override;

    // Moves time forward by `seconds`, running what falls due on the way.
    void advance(double seconds);
    // Runs what is due now (zero-delay work) without moving time.
    void runDue() { advance(0); }
    // Number of pieces of work still waiting (timers included).
    int pendingCount() const { return static_cast<int>(m_entries.size()); }
    // Due time (in virtual seconds) of the earliest waiting work, or -1.
    double nextDue() const;

private:
    struct Entry
    {
        double due;
        double interval; // 0 for one-shot work
        std::function<void()> work;
    };
    using Key = std::pair<double, quint64>; // due time, sequence number

    quint64 add(double seconds, double interval, std::function<void()> work);
    void cancel(quint64 id);
    friend class VirtualTimerHandle;

    QDateTime m_start;
    double m_elapsed = 0;
    quint64 m_sequence = 0;
    std::map<Key, Entry> m_entries;
    std::map<quint64, Key> m_keysById;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace testsupport
