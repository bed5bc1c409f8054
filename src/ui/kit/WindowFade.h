// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace ui {

// Fades a top-level window in and out through its window opacity. One fade runs per window: a new
// fade takes over from the one running, from the opacity it has reached, so a window fading out
// that is asked to come back turns around instead of disappearing afterwards. (A widget inside a
// window has no opacity of its own to animate: FadeAnimation fades those.)
class WindowFade final
{
public:
    // A hidden window is shown (brought to the front, not activated when it is flagged to show
    // without activating) at opacity 0 and fades to 1 over `seconds`; a visible one fading out
    // turns back to 1 from where it stands; one opaque or already fading in is left alone.
    static void fadeIn(QWidget *window, double seconds);
    // Fades to 0 over `seconds`, then hides the window. Nothing for a hidden window.
    // A fade of 0 s (or less) in either direction is done at once.
    static void fadeOut(QWidget *window, double seconds);
    // Whether a fade of `window` is running.
    static bool isFading(const QWidget *window);
    // Lets `window` go without cutting a fade short: deleted once the fades running now, or any
    // that take over from them, are done (a fade-out still hides it first); at once when none runs.
    static void deleteWhenDone(QWidget *window);
};

} // namespace ui
