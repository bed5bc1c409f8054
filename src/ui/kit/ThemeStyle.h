// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProxyStyle>

namespace ui {

// The desktop's own widget style, with one repair: styles that draw the frame of a text field
// and of an unticked check box a little darker than the window lose it on a dark palette, where
// that is the colour of the field itself. On a dark window those frames get a visible edge.
class ThemeStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    // Over the style the desktop would give the application.
    ThemeStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;

    // Puts it over the application's style, once.
    static void install();
};

} // namespace ui
