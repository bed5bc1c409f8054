// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ControlCharacters.h"

namespace {

bool isRemoved(char16_t c)
{
    if (c == u'\t' || c == u'\n')
        return false;
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || (c >= 0x202a && c <= 0x202e) ||
           (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QString withoutControlCharacters(QStringView text)
{
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (!isRemoved(c.unicode()))
            kept.append(c);
    }
    return kept;
}
