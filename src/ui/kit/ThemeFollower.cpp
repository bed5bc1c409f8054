// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/ThemeFollower.h"

#include <QEvent>
#include <QWidget>

namespace ui {

ThemeFollower::ThemeFollower(QWidget *widget, const QString &name)
    : QObject(widget), m_widget(widget)
{
    setObjectName(name);
    widget->installEventFilter(this);
}

void ThemeFollower::follow(QWidget *widget, const QString &name, Action action)
{
    ThemeFollower *follower = nullptr;
    for (QObject *child : widget->children()) {
        if (child->objectName() == name && (follower = dynamic_cast<ThemeFollower *>(child)))
            break;
    }
    if (!follower)
        follower = new ThemeFollower(widget, name);
    follower->m_action = std::move(action);
    follower->apply();
}

bool ThemeFollower::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_widget && !m_applying) {
        switch (event->type()) {
        case QEvent::PaletteChange:
        case QEvent::ThemeChange:
        case QEvent::StyleChange:
            apply();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ThemeFollower::apply()
{
    if (!m_action)
        return;
    m_applying = true;
    m_action();
    m_applying = false;
}

} // namespace ui
