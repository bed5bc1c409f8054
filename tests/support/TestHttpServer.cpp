// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestHttpServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace testsupport {

// Per-connection parsing state: the bytes not yet consumed and the request being read.
struct TestHttpServer::Connection
{
    QByteArray buffer;
    bool readingBody = false;
    bool waitingForAnswer = false;
    qint64 contentLength = 0;
    HttpRequest request;
};

// A body being streamed to one connection.
struct TestHttpServer::Stream
{
    QPointer<QTcpSocket> socket;
    HttpReply reply;
    qint64 next = 0;
    bool waiting = false; // a delayed piece is due later
    bool done = false;
};

namespace {

// Kept below this, so even an endless body costs the test only a little memory.
constexpr qint64 kStreamBuffer = 256 * 1024;

} // namespace

TestHttpServer::TestHttpServer(QObject *parent) : QObject(parent) {}

TestHttpServer::~TestHttpServer()
{
    stop();
}

bool TestHttpServer::start()
{
    m_server = std::make_unique<QTcpServer>();
    connect(m_server.get(), &QTcpServer::newConnection, this, &TestHttpServer::onNewConnection);
    return m_server->listen(QHostAddress::LocalHost, 0);
}

void TestHttpServer::stop()
{
    if (m_server)
        m_server->close();
    auto connections = std::move(m_connections);
    m_connections.clear();
    for (auto &[socket, state] : connections) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

quint16 TestHttpServer::port() const
{
    return m_server ? m_server->serverPort() : 0;
}

QString TestHttpServer::url() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

void TestHttpServer::setHandler(const QByteArray &path, Handler handler)
{
    m_handlers[path] = std::move(handler);
}

void TestHttpServer::enqueue(const HttpReply &reply, const QByteArray &path)
{
    m_queue.append(qMakePair(path, reply));
}

QList<HttpRequest> TestHttpServer::requestsTo(const QByteArray &path) const
{
    QList<HttpRequest> matching;
    for (const auto &request : m_requests) {
        if (request.path == path)
            matching.append(request);
    }
    return matching;
}

quint16 TestHttpServer::unusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void TestHttpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        m_connections[socket] = std::make_unique<Connection>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_connections.erase(socket);
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
}

void TestHttpServer::onReadyRead(QTcpSocket *socket)
{
    const auto found = m_connections.find(socket);
    if (found == m_connections.end())
        return;
    found->second->buffer.append(socket->readAll());
    processBuffer(socket, *found->second);
}

void TestHttpServer::processBuffer(QTcpSocket *socket, Connection &connection)
{
    // One request at a time per connection: a held answer keeps later bytes buffered.
    while (!connection.waitingForAnswer) {
        if (!connection.readingBody) {
            const qsizetype end = connection.buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QList<QByteArray> lines = connection.buffer.left(end).split('\n');
            connection.buffer.remove(0, end + 4);
            connection.request = HttpRequest{};
            const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
            connection.request.method = requestLine.value(0);
            connection.request.target = requestLine.value(1);
            connection.request.path = connection.request.target.split('?').value(0);
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const QByteArray line = lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i];
                const qsizetype colon = line.indexOf(':');
                if (colon > 0)
                    connection.request.headers.append(
                        {line.left(colon), line.mid(colon + 1).trimmed()});
            }
            connection.contentLength = connection.request.header("Content-Length").toLongLong();
            connection.readingBody = true;
            if (connection.request.header("Expect").compare("100-continue", Qt::CaseInsensitive) ==
                0)
                socket->write("HTTP/1.1 100 Continue\r\n\r\n");
        }
        if (connection.buffer.size() < connection.contentLength)
            return;
        connection.request.body = connection.buffer.left(connection.contentLength);
        connection.buffer.remove(0, connection.contentLength);
        connection.readingBody = false;

        const HttpRequest request = connection.request;
        m_requests.append(request);
        emit requestReceived(request);
        if (m_connections.count(socket) == 0)
            return; // a listener stopped the server
        const HttpReply reply = replyFor(request);
        if (reply.neverAnswer) {
            connection.waitingForAnswer = true;
            return;
        }
        if (reply.delayMs > 0) {
            connection.waitingForAnswer = true;
            QPointer<QTcpSocket> weakSocket(socket);
            QTimer::singleShot(reply.delayMs, this, [this, weakSocket, request, reply] {
                if (!weakSocket)
                    return;
                const auto found = m_connections.find(weakSocket.data());
                if (found == m_connections.end())
                    return;
                if (!answer(weakSocket, request, reply) ||
                    m_connections.count(weakSocket.data()) == 0)
                    return;
                found->second->waitingForAnswer = false;
                processBuffer(weakSocket, *found->second);
            });
            return;
        }
        if (!answer(socket, request, reply))
            return;
    }
}

