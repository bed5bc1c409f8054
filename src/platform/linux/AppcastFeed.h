// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace platform::linux_impl {

// An update feed in the appcast form: RSS items carrying sparkle:version and
// sparkle:shortVersionString (as elements or on the enclosure) and a page to fetch them from.
class AppcastFeed
{
public:
    struct Item
    {
        QString version;      // compared with the installed build
        QString shortVersion; // what the user reads; the version when absent
        QUrl link;            // the item's page, else its release notes, else the enclosure
    };

    struct Result
    {
        std::optional<Item> newest; // nothing when the feed offers no usable item
        // The highest version among the items skipped for want of a web link (its link empty).
        std::optional<Item> newestWithoutLink;
        QString error; // set when the document is not a readable feed
    };

    // The item with the highest version. Items without a version or without a web link are
    // skipped.
    static Result newestItem(const QByteArray &document);
    // Compares number by number ("1.10" > "1.9", "2" == "2.0"); text between numbers only
    // separates them. Negative, zero or positive like strcmp.
    static int compareVersions(const QString &left, const QString &right);
};

} // namespace platform::linux_impl
