// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/kit/Spring.h"

#include <QImage>

#include <vector>

class QPainter;
class QRectF;

namespace ui {

// The level bars: a row of rounded bars whose heights follow the microphone level, over a soft
// glow of themselves. Each bar springs to its new height, so the drawing keeps one spring per
// bar. Bars and glow are computed directly into one image per frame (the glow as the exact
// Gaussian of upright bars), far cheaper than painting and blurring them at display rate.
class AudioWaveform final
{
public:
    // The indicator's bars: 24 of them, 2 wide, 1.5 apart, never lower than 2. At least two.
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
    struct Bar
    {
        double left, top, right, bottom, radius;
    };
    // Fills m_image with the bars and their glow, in device pixels of the image.
    void render(const std::vector<Bar> &bars, double glowSigma);
    void addBar(const Bar &bar, double glowSigma);

    int m_barCount;
    double m_barWidth;
    double m_barSpacing;
    double m_minBarHeight;
    std::vector<Spring> m_bars;
    std::vector<Bar> m_shapes;
    QImage m_image;
    std::vector<float> m_cover;
    std::vector<float> m_glow;
    std::vector<float> m_columnGlow;
    std::vector<float> m_rowGlow;
};

} // namespace ui
