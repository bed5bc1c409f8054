// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QObject>
#include <QPair>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class AppState;
class QMenu;
class QSystemTrayIcon;
class UpdaterManager;

namespace platform {
class TimerHandle;
}

namespace ui {

// The program's icon in the desktop's system tray: its only permanent presence on screen. The
// picture follows AppState::menuBarIconName, or shows the update symbol while an update is
// available; a click opens the tray window, the context menu offers the settings. Showing the
// icon for the first time runs the deferred start-up. Without a tray the program runs on (the
// shortcut, the indicator and onboarding need none); the icon appears once a tray does.
// The context menu holds the keyboard while open: a transcript about to be pasted closes it, and
// the paste waits until the keyboard is the user's again.
class MenuBarExtra final : public QObject
{
    Q_OBJECT

public:
    // How often the tray's arrival is looked for while there is none.
    static constexpr double trayPollSeconds = 2.0;

    struct Actions
    {
        // Opens the tray window beside the icon, whose geometry on screen is given (empty when
        // the tray does not tell).
        std::function<void(const QRect &iconGeometry)> openWindow;
        std::function<void()> openSettings;
        // The deferred start-up: called once, on the turn of the event loop after the icon was
        // first shown.
        std::function<void()> lateInit;
    };

    // Shows the icon at once when there is a tray. Both models must outlive the icon.
    MenuBarExtra(AppState &appState, UpdaterManager &updaterManager, Actions actions,
                 QObject *parent = nullptr);
    ~MenuBarExtra() override;

    // The symbol shown now.
    QString iconName() const { return m_iconName; }
    // Whether the icon has been put into a tray.
    bool isShown() const;
    QSystemTrayIcon &trayIcon() const { return *m_trayIcon; }
    QMenu &contextMenu() const { return *m_menu; }

signals:
    void iconNameChanged();
    void shownChanged();

private:
    QString currentIconName() const;
    void render();
    // The tray's picture of `symbol` in the desktop's colours, drawn once per symbol.
    QIcon picture(const QString &symbol);
    void showWhenTrayExists();
    void makeWayForPaste();
    void releasePaste();

    AppState &m_appState;
    UpdaterManager &m_updaterManager;
    Actions m_actions;
    QString m_iconName;
    QHash<QString, QIcon> m_pictures;
    // The window and text colours the pictures were drawn in.
    QPair<QRgb, QRgb> m_pictureColors;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_trayIcon;
    std::unique_ptr<platform::TimerHandle> m_trayPoll;
    bool m_lateInitRequested = false;
    bool m_holdsPaste = false;
};

} // namespace ui
