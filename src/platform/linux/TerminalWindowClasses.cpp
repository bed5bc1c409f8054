// SPDX-License-Identifier: GPL-3.0-or-later
#include "TerminalWindowClasses.h"

#include <array>

namespace platform::linux_impl {

namespace {

using PasteTarget = WindowSystem::PasteTarget;

struct KnownTerminal
{
    const char *windowClass;
    PasteTarget target;
};

// Control+V reaches the program inside a terminal as the byte 0x16 (in a shell: quoted insert,
// which swallows the next key). The VTE terminals and most others paste the clipboard with
// Control+Shift+V; xterm and rxvt have no clipboard keystroke by default, and their Shift+Insert
// pastes the primary selection.
constexpr std::array knownTerminals{
    KnownTerminal{"alacritty", PasteTarget::ClipboardTerminal},
    KnownTerminal{"gnome-terminal", PasteTarget::ClipboardTerminal},
    KnownTerminal{"gnome-terminal-server", PasteTarget::ClipboardTerminal},
    KnownTerminal{"guake", PasteTarget::ClipboardTerminal},
    KnownTerminal{"kitty", PasteTarget::ClipboardTerminal},
    KnownTerminal{"konsole", PasteTarget::ClipboardTerminal},
    KnownTerminal{"lxterminal", PasteTarget::ClipboardTerminal},
    KnownTerminal{"mate-terminal", PasteTarget::ClipboardTerminal},
    KnownTerminal{"qterminal", PasteTarget::ClipboardTerminal},
    KnownTerminal{"sakura", PasteTarget::ClipboardTerminal},
    KnownTerminal{"st-256color", PasteTarget::ClipboardTerminal},
    KnownTerminal{"terminator", PasteTarget::ClipboardTerminal},
    KnownTerminal{"terminology", PasteTarget::ClipboardTerminal},
    KnownTerminal{"tilda", PasteTarget::ClipboardTerminal},
    KnownTerminal{"tilix", PasteTarget::ClipboardTerminal},
    KnownTerminal{"xfce4-terminal", PasteTarget::ClipboardTerminal},
    KnownTerminal{"rxvt", PasteTarget::SelectionTerminal},
    KnownTerminal{"urxvt", PasteTarget::SelectionTerminal},
    KnownTerminal{"uxterm", PasteTarget::SelectionTerminal},
    KnownTerminal{"xterm", PasteTarget::SelectionTerminal},
};

} // namespace

WindowSystem::PasteTarget pasteTargetForWindowClass(const QByteArray &instanceName,
                                                    const QByteArray &className)
{
    const QByteArray instance = instanceName.toLower();
    const QByteArray windowClass = className.toLower();
    for (const KnownTerminal &terminal : knownTerminals)
        if (instance == terminal.windowClass || windowClass == terminal.windowClass)
            return terminal.target;
    return PasteTarget::Ordinary;
}

} // namespace platform::linux_impl
