// SPDX-License-Identifier: GPL-3.0-or-later
#include "ActivitySpinner.h"

#include "ui/Theme.h"

#include <QPainter>
#include <QtMath>

namespace ui {

ActivitySpinner::ActivitySpinner(int diameter, QWidget *parent) : QWidget(parent)
{
    setFixedSize(diameter, diameter);
    m_clock.setInterval(1000 / kSpokes);
    connect(&m_clock, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kSpokes;
        update();
    });
}

void ActivitySpinner::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_clock.start();
}

void ActivitySpinner::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_clock.stop();
}

void ActivitySpinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    const qreal outer = qMin(width(), height()) / 2.0 - 1.0;
    const qreal inner = outer * 0.45;
    QPen pen;
    pen.setWidthF(qMax(1.5, outer / 4.0));
    pen.setCapStyle(Qt::RoundCap);
    for (int i = 0; i < kSpokes; ++i) {
        // The spoke at m_step is brightest; the ones behind it fade out.
        const int age = (m_step - i + kSpokes) % kSpokes;
        QColor color = palette().color(QPalette::WindowText);
        color.setAlphaF(static_cast<float>(1.0 - 0.8 * age / (kSpokes - 1)));
        pen.setColor(color);
        painter.setPen(pen);
        const qreal angle = 2.0 * M_PI * i / kSpokes - M_PI / 2.0;
        const QPointF direction(qCos(angle), qSin(angle));
        painter.drawLine(centre + direction * inner, centre + direction * outer);
    }
}

} // namespace ui
