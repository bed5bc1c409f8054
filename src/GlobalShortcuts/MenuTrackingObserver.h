// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QSet>

#include <functional>

namespace GlobalShortcuts {

// Follows the application's menus: reports "began tracking" when the first QMenu (a popup,
// submenus included) is shown and "ended tracking" when the last one is hidden or destroyed.
// Watches through an application-wide event filter for as long as it lives.
class MenuTrackingObserver final : public QObject
{
    Q_OBJECT

public:
    explicit MenuTrackingObserver(std::function<void(bool tracking)> onChange);
    ~MenuTrackingObserver() override;

    bool isTracking() const { return !m_openMenus.isEmpty(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void menuShown(QObject *menu);
    void menuGone(QObject *menu);

    std::function<void(bool)> m_onChange;
    QSet<QObject *> m_openMenus;
};

} // namespace GlobalShortcuts
