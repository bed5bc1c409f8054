// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioWaveformView.h"

#include "ui/FrameClock.h"

#include <QPainter>

namespace ui {

AudioWaveformView::AudioWaveformView(LevelSource level, QWidget *parent)
    : QWidget(parent), m_level(std::move(level)), m_clock(new FrameClock(this))
{}

QSize AudioWaveformView::sizeHint() const
{
    return QSize(90, 22).grownBy(contentsMargins());
}

void AudioWaveformView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_waveform.paint(painter, contentsRect(), m_level ? m_level() : 0.0f, m_clock->now());
}

} // namespace ui
