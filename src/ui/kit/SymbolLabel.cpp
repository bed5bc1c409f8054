// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/SymbolLabel.h"

#include "ui/kit/FadeAnimation.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>

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

void SymbolLabel::replaceSymbol(const QString &name, const ThemeColor &color, double seconds)
{
    // A replacement cut short hands over what it was showing: the glyph now mostly on screen.
    const bool outgoingMostly = m_replace && m_replaceProgress < 0.5;
    m_outgoing = outgoingMostly ? m_outgoing : text();
    m_outgoingColor = outgoingMostly ? m_outgoingColor : this->color();
    if (m_replace) {
        QVariantAnimation *running = m_replace;
        m_replace = nullptr;
        running->stop(); // deletes itself
    }
    setSymbol(name, color);
    auto *animation = new QVariantAnimation(this);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(qRound(seconds * 1000.0));
    animation->setEasingCurve(FadeAnimation::easeOut());
    m_replace = animation;
    m_replaceProgress = 0;
    connect(animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_replaceProgress = value.toDouble();
        update();
    });
    connect(animation, &QVariantAnimation::finished, this, [this, animation] {
        if (m_replace != animation)
            return;
        m_replace = nullptr;
        m_replaceProgress = 1;
        update();
    });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    update();
}

bool SymbolLabel::isReplacing() const
{
    return !m_replace.isNull();
}

QColor SymbolLabel::color() const
{
    return palette().color(QPalette::WindowText);
}

void SymbolLabel::paintEvent(QPaintEvent *event)
{
    if (!m_replace) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font());
    paintGlyph(painter, m_outgoing, m_outgoingColor, 1 - m_replaceProgress);
    paintGlyph(painter, text(), color(), m_replaceProgress);
}

void SymbolLabel::paintGlyph(QPainter &painter, const QString &glyph, const QColor &color,
                             double progress)
{
    if (progress <= 0)
        return;
    const QRectF area = contentsRect();
    painter.save();
    painter.setOpacity(std::min(progress, 1.0));
    // Never quite zero: a zero scale is a singular transform.
    const double scale = std::max(progress, 0.00001);
    painter.translate(area.center());
    painter.scale(scale, scale);
    painter.translate(-area.center());
    painter.setPen(color);
    painter.drawText(area, Qt::AlignCenter, glyph);
    painter.restore();
}

} // namespace ui
