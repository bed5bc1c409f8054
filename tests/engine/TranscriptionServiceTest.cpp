// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/TranscriptionService.h"
#include "engine/DecodingError.h"
#include "engine/FileReadError.h"
#include "engine/TranscriptionError.h"
#include "engine/TransportError.h"
#include "support/EventLoop.h"
#include "support/FixedBundle.h"
#include "support/MemoryUserDefaults.h"
#include "support/TestHttpServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testsupport::HttpReply;
using testsupport::HttpRequest;

namespace {

struct Outcome
{
    bool done = false;
    QString text;
    std::exception_ptr error;
};

QCoro::Task<> capture(QCoro::Task<QString> task, Outcome *outcome)
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

QByteArray part(const QByteArray &boundary, const QByteArray &name, const QByteArray &value)
{
    return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" +
           value + "\r\n";
}

QByteArray boundaryOf(const HttpRequest &request)
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
        Outcome outcome;
        capture(m_service.transcribe(path.isEmpty() ? m_wavPath : path, serverURL, language, prompt,
                                     secret, timeout),
                &outcome);
        EXPECT_TRUE(testsupport::waitUntil([&] { return outcome.done; }, 15000));
        return outcome;
    }

    Outcome transcribeWithReply(const HttpReply &reply)
    {
        m_server.enqueue(reply, "/inference");
        return transcribe(m_server.url());
    }

    QTemporaryDir m_dir;
    QByteArray m_wav;
    QString m_wavPath;
    QNetworkAccessManager m_network;
    testsupport::MemoryUserDefaults m_defaults;
    testsupport::FixedBundle m_bundle;
    testsupport::TestHttpServer m_server;
    TranscriptionService m_service{m_network, m_defaults, m_bundle};
};

TEST_F(TranscriptionServiceTest, SendsTheFullRequestWithEveryOptionalPart)
{
    m_defaults.setString(QStringLiteral("sentryUserId"), QStringLiteral("DEVICE-1"));
    m_server.enqueue(HttpReply::json(200, R"({"text":"ok"})"), "/inference");
    const Outcome outcome = transcribe(m_server.url(), QStringLiteral("en"),
                                       QStringLiteral("Kubernetes, Zoë"), QStringLiteral("s3cret"));
    ASSERT_FALSE(outcome.error);
    ASSERT_EQ(m_server.requestCount(), 1);
    const HttpRequest request = m_server.requests().first();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/inference");

    const QByteArray boundary = boundaryOf(request);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"))
                    .match(QString::fromLatin1(boundary))
                    .hasMatch())
        << boundary.toStdString();

    QList<QByteArray> ours;
    for (const QByteArray &name : request.headerNames()) {
        if (name.startsWith("X-") || name.compare("Content-Type", Qt::CaseInsensitive) == 0)
            ours.append(name);
    }
    EXPECT_EQ(ours, (QList<QByteArray>{"Content-Type", "X-App-Secret", "X-Device-Id",
                                       "X-App-Version", "X-OS-Version"}));
    EXPECT_EQ(request.header("X-App-Secret"), "s3cret");
    EXPECT_EQ(request.header("X-Device-Id"), "DEVICE-1");
    EXPECT_EQ(request.header("X-App-Version"), "1.3.0(42)");
    EXPECT_EQ(request.header("X-OS-Version"),
              TranscriptionService::osVersionFromKernelRelease(QSysInfo::kernelVersion()).toUtf8());

    const QByteArray expected =
        "--" + boundary +
        "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"recording.wav\"\r\n"
        "Content-Type: audio/wav\r\n\r\n" +
        m_wav + "\r\n" + part(boundary, "temperature", "0.0") +
        part(boundary, "response_format", "json") + part(boundary, "language", "en") +
        part(boundary, "prompt", "Kubernetes, Zo\xc3\xab") + part(boundary, "beam_size", "5") +
        part(boundary, "best_of", "5") + "--" + boundary + "--\r\n";
    EXPECT_EQ(request.body, expected);
}

