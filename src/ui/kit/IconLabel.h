// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/kit/Theme.h"

#include <QWidget>

namespace ui {

class ElidedLabel;
class SymbolLabel;

// A text with a leading symbol in the same text style: the design's label with an icon.
class IconLabel final : public QWidget
{
    Q_OBJECT

public:
    IconLabel(const QString &symbol, const QString &text, TextStyle style,
              QWidget *parent = nullptr, int spacing = 4);

    QString symbol() const;
    void setSymbol(const QString &symbol);
    QString text() const;
    void setText(const QString &text);
    // Colours the symbol and the text; setSymbolColor then recolours the symbol alone.
    void setColor(const ThemeColor &color);
    void setSymbolColor(const ThemeColor &color);
    QColor symbolColor() const;
    ElidedLabel *textLabel() const { return m_text; }

private:
    SymbolLabel *m_glyph;
    ElidedLabel *m_text;
};

} // namespace ui
