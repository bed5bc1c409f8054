// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPoint>

#include <optional>

namespace platform {

// What the window system tells about the desktop around our windows: whether a compositing
// manager blends translucent windows with what lies below them, and which window holds the
// keyboard and where it is.
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
