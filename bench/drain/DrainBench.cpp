// SPDX-License-Identifier: GPL-3.0-or-later
// Time per recording when the retry queue drains, against curl's time per request, on a server
// that keeps the connection alive and writes each reply's head and body as two packets, as some
// speech servers do. On such a server a client that acknowledges the head late holds the body
// back by its delayed-acknowledgement time, about 40 ms on Linux, for every recording.
//
// The server runs in a child process (this program with --serve). The queue holds `items`
// recordings of `seconds` each (16 kHz mono 16-bit, generated here) and is drained once, timed
// from processQueue() to the end of the run; curl uploads the same file with the same form
// fields, once per process (a fresh connection, which Linux acknowledges at once) and timed by
// its own transfer time (-w '%{time_total}'), and again `items` times over one kept-alive
// connection, where curl shows the stall. Medians are printed, then
// "drain per item / curl per request: X.XX" (target: at most 1.10).
// Run: build-dir/bench/drain_bench [items (40)] [seconds (10)]
#include "bench/support/CurlUpload.h"
#include "bench/support/LoopbackServerProcess.h"
#include "engine/HttpClient.h"
#include "engine/RetryQueueManager.h"
#include "engine/TranscriptionLogger.h"
#include "engine/TranscriptionService.h"
#include "support/FixedBundle.h"
#include "support/MemoryUserDefaults.h"
#include "support/RecordingCrashReporter.h"
#include "support/TempPaths.h"
#include "support/VirtualScheduler.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

QByteArray wavFile(int seconds)
{
    const quint32 rate = 16000;
    const quint32 dataSize = rate * 2 * seconds;
    QByteArray wav(44 + dataSize, '\0');
    char *p = wav.data();
    std::memcpy(p, "RIFF", 4);
    qToLittleEndian<quint32>(36 + dataSize, p + 4);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    qToLittleEndian<quint32>(16, p + 16);
    qToLittleEndian<quint16>(1, p + 20); // linear PCM
    qToLittleEndian<quint16>(1, p + 22); // mono
    qToLittleEndian<quint32>(rate, p + 24);
    qToLittleEndian<quint32>(rate * 2, p + 28);
    qToLittleEndian<quint16>(2, p + 32);
    qToLittleEndian<quint16>(16, p + 34);
    std::memcpy(p + 36, "data", 4);
    qToLittleEndian<quint32>(dataSize, p + 40);
    for (quint32 i = 0; i < rate * seconds; ++i)
        qToLittleEndian<qint16>(static_cast<qint16>(8000 * std::sin(2 * M_PI * 220 * i / rate)),
                                p + 44 + 2 * i);
    return wav;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// One kept-alive connection: each request whole (head and Content-Length body), then the reply's
// head and body, each flushed to the socket on its own.
void serveConnection(QTcpSocket *socket)
{
    auto buffer = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, buffer] {
        buffer->append(socket->readAll());
        for (;;) {
            const qsizetype headEnd = buffer->indexOf("\r\n\r\n");
            if (headEnd < 0)
                return;
            qint64 length = 0;
            for (const QByteArray &line : buffer->left(headEnd).split('\n')) {
                if (line.toLower().startsWith("content-length:"))
                    length = line.mid(15).trimmed().toLongLong();
            }
            if (buffer->size() < headEnd + 4 + length)
                return;
            const bool health = buffer->startsWith("GET /health");
            buffer->remove(0, headEnd + 4 + length);
            const QByteArray body = health ? QByteArray("ok") : QByteArray(R"({"text":"ok"})");
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                          QByteArray::number(body.size()) + "\r\n\r\n");
            socket->flush();
            socket->write(body);
            socket->flush();
        }
    });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

