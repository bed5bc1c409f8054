// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Paths.h"

namespace platform::linux_impl {

// The XDG locations: ~/.local/share for application support; for temporaries a folder of this
// user's alone, "parlovox" in $XDG_RUNTIME_DIR, or "parlovox-<uid>" in $TMPDIR or /tmp.
class StandardPaths final : public Paths
{
public:
    QString applicationSupportDirectory() const override;
    // Made 0700 when missing and narrowed to 0700 when wider; empty when the folder is not one
    // of ours (a link, a file, or another user's), so nothing is recorded where others can read.
    QString temporaryDirectory() const override;
};

} // namespace platform::linux_impl
