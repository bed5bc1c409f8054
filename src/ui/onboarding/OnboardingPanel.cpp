// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/onboarding/OnboardingPanel.h"

#include "ui/onboarding/OnboardingWindowView.h"

#include <QEvent>
#include <QVBoxLayout>

namespace ui {

OnboardingPanel::OnboardingPanel(AppState &appState, bool permissionsOnly, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_view(new OnboardingWindowView(appState, permissionsOnly, this))
{
    setWindowTitle(QStringLiteral("Parlovox"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFixedSize(400, 480);
}

void OnboardingPanel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Window managers offer minimising whatever the window asks for, and a minimised guide is lost
    // to a user who has no tray entry to bring it back: it comes straight back instead.
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isMinimized())
                    setWindowState(windowState() & ~Qt::WindowMinimized);
            },
            Qt::QueuedConnection);
}

} // namespace ui
