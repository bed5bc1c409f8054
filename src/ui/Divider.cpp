// SPDX-License-Identifier: GPL-3.0-or-later
#include "Divider.h"

#include "ui/Theme.h"

#include <QPainter>

namespace ui {

Divider::Divider(int padding, QWidget *parent) : QWidget(parent)
{
    setFixedHeight(2 * padding + 1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QColor line = palette().color(QPalette::WindowText);
    line.setAlphaF(0.15f);
    painter.fillRect(QRect(0, height() / 2, width(), 1), line);
}

} // namespace ui
