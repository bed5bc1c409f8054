// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppStateFixture.h"

#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "engine/HotkeyManager.h"
#include "support/FakeEventMonitors.h"
#include "support/FakeHotKeyService.h"

#include <QJsonArray>
#include <QSignalSpy>

#include <cmath>

class AppStateSettings : public AppStateFixture
{
protected:
    QString seedLine() const
    {
        return log.lines(QStringLiteral("info")).filter(QStringLiteral("seed defaults")).join('|');
    }
};

TEST_F(AppStateSettings, AbsentOrMistypedSettingsTakeTheirDefaults)
{
    defaults->setString(QStringLiteral("autoPaste"), QStringLiteral("false"));
    defaults->setString(QStringLiteral("useFnKey"), QStringLiteral("no"));
    defaults->setString(QStringLiteral("minimumRecordingDuration"), QStringLiteral("2"));
    defaults->setBool(QStringLiteral("maxRecordingDuration"), true);
    defaults->setValue(QStringLiteral("serverURL"), 8080);
    defaults->setValue(QStringLiteral("language"), QJsonArray{QStringLiteral("de")});
    defaults->setValue(QStringLiteral("enabledPresets"), QJsonArray{QStringLiteral("web-dev"), 3});
    defaults->setString(QStringLiteral("onboardingComplete"), QStringLiteral("true"));
    create();
    EXPECT_EQ(app->serverURL(), QStringLiteral("http://127.0.0.1:8080"));
    EXPECT_TRUE(app->autoPaste());
    EXPECT_TRUE(app->useFnKey());
    EXPECT_EQ(app->language(), QStringLiteral("en"));
    EXPECT_EQ(app->prompt(), QString());
    EXPECT_TRUE(app->enabledPresets().isEmpty());
    EXPECT_EQ(app->minimumRecordingDuration(), 0.75);
    EXPECT_EQ(app->maxRecordingDuration(), 300.0);
    EXPECT_FALSE(app->onboardingComplete());
    EXPECT_EQ(app->state(), RecordingState::idle());
    EXPECT_TRUE(app->accessibilityGranted());
    EXPECT_TRUE(app->micPermissionGranted());
    EXPECT_FALSE(app->serverReachable());
}

TEST_F(AppStateSettings, StoredSettingsAreReadAndSavedBackWithTheirTypes)
{
    defaults->setString(QStringLiteral("serverURL"), QStringLiteral("https://speech.example"));
    defaults->setBool(QStringLiteral("autoPaste"), false);
    defaults->setStringList(QStringLiteral("enabledPresets"),
                            {QStringLiteral("web-dev"), QStringLiteral("ai-tools")});
    defaults->setNumber(QStringLiteral("maxRecordingDuration"), 60);
    create();
    EXPECT_FALSE(app->autoPaste());
    EXPECT_EQ(app->enabledPresets(),
              (QSet<QString>{QStringLiteral("web-dev"), QStringLiteral("ai-tools")}));
    EXPECT_EQ(app->maxRecordingDuration(), 60.0);

    // Every one of the eight is written, each with its own type, whether stored before or not.
    app->setServerURL(QStringLiteral("http://127.0.0.1:9"));
    app->setAutoPaste(true);
    app->setLanguage(QString());
    app->setPrompt(QStringLiteral("Foo"));
    app->setEnabledPresets(
        {QStringLiteral("web-dev"), QStringLiteral("ai-tools"), QStringLiteral("software-dev")});
    app->setUseFnKey(false);
    app->setMinimumRecordingDuration(1.5);
    app->setMaxRecordingDuration(90);
    app->saveSettings();
    EXPECT_EQ(defaults->string(QStringLiteral("serverURL")), QStringLiteral("http://127.0.0.1:9"));
    EXPECT_EQ(defaults->boolean(QStringLiteral("autoPaste")), true);
    EXPECT_EQ(defaults->string(QStringLiteral("language")), QString());
    EXPECT_EQ(defaults->string(QStringLiteral("prompt")), QStringLiteral("Foo"));
    EXPECT_EQ(defaults->stringList(QStringLiteral("enabledPresets")),
              (QStringList{QStringLiteral("ai-tools"), QStringLiteral("software-dev"),
                           QStringLiteral("web-dev")}));
    EXPECT_EQ(defaults->boolean(QStringLiteral("useFnKey")), false);
    EXPECT_EQ(defaults->number(QStringLiteral("minimumRecordingDuration")), 1.5);
    EXPECT_EQ(defaults->number(QStringLiteral("maxRecordingDuration")), 90.0);
    EXPECT_FALSE(defaults->contains(QStringLiteral("onboardingComplete")));
    EXPECT_FALSE(defaults->contains(QStringLiteral("launchAtLogin")));
}

