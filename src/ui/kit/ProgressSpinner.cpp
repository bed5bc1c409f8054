// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/ProgressSpinner.h"

#include "ui/kit/Theme.h"

#include <QPainter>

namespace ui {

ProgressSpinner::ProgressSpinner(int diameter, QWidget *parent) : QWidget(parent)
{
    setFixedSize(diameter, diameter);
    m_rotation.setStartValue(0.0);
    m_rotation.setEndValue(360.0);
    m_rotation.setDuration(900);
    m_rotation.setLoopCount(-1);
    connect(&m_rotation, &QVariantAnimation::valueChanged, this,
            qOverload<>(&ProgressSpinner::update));
}

void ProgressSpinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // A turning spinner says work is under way, never that something is off: inside a button
    // disabled for that work, the disabled colours would all but hide it.
    QPalette colors = palette();
    if (colors.currentColorGroup() == QPalette::Disabled)
        colors.setCurrentColorGroup(QPalette::Active);
    const qreal pen = qMax(1.5, width() / 8.0);
    const QRectF circle = QRectF(rect()).adjusted(pen, pen, -pen, -pen);
    painter.setPen(QPen(Theme::foreground(colors, Emphasis::Quaternary), pen));
    painter.drawEllipse(circle);
    painter.setPen(
        QPen(Theme::foreground(colors, Emphasis::Secondary), pen, Qt::SolidLine, Qt::RoundCap));
    // Angles in sixteenths of a degree, counter-clockwise; turning clockwise reads as progress.
    const int start = int(-m_rotation.currentValue().toDouble() * 16);
    painter.drawArc(circle, start, 100 * 16);
}

void ProgressSpinner::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_rotation.start();
}

void ProgressSpinner::hideEvent(QHideEvent *event)
{
    m_rotation.stop();
    QWidget::hideEvent(event);
}

} // namespace ui
