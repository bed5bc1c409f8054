// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

namespace testsupport {

using HttpHeaders = QList<QPair<QByteArray, QByteArray>>;

// One request as it arrived: the raw header lines in order and the body byte for byte.
struct HttpRequest
{
    QByteArray method;
    QByteArray target; // as sent, query included
    QByteArray path;   // target without the query
    HttpHeaders headers;
    QByteArray body;

    // First value of the header `name` (case-insensitive); empty when absent.
    QByteArray header(const QByteArray &name) const;
    bool hasHeader(const QByteArray &name) const;
    // The header names in the order they were sent, as sent.
    QList<QByteArray> headerNames() const;
};

// What the server answers to one request.
struct HttpReply
{
    int status = 200;
    QByteArray body;
    HttpHeaders headers;         // extra headers; Content-Length is added unless closeDelimited
    int delayMs = 0;             // answer this much later (real time)
    bool neverAnswer = false;    // hold the request open and never answer
    bool dropConnection = false; // close the connection without answering
    bool closeDelimited = false; // no Content-Length: the body ends when the connection closes

    static HttpReply json(int status, const QByteArray &body);
    static HttpReply text(int status, const QByteArray &body);
    static HttpReply hang();
    static HttpReply drop();
};

// "OK", "Not Found", ... for the status line.
QByteArray reasonPhrase(int status);

} // namespace testsupport
