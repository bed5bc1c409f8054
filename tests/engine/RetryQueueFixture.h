// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/HttpClient.h"
#include "engine/RetryQueueManager.h"
#include "engine/TranscriptionLogger.h"
#include "engine/TranscriptionService.h"

#include "support/EventLoop.h"
#include "support/FixedBundle.h"
#include "support/LogCapture.h"
#include "support/MemoryUserDefaults.h"
#include "support/RecordingCrashReporter.h"
#include "support/TempPaths.h"
#include "support/TestHttpServer.h"
#include "support/VirtualScheduler.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <memory>

// A retry queue on a temporary Application Support folder, virtual time and a real loopback
// speech server.
class RetryQueueFixture : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }

    QString pendingDir() const
    {
        return paths.applicationSupportDirectory() + QStringLiteral("/Parlovox/pending");
    }
    QString manifestPath() const { return pendingDir() + QStringLiteral("/queue.json"); }

    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // A recording in the temporary directory, as the recorder leaves it.
    QString makeRecording(const QString &name)
    {
        const QString path = paths.temporaryDirectory() + QLatin1Char('/') + name;
        writeFile(path, QByteArrayLiteral("RIFF----WAVEfmt ") + name.toUtf8());
        return path;
    }
    // An entry whose last failure lies `secondsAgo` back, its WAV in the pending directory.
    PendingTranscription entry(const QString &name, qint64 retryCount, double secondsAgo,
                               bool withFile = true)
    {
        if (withFile)
            writeFile(pendingDir() + QLatin1Char('/') + name, QByteArrayLiteral("RIFF"));
        const QDateTime failedAt =
            scheduler.now().addMSecs(-static_cast<qint64>(secondsAgo * 1000.0));
        return PendingTranscription{QUuid::createUuid(),
                                    name,
                                    failedAt.addSecs(-5),
                                    failedAt,
                                    QStringLiteral("Server error 503: busy"),
                                    retryCount};
    }
    void writeManifest(const QList<PendingTranscription> &entries)
    {
        QJsonArray array;
        for (const PendingTranscription &e : entries)
            array.append(e.toJson());
        writeFile(manifestPath(), QJsonDocument(array).toJson(QJsonDocument::Compact));
    }
    RetryQueueManager &makeQueue()
    {
        queue = std::make_unique<RetryQueueManager>(
            service, logger,
            RetryQueueManager::Settings{
                [this] { return server.url(); }, [this] { return language; },
                [] { return QStringLiteral("Parlovox"); }, [] { return QStringLiteral("secret"); }},
            paths, scheduler, crashReporter);
        return *queue;
    }
    // Runs the queue and serves the loopback server until the run has ended.
    bool runQueue()
    {
        queue->processQueue();
        return testsupport::waitUntil([this] { return !queue->isProcessing(); }, 10000);
    }
    QStringList logRecords() const
    {
        const QList<QByteArray> lines = readFile(logger.logPath()).split('\n');
        QStringList records;
        for (const QByteArray &line : lines) {
            if (line.isEmpty())
                continue;
            QJsonObject record = QJsonDocument::fromJson(line).object();
            record.remove(QStringLiteral("ts"));
            records.append(QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact)));
        }
        return records;
    }

    testsupport::TempPaths paths;
    testsupport::VirtualScheduler scheduler;
    testsupport::MemoryUserDefaults defaults;
    testsupport::FixedBundle bundle;
    testsupport::RecordingCrashReporter crashReporter;
    testsupport::TestHttpServer server;
    testsupport::LogCapture log{QStringLiteral("parlovox.retryqueue")};
    HttpClient http{scheduler};
    TranscriptionService service{http, scheduler, defaults, bundle};
    TranscriptionLogger logger{paths, scheduler};
    QString language = QStringLiteral("en");
    std::unique_ptr<RetryQueueManager> queue;
};
