// SPDX-License-Identifier: GPL-3.0-or-later
// The Fn key from input devices, fed through a FIFO standing in for /dev/input/eventN, and the
// menu tracking of the Linux event monitors.
#include "platform/linux/FnKeyWatcher.h"
#include "platform/linux/LinuxEventMonitors.h"

#include "support/EventLoop.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::linux_impl::FnKeyWatcher;

bool isFifo(int fd)
{
    struct stat info;
    return ::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode);
}

input_event keyEvent(int code, int value)
{
    input_event event{};
    event.type = EV_KEY;
    event.code = static_cast<__u16>(code);
    event.value = value;
    return event;
}

class FnKeyWatcherTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_directory.isValid());
        m_fifo = QFile::encodeName(m_directory.filePath(QStringLiteral("event0")));
        ASSERT_EQ(::mkfifo(m_fifo.constData(), 0600), 0);
        // A device that cannot send Fn (the filter below only takes FIFOs).
        QFile other(m_directory.filePath(QStringLiteral("event1")));
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    }
    void TearDown() override
    {
        if (m_writer >= 0)
            ::close(m_writer);
    }
    void write(const void *bytes, size_t size)
    {
        if (m_writer < 0)
            m_writer = ::open(m_fifo.constData(), O_WRONLY | O_NONBLOCK);
        ASSERT_GE(m_writer, 0);
        ASSERT_EQ(::write(m_writer, bytes, size), ssize_t(size));
    }

    QTemporaryDir m_directory;
    QByteArray m_fifo;
    int m_writer = -1;
};

TEST_F(FnKeyWatcherTest, ReportsFnPressAndReleaseButNotRepeatsOrOtherKeys)
{
    FnKeyWatcher watcher(m_directory.path(), &isFifo);
    ASSERT_TRUE(watcher.start()) << qPrintable(watcher.error());
    QList<bool> changes;
    QObject::connect(&watcher, &FnKeyWatcher::fnChanged,
                     [&changes](bool pressed) { changes << pressed; });

    const input_event events[] = {keyEvent(KEY_FN, 1), keyEvent(KEY_FN, 2), keyEvent(KEY_A, 1),
                                  keyEvent(KEY_A, 0), keyEvent(KEY_FN, 0)};
    // The last event arrives in two pieces.
    const auto *bytes = reinterpret_cast<const char *>(events);
    write(bytes, sizeof events - 5);
    ASSERT_TRUE(testsupport::waitUntil([&changes] { return !changes.isEmpty(); }));
    write(bytes + sizeof events - 5, 5);
    ASSERT_TRUE(testsupport::waitUntil([&changes] { return changes.size() >= 2; }));
    testsupport::waitUntil([] { return false; }, 50);
    EXPECT_EQ(changes, (QList<bool>{true, false}));
}

TEST_F(FnKeyWatcherTest, SaysWhyTheKeyCannotBeSeen)
{
    FnKeyWatcher nothingReportsFn(m_directory.path(), [](int) { return false; });
    EXPECT_FALSE(nothingReportsFn.start());
    EXPECT_TRUE(nothingReportsFn.error().contains(QStringLiteral("reports the Fn key")));

    FnKeyWatcher noDevices(m_directory.filePath(QStringLiteral("missing")));
    EXPECT_FALSE(noDevices.start());
    EXPECT_TRUE(noDevices.error().contains(QStringLiteral("no input devices")));

    // A FIFO answers no capability query, so the real check refuses it.
    const int fd = ::open(m_fifo.constData(), O_RDONLY | O_NONBLOCK);
    EXPECT_FALSE(FnKeyWatcher::deviceReportsFnKey(fd));
    ::close(fd);
}

TEST(LinuxEventMonitorsTest, MenuTrackingSpansNestedMenusAndEndsWithADestroyedOne)
{
    platform::linux_impl::LinuxEventMonitors monitors;
    QSignalSpy began(&monitors, &platform::EventMonitors::menuDidBeginTracking);
    QSignalSpy ended(&monitors, &platform::EventMonitors::menuDidEndTracking);
    QMenu menu;
    menu.addAction(QStringLiteral("Settings"));
    auto submenu = std::make_unique<QMenu>();
    submenu->addAction(QStringLiteral("More"));

    menu.popup(QPoint(10, 10));
    submenu->popup(QPoint(40, 10));
    EXPECT_TRUE(monitors.isMenuTracking());
    menu.hide();
    EXPECT_EQ(began.count(), 1);
    EXPECT_EQ(ended.count(), 0);
    submenu.reset(); // gone while open: no hide event
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(monitors.isMenuTracking());
}

} // namespace
