// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WindowSystem.h"

#include <QString>

#include <optional>

namespace platform {
class KeyEventPoster;
class Pasteboard;
class Permissions;
class Scheduler;
class ScriptRunner;
} // namespace platform

// Delivers a finished transcript into the application in front: the text goes on the clipboard,
// a synthetic paste chord follows (a scripted keystroke when the events cannot be made), and 2 s
// later the user's previous clipboard text comes back if the clipboard still holds the transcript.
// A terminal in front gets the keystroke it pastes with instead of the chord; one that pastes the
// primary selection finds the text there too, and that selection comes back as the clipboard does.
// The previous text may be read ahead of the paste: another program's clipboard answers only
// through that program, which can take tens of milliseconds. The platform services must outlive
// it and any pending restore.
class PasteManager final
{
public:
    // The source of the scripted fallback: a paste keystroke sent through "System Events".
    static const QString fallbackScript;

    PasteManager(platform::Pasteboard &pasteboard, platform::Pasteboard &primarySelection,
                 platform::KeyEventPoster &keyEventPoster, platform::ScriptRunner &scriptRunner,
                 const platform::WindowSystem &windowSystem,
                 const platform::Permissions &permissions, platform::Scheduler &scheduler);

    // True when the chord or the fallback reported success; false when both failed, in which
    // case the transcript stays on the clipboard. Main thread only; never throws.
    bool pasteText(const QString &text);
    // Reads the clipboard's text now, for the next paste to put back, and the primary selection's
    // when the focused window pastes from it; that paste reads either again only if it changed
    // meanwhile.
    void readPreviousTextAhead();

private:
    // A keystroke that pastes, and the script that types it when no event can be made.
    struct Keystroke;

    static Keystroke keystrokeFor(platform::WindowSystem::PasteTarget target);
    struct ReadAhead
    {
        std::optional<QString> text;
        qint64 changeCount = 0;
    };
    // The text `pasteboard` held before the paste: as read ahead while it stands unchanged.
    static std::optional<QString> previousText(platform::Pasteboard &pasteboard,
                                               std::optional<ReadAhead> &readAhead);
    bool postKeystroke(const Keystroke &keystroke);
    bool runFallbackScript(const Keystroke &keystroke);
    void restoreLater(platform::Pasteboard &pasteboard, const QString &text,
                      const QString &previous);

    platform::Pasteboard &m_pasteboard;
    platform::Pasteboard &m_primarySelection;
    platform::KeyEventPoster &m_keyEventPoster;
    platform::ScriptRunner &m_scriptRunner;
    const platform::WindowSystem &m_windowSystem;
    const platform::Permissions &m_permissions;
    platform::Scheduler &m_scheduler;
    std::optional<ReadAhead> m_readAhead;
    std::optional<ReadAhead> m_selectionReadAhead;
};
