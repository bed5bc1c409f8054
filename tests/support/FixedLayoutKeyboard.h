// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Keyboard.h"

#include <QHash>

namespace testsupport {

// A keyboard with a layout fixed by the test: each Carbon key code types the text given for it,
// a dead key types nothing, an unlisted key has no text.
class FixedLayoutKeyboard final : public platform::Keyboard
{
public:
    // The letters, digits and punctuation of the US layout, and space.
    static FixedLayoutKeyboard usAnsi();

    void setText(qint64 carbonKeyCode, const QString &text) { m_texts.insert(carbonKeyCode, text); }
    // Like the real layouts, a dead key answers no text.
    void setDeadKey(qint64 carbonKeyCode) { m_texts.remove(carbonKeyCode); }

    std::optional<QString> textForKeyCode(qint64 carbonKeyCode) const override;

    // How often the layout was asked for a key's text.
    int lookups() const { return m_lookups; }

private:
    QHash<qint64, QString> m_texts;
    mutable int m_lookups = 0;
};

} // namespace testsupport
