// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/menubar/MenuBarWindow.h"

#include "engine/AppState.h"
#include "platform/Scheduler.h"
#include "platform/Services.h"
#include "platform/WindowSystem.h"
#include "ui/menubar/MenuBarView.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include <utility>

namespace ui {

MenuBarWindow::MenuBarWindow(AppState &appState, UpdaterManager &updaterManager,
                             std::function<void()> openSettings, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_appState(appState),
      m_view(new MenuBarView(appState, updaterManager, std::move(openSettings), this))
{
    setObjectName(QStringLiteral("menuBarWindow"));
    setWindowTitle(QStringLiteral("Parlovox"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    // The window is as tall as what it shows at the moment, and follows it.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(m_view, &MenuBarView::dismissRequested, this, &QWidget::close);
    connect(&m_appState, &AppState::pasteDue, this, &MenuBarWindow::makeWayForPaste);
}

// A paste still held is left to the state: it goes on once this window has gone, unless the
// program is quitting.
MenuBarWindow::~MenuBarWindow() = default;

void MenuBarWindow::makeWayForPaste()
{
    // The paste goes to the focused window. Without a paste to come the window stays and shows
    // the transcription.
    if (!isVisible() || !holdsFocus())
        return;
    const quint64 ownWindow = winId();
    close();
    holdPasteUntilFocusReturns(ownWindow);
}

void MenuBarWindow::holdPasteUntilFocusReturns(quint64 ownWindow)
{
    platform::WindowSystem *windows = m_appState.services().windowSystem.get();
    if (!windows)
        return;
    // The window manager hands the focus on only after the window is gone, so the paste waits
    // for another window to become active; a desktop with no other window gets a moment.
    m_holdsPaste = true;
    m_appState.holdPaste(this);
    const auto focusElsewhere = [windows, ownWindow] {
        const std::optional<quint64> active = windows->activeWindow();
        return active && *active != ownWindow;
    };
    m_focusWatch = connect(windows, &platform::WindowSystem::activeWindowChanged, this,
                           [this, focusElsewhere] {
                               if (focusElsewhere())
                                   releasePaste();
                           });
    const QPointer<MenuBarWindow> self(this);
    m_focusReturnLimit = m_appState.services().scheduler->singleShot(focusReturnLimit, [self] {
        if (self)
            self->m_appState.services().scheduler->after(0, [self] {
                if (self)
                    self->releasePaste();
            });
    });
}

void MenuBarWindow::releasePaste()
{
    if (!std::exchange(m_holdsPaste, false))
        return;
    disconnect(m_focusWatch);
    m_focusReturnLimit.reset();
    m_appState.releasePaste(this);
}

void MenuBarWindow::showNear(const QRect &trayIconGeometry)
{
    m_anchor = trayIconGeometry.isValid() ? trayIconGeometry : QRect(QCursor::pos(), QSize(1, 1));
    adjustSize();
    place();
    show();
    raise();
    activateWindow();
}

void MenuBarWindow::toggleNear(const QRect &trayIconGeometry)
{
    if (isVisible())
        close();
    else
        showNear(trayIconGeometry);
}

QPoint MenuBarWindow::placement(const QRect &icon, const QSize &size, const QRect &screen,
                                const QRect &available)
{
    const bool trayAtTop = icon.center().y() < screen.center().y();
    QPoint corner(icon.left(),
                  trayAtTop ? icon.bottom() + 1 + gap : icon.top() - gap - size.height());
    // Kept on the screen, off any panel; a window too big for the room keeps its top-left.
    corner.setX(qMax(available.left(), qMin(corner.x(), available.right() + 1 - size.width())));
    corner.setY(qMax(available.top(), qMin(corner.y(), available.bottom() + 1 - size.height())));
    return corner;
}

void MenuBarWindow::place()
{
    QScreen *screen = QGuiApplication::screenAt(m_anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(placement(m_anchor, size(), screen->geometry(), screen->availableGeometry()));
}

bool MenuBarWindow::holdsFocus() const
{
    // A dialog opened from the window counts: its focus is the window's.
    return windowHandle() && windowHandle()->isActive();
}

void MenuBarWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // A click into another window takes the focus away: the window goes, as a popup would.
    if (event->type() == QEvent::ActivationChange && isVisible() && !holdsFocus())
        close();
}

void MenuBarWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MenuBarWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Growing or shrinking while open keeps the window against the tray icon.
    if (isVisible())
        place();
}

void MenuBarWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    QColor border = palette().color(QPalette::WindowText);
    border.setAlphaF(0.25f);
    painter.setPen(border);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace ui
