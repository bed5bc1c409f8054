// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

// The scripted paste fallback.
// Its operations are added with the first code that calls them.
class ScriptRunner
{
public:
    virtual ~ScriptRunner() = default;
};

} // namespace platform
