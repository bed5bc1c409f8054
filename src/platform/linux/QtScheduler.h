// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Scheduler.h"

#include <QElapsedTimer>

namespace platform::linux_impl {

// Real time on the Qt event loop.
class QtScheduler final : public Scheduler
{
public:
    QtScheduler();

    QDateTime now() const override;
    double monotonic() const override;
    std::unique_ptr<TimerHandle> singleShot(double seconds, std::function<void()> work) override;
    std::unique_ptr<TimerHandle> repeating(double seconds, std::function<void()> work) override;
    void after(double seconds, std::function<void()> work) override;

private:
    QElapsedTimer m_clock;
};

} // namespace platform::linux_impl
