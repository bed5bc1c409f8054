// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/DesktopWorkspace.h"

#include "support/EventLoop.h"
#include "support/LogCapture.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::Workspace;
using platform::linux_impl::DesktopWorkspace;

namespace {

// Settings programs that only note how they were started, on a PATH of their own.
class DesktopWorkspaceTest : public ::testing::Test
{
protected:
    DesktopWorkspaceTest() : m_savedPath(qgetenv("PATH")) { qputenv("PATH", bin.path().toUtf8()); }
    ~DesktopWorkspaceTest() override { qputenv("PATH", m_savedPath); }

    void installProgram(const QString &name)
    {
        QFile script(bin.filePath(name));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\necho \"%1 $*\" >> '%2'\n")
                         .arg(name, bin.filePath(QStringLiteral("started")))
                         .toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ExeOwner);
    }
    // The programs started so far, one "name arguments" line each.
    QStringList started(int expected)
    {
        QStringList lines;
        testsupport::waitUntil([&] {
            QFile file(bin.filePath(QStringLiteral("started")));
            lines.clear();
            if (file.open(QIODevice::ReadOnly))
                lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
            return lines.size() >= expected;
        });
        return lines;
    }

    QTemporaryDir bin;
    DesktopWorkspace workspace{QStringLiteral("1.0")};
    testsupport::LogCapture log{QStringLiteral("parlovox.workspace")};

private:
    QByteArray m_savedPath;
};

TEST_F(DesktopWorkspaceTest, PanesOpenTheFirstInstalledSettingsProgramOrNothing)
{
    EXPECT_FALSE(workspace.openPrivacySettings(Workspace::PrivacyPane::Microphone));
    EXPECT_FALSE(workspace.openPrivacySettings(Workspace::PrivacyPane::Accessibility));
    EXPECT_EQ(
        log.lines(QStringLiteral("info")),
        QStringList({QStringLiteral("[Workspace] No sound settings program is installed"),
                     QStringLiteral("[Workspace] No keyboard settings program is installed")}));

    installProgram(QStringLiteral("pavucontrol"));
    installProgram(QStringLiteral("xfce4-keyboard-settings"));
    EXPECT_TRUE(workspace.openPrivacySettings(Workspace::PrivacyPane::Microphone));
    EXPECT_EQ(started(1), QStringList{QStringLiteral("pavucontrol --tab=4")});
    EXPECT_TRUE(workspace.openPrivacySettings(Workspace::PrivacyPane::InputMonitoring));
    EXPECT_EQ(started(2).last(), QStringLiteral("xfce4-keyboard-settings "));

    // The desktop's own settings come first.
    installProgram(QStringLiteral("gnome-control-center"));
    EXPECT_TRUE(workspace.openPrivacySettings(Workspace::PrivacyPane::Microphone));
    EXPECT_EQ(started(3).last(), QStringLiteral("gnome-control-center sound"));
    EXPECT_TRUE(workspace.openPrivacySettings(Workspace::PrivacyPane::Accessibility));
    EXPECT_EQ(started(4).last(), QStringLiteral("gnome-control-center keyboard"));
}

} // namespace
