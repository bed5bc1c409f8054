// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <QCoroTask>

#include <map>
#include <memory>

class CurlTransfer;
class QSocketNotifier;

namespace platform {
class Scheduler;
} // namespace platform

// The engine's HTTP client: libcurl transfers driven from the Qt event loop, awaited as
// coroutines. Every request carries explicit limits (reply size, idle time, an overall deadline)
// so no server can hold the engine or its memory. Main thread only.
class HttpClient final : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QByteArray method = "GET";
        QUrl url;
        // Sent in this order; an empty value still sends the header.
        QList<QPair<QByteArray, QByteArray>> headers;
        // Sent one after another as the body; kept apart so a recording is never copied into
        // one buffer. No pieces: no body.
        QList<QByteArray> body;
        // Follow redirects (any status, http and https only). Otherwise a redirect is returned
        // as the reply, with `Response::redirectUrl` set.
        bool followRedirects = false;
        // Keep at most this many body bytes; a larger reply ends as `tooLarge`. Zero keeps
        // nothing and stops reading at the first body byte: only the status is wanted.
        qint64 maximumReplyBytes = 0;
        // Fails as `timedOut` once no byte has moved for this long.
        double idleTimeoutSeconds = 60;
        // Fails as `timedOut` once this much time has passed in all, however the bytes move.
        double deadlineSeconds = 60;
    };

    struct Response
    {
        enum class Outcome {
            completed,    // a whole HTTP reply (or its status, when only that was wanted)
            failed,       // the exchange broke: no connection, reset, cut short
            invalidReply, // the peer answered something that is not HTTP
            timedOut,     // idle too long or past the deadline
            tooLarge,     // the reply body passed the limit
            cancelled,    // the client went away first
        };
        Outcome outcome = Outcome::failed;
        int status = 0;
        QByteArray body;
        // Where a redirect that was not followed points, absolute; empty otherwise.
        QString redirectUrl;
        // curl's own description of a failure.
        QString errorText;
    };

    explicit HttpClient(platform::Scheduler &scheduler, QObject *parent = nullptr);
    // Ends every transfer still running as `cancelled`, so no awaiting coroutine is left behind.
    ~HttpClient() override;

    // Runs one request to its end; never throws.
    QCoro::Task<Response> send(Request request);
    // Requests started and not yet ended.
    qsizetype runningCount() const { return static_cast<qsizetype>(m_transfers.size()); }

private:
    struct SocketWatch;

    void start(const std::shared_ptr<CurlTransfer> &transfer);
    void expire(const std::shared_ptr<CurlTransfer> &transfer);
    void socketAction(int socket, int events);
    void finishDoneTransfers();
    void watchSocket(int socket, int what);

    // curl's callbacks, with its exact signatures (its handles are untyped pointers).
    static int onSocket(void *easy, int socket, int what, void *client, void *socketData);
    static int onTimer(void *multi, long timeoutMs, void *client);

    platform::Scheduler &m_scheduler;
    void *m_multi = nullptr;
    // curl's own wake-ups (connection set-up, its idle checks) follow curl's real clock, so
    // they use a real timer rather than the program's scheduler, which tests run in virtual
    // time; the program's own deadline goes through the scheduler.
    QTimer m_curlTimer;
    std::map<void *, std::shared_ptr<CurlTransfer>> m_transfers;
    std::map<int, std::unique_ptr<SocketWatch>> m_sockets;
    bool m_closing = false;
};
