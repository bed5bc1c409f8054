// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/BorderlessButton.h"

#include "ui/kit/Symbols.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QPainter>

namespace ui {

namespace {

constexpr int kSpacing = 4;
constexpr int kPadding = 1;

} // namespace

BorderlessButton::BorderlessButton(const QString &symbol, const QString &text, TextStyle style,
                                   QWidget *parent)
    : QAbstractButton(parent), m_symbol(symbol)
{
    setFont(Theme::font(style));
    setText(text);
    // A click must not move keyboard focus away from what the user was selecting.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

BorderlessButton *BorderlessButton::link(const QString &text, TextStyle style, QWidget *parent)
{
    auto *button = new BorderlessButton(QString(), text, style, parent);
    button->setColor(ThemeColor(QPalette::Link));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

BorderlessButton *BorderlessButton::symbolOnly(const QString &symbol, int pixelSize,
                                               const ThemeColor &color, QWidget *parent)
{
    auto *button = new BorderlessButton(symbol, QString(), TextStyle::Body, parent);
    button->m_glyphPixelSize = pixelSize;
    button->setColor(color.isValid() ? std::optional<ThemeColor>(color) : std::nullopt);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

void BorderlessButton::setSymbol(const QString &symbol)
{
    if (m_symbol == symbol)
        return;
    m_symbol = symbol;
    updateGeometry();
    update();
}

void BorderlessButton::setColor(std::optional<ThemeColor> color)
{
    m_color = std::move(color);
    update();
}

QColor BorderlessButton::currentColor() const
{
    if (!isEnabled())
        return Theme::foreground(palette(), Emphasis::Tertiary);
    QColor color = m_color.value_or(Emphasis::Primary).resolve(palette());
    if (isDown())
        color.setAlphaF(color.alphaF() * 0.6f);
    return color;
}

QFont BorderlessButton::glyphFont() const
{
    return Symbols::font(m_glyphPixelSize > 0 ? m_glyphPixelSize
                                              : qRound(font().pixelSize() * 1.25));
}

QSize BorderlessButton::sizeHint() const
{
    const QFontMetrics textMetrics(font());
    int width = 0;
    int height = text().isEmpty() ? 0 : textMetrics.height();
    if (!m_symbol.isEmpty()) {
        const QFontMetrics glyphMetrics(glyphFont());
        width += glyphMetrics.horizontalAdvance(Symbols::text(m_symbol));
        height = qMax(height, glyphFont().pixelSize());
    }
    if (!text().isEmpty())
        width += (width > 0 ? kSpacing : 0) + textMetrics.horizontalAdvance(text());
    return QSize(width + 2 * kPadding, height + 2 * kPadding);
}

void BorderlessButton::focusInEvent(QFocusEvent *event)
{
    m_keyboardFocus =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
}

void BorderlessButton::focusOutEvent(QFocusEvent *event)
{
    m_keyboardFocus = false;
    QAbstractButton::focusOutEvent(event);
}

void BorderlessButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area = rect().adjusted(kPadding, kPadding, -kPadding, -kPadding);
    if (hasFocus() && m_keyboardFocus) {
        QColor ring = Theme::accent(palette());
        ring.setAlphaF(0.5f);
        painter.setPen(ring);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }
    const QColor color = currentColor();
    int x = area.left();
    if (!m_symbol.isEmpty()) {
        const QFont glyph = glyphFont();
        const int advance = QFontMetrics(glyph).horizontalAdvance(Symbols::text(m_symbol));
        painter.setFont(glyph);
        painter.setPen(color);
        painter.drawText(QRect(x, area.top(), advance, area.height()), Qt::AlignCenter,
                         Symbols::text(m_symbol));
        x += advance + kSpacing;
    }
    if (!text().isEmpty()) {
        painter.setFont(font());
        painter.setPen(color);
        painter.drawText(QRect(x, area.top(), area.right() - x + 1, area.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    }
}

} // namespace ui
