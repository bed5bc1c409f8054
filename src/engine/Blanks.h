// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Spaces (the tab and every Unicode space separator, such as the no-break space) trimmed from both
// ends; line breaks are kept, since the texts trimmed here treat them as content.
QString trimBlanks(QStringView text);

// The comma-separated pieces of `text`, each trimmed of blanks, empty ones dropped; order and
// repeats kept.
QStringList splitWordList(QStringView text);
