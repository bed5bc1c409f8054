// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppcastFeed.h"

#include <QList>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace platform::linux_impl {

namespace {

const QString kSparkleNamespace =
    QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

QList<qulonglong> numbersOf(const QString &version)
{
    static const QRegularExpression digits(QStringLiteral("\\d+"));
    QList<qulonglong> numbers;
    for (auto match = digits.globalMatch(version); match.hasNext();)
        numbers.append(match.next().captured().left(18).toULongLong());
    return numbers;
}

// Only pages a browser should open; a feed must not make us start other handlers.
QUrl webLink(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")))
        return {};
    return url;
}

struct ItemFields
{
    QString version;
    QString shortVersion;
    QUrl link;
    QUrl releaseNotes;
    QUrl enclosure;
};

ItemFields readItem(QXmlStreamReader &reader)
{
    ItemFields fields;
    while (reader.readNextStartElement()) {
        const bool sparkle = reader.namespaceUri() == kSparkleNamespace;
        const auto name = reader.name();
        if (sparkle && name == QLatin1String("version")) {
            fields.version = reader.readElementText().trimmed();
        } else if (sparkle && name == QLatin1String("shortVersionString")) {
            fields.shortVersion = reader.readElementText().trimmed();
        } else if (sparkle && name == QLatin1String("releaseNotesLink")) {
            fields.releaseNotes = webLink(reader.readElementText());
        } else if (!sparkle && name == QLatin1String("link")) {
            fields.link = webLink(reader.readElementText());
        } else if (!sparkle && name == QLatin1String("enclosure")) {
            const QXmlStreamAttributes attributes = reader.attributes();
            fields.enclosure = webLink(attributes.value(QLatin1String("url")).toString());
            if (fields.version.isEmpty())
                fields.version = attributes.value(kSparkleNamespace, QLatin1String("version"))
                                     .toString()
                                     .trimmed();
            if (fields.shortVersion.isEmpty())
                fields.shortVersion =
                    attributes.value(kSparkleNamespace, QLatin1String("shortVersionString"))
                        .toString()
                        .trimmed();
            reader.skipCurrentElement();
        } else {
            reader.skipCurrentElement();
        }
    }
    return fields;
}

} // namespace

AppcastFeed::Result AppcastFeed::newestItem(const QByteArray &document)
{
    Result result;
    QXmlStreamReader reader(document);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("rss")) {
        result.error = reader.hasError() ? reader.errorString()
                                         : QStringLiteral("The document is not an RSS feed.");
        return result;
    }
    while (reader.readNextStartElement()) {
        if (reader.name() != QLatin1String("channel")) {
            reader.skipCurrentElement();
            continue;
        }
        while (reader.readNextStartElement()) {
            if (reader.name() != QLatin1String("item")) {
                reader.skipCurrentElement();
                continue;
            }
            const ItemFields fields = readItem(reader);
            const QUrl link = !fields.link.isEmpty()           ? fields.link
                              : !fields.releaseNotes.isEmpty() ? fields.releaseNotes
                                                               : fields.enclosure;
            if (fields.version.isEmpty())
                continue;
            std::optional<Item> &slot = link.isEmpty() ? result.newestWithoutLink : result.newest;
            if (slot && compareVersions(fields.version, slot->version) <= 0)
                continue;
            slot = Item{fields.version,
                        fields.shortVersion.isEmpty() ? fields.version : fields.shortVersion, link};
        }
    }
    if (reader.hasError()) {
        result.newest.reset();
        result.newestWithoutLink.reset();
        result.error = reader.errorString();
    }
    return result;
}

int AppcastFeed::compareVersions(const QString &left, const QString &right)
{
    const QList<qulonglong> a = numbersOf(left);
    const QList<qulonglong> b = numbersOf(right);
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const qulonglong x = i < a.size() ? a[i] : 0;
        const qulonglong y = i < b.size() ? b[i] : 0;
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

} // namespace platform::linux_impl
