// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/kit/Theme.h"

#include <QAbstractButton>

#include <optional>

namespace ui {

// The design's borderless button: a leading symbol (optional) and a text (optional), no frame,
// dimmed while pressed and drawn in the tertiary colour while disabled. With `link` it takes the
// desktop's link colour and a pointing-hand cursor.
class BorderlessButton final : public QAbstractButton
{
    Q_OBJECT

public:
    BorderlessButton(const QString &symbol, const QString &text, TextStyle style,
                     QWidget *parent = nullptr);
    // A text-only button in the link style.
    static BorderlessButton *link(const QString &text, TextStyle style, QWidget *parent = nullptr);
    // A button that is one symbol of `pixelSize` in `color` (invalid: the primary text colour).
    static BorderlessButton *symbolOnly(const QString &symbol, int pixelSize,
                                        const ThemeColor &color, QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString &symbol);
    // The colour while enabled; without one, the window's primary text colour.
    void setColor(std::optional<ThemeColor> color);
    // The colour the button draws in now.
    QColor currentColor() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QFont glyphFont() const;

    QString m_symbol;
    // 0: a little larger than the text, as the platform's symbols beside text are.
    int m_glyphPixelSize = 0;
    std::optional<ThemeColor> m_color;
    // Only focus reached with the keyboard is drawn: a window that opens focuses its first
    // button, and a ring there would look like a selection.
    bool m_keyboardFocus = false;
};

} // namespace ui
