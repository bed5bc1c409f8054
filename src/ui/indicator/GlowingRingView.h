// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/indicator/BlurredLayer.h"

class QPainter;
class QRectF;

namespace ui {

// The "transcribing" ring: a bright arc chasing round a circle (0.8 turns a second) over a soft
// copy of itself and a pulsing cyan glow. A pure function of the time; only the scratch images
// of its two blurred layers are kept between frames.
class GlowingRingView final
{
public:
    // The ring's rotation at time `t` (seconds), clockwise, reduced to one turn.
    static double rotationDegrees(double t);
    // The glow's opacity at time `t`: between 0.06 and 0.18, three radians a second.
    static double glowOpacity(double t);

    // Draws the ring filling `frame` (the strokes reach a little beyond it, the glow further).
    void paint(QPainter &painter, const QRectF &frame, double t);

private:
    BlurredLayer m_glow;
    BlurredLayer m_soft;
    BlurredLayer m_sharp;
};

} // namespace ui
