// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppStateFixture.h"

#include "engine/OnboardingPresenter.h"
#include "support/ChildProcessCounter.h"

#include <QCoroTask>
#include <QSignalSpy>

using testsupport::HttpReply;

class AppStateMonitoring : public AppStateFixture
{
protected:
    void probe() { QCoro::waitFor(app->checkServerHealth()); }
    // A recording waiting in the queue, as an earlier run left it.
    void queueRecording()
    {
        const QString wav = paths->temporaryDirectory() + QStringLiteral("/parlovox-old.wav");
        writeFile(wav, "RIFF----WAVE");
        app->retryQueueManager()->enqueue(wav, QStringLiteral("Server error 503: busy"));
    }
    bool waitForRunEnd()
    {
        return testsupport::waitUntil([this] { return !app->retryQueueManager()->isProcessing(); },
                                      10000);
    }
};

TEST_F(AppStateMonitoring, ThePermissionPollIsFixedAtStartAndLogsARevocationOnce)
{
    defaults->setBool(QStringLiteral("onboardingComplete"), true);
    create();
    app->startPermissionMonitoring();
    app->completeOnboarding();
    permissions->trusted = false;
    scheduler->advance(2.9);
    EXPECT_TRUE(app->accessibilityGranted());
    scheduler->advance(0.1);
    EXPECT_FALSE(app->accessibilityGranted());
    permissions->microphone = false;
    scheduler->advance(6.0);
    EXPECT_FALSE(app->micPermissionGranted());
    permissions->trusted = true;
    scheduler->advance(3.0);
    EXPECT_TRUE(app->accessibilityGranted());
    EXPECT_EQ(log.lines(QStringLiteral("info"))
                  .filter(QStringLiteral("Accessibility permission revoked"))
                  .size(),
              1);

    // Before onboarding the poll runs every second, also after onboarding completes.
    app.reset();
    defaults->setBool(QStringLiteral("onboardingComplete"), false);
    create();
    app->startPermissionMonitoring();
    app->completeOnboarding();
    permissions->microphone = true;
    scheduler->advance(1.0);
    EXPECT_TRUE(app->micPermissionGranted());
}

TEST_F(AppStateMonitoring, AMicrophoneAnswerIsLoggedStoredAndWarmsUpTheRecorder)
{
    permissions->microphone = false;
    create();
    app->requestMicrophonePermission();
    EXPECT_EQ(permissions->pendingMicrophoneRequests(), 1);
    permissions->answerMicrophoneRequests(false);
    EXPECT_FALSE(app->micPermissionGranted());
    EXPECT_TRUE(audio->events().isEmpty());
    app->requestMicrophonePermission();
    permissions->answerMicrophoneRequests(true);
    EXPECT_TRUE(app->micPermissionGranted());
    EXPECT_TRUE(app->recorder().isWarmingUp());
    EXPECT_EQ(log.lines(QStringLiteral("info")).filter(QStringLiteral("Mic permission")),
              (QStringList{QStringLiteral("[AppState] Mic permission: DENIED"),
                           QStringLiteral("[AppState] Mic permission: granted")}));
}

TEST_F(AppStateMonitoring, ARefusedLoginItemIsRevertedOnceWithAtMostTwoCalls)
{
    create();
    loginItem->failures = {QStringLiteral("not allowed")};
    app->setLaunchAtLogin(true);
    EXPECT_EQ(loginItem->calls,
              (QStringList{QStringLiteral("register"), QStringLiteral("unregister")}));
    EXPECT_FALSE(app->launchAtLogin());
    EXPECT_EQ(log.lines(QStringLiteral("critical")),
              QStringList{QStringLiteral("[AppState] Launch at login failed: not allowed")});

    loginItem->calls.clear();
    log.clear();
    loginItem->failures = {QStringLiteral("first"), QStringLiteral("second")};
    app->setLaunchAtLogin(true);
    EXPECT_EQ(loginItem->calls.size(), 2);
    EXPECT_FALSE(app->launchAtLogin());
    EXPECT_EQ(log.lines(QStringLiteral("critical")).size(), 2);

    // The same value again still reaches the service.
    loginItem->calls.clear();
    app->setLaunchAtLogin(false);
    EXPECT_EQ(loginItem->calls, QStringList{QStringLiteral("unregister")});
    app->setLaunchAtLogin(true);
    EXPECT_TRUE(app->launchAtLogin());
    EXPECT_TRUE(loginItem->enabled);
}

TEST_F(AppStateMonitoring, TheLoginItemStatusIsReadAtStartWithoutCallingTheService)
{
    loginItem->enabled = true;
    create();
    EXPECT_TRUE(app->launchAtLogin());
    EXPECT_TRUE(loginItem->calls.isEmpty());
}

