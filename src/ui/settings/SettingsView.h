// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <functional>

class AppState;
class QTabWidget;
class UpdaterManager;

namespace platform {
struct Services;
}

namespace ui {

// The settings window's content: five tabs (General, Input, Vocabulary, Permissions, What's New)
// in a fixed 560 × 520 page, the first one showing when it opens.
class SettingsView final : public QWidget
{
    Q_OBJECT

public:
    // Makes the Input tab, given its parent.
    using InputTabFactory = std::function<QWidget *(QWidget *parent)>;

    // `appState`, `updaterManager` and `services` must outlive the view.
    SettingsView(AppState &appState, UpdaterManager &updaterManager, platform::Services &services,
                 InputTabFactory makeInputTab, QWidget *parent = nullptr);

    QTabWidget &tabs() const { return *m_tabs; }

private:
    QTabWidget *m_tabs;
};

} // namespace ui
