// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/TransitionEffect.h"

#include <QPainter>

#include <algorithm>

namespace ui {

TransitionEffect::TransitionEffect(Kind kind, QObject *parent)
    : QGraphicsEffect(parent), m_kind(kind)
{}

void TransitionEffect::setProgress(double progress)
{
    if (m_progress == progress)
        return;
    m_progress = progress;
    update();
}

void TransitionEffect::draw(QPainter *painter)
{
    if (m_progress >= 1) {
        drawSource(painter);
        return;
    }
    QPoint offset;
    const QPixmap pixmap = sourcePixmap(Qt::LogicalCoordinates, &offset);
    if (pixmap.isNull())
        return;
    const QRectF area(offset, pixmap.deviceIndependentSize());
    painter->save();
    painter->setOpacity(painter->opacity() * std::max(m_progress, 0.0));
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_kind == Kind::FadeAndScale) {
        // Never quite zero: a zero scale is a singular transform.
        const double scale = std::max(m_progress, 0.00001);
        painter->translate(area.center());
        painter->scale(scale, scale);
        painter->translate(-area.center());
    } else if (m_kind == Kind::FadeAndMoveFromTop) {
        painter->translate(0, -(1 - m_progress) * area.height());
    }
    painter->drawPixmap(area.topLeft(), pixmap);
    painter->restore();
}

} // namespace ui
