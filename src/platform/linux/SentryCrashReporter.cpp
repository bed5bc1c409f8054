// SPDX-License-Identifier: GPL-3.0-or-later
#include "SentryCrashReporter.h"

#include "FatalSignalRecorder.h"

#include <QCoroNetworkReply>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

Q_LOGGING_CATEGORY(lcCrashReporter, "parlovox.crashreporter", QtInfoMsg)

namespace platform::linux_impl {

namespace {

QString levelName(CrashReporter::Level level)
{
    switch (level) {
    case CrashReporter::Level::Debug:
        return QStringLiteral("debug");
    case CrashReporter::Level::Info:
        return QStringLiteral("info");
    case CrashReporter::Level::Warning:
        return QStringLiteral("warning");
    case CrashReporter::Level::Error:
        return QStringLiteral("error");
    case CrashReporter::Level::Fatal:
        return QStringLiteral("fatal");
    }
    return QStringLiteral("error");
}

QJsonObject exceptionOf(const QString &type, const QString &value)
{
    return QJsonObject{
        {QStringLiteral("values"), QJsonArray{QJsonObject{{QStringLiteral("type"), type},
                                                          {QStringLiteral("value"), value}}}}};
}

// "/home/alice/src/parlovox/build/parlovox(+0x1a2b)[0x55…]" → "parlovox(+0x1a2b)[0x55…]": the
// folders a binary lies in name the user who built or installed it.
QString withoutFolders(const QString &frame)
{
    qsizetype pathEnd = frame.lastIndexOf(QLatin1String("[0x"));
    if (pathEnd < 0)
        pathEnd = frame.size();
    // The symbol part, when there is one, is the last parenthesis before the address; a folder
    // name may hold parentheses of its own.
    if (pathEnd > 0 && frame.at(pathEnd - 1) == QLatin1Char(')')) {
        const qsizetype symbol = frame.lastIndexOf(QLatin1Char('('), pathEnd - 1);
        if (symbol >= 0)
            pathEnd = symbol;
    }
    const qsizetype lastSlash = pathEnd > 0 ? frame.lastIndexOf(QLatin1Char('/'), pathEnd - 1) : -1;
    return lastSlash < 0 ? frame : frame.mid(lastSlash + 1);
}

QStringList withoutFolders(const QStringList &frames)
{
    QStringList stripped;
    for (const QString &frame : frames)
        stripped.append(withoutFolders(frame));
    return stripped;
}

// A server that is down or overloaded has not taken the event; anything else has been decided.
bool taken(const QVariant &status)
{
    return status.isValid() && status.toInt() != 429 && status.toInt() < 500;
}

} // namespace

SentryCrashReporter::SentryCrashReporter(QString crashDirectory, QString release, Limits limits,
                                         QObject *parent)
    : QObject(parent), m_crashDirectory(std::move(crashDirectory)), m_release(std::move(release)),
      m_limits(limits), m_network(new QNetworkAccessManager(this))
{}

SentryCrashReporter::~SentryCrashReporter()
{
    // The sending loop wakes up from the abort, sees the flag and ends before anything goes.
    m_closing = true;
    if (m_inFlight)
        m_inFlight->abort();
}

void SentryCrashReporter::start(const Options &options)
{
    m_options = options;
    if (options.dsn.isEmpty()) {
        qCDebug(lcCrashReporter, "[CrashReporter] No DSN: events stay in this log");
        return;
    }
    m_endpoint = SentryEnvelope::parseDsn(options.dsn);
    if (!m_endpoint) {
        qCCritical(lcCrashReporter, "[CrashReporter] The DSN is not usable; nothing is sent");
        return;
    }
    if (!options.diagnosticReports)
        return;
    reportEarlierCrashes();
    if (!FatalSignalRecorder::install(m_crashDirectory))
        qCCritical(lcCrashReporter, "[CrashReporter] Crash records cannot be written to %s",
                   qUtf8Printable(m_crashDirectory));
}

void SentryCrashReporter::captureError(const QString &description, const QString &contextName,
                                       const QVariantMap &context)
{
    QJsonObject event =
        SentryEnvelope::event(QStringLiteral("error"), QDateTime::currentDateTimeUtc());
    event.insert(QStringLiteral("exception"), exceptionOf(QStringLiteral("Error"), description));
    enqueue(withScope(event, contextName, context));
}

void SentryCrashReporter::captureMessage(const QString &message, Level level,
                                         const QString &contextName, const QVariantMap &context)
{
    QJsonObject event = SentryEnvelope::event(levelName(level), QDateTime::currentDateTimeUtc());
    event.insert(QStringLiteral("message"), QJsonObject{{QStringLiteral("formatted"), message}});
    enqueue(withScope(event, contextName, context));
}

QJsonObject SentryCrashReporter::withScope(QJsonObject event, const QString &contextName,
                                           const QVariantMap &context) const
{
    event.insert(QStringLiteral("environment"), m_options.environment);
    event.insert(QStringLiteral("release"), m_release);
    if (!m_userId.isEmpty())
        event.insert(QStringLiteral("user"), QJsonObject{{QStringLiteral("id"), m_userId}});
    if (!contextName.isEmpty())
        event.insert(QStringLiteral("contexts"),
                     QJsonObject{{contextName, QJsonObject::fromVariantMap(context)}});
    return event;
}

void SentryCrashReporter::enqueue(const QJsonObject &event, const QString &recordPath)
{
    if (!m_endpoint) {
        qCDebug(lcCrashReporter, "[CrashReporter] Not sent: %s",
                QJsonDocument(event).toJson(QJsonDocument::Compact).constData());
        return;
    }
    if (queuedCount() >= m_limits.maxQueued) {
        qCCritical(lcCrashReporter, "[CrashReporter] %d events waiting; this one is dropped",
                   queuedCount());
        return;
    }
    m_queue.push_back(
        {SentryEnvelope::envelope(event, *m_endpoint, QDateTime::currentDateTimeUtc()),
         recordPath});
    if (!m_sending)
        sendQueued();
}

void SentryCrashReporter::reportEarlierCrashes()
{
    for (const QString &path : FatalSignalRecorder::recordFiles(m_crashDirectory)) {
        QFile file(path);
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly))
            bytes = file.read(FatalSignalRecorder::maxRecordBytes + 1);
        file.close();
        const std::optional<FatalSignalRecorder::Record> record = FatalSignalRecorder::parse(bytes);
        if (!record) {
            qCCritical(lcCrashReporter, "[CrashReporter] Dropped an unreadable crash record: %s",
                       qUtf8Printable(path));
            QFile::remove(path);
            continue;
        }
        const QDateTime crashedAt = QFileInfo(path).lastModified().toUTC();
        // A server that stored the event but failed to answer gets it again at the next start:
        // the same id lets it see the repeat. Older records name no id; theirs follows from
        // their content and time, which do not change between starts.
        const QString eventId =
            record->eventId.isEmpty()
                ? SentryEnvelope::eventIdOf(bytes + crashedAt.toString(Qt::ISODateWithMs).toUtf8())
                : record->eventId;
        QJsonObject event = SentryEnvelope::event(QStringLiteral("fatal"), crashedAt, eventId);
        QJsonObject exception = exceptionOf(
            record->signalName,
            QStringLiteral("Fatal signal %1 (%2)").arg(record->signalName).arg(record->signal));
        event.insert(QStringLiteral("exception"), exception);
        const QVariantMap crash{{QStringLiteral("signal"), record->signal},
                                {QStringLiteral("backtrace"), withoutFolders(record->frames)}};
        enqueue(withScope(event, QStringLiteral("crash"), crash), path);
    }
}

