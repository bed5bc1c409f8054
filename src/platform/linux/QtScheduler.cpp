// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtScheduler.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace platform::linux_impl {

namespace {

// QTimer takes an int of milliseconds; longer delays (a hand-edited limit of 1e300 s) wait as long
// as a timer can rather than wrapping round to an immediate shot.
int toMilliseconds(double seconds)
{
    constexpr double longestMilliseconds = 2'000'000'000.0;
    if (!(seconds > 0))
        return 0;
    return static_cast<int>(std::lround(std::min(seconds * 1000.0, longestMilliseconds)));
}

class QtTimerHandle final : public TimerHandle
{
public:
    QtTimerHandle(double seconds, bool repeats, std::function<void()> work)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setSingleShot(!repeats);
        m_timer.setInterval(toMilliseconds(seconds));
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(work));
        m_timer.start();
    }

private:
    QTimer m_timer;
};

} // namespace

QtScheduler::QtScheduler()
{
    m_clock.start();
}

QDateTime QtScheduler::now() const
{
    return QDateTime::currentDateTimeUtc();
}

double QtScheduler::monotonic() const
{
    return static_cast<double>(m_clock.nsecsElapsed()) / 1e9;
}

std::unique_ptr<TimerHandle> QtScheduler::singleShot(double seconds, std::function<void()> work)
{
    return std::make_unique<QtTimerHandle>(seconds, false, std::move(work));
}

std::unique_ptr<TimerHandle> QtScheduler::repeating(double seconds, std::function<void()> work)
{
    return std::make_unique<QtTimerHandle>(seconds, true, std::move(work));
}

void QtScheduler::after(double seconds, std::function<void()> work)
{
    QTimer::singleShot(toMilliseconds(seconds), Qt::PreciseTimer, QCoreApplication::instance(),
                       std::move(work));
}

} // namespace platform::linux_impl
