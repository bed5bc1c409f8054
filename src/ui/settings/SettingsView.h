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
// in a fixed 560 × 520 page, wider or taller where a large desktop font needs it. The tabs are
// built afresh each time the window opens again after a close, so it opens on the first tab with
// nothing left open and the changelog read anew.
class SettingsView final : public QWidget
{
    Q_OBJECT

public:
    // Makes the Input tab, given its parent.
    using InputTabFactory = std::function<QWidget *(QWidget *parent)>;

    static constexpr QSize designSize{560, 520};

    // `appState`, `updaterManager` and `services` must outlive the view.
    SettingsView(AppState &appState, UpdaterManager &updaterManager, platform::Services &services,
                 InputTabFactory makeInputTab, QWidget *parent = nullptr);

    QTabWidget &tabs() const { return *m_tabs; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildTabs();
    // The design's size, or more where the tab titles or a tab's content need it.
    QSize fittingSize() const;

    AppState &m_appState;
    UpdaterManager &m_updaterManager;
    platform::Services &m_services;
    InputTabFactory m_makeInputTab;
    QTabWidget *m_tabs;
    bool m_closedSinceBuilt = false;
};

} // namespace ui
