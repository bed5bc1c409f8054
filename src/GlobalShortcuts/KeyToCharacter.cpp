// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyToCharacter.h"

#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/SpecialKey.h"
#include "platform/Keyboard.h"

#include <QTextBoundaryFinder>

namespace GlobalShortcuts {

namespace {

qsizetype graphemeCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

} // namespace

std::optional<QString> keyToCharacter(qint64 carbonKeyCode)
{
    // Key codes come from 16-bit platform values; anything else cannot name a key.
    if (carbonKeyCode < 0 || carbonKeyCode > 0xFFFF)
        return std::nullopt;
    const ModuleContext *context = ModuleContext::installed();
    if (!context || !context->keyboard())
        return std::nullopt;
    if (specialKeyForKeyCode(carbonKeyCode))
        return std::nullopt;
    const auto text = context->keyboard()->textForKeyCode(carbonKeyCode);
    if (!text || graphemeCount(*text) != 1)
        return std::nullopt;
    return text;
}

bool isSandboxed()
{
    static const bool sandboxed = qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID");
    return sandboxed;
}

} // namespace GlobalShortcuts
