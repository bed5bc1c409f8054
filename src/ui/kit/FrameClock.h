// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QWidget;

namespace ui {

// Repaints one widget at display rate while it is visible, for views drawn as a function of the
// time; it stops while the widget is hidden, so a hidden view costs nothing.
class FrameClock final : public QObject
{
    Q_OBJECT

public:
    using TimeSource = std::function<double()>;

    // Follows `widget`'s visibility (shown and hidden with its window) and is owned by it.
    explicit FrameClock(QWidget *widget);

    // Seconds since 2001-01-01 00:00 UTC, moving steadily forward even when the wall clock jumps.
    double now() const;
    bool isRunning() const { return m_timer.isActive(); }
    // Replaces the time with another (tests draw chosen moments); empty restores the real one.
    void setTimeSource(TimeSource source);

Q_SIGNALS:
    // Each display frame while running, after the widget was asked to repaint.
    void frame();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tick();

    QPointer<QWidget> m_widget;
    QTimer m_timer;
    QElapsedTimer m_elapsed;
    double m_startTime = 0;
    TimeSource m_timeSource;
};

} // namespace ui
