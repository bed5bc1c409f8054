// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Keyboard.h"

struct xkb_context;

namespace platform::linux_impl {

// The X server's core keyboard, read through xkbcommon-x11 on the application's own X connection:
// a key's text is its first-level symbol (no modifier held) in the keymap's first group whose
// letter keys type Latin letters, whichever group is in effect. The keymap is read afresh for
// every lookup, so a change of layouts shows at once. Without an X display (offscreen, Wayland)
// no key has text.
class X11Keyboard final : public Keyboard
{
public:
    X11Keyboard();
    ~X11Keyboard() override;
    X11Keyboard(const X11Keyboard &) = delete;
    X11Keyboard &operator=(const X11Keyboard &) = delete;

    std::optional<QString> textForKeyCode(qint64 carbonKeyCode) const override;

private:
    xkb_context *m_context = nullptr;
    mutable bool m_extensionChecked = false;
    mutable bool m_extensionAvailable = false;
};

} // namespace platform::linux_impl
