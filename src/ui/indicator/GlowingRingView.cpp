// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicator/GlowingRingView.h"

#include "ui/kit/Theme.h"

#include <QConicalGradient>
#include <QPainter>

#include <cmath>

namespace ui {

namespace {

constexpr double kTurnsPerSecond = 0.8;

// The arc is bright over the first 30 % of the turn and gone by 60 %, counted clockwise from the
// right. Qt's conical gradients run counter-clockwise, so each location s sits at 1 − s.
QConicalGradient arcGradient(const QColor &color)
{
    QColor clear = color;
    clear.setAlphaF(0);
    QConicalGradient gradient(QPointF(0, 0), 0);
    gradient.setColorAt(1.0, color);
    gradient.setColorAt(0.7, color);
    gradient.setColorAt(0.4, clear);
    gradient.setColorAt(0.0, clear);
    return gradient;
}

// The gradients are anchored at the centre, so the circle is drawn about the origin.
void strokeCircle(QPainter &painter, const QRectF &frame, const QBrush &brush, double lineWidth)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(frame.center());
    painter.setPen(QPen(brush, lineWidth));
    painter.setBrush(Qt::NoBrush);
    const double radius = std::min(frame.width(), frame.height()) / 2;
    painter.drawEllipse(QPointF(0, 0), radius, radius);
    painter.restore();
}

} // namespace

double GlowingRingView::rotationDegrees(double t)
{
    return std::fmod(360.0 * t * kTurnsPerSecond, 360.0);
}

double GlowingRingView::glowOpacity(double t)
{
    return std::sin(3 * t) * 0.06 + 0.12;
}

void GlowingRingView::paint(QPainter &painter, const QRectF &frame, double t)
{
    static const QBrush white(arcGradient(Qt::white));
    static const QBrush glow = [] {
        QColor cyan = Theme::color(NamedColor::Cyan);
        cyan.setAlphaF(0.6f);
        return QBrush(arcGradient(cyan));
    }();
    const QRectF strokeBounds = frame.adjusted(-2, -2, 2, 2);

    // A blur does not care about rotation: the three rings are drawn once, unrotated, and only
    // turned at each frame.
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // The images fade out to nothing at their edges: antialiasing those would only split each
    // row into many spans, which Qt then spreads over threads at a high price in wake-ups.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(frame.center());
    painter.rotate(rotationDegrees(t));
    painter.translate(-frame.center());
    m_glow.paint(
        painter, strokeBounds, 8, glowOpacity(t),
        [&](QPainter &layer) { strokeCircle(layer, frame, glow, 4); }, 0);
    m_soft.paint(
        painter, strokeBounds, 3, 0.4,
        [&](QPainter &layer) { strokeCircle(layer, frame, white, 2.5); }, 0);
    m_sharp.paint(
        painter, strokeBounds, 0, 1.0,
        [&](QPainter &layer) { strokeCircle(layer, frame, white, 2); }, 0);
    painter.restore();
}

} // namespace ui
