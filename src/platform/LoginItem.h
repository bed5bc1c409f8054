// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

// Starting the program at login.
// Its operations are added with the first code that calls them.
class LoginItem
{
public:
    virtual ~LoginItem() = default;
};

} // namespace platform
