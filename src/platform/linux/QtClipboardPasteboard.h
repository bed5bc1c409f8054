// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Pasteboard.h"

#include <QClipboard>
#include <QMetaObject>

namespace platform::linux_impl {

// One of the desktop's selections through QClipboard: CLIPBOARD, or PRIMARY (what was last
// selected, pasted by a middle click and by some terminals' Shift+Insert). What we set is served
// by our own event loop for as long as the program runs and nobody else takes the selection.
class QtClipboardPasteboard final : public Pasteboard
{
public:
    explicit QtClipboardPasteboard(QClipboard::Mode mode = QClipboard::Clipboard);
    ~QtClipboardPasteboard() override;

    std::optional<QString> string() const override;
    void clearContents() override;
    bool setString(const QString &text) override;
    // Counts Qt's change notifications, which on X11 also report another program taking the
    // selection (XFixes).
    qint64 changeCount() const override { return m_changes; }

private:
    QClipboard::Mode m_mode;
    qint64 m_changes = 0;
    QMetaObject::Connection m_watch;
};

} // namespace platform::linux_impl
