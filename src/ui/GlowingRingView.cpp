// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlowingRingView.h"

#include "ui/Theme.h"

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

void strokeCircle(QPainter &painter, const QRectF &frame, double angle, const QBrush &brush,
                  double lineWidth)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(frame.center());
    painter.rotate(angle);
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
    const double angle = rotationDegrees(t);
    const QRectF strokeBounds = frame.adjusted(-2, -2, 2, 2);

    m_glow.paint(painter, strokeBounds, 8, glowOpacity(t),
                 [&](QPainter &layer) { strokeCircle(layer, frame, angle, glow, 4); });
    m_soft.paint(painter, strokeBounds, 3, 0.4,
                 [&](QPainter &layer) { strokeCircle(layer, frame, angle, white, 2.5); });
    strokeCircle(painter, frame, angle, white, 2);
}

} // namespace ui
