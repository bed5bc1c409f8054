// SPDX-License-Identifier: GPL-3.0-or-later
// A process killed at any moment of an enqueue or a manifest save: the next start still knows
// every recording it was given.
#include "RetryQueueFixture.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSet>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

using Kills = RetryQueueFixture;

TEST_F(Kills, NoRecordingIsLostWhereverTheWriterIsKilled)
{
    const QString root = paths.root() + QStringLiteral("/child");
    paths.setApplicationSupportDirectory(root + QStringLiteral("/support"));
    paths.setTemporaryDirectory(root + QStringLiteral("/tmp"));
    QRandomGenerator random(20261209);
    QSet<QString> queued;
    int recovered = 0;

    for (int kill = 0; kill < 50; ++kill) {
        SCOPED_TRACE(kill);
        QProcess child;
        child.start(QStringLiteral(PARLOVOX_QUEUE_WRITER_CHILD), {root});
        ASSERT_TRUE(child.waitForReadyRead(5000));
        ASSERT_TRUE(child.canReadLine());
        ASSERT_EQ(child.readLine(), "ready\n");
        // Anywhere in the loop of moves and saves, which grows slower as the manifest grows.
        std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(30000)));
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(5000));
        for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
            if (line.startsWith("queued "))
                queued.insert(QString::fromUtf8(line.mid(7)));
        }

        // The next start: every recording handed over is an entry whose file is kept, every
        // file in the folder is an entry, and nothing of an interrupted write is left.
        log.clear();
        RetryQueueManager &q = makeQueue();
        QSet<QString> entries;
        for (const PendingTranscription &entry : q.items()) {
            EXPECT_TRUE(QFile::exists(pendingDir() + QLatin1Char('/') + entry.wavFilename));
            entries.insert(entry.wavFilename);
        }
        EXPECT_EQ(entries.size(), q.items().size());
        for (const QString &name : std::as_const(queued))
            EXPECT_TRUE(entries.contains(name)) << name.toStdString();
        const QStringList files = QDir(pendingDir()).entryList(QDir::Files);
        for (const QString &name : files) {
            EXPECT_TRUE(name == QStringLiteral("queue.json") || entries.contains(name))
                << name.toStdString();
        }
        // What was still in the temporary folder was never handed over.
        for (const QString &name : QDir(paths.temporaryDirectory()).entryList(QDir::Files))
            EXPECT_FALSE(entries.contains(name)) << name.toStdString();
        recovered += static_cast<int>(
            log.lines("info").filter(QStringLiteral("which no entry named")).size());
        queue.reset();
    }
    // The kills did land after enqueues had returned, and between a move and its save.
    EXPECT_GT(queued.size(), 0);
    EXPECT_GT(recovered, 0);
}

} // namespace
