// SPDX-License-Identifier: GPL-3.0-or-later
// The Fn key from input devices, fed through FIFOs standing in for /dev/input/eventN and a device
// source the test drives, and the menu tracking of the Linux event monitors.
#include "platform/linux/FnKeyWatcher.h"
#include "platform/linux/InputDeviceSource.h"
#include "platform/linux/LinuxEventMonitors.h"
#include "platform/linux/UdevInputDeviceSource.h"

#include "GlobalShortcuts/Modifiers.h"
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
using platform::linux_impl::InputDeviceSource;

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

// Devices as the test says they come and go.
class TestDeviceSource final : public InputDeviceSource
{
public:
    bool start() override { return m_canFollow; }
    QStringList devices() const override { return m_present; }
    QString error() const override { return QStringLiteral("udev is not available"); }
    // Only the FIFOs stand for keyboards with an Fn key.
    bool reportsFnKey(int fd) const override { return isFifo(fd); }
    std::optional<bool> isFnKeyDown(int) const override { return m_fnDown; }
    void add(const QString &path) { emit deviceAdded(path); }
    void remove(const QString &path) { emit deviceRemoved(path); }

    QStringList m_present;
    bool m_canFollow = true;
    std::optional<bool> m_fnDown;
};

input_event syncEvent(int code)
{
    input_event event{};
    event.type = EV_SYN;
    event.code = static_cast<__u16>(code);
    return event;
}

class FnKeyWatcherTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_directory.isValid());
        m_fifo = m_directory.filePath(QStringLiteral("event0"));
        ASSERT_EQ(::mkfifo(QFile::encodeName(m_fifo).constData(), 0600), 0);
        // A device that cannot send Fn (the filter below only takes FIFOs).
        m_other = m_directory.filePath(QStringLiteral("event1"));
        QFile other(m_other);
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    }
    void TearDown() override { unplug(); }

    std::unique_ptr<FnKeyWatcher> makeWatcher(QStringList present, bool canFollow = true)
    {
        auto source = std::make_unique<TestDeviceSource>();
        source->m_present = std::move(present);
        source->m_canFollow = canFollow;
        m_source = source.get();
        auto watcher = std::make_unique<FnKeyWatcher>(std::move(source));
        QObject::connect(watcher.get(), &FnKeyWatcher::fnChanged,
                         [this](bool pressed) { m_changes << pressed; });
        return watcher;
    }
    void write(const void *bytes, size_t size)
    {
        if (m_writer < 0)
            m_writer = ::open(QFile::encodeName(m_fifo).constData(), O_WRONLY | O_NONBLOCK);
        ASSERT_GE(m_writer, 0);
        ASSERT_EQ(::write(m_writer, bytes, size), ssize_t(size));
    }
    void press(int code, int value)
    {
        const input_event event = keyEvent(code, value);
        write(&event, sizeof event);
    }
    // The device's end goes away, as an unplugged keyboard's does.
    void unplug()
    {
        if (m_writer >= 0)
            ::close(m_writer);
        m_writer = -1;
    }
    bool waitForChanges(qsizetype count)
    {
        return testsupport::waitUntil([this, count] { return m_changes.size() >= count; });
    }

    QTemporaryDir m_directory;
    QString m_fifo;
    QString m_other;
    int m_writer = -1;
    TestDeviceSource *m_source = nullptr;
    QList<bool> m_changes;
};

TEST_F(FnKeyWatcherTest, ReportsFnPressAndReleaseButNotRepeatsOrOtherKeys)
{
    auto watcher = makeWatcher({m_fifo, m_other});
    ASSERT_TRUE(watcher->start());
    EXPECT_TRUE(watcher->hasFnDevice());

    const input_event events[] = {keyEvent(KEY_FN, 1), keyEvent(KEY_FN, 2), keyEvent(KEY_A, 1),
                                  keyEvent(KEY_A, 0),  keyEvent(KEY_FN, 0), keyEvent(KEY_FN, 1)};
    // The fifth event arrives in two pieces; the last one ends the batch, so nothing between the
    // release and it can be missing once it is seen.
    const auto *bytes = reinterpret_cast<const char *>(events);
    const size_t split = 5 * sizeof(input_event) - 5;
    write(bytes, split);
    ASSERT_TRUE(waitForChanges(1));
    write(bytes + split, sizeof events - split);
    ASSERT_TRUE(waitForChanges(3));
    EXPECT_EQ(m_changes, (QList<bool>{true, false, true}));
}

