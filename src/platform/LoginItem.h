// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace platform {

// Starting the program when the user logs in.
class LoginItem
{
public:
    // Empty on success; otherwise the platform's description of what went wrong.
    using Failure = std::optional<QString>;

    virtual ~LoginItem() = default;

    // Whether the program is registered to start at login.
    virtual bool isEnabled() const = 0;
    // Registers the program; registering it again is not an error.
    virtual Failure registerMainApp() = 0;
    // Removes the registration; removing an absent one is not an error.
    virtual Failure unregisterMainApp() = 0;
};

} // namespace platform
