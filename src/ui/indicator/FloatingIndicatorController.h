// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/FloatingIndicator.h"

#include <QObject>
#include <QPoint>
#include <QRegion>

#include <memory>

class AppState;
class QRect;
class QScreen;
class QSize;

namespace platform {
class WindowSystem;
}

namespace ui {

class FloatingPanel;
class RecordingIndicatorView;

// Shows the floating indicator while AppState records or transcribes and during the "Too short"
// flash, and fades it away otherwise. It acts only when the state or the flash changes. Without a
// compositing manager the see-through parts of the panel would show black: the panel is then cut
// to the capsule's shape and appears and goes without a fade (its opacity would not show).
class FloatingIndicatorController final : public QObject, public FloatingIndicator
{
    Q_OBJECT

public:
    static constexpr double fadeSeconds = 0.15;

    explicit FloatingIndicatorController(AppState &appState, QObject *parent = nullptr);
    ~FloatingIndicatorController() override;

    void createPanel() override;
    void startObserving() override;

    // Puts the panel at the top centre of the main screen and fades it in.
    void show();
    // Fades the panel out and then takes it off the screen.
    void fadeOut();

    FloatingPanel *panel() const { return m_panel.get(); }
    RecordingIndicatorView *view() const { return m_view; }

    // The panel's top-left corner in an `available` screen area: centred, its bottom edge 60
    // below the area's top (so a 38 tall panel starts 22 below it).
    static QPoint panelOrigin(const QRect &available, const QSize &panelSize);

    // The screen the user works on: the active window's, else the pointer's, else the primary.
    QScreen *mainScreen() const;

private:
    // Decides from the current state and flash whether the panel is to be seen.
    void followState();
    bool isCompositing() const;
    double fadeDuration() const { return isCompositing() ? fadeSeconds : 0; }
    // Cuts the panel to the capsule where nothing can be seen through it, or lifts the cut.
    void followShape();

    AppState &m_appState;
    platform::WindowSystem *m_windowSystem;
    std::unique_ptr<FloatingPanel> m_panel;
    RecordingIndicatorView *m_view = nullptr;
    // The cut last given to the window system, in device pixels; empty while there is none.
    QRegion m_deviceShape;
};

} // namespace ui
