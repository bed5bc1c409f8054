// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace ui {

// A value that follows its target like a damped spring, solved in closed form, so it can be read
// at any time without stepping. `response` is the period in seconds of the undamped spring;
// `dampingFraction` is 1 for critical damping (no overshoot), below 1 it overshoots and settles.
// Times are seconds on any clock that only moves forward (FrameClock::now()).
class Spring final
{
public:
    explicit Spring(double response, double dampingFraction, double initial = 0);

    // Moves towards `target` from where the spring stands at `now`, keeping its speed, so a
    // spring retargeted in mid-flight turns smoothly.
    void setTarget(double target, double now);
    // Puts the spring at rest at `value` at once, without animation.
    void jumpTo(double value);

    double value(double now) const;
    double velocity(double now) const;
    double target() const { return m_target; }

private:
    // Displacement from the target and its speed, `elapsed` seconds after the last retarget.
    void state(double elapsed, double &displacement, double &speed) const;

    double m_response;
    double m_dampingFraction;
    double m_target;
    double m_startTime = 0;
    double m_startDisplacement = 0;
    double m_startVelocity = 0;
};

} // namespace ui
