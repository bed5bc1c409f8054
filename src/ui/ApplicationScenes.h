// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>
#include <memory>

class AppState;
class UpdaterManager;

namespace ui {

class MenuBarExtra;
class MenuBarWindow;
class SettingsView;

// What the program shows for itself: the tray icon with its window, and the settings window.
// The settings window is made when first asked for and kept afterwards (it keeps its place on
// the screen); its tabs start afresh each time it opens again.
class ApplicationScenes final : public QObject
{
    Q_OBJECT

public:
    // `lateInit` runs once, when the tray icon is first shown. `appState` and `updaterManager`
    // must outlive the scenes.
    ApplicationScenes(AppState &appState, UpdaterManager &updaterManager,
                      std::function<void()> lateInit, QObject *parent = nullptr);
    ~ApplicationScenes() override;

    void openSettings();

    MenuBarExtra &menuBarExtra() const { return *m_menuBarExtra; }
    MenuBarWindow &menuBarWindow() const { return *m_menuBarWindow; }
    // The settings window once it was opened, else null.
    SettingsView *settingsWindow() const { return m_settingsWindow.get(); }

private:
    AppState &m_appState;
    UpdaterManager &m_updaterManager;
    std::unique_ptr<MenuBarWindow> m_menuBarWindow;
    std::unique_ptr<SettingsView> m_settingsWindow;
    std::unique_ptr<MenuBarExtra> m_menuBarExtra;
};

} // namespace ui
