// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/kit/ThemeColor.h"

#include <QLabel>
#include <QPointer>

class QPainter;
class QVariantAnimation;

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
    // Another symbol that takes the place of the one shown over `seconds`: the old one shrinks
    // into the centre and fades out while the new one grows from there and fades in.
    void replaceSymbol(const QString &name, const ThemeColor &color, double seconds);
    bool isReplacing() const;
    QString symbol() const { return m_name; }
    // The colour it is drawn in now.
    QColor color() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintGlyph(QPainter &painter, const QString &glyph, const QColor &color, double progress);

    QString m_name;
    // While a replacement runs: the glyph going, its colour, and how far (0 to 1) it has gone.
    QPointer<QVariantAnimation> m_replace;
    QString m_outgoing;
    QColor m_outgoingColor;
    double m_replaceProgress = 1;
};

} // namespace ui
