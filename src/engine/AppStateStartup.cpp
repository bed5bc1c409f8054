// SPDX-License-Identifier: GPL-3.0-or-later
// AppState: the deferred start-up that brings dictation up once the application runs.
#include "AppState.h"

#include "engine/AudioRecorder.h"
#include "engine/EngineLogging.h"
#include "engine/FloatingIndicator.h"
#include "engine/HotkeyManager.h"
#include "engine/OnboardingPresenter.h"
#include "engine/RecordingRelease.h"
#include "engine/RetryQueueManager.h"
#include "engine/StaleRecordings.h"
#include "platform/Bundle.h"
#include "platform/Paths.h"
#include "platform/Permissions.h"
#include "platform/Scheduler.h"
#include "platform/Services.h"

#include <QPointer>

namespace {

const char *boolText(bool value)
{
    return value ? "true" : "false";
}

} // namespace

void AppState::lateInit()
{
    // Both the tray's first showing and the launch fallback call this; the first one does it.
    if (m_didLateInit)
        return;
    m_didLateInit = true;

    settleReleasedRecordings();
    recoverStaleRecordings();

    platform::Permissions &permissions = *m_services.permissions;
    qCInfo(lcAppState, "[AppState] Bundle: %s", qUtf8Printable(m_services.bundle->bundlePath()));
    qCInfo(lcAppState, "[AppState] AXIsProcessTrusted: %s",
           boolText(permissions.isProcessTrusted()));
    qCInfo(lcAppState, "[AppState] CGPreflightPostEventAccess: %s",
           boolText(permissions.preflightPostEventAccess()));
    qCInfo(lcAppState, "[AppState] CGPreflightListenEventAccess: %s",
           boolText(permissions.preflightListenEventAccess()));

    // An update can leave the Accessibility grant pointing at the old binary.
    if (m_onboardingComplete && !permissions.isProcessTrusted()) {
        qCInfo(lcAppState,
               "[AppState] Accessibility stale — resetting TCC and showing permissions window");
        resetAccessibilityPermission();
        openOnboardingWindow(true);
    }
    if (m_onboardingComplete && !permissions.preflightPostEventAccess()) {
        permissions.requestPostEventAccess();
        permissions.preflightPostEventAccess();
    }

    startPermissionMonitoring();

    QPointer<AppState> self(this);
    m_recorder->setOnAudioLevel([self](float level) {
        if (self)
            self->handleAudioLevel(level);
    });

    // With a permissions window open the user is busy granting Accessibility; the microphone
    // prompt would compete with it.
    if (m_onboardingComplete && !m_onboardingWindow) {
        m_services.scheduler->after(2.0, [self] {
            if (self)
                self->requestMicrophonePermission();
        });
    }

    setHotkeyManager(std::make_unique<HotkeyManager>(this));
    m_hotkeyManager->configure(m_useFnKey);

    startHealthCheck();

    if (m_windowFactories.floatingIndicator) {
        if (std::unique_ptr<FloatingIndicator> indicator =
                m_windowFactories.floatingIndicator(*this)) {
            indicator->createPanel();
            indicator->startObserving();
            setFloatingIndicator(std::move(indicator));
        }
    }

    qCInfo(lcAppState, "[AppState] onboardingComplete: %s", boolText(m_onboardingComplete));

    if (!m_onboardingComplete) {
        qCInfo(lcAppState, "[AppState] Creating onboarding window");
        openOnboardingWindow(false);
        qCInfo(lcAppState, "[AppState] Onboarding window controller retained: %s",
               boolText(m_onboardingWindow != nullptr));
    }
}

void AppState::settleReleasedRecordings()
{
    // Before the recovery: a recording whose record did not reach the log is recovered with the
    // others, one whose record did must not be.
    const QStringList logged =
        RecordingRelease::settle(*m_logger, m_services.paths->temporaryDirectory());
    for (const QString &name : logged)
        qCInfo(lcAppState, "[AppState] Removed %s, whose record was already logged",
               qUtf8Printable(name));
}

void AppState::recoverStaleRecordings()
{
    // A recording that holds audio was never delivered: an earlier run was killed while it
    // recorded or uploaded, or the queue could not keep it then.
    const QStringList recordings = StaleRecordings::recover(
        *m_services.paths, AudioRecorder::largestRecordingBytes(m_maxRecordingDuration));
    for (const QString &path : recordings) {
        if (!m_retryQueueManager->enqueue(path, RetryQueueStore::recoveredReason))
            qCCritical(lcAppState, "[AppState] Left %s in place: the retry queue cannot keep it",
                       qUtf8Printable(path));
    }
}

void AppState::openOnboardingWindow(bool permissionsOnly)
{
    if (!m_windowFactories.onboardingWindow)
        return;
    std::unique_ptr<OnboardingPresenter> window =
        m_windowFactories.onboardingWindow(*this, permissionsOnly);
    if (!window)
        return;
    window->createPanel();
    if (permissionsOnly)
        window->startPermissionsOnlyObserver();
    else
        window->startObserving();
    window->installActivationObserver();
    OnboardingPresenter *shown = window.get();
    setOnboardingWindow(std::move(window));
    shown->show(0);
}
