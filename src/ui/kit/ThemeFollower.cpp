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
    // A widget with a style sheet keeps the palette the sheet gave it and is not told when the
    // one around it changes; its parent is.
    if (QWidget *parent = widget->parentWidget())
        parent->installEventFilter(this);
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
    if ((watched == m_widget || watched == m_widget->parentWidget()) && !m_applying) {
        switch (event->type()) {
        case QEvent::ApplicationPaletteChange:
        case QEvent::PaletteChange:
        case QEvent::ThemeChange:
        case QEvent::StyleChange:
            applySoon();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ThemeFollower::applySoon()
{
    // The desktop's new palette reaches the widgets one by one, a child possibly before its
    // parent; a widget with a style sheet may hear of it only in that first round. Once the
    // round is over every palette is the new one.
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_pending = false;
            apply();
        },
        Qt::QueuedConnection);
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
