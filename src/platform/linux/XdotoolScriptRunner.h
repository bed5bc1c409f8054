// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ScriptRunner.h"

#include <QStringList>

namespace platform::linux_impl {

// Runs keystroke scripts addressed to "System Events" with xdotool: a script of the form
//   tell application "System Events"
//       key code <code> using <modifier> down[, <modifier> down...]
//   end tell
// becomes `xdotool key --clearmodifiers <chord>` (command and control both map to ctrl, as the
// paste chord is Control+V here). Any other script cannot be created.
class XdotoolScriptRunner final : public ScriptRunner
{
public:
    std::unique_ptr<Script> createScript(const QString &source) override;

    // The xdotool arguments for `source`, or empty when the script is not understood.
    static QStringList translate(const QString &source);
};

} // namespace platform::linux_impl
