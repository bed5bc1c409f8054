// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioWaveform.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

constexpr double kBarResponse = 0.15;
constexpr double kBarDamping = 0.7;
constexpr double kCornerRadius = 1;
constexpr double kGlowRadius = 3;
constexpr double kGlowOpacity = 0.25;

} // namespace

AudioWaveform::AudioWaveform(int barCount, double barWidth, double barSpacing, double minBarHeight)
    : m_barCount(std::max(2, barCount)), m_barWidth(barWidth), m_barSpacing(barSpacing),
      m_minBarHeight(minBarHeight),
      m_bars(m_barCount, Spring(kBarResponse, kBarDamping, minBarHeight)),
      m_heights(m_barCount, minBarHeight)
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
    for (int i = 0; i < m_barCount; ++i) {
        const double target = barHeight(level, i, frame.height());
        if (m_bars[i].target() != target)
            m_bars[i].setTarget(target, now);
        // An overshooting spring may dip under the minimum for a moment, never below nothing.
        m_heights[i] = std::max(0.0, m_bars[i].value(now));
    }
    m_glow.paint(painter, frame, kGlowRadius, kGlowOpacity,
                 [this, &frame](QPainter &layer) { drawBars(layer, frame); });
    drawBars(painter, frame);
}

void AudioWaveform::drawBars(QPainter &painter, const QRectF &frame) const
{
    const double rowWidth = m_barCount * m_barWidth + (m_barCount - 1) * m_barSpacing;
    const double left = frame.center().x() - rowWidth / 2;
    const double middle = frame.center().y();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    for (int i = 0; i < m_barCount; ++i) {
        const double height = m_heights[i];
        const QRectF bar(left + i * (m_barWidth + m_barSpacing), middle - height / 2, m_barWidth,
                         height);
        painter.drawRoundedRect(bar, kCornerRadius, kCornerRadius);
    }
    painter.restore();
}

} // namespace ui
