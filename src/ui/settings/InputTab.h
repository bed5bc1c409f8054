// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class AppState;
class QLabel;
class QSlider;

namespace GlobalShortcuts {
class Recorder;
}

namespace ui {

class ShortcutModePicker;

// The settings window's Input tab: how dictation is triggered (the Fn key or a recorded
// combination) and how long a recording may be (shorter ones are discarded, longer ones stopped).
// Every control reads AppState when drawn and writes the settings on each change of its value.
class InputTab final : public QWidget
{
    Q_OBJECT

public:
    static constexpr double minimumDurationLow = 0.3;
    static constexpr double minimumDurationHigh = 2.0;
    static constexpr double minimumDurationStep = 0.05;
    static constexpr double maximumDurationLow = 60;
    static constexpr double maximumDurationHigh = 600;
    static constexpr double maximumDurationStep = 30;

    explicit InputTab(AppState &appState, QWidget *parent = nullptr);

    // Whole minutes as "5m", others as "5:30" (minutes, then seconds with two digits); the
    // fraction of a second is dropped.
    static QString formatMaxDuration(double seconds);

    ShortcutModePicker *picker() const { return m_picker; }
    QLabel *fnHint() const { return m_fnHint; }
    GlobalShortcuts::Recorder *recorder() const { return m_recorder; }
    QLabel *recorderHint() const { return m_recorderHint; }
    QSlider *minimumSlider() const { return m_minimumSlider; }
    QSlider *maximumSlider() const { return m_maximumSlider; }
    QLabel *minimumValue() const { return m_minimumValue; }
    QLabel *maximumValue() const { return m_maximumValue; }

private:
    void refresh();
    QWidget *durationRow(const QString &label, QSlider *slider, QLabel *value);
    void minimumMoved(int position);
    void maximumMoved(int position);

    QPointer<AppState> m_appState;
    ShortcutModePicker *m_picker = nullptr;
    QLabel *m_fnHint = nullptr;
    GlobalShortcuts::Recorder *m_recorder = nullptr;
    QLabel *m_recorderHint = nullptr;
    QSlider *m_minimumSlider = nullptr;
    QSlider *m_maximumSlider = nullptr;
    QLabel *m_minimumValue = nullptr;
    QLabel *m_maximumValue = nullptr;
};

} // namespace ui
