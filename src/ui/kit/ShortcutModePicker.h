// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>

class AppState;
class QButtonGroup;
class QLabel;

namespace ui {

// One choice of the trigger picker: its title and the value of AppState::useFnKey it selects.
struct ShortcutModeOption
{
    const char *title;
    bool useFnKey;
};

// The two triggers, in the order shown: holding the Fn key, or a recorded combination.
inline constexpr std::array<ShortcutModeOption, 2> shortcutModeOptions{{
    {"Fn Key", true},
    {"Custom", false},
}};

// The segmented trigger picker shared by the onboarding window and the Input tab: a label and
// one segment per option, bound to AppState::useFnKey. Picking a different trigger assigns it
// (which reconfigures the trigger at once) and saves the settings.
class ShortcutModePicker final : public QWidget
{
    Q_OBJECT

public:
    // The segments' width; the label sits before them.
    static constexpr int width = 200;

    ShortcutModePicker(AppState &appState, const QString &label, QWidget *parent = nullptr);

    QLabel *label() const { return m_label; }
    QButtonGroup *segments() const { return m_segments; }

private:
    void refresh();
    void pick(bool useFnKey);

    QPointer<AppState> m_appState;
    QLabel *m_label = nullptr;
    QButtonGroup *m_segments = nullptr;
};

} // namespace ui
