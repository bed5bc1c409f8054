// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppStateFixture.h"
#include "support/FakeEventMonitors.h"

#include "engine/DecodingError.h"
#include "engine/DescribedError.h"
#include "engine/StaleRecordings.h"
#include "engine/TranscriptionError.h"
#include "engine/TransportError.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QSignalSpy>

#include <sys/stat.h>

#include <stdexcept>

using testsupport::HttpReply;

namespace {

const QString kQueued = QStringLiteral("Queued for retry (1 pending)");

} // namespace

class AppStateDictation : public AppStateFixture
{
};

// Stopping the microphone may run the event loop, which can bring a second release or the limit
// while the state still says recording: the stop under way is the only one.
TEST_F(AppStateDictation, AStopRequestedWhileTheRecorderStopsChangesNothing)
{
    server.enqueue(HttpReply::json(200, R"({"text":"once"})"), "/inference");
    createDictating();
    int nested = 0;
    audio->setDuringStop([&] {
        ++nested;
        app->stopRecording();
    });

    app->startRecording();
    scheduler->advance(2.0);
    const QString recording = audio->recordingPath();
    app->stopRecording();
    EXPECT_EQ(nested, 1);
    EXPECT_TRUE(app->state().isProcessing());
    EXPECT_FALSE(app->showDiscardedFlash());
    const std::optional<QString> prepared = app->recorder().currentPath();
    ASSERT_TRUE(prepared.has_value());
    EXPECT_NE(*prepared, recording);
    EXPECT_TRUE(QFile::exists(*prepared)) << "the next recording's file went";

    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(app->transcriptionHistory(), QStringList{QStringLiteral("once")});
    EXPECT_EQ(keys->typed(), QStringLiteral("[Cmd+V]"));
    EXPECT_EQ(server.requestsTo("/inference").size(), 1);
    EXPECT_EQ(audio->liveRecorders(), 1);
}

// A window of ours holding a paste back may go without letting go. While the program runs, the
// paste then goes on the next turn of the event loop; when the program quits (the windows go,
// then the state), nothing is pasted from the exiting program, the text is in the log once and
// the next start finds no recording to transcribe again.
TEST_F(AppStateDictation, AHolderGoneWithoutLettingGoFreesThePasteUnlessTheProgramQuits)
{
    server.enqueue(HttpReply::json(200, R"({"text":"freed"})"), "/inference");
    server.enqueue(HttpReply::json(200, R"({"text":"kept"})"), "/inference");
    createDictating();
    const auto dictateHeldBack = [this](QObject &holder) {
        app->holdPaste(&holder);
        const qsizetype before = app->transcriptionHistory().size();
        dictate(1.5);
        // The reply is in: the paste waits for its holder.
        return testsupport::waitUntil(
            [this, before] { return app->transcriptionHistory().size() > before; });
    };

    auto holder = std::make_unique<QObject>();
    ASSERT_TRUE(dictateHeldBack(*holder));
    holder.reset();
    EXPECT_EQ(keys->typed(), QString()) << "pasted from inside the holder's destruction";
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(keys->typed(), QStringLiteral("[Cmd+V]"));

    holder = std::make_unique<QObject>();
    ASSERT_TRUE(dictateHeldBack(*holder));
    const QString recording = audio->recordingPath();
    EXPECT_TRUE(app->state().isProcessing());
    holder.reset();
    app.reset();
    EXPECT_EQ(keys->typed(), QStringLiteral("[Cmd+V]")) << "pasted while quitting";
    EXPECT_EQ(logLines().size(), 2);
    EXPECT_TRUE(logLines().value(1).contains(QStringLiteral("\"kept\"")));
    EXPECT_FALSE(QFile::exists(recording));
    EXPECT_EQ(temporaryFiles().filter(QStringLiteral(".release-")), QStringList());
}