// Read too late, the kernel drops events and says so; the release may be among them, and the
// key's state on the device then decides.
TEST_F(FnKeyWatcherTest, AReleaseLostInDroppedEventsIsTakenFromTheKeyState)
{
    auto watcher = makeWatcher({m_fifo});
    ASSERT_TRUE(watcher->start());
    const input_event held[] = {keyEvent(KEY_FN, 1), syncEvent(SYN_REPORT)};
    write(held, sizeof held);
    ASSERT_TRUE(waitForChanges(1));

    m_source->m_fnDown = false;
    const input_event lost[] = {syncEvent(SYN_DROPPED), keyEvent(KEY_FN, 1), syncEvent(SYN_REPORT),
                                keyEvent(KEY_A, 1), syncEvent(SYN_REPORT)};
    write(lost, sizeof lost);
    ASSERT_TRUE(waitForChanges(2));
    EXPECT_EQ(m_changes, (QList<bool>{true, false}));
}

TEST_F(FnKeyWatcherTest, AKeyboardThatConnectsLaterOrComesBackIsFollowed)
{
    auto watcher = makeWatcher({m_other});
    ASSERT_TRUE(watcher->start()) << "with no keyboard yet it still waits for one";
    EXPECT_FALSE(watcher->hasFnDevice());
    EXPECT_TRUE(watcher->error().contains(QStringLiteral("reports the Fn key")));

    m_source->add(m_fifo);
    EXPECT_TRUE(watcher->hasFnDevice());
    press(KEY_FN, 1);
    ASSERT_TRUE(waitForChanges(1));
    // Gone while Fn is down (sleep, out of range): the key counts as released.
    unplug();
    ASSERT_TRUE(waitForChanges(2));
    EXPECT_FALSE(watcher->hasFnDevice());
    m_source->remove(m_fifo);

    // Back after sleep under the same node.
    m_source->add(m_fifo);
    press(KEY_FN, 1);
    press(KEY_FN, 0);
    ASSERT_TRUE(waitForChanges(4));
    // Removed by udev while still open and held.
    press(KEY_FN, 1);
    ASSERT_TRUE(waitForChanges(5));
    m_source->remove(m_fifo);
    EXPECT_FALSE(watcher->hasFnDevice());
    EXPECT_EQ(m_changes, (QList<bool>{true, false, true, false, true, false}));
}

TEST_F(FnKeyWatcherTest, SaysWhyTheKeyCannotBeSeen)
{
    auto blind = makeWatcher({m_other}, false);
    EXPECT_FALSE(blind->start());
    EXPECT_TRUE(blind->error().contains(QStringLiteral("reports the Fn key")));
    EXPECT_TRUE(blind->error().contains(QStringLiteral("udev is not available")));

    // Without udev the keyboards present still work.
    auto present = makeWatcher({m_fifo}, false);
    EXPECT_TRUE(present->start());
    EXPECT_TRUE(present->error().isEmpty());

    // A FIFO answers no capability query, so the real check refuses it.
    const int fd = ::open(QFile::encodeName(m_fifo).constData(), O_RDONLY | O_NONBLOCK);
    EXPECT_FALSE(platform::linux_impl::UdevInputDeviceSource().reportsFnKey(fd));
    ::close(fd);

    // What a device that cannot be opened says of its keys: KEY_FN is bit 0x1d0, in the eighth
    // word from the end; a plain keyboard's list stops before it.
    using platform::linux_impl::UdevInputDeviceSource;
    EXPECT_TRUE(UdevInputDeviceSource::hasKeyBit("10000 0 0 0 0 0 0 fffffffe\n", KEY_FN));
    EXPECT_FALSE(UdevInputDeviceSource::hasKeyBit(
        "1000000000007 ff9f207ac14057ff febeffdfffefffff fffffffffffffffe\n", KEY_FN));
    EXPECT_FALSE(UdevInputDeviceSource::hasKeyBit("0\n", KEY_FN));
}

TEST_F(FnKeyWatcherTest, GlobalMonitorsGetTheFnKeyAsFlagsChangedWithTheFunctionFlag)
{
    TestDeviceSource *source = nullptr;
    platform::linux_impl::LinuxEventMonitors monitors([&source] {
        auto made = std::make_unique<TestDeviceSource>();
        source = made.get();
        return made;
    });
    QList<platform::Event> seen;
    auto monitor =
        monitors.addGlobalMonitor(platform::eventMask(platform::Event::Type::flagsChanged),
                                  [&seen](const platform::Event &event) { seen << event; });
    ASSERT_TRUE(monitor);
    ASSERT_TRUE(source);
    source->add(m_fifo); // a keyboard that connects after the program started

    press(KEY_FN, 1);
    press(KEY_FN, 0);
    ASSERT_TRUE(testsupport::waitUntil([&seen] { return seen.size() >= 2; }));
    using GlobalShortcuts::CocoaFlag::function;
    EXPECT_EQ(seen[0].type, platform::Event::Type::flagsChanged);
    EXPECT_EQ(seen[0].keyCode, 63);
    EXPECT_EQ(seen[0].modifierFlags & function, function);
    EXPECT_EQ(seen[1].keyCode, 63);
    EXPECT_EQ(seen[1].modifierFlags & function, 0u);
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
