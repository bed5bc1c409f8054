// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/SentryCrashReporter.h"

#include "support/EventLoop.h"
#include "support/LogCapture.h"
#include "support/TestHttpServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::CrashReporter;
using platform::linux_impl::SentryCrashReporter;
using testsupport::HttpReply;
using testsupport::HttpRequest;

namespace {

struct Envelope
{
    QJsonObject header;
    QJsonObject itemHeader;
    QByteArray payload;
    QJsonObject event;
};

Envelope parseEnvelope(const HttpRequest &request)
{
    Envelope envelope;
    const QList<QByteArray> lines = request.body.split('\n');
    if (lines.size() < 3)
        return envelope;
    envelope.header = QJsonDocument::fromJson(lines[0]).object();
    envelope.itemHeader = QJsonDocument::fromJson(lines[1]).object();
    envelope.payload = lines[2];
    envelope.event = QJsonDocument::fromJson(lines[2]).object();
    return envelope;
}

class SentryCrashReporterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        server.setDefaultReply(HttpReply::json(200, R"({"id":"x"})"));
    }

    QString dsn() const
    {
        return QStringLiteral("http://publickey@127.0.0.1:%1/42").arg(server.port());
    }
    CrashReporter::Options options(const QString &dsn, bool crashRecords = false) const
    {
        CrashReporter::Options options;
        options.dsn = dsn;
        options.environment = QStringLiteral("production");
        options.diagnosticReports = crashRecords;
        return options;
    }
    std::unique_ptr<SentryCrashReporter> makeReporter(SentryCrashReporter::Limits limits = {})
    {
        return std::make_unique<SentryCrashReporter>(crashes.path(),
                                                     QStringLiteral("parlovox@0.1.0"), limits);
    }
    QStringList records() const
    {
        return QDir(crashes.path()).entryList({QStringLiteral("*.record")}, QDir::Files);
    }
    // Gives stray requests a moment to arrive.
    void settle()
    {
        testsupport::waitUntil([] { return false; }, 200);
    }

    testsupport::TestHttpServer server;
    QTemporaryDir crashes;
    testsupport::LogCapture log{QStringLiteral("parlovox.crashreporter")};
};

TEST_F(SentryCrashReporterTest, EachEventIsOneEnvelopeWithItsLevelContextAndUser)
{
    auto reporter = makeReporter();
    reporter->start(options(dsn()));
    reporter->setUser(QStringLiteral("0F1E2D3C-0000-4000-8000-00000000ABCD"));
    reporter->captureError(QStringLiteral("Server error 503: busy"),
                           QStringLiteral("transcription"),
                           {{QStringLiteral("duration_ms"), 1234},
                            {QStringLiteral("server_url"), QStringLiteral("http://s")}});
    reporter->captureMessage(QStringLiteral("Retry queue exhausted"), CrashReporter::Level::Warning,
                             QStringLiteral("retry"), {{QStringLiteral("attempts"), 3}});
    ASSERT_TRUE(testsupport::waitUntil([this] { return server.requestCount() == 2; }));
    settle();
    ASSERT_EQ(server.requestCount(), 2);

    const HttpRequest first = server.requests()[0];
    EXPECT_EQ(first.method, QByteArray("POST"));
    EXPECT_EQ(first.path, QByteArray("/api/42/envelope/"));
    EXPECT_EQ(first.header("Content-Type"), QByteArray("application/x-sentry-envelope"));
    EXPECT_TRUE(first.header("X-Sentry-Auth").contains("sentry_key=publickey"));
    const Envelope error = parseEnvelope(first);
    EXPECT_EQ(error.header.value(QStringLiteral("event_id")),
              error.event.value(QStringLiteral("event_id")));
    EXPECT_EQ(error.itemHeader.value(QStringLiteral("length")).toInt(), error.payload.size());
    EXPECT_EQ(error.event.value(QStringLiteral("level")).toString(), QStringLiteral("error"));
    EXPECT_EQ(error.event.value(QStringLiteral("environment")).toString(),
              QStringLiteral("production"));
    EXPECT_EQ(error.event[QStringLiteral("user")][QStringLiteral("id")].toString(),
              QStringLiteral("0F1E2D3C-0000-4000-8000-00000000ABCD"));
    EXPECT_EQ(error
                  .event[QStringLiteral("exception")][QStringLiteral("values")][0]
                        [QStringLiteral("value")]
                  .toString(),
              QStringLiteral("Server error 503: busy"));
    const QJsonObject context =
        error.event[QStringLiteral("contexts")][QStringLiteral("transcription")].toObject();
    EXPECT_EQ(context.value(QStringLiteral("duration_ms")).toInt(), 1234);
    EXPECT_EQ(context.value(QStringLiteral("server_url")).toString(), QStringLiteral("http://s"));

    const Envelope message = parseEnvelope(server.requests()[1]);
    EXPECT_EQ(message.event.value(QStringLiteral("level")).toString(), QStringLiteral("warning"));
    EXPECT_EQ(message.event[QStringLiteral("message")][QStringLiteral("formatted")].toString(),
              QStringLiteral("Retry queue exhausted"));
    EXPECT_EQ(
        message
            .event[QStringLiteral("contexts")][QStringLiteral("retry")][QStringLiteral("attempts")]
            .toInt(),
        3);
}

