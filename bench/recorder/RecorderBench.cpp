// SPDX-License-Identifier: GPL-3.0-or-later
// Latency of the microphone recorder on the real audio server.
//   scripts/with-test-env.sh build/bench/recorder_bench [rounds]
// Prints the medians of: startRecording() to the first sample in the file (target <= 60 ms), and
// stopRecording() to a complete file, i.e. the call itself (target <= 10 ms).
#include "engine/AudioRecorder.h"
#include "platform/Paths.h"
#include "platform/linux/QtAudioInput.h"
#include "platform/linux/QtScheduler.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class BenchPaths final : public platform::Paths
{
public:
    QString applicationSupportDirectory() const override { return m_dir.path(); }
    QString temporaryDirectory() const override { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

void spin(int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool complete(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(44);
    return header.size() == 44 &&
           qFromLittleEndian<quint32>(header.constData() + 40) == quint32(file.size() - 44) &&
           qFromLittleEndian<quint32>(header.constData() + 4) == quint32(file.size() - 8);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 15;

    // The test server's virtual microphone runs at the latency its monitor's readers ask for:
    // ask for a low one, as a real microphone would deliver, and give it time to switch.
    QProcess keepAlive;
    const QString sink = qEnvironmentVariable("PARLOVOX_TEST_SINK");
    if (!sink.isEmpty()) {
        keepAlive.setStandardOutputFile(QProcess::nullDevice());
        keepAlive.start(QStringLiteral("pacat"),
                        {QStringLiteral("-r"), QStringLiteral("--latency-msec=10"),
                         QStringLiteral("-d"), sink + QStringLiteral(".monitor")});
        keepAlive.waitForStarted();
        spin(2500);
    }

    platform::linux_impl::QtAudioInput input;
    platform::linux_impl::QtScheduler scheduler;
    BenchPaths paths;
    AudioRecorder recorder(input, scheduler, paths);
    recorder.warmUp();
    spin(500);

    std::vector<double> firstSample, stop;
    int incomplete = 0;
    for (int round = 0; round < rounds; ++round) {
        if (!recorder.currentPath()) {
            std::fprintf(stderr, "no microphone: the recorder could not be prepared\n");
            keepAlive.kill();
            keepAlive.waitForFinished();
            return 1;
        }
        const QString path = *recorder.currentPath();
        QElapsedTimer clock;
        clock.start();
        recorder.startRecording();
        while (QFileInfo(path).size() <= 44 && clock.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 0);
        firstSample.push_back(clock.nsecsElapsed() / 1e6);
        spin(300);

        clock.restart();
        const auto handed = recorder.stopRecording();
        stop.push_back(clock.nsecsElapsed() / 1e6);
        if (!handed || !complete(*handed))
            ++incomplete;
        if (handed)
            QFile::remove(*handed);
        spin(100);
    }
    std::printf("recorder: %d rounds\n", rounds);
    std::printf("  startRecording -> first sample written: median %.2f ms (target <= 60 ms)\n",
                median(firstSample));
    std::printf("  stopRecording -> complete file:         median %.2f ms (target <= 10 ms)\n",
                median(stop));
    if (incomplete)
        std::printf("  %d file(s) were not complete after stopRecording\n", incomplete);
    keepAlive.kill();
    keepAlive.waitForFinished();
    return incomplete ? 1 : 0;
}
