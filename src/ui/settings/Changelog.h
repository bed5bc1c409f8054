// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace platform {
class Bundle;
}

namespace ui {

// One release of the changelog: its version as written between the heading's brackets, its date
// (possibly empty) and its bullet texts in file order.
struct ChangelogEntry
{
    QString version;
    QString date;
    QStringList lines;

    friend bool operator==(const ChangelogEntry &, const ChangelogEntry &) = default;
};

// The program's own changelog, the resource CHANGELOG.md, parsed; empty when it is missing, not
// UTF-8 or unreadable. Of a file beyond 256 KiB only the whole lines within that much are read.
QList<ChangelogEntry> loadChangelog(const platform::Bundle &bundle);

// The releases of a changelog text, in file order. A release starts at a line "## [version]",
// optionally followed by a date after a dash; its bullets are the lines starting with "- ", nested
// ones included. Everything else, and everything before the first release, is left out.
QList<ChangelogEntry> parseChangelog(QStringView text);

} // namespace ui
