// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include <functional>

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

    // A body made piece by piece instead of `body`, for more than a test could hold (a gigabyte,
    // or no end at all) or for a slow drip: called with 0, 1, 2 … for each next piece once the
    // previous one has left; an empty piece ends the body. Framed as chunks when `chunked`, else
    // announced as `declaredLength` when that is not negative, else ended by closing.
    std::function<QByteArray(qint64 index)> pieces;
    int pieceDelayMs = 0;          // real time between two pieces
    bool chunked = false;          // Transfer-Encoding: chunked
    qint64 declaredLength = -1;    // Content-Length announced for `pieces`, whatever follows
    bool resetAfterPieces = false; // end with a connection reset instead of a proper end

    static HttpReply json(int status, const QByteArray &body);
    static HttpReply text(int status, const QByteArray &body);
    static HttpReply hang();
    static HttpReply drop();
    static HttpReply stream(int status, std::function<QByteArray(qint64 index)> pieces);
    // `location` in a Location header.
    static HttpReply redirect(int status, const QByteArray &location);
};

// "OK", "Not Found", ... for the status line.
QByteArray reasonPhrase(int status);

} // namespace testsupport
