// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppStateFixture.h"

#include "engine/FloatingIndicator.h"
#include "engine/HotkeyManager.h"
#include "engine/OnboardingPresenter.h"
#include "engine/RetryQueueStore.h"
#include "engine/TranscriptionLogger.h"
#include "support/FakeEventMonitors.h"
#include "support/FullDiskWriter.h"

#include <QDataStream>
#include <QJsonDocument>
#include <QMap>
#include <QProcess>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::HttpReply;

namespace {

// Stand-in windows that write each call into one shared journal.
class JournalIndicator final : public FloatingIndicator
{
public:
    explicit JournalIndicator(QStringList &journal) : m_journal(journal) {}
    void createPanel() override { m_journal << QStringLiteral("indicator createPanel"); }
    void startObserving() override { m_journal << QStringLiteral("indicator startObserving"); }

private:
    QStringList &m_journal;
};

class JournalOnboarding final : public OnboardingPresenter
{
public:
    explicit JournalOnboarding(QStringList &journal) : m_journal(journal) {}
    void createPanel() override { m_journal << QStringLiteral("onboarding createPanel"); }
    void startPermissionsOnlyObserver() override
    {
        m_journal << QStringLiteral("onboarding startPermissionsOnlyObserver");
    }
    void startObserving() override { m_journal << QStringLiteral("onboarding startObserving"); }
    void installActivationObserver() override
    {
        m_journal << QStringLiteral("onboarding installActivationObserver");
    }
    void show(int retryCount) override
    {
        m_journal << QStringLiteral("onboarding show %1").arg(retryCount);
    }
    void dismiss() override { m_journal << QStringLiteral("onboarding dismiss"); }

private:
    QStringList &m_journal;
};

class AppStateStartup : public AppStateFixture
{
protected:
    AppStateStartup() { install<testsupport::FakeEventMonitors>(services.eventMonitors); }

    void SetUp() override
    {
        AppStateFixture::SetUp();
        server.setHandler("/health", [](const auto &) { return HttpReply::text(200, "ok"); });
        defaults->setString(QStringLiteral("serverURL"), server.url());
    }

    AppState &createWithWindows()
    {
        create();
        app->setWindowFactories({
            [this](AppState &) { return std::make_unique<JournalIndicator>(journal); },
            [this](AppState &, bool permissionsOnly) {
                journal << QStringLiteral("onboarding factory permissionsOnly=%1")
                               .arg(permissionsOnly ? "true" : "false");
                return std::make_unique<JournalOnboarding>(journal);
            },
        });
        return *app;
    }
    // Seconds between two permission polls, to a quarter second.
    double pollInterval()
    {
        const auto untilNextPoll = [this] {
            permissions->microphone = !permissions->microphone;
            double waited = 0;
            while (app->micPermissionGranted() != permissions->microphone && waited < 10) {
                scheduler->advance(0.25);
                waited += 0.25;
            }
            return waited;
        };
        untilNextPoll(); // now just past a poll
        return untilNextPoll();
    }

    QStringList journal;
};

void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    const QFileInfoList entries = QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir())
            copyTree(entry.filePath(), target);
        else
            QFile::copy(entry.filePath(), target);
    }
}

// Writes each log record in two halves and, before, between and after them, calls `kill`: the
// moments at which a kill of the process leaves the log and the recording in different states.
class KillingLogWriter final : public platform::AtomicFileWriter
{
public:
    explicit KillingLogWriter(std::function<void()> kill) : m_kill(std::move(kill)) {}

protected:
    std::optional<QString> writeAll(QFileDevice &file, const QByteArray &bytes) const override
    {
        const qsizetype half = bytes.size() / 2;
        m_kill();
        if (std::optional<QString> failure = AtomicFileWriter::writeAll(file, bytes.left(half)))
            return failure;
        m_kill();
        if (std::optional<QString> failure = AtomicFileWriter::writeAll(file, bytes.mid(half)))
            return failure;
        m_kill();
        return std::nullopt;
    }

private:
    std::function<void()> m_kill;
};

// The header the recorder writes for 16 kHz mono 16-bit audio of `dataBytes`.
QByteArray wavHeader(qint64 dataBytes)
{
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(16000) << quint32(32000) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(dataBytes);
    return header;
}

} // namespace

