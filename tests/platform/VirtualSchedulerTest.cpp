// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/VirtualScheduler.h"

#include <QCoroTask>

#include <gtest/gtest.h>

using testsupport::VirtualScheduler;

namespace {

TEST(VirtualSchedulerTest, RunsDueWorkInTimeThenInsertionOrder)
{
    VirtualScheduler scheduler;
    QStringList log;
    scheduler.after(2, [&] { log << QStringLiteral("b@2"); });
    scheduler.after(1, [&] { log << QStringLiteral("a@1"); });
    scheduler.after(2, [&] { log << QStringLiteral("c@2"); });
    scheduler.advance(1.5);
    EXPECT_EQ(log, QStringList{QStringLiteral("a@1")});
    scheduler.advance(0.5);
    EXPECT_EQ(log,
              (QStringList{QStringLiteral("a@1"), QStringLiteral("b@2"), QStringLiteral("c@2")}));
    EXPECT_DOUBLE_EQ(scheduler.monotonic(), 2.0);
}

TEST(VirtualSchedulerTest, ClockReadsTheTimeOfTheRunningWork)
{
    VirtualScheduler scheduler;
    const QDateTime start = scheduler.now();
    qint64 seenAt = -1;
    scheduler.after(3, [&] { seenAt = start.msecsTo(scheduler.now()); });
    scheduler.advance(10);
    EXPECT_EQ(seenAt, 3000);
    EXPECT_EQ(start.msecsTo(scheduler.now()), 10000);
}

TEST(VirtualSchedulerTest, HandlesCancelOnDestructionAndRepeatingTimersRepeat)
{
    VirtualScheduler scheduler;
    int single = 0;
    int repeated = 0;
    auto once = scheduler.singleShot(1, [&] { ++single; });
    auto every = scheduler.repeating(1, [&] { ++repeated; });
    once.reset();
    scheduler.advance(3.5);
    EXPECT_EQ(single, 0);
    EXPECT_EQ(repeated, 3);
    every.reset();
    scheduler.advance(10);
    EXPECT_EQ(repeated, 3);
    EXPECT_EQ(scheduler.pendingCount(), 0);
}

TEST(VirtualSchedulerTest, RepeatingWorkMayCancelItself)
{
    VirtualScheduler scheduler;
    int fired = 0;
    std::unique_ptr<platform::TimerHandle> timer;
    timer = scheduler.repeating(1, [&] {
        if (++fired == 2)
            timer.reset();
    });
    scheduler.advance(5);
    EXPECT_EQ(fired, 2);
}

TEST(VirtualSchedulerTest, WorkScheduledWhileAdvancingRunsWhenDueWithinTheSameAdvance)
{
    VirtualScheduler scheduler;
    QStringList log;
    scheduler.after(1, [&] {
        log << QStringLiteral("first");
        scheduler.after(1, [&] { log << QStringLiteral("second"); });
    });
    scheduler.advance(1.9);
    EXPECT_EQ(log, QStringList{QStringLiteral("first")});
    scheduler.advance(0.1);
    EXPECT_EQ(log, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
}

QCoro::Task<> sleepTwice(VirtualScheduler &scheduler, QStringList &log)
{
    co_await scheduler.sleep(2);
    log << QStringLiteral("woke at ") + QString::number(scheduler.monotonic());
    co_await scheduler.sleep(3);
    log << QStringLiteral("woke at ") + QString::number(scheduler.monotonic());
}

TEST(VirtualSchedulerTest, CoroutineSleepResumesInVirtualTime)
{
    VirtualScheduler scheduler;
    QStringList log;
    sleepTwice(scheduler, log);
    EXPECT_TRUE(log.isEmpty());
    scheduler.advance(2);
    EXPECT_EQ(log, QStringList{QStringLiteral("woke at 2")});
    scheduler.advance(3);
    EXPECT_EQ(log, (QStringList{QStringLiteral("woke at 2"), QStringLiteral("woke at 5")}));
}

} // namespace