QCoro::Task<> SentryCrashReporter::sendQueued()
{
    const QPointer<SentryCrashReporter> self(this);
    m_sending = true;
    while (!m_queue.empty()) {
        const Outgoing next = std::move(m_queue.front());
        m_queue.pop_front();
        QNetworkRequest request(m_endpoint->envelopeUrl);
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("application/x-sentry-envelope"));
        request.setRawHeader("X-Sentry-Auth",
                             SentryEnvelope::authHeader(*m_endpoint, QStringLiteral("parlovox/1")));
        request.setTransferTimeout(m_limits.requestTimeoutMs);
        QNetworkReply *reply = m_network->post(request, next.body);
        m_inFlight = reply;
        co_await reply;
        if (!self || m_closing)
            co_return;
        m_inFlight = nullptr;
        reply->deleteLater();
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!taken(status)) {
            // The record stays for a later start; nothing else is kept.
            qCCritical(lcCrashReporter, "[CrashReporter] Sending failed: %s",
                       qUtf8Printable(reply->errorString()));
            continue;
        }
        if (status.toInt() / 100 != 2)
            qCCritical(lcCrashReporter, "[CrashReporter] The server refused an event: %d",
                       status.toInt());
        if (!next.recordPath.isEmpty())
            QFile::remove(next.recordPath);
    }
    m_sending = false;
}

} // namespace platform::linux_impl
