// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder on a real X display: a combination that another client holds still reaches the
// recording field (its keyboard grab outranks the other client's passive grab), and the trial
// grab finds it taken, so the field asks before storing it. A click into the field while the
// dictation shortcut is held (our own grab) starts recording like any other.
#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/Localization.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/RecorderField.h"
#include "GlobalShortcuts/Storage.h"
#include "platform/linux/LinuxEventMonitors.h"
#include "platform/linux/X11HotKeyService.h"
#include "platform/linux/X11WindowSystem.h"

#include "XTestClient.h"
#include "support/EventLoop.h"
#include "support/MemoryUserDefaults.h"

#include <QGuiApplication>
#include <QProcess>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using namespace x11test;
using namespace GlobalShortcuts;

constexpr std::uint8_t keyJ = 44;
constexpr std::uint16_t xControlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

class RecorderX11Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X11 display";
        ASSERT_TRUE(m_typist.isConnected() && m_owner.isConnected());
        m_service = std::make_unique<platform::linux_impl::X11HotKeyService>();
        m_monitors = std::make_unique<platform::linux_impl::LinuxEventMonitors>();
        m_context = std::make_unique<ModuleContext>(m_defaults, nullptr, m_monitors.get());
        m_handlers = std::make_unique<HotKeyHandlers>(*m_context, *m_service);
        m_context->setAlertPresenter([this](QWidget *, const RecorderAlert &alert) {
            m_alerts << alert;
            return m_answer;
        });
    }
    void TearDown() override
    {
        m_window.reset();
        m_handlers.reset();
        m_context.reset();
        m_monitors.reset();
        m_service.reset();
    }

    // The field in an active window, not recording yet.
    RecorderField *openWindow()
    {
        m_window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(m_window.get());
        auto *field = new RecorderField(name());
        layout->addWidget(field);
        m_window->show();
        m_window->activateWindow();
        if (!testsupport::waitUntil([this] { return m_window->isActiveWindow(); }, 3000))
            return nullptr;
        QCoreApplication::processEvents();
        return field;
    }
    RecorderField *openRecording()
    {
        RecorderField *field = openWindow();
        if (!field)
            return nullptr;
        field->setFocus(Qt::MouseFocusReason);
        return field->isRecording() ? field : nullptr;
    }
    void pressControlAltJ()
    {
        m_typist.key(controlLeft, true);
        m_typist.key(altLeft, true);
        m_typist.tap(keyJ);
        m_typist.key(altLeft, false);
        m_typist.key(controlLeft, false);
    }

    XTestClient m_typist;
    XTestClient m_owner; // the other program holding a combination
    testsupport::MemoryUserDefaults m_defaults;
    std::unique_ptr<platform::linux_impl::X11HotKeyService> m_service;
    std::unique_ptr<platform::linux_impl::LinuxEventMonitors> m_monitors;
    std::unique_ptr<ModuleContext> m_context;
    std::unique_ptr<HotKeyHandlers> m_handlers;
    // Made once the module context exists.
    static Name name() { return Name(QStringLiteral("parlovox")); }
    std::unique_ptr<QWidget> m_window;
    QList<RecorderAlert> m_alerts;
    int m_answer = 0;
};

TEST_F(RecorderX11Test, ACombinationAnotherClientHoldsShowsTheSystemAlert)
{
    ASSERT_TRUE(m_owner.grab(keyJ, xControlAlt));
    RecorderField *field = openRecording();
    ASSERT_NE(field, nullptr);

    pressControlAltJ();
    ASSERT_TRUE(testsupport::waitUntil([this] { return !m_alerts.isEmpty(); }, 3000));
    EXPECT_EQ(m_alerts[0].messageText, localized("keyboard_shortcut_used_by_system"));
    EXPECT_FALSE(getShortcut(name()));
    EXPECT_TRUE(field->isRecording());

    // Once the other program lets go, the same combination is taken and grabbed by us.
    m_owner.ungrab(keyJ, xControlAlt);
    pressControlAltJ();
    ASSERT_TRUE(testsupport::waitUntil([this] { return getShortcut(name()).has_value(); }, 3000));
    EXPECT_EQ(*getShortcut(name()), Shortcut(38, 0x1000 | 0x800));
    EXPECT_EQ(m_alerts.size(), 1);
    EXPECT_FALSE(field->isRecording());
    EXPECT_FALSE(m_owner.grab(keyJ, xControlAlt)); // ours now
}

// While the dictation shortcut is held our grab has the keyboard; the window keeps its focus
// (as the program's window system has it), so a click into the field starts recording. The
// release still reaches the dictation that heard the press, and the next combination is stored.
TEST_F(RecorderX11Test, AClickWhileTheDictationShortcutIsHeldStartsRecording)
{
    platform::linux_impl::X11WindowSystem windowSystem;
    name().setShortcut(Shortcut(40, 0x1000 | 0x800)); // ⌃⌥K
    QString dictation;
    m_handlers->onKeyDown(name(), [&dictation] { dictation += QStringLiteral("down "); });
    m_handlers->onKeyUp(name(), [&dictation] { dictation += QStringLiteral("up"); });
    RecorderField *field = openWindow();
    ASSERT_NE(field, nullptr);

    m_typist.key(controlLeft, true);
    m_typist.key(altLeft, true);
    m_typist.key(keyK, true);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !dictation.isEmpty(); }, 3000));
    // Longer than Qt waits for the focus to come back before it deactivates a window.
    EXPECT_FALSE(testsupport::waitUntil([this] { return !m_window->isActiveWindow(); }, 800));
    const QPoint centre = field->mapToGlobal(field->rect().center());
    QProcess click;
    click.start(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QString::number(centre.x()),
                 QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(click.waitForFinished(3000) && click.exitCode() == 0);
    ASSERT_TRUE(testsupport::waitUntil([field] { return field->isRecording(); }, 3000))
        << "the click into the field was lost";

    m_typist.key(keyK, false);
    m_typist.key(altLeft, false);
    m_typist.key(controlLeft, false);
    EXPECT_TRUE(testsupport::waitUntil([&] { return dictation == QStringLiteral("down up"); }))
        << qPrintable(dictation);
    pressControlAltJ();
    ASSERT_TRUE(testsupport::waitUntil(
        [] { return getShortcut(name()) == Shortcut(38, 0x1000 | 0x800); }, 3000));
    EXPECT_FALSE(field->isRecording());
    EXPECT_TRUE(m_alerts.isEmpty());
}

} // namespace
