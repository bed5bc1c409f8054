// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class AppState;
class QPushButton;

namespace ui {

class IconLabel;
class OnboardingPermissionRow;

// The first step of the onboarding window, and the whole of the permissions-only window: the
// microphone and Accessibility rows, and a footer whose button ("Continue", or "Done" when only
// Accessibility is being restored) waits until the permissions it needs are granted.
class OnboardingPermissionsStep final : public QWidget
{
    Q_OBJECT

public:
    OnboardingPermissionsStep(AppState &appState, bool permissionsOnly, QWidget *parent = nullptr);

    OnboardingPermissionRow *microphoneRow() const { return m_microphoneRow; }
    OnboardingPermissionRow *accessibilityRow() const { return m_accessibilityRow; }
    IconLabel *readyLabel() const { return m_readyLabel; }
    QPushButton *mainButton() const { return m_mainButton; }

signals:
    // "Continue" was pressed (full onboarding).
    void continueRequested();

private:
    void refresh();
    void finish();

    QPointer<AppState> m_appState;
    bool m_permissionsOnly;
    OnboardingPermissionRow *m_microphoneRow = nullptr;
    OnboardingPermissionRow *m_accessibilityRow = nullptr;
    IconLabel *m_readyLabel = nullptr;
    QPushButton *m_mainButton = nullptr;
};

} // namespace ui
