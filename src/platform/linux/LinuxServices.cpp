// SPDX-License-Identifier: GPL-3.0-or-later
#include "LinuxServices.h"

#include "AppcastUpdater.h"
#include "BuildInfo.h"
#include "CanberraSoundPlayer.h"
#include "DesktopWorkspace.h"
#include "InstalledBundle.h"
#include "JsonFileUserDefaults.h"
#include "LinuxEventMonitors.h"
#include "LinuxPermissions.h"
#include "QtAudioInput.h"
#include "QtClipboardPasteboard.h"
#include "QtScheduler.h"
#include "QtUpdateDialog.h"
#include "SentryCrashReporter.h"
#include "StandardPaths.h"
#include "X11HotKeyService.h"
#include "X11Keyboard.h"
#include "X11WindowSystem.h"
#include "XTestKeyEventPoster.h"
#include "XdgAutostartLoginItem.h"
#include "XdotoolScriptRunner.h"
#include "platform/Bundle.h"
#include "platform/Paths.h"
#include "platform/WindowSystem.h"

#include <QCoreApplication>

namespace platform::linux_impl {

std::unique_ptr<Services> createLinuxServices()
{
    auto services = std::make_unique<Services>();
    services->scheduler = std::make_unique<QtScheduler>();
    services->userDefaults =
        std::make_unique<JsonFileUserDefaults>(JsonFileUserDefaults::defaultFilePath());
    services->bundle = std::make_unique<InstalledBundle>();
    services->paths = std::make_unique<StandardPaths>();
    services->crashReporter = std::make_unique<SentryCrashReporter>(
        services->paths->applicationSupportDirectory() + QStringLiteral("/Parlovox/crashes"),
        QStringLiteral("parlovox@" PARLOVOX_VERSION));
    services->workspace = std::make_unique<DesktopWorkspace>(QStringLiteral(PARLOVOX_VERSION));
    const std::optional<QJsonValue> feed = services->bundle->infoValue(QStringLiteral("SUFeedURL"));
    services->updater = std::make_unique<AppcastUpdater>(
        feed ? QUrl(feed->toString()) : QUrl(),
        AppcastUpdater::Installed{QStringLiteral(PARLOVOX_BUILD_NUMBER),
                                  QStringLiteral(PARLOVOX_VERSION)},
        *services->userDefaults, *services->scheduler, *services->workspace,
        std::make_unique<QtUpdateDialog>(), AppcastUpdater::Limits{});
    services->audioInput = std::make_unique<QtAudioInput>();
    services->soundPlayer = std::make_unique<CanberraSoundPlayer>();
    services->pasteboard = std::make_unique<QtClipboardPasteboard>();
    services->primarySelection = std::make_unique<QtClipboardPasteboard>(QClipboard::Selection);
    services->keyEventPoster = std::make_unique<XTestKeyEventPoster>();
    services->scriptRunner = std::make_unique<XdotoolScriptRunner>();
    services->hotKeys = std::make_unique<X11HotKeyService>();
    services->eventMonitors = std::make_unique<LinuxEventMonitors>();
    services->keyboard = std::make_unique<X11Keyboard>();
    services->permissions = std::make_unique<LinuxPermissions>();
    services->windowSystem = std::make_unique<X11WindowSystem>();
    services->loginItem =
        std::make_unique<XdgAutostartLoginItem>(XdgAutostartLoginItem::defaultAutostartDirectory(),
                                                QCoreApplication::applicationFilePath());
    return services;
}

} // namespace platform::linux_impl
