// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/FrameClock.h"

#include <QDateTime>
#include <QEvent>
#include <QWidget>

namespace ui {

namespace {

constexpr int kFrameIntervalMs = 16; // about 60 frames a second

double secondsSinceReferenceDate()
{
    static const qint64 reference =
        QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    return double(QDateTime::currentMSecsSinceEpoch() - reference) / 1000.0;
}

} // namespace

FrameClock::FrameClock(QWidget *widget)
    : QObject(widget), m_widget(widget), m_startTime(secondsSinceReferenceDate())
{
    m_elapsed.start();
    m_timer.setInterval(kFrameIntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &FrameClock::tick);
    widget->installEventFilter(this);
    if (widget->isVisible())
        m_timer.start();
}

double FrameClock::now() const
{
    if (m_timeSource)
        return m_timeSource();
    return m_startTime + double(m_elapsed.nsecsElapsed()) / 1e9;
}

void FrameClock::setTimeSource(TimeSource source)
{
    m_timeSource = std::move(source);
}

bool FrameClock::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_widget) {
        if (event->type() == QEvent::Show)
            m_timer.start();
        else if (event->type() == QEvent::Hide)
            m_timer.stop();
    }
    return QObject::eventFilter(watched, event);
}

void FrameClock::tick()
{
    if (m_widget)
        m_widget->update();
    Q_EMIT frame();
}

} // namespace ui
