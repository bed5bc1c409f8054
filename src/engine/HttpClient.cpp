// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/HttpClient.h"

#include "engine/CurlTransfer.h"
#include "platform/Scheduler.h"
#include "platform/TcpAcknowledgement.h"

#include <QPointer>
#include <QSocketNotifier>

#include <curl/curl.h>

#include <algorithm>
#include <vector>

namespace {

using Outcome = HttpClient::Response::Outcome;

// curl_global_init is not thread-safe in old releases and must run before the first handle;
// the first client does it, once.
void initialiseCurlOnce()
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(initialised);
}

} // namespace

// The notifiers of one socket curl watches. Deleted later, never inside their own signal.
struct HttpClient::SocketWatch
{
    QPointer<QSocketNotifier> read;
    QPointer<QSocketNotifier> write;

    ~SocketWatch()
    {
        for (QSocketNotifier *notifier : {read.data(), write.data()}) {
            if (notifier) {
                notifier->setEnabled(false);
                notifier->deleteLater();
            }
        }
    }
};

HttpClient::HttpClient(platform::Scheduler &scheduler, QObject *parent)
    : QObject(parent), m_scheduler(scheduler)
{
    initialiseCurlOnce();
    m_multi = curl_multi_init();
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &HttpClient::onSocket);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &HttpClient::onTimer);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    m_curlTimer.setSingleShot(true);
    m_curlTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_curlTimer, &QTimer::timeout, this, [this] { socketAction(CURL_SOCKET_TIMEOUT, 0); });
}

HttpClient::~HttpClient()
{
    m_closing = true;
    m_curlTimer.stop();
    // Each waiting coroutine resumes with `cancelled` and runs to its end; owners that are
    // already gone are seen through their weak references.
    auto transfers = std::move(m_transfers);
    m_transfers.clear();
    for (auto &[handle, transfer] : transfers)
        curl_multi_remove_handle(m_multi, handle);
    for (auto &[handle, transfer] : transfers)
        transfer->finish(Outcome::cancelled, QStringLiteral("The request was cancelled."));
    transfers.clear();
    m_sockets.clear();
    curl_multi_cleanup(m_multi);
}

QCoro::Task<HttpClient::Response> HttpClient::send(Request request)
{
    const auto transfer = std::make_shared<CurlTransfer>(std::move(request));
    if (m_closing)
        transfer->finish(Outcome::cancelled, QStringLiteral("The request was cancelled."));
    else if (!transfer->isFinished())
        start(transfer);
    // Nothing of the client is touched after this: it may be gone when the transfer ends.
    co_await CurlTransfer::Completion{transfer};
    co_return transfer->takeResponse();
}

void HttpClient::start(const std::shared_ptr<CurlTransfer> &transfer)
{
    if (curl_multi_add_handle(m_multi, transfer->handle()) != CURLM_OK) {
        transfer->finish(Outcome::failed, QStringLiteral("The request could not be started."));
        return;
    }
    m_transfers.emplace(transfer->handle(), transfer);
    const std::weak_ptr<CurlTransfer> weak(transfer);
    const QPointer<HttpClient> self(this);
    const auto expire = [weak, self] {
        const std::shared_ptr<CurlTransfer> expired = weak.lock();
        if (self && expired)
            self->expire(expired);
    };
    transfer->watchIdleTime(expire);
    // Not cancellable on purpose: the work only looks at a transfer that still exists, and a
    // finished transfer's deadline is simply nothing to do.
    m_scheduler.after(transfer->deadlineSeconds(), expire);
    // Connect now rather than one pass of the event loop later; no curl call is under way here,
    // and a transfer that ends at once is simply found finished by its waiter.
    socketAction(CURL_SOCKET_TIMEOUT, 0);
}

void HttpClient::expire(const std::shared_ptr<CurlTransfer> &transfer)
{
    const auto found = m_transfers.find(transfer->handle());
    if (found == m_transfers.end())
        return;
    curl_multi_remove_handle(m_multi, transfer->handle());
    m_transfers.erase(found);
    transfer->finish(Outcome::timedOut, QStringLiteral("The request timed out."));
}

void HttpClient::socketAction(int socket, int events)
{
    int running = 0;
    curl_multi_socket_action(m_multi, socket, events, &running);
    // On a kept-alive connection Linux delays the acknowledgement of what has arrived, and a
    // server that writes a reply's body apart from its head (Nagle's algorithm on) waits for
    // it: 40 ms per request, most of a queued recording's upload to a fast server. curl has read
    // what arrived, so it is acknowledged now, on the connection curl still holds.
    if ((events & CURL_CSELECT_IN) && m_sockets.count(socket) > 0)
        platform::TcpAcknowledgement::sendNow(socket);
    finishDoneTransfers();
}

void HttpClient::finishDoneTransfers()
{
    std::vector<std::pair<std::shared_ptr<CurlTransfer>, CURLcode>> done;
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        CURL *handle = message->easy_handle;
        // The message is gone once its handle leaves the multi handle; read it first.
        const CURLcode code = message->data.result;
        const auto found = m_transfers.find(handle);
        curl_multi_remove_handle(m_multi, handle);
        if (found == m_transfers.end())
            continue;
        done.emplace_back(found->second, code);
        m_transfers.erase(found);
    }
    // Resumed last: a waiting coroutine may start the next request at once.
    for (auto &[transfer, code] : done)
        transfer->finish(code);
}

void HttpClient::watchSocket(int socket, int what)
{
    if (what == CURL_POLL_REMOVE) {
        m_sockets.erase(socket);
        return;
    }
    std::unique_ptr<SocketWatch> &watch = m_sockets[socket];
    if (!watch) {
        watch = std::make_unique<SocketWatch>();
        watch->read = new QSocketNotifier(socket, QSocketNotifier::Read, this);
        watch->write = new QSocketNotifier(socket, QSocketNotifier::Write, this);
        connect(watch->read, &QSocketNotifier::activated, this,
                [this, socket] { socketAction(socket, CURL_CSELECT_IN); });
        connect(watch->write, &QSocketNotifier::activated, this,
                [this, socket] { socketAction(socket, CURL_CSELECT_OUT); });
    }
    watch->read->setEnabled(what == CURL_POLL_IN || what == CURL_POLL_INOUT);
    watch->write->setEnabled(what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
}

int HttpClient::onSocket(void *, int socket, int what, void *client, void *)
{
    static_cast<HttpClient *>(client)->watchSocket(socket, what);
    return 0;
}

int HttpClient::onTimer(void *, long timeoutMs, void *client)
{
    auto *self = static_cast<HttpClient *>(client);
    // curl must not be called back from inside this callback: a zero wait goes through the
    // event loop too.
    if (timeoutMs < 0)
        self->m_curlTimer.stop();
    else
        self->m_curlTimer.start(static_cast<int>(std::min(timeoutMs, 2'000'000'000L)));
    return 0;
}
