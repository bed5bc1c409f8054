// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "ParlovoxApp.h"
#include "platform/linux/LinuxServices.h"

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
    ParlovoxApp parlovox(*services);
    return QApplication::exec();
}
