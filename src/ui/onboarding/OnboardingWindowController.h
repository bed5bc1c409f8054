// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/OnboardingPresenter.h"

#include <QMetaObject>
#include <QObject>

#include <functional>
#include <memory>

class AppState;
class QScreen;

namespace ui {

class OnboardingPanel;

// Owns the onboarding window for AppState: builds it hidden, shows it centred on the primary
// screen with a short fade (retrying while no screen exists yet), brings it forward and
// refreshes the permission flags whenever the program is activated, and fades it out once its
// mode's condition holds: onboarding complete, or (permissions only) Accessibility granted.
// Destroying the controller ends its observers and lets the window go once the current event
// and any running fade are done (it may be destroyed from a click inside its own window).
class OnboardingWindowController final : public QObject, public OnboardingPresenter
{
    Q_OBJECT

public:
    using ScreenProvider = std::function<QScreen *()>;

    static constexpr double retryDelaySeconds = 0.5;
    static constexpr int maxRetries = 5;
    static constexpr double fadeInSeconds = 0.2;
    static constexpr double fadeOutSeconds = 0.15;

    OnboardingWindowController(AppState &appState, bool permissionsOnly);
    ~OnboardingWindowController() override;

    void createPanel() override;
    void startPermissionsOnlyObserver() override;
    void startObserving() override;
    void installActivationObserver() override;
    void show(int retryCount) override;
    void dismiss() override;

    // The screen to centre on; the primary screen unless a test says otherwise.
    void setScreenProvider(ScreenProvider provider) { m_screenProvider = std::move(provider); }

    OnboardingPanel *panel() const;
    bool permissionsOnly() const { return m_permissionsOnly; }

private:
    void startClosingObserver(bool (AppState::*watched)() const, void (AppState::*changed)());
    void checkClosingCondition();
    void activated();

    AppState &m_appState;
    bool m_permissionsOnly;
    // Let go through WindowFade::deleteWhenDone, so a fade-out still running can end.
    std::unique_ptr<OnboardingPanel> m_panel;
    bool (AppState::*m_watched)() const = nullptr;
    QMetaObject::Connection m_observation;
    QMetaObject::Connection m_activationObserver;
    ScreenProvider m_screenProvider;
};

// The factory AppState::WindowFactories::onboardingWindow expects.
std::unique_ptr<OnboardingPresenter> createOnboardingWindow(AppState &appState,
                                                            bool permissionsOnly);

} // namespace ui
