// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicator/PixelGrid.h"

#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace ui {

bool PixelGrid::canSnap(const QPainter &painter)
{
    return painter.transform().type() <= QTransform::TxTranslate;
}

QPointF PixelGrid::snap(const QPainter &painter, QPointF point)
{
    if (!canSnap(painter))
        return point;
    const qreal scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPointF device = painter.transform().map(point) * scale;
    const QPointF whole(std::floor(device.x()), std::floor(device.y()));
    return point - (device - whole) / scale;
}

} // namespace ui
