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

    // A redirect without a Location cannot be followed: it is the server's answer too (Qt
    // stops before reading its body).
    const TranscriptionError redirect =
        errorOf<TranscriptionError>(transcribeWithReply(HttpReply::text(302, "moved")));
    EXPECT_EQ(redirect.kind(), TranscriptionError::Kind::serverError);
    EXPECT_EQ(redirect.statusCode(), 302);
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

    // A success status whose body does not decompress is a failed exchange, not a JSON error.
    HttpReply corrupt = HttpReply::json(200, "not deflate data");
    corrupt.headers.append(testsupport::HttpHeaders::value_type("Content-Encoding", "deflate"));
    EXPECT_EQ(errorOf<TransportError>(transcribeWithReply(corrupt)).code(),
              QNetworkReply::UnknownContentError);

    // A connection closed before any answer makes Qt send the request again, the POST included,
    // twice (its HTTP channels reconnect twice, and no public setting turns that off): the server
    // sees the upload exactly three times, then the drop is the error.
    m_server.setHandler("/inference", [](const HttpRequest &) { return HttpReply::drop(); });
    EXPECT_EQ(errorOf<TransportError>(transcribe(m_server.url())).code(),
              QNetworkReply::RemoteHostClosedError);
    EXPECT_EQ(m_server.requestCount(), 3);
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

TEST_F(TranscriptionServiceTest, ACompressedReplyIsBoundedOnceInflated)
{
    // Hex digits deflate to about half: too little for Qt's own bomb check to step in, so only
    // our bound on the inflated bytes stops it.
    QByteArray text;
    text.reserve(TranscriptionService::maximumReplySize + 1024 * 1024);
    quint32 seed = 1;
    while (text.size() < TranscriptionService::maximumReplySize + 1024 * 1024) {
        seed = seed * 1103515245 + 12345;
        text += "0123456789abcdef"[(seed >> 16) & 0xf];
    }
    HttpReply reply = HttpReply::json(200, qCompress("{\"text\":\"" + text + "\"}", 1).mid(4));
    reply.headers.append(testsupport::HttpHeaders::value_type("Content-Encoding", "deflate"));
    const TranscriptionError error = errorOf<TranscriptionError>(transcribeWithReply(reply));
    EXPECT_EQ(error.kind(), TranscriptionError::Kind::invalidResponse);
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