TEST_F(AppStateMonitoring, TheFirstReachableProbeCountsAsAnEdgeAndStartsTheQueue)
{
    server.setHandler("/health", [](const auto &) { return HttpReply::text(200, "ok"); });
    server.setHandler("/inference",
                      [](const auto &) { return HttpReply::json(200, R"({"text":"queued"})"); });
    createDictating();
    queueRecording();
    probe();
    EXPECT_TRUE(app->serverReachable());
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(server.requestsTo("/inference").size(), 1);
    EXPECT_EQ(app->currentTranscription(), QStringLiteral("queued"));
    EXPECT_TRUE(sounds->transcript().endsWith(QStringLiteral("stop Glass, play Glass")));
    EXPECT_TRUE(keys->posted().isEmpty()); // a retried text is never pasted
}

TEST_F(AppStateMonitoring, DownThenUpStartsExactlyOneRetryRun)
{
    bool up = false;
    server.setHandler("/health",
                      [&up](const auto &) { return HttpReply::text(up ? 200 : 503, "health"); });
    server.setHandler("/inference", [](const auto &) { return HttpReply::text(503, "busy"); });
    createDictating();
    queueRecording();
    probe();
    EXPECT_FALSE(app->serverReachable());
    up = true;
    probe();
    EXPECT_TRUE(app->serverReachable());
    ASSERT_TRUE(waitForRunEnd());
    probe();
    EXPECT_FALSE(app->retryQueueManager()->isProcessing());
    EXPECT_EQ(server.requestsTo("/inference").size(), 1);
    EXPECT_EQ(app->retryQueueManager()->pendingCount(), 1);
}

TEST_F(AppStateMonitoring, WhileTheServerStaysReachableAnEntryIsRetriedOnceItIsDue)
{
    server.setHandler("/health", [](const auto &) { return HttpReply::text(200, "ok"); });
    server.enqueue(HttpReply::text(503, "busy"), "/inference");
    server.setHandler("/inference",
                      [](const auto &) { return HttpReply::json(200, R"({"text":"at last"})"); });
    createDictating();
    queueRecording();
    probe();
    ASSERT_TRUE(waitForRunEnd());
    ASSERT_EQ(app->retryQueueManager()->items().at(0).retryCount, 1);

    // Reachable all along: no edge, yet the entry goes out once its back-off has passed.
    scheduler->advance(29.9);
    probe();
    EXPECT_FALSE(app->retryQueueManager()->isProcessing());
    EXPECT_EQ(server.requestsTo("/inference").size(), 1);
    scheduler->advance(0.1);
    probe();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(server.requestsTo("/inference").size(), 2);
    EXPECT_EQ(app->retryQueueManager()->pendingCount(), 0);
    EXPECT_EQ(app->currentTranscription(), QStringLiteral("at last"));
}

namespace {

QCoro::Task<> noteEnd(QCoro::Task<> task, bool *ended)
{
    co_await std::move(task);
    *ended = true;
}

} // namespace

TEST_F(AppStateMonitoring, AProbeInFlightEndsWithAppState)
{
    server.setHandler("/health", [](const auto &) { return HttpReply::hang(); });
    createDictating();
    bool ended = false;
    noteEnd(app->checkServerHealth(), &ended);
    ASSERT_TRUE(testsupport::waitUntil([this] { return server.requestCount() == 1; }));
    app.reset();
    // Nothing is left waiting for an answer that can no longer come.
    EXPECT_TRUE(ended);
}

TEST_F(AppStateMonitoring, AProbeReadsOnlyTheStatusAndEndsAtItsDeadline)
{
    createDictating();
    // An endless body: the status is all the probe wants, so it stops at the first byte.
    HttpReply endless = HttpReply::stream(200, [](qint64) { return QByteArray(64 * 1024, 'h'); });
    endless.chunked = true;
    server.enqueue(endless, "/health");
    probe();
    EXPECT_TRUE(app->serverReachable());

    // A server that never answers: unreachable once the probe's minute is over.
    server.enqueue(HttpReply::hang(), "/health");
    bool ended = false;
    noteEnd(app->checkServerHealth(), &ended);
    ASSERT_TRUE(testsupport::waitUntil([this] { return server.requestCount() == 2; }));
    scheduler->advance(AppState::healthProbeTimeoutSeconds - 0.01);
    EXPECT_FALSE(ended);
    scheduler->advance(0.01);
    ASSERT_TRUE(testsupport::waitUntil([&] { return ended; }));
    EXPECT_FALSE(app->serverReachable());
}

TEST_F(AppStateMonitoring, TheHealthTimerProbesAtOnceAndEveryThirtySeconds)
{
    server.setHandler("/health", [](const auto &) { return HttpReply::text(204, ""); });
    createDictating();
    app->startHealthCheck();
    ASSERT_TRUE(testsupport::waitUntil([this] { return server.requestCount() == 1; }));
    scheduler->advance(29.9);
    EXPECT_EQ(server.requestCount(), 1);
    scheduler->advance(0.1);
    ASSERT_TRUE(testsupport::waitUntil([this] { return server.requestCount() == 2; }));
    EXPECT_EQ(server.requests().last().method, QByteArray("GET"));
    EXPECT_EQ(server.requests().last().path, QByteArray("/health"));
    EXPECT_FALSE(app->serverReachable()); // 204 is not 200
}

