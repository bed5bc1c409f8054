// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEasingCurve>

class QWidget;

namespace ui {

// Fades a widget inside a window in or out with the ease-out curve the windows use, as content
// that changes or comes and goes: a fade-in always starts from transparent, so it also plays for
// a widget already shown whose content just changed. The effect exists only while a fade runs:
// left in place it would redraw the whole subtree through an offscreen pixmap. A new fade of the
// same widget replaces the running one. (Whole windows fade through their window opacity with
// WindowFade.)
class FadeAnimation final
{
public:
    enum class Motion {
        Fade,
        // The fade with a scale about the widget's centre, from nothing to its full size.
        FadeAndScale,
    };

    // The standard ease-out timing curve (cubic Bézier 0, 0, 0.58, 1).
    static QEasingCurve easeOut();
    // Shows `widget` and brings it from transparent to opaque over `seconds`.
    static void fadeIn(QWidget *widget, double seconds, Motion motion = Motion::Fade);
    // Takes `widget` from opaque to transparent over `seconds`, then hides it.
    static void fadeOut(QWidget *widget, double seconds, Motion motion = Motion::Fade);
    // As fadeOut, then deletes `widget` (later, so it may be the sender of the call).
    static void fadeOutAndDelete(QWidget *widget, double seconds, Motion motion = Motion::Fade);
    static bool isRunning(const QWidget *widget);
};

} // namespace ui
