// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/EngineLogging.h"
#include "platform/linux/LinuxServices.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Parlovox"));
    QApplication::setOrganizationName(QStringLiteral("Parlovox"));
    QApplication::setQuitOnLastWindowClosed(false);

    auto services = platform::linux_impl::createLinuxServices();
    qCInfo(lcApp, "[App] Parlovox started");
    return QApplication::exec();
}
