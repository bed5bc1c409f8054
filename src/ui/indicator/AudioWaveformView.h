// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/indicator/AudioWaveform.h"

#include <QWidget>

#include <functional>

namespace ui {

class FrameClock;

// The level bars as a widget of their own, for any window that shows the live microphone level:
// the indicator's 24 bars fill its contents rectangle, redrawn at display rate while it is shown.
// Their glow reaches about 5 beyond the bars; contents margins leave it room, e.g. a widget the
// size of its capsule with `setContentsMargins(12, 6, 12, 6)`.
class AudioWaveformView final : public QWidget
{
    Q_OBJECT

public:
    using LevelSource = std::function<float()>;

    // `level` is asked for the level (0 to 1) at every frame, e.g.
    // `[&appState] { return appState.currentAudioLevel(); }`. Without one the bars stand still
    // at their lowest and the view keeps no frame clock.
    explicit AudioWaveformView(LevelSource level, QWidget *parent = nullptr);

    // Null for a view without a level source.
    FrameClock *frameClock() const { return m_clock; }
    // How opaque the bars and their glow are drawn (1 unless set).
    void setOpacity(qreal opacity);
    qreal opacity() const { return m_opacity; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    LevelSource m_level;
    FrameClock *m_clock = nullptr;
    qreal m_opacity = 1;
    AudioWaveform m_waveform;
};

} // namespace ui
