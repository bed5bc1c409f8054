// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

// Global and local keyboard and mouse event monitors, and menu-tracking notifications.
// Its operations are added with the first code that calls them.
class EventMonitors
{
public:
    virtual ~EventMonitors() = default;
};

} // namespace platform
