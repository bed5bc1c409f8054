// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The onboarding (or permissions-only) window as the engine sees it. The window lives in the
// user interface; AppState creates it through the factory it is given, keeps it while it is
// needed and drops it when onboarding ends. An implementation may be destroyed from a call that
// started in its own window (the "Finish Setup" button), so it must defer deleting its widgets.
class OnboardingPresenter
{
public:
    virtual ~OnboardingPresenter() = default;

    // Builds the (hidden) window.
    virtual void createPanel() = 0;
    // Closes the window once Accessibility is granted (permissions-only mode).
    virtual void startPermissionsOnlyObserver() = 0;
    // Closes the window once onboarding is complete (full onboarding).
    virtual void startObserving() = 0;
    // Brings the window forward and refreshes AppState's permission flags on each activation.
    virtual void installActivationObserver() = 0;
    // Centres and fades the window in; retries a few times while no screen exists yet.
    virtual void show(int retryCount) = 0;
    // Fades the window out; it stays alive and can be dropped by its owner.
    virtual void dismiss() = 0;
};
