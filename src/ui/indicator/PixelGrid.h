// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>

class QPainter;

namespace ui {

// Images drawn at whole device pixels are copied; anywhere else they are resampled, which costs
// many times more. Views redrawn at every frame place their images with this.
class PixelGrid final
{
public:
    // The point at or just above and left of `point` that lies on a whole device pixel of
    // `painter`, or `point` itself when the painter scales or rotates.
    static QPointF snap(const QPainter &painter, QPointF point);
    // Whether images drawn with `painter` can be placed on whole pixels at all.
    static bool canSnap(const QPainter &painter);
};

} // namespace ui
