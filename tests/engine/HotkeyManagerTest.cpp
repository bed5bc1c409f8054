// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppStateFixture.h"

#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/Name.h"
#include "engine/HotkeyManager.h"
#include "support/FakeEventMonitors.h"
#include "support/FakeHotKeyService.h"

using platform::HotKeyService;
using testsupport::FakeEventMonitors;

namespace {

constexpr quint64 functionFlag = 0x800000;
constexpr std::uint32_t keyK = 40;
constexpr std::uint32_t controlOption = 0x1000 | 0x800;

class HotkeyManagerTest : public AppStateFixture
{
protected:
    HotkeyManagerTest()
    {
        monitors = install<FakeEventMonitors>(services.eventMonitors);
        hotKeys = install<testsupport::FakeHotKeyService>(services.hotKeys);
        context = std::make_unique<GlobalShortcuts::ModuleContext>(*services.userDefaults);
        handlers = std::make_unique<GlobalShortcuts::HotKeyHandlers>(*context, *hotKeys);
    }
    ~HotkeyManagerTest() override
    {
        manager.reset();
        handlers.reset();
        context.reset();
    }

    void SetUp() override
    {
        AppStateFixture::SetUp();
        create();
        QObject::connect(app.get(), &AppState::stateChanged, [this] {
            const RecordingState state = app->state();
            states << (state.isRecording()    ? QStringLiteral("recording")
                       : state.isIdle()       ? QStringLiteral("idle")
                       : state.isProcessing() ? QStringLiteral("processing")
                                              : QStringLiteral("error"));
        });
        manager = std::make_unique<HotkeyManager>(app.get());
    }

    void fn(bool pressed)
    {
        monitors->postGlobal(FakeEventMonitors::flagsChanged(63, pressed ? functionFlag : 0));
        scheduler->runDue();
    }
    void storeShortcut()
    {
        HotkeyManager::shortcutName().setShortcut(GlobalShortcuts::Shortcut(keyK, controlOption));
    }
    QString transitions() const { return states.join(QStringLiteral(", ")); }

    FakeEventMonitors *monitors = nullptr;
    testsupport::FakeHotKeyService *hotKeys = nullptr;
    std::unique_ptr<GlobalShortcuts::ModuleContext> context;
    std::unique_ptr<GlobalShortcuts::HotKeyHandlers> handlers;
    std::unique_ptr<HotkeyManager> manager;
    QStringList states;
};

TEST_F(HotkeyManagerTest, FnPressAndReleaseStartAndStopOnALaterTurn)
{
    manager->configure(true);
    monitors->postGlobal(FakeEventMonitors::flagsChanged(63, functionFlag));
    EXPECT_EQ(transitions(), QString()); // never inside the monitor itself
    scheduler->runDue();
    EXPECT_EQ(transitions(), QStringLiteral("recording"));

    // The local monitor (the program in front) does the same and lets the event through.
    EXPECT_TRUE(monitors->postLocal(FakeEventMonitors::flagsChanged(63, 0)));
    scheduler->runDue();
    EXPECT_EQ(transitions(), QStringLiteral("recording, idle"));
}

TEST_F(HotkeyManagerTest, OtherModifierKeysNeverTrigger)
{
    manager->configure(true);
    // Shift, Control, Option, Command and Caps Lock, even with Fn held.
    for (const quint16 keyCode : {56, 59, 58, 55, 57}) {
        monitors->postGlobal(FakeEventMonitors::flagsChanged(keyCode, functionFlag | 0x20000));
        monitors->postLocal(FakeEventMonitors::flagsChanged(keyCode, 0));
    }
    scheduler->runDue();
    EXPECT_EQ(transitions(), QString());
}

TEST_F(HotkeyManagerTest, ConfiguringFnTwiceInstallsOnePairOfMonitors)
{
    manager->configure(true);
    manager->configure(true);
    EXPECT_EQ(monitors->globalMonitorCount(), 1);
    EXPECT_EQ(monitors->localMonitorCount(), 1);
    fn(true);
    fn(false);
    EXPECT_EQ(transitions(), QStringLiteral("recording, idle"));
}

TEST_F(HotkeyManagerTest, WithoutGlobalMonitoringRepeatedConfiguringAddsNoSecondLocalMonitor)
{
    monitors->setGlobalMonitoringAvailable(false);
    manager->configure(true);
    manager->configure(true);
    EXPECT_FALSE(manager->hasFnMonitor());
    EXPECT_EQ(monitors->localMonitorCount(), 1);
    EXPECT_EQ(monitors->monitorsAdded(), 1);
}

TEST_F(HotkeyManagerTest, SwitchingModesRemovesTheOtherModesHooks)
{
    storeShortcut();
    manager->configure(true);
    EXPECT_TRUE(hotKeys->registered().isEmpty()); // stored, but inert

    manager->configure(false);
    EXPECT_EQ(monitors->globalMonitorCount() + monitors->localMonitorCount(), 0);
    fn(true);
    EXPECT_EQ(transitions(), QString());
    EXPECT_EQ(hotKeys->press(keyK, controlOption), HotKeyService::noErr);
    EXPECT_EQ(hotKeys->release(keyK, controlOption), HotKeyService::noErr);
    EXPECT_EQ(transitions(), QStringLiteral("recording, idle"));

    states.clear();
    manager->configure(true);
    EXPECT_TRUE(hotKeys->registered().isEmpty());
    EXPECT_EQ(hotKeys->press(keyK, controlOption), HotKeyService::eventNotHandledErr);
    EXPECT_EQ(transitions(), QString());
    EXPECT_TRUE(HotkeyManager::shortcutName().shortcut().has_value());
}

TEST_F(HotkeyManagerTest, SeveralSwitchesToTheShortcutStillMakeOneRecordingPerPress)
{
    storeShortcut();
    manager->configure(false);
    manager->configure(true);
    manager->configure(false);
    manager->configure(false);
    hotKeys->press(keyK, controlOption);
    EXPECT_EQ(transitions(), QStringLiteral("recording"));
    hotKeys->release(keyK, controlOption);
    EXPECT_EQ(transitions(), QStringLiteral("recording, idle"));
}

TEST_F(HotkeyManagerTest, NothingHappensOnceAppStateOrTheManagerIsGone)
{
    manager->configure(true);
    monitors->postGlobal(FakeEventMonitors::flagsChanged(63, functionFlag));
    manager.reset(); // its monitors go with it
    scheduler->runDue();
    EXPECT_EQ(transitions(), QString());
    EXPECT_EQ(monitors->globalMonitorCount() + monitors->localMonitorCount(), 0);

    storeShortcut();
    HotkeyManager survivor(app.get());
    survivor.configure(false);
    app.reset();
    EXPECT_EQ(hotKeys->press(keyK, controlOption), HotKeyService::noErr);
}

TEST_F(HotkeyManagerTest, WithoutTheShortcutModuleOnlyTheFnKeyWorks)
{
    handlers.reset();
    context.reset();
    manager->configure(false);
    manager->configure(true);
    fn(true);
    EXPECT_EQ(transitions(), QStringLiteral("recording"));
}

} // namespace
