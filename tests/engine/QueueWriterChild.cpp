// SPDX-License-Identifier: GPL-3.0-or-later
// A child process for the kill tests: enqueues one recording after another into the retry queue
// under the folder it is given, until it is killed. It reports "ready" once the queue is loaded
// and "queued <file name>" after each enqueue has returned, each line written unbuffered.
#include "engine/HttpClient.h"
#include "engine/RetryQueueManager.h"
#include "engine/TranscriptionLogger.h"
#include "engine/TranscriptionService.h"
#include "platform/Paths.h"
#include "support/FixedBundle.h"
#include "support/MemoryUserDefaults.h"
#include "support/RecordingCrashReporter.h"
#include "support/VirtualScheduler.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUuid>

#include <unistd.h>

namespace {

class FolderPaths final : public platform::Paths
{
public:
    explicit FolderPaths(const QString &root) : m_root(root) {}
    QString applicationSupportDirectory() const override { return m_root + "/support"; }
    QString temporaryDirectory() const override { return m_root + "/tmp"; }

private:
    QString m_root;
};

void say(const QByteArray &line)
{
    const QByteArray text = line + '\n';
    if (::write(STDOUT_FILENO, text.constData(), static_cast<size_t>(text.size())) < 0)
        ::_exit(2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 2)
        return 1;
    const FolderPaths paths(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(paths.temporaryDirectory());
    testsupport::VirtualScheduler scheduler;
    testsupport::MemoryUserDefaults defaults;
    testsupport::FixedBundle bundle;
    testsupport::RecordingCrashReporter crashReporter;
    HttpClient http(scheduler);
    TranscriptionService service(http, scheduler, defaults, bundle);
    TranscriptionLogger logger(paths, scheduler);
    RetryQueueManager queue(service, logger, {}, paths, scheduler, crashReporter);
    say("ready");

    for (;;) {
        const QString name = QStringLiteral("parlovox-%1.wav")
                                 .arg(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
        const QString path = paths.temporaryDirectory() + QLatin1Char('/') + name;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(QByteArray(4096, 'w'));
        file.close();
        queue.enqueue(path, QStringLiteral("Server error 503: busy"));
        say("queued " + name.toUtf8());
    }
}
