// SPDX-License-Identifier: GPL-3.0-or-later
#include "VirtualScheduler.h"

#include <cmath>

namespace testsupport {

class VirtualTimerHandle final : public platform::TimerHandle
{
public:
    VirtualTimerHandle(VirtualScheduler *scheduler, quint64 id, std::weak_ptr<bool> alive)
        : m_scheduler(scheduler), m_id(id), m_alive(std::move(alive))
    {}
    ~VirtualTimerHandle() override
    {
        if (!m_alive.expired())
            m_scheduler->cancel(m_id);
    }

private:
    VirtualScheduler *m_scheduler;
    quint64 m_id;
    std::weak_ptr<bool> m_alive;
};

VirtualScheduler::VirtualScheduler(QDateTime start) : m_start(std::move(start)) {}

VirtualScheduler::~VirtualScheduler() = default;

QDateTime VirtualScheduler::now() const
{
    return m_start.addMSecs(std::llround(m_elapsed * 1000.0));
}

quint64 VirtualScheduler::add(double seconds, double interval, std::function<void()> work)
{
    const quint64 id = ++m_sequence;
    const Key key{m_elapsed + std::max(0.0, seconds), id};
    m_entries.emplace(key, Entry{key.first, interval, std::move(work)});
    m_keysById.emplace(id, key);
    return id;
}

void VirtualScheduler::cancel(quint64 id)
{
    const auto it = m_keysById.find(id);
    if (it == m_keysById.end())
        return;
    m_entries.erase(it->second);
    m_keysById.erase(it);
}

std::unique_ptr<platform::TimerHandle> VirtualScheduler::singleShot(double seconds,
                                                                    std::function<void()> work)
{
    const quint64 id = add(seconds, 0, std::move(work));
    return std::make_unique<VirtualTimerHandle>(this, id, m_alive);
}

std::unique_ptr<platform::TimerHandle> VirtualScheduler::repeating(double seconds,
                                                                   std::function<void()> work)
{
    // A zero interval would spin forever in advance(); real timers treat it as "as often as
    // possible", which virtual time cannot express.
    const quint64 id = add(seconds, std::max(seconds, 1e-6), std::move(work));
    return std::make_unique<VirtualTimerHandle>(this, id, m_alive);
}

void VirtualScheduler::after(double seconds, std::function<void()> work)
{
    add(seconds, 0, std::move(work));
}

double VirtualScheduler::nextDue() const
{
    return m_entries.empty() ? -1 : m_entries.begin()->first.first;
}

void VirtualScheduler::advance(double seconds)
{
    const double target = m_elapsed + std::max(0.0, seconds);
    while (!m_entries.empty() && m_entries.begin()->first.first <= target + 1e-9) {
        auto node = m_entries.extract(m_entries.begin());
        const quint64 id = node.key().second;
        Entry entry = std::move(node.mapped());
        m_elapsed = std::max(m_elapsed, entry.due);
        if (entry.interval > 0) {
            // Re-arm under the same id first, so the work may cancel its own timer.
            const Key next{entry.due + entry.interval, id};
            m_keysById[id] = next;
            m_entries.emplace(next, Entry{next.first, entry.interval, entry.work});
            entry.work();
        } else {
            m_keysById.erase(id);
            entry.work();
        }
    }
    m_elapsed = std::max(m_elapsed, target);
}

} // namespace testsupport