TEST_F(AppStateDictation, AFullDictationEndsPastedInTheHistoryWithTheFileDeleted)
{
    server.enqueue(HttpReply::json(200, R"({"text":"  hello world \n"})"), "/inference");
    createDictating();
    QSignalSpy levels(app.get(), &AppState::currentAudioLevelChanged);

    app->startRecording();
    EXPECT_TRUE(app->state().isRecording());
    EXPECT_TRUE(app->recordingStartTime().has_value());
    scheduler->advance(2.0);
    EXPECT_GT(levels.count(), 10);
    EXPECT_GT(app->currentAudioLevel(), 0.5f);
    const QString recording = audio->recordingPath();
    app->stopRecording();
    EXPECT_TRUE(app->state().isProcessing());
    EXPECT_FALSE(app->recordingStartTime().has_value());
    EXPECT_FALSE(app->hasRecordingLimitTimer());

    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(app->state(), RecordingState::idle());
    EXPECT_EQ(app->transcriptionHistory(), QStringList{QStringLiteral("hello world")});
    EXPECT_EQ(sounds->transcript(), QStringLiteral("stop Tink, play Tink, stop Glass, play Glass"));
    EXPECT_EQ(keys->typed(), QStringLiteral("[Cmd+V]"));
    EXPECT_EQ(pasteboard->string(), QStringLiteral("hello world"));
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines().first().startsWith(
        QStringLiteral(R"({"duration_ms":0,"ok":true,"text":"hello world","ts":)")));
    EXPECT_FALSE(QFile::exists(recording));
    EXPECT_EQ(server.requestsTo("/inference").size(), 1);
    EXPECT_TRUE(crashReporter->events().isEmpty());
}

// Another program's clipboard answers only through that program: the text to put back is read
// while the user speaks, not between the server's answer and the paste; a copy made meanwhile
// is still the one put back.
TEST_F(AppStateDictation, TheClipboardToPutBackIsReadWhileRecordingAndACopyMeanwhileWins)
{
    server.enqueue(HttpReply::json(200, R"({"text":"first"})"), "/inference");
    server.enqueue(HttpReply::json(200, R"({"text":"second"})"), "/inference");
    createDictating();
    pasteboard->copyFromElsewhere(QStringLiteral("copied before"));
    dictate(1.0);
    EXPECT_EQ(pasteboard->reads, 1);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(pasteboard->reads, 1) << "the paste waited for the clipboard";
    EXPECT_EQ(keys->typed(), QStringLiteral("[Cmd+V]"));
    scheduler->advance(2.0);
    EXPECT_EQ(pasteboard->string(), QStringLiteral("copied before"));

    app->startRecording();
    scheduler->advance(0.5);
    pasteboard->copyFromElsewhere(QStringLiteral("copied meanwhile"));
    scheduler->advance(0.5);
    app->stopRecording();
    ASSERT_TRUE(waitUntilSettled());
    scheduler->advance(2.0);
    EXPECT_EQ(pasteboard->string(), QStringLiteral("copied meanwhile"));

    // A terminal pasting the primary selection: what the user had selected is read while they
    // speak too, as its owner may be slow to answer.
    windowSystem->pasteTarget = platform::WindowSystem::PasteTarget::SelectionTerminal;
    primarySelection->copyFromElsewhere(QStringLiteral("selected before"));
    server.enqueue(HttpReply::json(200, R"({"text":"third"})"), "/inference");
    const int selectionReads = primarySelection->reads;
    dictate(1.0);
    EXPECT_EQ(primarySelection->reads, selectionReads + 1);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(primarySelection->reads, selectionReads + 1) << "the paste waited for the selection";
    scheduler->advance(2.0);
    EXPECT_EQ(primarySelection->string(), QStringLiteral("selected before"));
}

TEST_F(AppStateDictation, AnEmptyTranscriptOrAnUnfinishedOnboardingIsNotPasted)
{
    server.enqueue(HttpReply::json(200, R"({"text":""})"), "/inference");
    createDictating();
    dictate(1.0);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(app->transcriptionHistory(), QStringList{QString()});

    app->setOnboardingComplete(false);
    server.enqueue(HttpReply::json(200, R"({"text":"words"})"), "/inference");
    dictate(1.0);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(app->state(), RecordingState::idle());
    EXPECT_EQ(app->currentTranscription(), QStringLiteral("words"));
    EXPECT_TRUE(keys->posted().isEmpty());
}

TEST_F(AppStateDictation, AFailedPasteLeavesItsErrorStandingWithoutAReset)
{
    server.enqueue(HttpReply::json(200, R"({"text":"hi"})"), "/inference");
    keys->failKeyDown = true;
    scripts->executionError = QStringLiteral("not allowed");
    createDictating();
    dictate(1.0);
    ASSERT_TRUE(waitUntilSettled());
    const auto pasteFailed = RecordingState::error(
        QStringLiteral("Paste failed — use an X11 session with the XTEST extension"));
    EXPECT_EQ(app->state(), pasteFailed);
    scheduler->advance(10);
    EXPECT_EQ(app->state(), pasteFailed);
    EXPECT_EQ(pasteboard->string(), QStringLiteral("hi"));
    EXPECT_FALSE(QFile::exists(audio->createdPaths().first()));
}

