// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/kit/ThemeColor.h"

#include <QLabel>

namespace ui {

// A symbol of the design drawn as a glyph of the icon font, at a pixel size, in a colour.
class SymbolLabel final : public QLabel
{
    Q_OBJECT

public:
    SymbolLabel(const QString &name, int pixelSize, const ThemeColor &color,
                QWidget *parent = nullptr);

    void setSymbol(const QString &name, const ThemeColor &color);
    // Another symbol in the colour the label has.
    void setSymbol(const QString &name);
    QString symbol() const { return m_name; }
    // The colour it is drawn in now.
    QColor color() const;

private:
    QString m_name;
};

} // namespace ui
