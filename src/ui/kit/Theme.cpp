// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/Theme.h"

#include "ui/kit/ThemeFollower.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

namespace ui {

namespace {

struct StyleRow
{
    int pointSize;
    QFont::Weight weight;
};

StyleRow row(TextStyle style)
{
    switch (style) {
    case TextStyle::Body:
        return {13, QFont::Normal};
    case TextStyle::Callout:
        return {12, QFont::Normal};
    case TextStyle::Subheadline:
        return {11, QFont::Normal};
    case TextStyle::Footnote:
    case TextStyle::Caption:
    case TextStyle::Caption2:
        return {10, QFont::Normal};
    case TextStyle::Headline:
        return {13, QFont::DemiBold};
    case TextStyle::Title3:
        return {15, QFont::Normal};
    case TextStyle::Title2:
        return {17, QFont::Normal};
    case TextStyle::Title:
        return {22, QFont::Normal};
    }
    return {13, QFont::Normal};
}

} // namespace

qreal Theme::textScale()
{
    const QFont desktop = QApplication::font();
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96;
    const qreal pixels =
        desktop.pixelSize() > 0 ? desktop.pixelSize() : desktop.pointSizeF() * dpi / 72;
    // The design's body text is the desktop's text: 13 pixels, a 10 pt font on a 96 dpi screen.
    constexpr qreal bodyPixels = 13;
    return pixels > 0 ? pixels / bodyPixels : 1;
}

int Theme::scaled(qreal designSize)
{
    return qMax(1, qRound(designSize * textScale()));
}

QFont Theme::font(TextStyle style)
{
    const StyleRow styleRow = row(style);
    QFont font = QApplication::font();
    // The design's sizes are in points of a 72 dpi screen, one logical pixel each beside a 10 pt
    // desktop font; they grow and shrink with the desktop's font, as the controls do, so body
    // text is always as large as the controls' text.
    font.setPixelSize(scaled(styleRow.pointSize));
    font.setWeight(styleRow.weight);
    return font;
}

QFont Theme::monospacedDigitFont(TextStyle style)
{
    // Qt 6.4 cannot switch font features on; the desktop's UI fonts (DejaVu Sans, Noto Sans,
    // Cantarell) already draw every digit at one width.
    return font(style);
}

QColor Theme::color(NamedColor color)
{
    switch (color) {
    case NamedColor::Green:
        return QColor(0x34, 0xC7, 0x59);
    case NamedColor::Red:
        return QColor(0xFF, 0x3B, 0x30);
    case NamedColor::Orange:
        return QColor(0xFF, 0x95, 0x00);
    case NamedColor::Yellow:
        return QColor(0xFF, 0xCC, 0x00);
    case NamedColor::Blue:
        return QColor(0x00, 0x7A, 0xFF);
    case NamedColor::Cyan:
        return QColor(0x32, 0xAD, 0xE6);
    case NamedColor::Emerald:
        return QColor::fromRgbF(0.2f, 0.83f, 0.6f, 1.0f);
    }
    return {};
}

double Theme::opacity(Emphasis emphasis)
{
    static constexpr double opacities[] = {1.0, 0.5, 0.26, 0.10};
    return opacities[static_cast<int>(emphasis)];
}

QColor Theme::foreground(const QPalette &palette, Emphasis emphasis)
{
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(static_cast<float>(opacity(emphasis)));
    return color;
}

QColor Theme::accent(const QPalette &palette)
{
    return palette.color(QPalette::Highlight);
}

void Theme::style(QWidget *widget, TextStyle textStyle, const ThemeColor &color)
{
    widget->setFont(font(textStyle));
    setTextColor(widget, color);
}

void Theme::setTextColor(QWidget *widget, const ThemeColor &color)
{
    follow(widget, QStringLiteral("ui.Theme.textColor"), [widget, color] {
        // The widget's own palette holds the colour set before; the one it would have without it
        // comes from its parent, or from the application for a window.
        const QPalette inherited = widget->parentWidget() && !widget->isWindow()
                                       ? widget->parentWidget()->palette()
                                       : QApplication::palette(widget);
        const QColor resolved = color.resolve(inherited);
        QPalette palette = widget->palette();
        if (palette.isBrushSet(QPalette::Active, QPalette::WindowText) &&
            palette.color(QPalette::WindowText) == resolved &&
            palette.color(QPalette::Text) == resolved)
            return;
        palette.setColor(QPalette::WindowText, resolved);
        palette.setColor(QPalette::Text, resolved);
        widget->setPalette(palette);
    });
}

void Theme::follow(QWidget *widget, const QString &name, std::function<void()> apply)
{
    ThemeFollower::follow(widget, name, std::move(apply));
}

} // namespace ui
