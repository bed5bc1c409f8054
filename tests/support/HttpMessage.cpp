// SPDX-License-Identifier: GPL-3.0-or-later
#include "HttpMessage.h"

namespace testsupport {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 100:
        return "Continue";
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

QByteArray HttpRequest::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

bool HttpRequest::hasHeader(const QByteArray &name) const
{
    for (const auto &entry : headers) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QList<QByteArray> HttpRequest::headerNames() const
{
    QList<QByteArray> names;
    for (const auto &entry : headers)
        names.append(entry.first);
    return names;
}

namespace {

HttpReply replyWithContentType(int status, const QByteArray &body, const char *contentType)
{
    HttpReply reply;
    reply.status = status;
    reply.body = body;
    reply.headers.append(HttpHeaders::value_type("Content-Type", contentType));
    return reply;
}

} // namespace

HttpReply HttpReply::json(int status, const QByteArray &body)
{
    return replyWithContentType(status, body, "application/json");
}

HttpReply HttpReply::text(int status, const QByteArray &body)
{
    return replyWithContentType(status, body, "text/plain; charset=utf-8");
}

HttpReply HttpReply::hang()
{
    HttpReply reply;
    reply.neverAnswer = true;
    return reply;
}

HttpReply HttpReply::drop()
{
    HttpReply reply;
    reply.dropConnection = true;
    return reply;
}

HttpReply HttpReply::stream(int status, std::function<QByteArray(qint64 index)> pieces)
{
    HttpReply reply;
    reply.status = status;
    reply.pieces = std::move(pieces);
    return reply;
}

HttpReply HttpReply::redirect(int status, const QByteArray &location)
{
    HttpReply reply = text(status, "moved");
    reply.headers.append(HttpHeaders::value_type("Location", location));
    return reply;
}

} // namespace testsupport
