// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/indicator/AudioWaveform.h"
#include "ui/indicator/CapsuleBackground.h"
#include "ui/indicator/CapsuleBorder.h"
#include "ui/indicator/GlowingRingView.h"
#include "ui/kit/Spring.h"

#include <QWidget>

class AppState;

namespace ui {

class FrameClock;

// The indicator's capsule: level bars while recording, the spinning ring while transcribing,
// "Too short" after a discarded recording. Every frame is drawn from the time and AppState as
// they stand; the springs only remember where each part was heading, so a change of state
// animates from wherever the previous one had got to.
class RecordingIndicatorView final : public QWidget
{
    Q_OBJECT

public:
    explicit RecordingIndicatorView(AppState &appState, QWidget *parent = nullptr);

    FrameClock &frameClock() const { return *m_clock; }
    QSize sizeHint() const override;

    // Where the capsule lies at time `t`, once the view has caught up with AppState.
    QRectF capsuleRect(double t);
    // The pixels the capsule covers at the frame clock's time, counted in pixels of `scale`
    // logical pixels each (the window's device pixels): all a window shows of the view where
    // nothing can be seen through it.
    QRegion capsuleRegion(qreal scale = 1);

    // Where along the border the bright spot of its highlight sits at time `t` (seconds): it
    // sweeps from 0.1 to 0.9 of the width every 4 s and jumps back.
    static double sweepLocation(double t);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Catches up with what changed in AppState since the last frame, at time `now`.
    void followModel(double now);
    void paintCapsule(QPainter &painter, const QRectF &capsule, double t);
    void paintFlash(QPainter &painter, const QRectF &content, double opacity);

    AppState &m_appState;
    FrameClock *m_clock;
    AudioWaveform m_waveform;
    GlowingRingView m_ring;
    CapsuleBackground m_background;
    CapsuleBorder m_border;

    // Only told apart from the model to see what changed between two frames.
    bool m_seenRecording;
    bool m_seenProcessing;
    bool m_seenFlash;

    Spring m_waveformPresence;
    // Grows in with the ring's spring when transcribing starts, drops to 0 at once when it ends.
    Spring m_ringPresence;
    Spring m_contentWidth;
    Spring m_flashPresence;
};

} // namespace ui
