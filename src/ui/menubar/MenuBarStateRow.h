// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class AppState;

namespace ui {

class IconLabel;

// What dictation is doing now: waiting for the shortcut (or unable to, when the desktop refused
// the recorded one or the Fn key cannot be seen), recording, transcribing, or the last error. A
// change of state fades the new row in.
class MenuBarStateRow final : public QWidget
{
    Q_OBJECT

public:
    static constexpr double animationSeconds = 0.15;

    explicit MenuBarStateRow(AppState &appState, QWidget *parent = nullptr);

private:
    void refresh();

    AppState &m_appState;
    IconLabel *m_idle;
    IconLabel *m_shortcutInactive;
    IconLabel *m_fnUnavailable;
    IconLabel *m_recording;
    QWidget *m_processing;
    IconLabel *m_error;
};

} // namespace ui
