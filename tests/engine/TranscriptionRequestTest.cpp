// SPDX-License-Identifier: GPL-3.0-or-later
#include "TranscriptionServiceFixture.h"

namespace {

using namespace transcriptiontest;

TEST_F(TranscriptionServiceTest, SendsTheFullRequestWithEveryOptionalPart)
{
    m_defaults.setString(QStringLiteral("sentryUserId"), QStringLiteral("DEVICE-1"));
    m_server.enqueue(HttpReply::json(200, R"({"text":"ok"})"), "/inference");
    const Outcome outcome =
        transcribe(m_server.url(), QStringLiteral("en"), QStringLiteral("Kubernetes, Zoë\r\n\"x\""),
                   QStringLiteral("s3cret"));
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
        part(boundary, "prompt", "Kubernetes, Zo\xc3\xab\r\n\"x\"") +
        part(boundary, "beam_size", "5") + part(boundary, "best_of", "5") + "--" + boundary +
        "--\r\n";
    EXPECT_EQ(request.body, expected);

    // The recording stays where it was, untouched: the caller decides what becomes of it.
    QFile file(m_wavPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), m_wav);
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

TEST_F(TranscriptionServiceTest, EveryRequestGetsAFreshBoundaryAndTheUrlKeepsItsQuery)
{
    m_server.enqueue(HttpReply::json(200, R"({"text":"a"})"));
    m_server.enqueue(HttpReply::json(200, R"({"text":"b"})"));
    EXPECT_EQ(transcribe(m_server.url()).text, QStringLiteral("a"));
    EXPECT_EQ(transcribe(m_server.url() + QStringLiteral("/?k=1 ")).text, QStringLiteral("b"));
    ASSERT_EQ(m_server.requestCount(), 2);
    EXPECT_EQ(m_server.requests()[1].target, "/inference?k=1");
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
    const auto first = std::make_shared<Outcome>();
    const auto second = std::make_shared<Outcome>();
    capture(m_service.transcribe(m_wavPath, m_server.url(), QStringLiteral("de"), {}, {}, 10),
            first);
    capture(m_service.transcribe(m_wavPath, m_server.url(), {}, {}, {}, 10), second);
    ASSERT_TRUE(testsupport::waitUntil([&] { return first->done && second->done; }, 15000));
    EXPECT_EQ(first->text, QStringLiteral("de"));
    EXPECT_EQ(second->text, QStringLiteral("none"));
}

} // namespace
