// SPDX-License-Identifier: GPL-3.0-or-later
// Retry runs: back-off, the drop after ten retries, the first failure ending a run, and what
// happens to entries enqueued meanwhile.
#include "RetryQueueFixture.h"

#include <QSignalSpy>

namespace {

using Runs = RetryQueueFixture;
using testsupport::HttpReply;

TEST_F(Runs, BackOffDoublesFromThirtySecondsAndStopsAtAnHour)
{
    const QList<double> expected = {0, 30, 60, 120, 240, 480, 960, 1920, 3600, 3600};
    for (qint64 count = 0; count < expected.size(); ++count)
        EXPECT_EQ(RetryQueueManager::backoffSeconds(count), expected[count]) << count;
}

TEST_F(Runs, EntriesStillInTheirBackOffAreSkippedUntilDue)
{
    writeManifest({entry(QStringLiteral("parlovox-4.wav"), 4, 200),
                   entry(QStringLiteral("parlovox-1.wav"), 1, 29.9)});
    RetryQueueManager &q = makeQueue();
    QSignalSpy processing(&q, &RetryQueueManager::isProcessingChanged);
    ASSERT_TRUE(QFile::remove(manifestPath()));

    ASSERT_TRUE(runQueue());
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_EQ(q.pendingCount(), 2);
    EXPECT_EQ(processing.count(), 2); // on and off again
    // Every run ends with a save, even one that changed nothing.
    EXPECT_EQ(QJsonDocument::fromJson(readFile(manifestPath())).array().size(), 2);

    // 30 s after its failure the count-1 entry is due; the count-4 entry (now 200.1 s) is not.
    scheduler.advance(0.1);
    server.enqueue(HttpReply::json(200, R"({"text":"one"})"), "/inference");
    ASSERT_TRUE(runQueue());
    EXPECT_EQ(server.requestCount(), 1);
    ASSERT_EQ(q.items().size(), 1);
    EXPECT_EQ(q.items().at(0).wavFilename, "parlovox-4.wav");

    scheduler.advance(39.8); // 239.9 s
    ASSERT_TRUE(runQueue());
    EXPECT_EQ(server.requestCount(), 1);

    scheduler.advance(0.1); // exactly 240 s
    server.enqueue(HttpReply::json(200, R"({"text":"four"})"), "/inference");
    ASSERT_TRUE(runQueue());
    EXPECT_EQ(server.requestCount(), 2);
    EXPECT_EQ(q.pendingCount(), 0);
    EXPECT_FALSE(QFile::exists(pendingDir() + "/parlovox-4.wav"));
}

// Stamped by a clock a day ahead: the entry waits its back-off from the start, not a day.
TEST_F(Runs, AFailureStampedInTheFutureCountsAsFailedNow)
{
    writeManifest({entry(QStringLiteral("parlovox-ahead.wav"), 1, -86400)});
    RetryQueueManager &q = makeQueue();
    EXPECT_FALSE(q.hasDueEntry());
    EXPECT_EQ(q.items().at(0).failedAt, scheduler.now());

    scheduler.advance(30);
    EXPECT_TRUE(q.hasDueEntry());
    server.enqueue(HttpReply::json(200, R"({"text":"ahead"})"), "/inference");
    ASSERT_TRUE(runQueue());
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(q.pendingCount(), 0);
}

TEST_F(Runs, TheTenthFailureLeadsToADropAtTheNextRun)
{
    const PendingTranscription nine = entry(QStringLiteral("parlovox-9.wav"), 9, 3599);
    writeManifest({nine});
    RetryQueueManager &q = makeQueue();

    ASSERT_TRUE(runQueue()); // 3599 s: an hour has not passed (the formula alone would say 7680 s)
    EXPECT_EQ(server.requestCount(), 0);

    scheduler.advance(1);
    server.enqueue(HttpReply::text(503, "busy"), "/inference");
    ASSERT_TRUE(runQueue());
    EXPECT_EQ(server.requestCount(), 1);
    ASSERT_EQ(q.items().size(), 1);
    EXPECT_EQ(q.items().at(0).retryCount, 10);
    EXPECT_EQ(q.items().at(0).failedAt, scheduler.now());
    EXPECT_EQ(q.items().at(0).failureReason, nine.failureReason);
    EXPECT_TRUE(crashReporter.events().isEmpty()); // failed retries are not reported

    log.clear();
    scheduler.advance(7200);
    ASSERT_TRUE(runQueue());
    EXPECT_EQ(server.requestCount(), 1); // dropped without an upload
    EXPECT_EQ(q.pendingCount(), 0);
    EXPECT_FALSE(QFile::exists(pendingDir() + "/parlovox-9.wav"));
    EXPECT_EQ(log.lines("critical"),
              QStringList({"[RetryQueue] Dropping parlovox-9.wav after 10 retries"}));
    EXPECT_EQ(logRecords(),
              QStringList({R"({"duration_ms":0,"error":"Retry exhausted after 10 )"
                           R"(attempts: Server error 503: busy","ok":false,"text":""})"}));
    ASSERT_EQ(crashReporter.events().size(), 1);
    const auto &event = crashReporter.events().at(0);
    EXPECT_EQ(event.kind, "message");
    EXPECT_EQ(event.text, "Retry queue exhausted");
    EXPECT_EQ(event.level, platform::CrashReporter::Level::Warning);
    EXPECT_EQ(event.contextName, "retry");
    EXPECT_EQ(event.context.value("retry_count").toLongLong(), 10);
    EXPECT_EQ(event.context.value("failure_reason").toString(), nine.failureReason);
    EXPECT_EQ(QJsonDocument::fromJson(readFile(manifestPath())).array().size(), 0);
}

TEST_F(Runs, TheFirstFailedUploadEndsTheRun)
{
    const QList<PendingTranscription> entries = {entry(QStringLiteral("parlovox-a.wav"), 0, 0),
                                                 entry(QStringLiteral("parlovox-b.wav"), 2, 500),
                                                 entry(QStringLiteral("parlovox-c.wav"), 0, 0)};
    writeManifest(entries);
    RetryQueueManager &q = makeQueue();
    QStringList delivered;
    q.setOnRetrySuccess([&delivered](const QString &text) { delivered.append(text); });
    QSignalSpy countChanges(&q, &RetryQueueManager::pendingCountChanged);
    server.enqueue(HttpReply::json(200, R"({"text":"  first text \n"})"), "/inference");
    server.enqueue(HttpReply::text(503, "overloaded"), "/inference");
    server.enqueue(HttpReply::json(200, R"({"text":"never asked"})"), "/inference");
    language = QStringLiteral("de"); // read at upload time, not taken from the failure
    log.clear();

    ASSERT_TRUE(runQueue());

    EXPECT_EQ(server.requestCount(), 2);
    EXPECT_TRUE(server.requests().at(0).body.contains("\r\n\r\nde\r\n"));
    EXPECT_EQ(delivered, QStringList({"first text"}));
    EXPECT_FALSE(q.isProcessing());
    EXPECT_EQ(q.pendingCount(), 2);
    EXPECT_EQ(countChanges.count(), 1); // once, at the end of the run
    ASSERT_EQ(q.items().size(), 2);
    EXPECT_EQ(q.items().at(0).id, entries[1].id);
    EXPECT_EQ(q.items().at(0).retryCount, 3);
    EXPECT_EQ(q.items().at(0).failedAt, scheduler.now());
    EXPECT_EQ(q.items().at(1), entries[2]);
    EXPECT_FALSE(QFile::exists(pendingDir() + "/parlovox-a.wav"));
    EXPECT_TRUE(QFile::exists(pendingDir() + "/parlovox-b.wav"));
    EXPECT_EQ(
        log.lines(),
        QStringList({
            "info: [RetryQueue] Retry succeeded for parlovox-a.wav",
            "info: [RetryQueue] Retry failed for parlovox-b.wav: Server error 503: overloaded",
        }));
    EXPECT_EQ(logRecords(), QStringList({R"({"duration_ms":0,"ok":true,"text":"first text"})"}));

    // What is on disk now is what a restart sees.
    const QList<PendingTranscription> after = q.items();
    queue.reset();
    EXPECT_EQ(makeQueue().items(), after);
}

TEST_F(Runs, EntriesEnqueuedDuringARunWaitForTheNextOne)
{
    writeManifest({entry(QStringLiteral("parlovox-old.wav"), 0, 0)});
    RetryQueueManager &q = makeQueue();
    const QString live = makeRecording(QStringLiteral("parlovox-live.wav"));
    QObject::connect(&server, &testsupport::TestHttpServer::requestReceived, &server, [&] {
        q.enqueue(live, QStringLiteral("Server error 502: bad gateway"));
        q.processQueue(); // ignored: a run is going
        EXPECT_EQ(q.pendingCount(), 2);
    });
    server.enqueue(HttpReply::json(200, R"({"text":"old"})"), "/inference");

    ASSERT_TRUE(runQueue());

    EXPECT_EQ(server.requestCount(), 1);
    ASSERT_EQ(q.items().size(), 1);
    EXPECT_EQ(q.items().at(0).wavFilename, "parlovox-live.wav");
    EXPECT_EQ(q.pendingCount(), 1);
    EXPECT_EQ(QJsonDocument::fromJson(readFile(manifestPath())).array().size(), 1);
}

TEST_F(Runs, AManagerGoneDuringAnUploadLeavesItsEntryForTheNextStart)
{
    writeManifest({entry(QStringLiteral("parlovox-z.wav"), 0, 0)});
    makeQueue();
    QObject::connect(&server, &testsupport::TestHttpServer::requestReceived, &server,
                     [this] { queue.reset(); });
    server.enqueue(HttpReply::json(200, R"({"text":"late"})"), "/inference");
    queue->processQueue();
    ASSERT_TRUE(testsupport::waitUntil([this] { return server.requestCount() == 1; }, 10000));
    ASSERT_TRUE(testsupport::waitUntil([this] { return http.runningCount() == 0; }, 10000));

    // The answer arrived after the manager: nothing was logged, deleted or saved for it.
    EXPECT_TRUE(logRecords().isEmpty());
    EXPECT_TRUE(QFile::exists(pendingDir() + "/parlovox-z.wav"));
    EXPECT_EQ(makeQueue().pendingCount(), 1);
}

TEST_F(Runs, AServerThatDripsItsAnswerEndsTheRunAtTheUploadsDeadline)
{
    writeManifest({entry(QStringLiteral("parlovox-d.wav"), 0, 0)});
    RetryQueueManager &q = makeQueue();
    auto dripped = std::make_shared<qint64>(0);
    HttpReply drip = HttpReply::stream(200, [dripped](qint64 i) {
        *dripped = i + 1;
        return QByteArray("x");
    });
    drip.declaredLength = 1 << 20;
    drip.pieceDelayMs = 20;
    server.enqueue(drip, "/inference");

    q.processQueue();
    ASSERT_TRUE(testsupport::waitUntil([&] { return *dripped >= 3; }));
    const double deadline = TranscriptionService::deadlineSeconds(
        RetryQueueManager::uploadTimeoutSeconds, server.requests().first().body.size());
    scheduler.advance(deadline - 0.01);
    EXPECT_TRUE(q.isProcessing());
    scheduler.advance(0.01);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !q.isProcessing(); }));
    EXPECT_EQ(q.items().at(0).retryCount, 1);
    EXPECT_EQ(log.lines("info").last(),
              "[RetryQueue] Retry failed for parlovox-d.wav: The request timed out.");

    // The next run is not blocked by it.
    scheduler.advance(RetryQueueManager::backoffSeconds(1));
    server.enqueue(HttpReply::json(200, R"({"text":"late"})"), "/inference");
    ASSERT_TRUE(runQueue());
    EXPECT_EQ(q.pendingCount(), 0);
}