TEST_F(SentryCrashReporterTest, WithoutAUsableDsnNothingIsSent)
{
    for (const QString &badDsn :
         {QString(), QStringLiteral("not a dsn"), QStringLiteral("ftp://key@127.0.0.1/1"),
          QStringLiteral("http://127.0.0.1/1")}) {
        auto reporter = makeReporter();
        reporter->start(options(badDsn));
        reporter->captureError(QStringLiteral("boom"), QStringLiteral("c"), {});
        reporter->captureMessage(QStringLiteral("hi"), CrashReporter::Level::Info, {}, {});
        EXPECT_EQ(reporter->queuedCount(), 0);
    }
    settle();
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(SentryCrashReporterTest, ADeadOrHangingServerNeitherBlocksNorPilesUpEvents)
{
    server.setDefaultReply(HttpReply::hang());
    auto reporter = makeReporter({/*maxQueued*/ 5, /*requestTimeoutMs*/ 300});
    reporter->start(options(dsn()));
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 200; ++i)
        reporter->captureMessage(QStringLiteral("event %1").arg(i), CrashReporter::Level::Error, {},
                                 {});
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(reporter->queuedCount(), 5);
    // The hanging request times out and the next one goes.
    ASSERT_TRUE(testsupport::waitUntil([this] { return server.requestCount() >= 2; }));
    reporter.reset(); // with a request still open

    const QString deadDsn = QStringLiteral("http://publickey@127.0.0.1:%1/42")
                                .arg(testsupport::TestHttpServer::unusedPort());
    reporter = makeReporter({5, 300});
    reporter->start(options(deadDsn));
    for (int i = 0; i < 3; ++i)
        reporter->captureError(QStringLiteral("error %1").arg(i), {}, {});
    EXPECT_TRUE(testsupport::waitUntil([&] { return reporter->queuedCount() == 0; }));
}

// A crash record is the only copy of a crash: it goes only once a server has taken it.
TEST_F(SentryCrashReporterTest, ARecordStaysUntilAServerHasTakenIt)
{
    QFile record(crashes.filePath(QStringLiteral("crash-7.record")));
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write("parlovox-crash 1\nsignal 6\nbacktrace\nparlovox(+0x10) [0x10]\nend\n");
    record.close();

    const QString deadDsn = QStringLiteral("http://publickey@127.0.0.1:%1/42")
                                .arg(testsupport::TestHttpServer::unusedPort());
    auto reporter = makeReporter();
    reporter->start(options(deadDsn, true));
    ASSERT_TRUE(testsupport::waitUntil([&] { return reporter->queuedCount() == 0; }));
    EXPECT_TRUE(record.exists());

    for (const int busy : {503, 429}) {
        server.enqueue(HttpReply::text(busy, "later"));
        reporter = makeReporter();
        reporter->start(options(dsn(), true));
        ASSERT_TRUE(testsupport::waitUntil([&] { return reporter->queuedCount() == 0; }));
        EXPECT_TRUE(record.exists()) << busy;
    }

    reporter = makeReporter();
    reporter->start(options(dsn(), true));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !record.exists(); }));
    ASSERT_EQ(server.requestCount(), 3);
    // A record of the first format names no id: each start still sends it as the same event.
    const QJsonValue eventId =
        parseEnvelope(server.requests()[0]).event[QStringLiteral("event_id")];
    EXPECT_EQ(eventId.toString().size(), 32);
    for (const HttpRequest &request : server.requests())
        EXPECT_EQ(parseEnvelope(request).event[QStringLiteral("event_id")], eventId);
}

