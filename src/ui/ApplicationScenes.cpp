// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ApplicationScenes.h"

#include "engine/AppState.h"
#include "ui/menubar/MenuBarExtra.h"
#include "ui/menubar/MenuBarWindow.h"
#include "ui/settings/InputTab.h"
#include "ui/settings/SettingsView.h"

namespace ui {

ApplicationScenes::ApplicationScenes(AppState &appState, UpdaterManager &updaterManager,
                                     std::function<void()> lateInit, QObject *parent)
    : QObject(parent), m_appState(appState), m_updaterManager(updaterManager),
      m_menuBarWindow(
          std::make_unique<MenuBarWindow>(appState, updaterManager, [this] { openSettings(); }))
{
    MenuBarExtra::Actions actions;
    actions.openWindow = [this](const QRect &iconGeometry) {
        m_menuBarWindow->toggleNear(iconGeometry);
    };
    actions.openSettings = [this] { openSettings(); };
    actions.lateInit = std::move(lateInit);
    m_menuBarExtra =
        std::make_unique<MenuBarExtra>(appState, updaterManager, std::move(actions), this);
}

ApplicationScenes::~ApplicationScenes() = default;

void ApplicationScenes::openSettings()
{
    if (!m_settingsWindow) {
        m_settingsWindow = std::make_unique<SettingsView>(
            m_appState, m_updaterManager, m_appState.services(),
            [this](QWidget *parent) { return new InputTab(m_appState, parent); });
        m_settingsWindow->setWindowTitle(tr("Parlovox Settings"));
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
}

} // namespace ui
