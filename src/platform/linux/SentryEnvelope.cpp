// SPDX-License-Identifier: GPL-3.0-or-later
#include "SentryEnvelope.h"

#include <QJsonDocument>
#include <QUuid>

namespace platform::linux_impl {

namespace {

QString timestamp(const QDateTime &now)
{
    return now.toUTC().toString(Qt::ISODateWithMs);
}

} // namespace

std::optional<SentryEnvelope::Endpoint> SentryEnvelope::parseDsn(const QString &dsn)
{
    const QUrl url(dsn.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty() || url.userName().isEmpty())
        return std::nullopt;
    QString path = url.path();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString project = path.mid(slash + 1);
    if (slash < 0 || project.isEmpty())
        return std::nullopt;
    path.truncate(slash);

    Endpoint endpoint;
    endpoint.dsn = dsn.trimmed();
    endpoint.publicKey = url.userName();
    endpoint.envelopeUrl = url.adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath |
                                        QUrl::RemoveQuery | QUrl::RemoveFragment);
    endpoint.envelopeUrl.setPath(path + QStringLiteral("/api/") + project +
                                 QStringLiteral("/envelope/"));
    return endpoint;
}

QByteArray SentryEnvelope::authHeader(const Endpoint &endpoint, const QString &client)
{
    return "Sentry sentry_version=7, sentry_client=" + client.toUtf8() +
           ", sentry_key=" + endpoint.publicKey.toUtf8();
}

QJsonObject SentryEnvelope::event(const QString &level, const QDateTime &now,
                                  const QString &eventId)
{
    return QJsonObject{
        {QStringLiteral("event_id"),
         eventId.isEmpty() ? QUuid::createUuid().toString(QUuid::Id128) : eventId},
        {QStringLiteral("timestamp"), timestamp(now)},
        {QStringLiteral("platform"), QStringLiteral("native")},
        {QStringLiteral("level"), level},
    };
}

QString SentryEnvelope::eventIdOf(const QByteArray &bytes)
{
    // Any fixed namespace will do; this one is ours alone.
    static const QUuid recordNamespace(QStringLiteral("{6c1b7a52-0d6e-4f0b-9a43-2f1e5d8c7b90}"));
    return QUuid::createUuidV5(recordNamespace, bytes).toString(QUuid::Id128);
}

QByteArray SentryEnvelope::envelope(const QJsonObject &event, const Endpoint &endpoint,
                                    const QDateTime &now)
{
    const QJsonObject header{
        {QStringLiteral("event_id"), event.value(QStringLiteral("event_id"))},
        {QStringLiteral("dsn"), endpoint.dsn},
        {QStringLiteral("sent_at"), timestamp(now)},
    };
    const QByteArray payload = QJsonDocument(event).toJson(QJsonDocument::Compact);
    const QJsonObject itemHeader{
        {QStringLiteral("type"), QStringLiteral("event")},
        {QStringLiteral("length"), payload.size()},
    };
    return QJsonDocument(header).toJson(QJsonDocument::Compact) + '\n' +
           QJsonDocument(itemHeader).toJson(QJsonDocument::Compact) + '\n' + payload + '\n';
}

} // namespace platform::linux_impl
