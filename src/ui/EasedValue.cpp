// SPDX-License-Identifier: GPL-3.0-or-later
#include "EasedValue.h"

#include <algorithm>

namespace ui {

EasedValue::EasedValue(double duration, QEasingCurve curve, double initial)
    : m_duration(duration), m_curve(std::move(curve)), m_from(initial), m_to(initial)
{}

void EasedValue::setTarget(double target, double now)
{
    m_from = value(now);
    m_to = target;
    m_startTime = now;
}

void EasedValue::jumpTo(double value)
{
    m_from = value;
    m_to = value;
}

double EasedValue::value(double now) const
{
    return m_from + (m_to - m_from) * m_curve.valueForProgress(progress(now));
}

bool EasedValue::isFinished(double now) const
{
    return progress(now) >= 1;
}

double EasedValue::progress(double now) const
{
    if (m_duration <= 0)
        return 1;
    return std::clamp((now - m_startTime) / m_duration, 0.0, 1.0);
}

} // namespace ui
