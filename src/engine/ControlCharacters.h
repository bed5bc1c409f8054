// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// `text` without the characters a server's text must not carry into the clipboard, a terminal
// or a window: the C0 controls other than tab and line feed, DEL, the C1 controls, and the
// bidirectional embeddings, overrides and isolates (with their terminators). An escape
// sequence loses its ESC, so a transcript pasted into a shell cannot end its bracketed paste.
QString withoutControlCharacters(QStringView text);
