// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/SymbolLabel.h"

#include "ui/kit/Symbols.h"

namespace ui {

SymbolLabel::SymbolLabel(const QString &name, int pixelSize, const QColor &color, QWidget *parent)
    : QLabel(parent)
{
    setFont(Symbols::font(pixelSize));
    setAlignment(Qt::AlignCenter);
    setSymbol(name, color);
}

void SymbolLabel::setSymbol(const QString &name, const QColor &color)
{
    m_name = name;
    setText(Symbols::text(name));
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, color);
    setPalette(palette);
}

QColor SymbolLabel::color() const
{
    return palette().color(QPalette::WindowText);
}

} // namespace ui
