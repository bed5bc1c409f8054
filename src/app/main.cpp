// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "ParlovoxApp.h"
#include "engine/EngineLogging.h"
#include "platform/linux/InstanceLock.h"
#include "platform/linux/LinuxServices.h"
#include "platform/linux/TerminationSignalQuitter.h"
#include "ui/kit/DialogPresenter.h"
#include "ui/kit/ThemeStyle.h"

#include <QApplication>

#include <cstdio>

using platform::linux_impl::InstanceLock;

int main(int argc, char *argv[])
{
    // Before anything is read or written: a second copy would clean up the first one's files.
    const QString lockPath = InstanceLock::defaultFilePath();
    const InstanceLock instanceLock(lockPath);
    if (instanceLock.status() == InstanceLock::Status::heldElsewhere) {
        std::fputs("Parlovox is already running in this session.\n", stderr);
        std::fflush(stderr);
        qCCritical(lcApp, "[App] Another Parlovox holds %s; exiting", qUtf8Printable(lockPath));
        return 1;
    }
    if (instanceLock.status() == InstanceLock::Status::unavailable)
        qCCritical(lcApp, "[App] Cannot lock %s (%s); starting without the single-copy check",
                   qUtf8Printable(lockPath), qUtf8Printable(instanceLock.errorString()));

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Parlovox"));
    QApplication::setOrganizationName(QStringLiteral("Parlovox"));
    QApplication::setQuitOnLastWindowClosed(false);
    ui::ThemeStyle::install();

    auto services = platform::linux_impl::createLinuxServices();
    // Declared after the services, so they go first at exit.
    GlobalShortcuts::ModuleContext shortcuts(*services);
    GlobalShortcuts::HotKeyHandlers hotKeyHandlers(shortcuts, *services->hotKeys);
    // The recorder's alerts go through the windows' dialog seam like every other alert.
    shortcuts.setAlertPresenter(&ui::DialogPresenter::presentRecorderAlert);
    ParlovoxApp parlovox(*services);
    parlovox.showScenes();
    platform::linux_impl::TerminationSignalQuitter quitOnSignal;
    return QApplication::exec();
}
