// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>

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

// How strongly a text or symbol stands out against the window.
enum class Emphasis { Primary, Secondary, Tertiary, Quaternary };

// The one table of text styles and colours every window uses.
class Theme final
{
public:
    static QFont font(TextStyle style);
    // The same style with tabular figures, so changing numbers do not shift sideways.
    static QFont monospacedDigitFont(TextStyle style);
    static QColor color(NamedColor color);
    // The palette's window text at the emphasis' opacity (100, 50, 26 or 10 %).
    static QColor foreground(const QPalette &palette, Emphasis emphasis);
    // The desktop's accent (selection) colour.
    static QColor accent(const QPalette &palette);

    // Sets a widget's font and text colour in one call.
    static void style(QWidget *widget, TextStyle textStyle, Emphasis emphasis = Emphasis::Primary);
    static void style(QWidget *widget, TextStyle textStyle, const QColor &color);
};

} // namespace ui
