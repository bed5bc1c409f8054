// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "ParlovoxApp.h"
#include "platform/linux/LinuxServices.h"
#include "platform/linux/TerminationSignalQuitter.h"
#include "ui/kit/DialogPresenter.h"

#include <QApplication>

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
    shortcuts.setAlertPresenter(&ui::DialogPresenter::presentRecorderAlert);
    ParlovoxApp parlovox(*services);
    parlovox.showScenes();
    platform::linux_impl::TerminationSignalQuitter quitOnSignal;
    return QApplication::exec();
}
