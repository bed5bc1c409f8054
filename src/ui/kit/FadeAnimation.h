// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEasingCurve>

class QWidget;

namespace ui {

// Fades a widget inside a window in or out with the ease-out curve the windows use, as content
// that changes or comes and goes: a fade-in always starts from transparent, so it also plays for
// a widget already shown whose content just changed. The opacity effect exists only while a fade
// runs: left in place it would redraw the whole subtree through an offscreen pixmap. A new fade of
// the same widget replaces the running one. (Whole windows fade through their window opacity with
// WindowFade.)
class FadeAnimation final
{
public:
    // The standard ease-out timing curve (cubic Bézier 0, 0, 0.58, 1).
    static QEasingCurve easeOut();
    // Shows `widget` and brings it from transparent to opaque over `seconds`.
    static void fadeIn(QWidget *widget, double seconds);
    // Takes `widget` from opaque to transparent over `seconds`, then hides it.
    static void fadeOut(QWidget *widget, double seconds);
    static bool isRunning(const QWidget *widget);
};

} // namespace ui
