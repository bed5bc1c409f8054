// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Pasteboard.h"

namespace platform::linux_impl {

// The desktop's CLIPBOARD selection through QClipboard. What we set is served by our own event
// loop for as long as the program runs and nobody else takes the selection.
class QtClipboardPasteboard final : public Pasteboard
{
public:
    std::optional<QString> string() const override;
    void clearContents() override;
    bool setString(const QString &text) override;
};

} // namespace platform::linux_impl