TEST_F(AppStateSettings, TheSeedFileIsReadOnTheFirstLaunchOnly)
{
    const QString seed = paths->root() + QStringLiteral("/seed.json");
    writeFile(seed, R"({"serverURL":"","prompt":"kubectl, Foo","other":1})");
    bundle->setResource(QStringLiteral("local-defaults.json"), seed);
    create();
    EXPECT_EQ(app->serverURL(), AppState::defaultServerURL);
    EXPECT_EQ(app->prompt(), QStringLiteral("kubectl, Foo"));
    EXPECT_EQ(defaults->string(QStringLiteral("prompt")), QStringLiteral("kubectl, Foo"));
    EXPECT_FALSE(defaults->contains(QStringLiteral("serverURL")));
    EXPECT_EQ(defaults->boolean(QStringLiteral("hasLaunchedBefore")), true);
    EXPECT_EQ(seedLine(), QStringLiteral("[AppState] Loaded seed defaults from ") + seed);

    // Second launch: the file is not looked at.
    app.reset();
    log.clear();
    defaults->remove(QStringLiteral("prompt"));
    create();
    EXPECT_EQ(app->prompt(), QString());
    EXPECT_TRUE(seedLine().isEmpty());
}

TEST_F(AppStateSettings, ABrokenSeedFileFallsBackToTheOneThreeLevelsAboveTheProgram)
{
    const QString broken = paths->root() + QStringLiteral("/broken.json");
    writeFile(broken, "{\"serverURL\": ");
    bundle->setResource(QStringLiteral("local-defaults.json"), broken);
    const QString beside = paths->root() + QStringLiteral("/local-defaults.json");
    writeFile(beside, R"({"serverURL":"http://10.0.0.2:9000","prompt":""})");
    create();
    EXPECT_EQ(app->serverURL(), QStringLiteral("http://10.0.0.2:9000"));
    EXPECT_EQ(app->prompt(), QString());
    EXPECT_EQ(seedLine(), QStringLiteral("[AppState] Loaded seed defaults from ") + beside);
}

TEST_F(AppStateSettings, EmptyOrNonObjectSeedFilesChangeNothingAndLogNothing)
{
    const QString empty = paths->root() + QStringLiteral("/empty.json");
    writeFile(empty, "");
    bundle->setResource(QStringLiteral("local-defaults.json"), empty);
    writeFile(paths->root() + QStringLiteral("/local-defaults.json"), R"(["serverURL"])");
    create();
    EXPECT_EQ(app->serverURL(), AppState::defaultServerURL);
    EXPECT_TRUE(seedLine().isEmpty());
    EXPECT_EQ(defaults->boolean(QStringLiteral("hasLaunchedBefore")), true);
}

TEST_F(AppStateSettings, SettersNotifyOnlyRealChangesNaNAlwaysCounts)
{
    create();
    QSignalSpy urls(app.get(), &AppState::serverURLChanged);
    QSignalSpy durations(app.get(), &AppState::maxRecordingDurationChanged);
    QSignalSpy presets(app.get(), &AppState::enabledPresetsChanged);
    QSignalSpy states(app.get(), &AppState::stateChanged);
    app->setServerURL(app->serverURL());
    app->setServerURL(QStringLiteral("http://other"));
    app->setMaxRecordingDuration(300.0);
    app->setMaxRecordingDuration(std::nan(""));
    app->setMaxRecordingDuration(std::nan(""));
    app->setEnabledPresets({QStringLiteral("a"), QStringLiteral("b")});
    app->setEnabledPresets({QStringLiteral("b"), QStringLiteral("a")});
    app->setState(RecordingState::error(QStringLiteral("x")));
    app->setState(RecordingState::error(QStringLiteral("x")));
    app->setState(RecordingState::error(QStringLiteral("y")));
    EXPECT_EQ(urls.count(), 1);
    EXPECT_EQ(durations.count(), 2);
    EXPECT_EQ(presets.count(), 1);
    EXPECT_EQ(states.count(), 2);
}

TEST_F(AppStateSettings, HistoryKeepsFiftyNewestFirstAndReturnsToTheNewest)
{
    create();
    EXPECT_EQ(app->currentTranscription(), QString());
    app->showOlderTranscription();
    app->showNewerTranscription();
    EXPECT_EQ(app->historyIndex(), 0);

    for (int i = 1; i <= 51; ++i)
        app->addToHistory(QString::number(i));
    EXPECT_EQ(app->transcriptionHistory().size(), 50);
    EXPECT_EQ(app->transcriptionHistory().first(), QStringLiteral("51"));
    EXPECT_EQ(app->transcriptionHistory().last(), QStringLiteral("2"));

    for (int i = 0; i < 60; ++i)
        app->showOlderTranscription();
    EXPECT_EQ(app->historyIndex(), 49);
    EXPECT_EQ(app->currentTranscription(), QStringLiteral("2"));
    app->showNewerTranscription();
    EXPECT_EQ(app->currentTranscription(), QStringLiteral("3"));
    app->addToHistory(QString());
    EXPECT_EQ(app->historyIndex(), 0);
    EXPECT_EQ(app->currentTranscription(), QString());
}

TEST_F(AppStateSettings, TheMenuBarIconFollowsStateQueueAndHealth)
{
    create();
    EXPECT_EQ(app->menuBarIconName(), QStringLiteral("waveform.badge.exclamationmark"));
    app->setServerReachable(true);
    EXPECT_EQ(app->menuBarIconName(), QStringLiteral("waveform"));
    app->setState(RecordingState::recording());
    EXPECT_EQ(app->menuBarIconName(), QStringLiteral("waveform.circle.fill"));
    app->setState(RecordingState::processing());
    EXPECT_EQ(app->menuBarIconName(), QStringLiteral("ellipsis"));
    app->setState(RecordingState::idle());
    const QString wav = paths->temporaryDirectory() + QStringLiteral("/parlovox-x.wav");
    writeFile(wav, "RIFF");
    app->retryQueueManager()->enqueue(wav, QStringLiteral("busy"));
    EXPECT_EQ(app->menuBarIconName(), QStringLiteral("arrow.clockwise.circle"));
    app->setServerReachable(false);
    EXPECT_EQ(app->menuBarIconName(), QStringLiteral("arrow.clockwise.circle"));
}

TEST_F(AppStateSettings, TheFnKeyConflictNeedsANonZeroIntegerInTheSystemDomain)
{
    create();
    EXPECT_FALSE(app->fnKeyConflict());
    const QString domain = QStringLiteral("com.apple.HIToolbox");
    for (const QJsonValue &value :
         {QJsonValue(0), QJsonValue(QStringLiteral("2")), QJsonValue(1.5), QJsonValue(true)}) {
        defaults->setPersistentDomain(domain, {{QStringLiteral("AppleFnUsageType"), value}});
        app->checkFnKeyConflict();
        EXPECT_FALSE(app->fnKeyConflict());
    }
    for (const qint64 usage : {qint64(2), qint64(-1), qint64(5'000'000'000)}) {
        defaults->setPersistentDomain(domain, {{QStringLiteral("AppleFnUsageType"), usage}});
        app->checkFnKeyConflict();
        EXPECT_TRUE(app->fnKeyConflict());
        EXPECT_TRUE(log.lines(QStringLiteral("info"))
                        .contains(QStringLiteral("[AppState] Fn key conflict detected "
                                                 "(AppleFnUsageType=%1)")
                                      .arg(usage)));
    }
}

TEST_F(AppStateSettings, TheAppSecretComesFromTheBundleAndThePromptFromWordsAndPresets)
{
    bundle->setInfoValue(QStringLiteral("PVXAppSecret"), QStringLiteral("s3cret"));
    defaults->setString(QStringLiteral("prompt"), QStringLiteral(" kubernetes, Foo ,, bar"));
    defaults->setStringList(QStringLiteral("enabledPresets"), {QStringLiteral("software-dev")});
    create();
    EXPECT_EQ(app->appSecret(), QStringLiteral("s3cret"));
    // Read once: a later change of the Info values does not show.
    bundle->setInfoValue(QStringLiteral("PVXAppSecret"), 5);
    EXPECT_EQ(app->appSecret(), QStringLiteral("s3cret"));
    EXPECT_TRUE(app->buildPrompt().startsWith(
        QStringLiteral("kubernetes, Foo, bar, kubectl, PostgreSQL, ")));

    app.reset();
    defaults->setBool(QStringLiteral("hasLaunchedBefore"), true);
    create();
    EXPECT_EQ(app->appSecret(), QString()); // not a string
}

TEST_F(AppStateSettings, AssigningUseFnKeyReconfiguresTheTrigger)
{
    auto *monitors = install<testsupport::FakeEventMonitors>(services.eventMonitors);
    install<testsupport::FakeHotKeyService>(services.hotKeys);
    GlobalShortcuts::ModuleContext context(*services.userDefaults);
    GlobalShortcuts::HotKeyHandlers handlers(context, *services.hotKeys);
    create();
    app->setUseFnKey(false); // no trigger yet: nothing to configure
    app->setHotkeyManager(std::make_unique<HotkeyManager>(app.get()));
    // The trigger has drifted from the setting; assigning the same value brings it back.
    app->hotkeyManager()->configure(true);
    ASSERT_EQ(monitors->globalMonitorCount(), 1);
    QSignalSpy changes(app.get(), &AppState::useFnKeyChanged);
    app->setUseFnKey(false);
    EXPECT_EQ(monitors->globalMonitorCount(), 0);
    EXPECT_EQ(changes.count(), 0);
    app->setUseFnKey(true);
    EXPECT_EQ(monitors->globalMonitorCount(), 1);
    app->hotkeyManager()->configure(false);
    app->setUseFnKey(true);
    EXPECT_EQ(monitors->globalMonitorCount(), 1);
    EXPECT_EQ(changes.count(), 1);
    app.reset(); // before the shortcut module goes
}
