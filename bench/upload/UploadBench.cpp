// SPDX-License-Identifier: GPL-3.0-or-later
// Upload speed of the transcription client against curl.
//
// Uploads a 300 s, 16 kHz mono 16-bit WAV (about 9.6 MB, generated here) to a loopback server,
// once per run through TranscriptionService and once with `curl -F`, and prints the medians.
// The last line is "ratio ours/curl: X.XX" (target: at most 1.2). The server runs in a child
// process (this program with --serve), so neither client shares its thread with the server.
// Run: build-dir/bench/upload_bench [runs]
#include "engine/HttpClient.h"
#include "engine/TranscriptionService.h"
#include "support/EventLoop.h"
#include "support/FixedBundle.h"
#include "support/MemoryUserDefaults.h"
#include "support/TestHttpServer.h"
#include "support/VirtualScheduler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
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
    QByteArray wav;
    wav.reserve(44 + dataSize);
    const auto u32 = [&wav](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        wav.append(b, 4);
    };
    const auto u16 = [&wav](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        wav.append(b, 2);
    };
    wav += "RIFF";
    u32(36 + dataSize);
    wav += "WAVEfmt ";
    u32(16);
    u16(1); // linear PCM
    u16(1); // mono
    u32(rate);
    u32(rate * 2); // bytes per second
    u16(2);        // block align
    u16(16);       // bits per sample
    wav += "data";
    u32(dataSize);
    for (quint32 i = 0; i < rate * seconds; ++i) {
        const double t = double(i) / rate;
        u16(static_cast<quint16>(static_cast<qint16>(8000 * std::sin(2 * M_PI * 220 * t) +
                                                     500 * std::sin(2 * M_PI * 3170 * t))));
    }
    return wav;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QCoro::Task<> uploadOnce(TranscriptionService &service, const QString &path, const QString &url,
                         bool *ok, bool *done)
{
    try {
        co_await service.transcribe(path, url, QStringLiteral("en"), QStringLiteral("Parlovox"),
                                    QString(), 30);
        *ok = true;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "upload failed: %s\n", error.what());
    }
    *done = true;
}

} // namespace

// Child mode: answer every upload with a small transcript, print the port, serve forever.
int serve()
{
    testsupport::TestHttpServer server;
    if (!server.start())
        return 1;
    server.setHandler("/inference", [](const testsupport::HttpRequest &) {
        return testsupport::HttpReply::json(200, R"({"text":"ok"})");
    });
    std::printf("%u\n", static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--serve") == 0)
        return serve();
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.wav"));
    const QByteArray wav = wavFile(300);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(wav) != wav.size())
            return 1;
    }

    QProcess server;
    server.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve")});
    if (!server.waitForReadyRead(10000)) {
        std::fprintf(stderr, "loopback server did not start\n");
        return 1;
    }
    const QString url =
        QStringLiteral("http://127.0.0.1:%1").arg(server.readLine().trimmed().toUInt());

    testsupport::VirtualScheduler scheduler;
    HttpClient http(scheduler);
    testsupport::MemoryUserDefaults defaults;
    testsupport::FixedBundle bundle;
    TranscriptionService service(http, scheduler, defaults, bundle);

    std::vector<double> building;
    for (int i = 0; i < std::max(runs, 20); ++i) {
        QElapsedTimer timer;
        timer.start();
        const QList<QByteArray> body =
            TranscriptionService::bodyPieces("8655CA23-1A80-47DF-AB4E-C9666D90FA1F", wav,
                                             QStringLiteral("en"), QStringLiteral("Parlovox"));
        building.push_back(timer.nsecsElapsed() / 1e6);
        if (body.size() != 3)
            return 1;
    }

    const auto ours = [&]() -> double {
        bool ok = false;
        bool done = false;
        QElapsedTimer timer;
        timer.start();
        uploadOnce(service, path, url, &ok, &done);
        testsupport::waitUntil([&] { return done; }, 60000);
        const double ms = timer.nsecsElapsed() / 1e6;
        return ok ? ms : -1;
    };
    const auto curl = [&]() -> double {
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        process.start(QStringLiteral("curl"),
                      {QStringLiteral("-s"), QStringLiteral("-f"), QStringLiteral("-o"),
                       QStringLiteral("/dev/null"), QStringLiteral("-F"),
                       QStringLiteral("file=@%1;filename=recording.wav;type=audio/wav").arg(path),
                       QStringLiteral("-F"), QStringLiteral("temperature=0.0"),
                       QStringLiteral("-F"), QStringLiteral("response_format=json"),
                       QStringLiteral("-F"), QStringLiteral("language=en"), QStringLiteral("-F"),
                       QStringLiteral("prompt=Parlovox"), QStringLiteral("-F"),
                       QStringLiteral("beam_size=5"), QStringLiteral("-F"),
                       QStringLiteral("best_of=5"), url + QStringLiteral("/inference")});
        // A curl that cannot start would otherwise count as a zero-time upload.
        if (!process.waitForStarted())
            return -1;
        testsupport::waitUntil([&] { return process.state() == QProcess::NotRunning; }, 60000);
        const double ms = timer.nsecsElapsed() / 1e6;
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 ? ms : -1;
    };

    // One warm-up each (connection set-up, page cache), then alternate so drift hits both.
    if (ours() < 0 || curl() < 0) {
        std::fprintf(stderr, "warm-up upload failed\n");
        return 1;
    }
    std::vector<double> oursMs;
    std::vector<double> curlMs;
    for (int i = 0; i < runs; ++i) {
        oursMs.push_back(ours());
        curlMs.push_back(curl());
        if (oursMs.back() < 0 || curlMs.back() < 0) {
            std::fprintf(stderr, "upload failed\n");
            return 1;
        }
    }

    std::printf("file: %lld bytes, %d runs each\n", static_cast<long long>(wav.size()), runs);
    std::printf("body building alone: median %.2f ms\n", median(building));
    std::printf("TranscriptionService upload: median %.2f ms\n", median(oursMs));
    std::printf("curl -F upload: median %.2f ms\n", median(curlMs));
    std::printf("ratio ours/curl: %.2f\n", median(oursMs) / median(curlMs));
    server.kill();
    server.waitForFinished();
    return 0;
}