TEST_F(AppStateDictation, ShorterThanTheMinimumIsDiscardedWithAOneSecondFlash)
{
    createDictating();
    QSignalSpy states(app.get(), &AppState::stateChanged);
    dictate(0.74);
    EXPECT_EQ(app->state(), RecordingState::idle());
    EXPECT_TRUE(app->showDiscardedFlash());
    EXPECT_FALSE(QFile::exists(audio->createdPaths().first()));
    EXPECT_EQ(server.requestCount(), 0);
    scheduler->advance(0.99);
    EXPECT_TRUE(app->showDiscardedFlash());
    scheduler->advance(0.02);
    EXPECT_FALSE(app->showDiscardedFlash());
    EXPECT_EQ(states.count(), 2); // recording, idle

    // Exactly the minimum is uploaded.
    server.enqueue(HttpReply::json(200, R"({"text":"ok"})"), "/inference");
    dictate(0.75);
    EXPECT_TRUE(app->state().isProcessing());
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_FALSE(app->showDiscardedFlash());
    EXPECT_EQ(app->currentTranscription(), QStringLiteral("ok"));
}

TEST_F(AppStateDictation, TheFirstFlashResetClearsASecondFlashEarly)
{
    createDictating();
    QSignalSpy flashes(app.get(), &AppState::showDiscardedFlashChanged);
    dictate(0.5);            // flash at 0.5, reset due at 1.5
    scheduler->advance(0.1); // 0.6
    dictate(0.5);            // flash again at 1.1 (already shown), reset due at 2.1
    EXPECT_TRUE(app->showDiscardedFlash());
    scheduler->advance(0.41); // 1.51
    EXPECT_FALSE(app->showDiscardedFlash());
    scheduler->advance(1.0);
    EXPECT_FALSE(app->showDiscardedFlash());
    EXPECT_EQ(flashes.count(), 2);
}

TEST_F(AppStateDictation, ARetryableFailureQueuesTheRecordingAndResetsAfterThreeSeconds)
{
    server.enqueue(HttpReply::text(503, "busy"), "/inference");
    createDictating();
    dictate(1.0);
    const QString recording = QFileInfo(audio->createdPaths().first()).fileName();
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(app->state(), RecordingState::error(kQueued));
    EXPECT_EQ(app->retryQueueManager()->pendingCount(), 1);
    // Nothing recorded is lost: the file moved into the queue's store.
    EXPECT_TRUE(QFile::exists(pendingDirectory() + QLatin1Char('/') + recording));
    EXPECT_FALSE(temporaryFiles().contains(recording));
    EXPECT_EQ(app->menuBarIconName(), QStringLiteral("exclamationmark.triangle"));

    ASSERT_EQ(crashReporter->events().size(), 1);
    const auto &event = crashReporter->events().first();
    EXPECT_EQ(event.text, QStringLiteral("Server error 503: busy"));
    EXPECT_EQ(event.contextName, QStringLiteral("transcription"));
    EXPECT_EQ(event.context.value(QStringLiteral("server_url")).toString(), server.url());
    EXPECT_TRUE(event.context.value(QStringLiteral("is_retryable")).toBool());
    EXPECT_EQ(event.context.value(QStringLiteral("duration_ms")).toLongLong(), 0);
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines().first().contains(QStringLiteral(R"("error":"Server error 503: busy")")));

    scheduler->advance(2.9);
    EXPECT_TRUE(app->state().isError());
    scheduler->advance(0.2);
    EXPECT_EQ(app->state(), RecordingState::idle());
    EXPECT_EQ(app->menuBarIconName(), QStringLiteral("arrow.clockwise.circle"));
}

TEST_F(AppStateDictation, ARejectedUploadShowsItsOwnTextAndDeletesTheFile)
{
    server.enqueue(HttpReply::text(400, "bad audio"), "/inference");
    createDictating();
    dictate(1.0);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(app->state(), RecordingState::error(QStringLiteral("Server error 400: bad audio")));
    EXPECT_EQ(app->retryQueueManager()->pendingCount(), 0);
    EXPECT_FALSE(QFile::exists(audio->createdPaths().first()));
}

