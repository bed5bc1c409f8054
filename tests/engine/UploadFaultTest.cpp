// SPDX-License-Identifier: GPL-3.0-or-later
// A live dictation against a server that misbehaves in every way we know of: what the user is
// shown, whether the recording is kept, how long the engine is held and what memory it takes.
#include "AppStateFixture.h"

#include "engine/TranscriptionService.h"

#include <QElapsedTimer>
#include <QRegularExpression>

using testsupport::HttpReply;

namespace {

// AddressSanitizer keeps freed memory in quarantine and adds its shadow: resident memory then
// says nothing about what the program holds.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryIsMeasurable = false;
#else
constexpr bool kMemoryIsMeasurable = true;
#endif

// Peak resident memory since the last reset, in bytes; resetting needs Linux 4.0.
struct PeakMemory
{
    static qint64 field(const char *name)
    {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith(name))
                return line.mid(qstrlen(name)).trimmed().split(' ').value(0).toLongLong() * 1024;
        }
        return -1;
    }
    static qint64 reset()
    {
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
        return field("VmRSS:");
    }
    static qint64 peak() { return field("VmHWM:"); }
};

QByteArray zeros(qint64 index, qint64 count)
{
    return index < count ? QByteArray(64 * 1024, '0') : QByteArray();
}

struct Fault
{
    const char *name;
    std::function<void(testsupport::TestHttpServer &)> serve;
    // The reason the failure gets (logged, reported, stored): exactly, or as a pattern.
    QString reason;
    // Held until the upload's deadline, which the test reaches in virtual time.
    bool untilDeadline = false;
};

} // namespace

class UploadFaults : public AppStateFixture
{
};

