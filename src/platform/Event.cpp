// SPDX-License-Identifier: GPL-3.0-or-later
#include "Event.h"

#include "ModifierFlags.h"

#include <QMouseEvent>

namespace platform {

std::optional<Event> eventFromQtMouseEvent(const QEvent &event, QWindow *window)
{
    Event result;
    result.window = window;
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        const auto &mouseEvent = static_cast<const QMouseEvent &>(event);
        const bool press = event.type() == QEvent::MouseButtonPress;
        if (mouseEvent.button() == Qt::LeftButton)
            result.type = press ? Event::Type::leftMouseDown : Event::Type::leftMouseUp;
        else if (mouseEvent.button() == Qt::RightButton)
            result.type = press ? Event::Type::rightMouseDown : Event::Type::rightMouseUp;
        else
            return std::nullopt;
        result.modifierFlags = cocoaFromQt(mouseEvent.modifiers());
        result.locationInWindow = mouseEvent.position();
        return result;
    }
    default:
        return std::nullopt;
    }
}

} // namespace platform
