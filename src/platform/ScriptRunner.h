// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace platform {

// A compiled script, ready to run.
class Script
{
public:
    virtual ~Script() = default;

    // Runs the script to its end; empty on success, otherwise the error's textual description.
    virtual std::optional<QString> execute() = 0;
};

// The scripted paste fallback: runs the keystroke scripts the program sends to the desktop's
// "System Events" service.
class ScriptRunner
{
public:
    virtual ~ScriptRunner() = default;

    // Compiles `source`; null when the script cannot be created.
    virtual std::unique_ptr<Script> createScript(const QString &source) = 0;
};

} // namespace platform
