// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class AppState;
class QLabel;
class QPushButton;

namespace GlobalShortcuts {
class Recorder;
}

namespace ui {

class OnboardingStatusArea;
class ShortcutModePicker;

// The second step of the onboarding window: choose the trigger, try a real dictation with it
// (the engine runs while the window is open; nothing is pasted until onboarding is complete),
// then "Finish Setup".
class OnboardingTryItStep final : public QWidget
{
    Q_OBJECT

public:
    explicit OnboardingTryItStep(AppState &appState, QWidget *parent = nullptr);

    QLabel *subtitle() const { return m_subtitle; }
    ShortcutModePicker *picker() const { return m_picker; }
    QLabel *fnConflictHint() const { return m_fnConflict; }
    GlobalShortcuts::Recorder *recorder() const { return m_recorder; }
    QLabel *recorderHint() const { return m_recorderHint; }
    OnboardingStatusArea *statusArea() const { return m_status; }
    QPushButton *finishButton() const { return m_finish; }

private:
    void refresh();

    QPointer<AppState> m_appState;
    QLabel *m_subtitle = nullptr;
    ShortcutModePicker *m_picker = nullptr;
    QLabel *m_fnConflict = nullptr;
    GlobalShortcuts::Recorder *m_recorder = nullptr;
    QLabel *m_recorderHint = nullptr;
    OnboardingStatusArea *m_status = nullptr;
    QPushButton *m_finish = nullptr;
};

} // namespace ui