TEST_F(AppStateStartup, FirstRunOpensOnboardingPollsEverySecondAndAsksForNoMicrophone)
{
    permissions->listenEvents = true;
    createWithWindows();
    const QString leftover = paths->temporaryDirectory() + QStringLiteral("/parlovox-1.wav");
    writeFile(leftover, "RIFF");
    log.clear();
    app->lateInit();

    EXPECT_FALSE(QFile::exists(leftover));
    EXPECT_EQ(log.lines(QStringLiteral("info")),
              QStringList({
                  QStringLiteral("[AppState] Bundle: ") + bundle->bundlePath(),
                  QStringLiteral("[AppState] AXIsProcessTrusted: true"),
                  QStringLiteral("[AppState] CGPreflightPostEventAccess: true"),
                  QStringLiteral("[AppState] CGPreflightListenEventAccess: true"),
                  QStringLiteral("[AppState] onboardingComplete: false"),
                  QStringLiteral("[AppState] Creating onboarding window"),
                  QStringLiteral("[AppState] Onboarding window controller retained: true"),
              }));
    EXPECT_EQ(journal, QStringList({
                           QStringLiteral("indicator createPanel"),
                           QStringLiteral("indicator startObserving"),
                           QStringLiteral("onboarding factory permissionsOnly=false"),
                           QStringLiteral("onboarding createPanel"),
                           QStringLiteral("onboarding startObserving"),
                           QStringLiteral("onboarding installActivationObserver"),
                           QStringLiteral("onboarding show 0"),
                       }));
    EXPECT_NE(app->floatingIndicator(), nullptr);
    EXPECT_NE(app->onboardingWindow(), nullptr);
    ASSERT_NE(app->hotkeyManager(), nullptr);
    EXPECT_TRUE(app->hasHealthCheckTimer());
    EXPECT_TRUE(testsupport::waitUntil([this] { return app->serverReachable(); }));

    // The level callback is wired to the smoothing (a recording this short is discarded).
    app->startRecording();
    scheduler->advance(0.2);
    EXPECT_GT(app->currentAudioLevel(), 0.0f);
    app->stopRecording();

    EXPECT_NEAR(pollInterval(), 1.0, 0.25);
    scheduler->advance(5.0);
    EXPECT_EQ(permissions->pendingMicrophoneRequests(), 0);
}

TEST_F(AppStateStartup, LaterRunPollsEveryThreeSecondsAndAsksForTheMicrophoneOnceAfterTwo)
{
    defaults->setBool(QStringLiteral("onboardingComplete"), true);
    createWithWindows();
    app->lateInit();
    // The second caller (tray or fallback) finds the work done and logs nothing.
    log.clear();
    app->lateInit();
    EXPECT_TRUE(log.lines().isEmpty());

    EXPECT_EQ(journal, QStringList({QStringLiteral("indicator createPanel"),
                                    QStringLiteral("indicator startObserving")}));
    EXPECT_EQ(app->onboardingWindow(), nullptr);
    EXPECT_EQ(permissions->postEventRequests, 0);

    scheduler->advance(1.9);
    EXPECT_EQ(permissions->pendingMicrophoneRequests(), 0);
    scheduler->advance(0.1);
    EXPECT_EQ(permissions->pendingMicrophoneRequests(), 1);
    permissions->answerMicrophoneRequests(true);
    EXPECT_NEAR(pollInterval(), 3.0, 0.25);
}

TEST_F(AppStateStartup, LostAccessibilityOpensThePermissionsWindowAndDefersTheMicrophone)
{
    defaults->setBool(QStringLiteral("onboardingComplete"), true);
    permissions->trusted = false;
    permissions->postEvents = false;
    createWithWindows();
    log.clear();
    app->lateInit();

    EXPECT_EQ(permissions->accessibilityResets, QStringList{bundle->identifier()});
    const QStringList info = log.lines(QStringLiteral("info"));
    ASSERT_GE(info.size(), 5);
    EXPECT_EQ(info[1], QStringLiteral("[AppState] AXIsProcessTrusted: false"));
    EXPECT_EQ(info[4], QStringLiteral("[AppState] Accessibility stale — resetting TCC and showing "
                                      "permissions window"));
    EXPECT_EQ(info.last(), QStringLiteral("[AppState] onboardingComplete: true"));
    EXPECT_EQ(journal, QStringList({
                           QStringLiteral("onboarding factory permissionsOnly=true"),
                           QStringLiteral("onboarding createPanel"),
                           QStringLiteral("onboarding startPermissionsOnlyObserver"),
                           QStringLiteral("onboarding installActivationObserver"),
                           QStringLiteral("onboarding show 0"),
                           QStringLiteral("indicator createPanel"),
                           QStringLiteral("indicator startObserving"),
                       }));
    EXPECT_EQ(permissions->postEventRequests, 1);
    scheduler->advance(10.0);
    EXPECT_EQ(permissions->pendingMicrophoneRequests(), 0);
    EXPECT_NEAR(pollInterval(), 3.0, 0.25);
}

