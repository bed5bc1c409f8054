// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

// System-wide hot keys: registration by key code and modifiers, press and release events.
// Its operations are added with the first code that calls them.
class HotKeyService
{
public:
    virtual ~HotKeyService() = default;
};

} // namespace platform
