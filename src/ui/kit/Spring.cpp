// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/Spring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ui {

Spring::Spring(double response, double dampingFraction, double initial)
    : m_response(response), m_dampingFraction(std::max(0.0, dampingFraction)), m_target(initial)
{}

void Spring::setTarget(double target, double now)
{
    const double current = value(now);
    const double speed = velocity(now);
    m_target = target;
    m_startTime = now;
    m_startDisplacement = current - target;
    m_startVelocity = speed;
}

void Spring::jumpTo(double value)
{
    m_target = value;
    m_startDisplacement = 0;
    m_startVelocity = 0;
}

double Spring::value(double now) const
{
    double displacement = 0;
    double speed = 0;
    state(now - m_startTime, displacement, speed);
    return m_target + displacement;
}

double Spring::velocity(double now) const
{
    double displacement = 0;
    double speed = 0;
    state(now - m_startTime, displacement, speed);
    return speed;
}

void Spring::state(double elapsed, double &displacement, double &speed) const
{
    const double x0 = m_startDisplacement;
    const double v0 = m_startVelocity;
    const double t = std::max(0.0, elapsed);
    if (m_response <= 0 || (x0 == 0 && v0 == 0)) {
        displacement = 0;
        speed = 0;
        return;
    }
    const double omega = 2 * std::numbers::pi / m_response;
    const double zeta = m_dampingFraction;

    if (std::abs(zeta - 1) < 1e-6) {
        const double decay = std::exp(-omega * t);
        const double b = v0 + omega * x0;
        displacement = (x0 + b * t) * decay;
        speed = (v0 - omega * b * t) * decay;
    } else if (zeta < 1) {
        const double alpha = zeta * omega;
        const double omegaD = omega * std::sqrt(1 - zeta * zeta);
        const double decay = std::exp(-alpha * t);
        const double c = std::cos(omegaD * t);
        const double s = std::sin(omegaD * t);
        displacement = decay * (x0 * c + (v0 + alpha * x0) / omegaD * s);
        speed = decay * (v0 * c - (alpha * v0 + omega * omega * x0) / omegaD * s);
    } else {
        // Over-damped: the sum of two decaying exponentials.
        const double root = omega * std::sqrt(zeta * zeta - 1);
        const double r1 = -zeta * omega + root;
        const double r2 = -zeta * omega - root;
        const double c2 = (v0 - r1 * x0) / (r2 - r1);
        const double c1 = x0 - c2;
        displacement = c1 * std::exp(r1 * t) + c2 * std::exp(r2 * t);
        speed = c1 * r1 * std::exp(r1 * t) + c2 * r2 * std::exp(r2 * t);
    }
}

} // namespace ui