TEST_F(AppStateDictation, EveryServerURLTypoKeepsTheRecordingsUntilItIsFixed)
{
    server.setHandler("/inference",
                      [](const auto &) { return HttpReply::json(200, R"({"text":"kept"})"); });
    createDictating();
    const QStringList urls = {QString(),
                              QStringLiteral("localhost:8080"),
                              QStringLiteral("127.0.0.1:8080"),
                              QStringLiteral("ftp://127.0.0.1"),
                              QStringLiteral("http:///x"),
                              QStringLiteral("http://127.0.0.1:80800"),
                              QStringLiteral("http://my server:8080"),
                              QStringLiteral("http://[::1"),
                              QStringLiteral("http://alice:p/w@my server:8080/x?k=secret#s")};
    for (const QString &url : urls) {
        app->setServerURL(url);
        dictate(1.0);
        ASSERT_TRUE(waitUntilSettled());
        // The user is told what is wrong, and nothing recorded is lost for it.
        EXPECT_EQ(app->state(), RecordingState::error(QStringLiteral("Invalid server URL")))
            << url.toStdString();
        EXPECT_TRUE(crashReporter->events().last().context.value("is_retryable").toBool());
    }
    // A typo does not let the password, the user or the query into the report.
    EXPECT_EQ(crashReporter->events().last().context.value("server_url").toString(),
              QStringLiteral("http://my server:8080/x"));
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_EQ(app->retryQueueManager()->pendingCount(), urls.size());

    // Blanks around the address are no part of it: fixed with a space too many, it works.
    app->setServerURL(QStringLiteral(" ") + server.url() + QStringLiteral(" \t"));
    app->retryQueueManager()->processQueue();
    ASSERT_TRUE(testsupport::waitUntil([this] { return !app->retryQueueManager()->isProcessing(); },
                                       10000));
    EXPECT_EQ(app->retryQueueManager()->pendingCount(), 0);
    EXPECT_EQ(server.requestsTo("/inference").size(), urls.size());
    EXPECT_EQ(app->currentTranscription(), QStringLiteral("kept"));
    dictate(1.0);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(app->state(), RecordingState::idle());
    EXPECT_EQ(server.requestsTo("/inference").size(), urls.size() + 1);
}

TEST_F(AppStateDictation, APasswordInTheServerURLReachesNoFileLogLineWindowOrReport)
{
    testsupport::LogCapture everything;
    server.setHandler("/inference",
                      [](const auto &) { return HttpReply::redirect(302, "/elsewhere"); });
    createDictating();
    app->setServerURL(
        server.url().replace(QStringLiteral("http://"), QStringLiteral("http://alice:secret@")) +
        QStringLiteral("/?k=1"));
    dictate(1.0);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(app->retryQueueManager()->pendingCount(), 1);
    // The error names where the upload was sent, without who sent it.
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines().first().contains(QStringLiteral("to http:\\/\\/127.0.0.1:")))
        << logLines().first().toStdString();
    // The report names the server, not who uses it or how.
    EXPECT_EQ(crashReporter->events().last().context.value("server_url").toString(),
              server.url() + QLatin1Char('/'));
    app->retryQueueManager()->processQueue();
    ASSERT_TRUE(testsupport::waitUntil([this] { return !app->retryQueueManager()->isProcessing(); },
                                       10000));
    ASSERT_EQ(server.requestsTo("/inference").size(), 2);

    QStringList written;
    QDirIterator files(paths->root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_FALSE(file.readAll().contains("secret")) << file.fileName().toStdString();
        written.append(QFileInfo(file).fileName());
    }
    EXPECT_TRUE(written.contains(QStringLiteral("transcriptions.jsonl")))
        << written.join(' ').toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("queue.json")));
    EXPECT_FALSE(everything.lines().isEmpty());
    for (const QString &line : everything.lines() + log.lines())
        EXPECT_FALSE(line.contains(QStringLiteral("secret"))) << line.toStdString();
    for (const auto &event : crashReporter->events())
        EXPECT_FALSE(event.text.contains(QStringLiteral("secret")));
}

