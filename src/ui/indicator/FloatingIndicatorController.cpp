// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicator/FloatingIndicatorController.h"

#include "engine/AppState.h"
#include "platform/Services.h"
#include "platform/WindowSystem.h"
#include "ui/indicator/FloatingPanel.h"
#include "ui/indicator/RecordingIndicatorView.h"
#include "ui/kit/FrameClock.h"
#include "ui/kit/WindowFade.h"

#include <QCursor>
#include <QGuiApplication>
#include <QRegion>
#include <QScreen>

#include <cmath>

namespace ui {

FloatingIndicatorController::FloatingIndicatorController(AppState &appState, QObject *parent)
    : QObject(parent), m_appState(appState), m_windowSystem(appState.services().windowSystem.get())
{}

FloatingIndicatorController::~FloatingIndicatorController() = default;

void FloatingIndicatorController::createPanel()
{
    auto panel = std::make_unique<FloatingPanel>();
    m_view = new RecordingIndicatorView(m_appState, panel.get());
    m_view->setGeometry(QRect(QPoint(0, 0), FloatingPanel::panelSize));
    m_panel = std::move(panel);
    // The capsule changes its width while it animates; a cut panel follows it frame by frame.
    connect(&m_view->frameClock(), &FrameClock::frame, this,
            &FloatingIndicatorController::followShape);
    if (m_windowSystem)
        connect(m_windowSystem, &platform::WindowSystem::compositingChanged, this,
                &FloatingIndicatorController::followShape);
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
    if (const QScreen *screen = mainScreen())
        m_panel->move(panelOrigin(screen->availableGeometry(), m_panel->size()));
    // Cut before it is first seen, so no black frame shows around the capsule.
    followShape();
    WindowFade::fadeIn(m_panel.get(), fadeDuration());
}

void FloatingIndicatorController::fadeOut()
{
    if (m_panel)
        WindowFade::fadeOut(m_panel.get(), fadeDuration());
}

QScreen *FloatingIndicatorController::mainScreen() const
{
    if (m_windowSystem) {
        if (const std::optional<QPoint> active = m_windowSystem->activeWindowCenter()) {
            if (QScreen *screen = QGuiApplication::screenAt(*active))
                return screen;
        }
    }
    if (QScreen *screen = QGuiApplication::screenAt(QCursor::pos()))
        return screen;
    return QGuiApplication::primaryScreen();
}

bool FloatingIndicatorController::isCompositing() const
{
    return !m_windowSystem || m_windowSystem->isCompositing();
}

void FloatingIndicatorController::followShape()
{
    if (!m_panel)
        return;
    m_panel->setMask(isCompositing() ? QRegion() : m_view->capsuleRegion());
}

QPoint FloatingIndicatorController::panelOrigin(const QRect &available, const QSize &panelSize)
{
    const double centerX = available.x() + available.width() / 2.0;
    const int x = int(std::lround(centerX - panelSize.width() / 2.0));
    const int y = available.y() + 60 - panelSize.height();
    return {x, y};
}

} // namespace ui