TEST_F(UploadFaults, EveryFailureIsBoundedAndKeepsTheRecording)
{
    const qint64 gigabyte = 1024LL * 1024 * 1024;
    const auto dripped = std::make_shared<qint64>(0);
    const QString moved = server.url() + QStringLiteral("/moved");
    const QString redirected = QStringLiteral("Server redirected the upload to %1; change the "
                                              "server URL");
    const QList<Fault> faults = {
        {"refused", [](auto &) {},
         QStringLiteral("^Failed to connect to 127\\.0\\.0\\.1 port \\d+ .*")},
        {"accepts and never answers", [](auto &s) { s.enqueue(HttpReply::hang()); },
         QStringLiteral("The request timed out."), true},
        {"drips one byte every 50 ms",
         [dripped](auto &s) {
             HttpReply drip = HttpReply::stream(200, [dripped](qint64 i) {
                 *dripped = i + 1;
                 return QByteArray(i < 10000 ? "x" : "");
             });
             drip.declaredLength = 10000;
             drip.pieceDelayMs = 50;
             s.enqueue(drip);
         },
         QStringLiteral("The request timed out."), true},
        {"resets mid-body",
         [](auto &s) {
             HttpReply reset = HttpReply::stream(200, [](qint64 i) {
                 return i == 0 ? QByteArray(R"({"text":"cut)") : QByteArray();
             });
             reset.declaredLength = 1000;
             reset.resetAfterPieces = true;
             s.enqueue(reset);
         },
         QStringLiteral("Recv failure: Connection reset by peer")},
        {"garbage JSON", [](auto &s) { s.enqueue(HttpReply::json(200, "{\"text\": nope")); },
         QStringLiteral("The server's reply is not valid JSON (illegal value)")},
        {"1 GB announced",
         [gigabyte](auto &s) {
             HttpReply huge = HttpReply::stream(200, [](qint64 i) { return zeros(i, 16384); });
             huge.declaredLength = gigabyte;
             s.enqueue(huge);
         },
         QStringLiteral("Invalid server response")},
        {"1 GB until the connection closes",
         [](auto &s) {
             s.enqueue(HttpReply::stream(200, [](qint64 i) { return zeros(i, 16384); }));
         },
         QStringLiteral("Invalid server response")},
        {"1 GB in chunks",
         [](auto &s) {
             HttpReply huge = HttpReply::stream(200, [](qint64 i) { return zeros(i, 16384); });
             huge.chunked = true;
             s.enqueue(huge);
         },
         QStringLiteral("Invalid server response")},
        {"endless chunks",
         [](auto &s) {
             HttpReply endless =
                 HttpReply::stream(200, [](qint64) { return QByteArray(64 * 1024, 'z'); });
             endless.chunked = true;
             s.enqueue(endless);
         },
         QStringLiteral("Invalid server response")},
        {"301 once",
         [moved](auto &s) {
             s.enqueue(HttpReply::redirect(301, moved.toUtf8()), "/inference");
             s.enqueue(HttpReply::json(200, R"({"text":"wrong place"})"), "/moved");
         },
         redirected.arg(moved)},
        {"301 loop",
         [](auto &s) { s.enqueue(HttpReply::redirect(301, "/inference"), "/inference"); },
         redirected.arg(server.url() + QStringLiteral("/inference"))},
        {"500 with a 10 MB body",
         [](auto &s) { s.enqueue(HttpReply::text(500, QByteArray(10 * 1024 * 1024, 'e'))); },
         QStringLiteral("Server error 500: ") + QString(982, QLatin1Char('e')) +
             QStringLiteral("…")},
    };

    createDictating();
    const QString liveURL = server.url();
    int kept = 0;
    for (const Fault &fault : faults) {
        SCOPED_TRACE(fault.name);
        server.clearRequests();
        app->setServerURL(fault.name == std::string("refused")
                              ? QStringLiteral("http://127.0.0.1:%1")
                                    .arg(testsupport::TestHttpServer::unusedPort())
                              : liveURL);
        fault.serve(server);
        const qint64 before = PeakMemory::reset();
        QElapsedTimer clock;
        clock.start();

        dictate(1.0);
        if (fault.untilDeadline) {
            ASSERT_TRUE(testsupport::waitUntil([this] { return server.requestCount() == 1; }));
            const double deadline = TranscriptionService::deadlineSeconds(
                AppState::transcriptionTimeoutSeconds, server.requests().first().body.size());
            // Still held a moment before the deadline, however steadily the bytes come.
            if (*dripped > 0) {
                ASSERT_TRUE(testsupport::waitUntil([&] { return *dripped >= 4; }));
            }
            scheduler->advance(deadline - 0.01);
            EXPECT_TRUE(app->state().isProcessing());
            scheduler->advance(0.01);
        }
        ASSERT_TRUE(waitUntilSettled());
        EXPECT_LT(clock.elapsed(), 5000);
        // The reply limit is 16 MiB; whatever is sent, no more than that is held on top.
        if (kMemoryIsMeasurable) {
            EXPECT_LT(PeakMemory::peak() - before, 40LL * 1024 * 1024);
        }

        // Every one of them keeps the recording for a retry and says so.
        ++kept;
        EXPECT_EQ(app->state(),
                  RecordingState::error(QStringLiteral("Queued for retry (%1 pending)").arg(kept)));
        ASSERT_EQ(app->retryQueueManager()->pendingCount(), kept);
        const PendingTranscription &entry = app->retryQueueManager()->items().last();
        EXPECT_TRUE(entry.failureReason == fault.reason ||
                    (fault.reason.startsWith(QLatin1Char('^')) &&
                     QRegularExpression(fault.reason).match(entry.failureReason).hasMatch()))
            << entry.failureReason.left(200).toStdString();
        EXPECT_LE(entry.failureReason.size(), 1001);
        EXPECT_EQ(crashReporter->events().last().text, entry.failureReason);
        // Only the one request: a redirect that would drop the upload is not followed.
        EXPECT_TRUE(server.requestsTo("/moved").isEmpty());
    }
}

TEST_F(UploadFaults, A307Or308IsFollowedWithTheSameUpload)
{
    createDictating();
    for (const int status : {307, 308}) {
        server.clearRequests();
        server.enqueue(HttpReply::redirect(status, "/moved"), "/inference");
        server.enqueue(HttpReply::json(200, R"({"text":"followed"})"), "/moved");
        dictate(1.0);
        ASSERT_TRUE(waitUntilSettled());
        EXPECT_EQ(app->state(), RecordingState::idle());
        EXPECT_EQ(app->currentTranscription(), QStringLiteral("followed"));
        ASSERT_EQ(server.requestCount(), 2);
        const testsupport::HttpRequest &first = server.requests().at(0);
        const testsupport::HttpRequest &second = server.requests().at(1);
        EXPECT_EQ(second.method, "POST");
        EXPECT_EQ(second.path, "/moved");
        EXPECT_EQ(second.body, first.body);
        EXPECT_EQ(second.header("Content-Type"), first.header("Content-Type"));
    }

    // A redirect loop ends after a few hops, and the recording waits in the queue.
    server.clearRequests();
    server.setHandler("/inference",
                      [](const auto &) { return HttpReply::redirect(307, "/inference"); });
    dictate(1.0);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(app->retryQueueManager()->pendingCount(), 1);
    EXPECT_EQ(server.requestCount(), TranscriptionService::maximumRedirects + 1);
}