TEST_F(AppStateMonitoring, AServerURLThatNamesNoServerIsUnreachableWithoutARequest)
{
    server.setHandler("/health", [](const auto &) { return HttpReply::text(200, "ok"); });
    createDictating();
    probe();
    ASSERT_TRUE(app->serverReachable());
    for (const QString &url :
         {QStringLiteral("http://exa mple"), QStringLiteral("localhost:1"), QString()}) {
        app->setServerReachable(true);
        app->setServerURL(url);
        probe();
        EXPECT_FALSE(app->serverReachable()) << qPrintable(url);
    }
    EXPECT_EQ(server.requestCount(), 1);

    // The path joins the URL's own with one slash, before its query; blanks around are dropped.
    server.setHandler("/api/health", [](const auto &) { return HttpReply::text(200, "ok"); });
    const QList<QPair<QString, QByteArray>> probes = {
        {server.url() + QLatin1Char('/'), "/health"},
        {server.url() + QStringLiteral("/?k=1"), "/health?k=1"},
        {QStringLiteral(" ") + server.url() + QStringLiteral("/api/?k=1#top\n"), "/api/health?k=1"},
    };
    for (const auto &[url, target] : probes) {
        app->setServerReachable(false);
        app->setServerURL(url);
        probe();
        EXPECT_TRUE(app->serverReachable()) << qPrintable(url);
        EXPECT_EQ(server.requests().last().target, target);
    }
}

TEST_F(AppStateMonitoring, RecorderLevelsAreSmoothedAndResetAtEachStart)
{
    create();
    for (float expected : {0.4f, 0.64f, 0.784f}) {
        app->handleAudioLevel(1.0f);
        EXPECT_FLOAT_EQ(app->currentAudioLevel(), expected);
    }
    app->startRecording();
    EXPECT_EQ(app->currentAudioLevel(), 0.0f);
}

namespace {

class RecordingPresenter final : public OnboardingPresenter
{
public:
    explicit RecordingPresenter(QStringList &calls) : m_calls(calls) {}
    ~RecordingPresenter() override { m_calls.append(QStringLiteral("destroyed")); }
    void createPanel() override { m_calls.append(QStringLiteral("createPanel")); }
    void startPermissionsOnlyObserver() override { m_calls.append(QStringLiteral("permissions")); }
    void startObserving() override { m_calls.append(QStringLiteral("observe")); }
    void installActivationObserver() override { m_calls.append(QStringLiteral("activation")); }
    void show(int retry) override { m_calls.append(QStringLiteral("show %1").arg(retry)); }
    void dismiss() override { m_calls.append(QStringLiteral("dismiss")); }

private:
    QStringList &m_calls;
};

} // namespace

TEST_F(AppStateMonitoring, CompletingOnboardingStoresItDropsTheWindowAndAsksForPosting)
{
    permissions->postEvents = false;
    create();
    QStringList calls;
    app->setOnboardingWindow(std::make_unique<RecordingPresenter>(calls));
    QSignalSpy completed(app.get(), &AppState::onboardingCompleteChanged);
    app->completeOnboarding();
    EXPECT_TRUE(app->onboardingComplete());
    EXPECT_EQ(completed.count(), 1);
    EXPECT_EQ(defaults->boolean(QStringLiteral("onboardingComplete")), true);
    EXPECT_EQ(calls, (QStringList{QStringLiteral("dismiss"), QStringLiteral("destroyed")}));
    EXPECT_EQ(app->onboardingWindow(), nullptr);
    EXPECT_EQ(permissions->postEventRequests, 1);
    EXPECT_TRUE(app->recorder().isWarmingUp());

    // Again, with nothing left to do: no window, posting granted, no microphone.
    permissions->postEvents = true;
    app->setMicPermissionGranted(false);
    scheduler->advance(1.0);
    app->completeOnboarding();
    EXPECT_EQ(completed.count(), 1);
    EXPECT_EQ(permissions->postEventRequests, 1);
    EXPECT_FALSE(app->recorder().isWarmingUp());
}

TEST_F(AppStateMonitoring, TheAccessibilityResetIsLeftToThePlatformAndRunsNothingItself)
{
    create();
    testsupport::ChildProcessCounter children;
    app->resetAccessibilityPermission();
    EXPECT_EQ(permissions->accessibilityResets, QStringList{QStringLiteral("org.parlovox.Tests")});
    EXPECT_EQ(children.ended(), 0);
    EXPECT_TRUE(log.lines().isEmpty());
}
