// SPDX-License-Identifier: GPL-3.0-or-later
// Memory of the tray icon over many dictations: each dictation changes the icon three times
// (recording, transcribing, idle again) and the tray draws each picture. The resident set size is
// printed after the first round and every 50 dictations; the last line is "growth after the first
// round: X KB over N dictations" (target: flat, a few KB at most, whatever N).
// Run under an X display with a tray, e.g.:
//   scripts/with-test-env.sh build-dir/bench/tray_bench [dictations]
// Settings and data go to a temporary home, so the user's own are never touched.
#include "bench/support/TemporaryHome.h"
#include "engine/AppState.h"
#include "engine/UpdaterManager.h"
#include "platform/Services.h"
#include "platform/linux/LinuxServices.h"
#include "ui/menubar/MenuBarExtra.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// The process's resident set size in KB, as the kernel reports it.
long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Lets the tray draw what changed.
void runEventLoop(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void dictate(AppState &appState)
{
    for (const RecordingState &state :
         {RecordingState::recording(), RecordingState::processing(), RecordingState::idle()}) {
        appState.setState(state);
        runEventLoop(5);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    const bench::TemporaryHome home;
    QApplication application(argc, argv);
    const int dictations = argc > 1 ? std::max(2, std::atoi(argv[1])) : 200;

    auto services = platform::linux_impl::createLinuxServices();
    AppState appState(*services);
    UpdaterManager updaterManager(*services->updater);
    ui::MenuBarExtra extra(appState, updaterManager, {});
    runEventLoop(500);
    if (!extra.isShown()) {
        std::fputs("no system tray: run it on a display with one\n", stderr);
        return 1;
    }

    // The first round draws every picture once and fills Qt's caches.
    dictate(appState);
    runEventLoop(200);
    const long firstRound = residentKilobytes();
    std::printf("after 1 dictation: %ld KB\n", firstRound);
    for (int dictation = 2; dictation <= dictations; ++dictation) {
        dictate(appState);
        if (dictation % 50 == 0)
            std::printf("after %d dictations: %ld KB\n", dictation, residentKilobytes());
    }
    runEventLoop(200);
    std::printf("growth after the first round: %ld KB over %d dictations\n",
                residentKilobytes() - firstRound, dictations);
    return 0;
}
