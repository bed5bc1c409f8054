// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>

#include <coroutine>
#include <functional>
#include <memory>

namespace platform {

// A running timer; destroying the handle cancels it.
class TimerHandle
{
public:
    virtual ~TimerHandle() = default;
};

// Every delay, timer and clock of the program goes through here, so tests can run hours of
// back-off or polling in virtual time.
class Scheduler
{
public:
    virtual ~Scheduler() = default;

    // Wall-clock time.
    virtual QDateTime now() const = 0;
    // Monotonic seconds since an arbitrary origin.
    virtual double monotonic() const = 0;

    // Runs `work` once after `seconds`; cancelled when the handle is destroyed.
    [[nodiscard]] virtual std::unique_ptr<TimerHandle> singleShot(double seconds,
                                                                  std::function<void()> work) = 0;
    // Runs `work` every `seconds` until the handle is destroyed.
    [[nodiscard]] virtual std::unique_ptr<TimerHandle> repeating(double seconds,
                                                                 std::function<void()> work) = 0;
    // Runs `work` once after `seconds` and cannot be cancelled; the work must hold its owner
    // weakly.
    virtual void after(double seconds, std::function<void()> work) = 0;

    // `co_await scheduler.sleep(s)` inside a coroutine resumes on the main thread after `s`.
    class SleepAwaiter
    {
    public:
        SleepAwaiter(Scheduler &scheduler, double seconds)
            : m_scheduler(scheduler), m_seconds(seconds)
        {}
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> waiting)
        {
            m_scheduler.after(m_seconds, [waiting] { waiting.resume(); });
        }
        void await_resume() const noexcept {}

    private:
        Scheduler &m_scheduler;
        double m_seconds;
    };
    SleepAwaiter sleep(double seconds) { return SleepAwaiter(*this, seconds); }
};

} // namespace platform
