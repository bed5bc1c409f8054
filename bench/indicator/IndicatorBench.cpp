// SPDX-License-Identifier: GPL-3.0-or-later
// CPU cost of the floating indicator: the program's CPU time per second of wall time, first with
// the panel hidden (nothing should run), then while it animates (half the time recording, with a
// level changing 30 times a second, half transcribing with the ring). The last line is
// "animating: X % of one core" (target: at most 5 % under Xvfb).
// Run under an X display, e.g.: scripts/with-test-env.sh build-dir/bench/indicator_bench [seconds]
// Settings and data go to a temporary home, so the user's own are never touched.
#include "bench/support/TemporaryHome.h"
#include "engine/AppState.h"
#include "platform/Services.h"
#include "platform/linux/LinuxServices.h"
#include "ui/indicator/FloatingIndicatorController.h"
#include "ui/indicator/FloatingPanel.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double wallSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Runs the event loop for `seconds` and returns the CPU time used, in percent of one core.
double cpuPercentOver(double seconds)
{
    const double cpuStart = processCpuSeconds();
    const double wallStart = wallSeconds();
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    return 100.0 * (processCpuSeconds() - cpuStart) / (wallSeconds() - wallStart);
}

} // namespace

int main(int argc, char *argv[])
{
    const bench::TemporaryHome home;
    QApplication application(argc, argv);
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 10.0;

    auto services = platform::linux_impl::createLinuxServices();
    AppState appState(*services);
    ui::FloatingIndicatorController indicator(appState);
    indicator.createPanel();
    indicator.startObserving();

    // The first showing creates the native window and loads fonts: done once, before measuring.
    appState.setState(RecordingState::recording());
    cpuPercentOver(0.5);
    appState.setState(RecordingState::idle());
    cpuPercentOver(1.0);
    if (indicator.panel()->isVisible()) {
        std::fputs("the panel did not hide\n", stderr);
        return 1;
    }
    std::printf("hidden: %.2f %% of one core\n", cpuPercentOver(seconds));
    std::fflush(stdout);

    appState.setState(RecordingState::recording());
    QTimer meter;
    double phase = 0;
    QObject::connect(&meter, &QTimer::timeout, [&] {
        phase += 1.0 / 30;
        appState.setCurrentAudioLevel(float(0.5 + 0.45 * std::sin(phase * 7) * std::sin(phase)));
    });
    meter.start(1000 / 30);
    const double recording = cpuPercentOver(seconds / 2);
    meter.stop();
    appState.setState(RecordingState::processing());
    const double transcribing = cpuPercentOver(seconds / 2);
    if (!indicator.panel()->isVisible()) {
        std::fputs("the panel was not shown\n", stderr);
        return 1;
    }
    std::printf("animating: %.2f %% of one core (recording %.2f %%, transcribing %.2f %%)\n",
                (recording + transcribing) / 2, recording, transcribing);
    return 0;
}
