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

namespace {

// The logical pixels that cover every pixel of `region`, given in pixels of `scale` logical ones.
QRegion coveringLogicalPixels(const QRegion &region, qreal scale)
{
    QRegion covering;
    for (const QRect &rect : region) {
        const int left = int(std::floor(rect.x() / scale));
        const int top = int(std::floor(rect.y() / scale));
        const int right = int(std::ceil((rect.x() + rect.width()) / scale));
        const int bottom = int(std::ceil((rect.y() + rect.height()) / scale));
        covering += QRect(left, top, right - left, bottom - top);
    }
    return covering;
}

} // namespace

void FloatingIndicatorController::followShape()
{
    if (!m_panel)
        return;
    if (isCompositing()) {
        m_panel->setMask(QRegion());
        m_deviceShape = QRegion();
        return;
    }
    const qreal scale = m_panel->devicePixelRatioF();
    const QRegion device = m_view->capsuleRegion(scale);
    // Qt cuts in whole logical pixels, so on a scaled screen the rounded ends would step in
    // blocks of the scale factor. Its cut covers the capsule (and lets it be painted there); the
    // window system then trims the edge at device pixels where it can.
    m_panel->setMask(coveringLogicalPixels(device, scale));
    if (device == m_deviceShape || !m_windowSystem)
        return;
    m_panel->winId(); // the window system cuts a window that exists
    if (m_windowSystem->shapeWindow(*m_panel->windowHandle(), device))
        m_deviceShape = device;
}

QPoint FloatingIndicatorController::panelOrigin(const QRect &available, const QSize &panelSize)
{
    const double centerX = available.x() + available.width() / 2.0;
    const int x = int(std::lround(centerX - panelSize.width() / 2.0));
    const int y = available.y() + 60 - panelSize.height();
    return {x, y};
}

} // namespace ui
