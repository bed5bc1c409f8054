// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/FloatingIndicator.h"

#include <QObject>
#include <QPoint>

#include <memory>

class AppState;
class QRect;
class QSize;

namespace ui {

class FloatingPanel;
class RecordingIndicatorView;

// Shows the floating indicator while AppState records or transcribes and during the "Too short"
// flash, and fades it away otherwise. It acts only when the state or the flash changes.
class FloatingIndicatorController final : public QObject, public FloatingIndicator
{
    Q_OBJECT

public:
    static constexpr double fadeSeconds = 0.15;

    explicit FloatingIndicatorController(AppState &appState, QObject *parent = nullptr);
    ~FloatingIndicatorController() override;

    void createPanel() override;
    void startObserving() override;

    // Puts the panel at the top centre of the primary screen and fades it in.
    void show();
    // Fades the panel out and then takes it off the screen.
    void fadeOut();

    FloatingPanel *panel() const { return m_panel.get(); }
    RecordingIndicatorView *view() const { return m_view; }

    // The panel's top-left corner in an `available` screen area: centred, its bottom edge 60
    // below the area's top (so a 38 tall panel starts 22 below it).
    static QPoint panelOrigin(const QRect &available, const QSize &panelSize);

private:
    // Decides from the current state and flash whether the panel is to be seen.
    void followState();

    AppState &m_appState;
    std::unique_ptr<FloatingPanel> m_panel;
    RecordingIndicatorView *m_view = nullptr;
};

} // namespace ui