TEST_F(AppStateStartup, RecordingsLeftInTheTemporaryFolderAreQueuedOnceAndEmptyOnesRemoved)
{
    // On another filesystem than the queue (where one is at hand) a move is a copy, and the
    // copy of a run killed midway must not cost the recording.
    QTemporaryDir otherFilesystem(QStringLiteral("/dev/shm/parlovox-test-XXXXXX"));
    const bool crossFilesystem =
        otherFilesystem.isValid() &&
        QStorageInfo(otherFilesystem.path()).device() != QStorageInfo(paths->root()).device();
    if (crossFilesystem)
        paths->setTemporaryDirectory(otherFilesystem.path());
    const QString temporary = paths->temporaryDirectory();
    const QString withAudio = QStringLiteral("parlovox-0A1B2C3D-0000-4000-8000-000000000001.wav");
    // A run killed while recording: the header still counts no audio.
    const QByteArray audio(64000, 'a');
    const QByteArray recording = wavHeader(0) + audio;
    writeFile(temporary + QLatin1Char('/') + withAudio, recording);
    // The prepared next recording of a run that quit: a header and nothing else.
    writeFile(temporary + QStringLiteral("/parlovox-0A1B2C3D-0000-4000-8000-000000000002.wav"),
              wavHeader(0));

    if (crossFilesystem) {
        QDir().mkpath(pendingDirectory());
        EXPECT_EXIT(
            {
                auto disk = std::make_unique<testsupport::FullDiskWriter>();
                disk->failing = testsupport::FullDiskWriter::Failing::killedDuringWrite;
                RetryQueueStore(pendingDirectory(), std::move(disk))
                    .moveIn(temporary + QLatin1Char('/') + withAudio, withAudio);
            },
            ::testing::KilledBySignal(SIGKILL), "");
    }

    // A run killed after its copy into the queue was in place, before the original went.
    const QString linked = QStringLiteral("parlovox-0A1B2C3D-0000-4000-8000-000000000003.wav");
    writeFile(temporary + QLatin1Char('/') + linked, wavHeader(audio.size()) + audio);
    writeFile(pendingDirectory() + QLatin1Char('/') + linked, wavHeader(audio.size()) + audio);

    defaults->setBool(QStringLiteral("onboardingComplete"), true);
    createWithWindows();
    app->lateInit();

    const QList<PendingTranscription> &items = app->retryQueueManager()->items();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].wavFilename, linked);
    EXPECT_EQ(items[1].wavFilename, withAudio);
    for (const PendingTranscription &item : items)
        EXPECT_EQ(item.failureReason, QStringLiteral("Recovered after an interrupted save"));
    EXPECT_EQ(log.lines(QStringLiteral("critical")), QStringList());
    QFile kept(pendingDirectory() + QLatin1Char('/') + withAudio);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(kept.readAll() == wavHeader(audio.size()) + audio)
        << "the whole recording, its header counting its audio";
    EXPECT_EQ(QDir(pendingDirectory()).entryList(QDir::Files | QDir::Hidden),
              QStringList({withAudio, linked, QStringLiteral("queue.json")}));
    EXPECT_EQ(QDir(temporary).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// A kill leaves the data and temporary folders as they are at that moment; the next start, with
// the server up, must end with each transcript logged exactly once and no recording left over.
TEST_F(AppStateStartup, EveryRecordingIsLoggedOnceWhereverARunIsKilled)
{
    struct Kill
    {
        std::shared_ptr<QTemporaryDir> folders;
        QByteArray serverSays; // what the next start's upload of a recording left over gets
    };
    QList<Kill> kills;
    QByteArray transcript = "hello";
    const auto kill = [&] {
        auto folders = std::make_shared<QTemporaryDir>();
        copyTree(paths->applicationSupportDirectory(), folders->path() + QStringLiteral("/data"));
        copyTree(paths->temporaryDirectory(), folders->path() + QStringLiteral("/tmp"));
        kills.append({folders, transcript});
    };

    // A dictation delivered at once, then one that fails, is queued and delivered by a retry.
    server.enqueue(HttpReply::json(200, R"({"text":"hello"})"), "/inference");
    server.enqueue(HttpReply::text(503, "busy"), "/inference");
    server.enqueue(HttpReply::json(200, R"({"text":"again"})"), "/inference");
    createDictating();
    app->logger().setWriter(std::make_unique<KillingLogWriter>(kill));
    dictate(1.0);
    ASSERT_TRUE(waitUntilSettled());
    transcript = "again";
    dictate(1.0);
    ASSERT_TRUE(waitUntilSettled());
    RetryQueueManager *queue = app->retryQueueManager();
    queue->processQueue();
    ASSERT_TRUE(testsupport::waitUntil([queue] { return !queue->isProcessing(); }, 10000));
    ASSERT_EQ(queue->pendingCount(), 0);
    ASSERT_EQ(kills.size(), 9) << "three records, three moments each";
    app.reset();

    for (qsizetype k = 0; k < kills.size(); ++k) {
        SCOPED_TRACE(k);
        const QString root = kills[k].folders->path();
        paths->setApplicationSupportDirectory(root + QStringLiteral("/data"));
        paths->setTemporaryDirectory(root + QStringLiteral("/tmp"));
        const QByteArray text = kills[k].serverSays;
        server.setHandler("/inference", [text](const auto &) {
            return HttpReply::json(200, R"({"text":")" + text + R"("})");
        });
        createWithWindows();
        app->lateInit();
        queue = app->retryQueueManager();
        ASSERT_TRUE(testsupport::waitUntil(
            [queue] { return queue->pendingCount() == 0 && !queue->isProcessing(); }, 10000));

        QMap<QString, int> delivered;
        for (const QString &line : logLines()) {
            const QJsonDocument record = QJsonDocument::fromJson(line.toUtf8());
            ASSERT_TRUE(record.isObject()) << line.toStdString();
            if (record[QStringLiteral("ok")].toBool())
                ++delivered[record[QStringLiteral("text")].toString()];
        }
        EXPECT_EQ(delivered.value(QStringLiteral("hello")), 1);
        EXPECT_EQ(delivered.value(QStringLiteral("again")), text == "again" ? 1 : 0);
        EXPECT_EQ(temporaryFiles(), QStringList());
        QStringList pending = QDir(pendingDirectory()).entryList(QDir::Files | QDir::Hidden);
        pending.removeAll(QStringLiteral("queue.json"));
        EXPECT_EQ(pending, QStringList());
        app.reset();
    }
}

TEST_F(AppStateStartup, OnlyARecordingAPressMadeIntoAFileOfOursThatCanBeRemovedIsRecovered)
{
    const QString temporary = paths->temporaryDirectory() + QLatin1Char('/');
    const QByteArray recording = wavHeader(0) + QByteArray(64000, 'a');
    const QString ours = QStringLiteral("parlovox-0A1B2C3D-0000-4000-8000-000000000001.wav");
    writeFile(temporary + ours, recording);
    // Planted by another user of the machine.
    const QString foreign = temporary + QStringLiteral("parlovox-foreign.wav");
    writeFile(foreign, recording);
    ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 4242, 4242), 0);
    // Far more than any recording can hold: it would be read whole into memory.
    const QString huge = temporary + QStringLiteral("parlovox-huge.wav");
    writeFile(huge, recording);
    ASSERT_TRUE(QFile::resize(huge, 300LL * 1024 * 1024));
    // One that cannot be removed would be delivered again at every start.
    const QString stuck = temporary + QStringLiteral("parlovox-stuck.wav");
    writeFile(stuck, recording);
    ASSERT_EQ(QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), stuck}), 0)
        << "chattr +i needs a filesystem with attributes and CAP_LINUX_IMMUTABLE";
    const auto unstick = qScopeGuard([&] {
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), stuck});
    });
    // A run killed during the microphone's warm-up, with no key pressed.
    EXPECT_EXIT(
        {
            AudioRecorder recorder(*audio, *scheduler, *paths);
            recorder.warmUp();
            QFile clip(recorder.currentPath().value_or(QString()));
            if (clip.open(QIODevice::Append) && clip.write(QByteArray(3200, 'a')) == 3200 &&
                clip.flush())
                std::raise(SIGKILL);
            std::exit(1);
        },
        ::testing::KilledBySignal(SIGKILL), "");
    ASSERT_EQ(QDir(temporary).entryList(QDir::Files).size(), 5);

    defaults->setBool(QStringLiteral("onboardingComplete"), true);
    testsupport::LogCapture recorderLog(QStringLiteral("parlovox.audiorecorder"));
    createWithWindows();
    app->lateInit();

    QStringList queued;
    for (const PendingTranscription &item : app->retryQueueManager()->items())
        queued << item.wavFilename;
    EXPECT_EQ(queued, QStringList({ours}));
    EXPECT_EQ(
        QDir(temporary).entryList(QDir::Files),
        QStringList({QStringLiteral("parlovox-foreign.wav"), QStringLiteral("parlovox-huge.wav"),
                     QStringLiteral("parlovox-stuck.wav")}))
        << "the warm-up clip is removed, the rest left alone";
    EXPECT_EQ(
        recorderLog.lines(QStringLiteral("critical")),
        QStringList({
            QStringLiteral("[AudioRecorder] Not recovering %1: it belongs to another user")
                .arg(foreign),
            QStringLiteral("[AudioRecorder] Not recovering %1: it is larger than any "
                           "recording")
                .arg(huge),
            QStringLiteral("[AudioRecorder] Not recovering %1: it cannot be removed").arg(stuck),
        }));
}

