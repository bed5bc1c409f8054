// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/Name.h"

#include <QObject>
#include <QPointer>
#include <QUuid>

#include <optional>

namespace GlobalShortcuts {

class HotKeyHandlers;

enum class EventType { keyDown, keyUp };

// The presses and releases of one name's shortcut as a signal, for as long as the object lives:
// destroying it ends the stream (and gives the hot key back when nothing else needs it). Made by
// GlobalShortcuts::events().
class EventStream final : public QObject
{
    Q_OBJECT

public:
    // Only HotKeyHandlers can make the key, so only it makes streams.
    class PassKey
    {
        friend class HotKeyHandlers;
        PassKey() = default;
    };
    EventStream(PassKey, HotKeyHandlers *owner, Name name, std::optional<EventType> filter);
    ~EventStream() override;

    const Name &name() const { return m_name; }
    // The one type this stream lets through; none for both.
    std::optional<EventType> filter() const { return m_filter; }

signals:
    void received(GlobalShortcuts::EventType type);

private:
    friend class HotKeyHandlers;
    void yield(EventType type);

    QPointer<HotKeyHandlers> m_owner;
    Name m_name;
    std::optional<EventType> m_filter;
    QUuid m_id = QUuid::createUuid();
};

} // namespace GlobalShortcuts

Q_DECLARE_METATYPE(GlobalShortcuts::EventType)
