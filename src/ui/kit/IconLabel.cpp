// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/IconLabel.h"

#include "ui/kit/ElidedLabel.h"
#include "ui/kit/SymbolLabel.h"

#include <QHBoxLayout>

namespace ui {

IconLabel::IconLabel(const QString &symbol, const QString &text, TextStyle style, QWidget *parent,
                     int spacing)
    : QWidget(parent), m_text(new ElidedLabel(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    const QFont textFont = Theme::font(style);
    // Symbols sit a little larger than the text beside them, as the platform's do.
    m_glyph = new SymbolLabel(symbol, qRound(textFont.pixelSize() * 1.25), QColor(), this);
    m_text->setFont(textFont);
    layout->addWidget(m_glyph, 0, Qt::AlignTop);
    layout->addWidget(m_text, 1);
    setText(text);
    setColor(Emphasis::Primary);
}

QString IconLabel::symbol() const
{
    return m_glyph->symbol();
}

void IconLabel::setSymbol(const QString &symbol)
{
    m_glyph->setSymbol(symbol);
}

QString IconLabel::text() const
{
    return m_text->fullText();
}

void IconLabel::setText(const QString &text)
{
    m_text->setFullText(text);
}

void IconLabel::setColor(const ThemeColor &color)
{
    Theme::setTextColor(m_text, color);
    setSymbolColor(color);
}

void IconLabel::setSymbolColor(const ThemeColor &color)
{
    m_glyph->setSymbol(m_glyph->symbol(), color);
}

QColor IconLabel::symbolColor() const
{
    return m_glyph->color();
}

} // namespace ui