TEST_F(Runs, EmptyTextsAndVanishedFilesAndEmptyQueues)
{
    RetryQueueManager &q = makeQueue();
    QSignalSpy processing(&q, &RetryQueueManager::isProcessingChanged);
    q.processQueue();
    EXPECT_FALSE(q.isProcessing());
    EXPECT_EQ(processing.count(), 0);

    q.enqueue(makeRecording(QStringLiteral("parlovox-e.wav")), QStringLiteral("reason"));
    q.enqueue(makeRecording(QStringLiteral("parlovox-v.wav")), QStringLiteral("reason"));
    QFile::remove(pendingDir() + "/parlovox-v.wav");
    std::optional<QString> delivered;
    q.setOnRetrySuccess([&delivered](const QString &text) { delivered = text; });
    server.enqueue(HttpReply::json(200, R"({"text":""})"), "/inference");
    log.clear();

    ASSERT_TRUE(runQueue());

    EXPECT_EQ(delivered, QString(""));
    EXPECT_EQ(q.pendingCount(), 0);
    EXPECT_EQ(log.lines(),
              QStringList({
                  "info: [RetryQueue] Retry succeeded for parlovox-e.wav",
                  "critical: [RetryQueue] WAV missing for parlovox-v.wav, removing entry",
              }));
}

} // namespace
