// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRectF>

#include <functional>

class QPainter;

namespace ui {

// Draws something blurred (a glow, a soft shadow): the drawing goes into a scratch image, is
// blurred with a Gaussian of the given radius and then painted at an opacity. The scratch image
// is kept between frames, so a view redrawn at display rate does not allocate each time.
class BlurredLayer final
{
public:
    // `bounds` encloses what `draw` paints, in the painter's coordinates (the blur spreads beyond
    // it by itself). `radius` follows the design's blur radius: about two standard deviations.
    void paint(QPainter &painter, const QRectF &bounds, double radius, double opacity,
               const std::function<void(QPainter &)> &draw);

    // Blurs a premultiplied ARGB image in place; what lies outside it counts as transparent.
    static void blur(QImage &image, double radius);

private:
    QImage m_scratch;
};

} // namespace ui