TEST_F(TranscriptionServiceTest, LeavesOutEmptyOptionalPartsAndHeaders)
{
    m_server.enqueue(HttpReply::json(200, R"({"text":"ok"})"), "/inference");
    ASSERT_FALSE(transcribe(m_server.url()).error);
    const HttpRequest request = m_server.requests().first();
    EXPECT_FALSE(request.hasHeader("X-App-Secret"));
    EXPECT_FALSE(request.hasHeader("X-Device-Id"));
    const QByteArray boundary = boundaryOf(request);
    const QByteArray tail = part(boundary, "temperature", "0.0") +
                            part(boundary, "response_format", "json") +
                            part(boundary, "beam_size", "5") + part(boundary, "best_of", "5") +
                            "--" + boundary + "--\r\n";
    EXPECT_TRUE(request.body.endsWith(m_wav + "\r\n" + tail));
    EXPECT_FALSE(request.body.contains("name=\"language\""));
    EXPECT_FALSE(request.body.contains("name=\"prompt\""));
}

TEST_F(TranscriptionServiceTest, DeviceIdMustBeAStoredStringAndEmptyValuesStillGoOut)
{
    m_defaults.setNumber(QStringLiteral("sentryUserId"), 7);
    m_server.enqueue(HttpReply::json(200, R"({"text":"a"})"), "/inference");
    ASSERT_FALSE(transcribe(m_server.url()).error);
    EXPECT_FALSE(m_server.requests().last().hasHeader("X-Device-Id"));

    m_defaults.setString(QStringLiteral("sentryUserId"), QString());
    m_server.enqueue(HttpReply::json(200, R"({"text":"a"})"), "/inference");
    ASSERT_FALSE(transcribe(m_server.url()).error);
    EXPECT_TRUE(m_server.requests().last().hasHeader("X-Device-Id"));
    EXPECT_EQ(m_server.requests().last().header("X-Device-Id"), "");
}

TEST_F(TranscriptionServiceTest, AStoredValueWithALineBreakCannotInjectHeaders)
{
    m_defaults.setString(QStringLiteral("sentryUserId"), QStringLiteral("id\r\nX-Evil: 1"));
    m_server.enqueue(HttpReply::json(200, R"({"text":"a"})"), "/inference");
    ASSERT_FALSE(transcribe(m_server.url(), {}, {}, QStringLiteral("s3cret")).error);
    const HttpRequest request = m_server.requests().last();
    EXPECT_FALSE(request.hasHeader("X-Evil"));
    EXPECT_FALSE(request.hasHeader("X-Device-Id"));
    EXPECT_EQ(request.header("X-App-Secret"), "s3cret");
}

TEST_F(TranscriptionServiceTest, VersionHeaderFallsBackToUnknown)
{
    m_bundle.removeInfoValue(QStringLiteral("CFBundleShortVersionString"));
    m_bundle.setInfoValue(QStringLiteral("CFBundleVersion"), 42);
    EXPECT_EQ(m_service.appVersion(), QStringLiteral("unknown(unknown)"));
    m_bundle.setInfoValue(QStringLiteral("CFBundleShortVersionString"), QStringLiteral("2.0"));
    EXPECT_EQ(m_service.appVersion(), QStringLiteral("2.0(unknown)"));
}

