// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicator/AudioWaveformView.h"

#include "ui/kit/FrameClock.h"

#include <QPainter>

namespace ui {

AudioWaveformView::AudioWaveformView(LevelSource level, QWidget *parent)
    : QWidget(parent), m_level(std::move(level)), m_clock(m_level ? new FrameClock(this) : nullptr)
{}

void AudioWaveformView::setOpacity(qreal opacity)
{
    if (m_opacity == opacity)
        return;
    m_opacity = opacity;
    update();
}

QSize AudioWaveformView::sizeHint() const
{
    return QSize(90, 22).grownBy(contentsMargins());
}

void AudioWaveformView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setOpacity(m_opacity);
    // At rest the bars stand at their lowest whatever the time, so a view without a level
    // source paints them at time 0.
    const float level = m_level ? m_level() : 0.0f;
    m_waveform.paint(painter, contentsRect(), level, m_clock ? m_clock->now() : 0.0);
}

} // namespace ui
