// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

// The general clipboard, plain-text flavour.
// Its operations are added with the first code that calls them.
class Pasteboard
{
public:
    virtual ~Pasteboard() = default;
};

} // namespace platform
