// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/Divider.h"

#include "ui/kit/CardFrame.h"

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
    const QRect area = contentsRect();
    painter.fillRect(QRect(area.left(), height() / 2, area.width(), 1),
                     CardFrame::separator(palette()));
}

} // namespace ui
