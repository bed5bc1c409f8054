// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEasingCurve>

namespace ui {

// A value that moves to its target along an easing curve in a fixed time, read at any moment.
// Times are seconds on any clock that only moves forward (FrameClock::now()).
class EasedValue final
{
public:
    explicit EasedValue(double duration, QEasingCurve curve = QEasingCurve(QEasingCurve::InOutQuad),
                        double initial = 0);

    // Starts moving from wherever the value stands at `now` towards `target`.
    void setTarget(double target, double now);
    // Puts the value at `value` at once.
    void jumpTo(double value);

    double value(double now) const;
    double target() const { return m_to; }
    bool isFinished(double now) const;

private:
    double progress(double now) const;

    double m_duration;
    QEasingCurve m_curve;
    double m_from;
    double m_to;
    double m_startTime = 0;
};

} // namespace ui
