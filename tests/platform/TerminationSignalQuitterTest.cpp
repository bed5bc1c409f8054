// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/TerminationSignalQuitter.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Run in a child process by the test below: says when it watches, then runs the event loop.
TEST(TerminationChild, DISABLED_RunsUntilQuit)
{
    platform::linux_impl::TerminationSignalQuitter quitter;
    std::puts("WATCHING");
    std::fflush(stdout);
    QCoreApplication::exec();
    std::puts("LEFT THE EVENT LOOP");
    std::fflush(stdout);
}

// A logout's SIGTERM ends the event loop in order, so what runs at a normal quit runs too; a
// second signal while quitting is not ignored.
TEST(TerminationSignalQuitter, TheSessionsTerminationSignalQuitsTheEventLoop)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=TerminationChild.DISABLED_RunsUntilQuit")});
    QByteArray output;
    while (!output.contains("WATCHING") && child.waitForReadyRead(10000))
        output += child.readAll();
    ASSERT_TRUE(output.contains("WATCHING")) << output.constData();
    child.terminate();
    ASSERT_TRUE(child.waitForFinished(10000));
    output += child.readAll();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
    EXPECT_TRUE(output.contains("LEFT THE EVENT LOOP")) << output.constData();
}

} // namespace