HttpReply TestHttpServer::replyFor(const HttpRequest &request)
{
    for (qsizetype i = 0; i < m_queue.size(); ++i) {
        if (m_queue[i].first.isEmpty() || m_queue[i].first == request.path)
            return m_queue.takeAt(i).second;
    }
    const auto handler = m_handlers.find(request.path);
    if (handler != m_handlers.end())
        return handler->second(request);
    return m_defaultReply;
}

bool TestHttpServer::answer(QTcpSocket *socket, const HttpRequest &request, const HttpReply &reply)
{
    if (reply.dropConnection) {
        socket->disconnectFromHost();
        return false;
    }
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    for (const auto &[name, value] : reply.headers)
        head += name + ": " + value + "\r\n";
    if (reply.pieces) {
        if (reply.chunked)
            head += "Transfer-Encoding: chunked\r\n";
        else if (reply.declaredLength >= 0)
            head += "Content-Length: " + QByteArray::number(reply.declaredLength) + "\r\n";
        else
            head += "Connection: close\r\n";
        socket->write(head + "\r\n");
        // The connection serves nothing after a streamed body.
        auto stream = std::make_shared<Stream>(Stream{socket, reply});
        connect(socket, &QTcpSocket::bytesWritten, this, [this, stream] { pump(stream); });
        pump(stream);
        return false;
    }
    const bool closeAfter = reply.closeDelimited ||
                            request.header("Connection").compare("close", Qt::CaseInsensitive) == 0;
    if (!reply.closeDelimited)
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    if (closeAfter)
        head += "Connection: close\r\n";
    head += "\r\n";
    socket->write(head);
    if (request.method != "HEAD")
        socket->write(reply.body);
    if (closeAfter)
        socket->disconnectFromHost();
    return !closeAfter;
}

void TestHttpServer::pump(const std::shared_ptr<Stream> &stream)
{
    while (stream->socket && !stream->done && !stream->waiting &&
           stream->socket->state() == QAbstractSocket::ConnectedState &&
           stream->socket->bytesToWrite() < kStreamBuffer) {
        QTcpSocket *socket = stream->socket;
        const QByteArray piece = stream->reply.pieces(stream->next++);
        if (piece.isEmpty()) {
            stream->done = true;
            if (stream->reply.chunked)
                socket->write("0\r\n\r\n");
            if (stream->reply.resetAfterPieces) {
                // No linger: closing sends a reset rather than an orderly end.
                socket->flush();
                const linger noLinger{1, 0};
                ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER,
                             &noLinger, sizeof noLinger);
                socket->abort();
            } else {
                socket->disconnectFromHost();
            }
            return;
        }
        if (stream->reply.chunked)
            socket->write(QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n");
        else
            socket->write(piece);
        if (stream->reply.pieceDelayMs > 0) {
            stream->waiting = true;
            QTimer::singleShot(stream->reply.pieceDelayMs, this, [this, stream] {
                stream->waiting = false;
                pump(stream);
            });
        }
    }
}

} // namespace testsupport
