// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/onboarding/OnboardingLevelCapsule.h"

#include <QHBoxLayout>
#include <QPainter>

namespace ui {

OnboardingLevelCapsule::OnboardingLevelCapsule(AudioWaveformView::LevelSource level,
                                               qreal fillOpacity, qreal barOpacity, QWidget *parent)
    : QWidget(parent), m_waveform(new AudioWaveformView(std::move(level), this)),
      m_fillOpacity(fillOpacity)
{
    setFixedSize(160, 36);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The bars' glow reaches past them into the padding, so the view spans the whole capsule.
    m_waveform->setContentsMargins(12, 6, 12, 6);
    m_waveform->setOpacity(barOpacity);
    layout->addWidget(m_waveform);
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
