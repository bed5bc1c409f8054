// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicator/BlurredLayer.h"

#include "ui/indicator/PixelGrid.h"

#include <QPaintDevice>
#include <QPainter>

#include <array>
#include <cmath>
#include <vector>

namespace ui {

namespace {

// Three box blurs in a row come within a few percent of a Gaussian of deviation `sigma`.
std::array<int, 3> boxRadii(double sigma)
{
    constexpr int passes = 3;
    const double ideal = std::sqrt(12 * sigma * sigma / passes + 1);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const double m =
        (12 * sigma * sigma - passes * lower * lower - 4 * passes * lower - 3 * passes) /
        (-4.0 * lower - 4);
    const int lowerCount = int(std::round(m));
    std::array<int, 3> radii{};
    for (int i = 0; i < passes; ++i)
        radii[i] = ((i < lowerCount ? lower : upper) - 1) / 2;
    return radii;
}

// The four 8-bit channels of a pixel spread into 16-bit lanes, so one addition sums all four.
inline quint64 spread(quint32 pixel)
{
    const quint64 p = pixel;
    return (p & 0xff) | ((p & 0xff00) << 8) | ((p & 0xff0000) << 16) | ((p & 0xff000000) << 24);
}

// One box pass along a line of `count` pixels `stride` apart, from `in` into the contiguous `out`.
// A lane sums at most 255 × (2 × radius + 1), which fits its 16 bits for radii up to 128.
void boxLine(const quint32 *in, quint32 *out, int count, qsizetype stride, int radius)
{
    const quint64 width = 2 * radius + 1;
    // Division by the width as a multiplication, rounded to nearest.
    const quint64 reciprocal = ((quint64(1) << 24) + width - 1) / width;
    const auto lane = [&](quint64 sum, int shift) {
        return quint32((((sum >> shift) & 0xffff) * reciprocal + (quint64(1) << 23)) >> 24);
    };
    quint64 sum = 0;
    for (int i = 0; i < std::min(radius, count); ++i)
        sum += spread(in[i * stride]);
    for (int i = 0; i < count; ++i) {
        if (i + radius < count)
            sum += spread(in[(i + radius) * stride]);
        if (i - radius - 1 >= 0)
            sum -= spread(in[(i - radius - 1) * stride]);
        out[i] = lane(sum, 0) | lane(sum, 16) << 8 | lane(sum, 32) << 16 | lane(sum, 48) << 24;
    }
}

} // namespace

void BlurredLayer::blur(QImage &image, double radius)
{
    const double sigma = radius / 2;
    if (sigma <= 0 || image.isNull())
        return;
    Q_ASSERT(image.format() == QImage::Format_ARGB32_Premultiplied);
    const int w = image.width();
    const int h = image.height();
    const qsizetype rowStride = image.bytesPerLine() / 4;
    auto *pixels = reinterpret_cast<quint32 *>(image.bits());
    std::vector<quint32> line(std::max(w, h));
    for (int boxRadius : boxRadii(sigma)) {
        boxRadius = std::min(boxRadius, 128);
        if (boxRadius <= 0)
            continue;
        for (int y = 0; y < h; ++y) {
            quint32 *row = pixels + y * rowStride;
            boxLine(row, line.data(), w, 1, boxRadius);
            std::copy(line.begin(), line.begin() + w, row);
        }
        for (int x = 0; x < w; ++x) {
            boxLine(pixels + x, line.data(), h, rowStride, boxRadius);
            for (int y = 0; y < h; ++y)
                pixels[x + y * rowStride] = line[y];
        }
    }
}

bool BlurredLayer::canReuse(const QSizeF &size, QPointF offset, double radius, qreal pixelRatio,
                            std::optional<std::size_t> contentKey) const
{
    // Sizes driven by a spring keep changing by ever smaller amounts; a hundredth of a pixel is
    // no visible difference.
    constexpr double tolerance = 0.01;
    return contentKey && contentKey == m_contentKey && radius == m_radius &&
           pixelRatio == m_scratch.devicePixelRatio() && !m_scratch.isNull() &&
           std::abs(size.width() - m_size.width()) < tolerance &&
           std::abs(size.height() - m_size.height()) < tolerance &&
           std::abs(offset.x() - m_offset.x()) < tolerance &&
           std::abs(offset.y() - m_offset.y()) < tolerance;
}

void BlurredLayer::paint(QPainter &painter, const QRectF &bounds, double radius, double opacity,
                         const Draw &draw, std::optional<std::size_t> contentKey)
{
    if (opacity <= 0)
        return;
    const double margin = std::ceil(1.5 * radius) + 1;
    QRectF area = bounds.adjusted(-margin, -margin, margin, margin);
    const qreal scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    // The drawing keeps its exact place inside an image placed on whole pixels.
    if (PixelGrid::canSnap(painter)) {
        area.moveTopLeft(PixelGrid::snap(painter, area.topLeft()));
        area.setSize(area.size() + QSizeF(1, 1) / scale);
    }
    const QPointF offset = bounds.topLeft() - area.topLeft();
    if (!canReuse(bounds.size(), offset, radius, scale, contentKey)) {
        const QSize size(int(std::ceil(area.width() * scale)),
                         int(std::ceil(area.height() * scale)));
        if (m_scratch.size() != size)
            m_scratch = QImage(size, QImage::Format_ARGB32_Premultiplied);
        m_scratch.setDevicePixelRatio(scale);
        m_scratch.fill(Qt::transparent);
        {
            QPainter layer(&m_scratch);
            layer.setRenderHint(QPainter::Antialiasing);
            layer.translate(-area.topLeft());
            draw(layer);
        }
        blur(m_scratch, radius * scale);
        m_size = bounds.size();
        m_offset = offset;
        m_radius = radius;
        m_contentKey = contentKey;
    }
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.setRenderHint(QPainter::Antialiasing, false); // transparent edges need none
    painter.drawImage(area.topLeft(), m_scratch);
    painter.restore();
}

} // namespace ui
