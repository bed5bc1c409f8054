// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/EventLoop.h"

#include <QGuiApplication>
#include <QSystemTrayIcon>

namespace testsupport {

// Waits until the desktop's tray host has taken `tray` in and shows it: only then is our window
// what lies under the icon's centre, and a click there reaches it.
inline bool waitUntilTrayIconTakesClicks(const QSystemTrayIcon &tray, int timeoutMs = 5000)
{
    return waitUntil(
        [&tray] {
            return tray.geometry().left() > 0 &&
                   QGuiApplication::topLevelAt(tray.geometry().center()) != nullptr;
        },
        timeoutMs);
}

} // namespace testsupport
