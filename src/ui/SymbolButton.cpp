// SPDX-License-Identifier: GPL-3.0-or-later
#include "SymbolButton.h"

#include "Symbols.h"

namespace ui {

SymbolButton::SymbolButton(const QString &name, int pixelSize, const QColor &color, QWidget *parent)
    : QToolButton(parent)
{
    setFont(Symbols::font(pixelSize));
    setAutoRaise(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    // Just the glyph with a little room for the hover frame, not a toolbar button's padding.
    setFixedSize(pixelSize + 6, pixelSize + 6);
    setSymbol(name, color);
}

void SymbolButton::setSymbol(const QString &name, const QColor &color)
{
    m_name = name;
    setText(Symbols::text(name));
    QPalette palette = this->palette();
    palette.setColor(QPalette::ButtonText, color);
    setPalette(palette);
}

} // namespace ui
