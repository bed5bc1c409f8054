// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRectF>

#include <cstddef>
#include <functional>
#include <optional>

class QPainter;

namespace ui {

// Draws something blurred (a glow, a soft shadow): the drawing goes into a scratch image, is
// blurred with a Gaussian of the given radius and then painted at an opacity. The scratch image
// is kept between frames, so a view redrawn at display rate does not allocate each time.
class BlurredLayer final
{
public:
    using Draw = std::function<void(QPainter &)>;

    // `bounds` encloses what `draw` paints, in the painter's coordinates (the blur spreads beyond
    // it by itself). `radius` is a blur radius as views state it: about two standard deviations;
    // 0 keeps the drawing sharp (worth it for a drawing reused from frame to frame).
    // With a `contentKey`, the caller promises that the drawing relative to `bounds` depends only
    // on the size of `bounds` and on the key: the last blurred image is then reused as long as
    // both, the radius, the screen's pixel ratio and the position within a device pixel stay
    // the same. Without one it is redrawn.
    void paint(QPainter &painter, const QRectF &bounds, double radius, double opacity,
               const Draw &draw, std::optional<std::size_t> contentKey = std::nullopt);

    // Blurs a premultiplied ARGB image in place; what lies outside it counts as transparent.
    static void blur(QImage &image, double radius);

private:
    // Whether the image of the last call serves a call with these arguments.
    bool canReuse(const QSizeF &size, QPointF offset, double radius, qreal pixelRatio,
                  std::optional<std::size_t> contentKey) const;

    QImage m_scratch;
    QSizeF m_size;
    QPointF m_offset;
    double m_radius = 0;
    std::optional<std::size_t> m_contentKey;
};

} // namespace ui
