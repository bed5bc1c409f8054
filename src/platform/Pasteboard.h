// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace platform {

// A clipboard of the desktop (the general clipboard, or the primary selection some programs
// paste from), plain-text flavour only.
class Pasteboard
{
public:
    virtual ~Pasteboard() = default;

    // The clipboard's current plain text; empty when it holds no text flavour (nothing, or only
    // an image or files).
    virtual std::optional<QString> string() const = 0;
    // Drops every flavour the clipboard holds.
    virtual void clearContents() = 0;
    // Makes `text` the clipboard's plain text and keeps offering it to other programs; true when
    // the clipboard took it.
    virtual bool setString(const QString &text) = 0;
    // Grows whenever the clipboard's contents change, by us or by another program; a text read
    // earlier is still the clipboard's while the count stands.
    virtual qint64 changeCount() const = 0;
};

} // namespace platform