int serve()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return 1;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket *socket = server.nextPendingConnection())
            serveConnection(socket);
    });
    std::printf("%u\n", static_cast<unsigned>(server.serverPort()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

// curl's own transfer times in milliseconds, one per upload: `count` uploads in one process
// (over one connection) when `kept` is set, else one process per upload. Empty on failure.
std::vector<double> curlTimes(const QString &path, const QString &url, int count, bool kept)
{
    std::vector<double> times;
    const int processes = kept ? 1 : count;
    for (int i = 0; i < processes; ++i) {
        QStringList arguments{QStringLiteral("-s"), QStringLiteral("-f")};
        for (int upload = 0; upload < (kept ? count : 1); ++upload) {
            if (upload > 0)
                arguments << QStringLiteral("--next");
            arguments << bench::curlUpload(path, url);
        }
        QProcess process;
        process.start(QStringLiteral("curl"), arguments);
        if (!process.waitForStarted() || !process.waitForFinished(120000) ||
            process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return {};
        for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
            bool ok = false;
            const double seconds = line.toDouble(&ok);
            if (ok)
                times.push_back(seconds * 1000);
        }
    }
    return times;
}

// Milliseconds per recording for one drain of `count` queued recordings, or -1.
double drainOnce(const QByteArray &wav, const QString &url, int count)
{
    testsupport::TempPaths paths;
    testsupport::VirtualScheduler scheduler;
    testsupport::MemoryUserDefaults defaults;
    testsupport::FixedBundle bundle;
    testsupport::RecordingCrashReporter crashReporter;
    HttpClient http(scheduler);
    TranscriptionService service(http, scheduler, defaults, bundle);
    TranscriptionLogger logger(paths, scheduler);
    RetryQueueManager queue(service, logger,
                            RetryQueueManager::Settings{[url] { return url; },
                                                        [] { return QStringLiteral("en"); },
                                                        [] { return QStringLiteral("Parlovox"); },
                                                        [] { return QString(); }},
                            paths, scheduler, crashReporter);
    for (int i = 0; i < count; ++i) {
        const QString path = paths.temporaryDirectory() +
                             QStringLiteral("/parlovox-%1.wav").arg(i, 4, 10, QChar('0'));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(wav) != wav.size())
            return -1;
        file.close();
        if (!queue.enqueue(path, QStringLiteral("Server error 503: busy")))
            return -1;
    }
    int succeeded = 0;
    queue.setOnRetrySuccess([&succeeded](const QString &) { ++succeeded; });
    QElapsedTimer timer;
    timer.start();
    queue.processQueue();
    QDeadlineTimer deadline(600000);
    while (queue.isProcessing() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    const double elapsed = timer.nsecsElapsed() / 1e6;
    return succeeded == count ? elapsed / count : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--serve") == 0)
        return serve();
    // The queue's progress lines would drown the figures.
    QLoggingCategory::setFilterRules(QStringLiteral("parlovox.*=false"));
    const int items = argc > 1 ? std::max(3, atoi(argv[1])) : 40;
    const int seconds = argc > 2 ? std::max(1, atoi(argv[2])) : 10;

    QProcess server;
    const QString url = bench::startLoopbackServer(server);
    if (url.isEmpty())
        return 1;
    const QByteArray wav = wavFile(seconds);
    testsupport::TempPaths files;
    const QString path = files.temporaryDirectory() + QStringLiteral("/bench.wav");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(wav) != wav.size())
        return 1;
    file.close();

    // One warm-up each.
    if (drainOnce(wav, url, 3) < 0 || curlTimes(path, url, 1, false).empty()) {
        std::fprintf(stderr, "warm-up failed\n");
        return 1;
    }
    std::vector<double> drains;
    for (int round = 0; round < 3; ++round) {
        const double perItem = drainOnce(wav, url, items);
        if (perItem < 0) {
            std::fprintf(stderr, "drain failed\n");
            return 1;
        }
        drains.push_back(perItem);
    }
    const std::vector<double> fresh = curlTimes(path, url, items, false);
    const std::vector<double> kept = curlTimes(path, url, items, true);
    if (fresh.size() != size_t(items) || kept.size() != size_t(items)) {
        std::fprintf(stderr, "curl failed\n");
        return 1;
    }
    const double drain = median(drains);
    const double curl = median(fresh);
    std::printf("%d recordings of %d s (%lld bytes), median of 3 drains\n", items, seconds,
                static_cast<long long>(wav.size()));
    std::printf("drain per item:                    %7.2f ms\n", drain);
    std::printf("curl per request, new connection:  %7.2f ms\n", curl);
    std::printf("curl per request, kept connection: %7.2f ms\n", median(kept));
    std::printf("drain per item / curl per request: %.2f\n", drain / curl);
    server.kill();
    server.waitForFinished();
    return 0;
}
