// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicator/AudioWaveform.h"

#include "ui/indicator/PixelGrid.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

constexpr double kBarResponse = 0.15;
constexpr double kBarDamping = 0.7;
constexpr double kCornerRadius = 1;
// The glow: blur radius 3 (a deviation of 1.5), drawn at 25 % opacity.
constexpr double kGlowSigma = 1.5;
constexpr double kGlowOpacity = 0.25;
constexpr double kGlowReach = 3 * kGlowSigma;

double overlap(double from, double to, double low, double high)
{
    return std::max(0.0, std::min(to, high) - std::max(from, low));
}

// The share of a Gaussian of deviation `sigma` centred at `at` that falls inside [low, high].
double gaussianShare(double at, double low, double high, double sigma)
{
    const double scale = 1 / (sigma * std::sqrt(2.0));
    return 0.5 * (std::erf((high - at) * scale) - std::erf((low - at) * scale));
}

} // namespace

AudioWaveform::AudioWaveform(int barCount, double barWidth, double barSpacing, double minBarHeight)
    : m_barCount(std::max(2, barCount)), m_barWidth(barWidth), m_barSpacing(barSpacing),
      m_minBarHeight(minBarHeight),
      m_bars(m_barCount, Spring(kBarResponse, kBarDamping, minBarHeight)), m_shapes(m_barCount)
{}

float AudioWaveform::barFraction(float level, int index, int barCount)
{
    if (!(level > 0.0f))
        return 0.0f;
    const float center = float(barCount - 1) * 0.5f;
    const float i = float(index);
    const float envelope = 1.0f - 0.6f * std::fabs(i - center) / center;
    const float a = 13.0f * level + 1.7f * i;
    const float ripple = 0.7f + 0.2f * (0.5f * std::sin(a) + 0.5f) +
                         0.1f * (0.5f * std::sin(2.7f * a + 1.3f) + 0.5f);
    return envelope * level * ripple;
}

double AudioWaveform::barHeight(float level, int index, double frameHeight) const
{
    return std::max(frameHeight * double(barFraction(level, index, m_barCount)), m_minBarHeight);
}

void AudioWaveform::paint(QPainter &painter, const QRectF &frame, float level, double now)
{
    const qreal scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPointF origin =
        PixelGrid::snap(painter, frame.topLeft() - QPointF(kGlowReach + 1, kGlowReach + 1));
    const QSize size(int(std::ceil((frame.right() + kGlowReach + 1 - origin.x()) * scale)) + 1,
                     int(std::ceil((frame.bottom() + kGlowReach + 1 - origin.y()) * scale)) + 1);
    if (m_image.size() != size || m_image.devicePixelRatio() != scale) {
        m_image = QImage(size, QImage::Format_ARGB32_Premultiplied);
        m_image.setDevicePixelRatio(scale);
    }

    const double rowWidth = m_barCount * m_barWidth + (m_barCount - 1) * m_barSpacing;
    const double left = frame.center().x() - rowWidth / 2 - origin.x();
    const double middle = frame.center().y() - origin.y();
    for (int i = 0; i < m_barCount; ++i) {
        const double target = barHeight(level, i, frame.height());
        if (m_bars[i].target() != target)
            m_bars[i].setTarget(target, now);
        // An overshooting spring may dip under the minimum for a moment, never below nothing.
        const double height = std::max(0.0, m_bars[i].value(now));
        const double x = left + i * (m_barWidth + m_barSpacing);
        m_shapes[i] = {x * scale, (middle - height / 2) * scale, (x + m_barWidth) * scale,
                       (middle + height / 2) * scale,
                       std::min({kCornerRadius, m_barWidth / 2, height / 2}) * scale};
    }
    render(m_shapes, kGlowSigma * scale);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false); // transparent edges need none
    painter.drawImage(origin, m_image);
    painter.restore();
}

void AudioWaveform::render(const std::vector<Bar> &bars, double glowSigma)
{
    const std::size_t pixels = std::size_t(m_image.width()) * m_image.height();
    m_cover.assign(pixels, 0.0f);
    m_glow.assign(pixels, 0.0f);
    for (const Bar &bar : bars)
        addBar(bar, glowSigma);
    // White bars over their glow, premultiplied.
    for (int y = 0; y < m_image.height(); ++y) {
        auto *out = reinterpret_cast<quint32 *>(m_image.scanLine(y));
        const float *cover = m_cover.data() + std::size_t(y) * m_image.width();
        const float *glow = m_glow.data() + std::size_t(y) * m_image.width();
        for (int x = 0; x < m_image.width(); ++x) {
            const float sharp = std::min(1.0f, cover[x]);
            const float soft = float(kGlowOpacity) * std::min(1.0f, glow[x]);
            const float alpha = sharp + soft * (1 - sharp);
            out[x] = quint32(std::lround(alpha * 255)) * 0x01010101u;
        }
    }
}

void AudioWaveform::addBar(const Bar &bar, double glowSigma)
{
    const int width = m_image.width();
    const int height = m_image.height();
    const auto columns = [&](double low, double high) {
        return std::pair(std::max(0, int(std::floor(low))), std::min(width, int(std::ceil(high))));
    };
    const auto rows = [&](double low, double high) {
        return std::pair(std::max(0, int(std::floor(low))), std::min(height, int(std::ceil(high))));
    };

    // The bar itself: exact coverage of its rectangle; the pixels by its rounded ends sampled.
    const auto [x0, x1] = columns(bar.left, bar.right);
    const auto [y0, y1] = rows(bar.top, bar.bottom);
    const double r = bar.radius;
    const auto inside = [&](double px, double py) {
        const double dx = std::max({bar.left + r - px, 0.0, px - (bar.right - r)});
        const double dy = std::max({bar.top + r - py, 0.0, py - (bar.bottom - r)});
        return px >= bar.left && px <= bar.right && py >= bar.top && py <= bar.bottom &&
               dx * dx + dy * dy <= r * r;
    };
    for (int y = y0; y < y1; ++y) {
        const double rowShare = overlap(y, y + 1, bar.top, bar.bottom);
        const bool byAnEnd = y < bar.top + r || y + 1 > bar.bottom - r;
        float *cover = m_cover.data() + std::size_t(y) * width;
        for (int x = x0; x < x1; ++x) {
            if (!byAnEnd) {
                cover[x] += float(overlap(x, x + 1, bar.left, bar.right) * rowShare);
                continue;
            }
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    hits += inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4);
            cover[x] += float(hits) / 16;
        }
    }

    // Its glow: a Gaussian blur of an upright rectangle is a product of two one-dimensional ones.
    const double reach = 3 * glowSigma;
    const auto [gx0, gx1] = columns(bar.left - reach, bar.right + reach);
    const auto [gy0, gy1] = rows(bar.top - reach, bar.bottom + reach);
    m_columnGlow.resize(std::max(0, gx1 - gx0));
    for (int x = gx0; x < gx1; ++x)
        m_columnGlow[x - gx0] = float(gaussianShare(x + 0.5, bar.left, bar.right, glowSigma));
    m_rowGlow.resize(std::max(0, gy1 - gy0));
    for (int y = gy0; y < gy1; ++y)
        m_rowGlow[y - gy0] = float(gaussianShare(y + 0.5, bar.top, bar.bottom, glowSigma));
    for (int y = gy0; y < gy1; ++y) {
        float *glow = m_glow.data() + std::size_t(y) * width;
        const float rowGlow = m_rowGlow[y - gy0];
        for (int x = gx0; x < gx1; ++x)
            glow[x] += rowGlow * m_columnGlow[x - gx0];
    }
}

} // namespace ui
