// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class AppState;
class QAbstractAnimation;

namespace ui {

class OnboardingPermissionsStep;
class OnboardingTryItStep;

// The whole content of the onboarding window, 400 × 480: the permissions step, then (full
// onboarding only, after "Continue") the try-it step, sliding in from the trailing edge while
// the permissions step leaves by the leading one. There is no way back.
class OnboardingWindowView final : public QWidget
{
    Q_OBJECT

public:
    OnboardingWindowView(AppState &appState, bool permissionsOnly, QWidget *parent = nullptr);

    bool showTryIt() const { return m_showTryIt; }
    void setShowTryIt(bool show);

    OnboardingPermissionsStep *permissionsStep() const { return m_permissions; }
    // Built when first shown.
    OnboardingTryItStep *tryItStep() const { return m_tryIt; }

private:
    AppState &m_appState;
    bool m_showTryIt = false;
    OnboardingPermissionsStep *m_permissions = nullptr;
    OnboardingTryItStep *m_tryIt = nullptr;
};

} // namespace ui
