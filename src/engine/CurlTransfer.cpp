// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CurlTransfer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using Outcome = HttpClient::Response::Outcome;

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds milliseconds(double seconds)
{
    // A non-positive limit would mean none at all; take the platform client's usual minute.
    if (!(seconds > 0))
        seconds = 60;
    return std::chrono::milliseconds(
        static_cast<qint64>(std::ceil(std::min(seconds, 1.0e6) * 1000)));
}

} // namespace

CurlTransfer::CurlTransfer(HttpClient::Request request) : m_request(std::move(request))
{
    if (!setUp()) {
        m_response.outcome = Outcome::failed;
        m_response.errorText = QStringLiteral("The HTTP client could not be set up.");
        m_finished = true;
    }
}

CurlTransfer::~CurlTransfer()
{
    if (m_handle)
        curl_easy_cleanup(m_handle);
    curl_slist_free_all(m_headers);
}

bool CurlTransfer::setUp()
{
    m_handle = curl_easy_init();
    if (!m_handle)
        return false;
    const QByteArray url = m_request.url.toEncoded();
    bool ok = curl_easy_setopt(m_handle, CURLOPT_URL, url.constData()) == CURLE_OK;
    curl_easy_setopt(m_handle, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(m_handle, CURLOPT_NOSIGNAL, 1L);
    ok = ok && curl_easy_setopt(m_handle, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
    curl_easy_setopt(m_handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // No proxy from the environment: a speech server on this machine or the network is reached
    // directly, as it always was.
    curl_easy_setopt(m_handle, CURLOPT_PROXY, "");
    // The request head and the body leave in separate writes; with Nagle's algorithm on, the
    // server's delayed acknowledgement would hold the body back by tens of milliseconds.
    curl_easy_setopt(m_handle, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(m_handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_handle, CURLOPT_XFERINFOFUNCTION, &CurlTransfer::onProgress);
    curl_easy_setopt(m_handle, CURLOPT_XFERINFODATA, this);
    if (m_request.followRedirects) {
        curl_easy_setopt(m_handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(m_handle, CURLOPT_MAXREDIRS, 10L);
    }

    curl_easy_setopt(m_handle, CURLOPT_WRITEFUNCTION, &CurlTransfer::onWrite);
    curl_easy_setopt(m_handle, CURLOPT_WRITEDATA, this);
    if (m_request.maximumReplyBytes > 0)
        curl_easy_setopt(m_handle, CURLOPT_MAXFILESIZE_LARGE,
                         static_cast<curl_off_t>(m_request.maximumReplyBytes));

    for (const auto &[name, value] : std::as_const(m_request.headers)) {
        // "Name;" is curl's way to send a header with an empty value ("Name:" would drop it).
        const QByteArray line = value.isEmpty() ? name + ';' : name + ": " + value;
        m_headers = curl_slist_append(m_headers, line.constData());
    }
    if (m_request.method == "POST") {
        qint64 size = 0;
        for (const QByteArray &piece : std::as_const(m_request.body))
            size += piece.size();
        curl_easy_setopt(m_handle, CURLOPT_POST, 1L);
        curl_easy_setopt(m_handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(size));
        curl_easy_setopt(m_handle, CURLOPT_READFUNCTION, &CurlTransfer::onRead);
        curl_easy_setopt(m_handle, CURLOPT_READDATA, this);
        curl_easy_setopt(m_handle, CURLOPT_SEEKFUNCTION, &CurlTransfer::onSeek);
        curl_easy_setopt(m_handle, CURLOPT_SEEKDATA, this);
        // Fewer, larger writes of a long recording than with the 64 KiB default; far larger
        // buffers measured slower (each upload allocates and touches its own).
        curl_easy_setopt(m_handle, CURLOPT_UPLOAD_BUFFERSIZE, 128L * 1024L);
        // Waiting for "100 Continue" costs up to a second with servers that never send it.
        m_headers = curl_slist_append(m_headers, "Expect:");
    } else if (m_request.method != "GET") {
        curl_easy_setopt(m_handle, CURLOPT_CUSTOMREQUEST, m_request.method.constData());
    }
    curl_easy_setopt(m_handle, CURLOPT_HTTPHEADER, m_headers);
    return ok;
}

long CurlTransfer::responseCode() const
{
    long code = 0;
    curl_easy_getinfo(m_handle, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

void CurlTransfer::watchIdleTime(std::function<void()> onIdle)
{
    m_onIdle = std::move(onIdle);
    m_lastActivity = Clock::now();
    m_idleTimer.setSingleShot(true);
    QObject::connect(&m_idleTimer, &QTimer::timeout, &m_idleTimer, [this] { checkIdleTime(); });
    m_idleTimer.start(milliseconds(m_request.idleTimeoutSeconds));
}

void CurlTransfer::checkIdleTime()
{
    // Progress only notes the time; the timer looks at it when it fires, so a busy transfer
    // does not restart a timer for every block it moves.
    const auto limit = milliseconds(m_request.idleTimeoutSeconds);
    const auto idle =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_lastActivity);
    if (idle < limit) {
        m_idleTimer.start(limit - idle);
        return;
    }
    // Handed to the event loop: ending the transfer here could destroy this very timer.
    if (m_onIdle)
        QMetaObject::invokeMethod(&m_idleTimer, m_onIdle, Qt::QueuedConnection);
}

int CurlTransfer::onProgress(void *userData, curl_off_t, curl_off_t downloaded, curl_off_t,
                             curl_off_t uploaded)
{
    auto *self = static_cast<CurlTransfer *>(userData);
    if (downloaded + uploaded != self->m_bytesMoved) {
        self->m_bytesMoved = downloaded + uploaded;
        self->m_lastActivity = Clock::now();
    }
    return 0;
}

size_t CurlTransfer::onWrite(char *data, size_t size, size_t count, void *userData)
{
    auto *self = static_cast<CurlTransfer *>(userData);
    const size_t length = size * count;
    if (self->m_request.maximumReplyBytes <= 0) {
        // Only the status is wanted. The body of a redirect being followed is skipped; any
        // other reply is complete once its first body byte shows its head has ended.
        const long code = self->responseCode();
        if (self->m_request.followRedirects && code >= 300 && code < 400)
            return length;
        self->m_stoppedAtBody = true;
        return 0;
    }
    if (self->m_response.body.size() + static_cast<qint64>(length) >
        self->m_request.maximumReplyBytes) {
        self->m_tooLarge = true;
        return 0;
    }
    if (self->m_response.body.isEmpty()) {
        // Room for the whole body at once: growing by doubling copies it on the way and, near
        // the limit, holds two large blocks at a time. Pages never written cost no memory.
        curl_off_t announced = -1;
        curl_easy_getinfo(self->m_handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
        self->m_response.body.reserve(static_cast<qsizetype>(
            announced >= 0 ? std::min<qint64>(announced, self->m_request.maximumReplyBytes)
                           : self->m_request.maximumReplyBytes));
    }
    self->m_response.body.append(data, static_cast<qsizetype>(length));
    return length;
}

size_t CurlTransfer::onRead(char *buffer, size_t size, size_t count, void *userData)
{
    auto *self = static_cast<CurlTransfer *>(userData);
    const size_t capacity = size * count;
    size_t written = 0;
    while (written < capacity && self->m_piece < self->m_request.body.size()) {
        const QByteArray &piece = self->m_request.body.at(self->m_piece);
        const size_t available = static_cast<size_t>(piece.size() - self->m_offset);
        const size_t chunk = std::min(available, capacity - written);
        std::memcpy(buffer + written, piece.constData() + self->m_offset, chunk);
        written += chunk;
        self->m_offset += static_cast<qsizetype>(chunk);
        if (self->m_offset == piece.size()) {
            ++self->m_piece;
            self->m_offset = 0;
        }
    }
    return written;
}

int CurlTransfer::onSeek(void *userData, curl_off_t offset, int origin)
{
    // curl rewinds when it sends the request again on a fresh connection.
    auto *self = static_cast<CurlTransfer *>(userData);
    if (origin != SEEK_SET || offset < 0)
        return CURL_SEEKFUNC_CANTSEEK;
    self->m_piece = 0;
    self->m_offset = 0;
    curl_off_t left = offset;
    while (self->m_piece < self->m_request.body.size()) {
        const qsizetype size = self->m_request.body.at(self->m_piece).size();
        if (left < size) {
            self->m_offset = static_cast<qsizetype>(left);
            return CURL_SEEKFUNC_OK;
        }
        left -= size;
        ++self->m_piece;
    }
    return left == 0 ? CURL_SEEKFUNC_OK : CURL_SEEKFUNC_FAIL;
}

void CurlTransfer::finish(CURLcode code)
{
    if (m_finished)
        return;
    m_response.status = static_cast<int>(responseCode());
    if (code == CURLE_OK || (code == CURLE_WRITE_ERROR && m_stoppedAtBody)) {
        m_response.outcome = Outcome::completed;
        char *location = nullptr;
        if (curl_easy_getinfo(m_handle, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location)
            m_response.redirectUrl = QString::fromUtf8(location);
    } else if ((code == CURLE_WRITE_ERROR && m_tooLarge) || code == CURLE_FILESIZE_EXCEEDED) {
        m_response.outcome = Outcome::tooLarge;
        m_response.body.clear();
    } else if (code == CURLE_OPERATION_TIMEDOUT) {
        m_response.outcome = Outcome::timedOut;
    } else if (code == CURLE_WEIRD_SERVER_REPLY || code == CURLE_UNSUPPORTED_PROTOCOL) {
        // The protocols are limited to HTTP(S), so this is a peer that does not speak HTTP
        // (curl also refuses an HTTP/0.9 reply this way).
        m_response.outcome = Outcome::invalidReply;
    } else {
        m_response.outcome = Outcome::failed;
    }
    if (m_response.outcome != Outcome::completed) {
        m_response.errorText = m_errorBuffer[0] ? QString::fromUtf8(m_errorBuffer)
                                                : QString::fromUtf8(curl_easy_strerror(code));
    }
    m_finished = true;
    resume();
}

void CurlTransfer::finish(Outcome outcome, const QString &errorText)
{
    if (m_finished)
        return;
    m_response.outcome = outcome;
    m_response.errorText = errorText;
    m_response.body.clear();
    m_finished = true;
    resume();
}

void CurlTransfer::resume()
{
    m_idleTimer.stop();
    if (const std::coroutine_handle<> waiting = std::exchange(m_waiting, {}))
        waiting.resume();
}
