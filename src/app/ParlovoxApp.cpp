// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParlovoxApp.h"

#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/Shortcut.h"

#include "engine/AppState.h"
#include "engine/EngineLogging.h"
#include "engine/UpdaterManager.h"
#include "platform/Bundle.h"
#include "platform/CrashReporter.h"
#include "platform/Scheduler.h"
#include "platform/Services.h"
#include "platform/UserDefaults.h"
#include "ui/ApplicationScenes.h"
#include "ui/indicator/FloatingIndicatorController.h"
#include "ui/onboarding/OnboardingWindowController.h"

#include <QPointer>
#include <QTimer>
#include <QUuid>

ParlovoxApp::ParlovoxApp(platform::Services &services, QObject *parent)
    : QObject(parent), m_services(services), m_appState(std::make_unique<AppState>(services))
{
    installWindowFactories();
    startCrashReporting();
    reservePasteShortcut();

    // A zero timer fires once the event loop has started: the moment launching is finished.
    QTimer::singleShot(0, this, [this] {
        const QPointer<AppState> weakState(m_appState.get());
        m_services.scheduler->after(lateInitFallbackSeconds, [weakState] {
            if (!weakState)
                return;
            qCInfo(lcApp, "[App] didFinishLaunching fallback firing lateInit");
            weakState->lateInit();
        });
    });
}

ParlovoxApp::~ParlovoxApp() = default;

UpdaterManager &ParlovoxApp::updaterManager()
{
    if (!m_updaterManager)
        m_updaterManager = std::make_unique<UpdaterManager>(*m_services.updater);
    return *m_updaterManager;
}

void ParlovoxApp::showScenes()
{
    if (m_scenes)
        return;
    const QPointer<AppState> weakState(m_appState.get());
    m_scenes = std::make_unique<ui::ApplicationScenes>(*m_appState, updaterManager(), [weakState] {
        if (weakState)
            weakState->lateInit();
    });
}

void ParlovoxApp::installWindowFactories()
{
    AppState::WindowFactories factories;
    factories.floatingIndicator = [](AppState &appState) {
        return std::make_unique<ui::FloatingIndicatorController>(appState);
    };
    factories.onboardingWindow = &ui::createOnboardingWindow;
    m_appState->setWindowFactories(std::move(factories));
}

void ParlovoxApp::reservePasteShortcut()
{
    GlobalShortcuts::ModuleContext *shortcuts = GlobalShortcuts::ModuleContext::installed();
    if (!shortcuts)
        return;
    // The paste chords: Control+V (the command flag, which this desktop's key poster presses as
    // Control), and the keystrokes terminals paste with. As a trigger, any of them would be caught
    // by our own grab and never paste.
    constexpr qint64 keyV = 9;
    constexpr qint64 keyInsert = 114;
    constexpr qint64 control = 0x1000;
    constexpr qint64 shift = 0x200;
    const QString usedBy = tr("Parlovox to paste");
    shortcuts->reserveShortcut(GlobalShortcuts::Shortcut(keyV, control), usedBy);
    shortcuts->reserveShortcut(GlobalShortcuts::Shortcut(keyV, control | shift), usedBy);
    shortcuts->reserveShortcut(GlobalShortcuts::Shortcut(keyInsert, shift), usedBy);
}

void ParlovoxApp::startCrashReporting()
{
    // The same identifier is the device id of every upload. It is set before starting, which
    // already sends the last run's crash records.
    const QString key = QStringLiteral("sentryUserId");
    std::optional<QString> userId = m_services.userDefaults->string(key);
    if (!userId) {
        userId = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        m_services.userDefaults->setString(key, *userId);
    }
    m_services.crashReporter->setUser(*userId);

    platform::CrashReporter::Options options;
    if (const std::optional<QJsonValue> dsn =
            m_services.bundle->infoValue(QStringLiteral("SentryDSN")))
        options.dsn = dsn->toString();
    options.environment = QStringLiteral("production");
    options.diagnosticReports = true;
    m_services.crashReporter->start(options);
}
