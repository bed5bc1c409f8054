// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the request and reply tests of the transcription client: a real loopback server,
// a WAV file of awkward bytes and a way to run one upload to completion.
#include "engine/DecodingError.h"
#include "engine/FileReadError.h"
#include "engine/HttpClient.h"
#include "engine/TranscriptionError.h"
#include "engine/TranscriptionService.h"
#include "engine/TransportError.h"
#include "support/EventLoop.h"
#include "support/FixedBundle.h"
#include "support/MemoryUserDefaults.h"
#include "support/TestHttpServer.h"
#include "support/VirtualScheduler.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>

#include <memory>

#include <gtest/gtest.h>

namespace transcriptiontest {

using testsupport::HttpReply;
using testsupport::HttpRequest;

struct Outcome
{
    bool done = false;
    QString text;
    std::exception_ptr error;
};

// Shared with the coroutine, so an upload that outlives a failed wait writes into live memory.
inline QCoro::Task<> capture(QCoro::Task<QString> task, std::shared_ptr<Outcome> outcome)
{
    try {
        outcome->text = co_await std::move(task);
    } catch (...) {
        outcome->error = std::current_exception();
    }
    outcome->done = true;
}

template <typename E> E errorOf(const Outcome &outcome)
{
    try {
        if (outcome.error)
            std::rethrow_exception(outcome.error);
    } catch (const E &error) {
        return error;
    } catch (const std::exception &other) {
        ADD_FAILURE() << "unexpected error: " << other.what();
        throw;
    }
    ADD_FAILURE() << "no error, text: " << outcome.text.toStdString();
    throw std::logic_error("no error");
}

inline QByteArray part(const QByteArray &boundary, const QByteArray &name, const QByteArray &value)
{
    return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" +
           value + "\r\n";
}

inline QByteArray boundaryOf(const HttpRequest &request)
{
    const QByteArray prefix = "multipart/form-data; boundary=";
    const QByteArray type = request.header("Content-Type");
    return type.startsWith(prefix) ? type.mid(prefix.size()) : QByteArray();
}

class TranscriptionServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(m_server.start());
        // Bytes that would trip any text handling of the file: CR LF, NUL, high bytes.
        m_wav = QByteArray("RIFF\x24\0\0\0WAVE", 12) + "\r\n--\r\n";
        for (int i = 0; i < 256; ++i)
            m_wav += static_cast<char>(i);
        m_wavPath = m_dir.filePath(QStringLiteral("parlovox-1234.wav"));
        QFile file(m_wavPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(m_wav);
    }

    Outcome transcribe(const QString &serverURL, const QString &language = {},
                       const QString &prompt = {}, const QString &secret = {}, double timeout = 10,
                       const QString &path = {})
    {
        const auto outcome = std::make_shared<Outcome>();
        capture(m_service.transcribe(path.isEmpty() ? m_wavPath : path, serverURL, language, prompt,
                                     secret, timeout),
                outcome);
        EXPECT_TRUE(testsupport::waitUntil([&] { return outcome->done; }, 15000));
        return *outcome;
    }

    Outcome transcribeWithReply(const HttpReply &reply)
    {
        m_server.enqueue(reply, "/inference");
        return transcribe(m_server.url());
    }

    QTemporaryDir m_dir;
    QByteArray m_wav;
    QString m_wavPath;
    testsupport::VirtualScheduler m_scheduler;
    HttpClient m_http{m_scheduler};
    testsupport::MemoryUserDefaults m_defaults;
    testsupport::FixedBundle m_bundle;
    testsupport::TestHttpServer m_server;
    TranscriptionService m_service{m_http, m_scheduler, m_defaults, m_bundle};
};

} // namespace transcriptiontest
