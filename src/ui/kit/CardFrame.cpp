// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/CardFrame.h"

#include <QPainter>
#include <QPainterPath>

namespace ui {

namespace {

constexpr qreal kBorderWidth = 0.5;

} // namespace

CardFrame::CardFrame(qreal radius, QWidget *parent) : QWidget(parent), m_radius(radius) {}

void CardFrame::setColors(const QColor &fill, const QColor &border)
{
    if (m_fill == fill && m_border == border)
        return;
    m_fill = fill;
    m_border = border;
    update();
}

QColor CardFrame::controlBackground(const QPalette &palette)
{
    return palette.color(QPalette::Base);
}

QColor CardFrame::separator(const QPalette &palette)
{
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.15f);
    return color;
}

void CardFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF outer = QRectF(rect());
    QPainterPath shape;
    shape.addRoundedRect(outer, m_radius, m_radius);
    painter.fillPath(shape, m_fill.isValid() ? m_fill : controlBackground(palette()));
    // Stroked along the inside, so the border never reaches past the fill's edge.
    const qreal inset = kBorderWidth / 2;
    QPainterPath border;
    border.addRoundedRect(outer.adjusted(inset, inset, -inset, -inset), m_radius - inset,
                          m_radius - inset);
    painter.setPen(QPen(m_border.isValid() ? m_border : separator(palette()), kBorderWidth));
    painter.drawPath(border);
}

} // namespace ui
