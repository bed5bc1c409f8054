// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "engine/AppState.h"
#include "engine/AudioRecorder.h"
#include "engine/EngineLogging.h"
#include "engine/HotkeyManager.h"
#include "platform/CrashReporter.h"
#include "platform/Paths.h"
#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"
#include "platform/linux/LinuxServices.h"
#include "ui/DialogPresenter.h"

#include <QApplication>
#include <QPointer>
#include <QUuid>

namespace {

// Brings up what dictation needs once the event loop runs: leftover recordings removed, the
// permission poll, the level meter, the trigger and the server health check. The windows of the
// full start-up (floating indicator, onboarding) are not part of this build yet.
void startEngine(AppState &appState)
{
    if (appState.didLateInit())
        return;
    appState.setDidLateInit(true);
    AudioRecorder::cleanupStaleRecordings(*appState.services().paths);
    appState.startPermissionMonitoring();
    QPointer<AppState> weakState(&appState);
    appState.recorder().setOnAudioLevel([weakState](float level) {
        if (weakState)
            weakState->handleAudioLevel(level);
    });
    if (appState.onboardingComplete()) {
        appState.services().scheduler->after(2.0, [weakState] {
            if (weakState)
                weakState->requestMicrophonePermission();
        });
    }
    appState.setHotkeyManager(std::make_unique<HotkeyManager>(&appState));
    appState.hotkeyManager()->configure(appState.useFnKey());
    appState.startHealthCheck();
    qCInfo(lcAppState, "[AppState] onboardingComplete: %s",
           appState.onboardingComplete() ? "true" : "false");
}

void startCrashReporting(platform::Services &services)
{
    platform::CrashReporter::Options options;
    options.environment = QStringLiteral("production");
    options.tracesSampleRate = 1.0;
    options.sendDefaultPii = false;
    options.diagnosticReports = true;
    options.automaticPerformance = true;
    options.beforeBreadcrumb = [](const platform::CrashReporter::Breadcrumb &crumb) {
        return crumb.category != QStringLiteral("http");
    };
    services.crashReporter->start(options);

    // The same identifier is the device id of every upload.
    const QString key = QStringLiteral("sentryUserId");
    std::optional<QString> userId = services.userDefaults->string(key);
    if (!userId) {
        userId = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        services.userDefaults->setString(key, *userId);
    }
    services.crashReporter->setUser(*userId);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Parlovox"));
    QApplication::setOrganizationName(QStringLiteral("Parlovox"));
    QApplication::setQuitOnLastWindowClosed(false);

    auto services = platform::linux_impl::createLinuxServices();
    // Declared after the services, so they go first at exit.
    GlobalShortcuts::ModuleContext shortcuts(*services);
    GlobalShortcuts::HotKeyHandlers hotKeyHandlers(shortcuts, *services->hotKeys);
    // The recorder's alerts go through the windows' dialog seam like every other alert.
    shortcuts.setAlertPresenter([](QWidget *parent, const GlobalShortcuts::RecorderAlert &alert) {
        QString text = alert.messageText;
        if (!alert.informativeText.isEmpty())
            text += QStringLiteral("\n\n") + alert.informativeText;
        return ui::DialogPresenter::present(
            parent, {QStringLiteral("Parlovox"), text, alert.buttons, QMessageBox::NoIcon});
    });
    AppState appState(*services);
    startCrashReporting(*services);

    services->scheduler->after(0.5, [&appState] {
        qCInfo(lcApp, "[App] didFinishLaunching fallback firing lateInit");
        startEngine(appState);
    });
    return QApplication::exec();
}
