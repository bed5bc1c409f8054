// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Event.h"

#include <QObject>

#include <functional>
#include <optional>

namespace GlobalShortcuts {

// The application-wide event filter behind both local event monitors. It looks at key and mouse
// events where Qt first delivers them, at their window, so each input is seen once, before any
// widget; an event the callback answers with none goes no further.
class ApplicationEventFilter final : public QObject
{
    Q_OBJECT

public:
    using Callback = std::function<std::optional<platform::Event>(const platform::Event &)>;

    // Parented to the application object and installed on it at once.
    ApplicationEventFilter(platform::EventMask events, Callback callback,
                           std::function<bool()> isActive = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    platform::EventMask m_events;
    Callback m_callback;
    std::function<bool()> m_isActive;
};

} // namespace GlobalShortcuts
