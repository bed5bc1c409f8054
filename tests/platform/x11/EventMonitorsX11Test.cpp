// SPDX-License-Identifier: GPL-3.0-or-later
// The event monitors for real: other programs' modifier keys through XInput 2, our own windows'
// keys and clicks through the application's event filter.
#include "GlobalShortcuts/LocalEventMonitor.h"

#include "HotKeyX11Fixture.h"

#include <QKeyEvent>
#include <QWindow>

namespace {

using platform::HotKeyService;
using namespace x11test;

TEST_F(HotKeyX11Test, GlobalMonitorsReportModifierKeysAsFlagsChanged)
{
    platform::linux_impl::LinuxEventMonitors monitors;
    QList<platform::Event> events;
    auto monitor = monitors.addGlobalMonitor(
        4096, [&events](const platform::Event &event) { events.append(event); });
    ASSERT_NE(monitor, nullptr); // raw keys work even where no input device reports Fn

    m_typist.tap(shiftLeft);
    ASSERT_TRUE(testsupport::waitUntil([&events] { return events.size() >= 2; }, 3000));
    EXPECT_EQ(events[0].type, platform::Event::Type::flagsChanged);
    EXPECT_EQ(events[0].keyCode, 56);
    EXPECT_EQ(events[0].modifierFlags, 0x20000u);
    EXPECT_EQ(events[1].modifierFlags, 0u);

    // Dropping the monitor ends its reports; one that stays shows when they would have come.
    QList<platform::Event> kept;
    auto keeper = monitors.addGlobalMonitor(
        4096, [&kept](const platform::Event &event) { kept.append(event); });
    monitor.reset();
    m_typist.tap(shiftLeft);
    ASSERT_TRUE(testsupport::waitUntil([&kept] { return kept.size() >= 2; }, 3000));
    EXPECT_EQ(events.size(), 2);
}

TEST_F(HotKeyX11Test, LocalMonitorsSeeOurFocusedWindowsKeysFirstAndMaySwallowThem)
{
    platform::linux_impl::LinuxEventMonitors monitors;
    QList<platform::Event> local, global;
    auto localMonitor = monitors.addLocalMonitor(
        platform::eventMask(platform::Event::Type::flagsChanged) |
            platform::eventMask(platform::Event::Type::keyDown),
        [&local](const platform::Event &event) {
            local.append(event);
            return event.type != platform::Event::Type::keyDown; // swallow key-downs
        });
    auto globalMonitor = monitors.addGlobalMonitor(
        4096, [&global](const platform::Event &event) { global.append(event); });

    class Window : public QWindow
    {
    public:
        int keyPresses = 0;

    protected:
        void keyPressEvent(QKeyEvent *) override { ++keyPresses; }
    } window;
    window.resize(200, 100);
    window.show();
    // X refuses to focus a window that is not mapped yet: ask again until the focus is taken.
    ASSERT_TRUE(testsupport::waitUntil(
        [&window] {
            if (QGuiApplication::focusWindow() == &window)
                return true;
            if (window.isExposed())
                window.requestActivate();
            return false;
        },
        3000));

    m_typist.key(shiftLeft, true);
    m_typist.tap(keyK);
    m_typist.key(shiftLeft, false);
    ASSERT_TRUE(testsupport::waitUntil([&local] { return local.size() >= 3; }, 3000));
    EXPECT_EQ(local[0].type, platform::Event::Type::flagsChanged);
    EXPECT_EQ(local[0].keyCode, 56);
    EXPECT_EQ(local[0].modifierFlags & 0x20000, 0x20000u);
    EXPECT_EQ(local[1].type, platform::Event::Type::keyDown);
    EXPECT_EQ(local[1].keyCode, 40);
    EXPECT_EQ(local[1].window, &window);
    EXPECT_EQ(local[2].modifierFlags & 0x20000, 0u);
    EXPECT_EQ(window.keyPresses, 1); // Shift went through, K was swallowed
    // Ours, so not reported as another program's: once the window is gone, a tap of Shift is
    // the first thing the global monitor reports (raw events come in order).
    window.hide();
    ASSERT_TRUE(testsupport::waitUntil([] { return !QGuiApplication::focusWindow(); }, 3000));
    m_typist.tap(shiftLeft);
    ASSERT_TRUE(testsupport::waitUntil([&global] { return global.size() >= 2; }, 3000));
    EXPECT_EQ(global.size(), 2);
    EXPECT_EQ(global[0].keyCode, 56);
}

TEST_F(HotKeyX11Test, TheModulesLocalMonitorTakesOurWindowsKeysAsTheirKeyPositions)
{
    class Window : public QWindow
    {
    public:
        QStringList received;

    protected:
        void keyPressEvent(QKeyEvent *e) override
        {
            received << QStringLiteral("down %1").arg(e->nativeScanCode());
        }
        void keyReleaseEvent(QKeyEvent *e) override
        {
            received << QStringLiteral("up %1").arg(e->nativeScanCode());
        }
    } window;
    const auto key = [&window](QEvent::Type type, quint32 xKeyCode,
                               Qt::KeyboardModifiers modifiers = {}) {
        QKeyEvent event(type, Qt::Key_unknown, modifiers, xKeyCode, 0, 0);
        QCoreApplication::sendEvent(&window, &event);
    };
    constexpr quint32 xKeyQ = 24, xKeyW = 25; // Carbon 12 and 13
    QList<platform::Event> seen;
    GlobalShortcuts::LocalEventMonitor monitor(
        platform::eventMask(platform::Event::Type::keyDown),
        [&seen](const platform::Event &e) -> std::optional<platform::Event> {
            seen << e;
            if (e.keyCode == 12)
                return std::nullopt;
            return e;
        });
    monitor.start();

    key(QEvent::KeyPress, xKeyQ, Qt::ControlModifier | Qt::MetaModifier);
    key(QEvent::KeyPress, xKeyW);
    key(QEvent::KeyRelease, xKeyQ); // not in the mask
    key(QEvent::KeyPress, 3);       // no key position
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].keyCode, 12);
    EXPECT_EQ(seen[0].modifierFlags, 0x40000u | 0x100000u);
    EXPECT_EQ(seen[0].window, &window);
    EXPECT_EQ(seen[1].keyCode, 13);
    EXPECT_EQ(window.received, (QStringList{QStringLiteral("down 25"), QStringLiteral("up 24"),
                                            QStringLiteral("down 3")}));
}

} // namespace
