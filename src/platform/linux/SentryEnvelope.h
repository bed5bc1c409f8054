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
    // A new event with its id, time and level ("error", "warning", ...); a fresh id unless one
    // was chosen before (32 lower-case hex digits).
    static QJsonObject event(const QString &level, const QDateTime &now,
                             const QString &eventId = {});
    // The same id for the same bytes: for records that do not carry one of their own.
    static QString eventIdOf(const QByteArray &bytes);
    // The envelope header, the item header and the event, one JSON document a line.
    static QByteArray envelope(const QJsonObject &event, const Endpoint &endpoint,
                               const QDateTime &now);
};

} // namespace platform::linux_impl
