// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <functional>
#include <memory>

class AppState;
class UpdaterManager;

namespace platform {
class TimerHandle;
}

namespace ui {

class MenuBarView;

// The tray window: a frameless window holding MenuBarView that opens next to the tray icon
// (under it for a panel at the top of the screen, above it for one at the bottom, always on
// screen) and closes on Escape, when it loses the focus (a click anywhere else), and when one of
// its commands opens another window. It is no popup: a popup grabs the keyboard, and the
// push-to-talk shortcut must keep working while the window is open. When a transcript is about
// to be pasted while it has the focus it closes too, and the paste waits until the window
// manager has given the focus back to the program the user was in.
// A keyboard grab (a held hot key, ours or another program's) is no loss of focus: the platform
// layer keeps it from looking like one, so the window stays and shows the dictation.
// One instance lives as long as the program; closing only hides it.
class MenuBarWindow final : public QWidget
{
    Q_OBJECT

public:
    // Space between the tray icon and the window.
    static constexpr int gap = 4;
    // The longest a paste waits for the focus to leave the closed window.
    static constexpr double focusReturnLimit = 0.5;

    // `openSettings` brings up the settings window.
    MenuBarWindow(AppState &appState, UpdaterManager &updaterManager,
                  std::function<void()> openSettings, QWidget *parent = nullptr);
    ~MenuBarWindow() override;

    // Opens the window next to the tray icon whose global geometry is `trayIconGeometry`; an
    // empty geometry (no tray host reports one) opens it at the mouse pointer.
    void showNear(const QRect &trayIconGeometry);
    // What a click on the tray icon does: opens the window, or closes it when open.
    void toggleNear(const QRect &trayIconGeometry);

    MenuBarView &view() const { return *m_view; }

    // The top-left corner of a window of `size` beside `icon`, on the screen whose whole area
    // is `screen` and whose area free of panels is `available`.
    static QPoint placement(const QRect &icon, const QSize &size, const QRect &screen,
                            const QRect &available);

protected:
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void place();
    void makeWayForPaste();
    void holdPasteUntilFocusReturns(quint64 ownWindow);
    void releasePaste();
    bool holdsFocus() const;

    AppState &m_appState;
    MenuBarView *m_view;
    QRect m_anchor;
    bool m_holdsPaste = false;
    QMetaObject::Connection m_focusWatch;
    std::unique_ptr<platform::TimerHandle> m_focusReturnLimit;
};

} // namespace ui
