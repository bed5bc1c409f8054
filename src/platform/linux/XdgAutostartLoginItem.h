// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LoginItem.h"

namespace platform::linux_impl {

// Start at login through an XDG autostart entry (~/.config/autostart/parlovox.desktop), which
// every freedesktop session honours.
class XdgAutostartLoginItem final : public LoginItem
{
public:
    // `autostartDirectory` is usually ~/.config/autostart; `executable` is what the entry starts.
    XdgAutostartLoginItem(QString autostartDirectory, QString executable);

    static QString defaultAutostartDirectory();

    bool isEnabled() const override;
    Failure registerMainApp() override;
    Failure unregisterMainApp() override;

    QString entryPath() const;

private:
    QString m_directory;
    QString m_executable;
};

} // namespace platform::linux_impl
