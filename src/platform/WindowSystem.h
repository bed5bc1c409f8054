// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPoint>

#include <optional>

class QRegion;
class QWindow;

namespace platform {

// What the window system tells about the desktop around our windows: whether a compositing
// manager blends translucent windows with what lies below them, and where the window holding
// the keyboard is.
class WindowSystem : public QObject
{
    Q_OBJECT

public:
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

signals:
    // A compositing manager started or stopped.
    void compositingChanged(bool compositing);
};

} // namespace platform
