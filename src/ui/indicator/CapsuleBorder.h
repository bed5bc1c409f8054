// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace ui {

// The capsule's half-point border: white at 8 % opacity along its length, rising linearly to
// 25 % at a highlight that moves along it. Redrawn at every frame, so the outline is rasterised
// once per capsule size and only tinted per frame.
class CapsuleBorder final
{
public:
    // Draws the border inside `capsule` (painter translated only) with the highlight at
    // `highlight`, a fraction of the width from the left edge (0 to 1).
    void paint(QPainter &painter, const QRectF &capsule, double highlight);

private:
    void drawMask(const QRectF &capsule, QPointF origin, qreal scale);

    QImage m_mask;
    QImage m_tinted;
    QRectF m_maskCapsule;
};

} // namespace ui
