// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/ThemeStyle.h"

#include "ui/kit/Theme.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

namespace ui {

namespace {

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

} // namespace

ThemeStyle::ThemeStyle() = default;

void ThemeStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                               QPainter *painter, const QWidget *widget) const
{
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    const bool uncheckedBox = element == PE_IndicatorCheckBox && (option->state & State_Off) != 0;
    // Some styles draw a field's frame inside its panel without asking for the frame element.
    const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option);
    const bool fieldFrame = element == PE_FrameLineEdit ||
                            (element == PE_PanelLineEdit && frame && frame->lineWidth > 0);
    if (!(uncheckedBox || fieldFrame) || !isDark(option->palette) ||
        (option->state & State_HasFocus) != 0)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QColor edge = Theme::foreground(option->palette, Emphasis::Tertiary);
    if (!(option->state & State_Enabled))
        edge.setAlphaF(edge.alphaF() / 2);
    painter->setPen(QPen(edge, 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    painter->restore();
}

void ThemeStyle::install()
{
    if (!qobject_cast<ThemeStyle *>(QApplication::style()))
        QApplication::setStyle(new ThemeStyle);
}

} // namespace ui
