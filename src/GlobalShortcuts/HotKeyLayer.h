// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/Shortcut.h"

namespace GlobalShortcuts {

// The hot-key layer as the storage functions see it. The hot-key module implements it and installs
// it with ModuleContext::setHotKeyLayer; without one, storage still works and registers
// nothing (ModuleContext::registeredShortcuts is still kept).
class HotKeyLayer
{
public:
    virtual ~HotKeyLayer() = default;

    // Registers the system-wide hot key with the module's key-down and key-up dispatch. A refused
    // registration is reported by the layer itself ("Error registering hotkey ...") and marked
    // with ModuleContext::setRegistrationRefused.
    virtual void registerShortcut(const Shortcut &shortcut) = 0;
    // Releases every hot key with this key code and modifier mask.
    virtual void unregisterShortcut(const Shortcut &shortcut) = 0;
    // Applies isEnabled() and isMenuOpen() after either changed.
    virtual void updateEventHandler() = 0;
};

} // namespace GlobalShortcuts
