// SPDX-License-Identifier: GPL-3.0-or-later
#include "IconLabel.h"

#include "ui/ElidedLabel.h"
#include "ui/Symbols.h"

#include <QHBoxLayout>
#include <QLabel>

namespace ui {

IconLabel::IconLabel(const QString &symbol, const QString &text, TextStyle style, QWidget *parent,
                     int spacing)
    : QWidget(parent), m_glyph(new QLabel(this)), m_text(new ElidedLabel(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    const QFont textFont = Theme::font(style);
    // Symbols sit a little larger than the text beside them, as the platform's do.
    m_glyph->setFont(Symbols::font(qRound(textFont.pixelSize() * 1.25)));
    m_glyph->setTextFormat(Qt::PlainText);
    m_glyph->setAlignment(Qt::AlignCenter);
    m_text->setFont(textFont);
    layout->addWidget(m_glyph, 0, Qt::AlignTop);
    layout->addWidget(m_text, 1);
    setSymbol(symbol);
    setText(text);
    setColor(Theme::foreground(palette(), Emphasis::Primary));
}

void IconLabel::setSymbol(const QString &symbol)
{
    m_symbol = symbol;
    m_glyph->setText(Symbols::text(symbol));
}

QString IconLabel::text() const
{
    return m_text->fullText();
}

void IconLabel::setText(const QString &text)
{
    m_text->setFullText(text);
}

void IconLabel::setColor(const QColor &color)
{
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    m_text->setPalette(palette);
    setSymbolColor(color);
}

void IconLabel::setSymbolColor(const QColor &color)
{
    QPalette palette = m_glyph->palette();
    palette.setColor(QPalette::WindowText, color);
    m_glyph->setPalette(palette);
}

QColor IconLabel::symbolColor() const
{
    return m_glyph->palette().color(QPalette::WindowText);
}

} // namespace ui
