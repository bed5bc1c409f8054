// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/SymbolLabel.h"

#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

namespace ui {

SymbolLabel::SymbolLabel(const QString &name, int pixelSize, const ThemeColor &color,
                         QWidget *parent)
    : QLabel(parent)
{
    setFont(Symbols::font(pixelSize));
    setAlignment(Qt::AlignCenter);
    setSymbol(name, color);
}

void SymbolLabel::setSymbol(const QString &name, const ThemeColor &color)
{
    setSymbol(name);
    Theme::setTextColor(this, color);
}

void SymbolLabel::setSymbol(const QString &name)
{
    m_name = name;
    setText(Symbols::text(name));
}

QColor SymbolLabel::color() const
{
    return palette().color(QPalette::WindowText);
}

} // namespace ui