TEST_F(AppStateDictation, ControlCharactersOfATranscriptReachNeitherClipboardNorHistoryNorLog)
{
    // An escape sequence that ends a terminal's bracketed paste, BEL, NUL, a C1 control, DEL and
    // bidirectional overrides and isolates around the words; a line separator that stays. Then
    // the first and last character of each removed range, and their neighbours that stay ("~",
    // no-break space, paragraph separator, narrow no-break space, U+2065, U+206A).
    server.enqueue(HttpReply::json(200, R"({"text":"\u001b[201~echo hi\u0007\u0000\r\n)"
                                        R"(\u0085x\u007f\u202Ey\u202C\u2066z\u2069\tw\u2028v\u009b)"
                                        R"( \u001f\u0080a\u009fb\u202Ac\u202Bd\u2067e\u2068f)"
                                        R"(\u007e\u00a0\u2029\u202f\u2065\u206a"})"),
                   "/inference");
    createDictating();
    dictate(1.0);
    ASSERT_TRUE(waitUntilSettled());
    const QString clean =
        QStringLiteral("[201~echo hi\nxyz\tw\u2028v abcdef~\u00a0\u2029\u202f\u2065\u206a");
    EXPECT_EQ(pasteboard->string(), clean);
    EXPECT_EQ(app->currentTranscription(), clean);
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_EQ(QJsonDocument::fromJson(logLines().first().toUtf8())[QStringLiteral("text")],
              QJsonValue(clean));
    EXPECT_TRUE(logLines().first().contains(QStringLiteral(R"(\tw\u2028v abcdef~)")))
        << logLines().first().toStdString();
}

