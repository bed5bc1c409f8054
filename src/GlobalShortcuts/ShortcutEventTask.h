// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/EventStream.h"
#include "GlobalShortcuts/Name.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace GlobalShortcuts {

// Runs `perform` for a name's presses and releases (or those of one type) while a widget is
// shown: the event stream opens when the widget appears and ends when it is hidden, so a hidden
// window holds no hot key. It lives as the widget's child and ends with it.
class ShortcutEventTask final : public QObject
{
    Q_OBJECT

public:
    ShortcutEventTask(QWidget &view, Name name, std::optional<EventType> type,
                      std::function<void(EventType)> perform);
    ~ShortcutEventTask() override;

    bool isRunning() const { return m_stream != nullptr; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void start();
    void cancel();

    Name m_name;
    std::optional<EventType> m_type;
    std::function<void(EventType)> m_perform;
    std::unique_ptr<EventStream> m_stream;
    bool m_delivering = false;
};

} // namespace GlobalShortcuts
