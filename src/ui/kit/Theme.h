// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/kit/ThemeColor.h"

#include <QColor>
#include <QFont>

#include <functional>

class QPalette;
class QWidget;

namespace ui {

enum class TextStyle {
    Body,
    Callout,
    Subheadline,
    Footnote,
    Caption,
    Caption2,
    Headline,
    Title3,
    Title2,
    Title
};

enum class NamedColor { Green, Red, Orange, Yellow, Blue, Cyan, Emerald };

// The one table of text styles and colours every window uses.
class Theme final
{
public:
    // How much larger than the design the desktop's font is: the design's body text is 13
    // pixels, about a 10 pt desktop font, so at 10 pt this is about 1 and at 12 pt about 1.2.
    static qreal textScale();
    // A size the design gives in points, for text or for what sits beside text (symbols, the
    // widths that hold a text), in logical pixels at the desktop's font size.
    static int scaled(qreal designSize);
    // The style's font: the desktop's font at the style's size and weight.
    static QFont font(TextStyle style);
    // The same style with tabular figures, so changing numbers do not shift sideways.
    static QFont monospacedDigitFont(TextStyle style);
    static QColor color(NamedColor color);
    // How opaque text of that emphasis is: 1, 0.5, 0.26 or 0.1.
    static double opacity(Emphasis emphasis);
    // The palette's window text at the emphasis' opacity.
    static QColor foreground(const QPalette &palette, Emphasis emphasis);
    // The desktop's accent (selection) colour.
    static QColor accent(const QPalette &palette);

    // Sets a widget's font and text colour in one call.
    static void style(QWidget *widget, TextStyle textStyle,
                      const ThemeColor &color = Emphasis::Primary);
    // Colours a widget's text (window text and text), worked out again from the palette it
    // inherits whenever the desktop's palette, theme or style changes.
    static void setTextColor(QWidget *widget, const ThemeColor &color);
    // Runs `apply` now and on every palette, theme or style change of `widget`: for colours a
    // widget takes in some other way than its palette (a style sheet). A second call with the
    // same `name` replaces the first.
    static void follow(QWidget *widget, const QString &name, std::function<void()> apply);
};

} // namespace ui
