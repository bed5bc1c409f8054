// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/BlurredLayer.h"
#include "ui/Spring.h"

#include <vector>

class QPainter;
class QRectF;

namespace ui {

// The level bars: a row of rounded bars whose heights follow the microphone level, with a soft
// glow beneath. Each bar springs to its new height, so the drawing keeps one spring per bar.
class AudioWaveform final
{
public:
    // The design's bars: 24 of them, 2 wide, 1.5 apart, never lower than 2. At least two bars.
    explicit AudioWaveform(int barCount = 24, double barWidth = 2, double barSpacing = 1.5,
                           double minBarHeight = 2);

    // The share of the full height bar `index` of `barCount` takes at `level`: an envelope from 1
    // at the centre to 0.4 at the ends, times the level, times a level-dependent ripple between
    // 0.7 and 1. Zero for a level that is not above 0 (negative or NaN included).
    static float barFraction(float level, int index, int barCount);
    // The height bar `index` settles at in a frame `frameHeight` tall.
    double barHeight(float level, int index, double frameHeight) const;

    // Draws the bars for `level` centred in `frame` as they stand at time `now` (seconds).
    void paint(QPainter &painter, const QRectF &frame, float level, double now);

private:
    void drawBars(QPainter &painter, const QRectF &frame) const;

    int m_barCount;
    double m_barWidth;
    double m_barSpacing;
    double m_minBarHeight;
    std::vector<Spring> m_bars;
    std::vector<double> m_heights;
    BlurredLayer m_glow;
};

} // namespace ui