TEST_F(AppStateStartup, FilesAnEarlierVersionLeftReadableAreNarrowedBeforeAnythingElse)
{
    const mode_t previousMask = ::umask(022);
    const QString folder = paths->applicationSupportDirectory() + QStringLiteral("/Parlovox");
    const QStringList files = {
        folder + QStringLiteral("/transcriptions.jsonl"),
        folder + QStringLiteral("/transcriptions.jsonl.bad"),
        pendingDirectory() + QStringLiteral("/queue.json"),
        pendingDirectory() + QStringLiteral("/queue.json.bad"),
        pendingDirectory() + QStringLiteral("/parlovox-0A1B2C3D-0000-4000-8000-000000000001.wav"),
    };
    for (const QString &file : files)
        writeFile(file, file.endsWith(QLatin1String(".wav")) ? wavHeader(2) + "ab" : "[");
    ::umask(previousMask);
    const auto mode = [](const QString &path) {
        struct stat info = {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777
                                                                       : 01000u;
    };
    ASSERT_EQ(mode(folder), 0755u);
    ASSERT_EQ(mode(files.first()), 0644u);

    create();

    EXPECT_EQ(mode(folder), 0700u);
    EXPECT_EQ(mode(pendingDirectory()), 0700u);
    for (const QString &file : files)
        EXPECT_EQ(mode(file), 0600u) << file.toStdString();
    // The unreadable manifest was kept once more before the queue replaced it.
    EXPECT_EQ(mode(pendingDirectory() + QStringLiteral("/queue.json.bad.1")), 0600u);
}

// Refused a folder of its own (another user's, or a link), the program records nothing; at start
// an empty folder path must not stand for the working directory, where it would settle or remove
// the user's files.
TEST_F(AppStateStartup, WithoutAFolderOfItsOwnStartUpLeavesTheWorkingDirectoryAlone)
{
    writeFile(paths->applicationSupportDirectory() +
                  QStringLiteral("/Parlovox/transcriptions.jsonl"),
              R"({"ok":true,"text":"earlier"})"
              "\n");
    QTemporaryDir working;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(working.path()));
    const auto back = qScopeGuard([&] { QDir::setCurrent(previous); });
    const QStringList userFiles = {QStringLiteral("draft.release-7"),
                                   QStringLiteral("notes.txt.release-0")};
    for (const QString &name : userFiles)
        writeFile(working.filePath(name), "mine");
    paths->setTemporaryDirectory(QString());

    createWithWindows();
    app->lateInit();
    EXPECT_EQ(QDir(working.path()).entryList(QDir::Files), userFiles);
}
