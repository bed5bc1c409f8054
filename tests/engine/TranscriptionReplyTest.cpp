// SPDX-License-Identifier: GPL-3.0-or-later
#include "TranscriptionServiceFixture.h"

namespace {

using namespace transcriptiontest;

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
        {"{\"text\":\"a\xff\"}", DecodingError::Kind::dataCorrupted},
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
        {407, "proxy", QStringLiteral("Server error 407: proxy")},
        {418, "teapot", QStringLiteral("Server error 418: teapot")},
        {500, "\xff\xfe broken", QStringLiteral("Server error 500: Unknown error")},
    };
    for (const auto &c : cases) {
        const TranscriptionError error =
            errorOf<TranscriptionError>(transcribeWithReply(HttpReply::text(c.status, c.body)));
        EXPECT_EQ(error.kind(), TranscriptionError::Kind::serverError);
        EXPECT_EQ(error.statusCode(), c.status);
        EXPECT_EQ(error.description(), c.description);
    }

    // A redirect without a Location cannot be followed: it is the server's answer too.
    const TranscriptionError redirect =
        errorOf<TranscriptionError>(transcribeWithReply(HttpReply::text(302, "moved")));
    EXPECT_EQ(redirect.kind(), TranscriptionError::Kind::serverError);
    EXPECT_EQ(redirect.statusCode(), 302);
}

TEST_F(TranscriptionServiceTest, TransportFailuresPassThrough)
{
    const TransportError refused = errorOf<TransportError>(transcribe(
        QStringLiteral("http://127.0.0.1:%1").arg(testsupport::TestHttpServer::unusedPort())));
    EXPECT_EQ(refused.kind(), TransportError::Kind::failed);
    EXPECT_FALSE(refused.description().isEmpty());

    // URLs that parse but name no HTTP server are refused before the file is even read.
    const QString missing = m_dir.filePath(QStringLiteral("missing.wav"));
    for (const QString &url : {QString(), QStringLiteral("localhost:8080")}) {
        const TransportError error =
            errorOf<TransportError>(transcribe(url, {}, {}, {}, 10, missing));
        EXPECT_EQ(error.kind(), TransportError::Kind::notAServer) << url.toStdString();
        EXPECT_EQ(error.description(), QStringLiteral("Invalid server URL"));
    }

    // A connection closed before any answer is the error at once when it was fresh: the server
    // sees the upload once. Over a kept-alive connection the server may just have dropped it as
    // idle, so curl sends the upload once more on a fresh one: the server sees it twice.
    m_server.setHandler("/inference", [](const HttpRequest &) { return HttpReply::drop(); });
    m_server.clearRequests();
    EXPECT_EQ(errorOf<TransportError>(transcribe(m_server.url())).kind(),
              TransportError::Kind::failed);
    EXPECT_EQ(m_server.requestCount(), 1);
    m_server.enqueue(HttpReply::json(200, R"({"text":"kept alive"})"), "/inference");
    EXPECT_EQ(transcribe(m_server.url()).text, QStringLiteral("kept alive"));
    m_server.clearRequests();
    EXPECT_EQ(errorOf<TransportError>(transcribe(m_server.url())).kind(),
              TransportError::Kind::failed);
    EXPECT_EQ(m_server.requestCount(), 2);
}

TEST_F(TranscriptionServiceTest, AServerThatNeverAnswersTimesOut)
{
    m_server.enqueue(HttpReply::hang(), "/inference");
    QElapsedTimer clock;
    clock.start();
    const TransportError error =
        errorOf<TransportError>(transcribe(m_server.url(), {}, {}, {}, 0.3));
    EXPECT_EQ(error.kind(), TransportError::Kind::timedOut);
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

TEST_F(TranscriptionServiceTest, ACompressedReplyIsNeitherAskedForNorInflated)
{
    // No encoding is offered, so a server that compresses anyway sends bytes that are not JSON:
    // they are never inflated into something larger than the limit.
    HttpReply reply = HttpReply::json(200, qCompress(R"({"text":"hidden"})", 9).mid(4));
    reply.headers.append(testsupport::HttpHeaders::value_type("Content-Encoding", "deflate"));
    const DecodingError error = errorOf<DecodingError>(transcribeWithReply(reply));
    EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted);
    EXPECT_FALSE(m_server.requests().last().hasHeader("Accept-Encoding"));
}

TEST_F(TranscriptionServiceTest, CheckOrderUrlThenFile)
{
    const QString missing = m_dir.filePath(QStringLiteral("missing.wav"));
    const TransportError badUrl = errorOf<TransportError>(
        transcribe(QStringLiteral("http://exa mple.com"), {}, {}, {}, 10, missing));
    EXPECT_EQ(badUrl.kind(), TransportError::Kind::notAServer);
    EXPECT_EQ(badUrl.description(), QStringLiteral("Invalid server URL"));

    const FileReadError unreadable =
        errorOf<FileReadError>(transcribe(m_server.url(), {}, {}, {}, 10, missing));
    EXPECT_EQ(unreadable.path(), missing);
    EXPECT_EQ(m_server.requestCount(), 0);
    EXPECT_TRUE(QFile::exists(m_wavPath));
}

} // namespace
