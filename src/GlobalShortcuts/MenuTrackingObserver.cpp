// SPDX-License-Identifier: GPL-3.0-or-later
#include "MenuTrackingObserver.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMenu>

namespace GlobalShortcuts {

MenuTrackingObserver::MenuTrackingObserver(std::function<void(bool)> onChange)
    : m_onChange(std::move(onChange))
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

MenuTrackingObserver::~MenuTrackingObserver() = default;

bool MenuTrackingObserver::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        if (qobject_cast<QMenu *>(watched)) {
            if (event->type() == QEvent::Show)
                menuShown(watched);
            else
                menuGone(watched);
        }
    }
    return false;
}

void MenuTrackingObserver::menuShown(QObject *menu)
{
    if (m_openMenus.contains(menu))
        return;
    const bool wasTracking = isTracking();
    m_openMenus.insert(menu);
    // A menu destroyed while open sends no hide event.
    connect(menu, &QObject::destroyed, this, &MenuTrackingObserver::menuGone, Qt::UniqueConnection);
    if (!wasTracking)
        m_onChange(true);
}

void MenuTrackingObserver::menuGone(QObject *menu)
{
    if (!m_openMenus.remove(menu))
        return;
    disconnect(menu, &QObject::destroyed, this, &MenuTrackingObserver::menuGone);
    if (!isTracking())
        m_onChange(false);
}

} // namespace GlobalShortcuts
