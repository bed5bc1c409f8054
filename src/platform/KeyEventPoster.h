// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

// Synthetic keyboard events posted to the desktop session.
// Its operations are added with the first code that calls them.
class KeyEventPoster
{
public:
    virtual ~KeyEventPoster() = default;
};

} // namespace platform
