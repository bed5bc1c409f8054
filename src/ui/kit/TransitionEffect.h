// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGraphicsEffect>

namespace ui {

// Draws a widget part of the way through its coming or going: at `progress` 1 it is drawn as it
// is, towards 0 it fades and, depending on the kind, also shrinks towards its centre or slides up
// out of its own top edge (what lies above it covers where it went, as the area it occupies
// shrinks with it).
class TransitionEffect final : public QGraphicsEffect
{
    Q_OBJECT

public:
    enum class Kind { Fade, FadeAndScale, FadeAndMoveFromTop };

    explicit TransitionEffect(Kind kind, QObject *parent = nullptr);

    void setProgress(double progress);
    double progress() const { return m_progress; }
    Kind kind() const { return m_kind; }

protected:
    void draw(QPainter *painter) override;

private:
    Kind m_kind;
    double m_progress = 1;
};

} // namespace ui
