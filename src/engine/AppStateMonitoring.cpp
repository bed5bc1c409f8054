// SPDX-License-Identifier: GPL-3.0-or-later
// AppState: the permission poll, the login item, the server-health probe, the level smoothing
// and the end of onboarding.
#include "AppState.h"

#include "engine/AudioRecorder.h"
#include "engine/EngineLogging.h"
#include "engine/HttpClient.h"
#include "engine/OnboardingPresenter.h"
#include "engine/RetryQueueManager.h"
#include "engine/ServerEndpoint.h"
#include "platform/Bundle.h"
#include "platform/LoginItem.h"
#include "platform/Permissions.h"
#include "platform/Scheduler.h"
#include "platform/Services.h"
#include "platform/UserDefaults.h"

#include <QPointer>

namespace {

// Used for the privacy reset when the bundle has no identifier of its own.
const QString kFallbackBundleIdentifier = QStringLiteral("org.parlovox.Parlovox");

} // namespace

void AppState::startPermissionMonitoring()
{
    // Fixed now: completing onboarding later does not slow the poll until the next launch.
    const double interval = m_onboardingComplete ? 3.0 : 1.0;
    QPointer<AppState> self(this);
    m_permissionCheckTimer = m_services.scheduler->repeating(interval, [self] {
        if (self)
            self->refreshPermissions();
    });
}

void AppState::refreshPermissions()
{
    const bool wasGranted = m_accessibilityGranted;
    setAccessibilityGranted(m_services.permissions->isProcessTrusted());
    setMicPermissionGranted(m_services.permissions->microphoneAuthorized());
    if (wasGranted && !m_accessibilityGranted)
        qCInfo(lcAppState,
               "[AppState] Accessibility permission revoked — may need re-grant after update");
}

void AppState::requestMicrophonePermission()
{
    QPointer<AppState> self(this);
    m_services.permissions->requestMicrophoneAccess([self](bool granted) {
        qCInfo(lcAppState, "[AppState] Mic permission: %s", granted ? "granted" : "DENIED");
        if (!self)
            return;
        self->setMicPermissionGranted(granted);
        if (granted)
            self->m_recorder->warmUp();
    });
}

void AppState::resetAccessibilityPermission()
{
    QString identifier = m_services.bundle->identifier();
    if (identifier.isEmpty())
        identifier = kFallbackBundleIdentifier;
    m_services.permissions->resetAccessibilityGrant(identifier);
}

void AppState::applyLaunchAtLogin(bool enabled, bool mayRevert)
{
    const bool previous = m_launchAtLogin;
    if (m_launchAtLogin != enabled) {
        m_launchAtLogin = enabled;
        Q_EMIT launchAtLoginChanged();
    }
    platform::LoginItem &loginItem = *m_services.loginItem;
    const platform::LoginItem::Failure failure =
        enabled ? loginItem.registerMainApp() : loginItem.unregisterMainApp();
    if (!failure)
        return;
    qCCritical(lcAppState, "[AppState] Launch at login failed: %s", qUtf8Printable(*failure));
    // One revert at most, which also brings the registration back in line with the old value.
    if (mayRevert)
        applyLaunchAtLogin(previous, false);
}

void AppState::startHealthCheck()
{
    checkServerHealth();
    QPointer<AppState> self(this);
    m_healthCheckTimer = m_services.scheduler->repeating(healthCheckIntervalSeconds, [self] {
        if (self)
            self->checkServerHealth();
    });
}

QCoro::Task<> AppState::checkServerHealth()
{
    QPointer<AppState> self(this);
    // Each probe compares with what it saw at its own start, so overlapping probes are fine.
    const bool wasReachable = m_serverReachable;
    const ServerEndpoint endpoint = ServerEndpoint::of(m_serverURL, QStringLiteral("/health"));
    if (!endpoint.isUsable()) {
        setServerReachable(false);
        co_return;
    }

    // Only the status counts: the body is never read, and the platform client's 60 s default
    // bounds an idle server as well as one that trickles its answer.
    HttpClient::Request request;
    request.url = endpoint.url();
    request.followRedirects = true;
    request.idleTimeoutSeconds = healthProbeTimeoutSeconds;
    request.deadlineSeconds = healthProbeTimeoutSeconds;
    const HttpClient::Response response = co_await m_http->send(request);
    if (!self)
        co_return;
    // A probe can outlive the URL it was sent for by up to its timeout: its answer says nothing
    // about the server the user has since named.
    if (ServerEndpoint::of(self->m_serverURL, QStringLiteral("/health")).url() != endpoint.url())
        co_return;

    const bool reachable =
        response.outcome == HttpClient::Response::Outcome::completed && response.status == 200;
    self->setServerReachable(reachable);
    RetryQueueManager *queue = self->m_retryQueueManager.get();
    // The first reachable probe after launch counts as the edge too, so recordings queued by an
    // earlier run go out right after start-up. While the server stays reachable, a recording
    // whose back-off has passed would otherwise wait for the server to go down and come back.
    if (reachable && queue && (!wasReachable || queue->hasDueEntry()))
        queue->processQueue();
}

void AppState::handleAudioLevel(float level)
{
    setCurrentAudioLevel(level * 0.4f + m_currentAudioLevel * 0.6f);
}

void AppState::completeOnboarding()
{
    setOnboardingComplete(true);
    m_services.userDefaults->setBool(QStringLiteral("onboardingComplete"), true);
    if (m_onboardingWindow) {
        m_onboardingWindow->dismiss();
        setOnboardingWindow(nullptr);
    }
    platform::Permissions &permissions = *m_services.permissions;
    if (!permissions.preflightPostEventAccess()) {
        permissions.requestPostEventAccess();
        permissions.preflightPostEventAccess();
    }
    if (m_micPermissionGranted)
        m_recorder->warmUp();
}
