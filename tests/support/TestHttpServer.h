// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HttpMessage.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QTcpServer;
class QTcpSocket;

namespace testsupport {

// A small HTTP/1.1 server on 127.0.0.1 running on the Qt event loop of the test's thread, so
// the test's own client and the server take turns without threads. It records every request
// and answers each with, in order of preference: the first queued reply for its path (or for
// any path), the handler of its path, or the default reply (404). Request bodies must carry a
// Content-Length (Qt's client and curl do); "Expect: 100-continue" is honoured.
class TestHttpServer final : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<HttpReply(const HttpRequest &)>;

    explicit TestHttpServer(QObject *parent = nullptr);
    ~TestHttpServer() override;

    // Listens on 127.0.0.1 at a free port; false when that fails.
    bool start();
    // Closes the listener and every connection (held requests included).
    void stop();

    quint16 port() const;
    // "http://127.0.0.1:<port>"
    QString url() const;

    void setHandler(const QByteArray &path, Handler handler);
    // Queues a reply for the next request to `path` (empty: to any path).
    void enqueue(const HttpReply &reply, const QByteArray &path = {});
    void setDefaultReply(const HttpReply &reply) { m_defaultReply = reply; }

    const QList<HttpRequest> &requests() const { return m_requests; }
    int requestCount() const { return static_cast<int>(m_requests.size()); }
    // Requests to `path` only.
    QList<HttpRequest> requestsTo(const QByteArray &path) const;
    void clearRequests() { m_requests.clear(); }

    // A port on 127.0.0.1 where nothing listens (for refused connections).
    static quint16 unusedPort();

signals:
    // Emitted once a request has arrived in full (before it is answered).
    void requestReceived(const testsupport::HttpRequest &request);

private:
    struct Connection;
    struct Stream;

    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void processBuffer(QTcpSocket *socket, Connection &connection);
    HttpReply replyFor(const HttpRequest &request);
    // False when the connection is closing (its state may already be gone).
    bool answer(QTcpSocket *socket, const HttpRequest &request, const HttpReply &reply);
    // Writes the pieces of a streamed body as the client takes them.
    void pump(const std::shared_ptr<Stream> &stream);

    std::unique_ptr<QTcpServer> m_server;
    std::map<QTcpSocket *, std::unique_ptr<Connection>> m_connections;
    std::map<QByteArray, Handler> m_handlers;
    QList<QPair<QByteArray, HttpReply>> m_queue;
    HttpReply m_defaultReply = HttpReply::text(404, "Not Found");
    QList<HttpRequest> m_requests;
};

} // namespace testsupport
