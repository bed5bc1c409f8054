// SPDX-License-Identifier: GPL-3.0-or-later
#include "BlurredLayer.h"

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

// One box pass along a line of `count` pixels `stride` apart, from `in` into the contiguous `out`.
void boxLine(const quint32 *in, quint32 *out, int count, qsizetype stride, int radius)
{
    const int width = 2 * radius + 1;
    std::array<int, 4> sum{};
    const auto add = [&](quint32 pixel, int sign) {
        for (int c = 0; c < 4; ++c)
            sum[c] += sign * int((pixel >> (8 * c)) & 0xff);
    };
    for (int i = 0; i < std::min(radius, count); ++i)
        add(in[i * stride], 1);
    for (int i = 0; i < count; ++i) {
        if (i + radius < count)
            add(in[(i + radius) * stride], 1);
        if (i - radius - 1 >= 0)
            add(in[(i - radius - 1) * stride], -1);
        quint32 pixel = 0;
        for (int c = 0; c < 4; ++c)
            pixel |= quint32((sum[c] + width / 2) / width) << (8 * c);
        out[i] = pixel;
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

void BlurredLayer::paint(QPainter &painter, const QRectF &bounds, double radius, double opacity,
                         const std::function<void(QPainter &)> &draw)
{
    if (opacity <= 0)
        return;
    const double margin = std::ceil(1.5 * radius) + 1;
    const QRectF area = bounds.adjusted(-margin, -margin, margin, margin);
    const qreal scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize size(int(std::ceil(area.width() * scale)), int(std::ceil(area.height() * scale)));
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
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.drawImage(area.topLeft(), m_scratch);
    painter.restore();
}

} // namespace ui
