// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <functional>

class AppState;
class UpdaterManager;

namespace ui {

class MenuBarSetupView;

// The content of the tray window, 280 wide: the setup view until onboarding is complete, then
// the server status, warnings, pending retries, what dictation is doing, the latest transcripts
// and the commands. Everything it shows is read from AppState and UpdaterManager as they change.
class MenuBarView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int width = 280;
    static constexpr int padding = 12;
    static constexpr double historyFadeSeconds = 0.2;

    // `openSettings` brings up the settings window.
    MenuBarView(AppState &appState, UpdaterManager &updaterManager,
                std::function<void()> openSettings, QWidget *parent = nullptr);

Q_SIGNALS:
    // The user went to another window or program; the tray window should close.
    void dismissRequested();

private:
    QWidget *createNormalVariant(UpdaterManager &updaterManager,
                                 std::function<void()> openSettings);
    void refreshVariant();
    void refreshHistory(bool animated);

    AppState &m_appState;
    MenuBarSetupView *m_setup = nullptr;
    QWidget *m_normal = nullptr;
    QWidget *m_historyDivider = nullptr;
    QWidget *m_historyCard = nullptr;
};

} // namespace ui
