// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class AppState;

namespace ui {

class OnboardingWindowView;

// The onboarding window: 400 × 480, titled "Parlovox", closable but neither resizable nor
// minimisable (a window manager that minimises it anyway sees it restored at once), an ordinary
// window that stays on screen when the program is not in front. Closing it only hides it; its
// controller keeps it.
class OnboardingPanel final : public QWidget
{
    Q_OBJECT

public:
    OnboardingPanel(AppState &appState, bool permissionsOnly, QWidget *parent = nullptr);

    OnboardingWindowView *view() const { return m_view; }

protected:
    void changeEvent(QEvent *event) override;

private:
    OnboardingWindowView *m_view = nullptr;
};

} // namespace ui
