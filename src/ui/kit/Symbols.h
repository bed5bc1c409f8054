// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>

#include <optional>

class QPainter;
class QRectF;

namespace ui {

// The design names its pictures by symbol name ("mic.fill", "waveform"…); here each name is a
// glyph of the Material Icons font. An unknown name draws nothing and is logged once.
class Symbols final
{
public:
    // The glyph for `name`, or nothing for a name without a row.
    static std::optional<char32_t> codepoint(const QString &name);
    // The glyph as text for a label set in `font()`; empty for an unknown name.
    static QString text(const QString &name);
    // The icon font at `pixelSize`.
    static QFont font(int pixelSize);
    // Draws `name` centred in `rect`, filling its height.
    static void paint(QPainter &painter, const QRectF &rect, const QString &name,
                      const QColor &color);
    // `name` drawn in `color` into a square icon (the tray icon, buttons).
    static QIcon icon(const QString &name, const QColor &color, int pixelSize = 64);
    // Every name with a row, for tests that check the font really has each glyph.
    static QStringList names();
};

} // namespace ui
