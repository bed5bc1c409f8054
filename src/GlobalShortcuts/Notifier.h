// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/Name.h"

#include <QObject>

namespace GlobalShortcuts {

// The module's notifications as signals, one object per ModuleContext
// (ModuleContext::current().notifier()). Connections end with the receiver, as usual.
class Notifier final : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    // "GlobalShortcuts_shortcutByNameDidChange": the stored value of `name` (with the default the
    // writer's name value carried) changed.
    void shortcutByNameDidChange(const GlobalShortcuts::Name &name);
    // "GlobalShortcuts_recorderActiveStatusDidChange": a recorder control started or stopped
    // recording.
    void recorderActiveStatusDidChange(bool isActive);
    // The desktop refused a combination's hot key, or a refused one was registered or given up
    // since (ModuleContext::isRegistrationRefused).
    void registrationRefusalDidChange();
};

} // namespace GlobalShortcuts
