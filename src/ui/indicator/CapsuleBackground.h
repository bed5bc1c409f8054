// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

class QPainter;
class QRectF;

namespace ui {

// The capsule's body: its soft shadow (black at 25 %, blur radius 8, 2 below) and its dark
// translucent fill. Both are drawn once for a short capsule and stretched to any width by
// repeating a column of its straight middle, so a capsule changing width costs no new blur.
class CapsuleBackground final
{
public:
    // Draws the body of `capsule` (painter translated only).
    void paint(QPainter &painter, const QRectF &capsule);

private:
    void renderReference(double height, qreal scale);

    QImage m_reference;
    double m_height = -1;
    qreal m_scale = 0;
    int m_margin = 0;       // device pixels around the reference capsule
    int m_capsuleWidth = 0; // device pixels of the reference capsule
    int m_capsuleHeight = 0;
};

} // namespace ui
