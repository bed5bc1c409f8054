// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/AppState.h"
#include "engine/AudioRecorder.h"
#include "engine/RetryQueueManager.h"
#include "platform/Services.h"

#include "support/EventLoop.h"
#include "support/FakeAudioInput.h"
#include "support/FakeKeyEventPoster.h"
#include "support/FakeLoginItem.h"
#include "support/FakePasteboard.h"
#include "support/FakePermissions.h"
#include "support/FakeScriptRunner.h"
#include "support/FakeSoundPlayer.h"
#include "support/FakeWindowSystem.h"
#include "support/FixedBundle.h"
#include "support/LogCapture.h"
#include "support/MemoryUserDefaults.h"
#include "support/RecordingCrashReporter.h"
#include "support/TempPaths.h"
#include "support/TestHttpServer.h"
#include "support/VirtualScheduler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Failed expectations on a state then read "error(Server error 404: second)", not raw bytes.
inline void PrintTo(const RecordingState &state, std::ostream *out)
{
    *out << state.toString().toStdString();
}

// AppState on doubles for every platform service, virtual time and a real loopback speech
// server. Settings are put in `defaults` before create().
class AppStateFixture : public ::testing::Test
{
protected:
    AppStateFixture()
    {
        services.scheduler = std::make_unique<testsupport::VirtualScheduler>();
        scheduler = static_cast<testsupport::VirtualScheduler *>(services.scheduler.get());
        defaults = install<testsupport::MemoryUserDefaults>(services.userDefaults);
        bundle = install<testsupport::FixedBundle>(services.bundle);
        paths = install<testsupport::TempPaths>(services.paths);
        permissions = install<testsupport::FakePermissions>(services.permissions);
        loginItem = install<testsupport::FakeLoginItem>(services.loginItem);
        pasteboard = install<testsupport::FakePasteboard>(services.pasteboard);
        primarySelection = install<testsupport::FakePasteboard>(services.primarySelection);
        keys = install<testsupport::FakeKeyEventPoster>(services.keyEventPoster);
        scripts = install<testsupport::FakeScriptRunner>(services.scriptRunner);
        sounds = install<testsupport::FakeSoundPlayer>(services.soundPlayer);
        crashReporter = install<testsupport::RecordingCrashReporter>(services.crashReporter);
        windowSystem = install<testsupport::FakeWindowSystem>(services.windowSystem);
        services.audioInput = std::make_unique<testsupport::FakeAudioInput>(scheduler);
        audio = static_cast<testsupport::FakeAudioInput *>(services.audioInput.get());
        permissions->microphone = true;
        permissions->trusted = true;
        permissions->postEvents = true;
        bundle->setBundlePath(paths->root() + QStringLiteral("/a/b/c"));
    }

    void SetUp() override { ASSERT_TRUE(server.start()); }

    template <typename T, typename Base> T *install(std::unique_ptr<Base> &slot)
    {
        auto object = std::make_unique<T>();
        T *raw = object.get();
        slot = std::move(object);
        return raw;
    }

    AppState &create()
    {
        app = std::make_unique<AppState>(services);
        return *app;
    }
    // An app that dictates into the loopback server and may paste.
    AppState &createDictating()
    {
        defaults->setString(QStringLiteral("serverURL"), server.url());
        defaults->setBool(QStringLiteral("onboardingComplete"), true);
        create();
        app->recorder().setOnAudioLevel([this](float level) { app->handleAudioLevel(level); });
        return *app;
    }
    // Holds the trigger for `seconds` of virtual time.
    void dictate(double seconds)
    {
        app->startRecording();
        scheduler->advance(seconds);
        app->stopRecording();
    }
    bool waitUntilSettled()
    {
        return testsupport::waitUntil([this] { return !app->state().isProcessing(); }, 10000);
    }
    // The files directly in the temporary directory.
    QStringList temporaryFiles() const
    {
        return QDir(paths->temporaryDirectory()).entryList(QDir::Files);
    }
    QString pendingDirectory() const
    {
        return paths->applicationSupportDirectory() + QStringLiteral("/Parlovox/pending");
    }
    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QStringList logLines() const
    {
        QFile file(paths->applicationSupportDirectory() +
                   QStringLiteral("/Parlovox/transcriptions.jsonl"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    platform::Services services;
    testsupport::VirtualScheduler *scheduler = nullptr;
    testsupport::MemoryUserDefaults *defaults = nullptr;
    testsupport::FixedBundle *bundle = nullptr;
    testsupport::TempPaths *paths = nullptr;
    testsupport::FakePermissions *permissions = nullptr;
    testsupport::FakeLoginItem *loginItem = nullptr;
    testsupport::FakePasteboard *pasteboard = nullptr;
    testsupport::FakePasteboard *primarySelection = nullptr;
    testsupport::FakeKeyEventPoster *keys = nullptr;
    testsupport::FakeScriptRunner *scripts = nullptr;
    testsupport::FakeSoundPlayer *sounds = nullptr;
    testsupport::RecordingCrashReporter *crashReporter = nullptr;
    testsupport::FakeWindowSystem *windowSystem = nullptr;
    testsupport::FakeAudioInput *audio = nullptr;
    testsupport::TestHttpServer server;
    testsupport::LogCapture log{QStringLiteral("parlovox.appstate")};
    // Declared last: goes first, before the services it uses.
    std::unique_ptr<AppState> app;
};