TEST_F(SentryCrashReporterTest, ACrashRecordIsOneEventHoweverOftenItIsSent)
{
    QProcess child;
    child.start(QStringLiteral(PARLOVOX_CRASH_CHILD), {crashes.path(), dsn()});
    ASSERT_TRUE(child.waitForFinished(20000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    ASSERT_EQ(records().size(), 1);
    QFile record(QDir(crashes.path()).filePath(records().first()));
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    const QByteArray written = record.readAll();
    record.close();
    // The event id is fixed when the record is made.
    const QRegularExpressionMatch head =
        QRegularExpression(QStringLiteral("^parlovox-crash 2\nevent ([0-9a-f]{32})\n"
                                          "signal 11\nbacktrace\n"))
            .match(QString::fromUtf8(written));
    ASSERT_TRUE(head.hasMatch()) << written.left(200).toStdString();

    // Records that are cut short or are not records at all go, unsent.
    QFile truncated(crashes.filePath(QStringLiteral("crash-1.record")));
    ASSERT_TRUE(truncated.open(QIODevice::WriteOnly));
    truncated.write("parlovox-crash 1\nsignal 11\nbacktrace\n./parlovox(+0x1234)");
    truncated.close();
    QFile garbage(crashes.filePath(QStringLiteral("crash-2.record")));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(1000, '\xff'));
    garbage.close();

    // The server stores the event but fails to say so; the record goes out again next time,
    // as the same event.
    server.enqueue(HttpReply::text(503, "stored, then failed"));
    auto reporter = makeReporter();
    reporter->start(options(dsn(), true));
    ASSERT_TRUE(testsupport::waitUntil([&] { return reporter->queuedCount() == 0; }));
    EXPECT_EQ(records().size(), 1);
    reporter = makeReporter();
    reporter->start(options(dsn(), true));
    ASSERT_TRUE(testsupport::waitUntil([this] { return records().isEmpty(); }));
    ASSERT_EQ(server.requestCount(), 2);
    EXPECT_EQ(log.lines(QStringLiteral("critical"))
                  .filter(QStringLiteral("[CrashReporter] Dropped an unreadable crash record"))
                  .size(),
              2);
    for (const HttpRequest &request : server.requests()) {
        const Envelope sent = parseEnvelope(request);
        EXPECT_EQ(sent.event.value(QStringLiteral("event_id")).toString(), head.captured(1));
        EXPECT_EQ(sent.header.value(QStringLiteral("event_id")).toString(), head.captured(1));
    }
    const QJsonObject event = parseEnvelope(server.requests()[1]).event;
    EXPECT_EQ(event.value(QStringLiteral("level")).toString(), QStringLiteral("fatal"));
    EXPECT_EQ(
        event[QStringLiteral("exception")][QStringLiteral("values")][0][QStringLiteral("type")]
            .toString(),
        QStringLiteral("SIGSEGV"));
    const QJsonObject crash = event[QStringLiteral("contexts")][QStringLiteral("crash")].toObject();
    EXPECT_EQ(crash.value(QStringLiteral("signal")).toInt(), 11);
    EXPECT_FALSE(crash.value(QStringLiteral("backtrace")).toArray().isEmpty());

    reporter = makeReporter();
    reporter->start(options(dsn(), true));
    settle();
    EXPECT_EQ(server.requestCount(), 2);
}

} // namespace
