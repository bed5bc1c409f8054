// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SentryEnvelope.h"
#include "platform/CrashReporter.h"

#include <QCoroTask>
#include <QJsonObject>
#include <QObject>
#include <QPointer>

#include <deque>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace platform::linux_impl {

// Reports errors, messages and crashes of earlier runs to the DSN's server as envelopes, one at
// a time in the background. Without a (valid) DSN nothing is sent and events only reach the
// debug log. Capturing never waits for the network; when the server is slow or gone, at most
// `maxQueued` events wait and later ones are dropped.
class SentryCrashReporter final : public QObject, public CrashReporter
{
    Q_OBJECT

public:
    struct Limits
    {
        int maxQueued = 20;
        int requestTimeoutMs = 15000;
    };

    // Crash records live in `crashDirectory`; `release` names this build ("parlovox@0.1.0").
    SentryCrashReporter(QString crashDirectory, QString release, Limits limits,
                        QObject *parent = nullptr);
    SentryCrashReporter(QString crashDirectory, QString release)
        : SentryCrashReporter(std::move(crashDirectory), std::move(release), Limits{})
    {}
    ~SentryCrashReporter() override;

    void start(const Options &options) override;
    void setUser(const QString &userId) override { m_userId = userId; }
    void captureError(const QString &description, const QString &contextName,
                      const QVariantMap &context) override;
    void captureMessage(const QString &message, Level level, const QString &contextName,
                        const QVariantMap &context) override;

    // Events waiting or on their way.
    int queuedCount() const { return static_cast<int>(m_queue.size()) + (m_sending ? 1 : 0); }

private:
    struct Outgoing
    {
        QByteArray body;
        QString recordPath; // a crash record to remove once the server has answered
    };

    // The event with everything every event carries: user, environment, release.
    QJsonObject withScope(QJsonObject event, const QString &contextName,
                          const QVariantMap &context) const;
    void enqueue(const QJsonObject &event, const QString &recordPath = {});
    void reportEarlierCrashes();
    QCoro::Task<> sendQueued();

    QString m_crashDirectory;
    QString m_release;
    Limits m_limits;
    Options m_options;
    std::optional<SentryEnvelope::Endpoint> m_endpoint;
    QString m_userId;
    QNetworkAccessManager *m_network = nullptr; // child
    std::deque<Outgoing> m_queue;
    bool m_sending = false;
    bool m_closing = false;
    QPointer<QNetworkReply> m_inFlight;
};

} // namespace platform::linux_impl
