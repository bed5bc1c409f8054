// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace ui {

// Runs an action on a widget now and again whenever the widget's palette, theme or style
// changes, shown or hidden: colours worked out from the palette then follow the desktop
// switching between light and dark while the program runs. Owned by the widget; one follower
// per widget and name, a later one of the same name replacing the earlier action.
class ThemeFollower final : public QObject
{
public:
    using Action = std::function<void()>;

    static void follow(QWidget *widget, const QString &name, Action action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ThemeFollower(QWidget *widget, const QString &name);
    void applySoon();
    void apply();

    QWidget *m_widget;
    Action m_action;
    // What the action changes sends change events of its own; those are not followed again.
    bool m_applying = false;
    bool m_pending = false;
};

} // namespace ui
