// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <optional>

namespace platform::linux_impl {

// The reporting service's wire format: where a DSN says events go, and an event wrapped as an
// envelope.
class SentryEnvelope
{
public:
    struct Endpoint
    {
        QString dsn;
        QUrl envelopeUrl; // <scheme>://<host>[:port][/path]/api/<project>/envelope/
        QString publicKey;
    };

    // "<scheme>://<public key>@<host>[:port][/path]/<project id>"; nothing when it is not one.
    static std::optional<Endpoint> parseDsn(const QString &dsn);
    // The "X-Sentry-Auth" header value.
    static QByteArray authHeader(const Endpoint &endpoint, const QString &client);
    // A new event with its id, time and level ("error", "warning", ...).
    static QJsonObject event(const QString &level, const QDateTime &now);
    // The envelope header, the item header and the event, one JSON document a line.
    static QByteArray envelope(const QJsonObject &event, const Endpoint &endpoint,
                               const QDateTime &now);
};

} // namespace platform::linux_impl
