// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicator/FloatingIndicatorController.h"

#include "engine/AppState.h"
#include "ui/indicator/FloatingPanel.h"
#include "ui/indicator/RecordingIndicatorView.h"
#include "ui/kit/WindowFade.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace ui {

FloatingIndicatorController::FloatingIndicatorController(AppState &appState, QObject *parent)
    : QObject(parent), m_appState(appState)
{}

FloatingIndicatorController::~FloatingIndicatorController() = default;

void FloatingIndicatorController::createPanel()
{
    auto panel = std::make_unique<FloatingPanel>();
    m_view = new RecordingIndicatorView(m_appState, panel.get());
    m_view->setGeometry(QRect(QPoint(0, 0), FloatingPanel::panelSize));
    m_panel = std::move(panel);
}

void FloatingIndicatorController::startObserving()
{
    connect(&m_appState, &AppState::stateChanged, this, &FloatingIndicatorController::followState,
            Qt::UniqueConnection);
    connect(&m_appState, &AppState::showDiscardedFlashChanged, this,
            &FloatingIndicatorController::followState, Qt::UniqueConnection);
    followState();
}

void FloatingIndicatorController::followState()
{
    const RecordingState state = m_appState.state();
    if (state.isRecording() || state.isProcessing() || m_appState.showDiscardedFlash())
        show();
    else if (m_panel && m_panel->isVisible() && m_panel->windowOpacity() > 0)
        fadeOut();
}

void FloatingIndicatorController::show()
{
    if (!m_panel)
        return;
    // Without a screen the panel stays where it was.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        m_panel->move(panelOrigin(screen->availableGeometry(), m_panel->size()));
    WindowFade::fadeIn(m_panel.get(), fadeSeconds);
}

void FloatingIndicatorController::fadeOut()
{
    if (m_panel)
        WindowFade::fadeOut(m_panel.get(), fadeSeconds);
}

QPoint FloatingIndicatorController::panelOrigin(const QRect &available, const QSize &panelSize)
{
    const double centerX = available.x() + available.width() / 2.0;
    const int x = int(std::lround(centerX - panelSize.width() / 2.0));
    const int y = available.y() + 60 - panelSize.height();
    return {x, y};
}

} // namespace ui