TEST(TranscriptionServiceOsVersion, TakesThreeNumbersFromTheKernelRelease)
{
    const auto v = &TranscriptionService::osVersionFromKernelRelease;
    EXPECT_EQ(v(QStringLiteral("6.1.0-18-amd64")), QStringLiteral("6.1.0"));
    EXPECT_EQ(v(QStringLiteral("4.19.128-microsoft-standard")), QStringLiteral("4.19.128"));
    EXPECT_EQ(v(QStringLiteral("6.8-rc3")), QStringLiteral("6.8.0"));
    EXPECT_EQ(v(QStringLiteral("6")), QStringLiteral("6.0.0"));
    EXPECT_EQ(v(QString()), QStringLiteral("0.0.0"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$"))
                    .match(TranscriptionService::osVersion())
                    .hasMatch());
}

TEST_F(TranscriptionServiceTest, EveryRequestGetsAFreshBoundaryAndTheUrlIsNotNormalised)
{
    m_server.enqueue(HttpReply::json(200, R"({"text":"a"})"));
    m_server.enqueue(HttpReply::json(200, R"({"text":"b"})"));
    EXPECT_EQ(transcribe(m_server.url()).text, QStringLiteral("a"));
    EXPECT_EQ(transcribe(m_server.url() + QLatin1Char('/')).text, QStringLiteral("b"));
    ASSERT_EQ(m_server.requestCount(), 2);
    // The text is not normalised (the URL "…//inference" is accepted as typed); Qt's HTTP client
    // itself collapses the repeated slash on the wire.
    EXPECT_EQ(m_server.requests()[1].path, "/inference");
    const QByteArray first = boundaryOf(m_server.requests()[0]);
    const QByteArray second = boundaryOf(m_server.requests()[1]);
    EXPECT_EQ(first.size(), 36);
    EXPECT_NE(first, second);
    EXPECT_TRUE(m_server.requests()[1].body.startsWith("--" + second + "\r\n"));
}

TEST_F(TranscriptionServiceTest, ConcurrentRequestsEachGetTheirOwnAnswer)
{
    m_server.setHandler("/inference", [](const HttpRequest &request) {
        HttpReply reply = HttpReply::json(
            200, "{\"text\":\"" +
                     QByteArray(request.body.contains("name=\"language\"") ? "de" : "none") +
                     "\"}");
        reply.delayMs = 50;
        return reply;
    });
    Outcome first;
    Outcome second;
    capture(m_service.transcribe(m_wavPath, m_server.url(), QStringLiteral("de"), {}, {}, 10),
            &first);
    capture(m_service.transcribe(m_wavPath, m_server.url(), {}, {}, {}, 10), &second);
    ASSERT_TRUE(testsupport::waitUntil([&] { return first.done && second.done; }, 15000));
    EXPECT_EQ(first.text, QStringLiteral("de"));
    EXPECT_EQ(second.text, QStringLiteral("none"));
}

TEST_F(TranscriptionServiceTest, SuccessfulRepliesAreDecodedAndTrimmed)
{
    EXPECT_EQ(transcribeWithReply(HttpReply::json(200, R"({"text":"  two words\n","x":1})")).text,
              QStringLiteral("two words"));
    const Outcome empty = transcribeWithReply(HttpReply::json(200, R"({"text":""})"));
    EXPECT_FALSE(empty.error);
    EXPECT_EQ(empty.text, QString());
    EXPECT_EQ(
        transcribeWithReply(HttpReply::json(200, "{\"text\":\"\\u00a0Gr\\u00fc\\u00dfe\\u2028\"}"))
            .text,
        QStringLiteral("Grüße"));
}

TEST_F(TranscriptionServiceTest, UndecodableSuccessBodiesThrowTheDecodingError)
{
    const std::pair<QByteArray, DecodingError::Kind> cases[] = {
        {R"({"other":"x"})", DecodingError::Kind::keyNotFound},
        {R"({"text":null})", DecodingError::Kind::valueNotFound},
        {R"({"text":5})", DecodingError::Kind::typeMismatch},
        {R"(["text"])", DecodingError::Kind::typeMismatch},
        {"not json", DecodingError::Kind::dataCorrupted},
        {"", DecodingError::Kind::dataCorrupted},
    };
    for (const auto &[body, kind] : cases) {
        const DecodingError error =
            errorOf<DecodingError>(transcribeWithReply(HttpReply::json(200, body)));
        EXPECT_EQ(error.kind(), kind) << body.toStdString();
        EXPECT_FALSE(error.description().isEmpty());
    }
}

TEST_F(TranscriptionServiceTest, AnyOtherStatusIsAServerErrorCarryingTheBody)
{
    const struct
    {
        int status;
        QByteArray body;
        QString description;
    } cases[] = {
        {201, R"({"text":"ok"})", QStringLiteral(R"(Server error 201: {"text":"ok"})")},
        {500, "oops", QStringLiteral("Server error 500: oops")},
        {503, "", QStringLiteral("Server error 503: ")},
        {400, "bad field", QStringLiteral("Server error 400: bad field")},
        {404, "Zoë", QStringLiteral("Server error 404: Zoë")},
        {401, "no", QStringLiteral("Server error 401: no")},
        {500, "\xff\xfe broken", QStringLiteral("Server error 500: Unknown error")},
    };
    for (const auto &c : cases) {
        const TranscriptionError error =
            errorOf<TranscriptionError>(transcribeWithReply(HttpReply::text(c.status, c.body)));
        EXPECT_EQ(error.kind(), TranscriptionError::Kind::serverError);
        EXPECT_EQ(error.statusCode(), c.status);
        EXPECT_EQ(error.description(), c.description);
    }
}

TEST_F(TranscriptionServiceTest, TransportFailuresPassThrough)
{
    const TransportError refused = errorOf<TransportError>(transcribe(
        QStringLiteral("http://127.0.0.1:%1").arg(testsupport::TestHttpServer::unusedPort())));
    EXPECT_EQ(refused.code(), QNetworkReply::ConnectionRefusedError);
    EXPECT_FALSE(refused.description().isEmpty());

    // URLs that parse but name no HTTP server fail in the client, not as invalid URLs.
    for (const QString &url : {QString(), QStringLiteral("localhost:8080")})
        EXPECT_EQ(errorOf<TransportError>(transcribe(url)).code(),
                  QNetworkReply::ProtocolUnknownError)
            << url.toStdString();

    // Qt resends a request whose connection closed before any answer, so every attempt drops.
    m_server.setHandler("/inference", [](const HttpRequest &) { return HttpReply::drop(); });
    EXPECT_EQ(errorOf<TransportError>(transcribe(m_server.url())).code(),
              QNetworkReply::RemoteHostClosedError);
    EXPECT_GE(m_server.requestCount(), 1);
}

TEST_F(TranscriptionServiceTest, AServerThatNeverAnswersTimesOut)
{
    m_server.enqueue(HttpReply::hang(), "/inference");
    QElapsedTimer clock;
    clock.start();
    const TransportError error =
        errorOf<TransportError>(transcribe(m_server.url(), {}, {}, {}, 0.3));
    EXPECT_EQ(error.code(), QNetworkReply::TimeoutError);
    EXPECT_EQ(error.description(), QStringLiteral("The request timed out."));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(m_server.requestCount(), 1);
}

TEST_F(TranscriptionServiceTest, RepliesLargerThanTheLimitAreRejectedUnread)
{
    const QByteArray huge(TranscriptionService::maximumReplySize + 1024 * 1024, 'x');
    for (const bool closeDelimited : {false, true}) {
        HttpReply reply = HttpReply::json(200, huge);
        reply.closeDelimited = closeDelimited;
        const TranscriptionError error = errorOf<TranscriptionError>(transcribeWithReply(reply));
        EXPECT_EQ(error.kind(), TranscriptionError::Kind::invalidResponse) << closeDelimited;
        EXPECT_EQ(error.description(), QStringLiteral("Invalid server response"));
    }
}

TEST_F(TranscriptionServiceTest, CheckOrderUrlThenFile)
{
    const QString missing = m_dir.filePath(QStringLiteral("missing.wav"));
    const TranscriptionError badUrl = errorOf<TranscriptionError>(
        transcribe(QStringLiteral("http://exa mple.com"), {}, {}, {}, 10, missing));
    EXPECT_EQ(badUrl.kind(), TranscriptionError::Kind::invalidURL);
    EXPECT_EQ(badUrl.description(), QStringLiteral("Invalid server URL"));

    const FileReadError unreadable =
        errorOf<FileReadError>(transcribe(m_server.url(), {}, {}, {}, 10, missing));
    EXPECT_EQ(unreadable.path(), missing);
    EXPECT_EQ(m_server.requestCount(), 0);
    EXPECT_TRUE(QFile::exists(m_wavPath));
}

} // namespace
