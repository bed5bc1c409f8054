// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Pasteboard.h"

#include <QStringList>

namespace testsupport {

// An in-memory clipboard. `history` lists every change, e.g. "clear", "set hello".
class FakePasteboard final : public platform::Pasteboard
{
public:
    std::optional<QString> string() const override
    {
        ++reads;
        return m_text;
    }
    void clearContents() override
    {
        ++m_changes;
        m_text.reset();
        history.append(QStringLiteral("clear"));
    }
    bool setString(const QString &text) override
    {
        ++m_changes;
        m_text = text;
        history.append(QStringLiteral("set ") + text);
        return true;
    }

    // What another program copying would do: no history entry.
    void copyFromElsewhere(std::optional<QString> text)
    {
        ++m_changes;
        m_text = std::move(text);
    }
    qint64 changeCount() const override { return m_changes; }

    QStringList history;
    // How often the text was read (another program's clipboard answers slowly).
    mutable int reads = 0;

private:
    std::optional<QString> m_text;
    qint64 m_changes = 0;
};

} // namespace testsupport
