// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <functional>

class AppState;
class UpdaterManager;

namespace ui {

class BorderlessButton;

// The tray window's commands: the transcription log, the update check, settings, About, Quit.
class MenuBarCommandList final : public QWidget
{
    Q_OBJECT

public:
    MenuBarCommandList(AppState &appState, UpdaterManager &updaterManager,
                       std::function<void()> openSettings, QWidget *parent = nullptr);

Q_SIGNALS:
    // A command is about to bring up another window; the tray window should close.
    void dismissRequested();

private:
    BorderlessButton *addCommand(const QString &name, const QString &symbol, const QString &text,
                                 std::function<void()> action);
    void refreshUpdateEntry();

    AppState &m_appState;
    UpdaterManager &m_updaterManager;
    std::function<void()> m_openSettings;
    BorderlessButton *m_update = nullptr;
};

} // namespace ui
