// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/Changelog.h"

#include "engine/Blanks.h"

#include "platform/Bundle.h"

#include <QFile>
#include <QStringDecoder>

#include <optional>

namespace ui {

namespace {

// A hundred times the changelog we ship. The file is read, and every line of it laid out, on the
// main thread each time the settings window is built, so a damaged or foreign file must not
// stall the window.
constexpr qint64 kMaxChangelogBytes = 256 * 1024;

struct Release
{
    QString version;
    QString date;
};

// The version and date of a release heading (the text after "## ["), or nothing when the
// brackets never close: such a line is no release and is left out like any other prose.
std::optional<Release> releaseHeading(QStringView rest)
{
    const qsizetype close = rest.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    Release release{rest.left(close).toString(), QString()};
    const QStringView after = rest.mid(close + 1);
    const qsizetype dash = after.indexOf(QLatin1Char('-'));
    if (dash >= 0)
        release.date = trimBlanks(after.mid(dash + 1));
    return release;
}

} // namespace

QList<ChangelogEntry> parseChangelog(QStringView text)
{
    QList<ChangelogEntry> result;
    std::optional<ChangelogEntry> current;
    for (QStringView line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = trimBlanks(line);
        if (trimmed.startsWith(QLatin1String("## ["))) {
            const std::optional<Release> release = releaseHeading(QStringView(trimmed).mid(4));
            if (!release)
                continue;
            if (current)
                result.append(std::move(*current));
            current = ChangelogEntry{release->version, release->date, {}};
        } else if (trimmed.startsWith(QLatin1String("###")) ||
                   trimmed.startsWith(QLatin1String("# "))) {
            continue;
        } else if (trimmed.startsWith(QLatin1String("- "))) {
            // Bullets before the first release belong to no entry.
            if (current)
                current->lines.append(trimmed.mid(2));
        }
    }
    if (current)
        result.append(std::move(*current));
    return result;
}

QList<ChangelogEntry> loadChangelog(const platform::Bundle &bundle)
{
    const std::optional<QString> path =
        bundle.resourcePath(QStringLiteral("CHANGELOG"), QStringLiteral("md"));
    if (!path)
        return {};
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(kMaxChangelogBytes);
    if (file.error() != QFileDevice::NoError)
        return {};
    if (!file.atEnd()) {
        // Cut at the last whole line, which also keeps a character split by the limit out.
        const qsizetype lastLineFeed = bytes.lastIndexOf('\n');
        bytes.truncate(lastLineFeed < 0 ? 0 : lastLineFeed);
    }
    QStringDecoder decoder(QStringConverter::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return {};
    return parseChangelog(text);
}

} // namespace ui
