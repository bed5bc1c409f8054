// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Event.h"
#include "platform/FnKeyAccess.h"

#include <QObject>

#include <functional>
#include <memory>

namespace platform {

// An installed event monitor; destroying it removes the monitor, after which its handler is never
// called again.
class EventMonitor
{
public:
    virtual ~EventMonitor() = default;
};

// Keyboard and mouse event monitors and the menu-tracking notifications.
class EventMonitors : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~EventMonitors() override = default;

    using GlobalHandler = std::function<void(const Event &)>;
    // Answers true to hand the event on to the program's windows, false to swallow it.
    using LocalHandler = std::function<bool(const Event &)>;

    // Watches the events of `mask` that go to other programs. Handlers run on the main thread.
    // Nothing is returned when the desktop offers no way to watch them; the reason is logged.
    [[nodiscard]] virtual std::unique_ptr<EventMonitor> addGlobalMonitor(EventMask mask,
                                                                         GlobalHandler handler) = 0;
    // Watches the events of `mask` that go to the program's own windows, before the windows see
    // them. Nothing is returned when no application object exists.
    [[nodiscard]] virtual std::unique_ptr<EventMonitor> addLocalMonitor(EventMask mask,
                                                                        LocalHandler handler) = 0;

    // Whether some menu of the program is open right now.
    virtual bool isMenuTracking() const = 0;

    // Whether the Fn key can be seen here at all: some input device this user may read reports
    // it; if not, why. Where it cannot, holding Fn does nothing.
    virtual FnKeyAccess fnKeyAccess() const = 0;

signals:
    // The first menu of the program opened (submenus of an open menu do not count again).
    void menuDidBeginTracking();
    // The last open menu of the program closed.
    void menuDidEndTracking();
    // fnKeyAccess() may answer otherwise now (a keyboard with the key came or went).
    void fnKeyAccessChanged();
};

} // namespace platform
