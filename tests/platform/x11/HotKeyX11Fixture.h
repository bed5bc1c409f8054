// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "platform/linux/LinuxEventMonitors.h"
#include "platform/linux/X11HotKeyService.h"

#include "EventBarrier.h"
#include "XTestClient.h"
#include "support/EventLoop.h"
#include "support/MemoryUserDefaults.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>

namespace x11test {

// Control+Option+K, in Carbon numbering.
constexpr std::uint32_t carbonK = 40;
constexpr std::uint32_t controlOption = 0x1000 | 0x800;

// The X11 hot keys and event monitors of the program, with the shortcut module over them, and
// another client that types.
class HotKeyX11Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X11 display";
        ASSERT_TRUE(m_typist.isConnected());
        m_service = std::make_unique<platform::linux_impl::X11HotKeyService>();
        ASSERT_TRUE(m_service->isAvailable());
        m_monitors = std::make_unique<platform::linux_impl::LinuxEventMonitors>();
        m_context =
            std::make_unique<GlobalShortcuts::ModuleContext>(m_defaults, nullptr, m_monitors.get());
        m_handlers = std::make_unique<GlobalShortcuts::HotKeyHandlers>(*m_context, *m_service);
    }
    void TearDown() override
    {
        m_barrier.reset();
        m_handlers.reset();
        m_context.reset();
        m_monitors.reset();
        m_service.reset();
    }

    // Made once the hot keys' filter is installed (at the first registration), so it sees the
    // grabbed keys first.
    EventBarrier &barrier()
    {
        if (!m_barrier)
            m_barrier = std::make_unique<EventBarrier>();
        return *m_barrier;
    }

    // Presses Control+Option+K, holds it (with `untilRepeated`, until the server has repeated K
    // twice), and lets go of K first.
    void holdShortcut(bool untilRepeated = false)
    {
        const int before = barrier().pressesOf(keyK);
        m_typist.key(controlLeft, true);
        m_typist.key(altLeft, true);
        m_typist.key(keyK, true);
        const bool repeated = !untilRepeated || testsupport::waitUntil([this, before] {
            return barrier().pressesOf(keyK) >= before + 3;
        });
        m_typist.key(keyK, false);
        m_typist.key(altLeft, false);
        m_typist.key(controlLeft, false);
        EXPECT_TRUE(repeated) << "the X server did not repeat the held key";
    }

    testsupport::MemoryUserDefaults m_defaults;
    std::unique_ptr<platform::linux_impl::X11HotKeyService> m_service;
    std::unique_ptr<platform::linux_impl::LinuxEventMonitors> m_monitors;
    std::unique_ptr<GlobalShortcuts::ModuleContext> m_context;
    std::unique_ptr<GlobalShortcuts::HotKeyHandlers> m_handlers;
    XTestClient m_typist;
    std::unique_ptr<EventBarrier> m_barrier;
};

} // namespace x11test
