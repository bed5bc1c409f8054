// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/onboarding/OnboardingWindowController.h"

#include "engine/AppState.h"
#include "engine/EngineLogging.h"
#include "platform/Permissions.h"
#include "platform/Scheduler.h"
#include "platform/Services.h"
#include "platform/Workspace.h"
#include "ui/kit/WindowFade.h"
#include "ui/onboarding/OnboardingPanel.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace ui {

OnboardingWindowController::OnboardingWindowController(AppState &appState, bool permissionsOnly)
    : m_appState(appState), m_permissionsOnly(permissionsOnly),
      m_screenProvider([] { return QGuiApplication::primaryScreen(); })
{}

OnboardingWindowController::~OnboardingWindowController()
{
    disconnect(m_observation);
    disconnect(m_activationObserver);
    // Not ordered out here: a fade that is running ends first, then the window goes with it.
    WindowFade::deleteWhenDone(m_panel.release());
}

OnboardingPanel *OnboardingWindowController::panel() const
{
    return m_panel.get();
}

void OnboardingWindowController::createPanel()
{
    WindowFade::deleteWhenDone(m_panel.release());
    m_panel = std::make_unique<OnboardingPanel>(m_appState, m_permissionsOnly);
}

void OnboardingWindowController::startPermissionsOnlyObserver()
{
    startClosingObserver(&AppState::accessibilityGranted, &AppState::accessibilityGrantedChanged);
}

void OnboardingWindowController::startObserving()
{
    startClosingObserver(&AppState::onboardingComplete, &AppState::onboardingCompleteChanged);
}

void OnboardingWindowController::startClosingObserver(bool (AppState::*watched)() const,
                                                      void (AppState::*changed)())
{
    m_watched = watched;
    m_observation =
        connect(&m_appState, changed, this, &OnboardingWindowController::checkClosingCondition);
    // The first look comes after the current work, so the owner's show() has run by then.
    QMetaObject::invokeMethod(this, &OnboardingWindowController::checkClosingCondition,
                              Qt::QueuedConnection);
}

void OnboardingWindowController::checkClosingCondition()
{
    if (!m_watched || !m_observation)
        return;
    if (!(m_appState.*m_watched)())
        return;
    // Closes once; the window stays with the controller until the owner lets it go.
    disconnect(m_observation);
    m_observation = {};
    dismiss();
}

void OnboardingWindowController::installActivationObserver()
{
    m_activationObserver = connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
                                   [this](Qt::ApplicationState state) {
                                       if (state == Qt::ApplicationActive)
                                           activated();
                                   });
}

void OnboardingWindowController::activated()
{
    if (!m_panel || !m_panel->isVisible())
        return;
    m_panel->raise();
    m_panel->activateWindow();
    platform::Permissions &permissions = *m_appState.services().permissions;
    m_appState.setAccessibilityGranted(permissions.isProcessTrusted());
    m_appState.setMicPermissionGranted(permissions.microphoneAuthorized());
}

void OnboardingWindowController::show(int retryCount)
{
    qCInfo(lcOnboarding, "[Onboarding] show() called (retry %d), panel: %s", retryCount,
           m_panel ? "exists" : "nil");
    if (!m_panel) {
        qCCritical(lcOnboarding, "[Onboarding] show() bailing — panel is nil");
        return;
    }
    if (QScreen *screen = m_screenProvider ? m_screenProvider() : nullptr) {
        const QRectF visible = screen->availableGeometry();
        const QRect frame = m_panel->frameGeometry();
        m_panel->move(qRound(visible.center().x() - frame.width() * 0.5),
                      qRound(visible.center().y() - frame.height() * 0.5));
        WindowFade::fadeIn(m_panel.get(), fadeInSeconds);
        m_panel->activateWindow();
        if (platform::Workspace *workspace = m_appState.services().workspace.get())
            workspace->activateApplication();
        const QRect shown = m_panel->frameGeometry();
        qCInfo(lcOnboarding, "[Onboarding] Panel shown, frame: (%d, %d, %d, %d)", shown.x(),
               shown.y(), shown.width(), shown.height());
        return;
    }
    if (retryCount >= maxRetries) {
        qCCritical(lcOnboarding,
                   "[Onboarding] show() gave up — NSScreen.main still nil after %d retries",
                   retryCount);
        return;
    }
    qCInfo(lcOnboarding, "[Onboarding] NSScreen.main nil, retrying in 0.5s (attempt %d)",
           retryCount + 1);
    QPointer<OnboardingWindowController> self(this);
    m_appState.services().scheduler->after(retryDelaySeconds, [self, retryCount] {
        if (self)
            self->show(retryCount + 1);
    });
}

void OnboardingWindowController::dismiss()
{
    if (m_panel && m_panel->isVisible())
        WindowFade::fadeOut(m_panel.get(), fadeOutSeconds);
}

std::unique_ptr<OnboardingPresenter> createOnboardingWindow(AppState &appState,
                                                            bool permissionsOnly)
{
    return std::make_unique<OnboardingWindowController>(appState, permissionsOnly);
}

} // namespace ui
