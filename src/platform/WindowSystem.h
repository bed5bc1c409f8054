// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPoint>

#include <optional>

class QRegion;
class QWindow;

namespace platform {

// What the window system tells about the desktop around our windows: whether a compositing
// manager blends translucent windows with what lies below them, which window holds the keyboard,
// where it is and how it takes a paste.
class WindowSystem : public QObject
{
    Q_OBJECT

public:
    // How a window pastes, as far as the window system can tell from what kind of program it is.
    enum class PasteTarget {
        // Takes the usual paste chord.
        Ordinary,
        // A terminal, where the usual chord is a control character for the program inside; it
        // pastes the clipboard with Control+Shift+V.
        ClipboardTerminal,
        // A terminal whose paste keystroke, Shift+Insert, reads the primary selection.
        SelectionTerminal,
    };

    using QObject::QObject;
    ~WindowSystem() override = default;

    // Whether translucent pixels of a window show what lies behind it. Without a compositing
    // manager they show black.
    virtual bool isCompositing() const = 0;
    // The centre of the active window in Qt's (logical) desktop coordinates; nothing when no
    // window is active or the window manager does not say which one is.
    virtual std::optional<QPoint> activeWindowCenter() const = 0;
    // Cuts `window` to `region`, given in the window's own device pixels, over whatever shape the
    // window had. Qt cuts a window in logical pixels only, so at a scale factor of 2 a curved
    // edge would step in 2-pixel blocks. Whether the window system could; without one, nothing.
    virtual bool shapeWindow(QWindow &window, const QRegion &region)
    {
        Q_UNUSED(window);
        Q_UNUSED(region);
        return false;
    }
    // How the window holding the keyboard takes a paste; Ordinary when it cannot be told.
    virtual PasteTarget focusedPasteTarget() const = 0;
    // The native id of the active window; nothing when no window is active or the window
    // manager does not say which one is.
    virtual std::optional<quint64> activeWindow() const = 0;

signals:
    // The window manager made another window active (or none).
    void activeWindowChanged();
    // A compositing manager started or stopped.
    void compositingChanged(bool compositing);
};

} // namespace platform
