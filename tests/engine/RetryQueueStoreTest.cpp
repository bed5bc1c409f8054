// SPDX-License-Identifier: GPL-3.0-or-later
// The queue's files: manifest format, load rules, enqueue and what bad input or a bad disk does.
#include "RetryQueueFixture.h"
#include "support/FullDiskWriter.h"

#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>

namespace {

using Store = RetryQueueFixture;

TEST_F(Store, EnqueueMovesTheFileAndWritesAManifestANewManagerReadsBack)
{
    RetryQueueManager &first = makeQueue();
    QSignalSpy countChanges(&first, &RetryQueueManager::pendingCountChanged);
    const QString a = makeRecording(QStringLiteral("parlovox-A.wav"));
    const QString b = makeRecording(QStringLiteral("parlovox-B.wav"));

    first.enqueue(a, QStringLiteral("Server error 503: busy"));
    scheduler.advance(1.5);
    first.enqueue(b, QStringLiteral("The request timed out."));

    EXPECT_EQ(first.pendingCount(), 2);
    EXPECT_EQ(countChanges.count(), 2);
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(readFile(pendingDir() + "/parlovox-A.wav"), "RIFF----WAVEfmt parlovox-A.wav");
    EXPECT_EQ(log.lines("info"), QStringList({"[RetryQueue] Enqueued parlovox-A.wav (1 pending)",
                                              "[RetryQueue] Enqueued parlovox-B.wav (2 pending)"}));

    // Compact JSON, six keys, upper-case id, seconds since 2001-01-01 UTC.
    const QByteArray bytes = readFile(manifestPath());
    EXPECT_FALSE(bytes.contains('\n'));
    const QJsonArray array = QJsonDocument::fromJson(bytes).array();
    ASSERT_EQ(array.size(), 2);
    const QJsonObject object = array.at(1).toObject();
    EXPECT_EQ(object.keys(), QStringList({"failedAt", "failureReason", "id", "recordedAt",
                                          "retryCount", "wavFilename"}));
    EXPECT_EQ(object["id"].toString(),
              first.items().at(1).id.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(object["id"].toString().size(), 36);
    // The virtual clock starts at 2025-01-15 10:20:30 UTC; 1.5 s later for the second entry.
    EXPECT_DOUBLE_EQ(object["recordedAt"].toDouble(), 758629230.0 + 1.5);
    EXPECT_DOUBLE_EQ(object["failedAt"].toDouble(), 758629231.5);
    EXPECT_EQ(object["retryCount"], QJsonValue(0));
    EXPECT_EQ(object["failureReason"], QJsonValue("The request timed out."));

    log.clear();
    const QList<PendingTranscription> written = first.items();
    queue.reset();
    RetryQueueManager &second = makeQueue();
    EXPECT_EQ(second.items(), written);
    EXPECT_EQ(second.pendingCount(), 2);
    EXPECT_EQ(log.lines(), QStringList({"info: [RetryQueue] Loaded 2 pending items"}));
}

TEST_F(Store, ABadManifestIsKeptAsideAndItsRecordingsAreRecovered)
{
    const QJsonObject good = entry(QStringLiteral("parlovox-G.wav"), 0, 0).toJson();
    QJsonObject missingKey = good;
    missingKey.remove(QStringLiteral("failureReason"));
    QJsonObject wrongType = good;
    wrongType[QStringLiteral("retryCount")] = QStringLiteral("3");
    QJsonObject fractionalCount = good;
    fractionalCount[QStringLiteral("retryCount")] = 1.5;
    QJsonObject badId = good;
    badId[QStringLiteral("id")] = QStringLiteral("not-a-uuid");
    const auto arrayOf = [&good](const QJsonObject &bad) {
        return QJsonDocument(QJsonArray{good, bad}).toJson(QJsonDocument::Compact);
    };
    const QList<QByteArray> manifests = {
        "\x00\xff garbage",
        QJsonDocument(QJsonArray{good}).toJson(QJsonDocument::Compact).chopped(3), // truncated
        QJsonDocument(good).toJson(),                                              // no array
        arrayOf(missingKey),
        arrayOf(wrongType),
        arrayOf(fractionalCount),
        arrayOf(badId),
        "[1]",
    };
    const QString wav = pendingDir() + QStringLiteral("/parlovox-G.wav");
    const QDateTime modified = QFileInfo(wav).lastModified();
    for (qsizetype i = 0; i < manifests.size(); ++i) {
        SCOPED_TRACE(manifests[i].toStdString());
        writeFile(manifestPath(), manifests[i]);
        log.clear();
        RetryQueueManager &q = makeQueue();

        // The recording no readable entry names is queued again rather than lost.
        ASSERT_EQ(q.items().size(), 1);
        const PendingTranscription &recovered = q.items().first();
        EXPECT_EQ(recovered.wavFilename, QStringLiteral("parlovox-G.wav"));
        EXPECT_EQ(recovered.failureReason, QStringLiteral("Recovered after an interrupted save"));
        EXPECT_EQ(recovered.retryCount, 0);
        EXPECT_EQ(recovered.recordedAt.toMSecsSinceEpoch(), modified.toMSecsSinceEpoch());
        EXPECT_EQ(recovered.failedAt, recovered.recordedAt);

        // Each bad manifest is kept under its own name before the rewrite, none overwritten.
        const QString copy =
            i == 0 ? QStringLiteral("queue.json.bad") : QStringLiteral("queue.json.bad.%1").arg(i);
        EXPECT_EQ(readFile(pendingDir() + QLatin1Char('/') + copy), manifests[i]);
        EXPECT_EQ(readFile(pendingDir() + QStringLiteral("/queue.json.bad")), manifests[0]);
        EXPECT_EQ(log.lines(),
                  QStringList({"info: [RetryQueue] Recovered parlovox-G.wav, which no entry named",
                               "critical: [RetryQueue] Kept the unreadable manifest as " + copy}));
        EXPECT_EQ(QJsonDocument::fromJson(readFile(manifestPath())).array().size(), 1);
        EXPECT_EQ(makeQueue().items(), QList<PendingTranscription>({recovered}));
    }

    // With nothing to recover, the bad file stays untouched until the next save.
    QFile::remove(wav);
    writeFile(manifestPath(), "garbage");
    log.clear();
    RetryQueueManager &q = makeQueue();
    EXPECT_TRUE(q.items().isEmpty());
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_EQ(readFile(manifestPath()), "garbage");
    q.enqueue(makeRecording(QStringLiteral("parlovox-N.wav")), QStringLiteral("reason"));
    EXPECT_EQ(readFile(pendingDir() + QStringLiteral("/queue.json.bad.%1").arg(manifests.size())),
              "garbage");
    const QJsonArray rewritten = QJsonDocument::fromJson(readFile(manifestPath())).array();
    ASSERT_EQ(rewritten.size(), 1);
    EXPECT_EQ(rewritten.at(0)["wavFilename"], QJsonValue("parlovox-N.wav"));
}

TEST_F(Store, EntriesWhoseFileIsGoneOrOutsideThePendingFolderAreDroppedAtLoad)
{
    // Files outside the pending folder that a hand-edited manifest might name.
    const QString outside = paths.applicationSupportDirectory() + "/Parlovox/outside.wav";
    writeFile(outside, "keep me");
    writeFile(paths.root() + "/elsewhere.wav", "keep me too");
    writeFile(pendingDir() + "/sub/nested.wav", "nested");
    const PendingTranscription kept = entry(QStringLiteral("parlovox-K.wav"), 2, 10);
    writeManifest({
        entry(QStringLiteral("parlovox-gone.wav"), 0, 0, false),
        kept,
        entry(QStringLiteral("../outside.wav"), 0, 0, false),
        entry(paths.root() + QStringLiteral("/elsewhere.wav"), 0, 0, false),
        entry(QStringLiteral("sub/nested.wav"), 0, 0, false),
        entry(QStringLiteral(".."), 0, 0, false),
        entry(QStringLiteral("queue.json"), 0, 0, false),
    });

    RetryQueueManager &q = makeQueue();

    EXPECT_EQ(q.items(), QList<PendingTranscription>({kept}));
    EXPECT_EQ(q.pendingCount(), 1);
    const QStringList errors = log.lines("critical");
    ASSERT_EQ(errors.size(), 6);
    EXPECT_EQ(errors[0], "[RetryQueue] Orphaned entry for parlovox-gone.wav, removing");
    EXPECT_EQ(errors[1], "[RetryQueue] Invalid file name ../outside.wav, removing entry");
    EXPECT_EQ(log.lines("info"), QStringList({"[RetryQueue] Loaded 1 pending items"}));
    // The manifest is rewritten without them, and no file outside was touched.
    const QJsonArray rewritten = QJsonDocument::fromJson(readFile(manifestPath())).array();
    ASSERT_EQ(rewritten.size(), 1);
    EXPECT_EQ(rewritten.at(0)["wavFilename"], QJsonValue("parlovox-K.wav"));
    EXPECT_EQ(readFile(outside), "keep me");
    EXPECT_EQ(readFile(paths.root() + "/elsewhere.wav"), "keep me too");
    EXPECT_EQ(readFile(pendingDir() + "/sub/nested.wav"), "nested");
}

TEST_F(Store, APendingFolderThatCannotBeCreatedKeepsTheRecordingWhereItWas)
{
    // Nothing can be created below a regular file, not even by root.
    writeFile(paths.root() + "/blocker", "");
    paths.setApplicationSupportDirectory(paths.root() + "/blocker/support");
    RetryQueueManager &q = makeQueue();
    QSignalSpy countChanges(&q, &RetryQueueManager::pendingCountChanged);
    const QString recording = makeRecording(QStringLiteral("parlovox-X.wav"));

    q.enqueue(recording, QStringLiteral("Server error 500: oops"));

    EXPECT_EQ(q.pendingCount(), 0);
    EXPECT_EQ(countChanges.count(), 0);
    EXPECT_TRUE(q.items().isEmpty());
    EXPECT_TRUE(QFile::exists(recording));
    const QStringList errors = log.lines("critical");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("[RetryQueue] Failed to preserve WAV: "))
        << errors[0].toStdString();
}

TEST_F(Store, EnqueueRefusesNamesThatAreNotRecordingsAndRecreatesARemovedFolder)
{
    RetryQueueManager &q = makeQueue();
    // Taken in, such a file would become the manifest, or the whole temporary directory would
    // be moved into the queue.
    const QString manifestNamed = makeRecording(QStringLiteral("queue.json"));
    q.enqueue(manifestNamed, QStringLiteral("reason"));
    q.enqueue(paths.temporaryDirectory() + QLatin1Char('/'), QStringLiteral("reason"));

    EXPECT_EQ(q.pendingCount(), 0);
    EXPECT_TRUE(QFile::exists(manifestNamed));
    EXPECT_FALSE(QFile::exists(manifestPath()));
    const QStringList errors = log.lines("critical");
    ASSERT_EQ(errors.size(), 2);
    EXPECT_EQ(errors[0], "[RetryQueue] Failed to preserve WAV: Invalid file name \"queue.json\"");

    // Someone removed the pending folder after start-up: the recording is still kept.
    ASSERT_TRUE(QDir(pendingDir()).removeRecursively());
    q.enqueue(makeRecording(QStringLiteral("parlovox-R.wav")), QStringLiteral("reason"));
    EXPECT_EQ(q.pendingCount(), 1);
    EXPECT_TRUE(QFile::exists(pendingDir() + "/parlovox-R.wav"));
    EXPECT_EQ(QJsonDocument::fromJson(readFile(manifestPath())).array().size(), 1);
}

TEST_F(Store, AnUnwritableManifestDoesNotStopTheQueue)
{
    // A directory where the manifest should be: it can be neither read nor replaced.
    QDir().mkpath(manifestPath());
    RetryQueueManager &q = makeQueue();
    q.enqueue(makeRecording(QStringLiteral("parlovox-D.wav")), QStringLiteral("reason"));
    EXPECT_EQ(q.pendingCount(), 1);

    server.enqueue(testsupport::HttpReply::json(200, R"({"text":"kept"})"), "/inference");
    ASSERT_TRUE(runQueue());
    EXPECT_EQ(q.pendingCount(), 0);
    EXPECT_EQ(logRecords(), QStringList({R"({"duration_ms":0,"ok":true,"text":"kept"})"}));
}

TEST_F(Store, AnExistingFileOfTheSameNameIsNeverOverwritten)
{
    RetryQueueManager &q = makeQueue();
    writeFile(pendingDir() + "/parlovox-S.wav", "older recording");
    const QString recording = makeRecording(QStringLiteral("parlovox-S.wav"));

    q.enqueue(recording, QStringLiteral("reason"));

    EXPECT_EQ(q.pendingCount(), 0);
    EXPECT_TRUE(QFile::exists(recording));
    EXPECT_EQ(readFile(pendingDir() + "/parlovox-S.wav"), "older recording");
}

TEST_F(Store, AManifestSaveOnAFullDiskKeepsTheOldManifestWholeAndTheNextSaveWritesEverything)
{
    auto disk = std::make_unique<testsupport::FullDiskWriter>();
    testsupport::FullDiskWriter &writer = *disk;
    RetryQueueStore store(pendingDir(), std::move(disk));
    const PendingTranscription a = entry(QStringLiteral("parlovox-A.wav"), 0, 0);
    const PendingTranscription b = entry(QStringLiteral("parlovox-B.wav"), 0, 0);
    store.save({a});
    const QByteArray saved = readFile(manifestPath());
    const QStringList files = QDir(pendingDir()).entryList(QDir::Files | QDir::Hidden);

    for (const auto failing : {testsupport::FullDiskWriter::Failing::write,
                               testsupport::FullDiskWriter::Failing::sync}) {
        writer.failing = failing;
        log.clear();
        store.save({a, b});
        EXPECT_EQ(readFile(manifestPath()), saved) << int(failing);
        EXPECT_EQ(QDir(pendingDir()).entryList(QDir::Files | QDir::Hidden), files);
        EXPECT_EQ(log.lines(), QStringList{"critical: [RetryQueue] Failed to save the manifest: " +
                                           testsupport::FullDiskWriter::noSpace});
    }

    writer.failing = testsupport::FullDiskWriter::Failing::nothing;
    store.save({a, b});
    EXPECT_EQ(RetryQueueStore(pendingDir()).load().items, QList<PendingTranscription>({a, b}));
}

TEST_F(Store, AMoveAcrossFilesystemsOnAFullDiskKeepsTheRecordingWhereItWas)
{
    // From another filesystem a move is a copy, written by the same writer as the manifest.
    QTemporaryDir otherFilesystem(QStringLiteral("/dev/shm/parlovox-test-XXXXXX"));
    ASSERT_TRUE(QDir().mkpath(pendingDir()));
    if (!otherFilesystem.isValid() ||
        QStorageInfo(otherFilesystem.path()).device() == QStorageInfo(pendingDir()).device())
        GTEST_SKIP() << "no second filesystem at /dev/shm";
    auto disk = std::make_unique<testsupport::FullDiskWriter>();
    testsupport::FullDiskWriter &writer = *disk;
    RetryQueueStore store(pendingDir(), std::move(disk));
    const QString name = QStringLiteral("parlovox-M.wav");
    const QString source = otherFilesystem.filePath(name);
    const QByteArray audio = QByteArrayLiteral("RIFF----WAVEfmt ") + QByteArray(100000, 'a');
    writeFile(source, audio);
    const QStringList before = QDir(pendingDir()).entryList(QDir::Files | QDir::Hidden);

    for (const auto failing : {testsupport::FullDiskWriter::Failing::write,
                               testsupport::FullDiskWriter::Failing::sync}) {
        writer.failing = failing;
        EXPECT_EQ(store.moveIn(source, name), testsupport::FullDiskWriter::noSpace) << int(failing);
        EXPECT_EQ(readFile(source), audio);
        // Neither a part of the recording under its name nor the copy under a temporary one.
        EXPECT_EQ(QDir(pendingDir()).entryList(QDir::Files | QDir::Hidden), before);
    }

    writer.failing = testsupport::FullDiskWriter::Failing::nothing;
    EXPECT_EQ(store.moveIn(source, name), std::nullopt);
    EXPECT_FALSE(QFile::exists(source));
    EXPECT_EQ(readFile(pendingDir() + QLatin1Char('/') + name), audio);
}

} // namespace
