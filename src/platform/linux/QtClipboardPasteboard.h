// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Pasteboard.h"

#include <QMetaObject>

namespace platform::linux_impl {

// The desktop's CLIPBOARD selection through QClipboard. What we set is served by our own event
// loop for as long as the program runs and nobody else takes the selection.
class QtClipboardPasteboard final : public Pasteboard
{
public:
    QtClipboardPasteboard();
    ~QtClipboardPasteboard() override;

    std::optional<QString> string() const override;
    void clearContents() override;
    bool setString(const QString &text) override;
    // Counts Qt's change notifications, which on X11 also report another program taking the
    // clipboard (XFixes).
    qint64 changeCount() const override { return m_changes; }

private:
    qint64 m_changes = 0;
    QMetaObject::Connection m_watch;
};

} // namespace platform::linux_impl
