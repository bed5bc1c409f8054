// SPDX-License-Identifier: GPL-3.0-or-later
#include "OnboardingLevelCapsule.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace ui {

WaveformPlaceholder::WaveformPlaceholder(int barCount, qreal barWidth, qreal barSpacing,
                                         qreal minBarHeight, QWidget *parent)
    : QWidget(parent), m_barCount(barCount), m_barWidth(barWidth), m_barSpacing(barSpacing),
      m_minBarHeight(minBarHeight)
{
    setFixedSize(136, 24);
}

void WaveformPlaceholder::setLevel(float level)
{
    if (level == m_level)
        return;
    m_level = level;
    update();
}

void WaveformPlaceholder::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const qreal total = m_barCount * m_barWidth + (m_barCount - 1) * m_barSpacing;
    qreal x = (width() - total) / 2;
    const qreal level = std::clamp(qreal(m_level), qreal(0), qreal(1));
    for (int i = 0; i < m_barCount; ++i) {
        // A simple hump, tallest in the middle.
        const qreal shape = 1.0 - std::abs(i - (m_barCount - 1) / 2.0) / m_barCount;
        const qreal barHeight = std::max(m_minBarHeight, height() * level * shape);
        painter.drawRoundedRect(QRectF(x, (height() - barHeight) / 2, m_barWidth, barHeight),
                                m_barWidth / 2, m_barWidth / 2);
        x += m_barWidth + m_barSpacing;
    }
}

OnboardingLevelCapsule::OnboardingLevelCapsule(QWidget *parent)
    : QWidget(parent), m_waveform(new WaveformPlaceholder(24, 2, 1.5, 2, this))
{
    setFixedSize(160, 36);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 6, 12, 6);
    layout->addWidget(m_waveform, 0, Qt::AlignCenter);
    m_waveform->setGraphicsEffect(new QGraphicsOpacityEffect(m_waveform));
    showIdle();
}

void OnboardingLevelCapsule::showLive(float level)
{
    m_waveform->setLevel(level);
    static_cast<QGraphicsOpacityEffect *>(m_waveform->graphicsEffect())->setOpacity(1.0);
    if (m_fillOpacity != 0.6) {
        m_fillOpacity = 0.6;
        update();
    }
}

void OnboardingLevelCapsule::showIdle()
{
    m_waveform->setLevel(0);
    static_cast<QGraphicsOpacityEffect *>(m_waveform->graphicsEffect())->setOpacity(0.3);
    if (m_fillOpacity != 0.4) {
        m_fillOpacity = 0.4;
        update();
    }
}

void OnboardingLevelCapsule::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill(Qt::black);
    fill.setAlphaF(float(m_fillOpacity));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
}

} // namespace ui
