// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace ui {

// Stand-in for the indicator's AudioWaveformView until both are in one tree: same fields, same
// place in the layout, plain bars. Replace this class by AudioWaveformView and delete it.
class WaveformPlaceholder final : public QWidget
{
    Q_OBJECT

public:
    WaveformPlaceholder(int barCount, qreal barWidth, qreal barSpacing, qreal minBarHeight,
                        QWidget *parent = nullptr);

    float level() const { return m_level; }
    void setLevel(float level);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_barCount;
    qreal m_barWidth;
    qreal m_barSpacing;
    qreal m_minBarHeight;
    float m_level = 0;
};

// The dark capsule of the try-it step with the level bars inside: 160 × 36, filled black at
// the given opacity, the bars (24, 2 wide, 1.5 apart, at least 2 high) padded 12 and 6.
class OnboardingLevelCapsule final : public QWidget
{
    Q_OBJECT

public:
    explicit OnboardingLevelCapsule(QWidget *parent = nullptr);

    // Live: the level at full bar opacity on black 0.6; idle: level 0, bars at 0.3 on black 0.4.
    void showLive(float level);
    void showIdle();

    WaveformPlaceholder *waveform() const { return m_waveform; }
    qreal fillOpacity() const { return m_fillOpacity; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    WaveformPlaceholder *m_waveform = nullptr;
    qreal m_fillOpacity = 0.4;
};

} // namespace ui
