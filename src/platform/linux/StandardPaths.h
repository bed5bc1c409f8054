// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Paths.h"

namespace platform::linux_impl {

// The XDG locations: ~/.local/share for application support, $TMPDIR or /tmp for temporaries.
class StandardPaths final : public Paths
{
public:
    QString applicationSupportDirectory() const override;
    QString temporaryDirectory() const override;
};

} // namespace platform::linux_impl
