// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

// Permission queries and requests: Accessibility, event posting and listening, the microphone.
// Its operations are added with the first code that calls them.
class Permissions
{
public:
    virtual ~Permissions() = default;
};

} // namespace platform