TEST_F(AppStateDictation, TheLogTheQueueAndTheirFoldersAreTheOwnersAlone)
{
    const mode_t previousMask = ::umask(022);
    const QString folder = paths->applicationSupportDirectory() + QStringLiteral("/Parlovox");
    // Left readable by everyone by an earlier version.
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    server.enqueue(HttpReply::text(503, "busy"), "/inference");
    createDictating();
    dictate(1.0);
    ASSERT_TRUE(waitUntilSettled());
    ::umask(previousMask);

    const auto mode = [](const QString &path) {
        struct stat info = {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777
                                                                       : 01000u;
    };
    EXPECT_EQ(mode(folder), 0700u);
    EXPECT_EQ(mode(pendingDirectory()), 0700u);
    EXPECT_EQ(mode(folder + QStringLiteral("/transcriptions.jsonl")), 0600u);
    EXPECT_EQ(mode(pendingDirectory() + QStringLiteral("/queue.json")), 0600u);
    ASSERT_EQ(app->retryQueueManager()->pendingCount(), 1);
    EXPECT_EQ(mode(pendingDirectory() + QLatin1Char('/') +
                   app->retryQueueManager()->items().first().wavFilename),
              0600u);
}

TEST_F(AppStateDictation, QuittingDuringAnUploadHandsTheRecordingToTheQueue)
{
    server.enqueue(HttpReply::hang(), "/inference");
    createDictating();
    dictate(1.0);
    const QString name = QFileInfo(audio->createdPaths().first()).fileName();
    ASSERT_TRUE(testsupport::waitUntil([this] { return server.requestCount() == 1; }));
    app.reset();

    // The next start's cleanup of leftover recordings cannot reach it: it waits in the queue.
    StaleRecordings::recover(*paths, AudioRecorder::largestRecordingBytes(300));
    create();
    ASSERT_EQ(app->retryQueueManager()->pendingCount(), 1);
    const PendingTranscription &entry = app->retryQueueManager()->items().first();
    EXPECT_EQ(entry.wavFilename, name);
    EXPECT_EQ(entry.failureReason, QStringLiteral("Upload interrupted when Parlovox quit"));
    EXPECT_TRUE(QFile::exists(pendingDirectory() + QLatin1Char('/') + name));
}

TEST_F(AppStateDictation, TheFirstFailuresResetCutsASecondFailureShort)
{
    server.enqueue(HttpReply::text(500, "first"), "/inference");
    server.enqueue(HttpReply::text(404, "second"), "/inference");
    createDictating();
    dictate(1.0); // fails at t=1, reset due at t=4
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_TRUE(app->state().isError());
    scheduler->advance(1.0);
    dictate(1.0); // the press clears the error; the second failure stands from t=3
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(app->state(), RecordingState::error(QStringLiteral("Server error 404: second")));
    scheduler->advance(1.01);
    EXPECT_EQ(app->state(), RecordingState::idle());

    // The second reset wakes at t=6 during a new recording and leaves it alone.
    app->startRecording();
    scheduler->advance(2.5);
    EXPECT_TRUE(app->state().isRecording());
    app->setServerURL(QStringLiteral("not a url"));
    app->stopRecording();
}

TEST_F(AppStateDictation, ARecordingTheQueueCannotKeepIsNeitherClaimedQueuedNorDeleted)
{
    server.enqueue(HttpReply::text(502, "gateway"), "/inference");
    createDictating();
    // Something that is not a directory where the queue keeps its files.
    QDir(pendingDirectory()).removeRecursively();
    writeFile(pendingDirectory(), "in the way");
    dictate(1.0);
    const QString recording = audio->createdPaths().first();
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(app->state(),
              RecordingState::error(QStringLiteral(
                  "Recording could not be queued for retry: Server error 502: gateway")));
    EXPECT_EQ(app->retryQueueManager()->pendingCount(), 0);
    EXPECT_TRUE(QFile::exists(recording));

    // The next start cannot queue it either: it stays where it is and the log says so.
    install<testsupport::FakeEventMonitors>(services.eventMonitors);
    const auto restart = [this] {
        app.reset();
        log.clear();
        create();
        app->lateInit();
    };
    restart();
    // Moved aside for recovery (proof that it can be removed once delivered), not lost.
    const QString movedAside = paths->temporaryDirectory() + QStringLiteral("/recovered/") +
                               QFileInfo(recording).fileName();
    EXPECT_TRUE(QFile::exists(movedAside));
    ASSERT_EQ(log.lines(QStringLiteral("critical")).size(), 1);
    EXPECT_TRUE(log.lines(QStringLiteral("critical"))[0].startsWith("[AppState] Left "));

    // Once the folder can take it, the start after that queues it.
    QFile::remove(pendingDirectory());
    restart();
    EXPECT_FALSE(QFile::exists(movedAside));
    EXPECT_FALSE(QFile::exists(recording));
    ASSERT_EQ(app->retryQueueManager()->pendingCount(), 1);
    EXPECT_EQ(app->retryQueueManager()->items()[0].wavFilename, QFileInfo(recording).fileName());
}

TEST_F(AppStateDictation, WithoutTheMicrophoneEveryPressShowsTheError)
{
    permissions->microphone = false;
    createDictating();
    const auto noMicrophone = RecordingState::error(
        QStringLiteral("Microphone access required — connect or enable an audio input device"));
    QSignalSpy states(app.get(), &AppState::stateChanged);
    for (int press = 0; press < 2; ++press) {
        app->startRecording();
        EXPECT_EQ(app->state(), noMicrophone);
        app->stopRecording();
        EXPECT_EQ(app->state(), noMicrophone);
    }
    EXPECT_EQ(states.count(), 3); // error, idle, error
    EXPECT_TRUE(sounds->transcript().isEmpty());
    EXPECT_TRUE(audio->recordingPath().isEmpty());
}

TEST_F(AppStateDictation, ARecordingThatCannotBeWrittenSaysSoAtOnceAndIsNeverDelivered)
{
    const QString noSpace = QStringLiteral("No space left on device");
    const auto failed = RecordingState::error(QStringLiteral("Recording failed: ") + noSpace);
    server.enqueue(HttpReply::json(200, R"({"text":"half of it"})"), "/inference");
    // Full before the press: no file can be made for the recording.
    audio->setCreationError(noSpace);
    createDictating();
    log.clear();
    app->startRecording();
    EXPECT_EQ(app->state(), failed) << "while the key is still held";
    EXPECT_FALSE(app->hasRecordingLimitTimer());
    scheduler->advance(4.0);
    app->stopRecording();

    // Full during the recording: half of what was said reached the file.
    audio->setCreationError(QString());
    app->startRecording();
    ASSERT_TRUE(app->state().isRecording());
    scheduler->advance(2.0);
    audio->setWriteError(noSpace);
    scheduler->advance(0.1);
    EXPECT_EQ(app->state(), failed) << "while the key is still held";
    EXPECT_FALSE(app->hasRecordingLimitTimer());
    scheduler->advance(2.0);
    app->stopRecording();
    EXPECT_EQ(app->state(), failed);
    scheduler->advance(3.0);
    EXPECT_EQ(app->state(), RecordingState::idle());

    EXPECT_EQ(log.lines(QStringLiteral("critical")),
              QStringList(2, QStringLiteral("[AppState] Recording failed: ") + noSpace));
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_EQ(logLines(), QStringList());
    // Nor at the next start: the truncated file is gone, not left to be recovered as whole.
    audio->setWriteError(QString());
    app.reset();
    EXPECT_EQ(StaleRecordings::recover(*paths, AudioRecorder::largestRecordingBytes(300)),
              QStringList());
}

TEST_F(AppStateDictation, PressWhileProcessingAndReleaseWhileIdleChangeNothing)
{
    HttpReply slow = HttpReply::json(200, R"({"text":"late"})");
    slow.delayMs = 300;
    server.enqueue(slow, "/inference");
    createDictating();
    app->stopRecording();
    EXPECT_EQ(app->state(), RecordingState::idle());
    EXPECT_TRUE(audio->events().isEmpty());

    dictate(1.0);
    ASSERT_TRUE(app->state().isProcessing());
    const QString soundsBefore = sounds->transcript();
    app->startRecording();
    EXPECT_TRUE(app->state().isProcessing());
    EXPECT_EQ(sounds->transcript(), soundsBefore);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(app->currentTranscription(), QStringLiteral("late"));
}

TEST_F(AppStateDictation, TheWarningSoundsTenSecondsBeforeTheLimitStopsTheRecording)
{
    defaults->setString(QStringLiteral("serverURL"), QStringLiteral("not a url"));
    create();
    app->startRecording();
    EXPECT_TRUE(app->hasRecordingWarningTimer());
    scheduler->advance(289.9);
    EXPECT_FALSE(sounds->transcript().contains(QStringLiteral("Basso")));
    scheduler->advance(0.2);
    EXPECT_TRUE(sounds->transcript().endsWith(QStringLiteral("stop Basso, play Basso")));
    EXPECT_TRUE(app->state().isRecording());
    scheduler->advance(9.8);
    EXPECT_TRUE(app->state().isRecording());
    scheduler->advance(0.2);
    EXPECT_FALSE(app->state().isRecording());
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(app->state(), RecordingState::error(QStringLiteral("Invalid server URL")));
}

TEST_F(AppStateDictation, AShortLimitArmsNoWarning)
{
    defaults->setNumber(QStringLiteral("maxRecordingDuration"), 10.0);
    defaults->setString(QStringLiteral("serverURL"), QStringLiteral("not a url"));
    create();
    app->startRecording();
    EXPECT_FALSE(app->hasRecordingWarningTimer());
    EXPECT_TRUE(app->hasRecordingLimitTimer());
    scheduler->advance(10.0);
    EXPECT_FALSE(app->state().isRecording());
    EXPECT_FALSE(sounds->transcript().contains(QStringLiteral("Basso")));
    ASSERT_TRUE(waitUntilSettled());
}

TEST(AppStateErrors, OnlyClientStatusesAreNotWorthRetrying)
{
    const auto retryable = [](auto error) {
        return AppState::isRetryableError(std::make_exception_ptr(error));
    };
    EXPECT_TRUE(retryable(TransportError(TransportError::Kind::failed, "refused")));
    EXPECT_TRUE(retryable(TransportError(TransportError::Kind::notAServer, "Invalid server URL")));
    EXPECT_TRUE(retryable(TransportError(TransportError::Kind::redirected, "moved")));
    EXPECT_TRUE(retryable(TranscriptionError::invalidURL()));
    EXPECT_TRUE(retryable(TranscriptionError::invalidResponse()));
    EXPECT_TRUE(retryable(TranscriptionError::serverError(500, "x")));
    EXPECT_FALSE(retryable(TranscriptionError::serverError(499, "x")));
    EXPECT_FALSE(retryable(TranscriptionError::serverError(201, "x")));
    EXPECT_TRUE(retryable(DecodingError(DecodingError::Kind::keyNotFound, "text")));
    EXPECT_TRUE(retryable(std::runtime_error("odd")));
    EXPECT_TRUE(retryable(42));
    EXPECT_EQ(DescribedError::describe(std::make_exception_ptr(std::runtime_error("odd"))),
              QStringLiteral("odd"));
    EXPECT_EQ(DescribedError::describe(std::make_exception_ptr(42)),
              QStringLiteral("Unknown error"));
}
