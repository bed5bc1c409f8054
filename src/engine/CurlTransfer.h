// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/HttpClient.h"

#include <QTimer>

#include <curl/curl.h>

#include <chrono>
#include <coroutine>
#include <functional>
#include <memory>

// One request of HttpClient: its curl handle, the body it sends, the reply it keeps within the
// limit, and the coroutine waiting for its end.
class CurlTransfer final
{
public:
    explicit CurlTransfer(HttpClient::Request request);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer &) = delete;
    CurlTransfer &operator=(const CurlTransfer &) = delete;

    // The curl easy handle; null when it could not be set up (the transfer is then finished).
    CURL *handle() const { return m_handle; }
    double deadlineSeconds() const { return m_request.deadlineSeconds; }
    bool isFinished() const { return m_finished; }

    // Calls `onIdle` from the event loop once no byte has moved for the request's idle time.
    void watchIdleTime(std::function<void()> onIdle);

    // Ends the transfer with curl's result code for it, and resumes the waiting coroutine.
    void finish(CURLcode code);
    // Ends the transfer with an outcome of the client's own (deadline, shutdown).
    void finish(HttpClient::Response::Outcome outcome, const QString &errorText);
    HttpClient::Response takeResponse() { return std::move(m_response); }

    // `co_await CurlTransfer::Completion{transfer}` suspends until the transfer has finished.
    struct Completion
    {
        std::shared_ptr<CurlTransfer> transfer;
        bool await_ready() const noexcept { return transfer->isFinished(); }
        void await_suspend(std::coroutine_handle<> waiting) { transfer->m_waiting = waiting; }
        void await_resume() const noexcept {}
    };

private:
    bool setUp();
    void resume();
    long responseCode() const;

    static size_t onWrite(char *data, size_t size, size_t count, void *transfer);
    static size_t onRead(char *buffer, size_t size, size_t count, void *transfer);
    static int onSeek(void *transfer, curl_off_t offset, int origin);
    static int onProgress(void *transfer, curl_off_t downloadTotal, curl_off_t downloaded,
                          curl_off_t uploadTotal, curl_off_t uploaded);
    void checkIdleTime();

    HttpClient::Request m_request;
    HttpClient::Response m_response;
    CURL *m_handle = nullptr;
    curl_slist *m_headers = nullptr;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
    // Read position in the body: the piece and the offset inside it.
    qsizetype m_piece = 0;
    qsizetype m_offset = 0;
    bool m_tooLarge = false;
    bool m_stoppedAtBody = false;
    bool m_finished = false;
    std::coroutine_handle<> m_waiting;
    // The idle limit is timed on the real clock, like curl's own: bytes move in real time.
    QTimer m_idleTimer;
    std::function<void()> m_onIdle;
    std::chrono::steady_clock::time_point m_lastActivity;
    curl_off_t m_bytesMoved = 0;
};
