// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/Name.h"
#include "GlobalShortcuts/Storage.h"
#include "support/FakeHotKeyService.h"
#include "support/MemoryUserDefaults.h"

#include <gtest/gtest.h>

using namespace GlobalShortcuts;
using platform::HotKeyService;
using testsupport::FakeHotKeyService;

namespace {

constexpr std::uint32_t controlOption = 0x1000 | 0x800;
constexpr std::uint32_t keyK = 40;
constexpr std::uint32_t keyL = 37;
constexpr std::uint32_t keyF5 = 96;

class HotKeyDispatchTest : public ::testing::Test
{
protected:
    testsupport::MemoryUserDefaults m_defaults;
    ModuleContext m_context{m_defaults};
    FakeHotKeyService m_service;
    HotKeyHandlers m_handlers{m_context, m_service};
    QStringList m_calls;

    std::function<void()> record(const QString &what)
    {
        return [this, what] { m_calls << what; };
    }
    QString calls() const { return m_calls.join(QStringLiteral(", ")); }
};

TEST_F(HotKeyDispatchTest, TwoNamesOnOneShortcutShareOneHotKeyAndBothRun)
{
    const Name first(QStringLiteral("first"));
    const Name second(QStringLiteral("second"));
    first.setShortcut(Shortcut(keyK, controlOption));
    second.setShortcut(Shortcut(keyK, controlOption));
    onKeyDown(first, record(QStringLiteral("first down")));
    onKeyDown(second, record(QStringLiteral("second down")));
    onKeyUp(second, record(QStringLiteral("second up")));

    EXPECT_EQ(m_service.log(), QStringLiteral("register 40/0x1800 #1"));
    EXPECT_EQ(m_service.press(keyK, controlOption), HotKeyService::noErr);
    m_calls.sort(); // names are visited in no particular order
    EXPECT_EQ(calls(), QStringLiteral("first down, second down"));
    m_calls.clear();
    EXPECT_EQ(m_service.release(keyK, controlOption), HotKeyService::noErr);
    EXPECT_EQ(calls(), QStringLiteral("second up"));
}

TEST_F(HotKeyDispatchTest, EveryEventIsMatchedAgainstTheShortcutStoredAtThatMoment)
{
    const Name name(QStringLiteral("parlovox"));
    name.setShortcut(Shortcut(keyK, controlOption));
    onKeyDown(name, record(QStringLiteral("down")));
    onKeyDown(name, record(QStringLiteral("down again"))); // attached twice: runs twice

    name.setShortcut(Shortcut(keyL, controlOption));
    EXPECT_EQ(m_service.log(),
              QStringLiteral("register 40/0x1800 #1, unregister #1, register 37/0x1800 #2"));
    EXPECT_EQ(m_service.press(keyK, controlOption), HotKeyService::eventNotHandledErr);
    EXPECT_EQ(m_service.press(keyL, controlOption), HotKeyService::noErr);
    EXPECT_EQ(calls(), QStringLiteral("down, down again"));

    // Changed behind the module's back: the hot key still fires, but the name no longer matches.
    m_calls.clear();
    m_defaults.setString(storageKey(name), QString::fromUtf8(Shortcut(keyK, 0).toJson()));
    EXPECT_EQ(m_service.press(keyL, controlOption), HotKeyService::noErr);
    EXPECT_EQ(calls(), QString());

    // Removed after attaching: the hot key goes, the actions stay and work with the next one.
    name.setShortcut(Shortcut(keyL, controlOption));
    name.setShortcut(std::nullopt);
    EXPECT_TRUE(m_service.registered().isEmpty());
    name.setShortcut(Shortcut(keyF5, 0));
    EXPECT_EQ(m_service.press(keyF5, 0), HotKeyService::noErr);
    EXPECT_EQ(calls(), QStringLiteral("down, down again"));
}

TEST_F(HotKeyDispatchTest, DisableKeepsTheActionsAndEnableBringsThemBackUnderANewId)
{
    const Name name(QStringLiteral("parlovox"));
    name.setShortcut(Shortcut(keyK, controlOption));
    onKeyDown(name, record(QStringLiteral("down")));
    EXPECT_TRUE(isEnabled(name));

    disable(name);
    EXPECT_FALSE(isEnabled(name));
    EXPECT_TRUE(m_service.registered().isEmpty());
    EXPECT_EQ(m_service.press(keyK, controlOption), HotKeyService::eventNotHandledErr);

    enable(QList<Name>{name});
    EXPECT_TRUE(isEnabled(name));
    EXPECT_EQ(m_service.log(),
              QStringLiteral("register 40/0x1800 #1, unregister #1, register 40/0x1800 #2"));
    m_service.press(keyK, controlOption);
    EXPECT_EQ(calls(), QStringLiteral("down"));

    // The module-wide switch suspends the hot key but keeps its record and id.
    setIsEnabled(false);
    EXPECT_FALSE(isEnabled(name));
    EXPECT_TRUE(m_service.registered().isEmpty());
    setIsEnabled(true);
    EXPECT_TRUE(m_service.log().endsWith(QStringLiteral("unregister #2, register 40/0x1800 #2")));
}

TEST_F(HotKeyDispatchTest, NothingRunsWhileARecorderRecordsButTheKeyIsStillConsumed)
{
    const Name name(QStringLiteral("parlovox"));
    name.setShortcut(Shortcut(keyK, controlOption));
    onKeyDown(name, record(QStringLiteral("down")));
    const auto stream = events(name);
    int yielded = 0;
    QObject::connect(stream.get(), &EventStream::received, [&yielded] { ++yielded; });

    m_context.setIsAnyRecorderActive(true);
    EXPECT_EQ(m_service.press(keyK, controlOption), HotKeyService::noErr);
    EXPECT_EQ(calls(), QString());
    EXPECT_EQ(yielded, 0);

    m_context.setIsAnyRecorderActive(false);
    m_service.press(keyK, controlOption);
    EXPECT_EQ(calls(), QStringLiteral("down"));
    EXPECT_EQ(yielded, 1);
}

TEST_F(HotKeyDispatchTest, ARefusedRegistrationIsPrintedAndStillCountsAsEnabled)
{
    m_service.refuse(keyF5, controlOption, HotKeyService::eventHotKeyExistsErr);
    const Name name(QStringLiteral("parlovox"));
    testing::internal::CaptureStdout();
    name.setShortcut(Shortcut(keyF5, controlOption));
    const std::string printed = testing::internal::GetCapturedStdout();

    EXPECT_EQ(printed, "Error registering hotkey \u2303\u2325F5: -9878\n");
    EXPECT_TRUE(isEnabled(name));
    EXPECT_TRUE(m_handlers.carbon().hotKeyIds().isEmpty());
    EXPECT_FALSE(m_service.hasHandler()); // installed only by a successful registration

    // The failed attempt used up id 1.
    Name(QStringLiteral("other")).setShortcut(Shortcut(keyK, controlOption));
    EXPECT_EQ(m_handlers.carbon().hotKeyIds(), QList<std::uint32_t>{2});
    EXPECT_TRUE(m_service.hasHandler());
}

TEST_F(HotKeyDispatchTest, WithAMenuOpenHotKeysAreSuspendedAndRawKeysMatchInstead)
{
    const Name name(QStringLiteral("parlovox"));
    name.setShortcut(Shortcut(keyK, controlOption));
    onKeyDown(name, record(QStringLiteral("down")));
    onKeyUp(name, record(QStringLiteral("up")));
    m_service.clearLog();

    m_context.setIsMenuOpen(true);
    EXPECT_EQ(m_service.log(), QStringLiteral("unregister #1"));
    EXPECT_TRUE(m_service.rawKeyEventsEnabled());
    EXPECT_FALSE(m_service.hotKeyEventsEnabled());
    // Caps Lock (0x400) is not part of the combination.
    EXPECT_EQ(m_service.rawKeyDown(keyK, controlOption | 0x400), HotKeyService::noErr);
    EXPECT_EQ(m_service.rawKeyUp(keyK, controlOption), HotKeyService::noErr);
    EXPECT_EQ(m_service.rawKeyDown(keyK, 0x1000), HotKeyService::eventNotHandledErr);
    EXPECT_EQ(calls(), QStringLiteral("down, up"));

    m_context.setIsMenuOpen(false);
    EXPECT_EQ(m_service.log(), QStringLiteral("unregister #1, register 40/0x1800 #1"));
    EXPECT_FALSE(m_service.rawKeyEventsEnabled());
    EXPECT_TRUE(m_service.hotKeyEventsEnabled());

    // A hot key that cannot come back is dropped from the records, but the module still counts
    // the name as enabled.
    m_context.setIsMenuOpen(true);
    m_service.refuse(keyK, controlOption, HotKeyService::eventHotKeyExistsErr);
    testing::internal::CaptureStdout();
    m_context.setIsMenuOpen(false);
    EXPECT_FALSE(testing::internal::GetCapturedStdout().empty());
    EXPECT_TRUE(m_handlers.carbon().hotKeyIds().isEmpty());
    EXPECT_TRUE(isEnabled(name));
}

TEST_F(HotKeyDispatchTest, EventsThatAreNotOursArePassedOn)
{
    const Name name(QStringLiteral("parlovox"));
    name.setShortcut(Shortcut(keyK, controlOption));
    onKeyDown(name, record(QStringLiteral("down")));

    platform::HotKeyEvent foreign;
    foreign.kind = platform::HotKeyEvent::Kind::hotKeyPressed;
    foreign.hotKeyId = {0x41424344, 1};
    EXPECT_EQ(m_service.fire(foreign), HotKeyService::eventNotHandledErr);
    platform::HotKeyEvent unknownId = foreign;
    unknownId.hotKeyId = {CarbonGlobalShortcuts::signature, 99};
    EXPECT_EQ(m_service.fire(unknownId), HotKeyService::eventNotHandledErr);
    EXPECT_EQ(calls(), QString());
}

TEST_F(HotKeyDispatchTest, StreamsYieldTheirTypesAndTheLastOneGivesTheHotKeyBack)
{
    const Name name(QStringLiteral("parlovox"));
    name.setShortcut(Shortcut(keyK, controlOption));
    disable(name); // nothing registered until a stream asks
    auto both = events(name);
    auto upsOnly = events(EventType::keyUp, name);
    EXPECT_EQ(m_service.registered(), QStringList{QStringLiteral("40/0x1800")});

    QList<EventType> seenByBoth, seenByUps;
    QObject::connect(both.get(), &EventStream::received,
                     [&seenByBoth](EventType type) { seenByBoth << type; });
    QObject::connect(upsOnly.get(), &EventStream::received,
                     [&seenByUps](EventType type) { seenByUps << type; });
    m_service.press(keyK, controlOption);
    m_service.release(keyK, controlOption);
    EXPECT_EQ(seenByBoth, (QList<EventType>{EventType::keyDown, EventType::keyUp}));
    EXPECT_EQ(seenByUps, QList<EventType>{EventType::keyUp});

    both.reset();
    EXPECT_FALSE(m_service.registered().isEmpty());
    upsOnly.reset();
    EXPECT_TRUE(m_service.registered().isEmpty());
    EXPECT_FALSE(isEnabled(name));
}

TEST_F(HotKeyDispatchTest, RemovingHandlersKeepsHotKeysThatOpenStreamsStillNeed)
{
    const Name withHandlers(QStringLiteral("handlers"));
    const Name withStream(QStringLiteral("stream"));
    const Name alone(QStringLiteral("alone"));
    withHandlers.setShortcut(Shortcut(keyK, controlOption));
    withStream.setShortcut(Shortcut(keyK, controlOption));
    alone.setShortcut(Shortcut(keyL, controlOption));
    onKeyDown(withHandlers, record(QStringLiteral("handlers down")));
    onKeyDown(alone, record(QStringLiteral("alone down")));
    const auto stream = events(withStream);

    removeHandler(withHandlers);
    EXPECT_EQ(m_service.registered().size(), 2);
    removeAllHandlers();
    EXPECT_EQ(m_service.registered(), QStringList{QStringLiteral("40/0x1800")});
    m_service.press(keyK, controlOption);
    EXPECT_EQ(calls(), QString());
}

TEST_F(HotKeyDispatchTest, ASharedCombinationKeepsWorkingForTheNameThatStillUsesIt)
{
    const Name dictation(QStringLiteral("parlovox"));
    const Name other(QStringLiteral("other"));
    dictation.setShortcut(Shortcut(keyK, controlOption));
    other.setShortcut(Shortcut(keyK, controlOption));
    onKeyDown(dictation, record(QStringLiteral("dictation")));
    onKeyDown(other, record(QStringLiteral("other")));
    const QStringList registered{QStringLiteral("40/0x1800")};
    const auto pressed = [this] {
        m_calls.clear();
        m_service.press(keyK, controlOption);
        m_calls.sort();
        return calls();
    };

    // Disabling one name leaves the other working, and the disabled one quiet.
    disable(dictation);
    EXPECT_EQ(m_service.registered(), registered);
    EXPECT_EQ(pressed(), QStringLiteral("other"));
    EXPECT_FALSE(isEnabled(dictation));
    EXPECT_TRUE(isEnabled(other));
    // Both disabled: nobody needs it any more.
    disable(other);
    EXPECT_TRUE(m_service.registered().isEmpty());
    enable(dictation, other);
    EXPECT_EQ(pressed(), QStringLiteral("dictation, other"));

    removeHandler(dictation);
    EXPECT_EQ(m_service.registered(), registered);
    EXPECT_EQ(pressed(), QStringLiteral("other"));

    // The last stream of a third name ends while the others still store the combination.
    const Name watcher(QStringLiteral("watcher"));
    watcher.setShortcut(Shortcut(keyK, controlOption));
    events(watcher).reset();
    EXPECT_EQ(m_service.registered(), registered);

    removeAllHandlers();
    EXPECT_EQ(m_service.registered(), registered) << "still stored by names that may attach";
    // Attaching again ends a disable, as the trigger relies on when it switches modes.
    disable(dictation);
    onKeyDown(dictation, record(QStringLiteral("dictation")));
    EXPECT_TRUE(isEnabled(dictation));
    EXPECT_EQ(pressed(), QStringLiteral("dictation"));
}

TEST_F(HotKeyDispatchTest, ARefusedHandlerIsInstalledByTheNextSuccessfulRegistration)
{
    m_service.setHandlerInstallable(false);
    const Name first(QStringLiteral("first"));
    first.setShortcut(Shortcut(keyK, controlOption));
    onKeyDown(first, record(QStringLiteral("first down")));
    EXPECT_EQ(m_service.registered().size(), 1);
    EXPECT_EQ(m_service.press(keyK, controlOption), HotKeyService::eventNotHandledErr);

    m_service.setHandlerInstallable(true);
    Name(QStringLiteral("second")).setShortcut(Shortcut(keyL, controlOption));
    EXPECT_EQ(m_service.handlerInstallCount(), 1);
    EXPECT_EQ(m_service.press(keyK, controlOption), HotKeyService::noErr);
    EXPECT_EQ(calls(), QStringLiteral("first down"));
    Name(QStringLiteral("third")).setShortcut(Shortcut(keyF5, 0));
    EXPECT_EQ(m_service.handlerInstallCount(), 1); // installed once, kept for good
}

TEST_F(HotKeyDispatchTest, AStoredKeyCodeOutsideTheHotKeyRangeIsRefusedWithoutAsking)
{
    const Name name(QStringLiteral("parlovox"));
    m_defaults.setString(storageKey(name),
                         QStringLiteral(R"({"carbonKeyCode":4294967296,"carbonModifiers":0})"));
    testing::internal::CaptureStdout();
    onKeyDown(name, record(QStringLiteral("down")));
    const std::string printed = testing::internal::GetCapturedStdout();

    EXPECT_EQ(printed.rfind("Error registering hotkey ", 0), 0u);
    EXPECT_TRUE(printed.ends_with(": -9879\n")) << printed;
    EXPECT_EQ(m_service.log(), QString());
}

TEST(HotKeyHandlersInstallTest, ShortcutsStoredBeforeTheHotKeyLayerExistedAreRegisteredByIt)
{
    testsupport::MemoryUserDefaults defaults;
    ModuleContext context(defaults);
    const Name name(QStringLiteral("parlovox"));
    name.setShortcut(Shortcut(keyK, controlOption));
    FakeHotKeyService service;
    HotKeyHandlers handlers(context, service);
    QStringList calls;
    onKeyDown(name, [&calls] { calls << QStringLiteral("down"); });

    EXPECT_EQ(service.log(), QStringLiteral("register 40/0x1800 #1"));
    EXPECT_EQ(service.press(keyK, controlOption), HotKeyService::noErr);
    EXPECT_EQ(calls, QStringList{QStringLiteral("down")});
}

TEST_F(HotKeyDispatchTest, SystemShortcutsAreTheEnabledOnesNormalised)
{
    m_service.setSystemHotKeys(
        {{true, keyK, 0x100 | 0x400}, {false, keyL, 0x100}, {true, 49, 0x1000}});
    EXPECT_EQ(systemHotKeys(), (QList<Shortcut>{Shortcut(keyK, 0x100), Shortcut(49, 0x1000)}));
}

} // namespace
