// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/KeyEventPoster.h"

#include <QList>

namespace platform::linux_impl {

// Posts key events through the XTEST extension on the program's own X connection. The paste
// chord's command flag becomes Control here. Modifiers the user still holds would turn the chord
// into another one, so they are released before the key-down and pressed again after the key-up.
// Without an X display (offscreen, Wayland-only) no event can be made.
class XTestKeyEventPoster final : public KeyEventPoster
{
public:
    std::unique_ptr<KeyEventSource> createSource() override;
    std::optional<KeyEvent> createKeyboardEvent(KeyEventSource *source, quint16 virtualKey,
                                                bool keyDown) override;
    void post(const KeyEvent &event) override;

private:
    // X key codes of the user's modifiers that the last key-down took out of the way.
    QList<quint8> m_releasedModifiers;
    // X key codes of the modifiers the last key-down pressed for its flags.
    QList<quint8> m_pressedModifiers;
};

} // namespace platform::linux_impl
