// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTemporaryDir>

namespace bench {

// Points the program's settings, data and cache at a home of the bench's own, so a run never
// touches the user's, and makes Qt draw on the X display. Made before the application object.
class TemporaryHome
{
public:
    TemporaryHome()
    {
        for (const char *variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            qputenv(variable, m_home.path().toUtf8());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }

private:
    QTemporaryDir m_home;
};

} // namespace bench
