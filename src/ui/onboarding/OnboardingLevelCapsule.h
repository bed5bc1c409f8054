// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/indicator/AudioWaveformView.h"

#include <QWidget>

namespace ui {

// The dark capsule of the try-it step with the level bars inside: 160 × 36, filled black at
// `fillOpacity`, the bars (24, 2 wide, 1.5 apart, at least 2 high) padded 12 and 6 and drawn at
// `barOpacity`. Without a level source the bars stand at level 0.
class OnboardingLevelCapsule final : public QWidget
{
    Q_OBJECT

public:
    OnboardingLevelCapsule(AudioWaveformView::LevelSource level, qreal fillOpacity,
                           qreal barOpacity, QWidget *parent = nullptr);

    AudioWaveformView *waveform() const { return m_waveform; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    AudioWaveformView *m_waveform;
    qreal m_fillOpacity;
};

} // namespace ui
